#include "platform/vcl/Registry.h"

#include "platform/rtl/String.h"
#include "platform/win/WinError.h"
#include "platform/win/registry/Registry.h"
#include "platform/win/registry/RegistrySeed.h"

#include <gtest/gtest.h>

using namespace win;

namespace {

constexpr const char16_t* kAppPaths = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegClearSeeds();
        RegSeedStringValue(HKEY_LOCAL_MACHINE, rtl::String(kAppPaths) + u"\\IEXPLORE.EXE", u"",
                           u"/opt/ie/iexplore");
        RegSeedStringValue(HKEY_LOCAL_MACHINE, rtl::String(kAppPaths) + u"\\IEXPLORE.EXE", u"Path",
                           u"/opt/ie");
        RegSeedValue(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Numbers", u"Count", REG_DWORD, {7, 0, 0, 0});
        RegSeedKey(HKEY_CURRENT_USER, u"SOFTWARE\\Only User");
    }
    void TearDown() override { RegClearSeeds(); }
};

rtl::String ReadDefault(HKEY key) {
    char16_t text[64] = {};
    DWORD size = sizeof(text);
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(text), &size) !=
        ERROR_SUCCESS)
        return u"<failed>";
    return type == REG_SZ ? rtl::String(text) : u"<not a string>";
}

} // namespace

TEST_F(RegistryTest, OpensSeededKeysIgnoringCase) {
    struct Row {
        HKEY root;
        const char16_t* path;
        LSTATUS expected;
    };
    const Row rows[] = {
        {HKEY_LOCAL_MACHINE, u"software\\microsoft\\windows\\currentversion\\app paths\\iexplore.exe",
         ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\", ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, u"SOFTWARE\\Only User", ERROR_FILE_NOT_FOUND},
        {HKEY_CURRENT_USER, u"SOFTWARE\\Only User", ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MPC",
         ERROR_FILE_NOT_FOUND},
        {HKEY_LOCAL_MACHINE, u"\\SOFTWARE", ERROR_BAD_PATHNAME},
        {reinterpret_cast<HKEY>(std::uintptr_t(0x52000004)), u"SOFTWARE", ERROR_INVALID_HANDLE},
    };
    for (const Row& row : rows) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExW(row.root, row.path, 0, KEY_READ, &key), row.expected)
            << rtl::StringToUtf8(row.path);
        EXPECT_EQ(key != nullptr, row.expected == ERROR_SUCCESS);
        if (key) {
            EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
        }
    }
}

TEST_F(RegistryTest, ReadsValuesWithTheSystemsSizeRules) {
    HKEY apps = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppPaths, 0, KEY_READ, &apps), ERROR_SUCCESS);
    HKEY ie = nullptr;
    ASSERT_EQ(RegOpenKeyExW(apps, u"IExplore.exe", 0, KEY_READ, &ie), ERROR_SUCCESS)
        << "relative to an open key";
    EXPECT_EQ(ReadDefault(ie), u"/opt/ie/iexplore");

    const DWORD needed = sizeof(u"/opt/ie/iexplore");
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(ie, u"", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, needed) << "with the terminating zero";
    BYTE small[4];
    size = sizeof(small);
    EXPECT_EQ(RegQueryValueExW(ie, nullptr, nullptr, nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(RegQueryValueExW(ie, u"PATH", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(ie, u"Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadDefault(apps), u"<failed>");

    EXPECT_EQ(RegCloseKey(ie), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(ie), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExW(ie, nullptr, nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    RegClearSeeds();
    EXPECT_EQ(RegQueryValueExW(apps, nullptr, nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(apps), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS) << "root keys stay";
}

TEST_F(RegistryTest, CountsEveryOpen) {
    const std::uint64_t before = RegOpenCount();
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0, KEY_READ, &key);
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"NOWHERE", 0, KEY_READ, &key);
    EXPECT_EQ(RegOpenCount(), before + 2);
}

TEST_F(RegistryTest, TRegistryOpensAbsoluteAndRelativeKeys) {
    vcl::TRegistry registry;
    EXPECT_EQ(registry.RootKey(), HKEY_CURRENT_USER);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKeyReadOnly(u"\\SOFTWARE\\Microsoft"));
    EXPECT_EQ(registry.CurrentPath(), u"SOFTWARE\\Microsoft");
    ASSERT_TRUE(registry.OpenKeyReadOnly(u"Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE"));
    EXPECT_EQ(registry.CurrentPath(),
              u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE");
    EXPECT_EQ(registry.ReadString(u""), u"/opt/ie/iexplore");
    EXPECT_EQ(registry.ReadString(u"path"), u"/opt/ie");
    EXPECT_EQ(registry.ReadString(u"Missing"), u"");
    EXPECT_TRUE(registry.ValueExists(u"Path"));
    EXPECT_FALSE(registry.ValueExists(u"Missing"));

    EXPECT_FALSE(registry.OpenKeyReadOnly(u"SOFTWARE"))
        << "relative to the open key, which has no such child";
    EXPECT_NE(registry.CurrentKey(), nullptr) << "a failed open keeps the open key";
    ASSERT_TRUE(registry.OpenKeyReadOnly(u"\\SOFTWARE\\Numbers"));
    try {
        (void)registry.ReadString(u"Count");
        ADD_FAILURE() << "a number read as text must raise";
    } catch (const vcl::ERegistryException& e) {
        EXPECT_EQ(e.Message(), u"Invalid data type for 'Count'");
    }
    registry.SetRootKey(HKEY_CURRENT_USER);
    EXPECT_EQ(registry.CurrentKey(), nullptr);
    EXPECT_EQ(registry.CurrentPath(), u"");
}
