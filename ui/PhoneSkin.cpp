// The phone window's pictures and fixed widgets, and the state changes of keys, items,
// carriers, the number pop-up and the keypad.
#include "ui/PhoneSkin.h"

#include <new>

#include "skype/SkypeContact.h"
#include "ui/WidgetIds.h"

namespace ui {

namespace {

// One per picture load; the close key's picture is loaded twice.
constexpr const char* kPictureNames[] = {
    "IDB_BOY1",
    "IDB_BACKGROUND_BASE",
    "IDB_BACKGROUND_TOP",
    "IDB_SKYPE",
    "IDB_MODEM",
    "IDB_CALLSTART",
    "IDB_CALLEND",
    "IDB_CLOSE",
    "IDB_BOOKMARK",
    "IDB_KEYPAD",
    "IDB_KEYPAD_LCD",
    "IDB_KEYPAD_BACKGROUND",
    "IDB_1",
    "IDB_2",
    "IDB_3",
    "IDB_4",
    "IDB_5",
    "IDB_6",
    "IDB_7",
    "IDB_8",
    "IDB_9",
    "IDB_BACK",
    "IDB_0",
    "IDB_CLR",
    "IDB_POPUP",
    "IDB_CLOSE",
    "IDB_HOME",
    "IDB_OFFICE",
    "IDB_MOBILE",
    "IDB_UP",
    "IDB_DOWN",
};

// The keypad's keys sit at these offsets from the panel's top-left corner.
constexpr int kKeyColumns[] = {14, 68, 122};
constexpr int kKeyRows[] = {4, 31, 58, 85};

constexpr Rect kInitialViewport{36, 70, 197, 441};
constexpr int kLcdX = 24;
constexpr int kLcdYKeypadHidden = 443;
constexpr int kLcdYKeypadShown = 329;
constexpr int kScrollKeyX = 201;

const std::string kUnknown = "Unknown";

}  // namespace

PhoneSkin::PhoneSkin(SkinHost& host, SkinText& text) : host_(host), text_(text) {}

// Widgets first, then the board, then the pictures they showed.
PhoneSkin::~PhoneSkin() {
    Clear();
}

bool PhoneSkin::BuildSkin() {
    static_assert(std::size(kPictureNames) == kPictureCount);
    listViewport_ = kInitialViewport;
    try {
        board_ = std::make_unique<WidgetBoard>();
        host_.LoadPicture(pictures_[kBoy], kPictureNames[kBoy]);
        AddFixedWidgets();
    } catch (const std::bad_alloc&) {
        Clear();
        host_.ShowMessage("UI Error");
        return false;
    }
    hoverWidget_ = nullptr;
    selectedSkypeItem_ = nullptr;
    selectedBookItem_ = nullptr;
    skypeListHead_ = nullptr;
    bookListHead_ = nullptr;
    selectedNumber_ = nullptr;
    return true;
}

void PhoneSkin::AddFixedWidgets() {
    // Loads the picture, then places, hides, lights and adds the widget (layer = id).
    auto add = [this](auto widget, int id, int x, int y, bool hidden) {
        widget->MoveTo(x, y);
        widget->SetHidden(hidden);
        widget->SetLayer(id);
        widget->SetId(id);
        return board_->Add(std::move(widget));
    };
    auto plain = [this, &add](int id, Picture picture, int x, int y, bool hidden) {
        host_.LoadPicture(pictures_[picture], kPictureNames[picture]);
        return add(std::make_unique<SkinWidget>(text_, &pictures_[picture]), id, x, y, hidden);
    };
    auto key = [this, &add](int id, Picture picture, int x, int y, bool hidden, bool lit) {
        host_.LoadPicture(pictures_[picture], kPictureNames[picture]);
        SkinKey* added =
            add(std::make_unique<SkinKey>(text_, &pictures_[picture]), id, x, y, hidden);
        added->SetLit(lit);
        return added;
    };

    base_ = plain(WID_BASE, kBase, 23, 71, false);
    plain(WID_FRAME, kFrame, 0, 0, false);
    skypeKey_ = key(WID_SKYPE, kSkype, 12, 44, true, true);
    modemKey_ = key(WID_MODEM, kModem, 119, 44, true, true);
    callStartKey_ = key(WID_CALL_START, kCallStart, 71, 484, false, false);
    callEndKey_ = key(WID_CALL_END, kCallEnd, 128, 484, false, false);
    plain(WID_CLOSE, kClose, 211, 19, false);
    bookmarkKey_ = plain(WID_BOOKMARK, kBookmark, 196, 488, true);
    plain(WID_KEYPAD, kKeypad, 13, 489, false);

    AddCallerCard();

    lcd_ = key(WID_LCD, kLcd, kLcdX, kLcdYKeypadHidden, false, false);
    keypadPanel_ = key(WID_KEYPAD_PANEL, kKeypadPanel, 24, 354, true, false);
    const int panelX = keypadPanel_->Bounds().left;
    const int panelY = keypadPanel_->Bounds().top;
    // Rows of three from the top; the bottom row is clear, 0, back.
    struct KeyPlace {
        int id;
        Picture picture;
        int column;
        int row;
    };
    const KeyPlace places[] = {
        {WID_KEY_1, kKey1, 0, 0},
        {WID_KEY_1 + 1, Picture(kKey1 + 1), 1, 0},
        {WID_KEY_1 + 2, Picture(kKey1 + 2), 2, 0},
        {WID_KEY_1 + 3, Picture(kKey1 + 3), 0, 1},
        {WID_KEY_1 + 4, Picture(kKey1 + 4), 1, 1},
        {WID_KEY_1 + 5, Picture(kKey1 + 5), 2, 1},
        {WID_KEY_1 + 6, Picture(kKey1 + 6), 0, 2},
        {WID_KEY_1 + 7, Picture(kKey1 + 7), 1, 2},
        {WID_KEY_9, Picture(kKey1 + 8), 2, 2},
        {WID_KEY_BACK, kKeyBack, 2, 3},
        {WID_KEY_0, kKey0, 1, 3},
        {WID_KEY_CLR, kKeyClr, 0, 3},
    };
    for (size_t i = 0; i < std::size(places); ++i) {
        const KeyPlace& place = places[i];
        keypadKeys_[i] = key(place.id, place.picture, panelX + kKeyColumns[place.column],
                             panelY + kKeyRows[place.row], true, false);
    }
    plain(WID_POPUP, kPopup, 120, 110, true);
    plain(WID_POPUP_CLOSE, kPopupClose, 325, 118, true);

    for (Picture picture : {kHome, kOffice, kMobile}) {
        host_.LoadPicture(pictures_[picture], kPictureNames[picture]);
    }

    plain(WID_UP, kUp, kScrollKeyX, 71, false);
    host_.LoadPicture(pictures_[kDown], kPictureNames[kDown]);
    down_ =
        plain(WID_DOWN, kDown, kScrollKeyX, lcd_->Bounds().top - pictures_[kDown].Height(), false);
}

void PhoneSkin::AddCallerCard() {
    skype::SkypeContact unknown(0, kUnknown);
    unknown.displayName = kUnknown;
    unknown.fullName = kUnknown;
    auto card = std::make_unique<ContactItem>(text_, &pictures_[kBoy], unknown, nullptr);
    card->MoveTo(kListLeft, kListTop);
    card->SetLayer(WID_CALLER_CARD);
    card->SetId(WID_CALLER_CARD);
    card->SetHidden(true);
    callerCard_ = board_->Add(std::move(card));
}

void PhoneSkin::Clear() {
    if (board_) {
        board_->Clear();
        board_.reset();
    }
    for (SkinImage& picture : pictures_) {
        picture.Assign(PixelBuffer());
    }
    base_ = nullptr;
    skypeKey_ = modemKey_ = callStartKey_ = callEndKey_ = lcd_ = keypadPanel_ = nullptr;
    bookmarkKey_ = down_ = nullptr;
    callerCard_ = nullptr;
    keypadKeys_.fill(nullptr);
    hoverWidget_ = nullptr;
    selectedSkypeItem_ = selectedBookItem_ = skypeListHead_ = bookListHead_ = nullptr;
    selectedNumber_ = nullptr;
}

SkinWidget* PhoneSkin::FindWidget(int id) const {
    if (!board_) {
        return nullptr;
    }
    for (size_t i = 0; i < board_->Count(); ++i) {
        if (board_->At(i)->Id() == id) {
            return board_->At(i);
        }
    }
    return nullptr;
}

SkinWidget* PhoneSkin::HitTest(int x, int y) const {
    return board_ ? board_->HitTest(x, y) : nullptr;
}

bool PhoneSkin::IsPopupOpen() const {
    const SkinWidget* popup = FindWidget(WID_POPUP);
    return popup && !popup->IsHidden();
}

void PhoneSkin::RemoveById(int id) {
    board_->RemoveById(id, [this](const SkinWidget* widget) { ForgetRemoved(widget); });
}

// Nothing the window or the skin keeps may point at a deleted widget.
void PhoneSkin::ForgetRemoved(const SkinWidget* widget) {
    if (hoverWidget_ == widget) {
        hoverWidget_ = nullptr;
    }
    if (selectedNumber_ == widget) {
        selectedNumber_ = nullptr;
    }
}

// A carrier's key is hidden exactly while its back-end is not ready.
void PhoneSkin::ShowReadyCarrierKeys() {
    skypeKey_->SetHidden(host_.SkypeState() == CallState::INIT);
    modemKey_->SetHidden(host_.ModemState() == CallState::INIT);
}

void PhoneSkin::SetWidgetState(SkinWidget* widget, bool on) {
    if (!widget || !board_) {
        return;
    }
    switch (widget->Id()) {
        case WID_BASE:
        case WID_FRAME:
            host_.ShowMessage("#16 Impossible choose background on focus");
            return;
        case WID_SKYPE_CONTACT:
            if (auto* item = dynamic_cast<ContactItem*>(widget)) {
                if (selectedSkypeItem_) {
                    selectedSkypeItem_->SetSelected(false);
                }
                selectedSkypeItem_ = item;
                item->SetSelected(true);
            }
            return;
        case WID_BOOK_CONTACT:
            if (auto* item = dynamic_cast<ContactItem*>(widget)) {
                const bool moved = item != selectedBookItem_;
                if (selectedBookItem_) {
                    selectedBookItem_->SetSelected(false);
                }
                selectedBookItem_ = item;
                item->SetSelected(true);
                if (DisplayFollowsBookSelection(moved)) {
                    host_.SetDialString(item->DefaultNumber());
                }
            }
            return;
        case WID_SKYPE:
        case WID_MODEM:
            ShowReadyCarrierKeys();
            skypeKey_->SetLit(widget == skypeKey_);
            modemKey_->SetLit(widget == modemKey_);
            return;
        case WID_BOOKMARK:
            widget->SetHidden(!on);
            return;
        case WID_NUMBER:
            if (auto* number = dynamic_cast<SkinKey*>(widget)) {
                if (selectedNumber_) {
                    selectedNumber_->SetLit(false);
                }
                selectedNumber_ = number;
                number->SetLit(true);
                host_.SetDialString(number->Label());
            }
            return;
        default:
            if (auto* key = dynamic_cast<SkinKey*>(widget)) {
                key->SetLit(on);
            }
            return;
    }
}

// The display line follows a selection the user moves. A reload of the book, or a key that
// leaves the selection where it was, keeps the user's own number; a reload never writes on
// another carrier's display line.
bool PhoneSkin::DisplayFollowsBookSelection(bool moved) const {
    if (rebuildingBook_) {
        return host_.ActiveCarrier() == Carrier::Modem && !host_.DialStringTyped();
    }
    return moved || !host_.DialStringTyped();
}

void PhoneSkin::SelectCarrier(Carrier carrier) {
    if (!board_) {
        return;
    }
    if (carrier == Carrier::Skype) {
        SetWidgetState(skypeKey_, true);
    } else if (carrier == Carrier::Modem) {
        SetWidgetState(modemKey_, true);
    } else {
        return;
    }
    host_.SetActiveCarrier(carrier);
    ClosePopup();
    host_.SetDialString("");
}

void PhoneSkin::ClosePopup() {
    if (!board_) {
        return;
    }
    selectedNumber_ = nullptr;
    board_->SetHiddenById(WID_POPUP, true);
    board_->SetHiddenById(WID_POPUP_CLOSE, true);
    RemoveById(WID_NUMBER);
}

void PhoneSkin::ReopenPopup() {
    if (!board_) {
        return;
    }
    ClosePopup();
    board_->SetHiddenById(WID_POPUP, false);
    board_->SetHiddenById(WID_POPUP_CLOSE, false);
}

void PhoneSkin::ShowNumbers(ContactItem* item) {
    if (!board_ || !item || item->Id() != WID_BOOK_CONTACT) {
        return;
    }
    const std::string numbers[] = {item->Number("Home"), item->Number("Mobile"),
                                   item->Number("Office")};
    const Picture pictures[] = {kHome, kMobile, kOffice};
    ReopenPopup();
    SkinKey* previous = nullptr;
    for (size_t i = 0; i < std::size(numbers); ++i) {
        if (numbers[i].empty()) {
            continue;
        }
        auto number = std::make_unique<SkinKey>(text_, &pictures_[pictures[i]], previous);
        if (previous) {
            previous->SetPartner(number.get());
        } else {
            number->MoveTo(134, 124);
        }
        number->SetHidden(false);
        number->SetLayer(WID_NUMBER);
        number->SetId(WID_NUMBER);
        number->SetLabel(numbers[i]);
        SkinKey* added = board_->Add(std::move(number));
        if (!previous) {
            SetWidgetState(added, true);
        }
        previous = added;
    }
}

void PhoneSkin::ToggleKeypad(bool keypadHidden) {
    if (!board_) {
        return;
    }
    lcd_->MoveTo(kLcdX, keypadHidden ? kLcdYKeypadHidden : kLcdYKeypadShown);
    down_->MoveTo(kScrollKeyX, lcd_->Bounds().top - pictures_[kDown].Height());
    keypadPanel_->SetHidden(keypadHidden);
    for (SkinKey* key : keypadKeys_) {
        key->SetHidden(keypadHidden);
    }
}

void PhoneSkin::UpdateViewport() {
    if (!board_) {
        return;
    }
    const Rect& plate = base_->Bounds();
    listViewport_ = Rect{plate.left, plate.top, plate.right, lcd_->Bounds().top - 1};
}

}  // namespace ui
