#include "platform/win/shell/ShellExecute.h"

#include "platform/rtl/String.h"
#include "platform/win/kernel/KernelTestSupport.h"
#include "platform/win/registry/Registry.h"
#include "platform/win/registry/RegistrySeed.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace win;
using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace {

// Each recorder writes its arguments, one a line, then its working folder,
// its session leader status and its process id into $RECORD.
constexpr const char* kRecorder =
    "#!/bin/sh\n"
    "{ for a in \"$@\"; do printf '%s\\n' \"$a\"; done; pwd; cut -d' ' -f6 /proc/$$/stat; echo $$; }"
    " > \"$RECORD.tmp\"\n"
    "mv \"$RECORD.tmp\" \"$RECORD\"\n"
    "[ -n \"$LINGER\" ] && sleep \"$LINGER\"\n"
    "exit 0\n";

class ShellExecuteTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::WriteTextFile(FBin.Path() + "/xdg-open", kRecorder, true);
        RegClearSeeds();
    }
    void TearDown() override { RegClearSeeds(); }

    [[nodiscard]] std::string Record() const { return FWork.Path() + "/record"; }

    // The recorded lines, after waiting for the launched program to write them.
    [[nodiscard]] std::vector<std::string> Recorded() const {
        std::vector<std::string> lines;
        if (!testsupport::WaitForFile(Record()))
            return lines;
        std::string text = testsupport::ReadTextFile(Record());
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        ::unlink(Record().c_str());
        return lines;
    }

    static INT_PTR Open(const rtl::String& file, LPCWSTR parameters = nullptr, LPCWSTR directory = nullptr,
                        LPCWSTR operation = u"open") {
        return reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, operation, file.c_str(), parameters, directory, 1));
    }

    TempDir FBin;
    TempDir FWork{"work folder \u00FC"};
    ScopedEnv FPath{"PATH", FBin.Path() + ":" + std::getenv("PATH")};
    ScopedEnv FRecord{"RECORD", Record()};
    ScopedEnv FLinger{"LINGER", std::nullopt};
};

std::vector<std::string> Head(const std::vector<std::string>& lines, std::size_t count) {
    return {lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(count, lines.size()))};
}

} // namespace

TEST_F(ShellExecuteTest, HandsAddressesAndDocumentsToTheDesktopsOpener) {
    const std::string document = FWork.Path() + "/read me.txt";
    testsupport::WriteTextFile(document, "text");
    struct Row {
        rtl::String file;
        std::string expected;
    };
    const Row rows[] = {
        {u"https://app.lumora.example/path?q=1&r=\u00FC", "https://app.lumora.example/path?q=1&r=\u00FC"},
        {u"mailto:someone@lumora.example", "mailto:someone@lumora.example"},
        {rtl::Utf8ToString(document), document},
    };
    for (const Row& row : rows) {
        EXPECT_GT(Open(row.file), 32) << row.expected;
        EXPECT_EQ(Head(Recorded(), 1), std::vector<std::string>{row.expected});
    }
}

TEST_F(ShellExecuteTest, StartsProgramsWithTheirParametersInTheWorkingFolder) {
    const std::string tool = FBin.Path() + "/record-tool";
    testsupport::WriteTextFile(tool, kRecorder, true);
    const rtl::String folder = rtl::Utf8ToString(FWork.Path());
    struct Row {
        const char* label;
        rtl::String file;
        LPCWSTR parameters;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"by path",
         rtl::Utf8ToString(tool),
         u"one \"two three\" \\\"4",
         {"one", "two three", "\"4", FWork.Path()}},
        {"bare name found on PATH", u"record-tool", u"x", {"x", FWork.Path()}},
        {"no parameters", rtl::Utf8ToString(tool), nullptr, {FWork.Path()}},
    };
    for (const Row& row : rows) {
        EXPECT_GT(Open(row.file, row.parameters, folder.c_str()), 32) << row.label;
        EXPECT_EQ(Head(Recorded(), row.expected.size()), row.expected) << row.label;
    }
}

TEST_F(ShellExecuteTest, FindsRegisteredAppPaths) {
    const std::string browser = FWork.Path() + "/browser";
    testsupport::WriteTextFile(browser, kRecorder, true);
    RegSeedStringValue(HKEY_LOCAL_MACHINE,
                       u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\MyBrowser.EXE", u"",
                       rtl::Utf8ToString(browser));
    EXPECT_GT(Open(u"mybrowser.exe", u"https://x.example/"), 32);
    EXPECT_EQ(Head(Recorded(), 1), std::vector<std::string>{"https://x.example/"});
}

