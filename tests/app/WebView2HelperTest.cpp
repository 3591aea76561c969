#include "app/WebView2Helper.h"

#include "platform/rtl/String.h"
#include "platform/webview/loader/WebView2Loader.h"
#include "platform/win/WinError.h"
#include "platform/win/kernel/KernelTestSupport.h"
#include "platform/win/kernel/Module.h"
#include "platform/win/shell/CoTaskMem.h"

#include <dlfcn.h>
#include <regex>
#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace app;
using testsupport::RunToEnd;
using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace {

constexpr const char* kEngine = "libwebkit2gtk-4.1.so.0";

bool EngineLoads() {
    void* engine = ::dlopen(kEngine, RTLD_NOW | RTLD_LOCAL);
    return engine != nullptr; // stays loaded: the engine does not support unloading
}

// A program folder with spaces and non-ASCII characters holding a copy of
// the probe program and, when asked, the loader library.
struct ProgramFolder {
    explicit ProgramFolder(bool withLoader) {
        testsupport::CopyFile(APP_RUNTIME_PROBE, Program());
        ::chmod(Program().c_str(), 0755);
        if (withLoader)
            testsupport::CopyFile(WEBVIEW_LOADER_LIBRARY, Loader());
    }
    [[nodiscard]] std::string Program() const { return Dir.Path() + "/Lumora AI probe"; }
    [[nodiscard]] std::string Loader() const { return Dir.Path() + "/WebView2Loader.dll"; }
    TempDir Dir{"Programs \u00FC\u540D/Lumora AI"};
};

// The probe's "check" lines: {version, installed}.
std::vector<std::pair<std::string, std::string>> Checks(const std::string& output) {
    static const std::regex line("version=(.*)\ninstalled=(.*)\n");
    std::vector<std::pair<std::string, std::string>> checks;
    for (auto it = std::sregex_iterator(output.begin(), output.end(), line); it != std::sregex_iterator();
         ++it)
        checks.emplace_back((*it)[1], (*it)[2]);
    return checks;
}

bool LooksLikeAVersion(const std::string& text) {
    return std::regex_match(text, std::regex(R"(\d+\.\d+\.\d+)"));
}

} // namespace

TEST(GetAppDataFolder, IsTheLocalDataFolderWithTheProgramsFolderName) {
    {
        ScopedEnv data("XDG_DATA_HOME", "/var/data home");
        EXPECT_EQ(GetAppDataFolder(), u"/var/data home/Lumora AI/");
    }
    EXPECT_TRUE(GetAppDataFolder().ends_with(u"/Lumora AI/"));
    EXPECT_GT(GetAppDataFolder().size(), std::u16string_view(u"/Lumora AI/").size());
}

TEST(WebView2Runtime, IsInstalledWhenTheLoaderInTheProgramFolderFindsTheEngine) {
    if (!EngineLoads())
        GTEST_SKIP() << kEngine << " is not installed";
    const ProgramFolder folder(true);
    const auto result = RunToEnd({folder.Program(), "check"});
    EXPECT_EQ(result.ExitCode, 0);
    const auto checks = Checks(result.Output);
    ASSERT_EQ(checks.size(), 1u) << result.Output;
    EXPECT_TRUE(LooksLikeAVersion(checks[0].first)) << checks[0].first;
    EXPECT_EQ(checks[0].second, "1");
}

TEST(WebView2Runtime, EveryFailureMeansNotInstalled) {
    const ProgramFolder noLoader(false);
    const ProgramFolder withLoader(true);
    TempDir brokenEngine;
    testsupport::WriteTextFile(brokenEngine.Path() + "/" + kEngine, "");
    TempDir engineWithoutVersion;
    testsupport::CopyFile(WIN_KERNEL_FIXTURE_LIB, engineWithoutVersion.Path() + "/" + kEngine);
    struct Row {
        const char* label;
        const ProgramFolder& folder;
        std::optional<std::string> libraryPath;
    };
    const Row rows[] = {
        {"loader missing from the program folder", noLoader, std::nullopt},
        {"engine does not load", withLoader, brokenEngine.Path()},
        {"engine without its version calls", withLoader, engineWithoutVersion.Path()},
    };
    for (const Row& row : rows) {
        std::optional<ScopedEnv> libraryPath;
        if (row.libraryPath)
            libraryPath.emplace("LD_LIBRARY_PATH", *row.libraryPath);
        const auto result = RunToEnd({row.folder.Program(), "check"});
        EXPECT_EQ(Checks(result.Output), (std::vector<std::pair<std::string, std::string>>{{"", "0"}}))
            << row.label;
    }
}

TEST(WebView2Runtime, TheLoaderIsLoadedOnceAndAFailedLoadIsRetried) {
    if (!EngineLoads())
        GTEST_SKIP() << kEngine << " is not installed";
    const ProgramFolder folder(false);
    const auto result = RunToEnd({folder.Program(), "check", "copy", WEBVIEW_LOADER_LIBRARY, folder.Loader(),
                                  "check", "remove", folder.Loader(), "check"});
    const auto checks = Checks(result.Output);
    ASSERT_EQ(checks.size(), 3u) << result.Output;
    EXPECT_EQ(checks[0].second, "0") << "no loader yet";
    EXPECT_EQ(checks[1].second, "1") << "the next call tries again";
    EXPECT_EQ(checks[2].second, "1") << "the loaded library stays";
}

TEST(WebView2Loader, AnswersWithTheDocumentedContract) {
    win::HMODULE loader = win::LoadLibraryW(rtl::Utf8ToString(WEBVIEW_LOADER_LIBRARY).c_str());
    ASSERT_NE(loader, nullptr);
    const auto getVersion = reinterpret_cast<TGetAvailableCoreWebView2BrowserVersionString>(
        win::GetProcAddress(loader, kGetAvailableCoreWebView2BrowserVersionString));
    ASSERT_NE(getVersion, nullptr);
    EXPECT_EQ(win::GetProcAddress(loader, "_ZN3win14CoTaskMemAllocEm"), nullptr)
        << "the stand-in pieces linked into the loader stay private";

    EXPECT_EQ(getVersion(nullptr, nullptr), win::E_POINTER);

    TempDir empty;
    TempDir foreign;
    testsupport::CopyFile(WIN_KERNEL_FIXTURE_LIB, foreign.Path() + "/" + kEngine);
    struct Row {
        const char* label;
        std::string folder;
        win::HRESULT expected;
    };
    const Row rows[] = {
        {"folder without an engine", empty.Path(), win::HRESULT_FROM_WIN32(win::ERROR_FILE_NOT_FOUND)},
        {"folder with a library that is not the engine", foreign.Path() + "/",
         win::HRESULT_FROM_WIN32(win::ERROR_PROC_NOT_FOUND)},
    };
    for (const Row& row : rows) {
        win::LPWSTR version = reinterpret_cast<win::LPWSTR>(std::uintptr_t(1));
        EXPECT_EQ(getVersion(rtl::Utf8ToString(row.folder).c_str(), &version), row.expected) << row.label;
        EXPECT_EQ(version, nullptr) << row.label;
    }

    if (EngineLoads()) {
        win::LPWSTR version = nullptr;
        ASSERT_EQ(getVersion(nullptr, &version), win::S_OK);
        ASSERT_NE(version, nullptr);
        EXPECT_TRUE(LooksLikeAVersion(rtl::StringToUtf8(version)));
        win::CoTaskMemFree(version);
    }
    win::FreeLibrary(loader);
}
