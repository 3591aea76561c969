#include "platform/win/kernel/Process.h"

#include "platform/rtl/String.h"
#include "platform/win/WinError.h"
#include "platform/win/kernel/Environment.h"
#include "platform/win/kernel/KernelTestSupport.h"
#include "platform/win/kernel/LastError.h"

#include <thread>

#include <gtest/gtest.h>

using namespace win;
using testsupport::RunToEnd;
using testsupport::ScopedEnv;
using testsupport::TempDir;

TEST(TerminateProcess, GoesThroughTheExitHookWhenOneIsSet) {
    std::vector<UINT> codes;
    const TProcessExitHook previous = SetProcessExitHook([&codes](UINT code) { codes.push_back(code); });
    EXPECT_TRUE(TerminateProcess(GetCurrentProcess(), 0));
    EXPECT_TRUE(TerminateProcess(GetCurrentProcess(), 7));
    SetLastError(0);
    EXPECT_FALSE(TerminateProcess(reinterpret_cast<HANDLE>(std::uintptr_t(0x1234)), 3));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetProcessExitHook(previous);
    EXPECT_EQ(codes, (std::vector<UINT>{0, 7}));
}

TEST(TerminateProcess, EndsAtOnceWithTheCodeAndNoStaticDestructors) {
    for (const int code : {0, 7, 255}) {
        const auto result = RunToEnd({WIN_KERNEL_PROBE, "terminate", std::to_string(code)});
        EXPECT_EQ(result.ExitCode, code);
        EXPECT_EQ(result.Output, "before\n") << "code " << code;
    }
}

TEST(GetCommandLineW, StartsWithTheProgramPathAndKeepsEveryArgument) {
    TempDir folder("Program Folder \u00FC\u540D");
    const std::string program = folder.Path() + "/probe copy";
    testsupport::CopyFile(WIN_KERNEL_PROBE, program);
    ::chmod(program.c_str(), 0755);
    const std::vector<std::string> arguments = {"a b", "q\"uote", "back\\slash\\", "", "\\\"x"};
    std::vector<std::string> argv = {program, "cmdline"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());

    const auto result = RunToEnd(argv);
    std::string expected = "module=" + program + "\nitem=" + program + "\nitem=cmdline\n";
    for (const std::string& argument : arguments)
        expected += "item=" + argument + "\n";
    EXPECT_EQ(result.Output, expected);
}

TEST(SplitCommandLine, FollowsTheWindowsRules) {
    struct Row {
        const char16_t* line;
        std::vector<rtl::String> items;
    };
    const Row rows[] = {
        {u"", {u""}},
        {u"prog", {u"prog"}},
        {u"\"C:\\Program Files\\x.exe\" a", {u"C:\\Program Files\\x.exe", u"a"}},
        {u"C:\\dir\\x.exe  a\tb  ", {u"C:\\dir\\x.exe", u"a", u"b"}},
        // The program name has no escapes: backslashes before its quote stay.
        {u"\"C:\\dir\\\" rest", {u"C:\\dir\\", u"rest"}},
        {u"p \"a b\" c", {u"p", u"a b", u"c"}},
        {u"p a\\\\\\b", {u"p", u"a\\\\\\b"}},
        {u"p a\\\\\"b c\"", {u"p", u"a\\b c"}},
        {u"p a\\\\\\\"b", {u"p", u"a\\\"b"}},
        {u"p \"\"", {u"p", u""}},
        {u"p \"a\"\"b\"", {u"p", u"a\"b"}},
        {u"p \"unterminated arg", {u"p", u"unterminated arg"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(SplitCommandLine(row.line), row.items) << rtl::StringToUtf8(row.line);
}

TEST(QuoteCommandLineArgument, RoundTripsThroughSplitting) {
    const rtl::String arguments[] = {u"",   u"plain", u"two words", u"tab\there", u"\"",
                                     u"\\", u"a\\",   u"a\\\"b",    u"end\\\\",   u"\"quoted\" \\\\\""};
    for (const rtl::String& argument : arguments) {
        const auto items = SplitCommandLine(u"prog " + QuoteCommandLineArgument(argument));
        ASSERT_EQ(items.size(), 2u) << rtl::StringToUtf8(argument);
        EXPECT_EQ(items[1], argument);
    }
}

TEST(GetEnvironmentVariableW, ReportsLengthsAsTheSystemDoes) {
    ScopedEnv value("LUMORA_TEST_VALUE", "h\u00E9llo");
    ScopedEnv empty("LUMORA_TEST_EMPTY", "");
    ScopedEnv missing("LUMORA_TEST_MISSING", std::nullopt);
    struct Row {
        const char16_t* name;
        DWORD size;
        DWORD result;
        const char16_t* text; // nullptr: the buffer is left alone
        DWORD error;
    };
    const Row rows[] = {
        {u"LUMORA_TEST_VALUE", 6, 5, u"h\u00E9llo", ERROR_SUCCESS},
        {u"LUMORA_TEST_VALUE", 5, 6, nullptr, ERROR_SUCCESS},
        {u"LUMORA_TEST_VALUE", 0, 6, nullptr, ERROR_SUCCESS},
        {u"LUMORA_TEST_EMPTY", 4, 0, u"", ERROR_SUCCESS},
        {u"LUMORA_TEST_MISSING", 4, 0, nullptr, ERROR_ENVVAR_NOT_FOUND},
        {u"", 4, 0, nullptr, ERROR_ENVVAR_NOT_FOUND},
    };
    for (const Row& row : rows) {
        WCHAR buffer[16] = {u'#', u'#', 0};
        SetLastError(0);
        EXPECT_EQ(GetEnvironmentVariableW(row.name, buffer, row.size), row.result)
            << rtl::StringToUtf8(row.name);
        EXPECT_EQ(rtl::String(buffer), row.text ? row.text : u"##") << rtl::StringToUtf8(row.name);
        EXPECT_EQ(GetLastError(), row.error) << rtl::StringToUtf8(row.name);
    }
}

TEST(GetLastError, IsKeptPerThread) {
    SetLastError(5);
    DWORD seenByThread = 99;
    std::thread other([&seenByThread] {
        seenByThread = GetLastError();
        SetLastError(7);
    });
    other.join();
    EXPECT_EQ(seenByThread, 0u);
    EXPECT_EQ(GetLastError(), 5u);
}
