// Moving the selection with the keys, the wheel and the scroll keys: through the active
// carrier's list, or through the numbers of the open pop-up, and from one carrier to the
// other. Nothing moves while a call is up or no carrier is ready. And clicks on list items.
#include "ui/PhoneSkin.h"

#include "ui/WidgetIds.h"

namespace ui {

namespace {

constexpr int kPageItems = 4;

// Up to `steps` items on (back when negative) from `item`, stopping at either end.
ContactItem* StepFrom(ContactItem* item, int steps) {
    for (; steps > 0 && item->Next(); --steps) {
        item = item->Next();
    }
    for (; steps < 0 && item->Previous(); ++steps) {
        item = item->Previous();
    }
    return item;
}

}  // namespace

bool PhoneSkin::CanNavigate() const {
    return board_ && host_.DialogState() == CallState::NORMAL;
}

PhoneSkin::ListSelection PhoneSkin::ActiveList() const {
    switch (host_.ActiveCarrier()) {
        case Carrier::Skype:
            return {selectedSkypeItem_, skypeListHead_};
        case Carrier::Modem:
            return {selectedBookItem_, bookListHead_};
        case Carrier::None:
            break;
    }
    return {};
}

// With nothing selected the head is; an empty list stays as it is.
void PhoneSkin::StepSelection(int steps) {
    const ListSelection list = ActiveList();
    if (list.selected) {
        MoveSelectionTo(StepFrom(list.selected, steps));
    } else if (list.head) {
        MoveSelectionTo(list.head);
    }
}

// The pop-up never shows the numbers of an entry other than the selected one.
void PhoneSkin::MoveSelectionTo(ContactItem* item) {
    const bool moved = item != ActiveList().selected;
    SetWidgetState(item, true);
    if (moved && item->Id() == WID_BOOK_CONTACT && IsPopupOpen()) {
        ShowNumbers(item);
    }
}

// The pop-up's numbers hang one under the other: the one above is the anchor, the one below
// the partner.
void PhoneSkin::StepNumber(bool down) {
    if (!selectedNumber_) {
        return;
    }
    if (SkinKey* number = down ? selectedNumber_->Partner() : selectedNumber_->Anchor()) {
        SetWidgetState(number, true);
    }
}

void PhoneSkin::SelectPrevious() {
    StepOne(false);
}

void PhoneSkin::SelectNext() {
    StepOne(true);
}

void PhoneSkin::StepOne(bool down) {
    if (!CanNavigate()) {
        return;
    }
    if (host_.ActiveCarrier() == Carrier::Modem && IsPopupOpen()) {
        StepNumber(down);
    } else {
        StepSelection(down ? 1 : -1);
    }
    host_.RequestRepaint();
}

void PhoneSkin::SelectFirst() {
    if (!CanNavigate()) {
        return;
    }
    if (ContactItem* head = ActiveList().head) {
        MoveSelectionTo(head);
    }
    host_.RequestRepaint();
}

void PhoneSkin::SelectLast() {
    if (!CanNavigate()) {
        return;
    }
    ContactItem* last = ActiveList().head;
    while (last && last->Next()) {
        last = last->Next();
    }
    if (last) {
        MoveSelectionTo(last);
    }
    host_.RequestRepaint();
}

void PhoneSkin::PageUp() {
    Page(-kPageItems);
}

void PhoneSkin::PageDown() {
    Page(kPageItems);
}

void PhoneSkin::Page(int steps) {
    if (!CanNavigate()) {
        return;
    }
    const Carrier carrier = host_.ActiveCarrier();
    if (carrier != Carrier::Skype && carrier != Carrier::Modem) {
        host_.ShowMessage("#32 Unknown system detected");
        return;
    }
    StepSelection(steps);
    host_.RequestRepaint();
}

bool PhoneSkin::SelectSkypeContact(const std::string& handle) {
    for (ContactItem* item = skypeListHead_; item; item = item->Next()) {
        if (item->Name() == handle) {
            SetWidgetState(item, true);
            host_.RequestRepaint();
            return true;
        }
    }
    return false;
}

// Left: an open pop-up closes first; otherwise a ready Skype becomes the carrier.
void PhoneSkin::SelectSkypeSide() {
    if (!CanNavigate()) {
        return;
    }
    if (host_.ActiveCarrier() == Carrier::Modem && IsPopupOpen()) {
        ClosePopup();
        return;
    }
    if (host_.SkypeState() == CallState::NORMAL) {
        SelectCarrier(Carrier::Skype);
    }
    host_.RequestRepaint();
}

// Right: on the modem side it opens the selected entry's numbers; otherwise a ready modem
// becomes the carrier.
void PhoneSkin::SelectModemSide() {
    if (!CanNavigate()) {
        return;
    }
    if (host_.ActiveCarrier() == Carrier::Modem) {
        if (selectedBookItem_) {
            ShowNumbers(selectedBookItem_);
        }
        return;
    }
    if (host_.ModemState() == CallState::NORMAL) {
        SelectCarrier(Carrier::Modem);
    }
    host_.RequestRepaint();
}

// The viewport follows the keypad, which may have moved since the last paint.
bool PhoneSkin::IsInListView(int x, int y) {
    if (!board_) {
        return false;
    }
    UpdateViewport();
    return listViewport_.Contains(x, y);
}

// Items scrolled out of view lie under the frame and the display, where they are still hit.
// Only a phone-book item opens its numbers: a click on a Skype contact must not bring up,
// and put on the display, the numbers of the phone-book entry selected out of sight.
void PhoneSkin::ClickItem(SkinWidget& item, int x, int y) {
    if (!IsInListView(x, y)) {
        return;
    }
    SetWidgetState(&item, true);
    if (item.Id() == WID_BOOK_CONTACT) {
        ShowNumbers(selectedBookItem_);
    }
}

}  // namespace ui
