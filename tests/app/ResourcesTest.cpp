// The resources as the program loads them: the Chinese texts must come out exact whatever
// the ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"

namespace {

std::wstring LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

TEST(Resources, StringsLoadAsTheirExactTexts) {
    // "關於 Voxtelo(&A)...": U+95DC U+65BC, then ASCII.
    const std::wstring about = LoadResourceString(IDS_ABOUTBOX);
    const std::wstring expected = L"\u95DC\u65BC Voxtelo(&A)...";
    EXPECT_EQ(about, expected);
    EXPECT_EQ(LoadResourceString(IDS_SAVE_CHANGES), L"Save changes?");
    EXPECT_EQ(LoadResourceString(IDS_DELETE_CONFIRM), L"Delete. Are you sure?");

    // Its UTF-8 bytes, as the source file holds them.
    char utf8[64] = {};
    WideCharToMultiByte(CP_UTF8, 0, about.c_str(), -1, utf8, sizeof(utf8), nullptr, nullptr);
    EXPECT_STREQ(utf8, "\xE9\x97\x9C\xE6\x96\xBC Voxtelo(&A)...");
}

TEST(Resources, CarryTheIconVersionAndManifest) {
    HMODULE self = GetModuleHandleW(nullptr);
    EXPECT_NE(LoadIconW(self, MAKEINTRESOURCEW(IDR_MAINFRAME)), nullptr);
    EXPECT_NE(FindResourceW(self, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr);

    char path[MAX_PATH] = {};
    GetModuleFileNameA(self, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &infoSize));
    EXPECT_EQ(info->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(info->dwFileVersionLS, 0x00000003u);
}

}  // namespace