TEST_F(ShellExecuteTest, LaunchesDetachedWithoutLeavingAChild) {
    ScopedEnv linger("LINGER", "60");
    ASSERT_GT(Open(u"https://app.lumora.example/"), 32);
    const std::vector<std::string> lines = Recorded();
    ASSERT_EQ(lines.size(), 4u);
    const pid_t opener = std::atoi(lines[3].c_str());
    EXPECT_EQ(lines[2], lines[3]) << "the opener leads a session of its own";
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "nothing left to reap";
    EXPECT_EQ(errno, ECHILD);
    ::kill(opener, SIGKILL);
}

TEST_F(ShellExecuteTest, ReportsTheShellsErrorCodes) {
    const std::string notExecutable = FWork.Path() + "/garbage-tool";
    testsupport::WriteTextFile(notExecutable,
                               "\x7f"
                               "ELF garbage",
                               true);
    TempDir emptyBin;
    struct Row {
        const char* label;
        rtl::String file;
        LPCWSTR directory;
        LPCWSTR operation;
        std::optional<std::string> path;
        INT_PTR expected;
    };
    const rtl::String missingDir = rtl::Utf8ToString(FWork.Path() + "/no such folder");
    const Row rows[] = {
        {"missing file", rtl::Utf8ToString(FWork.Path() + "/missing.txt"), nullptr, u"open", {}, SE_ERR_FNF},
        {"missing folder", missingDir + u"/file.txt", nullptr, u"open", {}, SE_ERR_PNF},
        {"missing working folder", u"https://x.example/", missingDir.c_str(), u"open", {}, SE_ERR_PNF},
        {"unknown bare name", u"no-such-program-anywhere", nullptr, u"open", {}, SE_ERR_FNF},
        {"empty file", u"", nullptr, u"open", {}, SE_ERR_FNF},
        {"operation without a handler", u"https://x.example/", nullptr, u"print", {}, SE_ERR_NOASSOC},
        {"no opener installed", u"https://x.example/", nullptr, u"open", emptyBin.Path(), SE_ERR_NOASSOC},
        {"not an executable", rtl::Utf8ToString(notExecutable), nullptr, u"open", {}, 11},
    };
    for (const Row& row : rows) {
        std::optional<ScopedEnv> path;
        if (row.path)
            path.emplace("PATH", *row.path);
        EXPECT_EQ(Open(row.file, nullptr, row.directory, row.operation), row.expected) << row.label;
    }
    EXPECT_EQ(Open(u"HTTPS://x.example/", nullptr, nullptr, u"OPEN"), 42) << "case does not matter";
    EXPECT_EQ(Head(Recorded(), 1), std::vector<std::string>{"HTTPS://x.example/"});
}

TEST_F(ShellExecuteTest, TheHookSeesEachCallAsMadeAndMayAnswerIt) {
    std::vector<TShellExecuteCall> calls;
    const TShellExecuteHook previous = SetShellExecuteHook([&calls](const TShellExecuteCall& call) {
        calls.push_back(call);
        return std::optional<INT_PTR>(SE_ERR_DDEFAIL);
    });
    const HWND owner = reinterpret_cast<HWND>(std::uintptr_t(0x40));
    const INT_PTR first = reinterpret_cast<INT_PTR>(ShellExecuteW(owner, nullptr, u"f", u"", nullptr, 3));
    const INT_PTR second =
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, u"open", u"g", nullptr, u"/d", 1));
    SetShellExecuteHook(previous);
    EXPECT_EQ(first, SE_ERR_DDEFAIL);
    EXPECT_EQ(second, SE_ERR_DDEFAIL);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].Owner, owner);
    EXPECT_EQ(calls[0].Operation, std::nullopt);
    EXPECT_EQ(calls[0].Parameters, rtl::String());
    EXPECT_EQ(calls[0].ShowCmd, 3);
    EXPECT_EQ(calls[1].Operation, rtl::String(u"open"));
    EXPECT_EQ(calls[1].File, u"g");
    EXPECT_EQ(calls[1].Parameters, std::nullopt);
    EXPECT_EQ(calls[1].Directory, rtl::String(u"/d"));
}
