// The phone window's pictures and fixed widgets, and the state changes of keys, items,
// carriers, the number pop-up and the keypad.
#include "ui/PhoneSkin.h"

#include <new>
#include <utility>
#include <vector>

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
    listViewport_ = Rect{text_.Px(kInitialViewport.left), text_.Px(kInitialViewport.top),
                         text_.Px(kInitialViewport.right), text_.Px(kInitialViewport.bottom)};
    try {
        board_ = std::make_unique<WidgetBoard>();
        LoadPicture(kBoy);
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

void PhoneSkin::LoadPicture(Picture picture) {
    const int percent = Scale().ArtworkPercent();
    SkinImage& image = pictures_[picture];
    host_.LoadPicture(image, scale::PictureName(kPictureNames[picture], percent).c_str());
    FitToScale(image, percent, Scale());
}

void PhoneSkin::AddFixedWidgets() {
    // Loads the picture, then places (figures at the scale), hides, lights and adds the
    // widget (layer = id).
    auto add = [this](auto widget, int id, int x, int y, bool hidden) {
        widget->MoveTo(text_.Px(x), text_.Px(y));
        widget->SetHidden(hidden);
        widget->SetLayer(id);
        widget->SetId(id);
        return board_->Add(std::move(widget));
    };
    auto plain = [this, &add](int id, Picture picture, int x, int y, bool hidden) {
        LoadPicture(picture);
        return add(std::make_unique<SkinWidget>(text_, &pictures_[picture]), id, x, y, hidden);
    };
    auto key = [this, &add](int id, Picture picture, int x, int y, bool hidden, bool lit) {
        LoadPicture(picture);
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
    // The keys' offsets are figures too; the panel's corner is in pixels already.
    const int panelX = keypadPanel_->Bounds().left;
    const int panelY = keypadPanel_->Bounds().top;
    auto keyAt = [this](int id, Picture picture, int x, int y) {
        LoadPicture(picture);
        auto widget = std::make_unique<SkinKey>(text_, &pictures_[picture]);
        widget->MoveTo(x, y);
        widget->SetHidden(true);
        widget->SetLayer(id);
        widget->SetId(id);
        return board_->Add(std::move(widget));
    };
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
        keypadKeys_[i] =
            keyAt(place.id, place.picture, panelX + text_.Px(kKeyColumns[place.column]),
                  panelY + text_.Px(kKeyRows[place.row]));
    }
    plain(WID_POPUP, kPopup, 120, 110, true);
    plain(WID_POPUP_CLOSE, kPopupClose, 325, 118, true);

    for (Picture picture : {kHome, kOffice, kMobile}) {
        LoadPicture(picture);
    }

    plain(WID_UP, kUp, kScrollKeyX, 71, false);
    LoadPicture(kDown);
    down_ = add(std::make_unique<SkinWidget>(text_, &pictures_[kDown]), WID_DOWN, 0, 0, false);
    down_->MoveTo(text_.Px(kScrollKeyX), lcd_->Bounds().top - pictures_[kDown].Height());
}

void PhoneSkin::AddCallerCard() {
    skype::SkypeContact unknown(0, kUnknown);
    unknown.displayName = kUnknown;
    unknown.fullName = kUnknown;
    auto card = std::make_unique<ContactItem>(text_, &pictures_[kBoy], unknown, nullptr);
    card->MoveTo(text_.Px(kListLeft), text_.Px(kListTop));
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
    drawn_.clear();
    drawnCanvas_ = nullptr;
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
            number->MoveTo(text_.Px(134), text_.Px(124));
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
    lcd_->MoveTo(text_.Px(kLcdX), text_.Px(keypadHidden ? kLcdYKeypadHidden : kLcdYKeypadShown));
    down_->MoveTo(text_.Px(kScrollKeyX), lcd_->Bounds().top - pictures_[kDown].Height());
    keypadPanel_->SetHidden(keypadHidden);
    for (SkinKey* key : keypadKeys_) {
        key->SetHidden(keypadHidden);
    }
}

namespace {

// The item's place in its list from the head, or -1.
int IndexInList(const ContactItem* head, const ContactItem* item) {
    int index = 0;
    for (const ContactItem* at = head; at; at = at->Next(), ++index) {
        if (at == item) {
            return index;
        }
    }
    return -1;
}

ContactItem* ItemAt(ContactItem* head, int index) {
    for (; head && index > 0; --index) {
        head = head->Next();
    }
    return index == 0 ? head : nullptr;
}

}  // namespace

bool PhoneSkin::SetScale(const scale::DisplayScale& scale) {
    if (scale == Scale() || !board_) {
        text_.SetScale(scale);
        return board_ != nullptr;
    }
    // What the user sees, in terms that survive the new widgets.
    struct Kept {
        bool hidden;
        bool lit;
    };
    std::vector<std::pair<int, Kept>> fixed;
    for (size_t i = 0; i < board_->Count(); ++i) {
        const SkinWidget* widget = board_->At(i);
        const int id = widget->Id();
        if (id != WID_SKYPE_CONTACT && id != WID_BOOK_CONTACT && id != WID_NUMBER) {
            const auto* key = dynamic_cast<const SkinKey*>(widget);
            fixed.push_back({id, Kept{widget->IsHidden(), key && key->IsLit()}});
        }
    }
    const std::string cardLabel = callerCard_->Label();
    const bool keypadHidden = keypadPanel_->IsHidden();
    const int skypeSelected = IndexInList(skypeListHead_, selectedSkypeItem_);
    const int bookSelected = IndexInList(bookListHead_, selectedBookItem_);
    // The lists' heads stand where they had scrolled to, in the new pixels.
    const scale::DisplayScale was = Scale();
    const int skypeTop = skypeListHead_ ? skypeListHead_->Bounds().top : 0;
    const int bookTop = bookListHead_ ? bookListHead_->Bounds().top : 0;
    int numberSelected = -1;
    for (const SkinKey* number = selectedNumber_; number; number = number->Anchor()) {
        ++numberSelected;
    }
    // Selections brought back write the display line; it is put back as it was after them.
    const std::string dialString = host_.DialString();
    const bool typed = host_.DialStringTyped();

    Clear();
    text_.SetScale(scale);
    if (!BuildSkin()) {
        return false;
    }
    for (const auto& [id, kept] : fixed) {
        for (size_t i = 0; i < board_->Count(); ++i) {
            SkinWidget* widget = board_->At(i);
            if (widget->Id() == id) {
                widget->SetHidden(kept.hidden);
                if (auto* key = dynamic_cast<SkinKey*>(widget)) {
                    key->SetLit(kept.lit);
                }
            }
        }
    }
    if (!cardLabel.empty()) {
        callerCard_->SetLabel(cardLabel);
    }
    ToggleKeypad(keypadHidden);
    RebuildSkypeList();
    RebuildBookList();
    auto restore = [&](ContactItem* head, int selected, int top) {
        if (!head) {
            return;
        }
        if (ContactItem* item = ItemAt(head, selected)) {
            SetWidgetState(item, true);
        }
        head->MoveTo(head->Bounds().left, scale.Px(was.Figure(top)));
    };
    restore(skypeListHead_, skypeSelected, skypeTop);
    restore(bookListHead_, bookSelected, bookTop);
    if (numberSelected >= 0 && selectedBookItem_) {
        ShowNumbers(selectedBookItem_);
        SkinKey* number = selectedNumber_;
        for (int i = 0; i < numberSelected && number; ++i) {
            number = number->Partner();
        }
        SetWidgetState(number, true);
    }
    host_.RestoreDialString(dialString, typed);
    UpdateViewport();
    return true;
}

void PhoneSkin::UpdateViewport() {
    if (!board_) {
        return;
    }
    const Rect& plate = base_->Bounds();
    listViewport_ = Rect{plate.left, plate.top, plate.right, lcd_->Bounds().top - 1};
}

}  // namespace ui
