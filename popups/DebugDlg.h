// The "Debug Window": collects every diagnostic line of the program in one scrolling text
// box, visible or not. Lives as long as its window (it ends itself when destroyed).
#pragma once

#include <windows.h>

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
    LRESULT OnDebugText(const COPYDATASTRUCT* record);
    void MoveCaretToEnd() const;

    fw::MultiLineEdit text_;
};
