#include "popups/DebugDlg.h"

#include <algorithm>
#include <string_view>

#include "core/DebugLog.h"
#include "core/Messages.h"
#include "framework/CopyData.h"
#include "res/resource.h"

namespace {

// Windows' edit control breaks lines only at CR LF (a bare LF shows as a glyph and counts no
// line); Wine's breaks at LF too. Every line feed of a text goes in as CR LF.
std::string WithWindowsLineEnds(std::string_view text) {
    if (text.find('\n') == std::string_view::npos) {
        return std::string(text);
    }
    std::string line;
    line.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            line += '\r';
        }
        line += text[i];
    }
    return line;
}

}  // namespace

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
    if (message == UM_FLUSH_LINES) {
        FlushLines();
        return 0;
    }
    return Dialog::OnMessage(message, wParam, lParam);
}

// The real end of the text, also once it holds more than 65535 characters.
void CDebugDlg::MoveCaretToEnd() const {
    const int end = text_.GetTextLength();
    text_.SetSel(end, end);
    text_.ScrollCaret();
}

// Each line is counted as the box would count it had it been appended alone: the line with
// which the box exceeds the limit empties it, itself included. Only the box's changes wait
// for the flush, so a burst costs one append whatever the box holds.
LRESULT CDebugDlg::OnDebugText(const COPYDATASTRUCT* record) {
    if (!record || !record->lpData) {
        return 1;
    }
    // The text up to cbData bytes or its terminating zero, whichever comes first.
    std::string line = WithWindowsLineEnds(fw::CopyDataText(record));
    line += "\r\n";

    if (!flushPosted_) {
        flushPosted_ = PostMessageA(Handle(), UM_FLUSH_LINES, 0, 0) != FALSE;
        pending_.clear();
        pendingReplaces_ = false;
        // Typed lines count as well; nothing can be typed between here and the flush, which
        // comes before any input.
        linesAfterFlush_ = text_.GetLineCount();
    }
    linesAfterFlush_ += static_cast<int>(std::count(line.begin(), line.end(), '\n'));
    if (linesAfterFlush_ > kMaxLines) {
        pending_.clear();
        pendingReplaces_ = true;
        linesAfterFlush_ = 1;  // an empty box still has its one line
    } else {
        pending_ += line;
    }
    if (!flushPosted_) {
        FlushLines();  // the queue is full: late lines go in one at a time
    }
    return 1;
}

void CDebugDlg::FlushLines() {
    flushPosted_ = false;
    if (pendingReplaces_) {
        text_.SetText(pending_);
    } else if (!pending_.empty()) {
        MoveCaretToEnd();
        text_.ReplaceSel(pending_, false);
    }
    MoveCaretToEnd();
    pending_.clear();
    pendingReplaces_ = false;
}
