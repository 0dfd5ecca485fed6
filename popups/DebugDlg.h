// The "Debug Window": collects every diagnostic line of the program in one scrolling text
// box, visible or not. Lives as long as its window (it ends itself when destroyed).
#pragma once

#include <windows.h>

#include <string>

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CDebugDlg : public fw::Dialog {
public:
    CDebugDlg();

    // Lines the box holds before the next line empties it.
    static constexpr int kMaxLines = 200;

protected:
    bool OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Posted to itself once per burst of lines: the box takes the burst in one piece.
    static constexpr UINT UM_FLUSH_LINES = WM_APP + 1;

    LRESULT OnDebugText(const COPYDATASTRUCT* record);
    void FlushLines();
    void MoveCaretToEnd() const;

    fw::MultiLineEdit text_;
    // The burst not yet in the box: what to append, or what the box holds once a line of the
    // burst has emptied it; and the box's line count as it will be then.
    std::string pending_;
    bool pendingReplaces_ = false;
    bool flushPosted_ = false;
    int linesAfterFlush_ = 0;
};
