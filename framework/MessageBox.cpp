// Message boxes over MessageBoxA; reports one box at a time.
#include "framework/MessageBox.h"

namespace fw {

namespace {

// Boxes of ours open on this thread, each running its own loop inside the one before.
thread_local int openBoxes = 0;

ReportLog reportLog = nullptr;

}  // namespace

MessageBoxResult ShowMessageBox(HWND owner, const std::string& text, MessageBoxButtons buttons,
                                MessageBoxIcon icon) {
    UINT style = buttons == MessageBoxButtons::YesNo ? MB_YESNO : MB_OK;
    switch (icon) {
        case MessageBoxIcon::None:
            break;
        case MessageBoxIcon::Information:
            style |= MB_ICONINFORMATION;
            break;
        case MessageBoxIcon::Warning:
            style |= MB_ICONWARNING;
            break;
        case MessageBoxIcon::Error:
            style |= MB_ICONERROR;
            break;
        case MessageBoxIcon::Question:
            style |= MB_ICONQUESTION;
            break;
    }
    ++openBoxes;
    const int pressed = MessageBoxA(owner, text.c_str(), kMessageBoxCaption, style);
    --openBoxes;
    switch (pressed) {
        case IDYES:
            return MessageBoxResult::Yes;
        case IDNO:
            return MessageBoxResult::No;
        case IDOK:
            return MessageBoxResult::Ok;
        default:
            return MessageBoxResult::Cancel;
    }
}

bool ShowReport(HWND owner, const std::string& text, MessageBoxIcon icon) {
    if (reportLog) {
        reportLog(text);
    }
    if (openBoxes > 0) {
        return false;
    }
    ShowMessageBox(owner, text, MessageBoxButtons::Ok, icon);
    return true;
}

void SetReportLog(ReportLog log) {
    reportLog = log;
}

}  // namespace fw
