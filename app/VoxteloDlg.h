// The main phone window: start-up and shut-down, its message map, and (as later folders
// arrive) the call state of the active carrier.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/CallState.h"
#include "framework/Dialog.h"
#include "framework/GdiplusSession.h"

class CBookmarkDlg;
class CDebugDlg;
class MainSkinHost;
class ModemPhone;
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

    const std::string& DialString() const { return dialString_; }
    static constexpr UINT_PTR TIMER_LIST_SCROLL = 68;

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
    void OnTimer(UINT_PTR id);
    void OpenAboutBox();
    void SetDialogState(CallState state);

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

    std::string dialString_;
    std::string callerNumber_;
    std::string callerName_;

    CDebugDlg* debugDlg_ = nullptr;        // ends itself with its window
    CBookmarkDlg* bookmarkDlg_ = nullptr;  // ends itself with its window
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

    // Creates the board, the pictures and the fixed widgets; false after "UI Error".
    bool BuildSkin();
    void SetWidgetState(ui::SkinWidget* widget, bool on);
    void SelectCarrier(Carrier carrier);
    void ClosePopup();
    void ReopenPopup();
    void ShowNumbers(ui::ContactItem* item);
    // Applies keypadHidden_ (the caller flips it first).
    void ToggleKeypad();
    void UpdateViewport();
    void RebuildSkypeList();
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
    // =========================================================================================
};
