#include "platform/win/kernel/Debug.h"

#include "platform/win/kernel/WideBuffer_p.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <unistd.h>
#include <utility>

namespace win {

namespace {

std::mutex& HookLock() {
    static std::mutex lock;
    return lock;
}

TDebugOutputHook& Hook() {
    static TDebugOutputHook hook;
    return hook;
}

bool DeveloperAskedForOutput() {
    const char* value = std::getenv("LUMORA_DEBUG_OUTPUT");
    return value && std::strcmp(value, "1") == 0;
}

} // namespace

void OutputDebugStringW(LPCWSTR text) {
    const rtl::String message = detail::WideToString(text);
    TDebugOutputHook hook;
    {
        std::lock_guard lock(HookLock());
        hook = Hook();
    }
    if (hook) {
        hook(message);
        return;
    }
    if (!IsDebuggerPresent() && !DeveloperAskedForOutput())
        return;
    std::string line = "[debug] " + rtl::StringToUtf8(message);
    if (line.back() != '\n')
        line.push_back('\n');
    // One write per message, so lines of several threads do not interleave.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
}

BOOL IsDebuggerPresent() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("TracerPid:", 0) == 0)
            return std::atoi(line.c_str() + 10) != 0 ? 1 : 0;
    return 0;
}

TDebugOutputHook SetDebugOutputHook(TDebugOutputHook hook) {
    std::lock_guard lock(HookLock());
    return std::exchange(Hook(), std::move(hook));
}

} // namespace win
