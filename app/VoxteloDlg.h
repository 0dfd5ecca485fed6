// The main phone window: start-up and shut-down, its message map, and the call state of the
// active carrier with the notice, the ring and the LED that follow it.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/RingSound.h"
#include "calllog/CallRecord.h"
#include "ui/Pixels.h"
#include "core/CallState.h"
#include "framework/Dialog.h"
#include "framework/GdiplusSession.h"
#include "framework/Handles.h"

namespace calllog {
class CallLog;
class CallTracker;
}  // namespace calllog
class CBookmarkDlg;
class CDebugDlg;
class CTaskbarNotifier;
class CTrayIcon;
class MainSkinHost;
class ModemPhone;
namespace scale {
class DisplayScale;
}
class SkypeApi;
struct ContactEntry;
namespace ui {
class ContactItem;
class GdiplusText;
class LayeredCanvas;
class PhoneSkin;
class SkinWidget;
struct PixelView;
}  // namespace ui

// The periods of the call notice and the ring file. The program runs with the defaults;
// tests pass short periods and a ring file of their own.
struct CallControlSettings {
    unsigned noticeAppearMs = 500;
    unsigned noticeStayMs = 5000;
    unsigned noticeHideMs = 500;
    unsigned noticeRepeatMs = 4500;  // timer 69
    std::string ringPath;            // "" = RING.WAV beside the program
};

class CVoxteloDlg : public fw::Dialog {
public:
    // `arguments` is the command line, the program name first.
    explicit CVoxteloDlg(std::vector<std::string> arguments, CallControlSettings settings = {});
    ~CVoxteloDlg() override;

    // Keys and the wheel go to the window itself, never to the dialog manager.
    bool PreTranslateMessage(MSG& msg) override;

    // The user's call actions: the call-start key (dial or answer), the call-end key (both
    // carriers hang up) and Enter (dial the selection).
    void OnCallStart();
    void OnCallEnd();
    void DialSelection();

    CallState DialogState() const { return dialogState_; }
    Carrier ActiveCarrier() const { return activeCarrier_; }
    bool IsStartHidden() const { return startHidden_; }
    bool IsDebugEnabled() const { return debugEnabled_; }
    bool IsLedAvailable() const { return ledAvailable_; }
    bool HasFocus() const { return hasFocus_; }
    const std::string& RingPath() const { return ringPath_; }
    unsigned RingDevice() const { return ring_.Device(); }
    const std::string& CallerNumber() const { return callerNumber_; }
    const std::string& CallerName() const { return callerName_; }
    const std::string& DialString() const { return dialString_; }
    // The user's own number on the display line, as the keys or a link leave it: a reload of
    // the phone book never replaces it.
    void SetDialString(const std::string& number) {
        dialString_ = number;
        dialStringTyped_ = true;
    }
    CDebugDlg* DebugWindow() const { return debugDlg_; }
    CTaskbarNotifier* Notifier() const { return notifier_.get(); }
    CBookmarkDlg* BookmarkDialog() const { return bookmarkDlg_; }
    ModemPhone* Modem() const { return modem_.get(); }
    SkypeApi* Skype() const { return skype_.get(); }

    // The window title by which every part of the program finds this window.
    static constexpr char kTitle[] = "Voxtelo";

    // The window's timers.
    enum TimerId : UINT_PTR {
        TIMER_LIST_SCROLL = 68,  // one smooth-scroll step of the lists
        TIMER_NOTICE = 69,       // shows the call notice again while a call notice is due
        TIMER_REPEAT_UP = 70,    // the held up key
        TIMER_REPEAT_DOWN = 71,  // the held down key
        TIMER_SKYPE_LIST = 72,   // the Skype list is rebuilt once a burst of changes is over
    };

protected:
    bool OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Start-up.
    void AddAboutEntry();
    void SetUpMembers();
    void ScanCommandLine();

    // Handlers.
    std::optional<LRESULT> Route(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> OnSysCommand(WPARAM id, LPARAM lParam);
    void OnPaint();
    void OnClose();
    void CloseNow();
    void TurnLedOff();
    LRESULT OnPowerBroadcast(WPARAM event);
    void OnTimer(UINT_PTR id);
    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* data);
    LRESULT OnSkypeAttach(WPARAM skypeWindow, LPARAM status);
    void OnFocusChange(bool focused);
    void OpenAboutBox();

