#include <gtest/gtest.h>
#include <windows.h>

#include <utility>

#include "common/ScopedWin.h"

namespace {

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != 0;
}

TEST(ScopedWin, KernelHandleIsClosedOnceByItsLastOwner) {
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    {
        ScopedHandle first(raw);
        EXPECT_TRUE(first);
        ScopedHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.Get(), raw);
        ScopedHandle third;
        third = std::move(second);
        EXPECT_TRUE(IsOpen(raw));
    }
    EXPECT_FALSE(IsOpen(raw));

    raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE kept = nullptr;
    {
        ScopedHandle owner(raw);
        kept = owner.Release();
        EXPECT_FALSE(owner);
    }
    EXPECT_TRUE(IsOpen(kept));
    CloseHandle(kept);
}

TEST(ScopedWin, FailedCreationsHoldNothing) {
    EXPECT_FALSE(ScopedHandle(INVALID_HANDLE_VALUE));  // CreateFileW's failure
    EXPECT_FALSE(ScopedHandle(nullptr));
    WIN32_FIND_DATAW entry;
    EXPECT_FALSE(ScopedFindHandle(FindFirstFileW(L"C:\\no\\such\\dir\\*", &entry)));
    EXPECT_FALSE(ScopedRegKey());
    EXPECT_FALSE(ScopedLibrary(LoadLibraryW(L"no-such-library.dll")));
}

TEST(ScopedWin, ReceiveClosesTheOldHandleFirst) {
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ScopedHandle owner(raw);
    HANDLE* slot = owner.Receive();
    EXPECT_FALSE(IsOpen(raw));
    *slot = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_TRUE(owner);

    ScopedRegKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_READ, key.Receive()), ERROR_SUCCESS);
    EXPECT_TRUE(key);
}

}  // namespace
