#include "platform/win/shell/SpecialFolders.h"

#include "platform/rtl/String.h"
#include "platform/win/kernel/KernelTestSupport.h"
#include "platform/win/shell/CoTaskMem.h"

#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace win;
using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace {

using EnvList = std::vector<std::pair<const char*, std::optional<std::string>>>;

// Every variable the mapping reads, set for one row and restored after it.
struct RowEnvironment {
    explicit RowEnvironment(const EnvList& settings) {
        const EnvList defaults = {{"HOME", "/home/tester"},
                                  {"XDG_CONFIG_HOME", std::nullopt},
                                  {"XDG_DATA_HOME", std::nullopt},
                                  {"XDG_DATA_DIRS", std::nullopt}};
        for (const auto& [name, value] : defaults)
            FEnv.push_back(std::make_unique<ScopedEnv>(name, value));
        for (const auto& [name, value] : settings)
            FEnv.push_back(std::make_unique<ScopedEnv>(name, value));
    }
    std::vector<std::unique_ptr<ScopedEnv>> FEnv;
};

std::optional<std::string> FolderOf(int csidl) {
    WCHAR path[MAX_PATH];
    if (!SHGetSpecialFolderPathW(nullptr, path, csidl, 0))
        return std::nullopt;
    return rtl::StringToUtf8(path);
}

} // namespace

TEST(SHGetSpecialFolderPathW, MapsTheFolderIdsToTheXdgDirectories) {
    struct Row {
        const char* label;
        int csidl;
        EnvList env;
        std::optional<std::string> expected;
    };
    const std::string longest(MAX_PATH - 1, 'x');
    const Row rows[] = {
        {"roaming data default", CSIDL_APPDATA, {}, "/home/tester/.config"},
        {"roaming data from XDG_CONFIG_HOME", CSIDL_APPDATA, {{"XDG_CONFIG_HOME", "/cfg//"}}, "/cfg"},
        {"local data default", CSIDL_LOCAL_APPDATA, {}, "/home/tester/.local/share"},
        {"local data from XDG_DATA_HOME", CSIDL_LOCAL_APPDATA, {{"XDG_DATA_HOME", "/data"}}, "/data"},
        {"relative XDG_DATA_HOME is ignored",
         CSIDL_LOCAL_APPDATA,
         {{"XDG_DATA_HOME", "rel/data"}},
         "/home/tester/.local/share"},
        {"two-character answer passes through", CSIDL_LOCAL_APPDATA, {{"XDG_DATA_HOME", "/a"}}, "/a"},
        {"common data default", CSIDL_COMMON_APPDATA, {}, "/usr/local/share"},
        {"common data: first absolute data dir",
         CSIDL_COMMON_APPDATA,
         {{"XDG_DATA_DIRS", "rel::/d1/:/d2"}},
         "/d1"},
        {"program files", CSIDL_PROGRAM_FILES, {}, "/opt"},
        {"profile", CSIDL_PROFILE, {{"HOME", "/somewhere/else/"}}, "/somewhere/else"},
        {"common program files", CSIDL_PROGRAM_FILES_COMMON, {}, "/usr/local/lib"},
        {"flags are not part of the id", CSIDL_PROGRAM_FILES | 0x4000, {}, "/opt"},
        {"longest path that fits",
         CSIDL_LOCAL_APPDATA,
         {{"XDG_DATA_HOME", "/" + longest.substr(1)}},
         "/" + longest.substr(1)},
        {"path too long", CSIDL_LOCAL_APPDATA, {{"XDG_DATA_HOME", "/" + longest}}, std::nullopt},
        {"unsupported id (documents)", 0x0005, {}, std::nullopt},
        {"unsupported id", 0x7F, {}, std::nullopt},
    };
    for (const Row& row : rows) {
        RowEnvironment env(row.env);
        EXPECT_EQ(FolderOf(row.csidl), row.expected) << row.label;
    }
}

TEST(SHGetSpecialFolderPathW, CreatesPrivateFoldersOnRequest) {
    TempDir base;
    const std::string data = base.Path() + "/new/data home";
    ScopedEnv env("XDG_DATA_HOME", data);
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_LOCAL_APPDATA, 0));
    struct stat info {};
    EXPECT_NE(::stat(data.c_str(), &info), 0) << "not created without asking";

    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, 0));
    ASSERT_EQ(::stat(data.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(rtl::StringToUtf8(path), data);

    ScopedEnv blocked("XDG_DATA_HOME", base.Path() + "/file/below");
    testsupport::WriteTextFile(base.Path() + "/file", "a file is in the way");
    EXPECT_FALSE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_LOCAL_APPDATA, 1));
}

TEST(HomeFolderOfUser, ComesFromThePasswordDatabase) {
    const passwd* me = ::getpwuid(::geteuid());
    ASSERT_NE(me, nullptr);
    EXPECT_EQ(HomeFolderOfUser(rtl::Utf8ToString(me->pw_name)), rtl::Utf8ToString(me->pw_dir));
    EXPECT_EQ(HomeFolderOfUser(u"no-such-user-here"), u"/home/no-such-user-here");
}

TEST(CoTaskMemAlloc, GivesBlocksThatCoTaskMemFreeTakes) {
    for (const SIZE_T size : {SIZE_T(0), SIZE_T(1), SIZE_T(4096)}) {
        void* block = CoTaskMemAlloc(size);
        ASSERT_NE(block, nullptr) << size;
        std::memset(block, 0xAB, size);
        CoTaskMemFree(block);
    }
    CoTaskMemFree(nullptr);
}
