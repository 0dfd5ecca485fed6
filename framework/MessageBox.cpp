// Message boxes over MessageBoxA.
#include "framework/MessageBox.h"

namespace fw {

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
    switch (MessageBoxA(owner, text.c_str(), kMessageBoxCaption, style)) {
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

}  // namespace fw
