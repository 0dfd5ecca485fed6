// Call control: the window's own events, the hand-over to the back-ends, and the phone key.
#include "app/VoxteloDlg.h"

#include "core/DebugLog.h"
#include "core/Messages.h"
#include "framework/CopyData.h"
#include "framework/MessageBox.h"
#include "modem/ModemPhone.h"
#include "skype/SkypeApi.h"

// Until call control arrives: the state as the paint pass finds it.
void CVoxteloDlg::SetDialogState(CallState state) {
    dialogState_ = state;
}

LRESULT CVoxteloDlg::OnPhoneKey() {
    if (!IsCallUp(dialogState_)) {
        Show(SW_SHOWNORMAL);
        startHidden_ = false;
    }
    return 0;
}

// Every event reaches its handler here, on the GUI thread, in posting order.
LRESULT CVoxteloDlg::OnInternal(WPARAM recipient, LPARAM code) {
    switch (recipient) {
        case msg::RECIPIENT_WINDOW:
            // The window's other reactions to the back-ends' events arrive with call control.
            if (code == msg::EV_SKYPE_CONTACTS) {
                RebuildSkypeList();
            } else if (code == msg::EV_BOOK_LOADED) {
                RebuildBookList();
            }
            return 1;
        case msg::RECIPIENT_SKYPE:
            if (skype_) {
                skype_->OnInternalCommand(static_cast<int>(code));
            }
            return 1;
        case msg::RECIPIENT_MODEM:
            if (modem_) {
                modem_->OnEvent(static_cast<int>(code));
            }
            return 1;
    }
    fw::ShowMessageBox(Handle(), "#03 Unknown UM_INTERNAL--wParam in UM_INTERNAL in VoxteloDlg");
    return 1;
}

// Every text from the Skype client is logged as it came, but the keep-alive answer.
LRESULT CVoxteloDlg::OnCopyData(HWND sender, const COPYDATASTRUCT* data) {
    if (!data) {
        return 0;
    }
    const std::string_view text = fw::CopyDataText(data);
    if (text != "PONG") {
        SendDebugText(text);
    }
    return skype_ ? skype_->OnCopyData(sender, data) : 0;
}

LRESULT CVoxteloDlg::OnSkypeAttach(WPARAM skypeWindow, LPARAM status) {
    return skype_ ? skype_->OnAttach(skypeWindow, status) : 1;
}
