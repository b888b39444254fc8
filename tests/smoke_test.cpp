#include <windows.h>
#include <gtest/gtest.h>

TEST(Platform, AnsiCodePageIsJapanese)
{
    EXPECT_EQ(932u, GetACP());
}

TEST(Platform, TopLevelWindowCanBeCreated)
{
    HWND hwnd = CreateWindowExA(0, "STATIC", "x", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandle(nullptr), nullptr);
    ASSERT_NE(nullptr, hwnd);
    DestroyWindow(hwnd);
}
