#include "popups/DebugDlg.h"

#include <string>

#include "core/DebugLog.h"
#include "core/Messages.h"
#include "framework/CopyData.h"
#include "res/resource.h"

CDebugDlg::CDebugDlg() : Dialog(IDD_DEBUG) {}

bool CDebugDlg::OnInitDialog() {
    text_.Attach(Handle(), IDC_DEBUG_TEXT);
    // The box may hold 200 long lines; the edit control's default cap is far lower.
    text_.RemoveTextLimit();
    return true;
}

std::optional<LRESULT> CDebugDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == msg::UM_DEBUG_TEXT) {
        const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        // Every writer is on this thread and sends; whatever else arrives as a record is an
        // address from elsewhere.
        if (!IsDebugRecordBeingSent(record)) {
            return 0;
        }
        return OnDebugText(record);
    }
    return Dialog::OnMessage(message, wParam, lParam);
}

// The real end of the text, also once it holds more than 65535 characters.
void CDebugDlg::MoveCaretToEnd() const {
    const int end = text_.GetTextLength();
    text_.SetSel(end, end);
    text_.ScrollCaret();
}

LRESULT CDebugDlg::OnDebugText(const COPYDATASTRUCT* record) {
    if (!record || !record->lpData) {
        return 1;
    }
    // The text up to cbData bytes or its terminating zero, whichever comes first.
    std::string line(fw::CopyDataText(record));
    line += '\n';

    MoveCaretToEnd();
    text_.ReplaceSel(line, false);
    MoveCaretToEnd();
    if (text_.GetLineCount() > kMaxLines) {
        text_.SetSel(0, -1);
        text_.ScrollCaret();
        text_.ClearSel();
    }
    return 1;
}
