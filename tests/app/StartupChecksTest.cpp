#include "app/StartupChecks.h"

#include "app/WebView2Helper.h"
#include "platform/win/kernel/KernelTestSupport.h"
#include "platform/win/kernel/Process.h"
#include "platform/win/shell/ShellExecute.h"
#include "platform/win/user/UserTesting.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace app;
using testsupport::ChildProcess;
using testsupport::RunToEnd;
using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace {

// A user session of the test's own, so that no running program, and no
// other test, shares the instance mutex or the window directory.
struct PrivateSession {
    PrivateSession() { ::chmod(Runtime.Path().c_str(), 0700); }
    TempDir Runtime;
    ScopedEnv Variable{"XDG_RUNTIME_DIR", Runtime.Path()};
};

// The instance fixture copied into a program folder without the browser
// runtime's loader library.
struct ProgramWithoutRuntime {
    ProgramWithoutRuntime() {
        testsupport::CopyFile(APP_INSTANCE_FIXTURE, Program());
        ::chmod(Program().c_str(), 0755);
    }
    [[nodiscard]] std::string Program() const { return Dir.Path() + "/Lumora AI"; }
    TempDir Dir;
};

TEST(CheckSingleInstance, ALaterStartActivatesTheRunningWindowAndEndsWithCodeZero) {
    const PrivateSession session;
    const ProgramWithoutRuntime later;
    ChildProcess first({APP_INSTANCE_FIXTURE, "first"});
    ASSERT_EQ(first.ReadLine(), "first");

    // Before the main window exists: the later start ends quietly, without
    // reaching the runtime check (no message box) and without posting.
    auto run = RunToEnd({later.Program(), "start"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Output, "exit 0 boxes=0\n");

    first.Send("window\n");
    ASSERT_EQ(first.ReadLine(), "window");
    run = RunToEnd({later.Program(), "start"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Output, "exit 0 boxes=0\n");
    EXPECT_EQ(first.ReadLine(), "activated");

    first.Send("exit\n");
    EXPECT_EQ(first.ReadAll(), "") << "one start, one activation";
    EXPECT_EQ(first.Wait(), 0);

    // With the first instance gone, the next start is the first: it goes on
    // to the runtime check, which its folder fails.
    run = RunToEnd({later.Program(), "start"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Output, "exit 0 boxes=1\n");
}

class CheckWebView2RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        win::ResetWindowManager();
        // The check loads the loader library from the program's folder: this
        // test program's folder has none, so the runtime counts as missing.
        const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        ASSERT_FALSE(std::filesystem::exists(folder / "WebView2Loader.dll"));
        ASSERT_FALSE(IsWebView2RuntimeInstalled());
        win::SetProcessExitHook([this](win::UINT code) { FExitCodes.push_back(code); });
        win::SetShellExecuteHook([this](const win::TShellExecuteCall& call) -> std::optional<win::INT_PTR> {
            FShellCalls.push_back(call);
            return 42;
        });
    }
    void TearDown() override {
        win::SetProcessExitHook({});
        win::SetShellExecuteHook({});
        win::ResetWindowManager();
    }

    std::vector<win::UINT> FExitCodes;
    std::vector<win::TShellExecuteCall> FShellCalls;
};

TEST_F(CheckWebView2RuntimeTest, AMissingRuntimeIsExplainedAndOkOpensTheDownloadPage) {
    struct Row {
        const char* label;
        display::TMessageBoxAnswer answer;
        bool opensPage;
    };
    for (const Row row : {Row{"OK", display::mbaOk, true}, Row{"Cancel", display::mbaCancel, false}}) {
        FExitCodes.clear();
        FShellCalls.clear();
        win::ResetWindowManager();
        win::HeadlessDisplay().SetMessageBoxAnswer(row.answer);

        CheckWebView2Runtime();

        const auto& boxes = win::HeadlessDisplay().MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << row.label;
        EXPECT_EQ(boxes[0].Owner, 0u) << "no owner window";
        EXPECT_EQ(boxes[0].Caption, u"Lumora AI");
        EXPECT_EQ(boxes[0].Text, u"Microsoft Edge WebView2 Runtime x64 is required for Live Lumora AI.\r\n"
                                 u"Please click \"OK\" to download and install it. (Windows 10 and later "
                                 u"versions supported)");
        EXPECT_EQ(boxes[0].Buttons, display::mbbOkCancel);
        EXPECT_EQ(boxes[0].Icon, display::mbiWarning);
        ASSERT_EQ(FShellCalls.size(), row.opensPage ? 1u : 0u) << row.label;
        if (row.opensPage) {
            const win::TShellExecuteCall& call = FShellCalls[0];
            EXPECT_EQ(call.Owner, nullptr);
            EXPECT_EQ(call.Operation, u"open");
            EXPECT_EQ(call.File, LUMORA_RUNTIME_URL);
            EXPECT_EQ(call.Parameters, std::nullopt);
            EXPECT_EQ(call.Directory, std::nullopt);
            EXPECT_EQ(call.ShowCmd, 1);
        }
        EXPECT_EQ(FExitCodes, std::vector<win::UINT>{0}) << row.label;
    }
}

} // namespace
