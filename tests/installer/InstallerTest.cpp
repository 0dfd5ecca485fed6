// The installer in a fresh Wine prefix (run-installer-test.sh makes it): a silent install, the
// phone started from the Start-menu shortcut's target, an update over the running phone that
// keeps the phone book, and silent uninstalls with and without the phone book.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "tests/support/GuiTest.h"

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Voxtelo";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kLinkCommandKeys[] = {"Software\\Classes\\tel\\shell\\open\\command",
                                            "Software\\Classes\\callto\\shell\\open\\command"};
constexpr DWORD kSetupMs = 60000;

std::string Folder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The value, or nullopt when the key or the value is missing.
std::optional<std::string> RegText(const char* key, const char* name) {
    char value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::string(value);
}

// The names in a folder, for failure messages.
std::string Listing(const std::string& folder) {
    std::string names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return "(no folder)";
    }
    do {
        names += std::string(found.cFileName) + " ";
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

bool KeyExists(const char* key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

// "a.b.c.d" from a program's version resource, "" without one.
std::string FileVersion(const std::string& path) {
    DWORD ignored = 0;
    std::vector<char> data(GetFileVersionInfoSizeA(path.c_str(), &ignored));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT size = 0;
    if (data.empty() ||
        !GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &size)) {
        return "";
    }
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionLS));
}

struct Shortcut {
    std::string target, arguments, folder;
};

std::optional<Shortcut> ReadShortcut(const std::string& path) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return std::nullopt;
    }
    std::optional<Shortcut> result;
    IPersistFile* file = nullptr;
    const std::wstring widePath(path.begin(), path.end());
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(widePath.c_str(), STGM_READ))) {
        char target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, folder[MAX_PATH] = {};
        if (SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0))) {
            link->GetArguments(arguments, MAX_PATH);
            link->GetWorkingDirectory(folder, MAX_PATH);
            result = Shortcut{target, arguments, folder};
        }
    }
    if (file) {
        file->Release();
    }
    link->Release();
    return result;
}

fw::KernelHandle Launch(const std::string& program, const std::string& arguments,
                        const std::string& folder = "") {
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        return {};
    }
    CloseHandle(info.hThread);
    return fw::KernelHandle(info.hProcess);
}

bool Ends(HANDLE process, DWORD ms = 10000) {
    return test::WaitForProcessEnd(process, ms);
}

long RunToEnd(const std::string& program, const std::string& arguments) {
    return test::RunToEnd(program, arguments, kSetupMs);
}

// The phone's main window and its process, once one runs.
struct Phone {
    HWND window = nullptr;
    DWORD processId = 0;
};

std::optional<Phone> WaitForPhone(DWORD notProcess = 0) {
    Phone phone;
    const bool found = test::WaitUntil(
        [&] {
            for (HWND window : test::FindDialogWindows("Voxtelo")) {
                DWORD id = 0;
                GetWindowThreadProcessId(window, &id);
                if (id != notProcess) {
                    phone = {window, id};
                    return true;
                }
            }
            return false;
        },
        15000);
    return found ? std::optional<Phone>(phone) : std::nullopt;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        const char* setupPath = std::getenv("VOXTELO_SETUP");
        ASSERT_NE(setupPath, nullptr) << "run-installer-test.sh names the installer";
        setup = setupPath;
        folder = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Voxtelo";
        shortcut = Folder(CSIDL_PROGRAMS) + "\\Voxtelo.lnk";
        book = folder + "\\Bookmark.ini";
    }
    void TearDown() override {
        for (HWND window : test::FindDialogWindows("Voxtelo")) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        CoUninitialize();
    }

    // The uninstaller hands over to a copy of itself and returns at once: its last steps mark
    // the end.
    void Uninstall(const std::string& arguments, const std::function<bool()>& done) {
        ASSERT_EQ(RunToEnd(folder + "\\uninstall.exe", "/S " + arguments), 0);
        const ULONGLONG start = GetTickCount64();
        ASSERT_TRUE(test::WaitUntil(done, kSetupMs))
            << "after " << GetTickCount64() - start << " ms; left: " << Listing(folder);
    }

    std::string setup, folder, shortcut, book;
};

