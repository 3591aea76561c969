#include "platform/win/kernel/Environment.h"

#include "platform/win/WinError.h"
#include "platform/win/kernel/LastError.h"
#include "platform/win/kernel/Module.h"
#include "platform/win/kernel/WideBuffer_p.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace win {

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

// argv of this process, read back from the kernel so that no entry point
// has to hand it over.
std::vector<std::string> ProcessArguments() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        items.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

rtl::String ProgramPath() {
    WCHAR path[4096];
    const DWORD length = GetModuleFileNameW(nullptr, path, 4096);
    return length > 0 && length < 4096 ? rtl::String(path, length) : rtl::String();
}

rtl::String BuildCommandLine() {
    rtl::String line = u"\"" + ProgramPath() + u"\"";
    const std::vector<std::string> arguments = ProcessArguments();
    for (std::size_t i = 1; i < arguments.size(); ++i)
        line += u" " + QuoteCommandLineArgument(rtl::Utf8ToString(arguments[i]));
    return line;
}

} // namespace

DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
    const rtl::String wideName = detail::WideToString(name);
    const char* value = wideName.empty() ? nullptr : std::getenv(rtl::StringToUtf8(wideName).c_str());
    if (!value) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    const rtl::String text = rtl::Utf8ToString(value);
    if (!detail::CopyToWideBuffer(text, buffer, size))
        return static_cast<DWORD>(text.size() + 1);
    return static_cast<DWORD>(text.size());
}

LPCWSTR GetCommandLineW() {
    // Built once and kept for the life of the process, as the system's copy is.
    static const rtl::String* line = new rtl::String(BuildCommandLine());
    return line->c_str();
}

rtl::String QuoteCommandLineArgument(rtl::StringView argument) {
    const bool needsQuotes = argument.empty() || argument.find_first_of(u" \t\"") != rtl::StringView::npos;
    if (!needsQuotes)
        return rtl::String(argument);
    rtl::String out = u"\"";
    std::size_t backslashes = 0;
    for (const char16_t c : argument) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count double only in front of a quote.
        out.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, u'\\');
    out.push_back(u'"');
    return out;
}

std::vector<rtl::String> SplitCommandLine(rtl::StringView line) {
    std::vector<rtl::String> items;
    std::size_t i = 0;
    // The program name knows no escapes: it ends at the closing quote.
    rtl::String first;
    if (i < line.size() && line[i] == u'"') {
        const std::size_t close = line.find(u'"', 1);
        first = line.substr(1, close == rtl::StringView::npos ? rtl::StringView::npos : close - 1);
        i = close == rtl::StringView::npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && !IsBlank(line[i]))
            first.push_back(line[i++]);
    }
    items.push_back(first);
    while (true) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        rtl::String item;
        bool quoted = false;
        while (i < line.size() && (quoted || !IsBlank(line[i]))) {
            std::size_t backslashes = 0;
            while (i < line.size() && line[i] == u'\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == u'"') {
                item.append(backslashes / 2, u'\\');
                if (backslashes % 2 == 1) {
                    item.push_back(u'"');
                } else if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
                    item.push_back(u'"'); // "" inside quotes is a literal quote
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                item.append(backslashes, u'\\');
                if (i < line.size() && (quoted || !IsBlank(line[i])))
                    item.push_back(line[i++]);
            }
        }
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace win