    // Call control.
    LRESULT OnInternal(WPARAM recipient, LPARAM code);
    void OnWindowEvent(int code);
    bool IsSecondCall(CallState backEnd) const;
    void SetDialogState(CallState state);
    void SyncCarrier();
    void OnSkypeStateChanged();
    void OnModemStateChanged();
    void FollowModemRinging();
    void FollowRingingCall();
    void OnCallerInfo();
    void WatchCall();
    // Shown and in front, the start-up hiding over.
    void ComeForward();
    LRESULT OnPhoneKey(WPARAM origin);
    LRESULT OnNotifierClicked();
    void StartSkypeCall(const std::string& target);
    void DialModem(const std::string& number);
    void PostToSkype(int code);
    void PostRepaint();
    void ShowCallNotice(const std::string& text, int background);
    void OnNoticeTimer();
    void HideCallNotice();
    std::string NoticeText(const char* format) const;
    void PlayRing(const std::string& path, bool rewind);
    CallState SkypeState() const;
    CallState ModemState() const;

    // Declared first: GDI+ outlives every member that may hold a GDI+ object.
    fw::GdiplusSession gdiplus_;
    HICON icon_ = nullptr;  // a shared resource icon: the system frees it
    fw::IconHandle smallIcon_;
    std::vector<std::string> arguments_;
    CallControlSettings settings_;

    Carrier activeCarrier_ = Carrier::None;
    CallState dialogState_ = CallState::INIT;
    bool startHidden_ = true;
    bool showAfterCall_ = false;  // a phone key that was no press came during a call
    bool debugEnabled_ = false;
    bool ledAvailable_ = false;
    bool ledLit_ = false;  // the value of the last LED request
    bool hasFocus_ = false;
    std::string ringPath_;
    RingSound ring_;
    std::string dialString_;
    bool dialStringTyped_ = false;  // typed on the keys or handed over, not a selection's
    std::string callerNumber_;
    std::string callerName_;
    Carrier callCarrier_ = Carrier::None;  // the carrier of the call followed, none between calls

    // Closing waits until no handler of this window is on the stack, so the back-ends are
    // never destroyed under their own code (a message box, a nested Skype reply).
    int handlerDepth_ = 0;
    bool closePending_ = false;
    bool closed_ = false;

    CDebugDlg* debugDlg_ = nullptr;        // ends itself with its window
    CBookmarkDlg* bookmarkDlg_ = nullptr;  // ends itself with its window
    std::unique_ptr<CTaskbarNotifier> notifier_;
    std::unique_ptr<SkypeApi> skype_;
    std::unique_ptr<ModemPhone> modem_;

    // ==== The skin (ui/) =====================================================================
    // Widgets, pictures, both contact lists and the paint pass live in ui::PhoneSkin. The
    // window keeps the operations by their own names and delegates them (VoxteloDlgView.cpp,
    // VoxteloDlgPaint.cpp); the skin reaches back through MainSkinHost.
public:
    ui::PhoneSkin* Skin() const { return skin_.get(); }
    bool IsKeypadHidden() const { return keypadHidden_; }

private:
    friend class MainSkinHost;
    static constexpr UINT kListScrollMs = 10;  // timer 68
    // The window's strength over its own per-pixel alpha, with and without the focus.
    static constexpr BYTE kFocusedAlpha = 255;
    static constexpr BYTE kUnfocusedAlpha = 100;

    // Creates the board, the pictures and the fixed widgets at the window's scale; false after
    // "UI Error".
    bool BuildSkin();
    // The scale of the screen the window is on (VoxteloDlgScale.cpp).
    scale::DisplayScale WindowScale() const;
    // The window moved to a screen of another scale: laid out again there.
    void OnDpiChanged(int dpi, const RECT* suggested);
    void SetSmallIcon(int dpi);
    void SetWidgetState(ui::SkinWidget* widget, bool on);
    void SelectCarrier(Carrier carrier);
    void ClosePopup();
    void ReopenPopup();
    void ShowNumbers(ui::ContactItem* item);
    // Applies keypadHidden_ (the caller flips it first).
    void ToggleKeypad();
    void UpdateViewport();
    // Asks for a rebuild; it comes once the queue is idle, so a burst of friends' online
    // statuses (one event each) costs one rebuild.
    void RebuildSkypeList();
    void RebuildSkypeListNow();
    void RebuildBookList();
    void CheckListScroll();
    void ScrollListStep();
    void RefreshSkypeView();
    void RefreshBookView();
    void ShowContactList();
    void ShowCallParty();
    void UpdateCallKeys();
    void DrawDialString(ui::PixelView canvas);
    void PaintMinimised();
    void ShowDebugWindowIfEnabled();
    // What is selected, for the call keys and Enter.
    bool IsPopupOpen() const;
    std::optional<std::string> SelectedSkypeHandle() const;
    ui::ContactItem* SelectedBookItem() const;
    const ContactEntry* SelectedBookEntry() const;
    const std::string* SelectedPopupNumber() const;