TEST_F(Installer, InstallsStartsUpdatesKeepingThePhoneBookAndUninstalls) {
    ASSERT_FALSE(KeyExists(kUninstallKey)) << "the prefix is not fresh";
    ASSERT_FALSE(Exists(folder));

    // A silent install: the program, its ring, an empty phone book, the readme.
    ASSERT_EQ(RunToEnd(setup, "/S"), 0);
    const std::string exe = folder + "\\voxtelo.exe";
    for (const char* name : {"voxtelo.exe", "RING.WAV", "README.txt", "uninstall.exe"}) {
        EXPECT_TRUE(Exists(folder + "\\" + name)) << name;
    }
    ASSERT_TRUE(Exists(book));
    EXPECT_EQ(ReadFile(book), "");
    const std::string version = FileVersion(exe);
    EXPECT_NE(version, "");
    EXPECT_EQ(FileVersion(setup), version);
    EXPECT_EQ(RegText(kUninstallKey, "DisplayName"), "Voxtelo");
    EXPECT_EQ(RegText(kUninstallKey, "DisplayVersion"), version);
    EXPECT_EQ(RegText(kUninstallKey, "UninstallString"), "\"" + folder + "\\uninstall.exe\"");
    EXPECT_EQ(RegText(kUninstallKey, "QuietUninstallString"),
              "\"" + folder + "\\uninstall.exe\" /S");
    EXPECT_EQ(RegText(kRunKey, "Voxtelo"), "\"" + exe + "\"");
    // Links are handed to the phone only when asked for.
    for (const char* key : kLinkCommandKeys) {
        EXPECT_FALSE(KeyExists(key)) << key;
    }

    // The user's phone book, written while no phone runs: the phone rewrites the file
    // whenever it reads it.
    ASSERT_TRUE(WritePrivateProfileStringA("Alice", "Home", "5551234", book.c_str()));
    const std::string userBook = ReadFile(book);

    // The phone starts from the shortcut's target, hidden, as at sign-in.
    const auto link = ReadShortcut(shortcut);
    ASSERT_TRUE(link) << shortcut;
    EXPECT_EQ(lstrcmpiA(link->target.c_str(), exe.c_str()), 0) << link->target;
    fw::KernelHandle first = Launch(link->target, link->arguments, link->folder);
    ASSERT_TRUE(first);
    const auto phone = WaitForPhone();
    ASSERT_TRUE(phone);
    EXPECT_EQ(phone->processId, GetProcessId(first.Get()));
    EXPECT_TRUE(test::WaitUntil([&] { return !IsWindowVisible(phone->window); }));

    // An update over the running phone closes it and starts it again; asked to, it hands
    // links to the phone.
    ASSERT_EQ(RunToEnd(setup, "/S /TELLINKS"), 0);
    for (const char* key : kLinkCommandKeys) {
        EXPECT_EQ(RegText(key, ""), "\"" + exe + "\" \"%1\"") << key;
    }
    EXPECT_TRUE(Ends(first.Get())) << "the update closes the running phone";
    const auto restarted = WaitForPhone(phone->processId);
    ASSERT_TRUE(restarted) << "a phone that ran before the update runs after it";
    fw::KernelHandle second(OpenProcess(SYNCHRONIZE, FALSE, restarted->processId));
    // A link opened now starts the program, which hands the number over and ends; the running
    // phone comes forward.
    ASSERT_TRUE(test::WaitUntil([&] { return !IsWindowVisible(restarted->window); }));
    fw::KernelHandle linkStart = Launch(exe, "\"tel:+1-555-0100\"");
    ASSERT_TRUE(linkStart);
    EXPECT_TRUE(Ends(linkStart.Get()));
    EXPECT_TRUE(test::WaitUntil([&] { return IsWindowVisible(restarted->window) != FALSE; }));
    PostMessageA(restarted->window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Ends(second.Get()));
    EXPECT_EQ(ReadFile(book), userBook);

    // A silent uninstall removes everything but the phone book.
    Uninstall("", [&] { return !KeyExists(kUninstallKey) && !Exists(folder + "\\uninstall.exe"); });
    for (const char* name : {"voxtelo.exe", "RING.WAV", "README.txt"}) {
        EXPECT_FALSE(Exists(folder + "\\" + name)) << name;
    }
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_EQ(RegText(kRunKey, "Voxtelo"), std::nullopt);
    for (const char* key : kLinkCommandKeys) {
        EXPECT_FALSE(KeyExists(key)) << key;
    }
    EXPECT_EQ(ReadFile(book), userBook);

    // Back again without the sign-in start, the phone book is still there; asked to, the
    // uninstaller takes it and the folder too.
    ASSERT_EQ(RunToEnd(setup, "/S /NOAUTOSTART"), 0);
    EXPECT_TRUE(Exists(exe));
    EXPECT_EQ(ReadFile(book), userBook);
    EXPECT_EQ(RegText(kRunKey, "Voxtelo"), std::nullopt);
    Uninstall("/REMOVEPHONEBOOK", [&] { return !Exists(folder); });
    EXPECT_FALSE(KeyExists(kUninstallKey));
}

}  // namespace
