#include "platform/win/kernel/Module.h"

#include "platform/rtl/String.h"
#include "platform/win/WinError.h"
#include "platform/win/kernel/KernelTestSupport.h"
#include "platform/win/kernel/LastError.h"
#include "platform/win/kernel/Process.h"

#include <unistd.h>

#include <gtest/gtest.h>

using namespace win;
using testsupport::TempDir;

namespace {

rtl::String ModuleFileName(HMODULE module) {
    WCHAR path[4096];
    const DWORD length = GetModuleFileNameW(module, path, 4096);
    return rtl::String(path, length < 4096 ? length : 0);
}

std::string ExecutablePath() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    return std::string(path, length > 0 ? static_cast<std::size_t>(length) : 0);
}

using FixtureAnswer = int (*)();

} // namespace

TEST(LoadLibraryW, LoadsByFullPathWithSpacesAndNonAsciiAndCountsReferences) {
    TempDir folder("dir with spaces \u00FC\u540D");
    const std::string path = folder.Path() + "/Fixture Library \u00FC.so";
    testsupport::CopyFile(WIN_KERNEL_FIXTURE_LIB, path);
    const rtl::String widePath = rtl::Utf8ToString(path);

    HMODULE module = LoadLibraryW(widePath.c_str());
    ASSERT_NE(module, nullptr);
    const auto answer = reinterpret_cast<FixtureAnswer>(GetProcAddress(module, "FixtureAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(ModuleFileName(module), widePath);
    EXPECT_EQ(GetModuleHandleW(u"FIXTURE LIBRARY \u00FC.SO"), module);
    EXPECT_EQ(GetModuleHandleW(widePath.c_str()), module);

    EXPECT_EQ(LoadLibraryW(widePath.c_str()), module) << "a second load is the same module";
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_NE(GetProcAddress(module, "FixtureAnswer"), nullptr) << "one reference is left";
    EXPECT_TRUE(FreeLibrary(module));

    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetProcAddress(module, "FixtureAnswer"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetModuleHandleW(widePath.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(LoadLibraryW, ReportsWhyALibraryDoesNotLoad) {
    TempDir folder;
    testsupport::WriteTextFile(folder.Path() + "/garbage.so", "not a shared object");
    struct Row {
        const char* label;
        rtl::String name;
        DWORD error;
    };
    const Row rows[] = {
        {"missing file", rtl::Utf8ToString(folder.Path() + "/missing.so"), ERROR_MOD_NOT_FOUND},
        {"missing folder", rtl::Utf8ToString(folder.Path() + "/no/such.so"), ERROR_MOD_NOT_FOUND},
        {"not a library", rtl::Utf8ToString(folder.Path() + "/garbage.so"), ERROR_BAD_EXE_FORMAT},
        {"unknown bare name", u"no-such-library-here.dll", ERROR_MOD_NOT_FOUND},
        {"empty name", u"", ERROR_INVALID_PARAMETER},
    };
    for (const Row& row : rows) {
        SetLastError(0);
        EXPECT_EQ(LoadLibraryW(row.name.c_str()), nullptr) << row.label;
        EXPECT_EQ(GetLastError(), row.error) << row.label;
    }
    EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
}

TEST(GetProcAddress, RefusesMissingNamesOrdinalsAndBadHandles) {
    HMODULE module = LoadLibraryW(rtl::Utf8ToString(WIN_KERNEL_FIXTURE_LIB).c_str());
    ASSERT_NE(module, nullptr);
    struct Row {
        const char* label;
        HMODULE module;
        LPCSTR name;
        DWORD error;
    };
    const Row rows[] = {
        {"missing export", module, "NoSuchExport", ERROR_PROC_NOT_FOUND},
        {"ordinal", module, reinterpret_cast<LPCSTR>(std::uintptr_t(1)), ERROR_PROC_NOT_FOUND},
        {"forged handle", reinterpret_cast<HMODULE>(std::uintptr_t(0x4D000004)), "FixtureAnswer",
         ERROR_INVALID_HANDLE},
        {"system module without that export", GetModuleHandleW(u"kernel32.dll"), "FixtureAnswer",
         ERROR_PROC_NOT_FOUND},
    };
    for (const Row& row : rows) {
        SetLastError(0);
        EXPECT_EQ(GetProcAddress(row.module, row.name), nullptr) << row.label;
        EXPECT_EQ(GetLastError(), row.error) << row.label;
    }
    FreeLibrary(module);
}

TEST(SystemModules, AreFoundByNameAndPublishTheirExports) {
    HMODULE kernel = GetModuleHandleW(u"kernel32.dll");
    ASSERT_NE(kernel, nullptr);
    EXPECT_EQ(GetModuleHandleW(u"KERNEL32"), kernel);
    EXPECT_EQ(LoadLibraryW(u"Kernel32.DLL"), kernel);
    EXPECT_TRUE(FreeLibrary(kernel));
    EXPECT_NE(GetModuleHandleW(u"user32.dll"), kernel);

    using IsWow64ProcessProc = BOOL (*)(HANDLE, PBOOL);
    const auto isWow64 = reinterpret_cast<IsWow64ProcessProc>(GetProcAddress(kernel, "IsWow64Process"));
    ASSERT_NE(isWow64, nullptr);
    BOOL wow = 1;
    EXPECT_TRUE(isWow64(GetCurrentProcess(), &wow));
    EXPECT_FALSE(wow) << "a 64-bit process";

    RegisterSystemExport("user32.dll", "FixtureExport", reinterpret_cast<FARPROC>(&ExecutablePath));
    EXPECT_EQ(GetProcAddress(GetModuleHandleW(u"user32"), "FixtureExport"),
              reinterpret_cast<FARPROC>(&ExecutablePath));
    EXPECT_EQ(GetProcAddress(kernel, "FixtureExport"), nullptr);

    // The stand-in is linked into this program: its modules live in the program's file.
    EXPECT_EQ(ModuleFileName(kernel), rtl::Utf8ToString(ExecutablePath()));
}

TEST(GetModuleFileNameW, NamesTheProgramAndTruncatesToTheBuffer) {
    const rtl::String program = rtl::Utf8ToString(ExecutablePath());
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(ModuleFileName(nullptr), program);
    EXPECT_EQ(ModuleFileName(GetModuleHandleW(nullptr)), program);

    const auto length = static_cast<DWORD>(program.size());
    struct Row {
        DWORD size;
        DWORD result;
        DWORD copied;
        bool truncated;
    };
    const Row rows[] = {
        {length + 1, length, length, false},
        {length, length, length - 1, true},
        {1, 1, 0, true},
    };
    for (const Row& row : rows) {
        std::vector<WCHAR> buffer(row.size + 1, u'#');
        SetLastError(0);
        EXPECT_EQ(GetModuleFileNameW(nullptr, buffer.data(), row.size), row.result) << row.size;
        EXPECT_EQ(rtl::String(buffer.data()), program.substr(0, row.copied)) << row.size;
        EXPECT_EQ(GetLastError(), row.truncated ? ERROR_INSUFFICIENT_BUFFER : ERROR_SUCCESS) << row.size;
    }
}
