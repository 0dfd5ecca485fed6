// Helpers for tests that run windows under Wine: pumping the queue, bounded waits, message
// boxes answered from a watcher thread, and programs started as child processes.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/Handles.h"

namespace test {

// Handles everything queued for this thread now, paints and due timers included.
void PumpPending();

// Pumps this thread's messages until `done` holds or `timeoutMs` passes; the result of
// `done` at the end.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

// Waits for a process to end while handling this thread's messages: a program that ends
// may first have to reach this thread's windows (a broadcast, a send), which must not wait
// out its bound meanwhile.
bool WaitForProcessEnd(HANDLE process, DWORD timeoutMs);

// The window's text as an ANSI string, and as UTF-16.
std::string WindowTextA(HWND hwnd);
std::wstring WindowTextW(HWND hwnd);

// Every top-level dialog window (class "#32770") with this title, in z-order.
std::vector<HWND> FindDialogWindows(const char* title);

// The first such window that belongs to the process, or null.
HWND DialogOfProcess(const char* title, DWORD processId);

// A window's text as its window procedure gives it (an edit control's content), also from
// another process, with a bounded wait; "" when it cannot be read.
std::string TextOf(HWND window);

// The whole text of a Debug Window's box (control 1001), its lines ended by LF alone as they
// were written (the box holds CR LF).
std::string DebugLogText(HWND debugWindow);

// A dialog window that a DialogWatcher met: its owner and the UTF-16 texts of its controls.
struct SeenDialog {
    HWND hwnd = nullptr;
    HWND owner = nullptr;
    std::wstring title;
    std::vector<std::wstring> controlTexts;
    std::string message;  // the text of a message box (control 0xFFFF), else ""
};

// Answers dialogs from a separate thread while the test thread sits in a modal loop: each
// visible top-level dialog with the title (any title when null), other than those ignored,
// is recorded and closed by pressing `button`.
class DialogWatcher {
public:
    DialogWatcher(const char* title, std::vector<HWND> ignore, int button = IDOK,
                  bool messageBoxesOnly = false);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    std::vector<SeenDialog> Seen() const;

private:
    void Watch();

    std::string title_;
    bool anyTitle_;
    std::vector<HWND> ignore_;
    int button_;
    bool messageBoxesOnly_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<SeenDialog> seen_;
    std::thread thread_;
};

// Answers message boxes: records each box's text and presses `button`.
class MessageBoxWatcher : public DialogWatcher {
public:
    explicit MessageBoxWatcher(int button = IDOK);
    std::vector<std::string> Texts() const;
};

// A program started from the tests' own folder, ended when the object goes.
class ChildProcess {
public:
    // `program` is a file name in the folder of the running test, or a full path;
    // `environment` entries are added to (or replace) the test's own environment.
    ChildProcess(const std::string& program, const std::string& arguments,
                 const std::map<std::string, std::string>& environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return process_.Valid(); }
    DWORD ProcessId() const { return processId_; }
    DWORD ThreadId() const { return threadId_; }
    // Waits for the end; true with the exit code when it ended within the time.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);

private:
    fw::KernelHandle process_;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
};

// Runs a program to its end: its exit code, or -1 when it did not start or end in time.
long RunToEnd(const std::string& program, const std::string& arguments, DWORD timeoutMs);

// The folder of the running test program, with a trailing backslash.
std::string TestProgramFolder();

// Starts xdotool (a Linux program: Wine starts it as it is) with `arguments` on the test's X
// display: real pointer and key input. Wine hands back no handle to wait on for a Linux
// process, so a test waits for the input's effect.
bool StartXdotool(const std::string& arguments);

// Runs a shell command on the host to its end (Wine starts Linux programs as they are): its
// exit status, or -1 when it did not start or end in time. The command must not hold a
// double quote.
long RunOnHost(const std::string& shellCommand, DWORD timeoutMs);

// xdotool run to its end: the input of the next call comes after all of this one's.
bool RunXdotool(const std::string& arguments, DWORD timeoutMs = 20000);

// The tray's icons, with no tray manager on the display: Wine shows them in a window of its
// own, "Wine System Tray", one visible child window per icon.
std::vector<HWND> TrayIconWindows();

// The shown pop-up menu of a process, or null. Other processes' menu windows, shown or
// hidden, may come first in the z-order.
HWND ShownMenuOfProcess(DWORD processId);

// Waits until the tray's window is mapped on the X display, not only shown to Windows: until
// then, under load, a real click on an icon that has just come falls on nothing.
bool WaitForTrayOnScreen(DWORD timeoutMs = 15000);

}  // namespace test
