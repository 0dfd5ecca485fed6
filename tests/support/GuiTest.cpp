#include "tests/support/GuiTest.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "framework/MessageLoop.h"

namespace test {

void PumpPending() {
    fw::MessageLoop loop;
    loop.PumpPending();
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        PumpPending();
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return done();
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool WaitForProcessEnd(HANDLE process, DWORD timeoutMs) {
    if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
        return true;
    }
    return WaitUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, timeoutMs);
}

std::string WindowTextA(HWND hwnd) {
    char buffer[1024] = {};
    GetWindowTextA(hwnd, buffer, sizeof(buffer));
    return buffer;
}

std::wstring WindowTextW(HWND hwnd) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(hwnd, buffer, 1024);
    return buffer;
}

std::vector<HWND> FindDialogWindows(const char* title) {
    std::vector<HWND> found;
    HWND after = nullptr;
    while ((after = FindWindowExA(nullptr, after, "#32770", title)) != nullptr) {
        found.push_back(after);
    }
    return found;
}

DialogWatcher::DialogWatcher(const char* title, std::vector<HWND> ignore, int button,
                             bool messageBoxesOnly)
    : title_(title ? title : ""),
      anyTitle_(title == nullptr),
      ignore_(std::move(ignore)),
      button_(button),
      messageBoxesOnly_(messageBoxesOnly),
      thread_([this] { Watch(); }) {}

DialogWatcher::~DialogWatcher() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::vector<SeenDialog> DialogWatcher::Seen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

void DialogWatcher::Watch() {
    while (!stop_) {
        HWND box = nullptr;
        while ((box = FindWindowExA(nullptr, box, "#32770",
                                    anyTitle_ ? nullptr : title_.c_str())) != nullptr) {
            // A message box is a dialog with a static text control of id 0xFFFF.
            const bool isMessageBox = GetDlgItem(box, 0xFFFF) != nullptr;
            if (!IsWindowVisible(box) || (messageBoxesOnly_ && !isMessageBox)) {
                continue;
            }
            std::lock_guard<std::mutex> lock(mutex_);
            bool known = false;
            for (HWND ignored : ignore_) {
                known = known || ignored == box;
            }
            for (const SeenDialog& seen : seen_) {
                known = known || seen.hwnd == box;
            }
            if (known) {
                continue;
            }
            SeenDialog seen;
            seen.hwnd = box;
            seen.owner = GetWindow(box, GW_OWNER);
            seen.title = WindowTextW(box);
            for (HWND child = GetWindow(box, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                seen.controlTexts.push_back(WindowTextW(child));
            }
            if (HWND message = GetDlgItem(box, 0xFFFF)) {
                seen.message = WindowTextA(message);
            }
            seen_.push_back(seen);
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, button_)));
        }
        Sleep(20);
    }
}

HWND DialogOfProcess(const char* title, DWORD processId) {
    for (HWND hwnd : FindDialogWindows(title)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == processId) {
            return hwnd;
        }
    }
    return nullptr;
}

std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!window ||
        !SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length)) {
        return std::string();
    }
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_NORMAL, 5000, &copied)) {
        return std::string();
    }
    text.resize(copied);
    return text;
}

std::string DebugLogText(HWND debugWindow) {
    std::string text = TextOf(GetDlgItem(debugWindow, 1001));
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

MessageBoxWatcher::MessageBoxWatcher(int button) : DialogWatcher(nullptr, {}, button, true) {}

std::vector<std::string> MessageBoxWatcher::Texts() const {
    std::vector<std::string> texts;
    for (const SeenDialog& seen : Seen()) {
        texts.push_back(seen.message);
    }
    return texts;
}

std::string TestProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\') + 1);
}

