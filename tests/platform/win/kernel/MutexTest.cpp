#include "platform/win/kernel/Mutex.h"

#include "platform/win/WinError.h"
#include "platform/win/kernel/KernelObject.h"
#include "platform/win/kernel/KernelTestSupport.h"
#include "platform/win/kernel/LastError.h"

#include <memory>

#include <gtest/gtest.h>

using namespace win;
using testsupport::ChildProcess;
using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace {

class MutexTest : public ::testing::Test {
protected:
    TempDir FSession;
    ScopedEnv FRuntimeDir{"XDG_RUNTIME_DIR", FSession.Path()};
};

struct Created {
    HANDLE Handle;
    DWORD Error;
};

Created Create(const char16_t* name) {
    SetLastError(12345);
    HANDLE handle = CreateMutexW(nullptr, 1, name);
    return {handle, GetLastError()};
}

// A probe that has created the named mutex and holds it until its input closes.
std::unique_ptr<ChildProcess> StartHolder(const std::string& name, std::string& verdict) {
    auto probe = std::make_unique<ChildProcess>(std::vector<std::string>{WIN_KERNEL_PROBE, "mutex", name});
    probe->Send("go\n");
    verdict = probe->ReadLine().value_or("no answer");
    return probe;
}

} // namespace

TEST_F(MutexTest, ExistsWhileAnyHandleIsOpen) {
    const Created first = Create(u"Lumora AI");
    ASSERT_NE(first.Handle, nullptr);
    EXPECT_EQ(first.Error, ERROR_SUCCESS);

    const Created second = Create(u"Lumora AI");
    ASSERT_NE(second.Handle, nullptr);
    EXPECT_EQ(second.Error, ERROR_ALREADY_EXISTS);
    HANDLE opened = OpenMutexW(READ_CONTROL, 0, u"Lumora AI");
    ASSERT_NE(opened, nullptr);

    EXPECT_TRUE(CloseHandle(first.Handle));
    EXPECT_TRUE(CloseHandle(opened));
    const Created probe = Create(u"Lumora AI");
    EXPECT_EQ(probe.Error, ERROR_ALREADY_EXISTS) << "the second handle still holds it";

    EXPECT_TRUE(CloseHandle(probe.Handle));
    EXPECT_TRUE(CloseHandle(second.Handle));
    EXPECT_EQ(OpenMutexW(READ_CONTROL, 0, u"Lumora AI"), nullptr);
}

