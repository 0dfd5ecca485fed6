// The two contact lists: rebuilding them from the back-ends' records, and the ease-out scroll
// that keeps the selected item in view.
#include "ui/PhoneSkin.h"

#include <cstdlib>

#include "modem/ContactEntry.h"
#include "skype/SkypeContact.h"
#include "ui/WidgetIds.h"

namespace ui {

namespace {

// The selected item keeps this margin from the viewport's edges.
constexpr int kScrollMargin = 10;
// The phone-book list only starts scrolling down once an item is this much further out
// (the height of a list item's icon).
constexpr int kBookBottomSlack = 25;

// Every tick covers half the remaining distance, the last pixels one at a time.
int HalfStep(int distance) {
    return distance == 1 ? 1 : distance / 2;
}

// A contact whose online status has not arrived yet still holds the record's placeholder; it
// is listed once its status comes, which rebuilds the list again.
bool StatusArrived(const skype::SkypeContact& contact) {
    static const std::string placeholder = skype::SkypeContact(0, {}).onlineStatus;
    return contact.onlineStatus != placeholder;
}

// A flag raised for the length of a rebuild, also when it ends early.
class BusyScope {
public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& busy_;
};

}  // namespace

// Links the item under the previous one (or places it as the head), hidden, into `list`; the
// board takes the list whole and the paint pass shows the active carrier's list.
ContactItem* PhoneSkin::AppendListItem(std::unique_ptr<ContactItem> item, int id,
                                       std::vector<std::unique_ptr<SkinWidget>>& list) {
    if (ContactItem* previous = item->Previous()) {
        previous->SetNext(item.get());
    } else {
        item->MoveTo(text_.Px(kListLeft), text_.Px(kListTop));
    }
    item->SetLayer(id);
    item->SetId(id);
    item->SetHidden(true);
    ContactItem* borrowed = item.get();
    list.push_back(std::move(item));
    return borrowed;
}

void PhoneSkin::RebuildSkypeList() {
    if (!board_ || listBusy_) {
        host_.RequestRepaint();
        return;
    }
    {
        BusyScope busy(listBusy_);
        RemoveById(WID_SKYPE_CONTACT);
        selectedSkypeItem_ = nullptr;
        skypeListHead_ = nullptr;
        std::vector<std::unique_ptr<SkinWidget>> list;
        ContactItem* previous = nullptr;
        const size_t count = host_.SkypeContactCount();
        for (size_t i = 0; i < count; ++i) {
            const skype::SkypeContact* contact = host_.SkypeContactAt(static_cast<int32_t>(i));
            if (!contact || contact->onlineStatus == "OFFLINE" || !StatusArrived(*contact)) {
                continue;
            }
            previous = AppendListItem(
                std::make_unique<ContactItem>(text_, &pictures_[kBoy], *contact, previous),
                WID_SKYPE_CONTACT, list);
            if (!skypeListHead_) {
                skypeListHead_ = previous;
            }
        }
        board_->InsertAll(std::move(list));
    }
    if (skypeListHead_) {
        SetWidgetState(skypeListHead_, true);
    }
    host_.RequestRepaint();
}

void PhoneSkin::RebuildBookList() {
    if (!board_ || listBusy_) {
        host_.RequestRepaint();
        return;
    }
    // The pop-up shows the numbers of an entry of the list that goes.
    ClosePopup();
    {
        BusyScope busy(listBusy_);
        BusyScope rebuilding(rebuildingBook_);
        RemoveById(WID_BOOK_CONTACT);
        selectedBookItem_ = nullptr;
        bookListHead_ = nullptr;
        // Built whatever the line's state: a line that opens later finds its list there.
        const int count = host_.BookEntryCount();
        std::vector<std::unique_ptr<SkinWidget>> list;
        ContactItem* previous = nullptr;
        for (int i = 0; i < count; ++i) {
            const ContactEntry* entry = host_.BookEntryAt(i);
            if (!entry) {
                continue;
            }
            previous = AppendListItem(
                std::make_unique<ContactItem>(text_, &pictures_[kBoy], *entry, previous),
                WID_BOOK_CONTACT, list);
            if (!bookListHead_) {
                bookListHead_ = previous;
            }
        }
        board_->InsertAll(std::move(list));
        if (bookListHead_) {
            SetWidgetState(bookListHead_, true);
        }
    }
    host_.RequestRepaint();
}

bool PhoneSkin::NeedsScroll(ContactItem* selected, ContactItem* head, int bottomMargin) const {
    if (!selected) {
        return false;
    }
    const Rect& bounds = selected->Bounds();
    const int top = listViewport_.top + text_.Px(kScrollMargin);
    if (selected == head) {
        return bounds.top != top;
    }
    return bounds.top < top || bounds.bottom > listViewport_.bottom - bottomMargin;
}

void PhoneSkin::CheckListScroll() {
    if (!board_) {
        return;
    }
    const int margin = text_.Px(kScrollMargin);
    if (NeedsScroll(selectedSkypeItem_, skypeListHead_, margin) ||
        NeedsScroll(selectedBookItem_, bookListHead_, margin - text_.Px(kBookBottomSlack))) {
        host_.StartListScrollTimer();
    }
}

int PhoneSkin::ScrollMove(ContactItem* selected, ContactItem* head) const {
    const int top = listViewport_.top + text_.Px(kScrollMargin);
    const Rect& bounds = selected->Bounds();
    if (selected == head) {
        const int distance = top - head->Bounds().top;
        if (distance == 0) {
            return 0;
        }
        const int step = HalfStep(std::abs(distance));
        return distance > 0 ? step : -step;
    }
    if (bounds.top < top) {
        return HalfStep(top - bounds.top);
    }
    const int bottom = listViewport_.bottom - text_.Px(kScrollMargin);
    if (bounds.bottom > bottom) {
        return -HalfStep(bounds.bottom - bottom);
    }
    return 0;
}

void PhoneSkin::ScrollListStep() {
    if (!board_) {
        host_.StopListScrollTimer();
        return;
    }
    const std::pair<ContactItem*, ContactItem*> lists[] = {{selectedSkypeItem_, skypeListHead_},
                                                           {selectedBookItem_, bookListHead_}};
    // The last tick's move has not been painted yet (the window is hidden, so nothing
    // paints): rest until a paint finds the list out of place and starts the timer again.
    for (const auto& [selected, head] : lists) {
        if (head && head->OffsetY() != 0) {
            host_.StopListScrollTimer();
            return;
        }
    }
    bool moving = false;
    for (const auto& [selected, head] : lists) {
        if (!selected || !head) {
            continue;
        }
        const int move = ScrollMove(selected, head);
        moving = moving || move != 0;
        head->SetOffset(0, move);
    }
    if (!moving) {
        host_.StopListScrollTimer();
    }
}

}  // namespace ui
