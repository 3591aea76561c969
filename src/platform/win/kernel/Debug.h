#pragma once

// The debugger-output channel. A developer sees the text on standard error
// while a debugger is attached, or always when LUMORA_DEBUG_OUTPUT=1 is in
// the environment; tests capture it with a hook instead.

#include "platform/rtl/String.h"
#include "platform/win/WinTypes.h"

#include <functional>

namespace win {

void OutputDebugStringW(LPCWSTR text);

// True while a tracer (gdb, strace) is attached to the process.
[[nodiscard]] BOOL IsDebuggerPresent();

// Receives every text written to the channel, instead of standard error.
// An empty hook restores the default. Returns the previous hook.
using TDebugOutputHook = std::function<void(rtl::StringView text)>;
TDebugOutputHook SetDebugOutputHook(TDebugOutputHook hook);

} // namespace win