TEST_F(MutexTest, OpenFailsOnceTheLastHandleIsClosed) {
    EXPECT_EQ(OpenMutexW(READ_CONTROL, 0, u"gone"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    const Created created = Create(u"gone");
    ASSERT_NE(created.Handle, nullptr);
    ASSERT_TRUE(CloseHandle(created.Handle));
    EXPECT_EQ(OpenMutexW(READ_CONTROL, 0, u"gone"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    const Created again = Create(u"gone");
    EXPECT_EQ(again.Error, ERROR_SUCCESS);
    CloseHandle(again.Handle);
}

TEST_F(MutexTest, NamesAreExactAndLocalPrefixNamesTheSession) {
    struct Row {
        const char* label;
        const char16_t* createFirst;
        const char16_t* createSecond;
        DWORD secondError;
    };
    const Row rows[] = {
        {"same name", u"a", u"a", ERROR_ALREADY_EXISTS},
        {"case matters", u"abc", u"ABC", ERROR_SUCCESS},
        {"Local prefix", u"Local\\x", u"x", ERROR_ALREADY_EXISTS},
        {"slash is a plain character", u"p/q", u"p%2Fq", ERROR_SUCCESS},
        {"non-ASCII", u"\u00FC\u540D", u"\u00FC\u540D", ERROR_ALREADY_EXISTS},
    };
    for (const Row& row : rows) {
        const Created first = Create(row.createFirst);
        const Created second = Create(row.createSecond);
        ASSERT_NE(first.Handle, nullptr) << row.label;
        ASSERT_NE(second.Handle, nullptr) << row.label;
        EXPECT_EQ(first.Error, ERROR_SUCCESS) << row.label;
        EXPECT_EQ(second.Error, row.secondError) << row.label;
        CloseHandle(first.Handle);
        CloseHandle(second.Handle);
    }
}

TEST_F(MutexTest, RefusesBadNamesAndHandles) {
    const std::u16string tooLong(300, u'n');
    EXPECT_EQ(CreateMutexW(nullptr, 1, tooLong.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(CreateMutexW(nullptr, 1, u""), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
    EXPECT_EQ(OpenMutexW(READ_CONTROL, 0, nullptr), nullptr);

    HANDLE unnamed = CreateMutexW(nullptr, 1, nullptr);
    ASSERT_NE(unnamed, nullptr);
    EXPECT_TRUE(CloseHandle(unnamed));
    for (HANDLE bad : {unnamed, static_cast<HANDLE>(nullptr), reinterpret_cast<HANDLE>(0x1234)}) {
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
}

TEST_F(MutexTest, SessionsHaveTheirOwnNamespace) {
    const Created here = Create(u"session");
    TempDir otherSession;
    {
        ScopedEnv other("XDG_RUNTIME_DIR", otherSession.Path());
        const Created there = Create(u"session");
        EXPECT_EQ(there.Error, ERROR_SUCCESS);
        CloseHandle(there.Handle);
    }
    // Without a usable runtime folder (unset or relative) the private
    // per-user fallback folder is the namespace.
    {
        ScopedEnv unset("XDG_RUNTIME_DIR", std::nullopt);
        const Created fallback = Create(u"session-fallback-namespace");
        ASSERT_NE(fallback.Handle, nullptr);
        EXPECT_EQ(fallback.Error, ERROR_SUCCESS);
        ScopedEnv relative("XDG_RUNTIME_DIR", "relative/run");
        const Created same = Create(u"session-fallback-namespace");
        EXPECT_EQ(same.Error, ERROR_ALREADY_EXISTS);
        CloseHandle(same.Handle);
        CloseHandle(fallback.Handle);
    }
    CloseHandle(here.Handle);
}

TEST_F(MutexTest, OfTwoProcessesStartedTogetherExactlyOneIsFirst) {
    for (int round = 0; round < 20; ++round) {
        const std::string name = "race " + std::to_string(round);
        ChildProcess a({WIN_KERNEL_PROBE, "mutex", name});
        ChildProcess b({WIN_KERNEL_PROBE, "mutex", name});
        a.Send("go\n");
        b.Send("go\n");
        const std::string verdictA = a.ReadLine().value_or("no answer");
        const std::string verdictB = b.ReadLine().value_or("no answer");
        EXPECT_TRUE((verdictA == "first" && verdictB == "second") ||
                    (verdictA == "second" && verdictB == "first"))
            << "round " << round << ": " << verdictA << " / " << verdictB;
        a.CloseInput();
        b.CloseInput();
        EXPECT_EQ(a.Wait(), 0);
        EXPECT_EQ(b.Wait(), 0);
    }
}

TEST_F(MutexTest, AKilledHolderDoesNotBlockTheNextStart) {
    std::string verdict;
    auto holder = StartHolder("Lumora AI", verdict);
    ASSERT_EQ(verdict, "first");
    HANDLE seen = OpenMutexW(READ_CONTROL, 0, u"Lumora AI");
    EXPECT_NE(seen, nullptr) << "another process's mutex is visible here";
    CloseHandle(seen);

    holder->Kill();
    EXPECT_EQ(OpenMutexW(READ_CONTROL, 0, u"Lumora AI"), nullptr);
    auto next = StartHolder("Lumora AI", verdict);
    EXPECT_EQ(verdict, "first");
}