    // The text engine and the canvas outlive the skin; its host is this window.
    std::unique_ptr<ui::GdiplusText> skinText_;
    std::unique_ptr<ui::LayeredCanvas> canvas_;
    std::unique_ptr<MainSkinHost> skinHost_;
    std::unique_ptr<ui::PhoneSkin> skin_;
    bool keypadHidden_ = true;
    bool skypeListDue_ = false;
    // =========================================================================================

    // ==== Input (VoxteloDlgInput.cpp) =======================================================
    // The mouse, the wheel and the keys on the skin. The widget under the pointer is the
    // skin's hover widget; the navigation operations are the skin's.
private:
    static constexpr UINT kRepeatMs = 100;  // timers 70 and 71
    // Longest dial string that still takes one more character: 23 in all.
    static constexpr size_t kDialStringRoom = 22;

    // The input messages; empty for every other message and for keys left to the default.
    std::optional<LRESULT> OnInputMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnMouseMove(POINT point);
    void OnLButtonDown(POINT point);
    void OnLButtonUp(POINT point);
    void OnLButtonDblClk(POINT point);
    void OnMouseWheel(int delta);
    bool OnKeyDown(UINT key);
    void OnClick(ui::SkinWidget& widget, POINT point);
    void PressCallKey(int id);
    void StopRepeat();
    void AppendDialChar(const char* text);
    void RemoveLastDialChar();
    void ShowPhoneBook();
    void SelectPrevious();
    void SelectNext();
    void SelectFirst();
    void SelectLast();
    void PageUp();
    void PageDown();
    void SelectSkypeSide();
    void SelectModemSide();
    // =========================================================================================

    // ==== The tray icon and numbers handed over (VoxteloDlgTray.cpp) =========================
public:
    CTrayIcon* TrayIcon() const { return tray_.get(); }

private:
    // Created last at start-up; after every message the tip follows the call and a number
    // handed over reaches the display line once the phone is idle.
    void CreateTray();
    void UpdateTray();
    std::string TrayParty() const;
    void ShowPhone();
    bool CanShowPhoneBook() const;
    void ShowAboutFromTray();
    void ShowHandedNumber(const std::string& number);

    std::string handedNumber_;  // waits for NORMAL
    // Reset first in the destructor: the shell's answer to the icon's removal and the end of
    // its window let this window's messages in, which must find everything else still there
    // and no tray.
    std::unique_ptr<CTrayIcon> tray_;  // its window is owned by this one and goes with it
    // =========================================================================================

    // ==== The call log (VoxteloDlgCallLog.cpp) ===============================================
    // Each carrier's calls are tracked from its own states, whether the window follows it or
    // not, and logged in Calls.txt when they end; the tray shows the missed ones not yet seen.
public:
    calllog::CallLog* CallLog() const { return callLog_.get(); }
    size_t UnseenMissedCalls() const;

private:
    void CreateCallLog();
    void TrackState(Carrier carrier);
    void TrackRefusedSkypeCalls();
    void TrackParty(Carrier carrier);
    void TrackUserEnd(Carrier carrier);
    void TrackModemCode(int code);
    void EndCallLog();
    void OnCallFinished(const calllog::CallRecord& call);
    // The person brought the phone forward or opened "Recent calls".
    void MarkCallsSeen();
    std::wstring TrayTip() const;
    std::vector<std::wstring> RecentCallRows();
    void CallBack(size_t row);
    void ClearRecentCalls();

    void UpdateMissedCue();

    static constexpr int kMissedCueHeight = 15;
    std::unique_ptr<calllog::CallLog> callLog_;
    std::unique_ptr<calllog::CallTracker> callTracker_;
    std::vector<calllog::CallRecord> recentShown_;  // the rows of the open "Recent calls"
    ui::PixelBuffer missedCue_;
    std::string missedCueText_;
    int missedCueHeight_ = 0;
    const ui::PhoneSkin* missedCueSkin_ = nullptr;  // the skin that shows it
    // =========================================================================================
};
