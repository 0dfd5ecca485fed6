// The widget operations call control uses. Until the skin's widgets exist they carry out what
// is not a widget's: the active carrier and the display line's number. Nothing is selected
// and the number pop-up is never open.
#include "app/VoxteloDlg.h"

#include <initializer_list>

#include "modem/ContactEntry.h"

void CVoxteloDlg::SelectCarrier(Carrier carrier) {
    if (carrier != Carrier::Skype && carrier != Carrier::Modem) {
        return;
    }
    activeCarrier_ = carrier;
    ClosePopup();
    dialString_.clear();
}

void CVoxteloDlg::ClosePopup() {}

// The first of the entry's numbers (home, mobile, office) becomes the display's number.
void CVoxteloDlg::ShowNumbers(const ContactEntry& entry) {
    ClosePopup();
    for (const std::string* number : {&entry.home, &entry.mobile, &entry.office}) {
        if (!number->empty()) {
            dialString_ = *number;
            return;
        }
    }
}

void CVoxteloDlg::RebuildSkypeList() {
    PostRepaint();
}

void CVoxteloDlg::RebuildBookList() {
    PostRepaint();
}

void CVoxteloDlg::UpdateViewport() {}

bool CVoxteloDlg::IsPopupOpen() const {
    return false;
}

std::optional<std::string> CVoxteloDlg::SelectedSkypeHandle() const {
    return std::nullopt;
}

const ContactEntry* CVoxteloDlg::SelectedBookEntry() const {
    return nullptr;
}

const std::string* CVoxteloDlg::SelectedPopupNumber() const {
    return nullptr;
}