namespace {

// The current environment block with the given variables set.
std::vector<char> EnvironmentWith(const std::map<std::string, std::string>& overrides) {
    std::map<std::string, std::string> variables;
    char* block = GetEnvironmentStringsA();
    for (const char* entry = block; *entry; entry += strlen(entry) + 1) {
        std::string text(entry);
        const size_t equals = text.find('=', 1);
        if (equals != std::string::npos) {
            variables[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    FreeEnvironmentStringsA(block);
    for (const auto& [name, value] : overrides) {
        variables[name] = value;
    }
    std::vector<char> result;
    for (const auto& [name, value] : variables) {
        const std::string entry = name + "=" + value;
        result.insert(result.end(), entry.begin(), entry.end());
        result.push_back('\0');
    }
    result.push_back('\0');
    return result;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::string& arguments,
                           const std::map<std::string, std::string>& environment) {
    const bool fullPath = program.find_first_of(":\\") != std::string::npos;
    const std::string path = fullPath ? program : TestProgramFolder() + program;
    std::string commandLine = "\"" + path + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    std::vector<char> mutableCommandLine(commandLine.begin(), commandLine.end());
    mutableCommandLine.push_back('\0');
    std::vector<char> env = EnvironmentWith(environment);

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (CreateProcessA(path.c_str(), mutableCommandLine.data(), nullptr, nullptr, FALSE, 0,
                       env.data(), TestProgramFolder().c_str(), &startup, &info)) {
        process_.Reset(info.hProcess);
        CloseHandle(info.hThread);
        processId_ = info.dwProcessId;
        threadId_ = info.dwThreadId;
    }
}

ChildProcess::~ChildProcess() {
    if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.Get(), 1);
        WaitForSingleObject(process_.Get(), 5000);
    }
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!process_ || !WaitForProcessEnd(process_.Get(), timeoutMs)) {
        return false;
    }
    if (exitCode) {
        GetExitCodeProcess(process_.Get(), exitCode);
    }
    return true;
}

namespace {

constexpr char kTrayTitle[] = "Wine System Tray";

// Starts a Linux program, which Wine starts as it is. The display is named on its command
// line: one started in quick succession after another sometimes finds no DISPLAY in the
// environment Wine gives it. For a Linux program Wine fills the process information with
// whatever lay on its stack: closing those handles would close handles of this process.
bool StartOnHost(const std::string& command) {
    char display[64] = {};
    GetEnvironmentVariableA("DISPLAY", display, sizeof(display));
    std::string commandLine = "/usr/bin/env DISPLAY=" + std::string(display) + " " + command;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    return CreateProcessA("Z:\\usr\\bin\\env", commandLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &info) != FALSE;
}

}  // namespace

long RunToEnd(const std::string& program, const std::string& arguments, DWORD timeoutMs) {
    ChildProcess process(program, arguments);
    DWORD code = 0;
    if (!process.Started() || !process.WaitForExit(timeoutMs, &code)) {
        return -1;
    }
    return static_cast<long>(code);
}

long RunOnHost(const std::string& shellCommand, DWORD timeoutMs) {
    // Linux programs give Wine no handle to wait on: the command leaves its status in a file,
    // named apart from those of tests under other Wine servers, which number processes alike.
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const std::string status = "/tmp/voxtelo-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(now.QuadPart);
    std::string hostStatus = "Z:" + status;
    for (char& c : hostStatus) {
        c = c == '/' ? '\\' : c;
    }
    if (!StartOnHost("/bin/sh -c \"" + shellCommand + "; echo $? >" + status + ".part && mv " +
                     status + ".part " + status + "\"")) {
        return -1;
    }
    const bool ended =
        WaitUntil([&] { return GetFileAttributesA(hostStatus.c_str()) != INVALID_FILE_ATTRIBUTES; },
                  timeoutMs);
    long result = -1;
    if (ended) {
        char text[16] = {};
        if (FILE* file = fopen(hostStatus.c_str(), "r")) {
            if (fgets(text, sizeof text, file)) {
                result = atol(text);
            }
            fclose(file);
        }
        DeleteFileA(hostStatus.c_str());
    }
    return result;
}

bool RunXdotool(const std::string& arguments, DWORD timeoutMs) {
    return RunOnHost("/usr/bin/xdotool " + arguments, timeoutMs) == 0;
}

bool StartXdotool(const std::string& arguments) {
    return StartOnHost("/usr/bin/xdotool " + arguments);
}

std::vector<HWND> TrayIconWindows() {
    std::vector<HWND> icons;
    HWND tray = FindWindowA(nullptr, kTrayTitle);
    for (HWND icon = tray ? GetWindow(tray, GW_CHILD) : nullptr; icon;
         icon = GetWindow(icon, GW_HWNDNEXT)) {
        if (IsWindowVisible(icon)) {
            icons.push_back(icon);
        }
    }
    return icons;
}

HWND ShownMenuOfProcess(DWORD processId) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32768", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

bool WaitForTrayOnScreen(DWORD timeoutMs) {
    // xdotool's search ends with 0 once it finds a viewable window of that name.
    return WaitUntil(
        [] {
            return RunXdotool(
                std::string("search --onlyvisible --name '^") + kTrayTitle + "$' >/dev/null", 5000);
        },
        timeoutMs);
}

}  // namespace test
