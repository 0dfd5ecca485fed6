// The main phone window: start-up and shut-down, its message map, and (as later folders
// arrive) the call state of the active carrier.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/CallState.h"
#include "framework/Dialog.h"
#include "framework/GdiplusSession.h"

class CBookmarkDlg;
class CDebugDlg;
class ModemPhone;
class SkypeApi;

class CVoxteloDlg : public fw::Dialog {
public:
    // `arguments` is the command line, the program name first.
    explicit CVoxteloDlg(std::vector<std::string> arguments);
    ~CVoxteloDlg() override;

    // Keys and the wheel go to the window itself, never to the dialog manager.
    bool PreTranslateMessage(MSG& msg) override;

    CallState DialogState() const { return dialogState_; }
    Carrier ActiveCarrier() const { return activeCarrier_; }
    bool IsStartHidden() const { return startHidden_; }
    bool IsDebugEnabled() const { return debugEnabled_; }
    bool IsLedAvailable() const { return ledAvailable_; }
    bool HasFocus() const { return hasFocus_; }
    const std::string& RingPath() const { return ringPath_; }
    CDebugDlg* DebugWindow() const { return debugDlg_; }
    CBookmarkDlg* BookmarkDialog() const { return bookmarkDlg_; }
    ModemPhone* Modem() const { return modem_.get(); }
    SkypeApi* Skype() const { return skype_.get(); }

    // The window title by which every part of the program finds this window.
    static constexpr char kTitle[] = "Voxtelo";

protected:
    bool OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Start-up.
    void AddAboutEntry();
    void SetUpMembers();
    void ScanCommandLine();

    // Handlers.
    std::optional<LRESULT> OnSysCommand(WPARAM id, LPARAM lParam);
    void OnPaint();
    void OnClose();
    LRESULT OnPowerBroadcast(WPARAM event);
    LRESULT OnPhoneKey();
    LRESULT OnInternal(WPARAM recipient, LPARAM code);
    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* data);
    LRESULT OnSkypeAttach(WPARAM skypeWindow, LPARAM status);
    void OnFocusChange(bool focused);
    void OpenAboutBox();

    // Declared first: GDI+ outlives every member that may hold a GDI+ object.
    fw::GdiplusSession gdiplus_;
    HICON icon_ = nullptr;  // a shared resource icon: the system frees it
    std::vector<std::string> arguments_;

    Carrier activeCarrier_ = Carrier::None;
    CallState dialogState_ = CallState::INIT;
    bool startHidden_ = true;
    bool debugEnabled_ = false;
    bool ledAvailable_ = false;
    bool hasFocus_ = false;
    std::string ringPath_;

    CDebugDlg* debugDlg_ = nullptr;        // ends itself with its window
    CBookmarkDlg* bookmarkDlg_ = nullptr;  // ends itself with its window
    std::unique_ptr<SkypeApi> skype_;
    std::unique_ptr<ModemPhone> modem_;
};
