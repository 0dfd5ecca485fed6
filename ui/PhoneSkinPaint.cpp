// The paint pass: the views follow the active carrier's state, the call keys the window's
// state; then the board and the display line are composed onto the canvas.
#include "ui/PhoneSkin.h"

#include "framework/Text.h"
#include "ui/WidgetIds.h"

namespace ui {

namespace {

// The display line's layout origin from the display panel's top-left corner.
constexpr int kDialStringX = 7;
constexpr int kDialStringY = 5;
// How far the phone-book key's cue stands over the key's top right corner.
constexpr int kCueOverhang = 5;

}  // namespace

void PhoneSkin::PrepareForPaint() {
    if (!board_) {
        return;
    }
    UpdateViewport();
    CheckListScroll();
    // A back-end that became ready (or was lost) while the other carrier stayed chosen shows
    // (or hides) its key now, not only at the next choice of a carrier.
    ShowReadyCarrierKeys();
    switch (host_.ActiveCarrier()) {
        case Carrier::None:
            callerCard_->SetHidden(true);
            break;
        case Carrier::Skype:
            RefreshSkypeView();
            break;
        case Carrier::Modem:
            RefreshBookView();
            break;
    }
    UpdateCallKeys();
    board_->RelayoutAll();
}

bool PhoneSkin::Compose(PixelView canvas) {
    if (!board_ || listBusy_) {
        ui::Clear(canvas);
        drawnCanvas_ = nullptr;
        return false;
    }
    listBusy_ = true;
    const PixelView changed = Window(canvas, ChangedSinceComposed(canvas));
    if (changed.width > 0 && changed.height > 0) {
        ui::Clear(changed);
        board_->PaintAll(changed);
        DrawDialString(changed);
        if (bookKeyCue_) {
            const Rect cue = BookKeyCueArea();
            Composite(changed, bookKeyCue_->View(), cue.left, cue.top, 255);
        }
    }
    listBusy_ = false;
    return true;
}

Rect PhoneSkin::DialStringArea() {
    const std::string dialString = host_.DialString();
    if (dialString.empty() || !lcd_) {
        return Rect{};
    }
    const PixelBuffer& label = text_.RenderLabel(dialString, LabelStyle::Display);
    const int x = lcd_->Bounds().left + text_.Px(kDialStringX);
    const int y = lcd_->Bounds().top + text_.Px(kDialStringY);
    return Rect{x, y, x + label.Width(), y + label.Height()};
}

void PhoneSkin::SetBookKeyCue(const PixelBuffer* cue) {
    bookKeyCue_ = cue && !cue->Empty() ? cue : nullptr;
    ++cueVersion_;
}

Rect PhoneSkin::BookKeyCueArea() const {
    if (!bookKeyCue_ || !bookmarkKey_ || bookmarkKey_->IsHidden()) {
        return Rect{};
    }
    const Rect& key = bookmarkKey_->ImageRect();
    const int x = key.right + text_.Px(kCueOverhang) - bookKeyCue_->Width();
    const int y = key.top - text_.Px(kCueOverhang);
    return Rect{x, y, x + bookKeyCue_->Width(), y + bookKeyCue_->Height()};
}

// Where a widget was drawn and is not, or is drawn and was not, or is drawn otherwise than it
// was; and the display line, if it changed. A canvas not composed into before is all of it.
Rect PhoneSkin::ChangedSinceComposed(const PixelView& canvas) {
    const Rect whole = canvas.Area();
    std::unordered_map<const SkinWidget*, Drawn> now;
    for (size_t i = 0; i < board_->Count(); ++i) {
        const SkinWidget* widget = board_->At(i);
        if (widget->IsHidden() || !widget->Image() || !widget->Extent().Intersects(whole)) {
            continue;
        }
        now.emplace(widget, Drawn{widget->Extent(), widget->Image(), widget->Label(),
                                  WidgetBoard::PaintFlagsFor(*widget)});
    }
    const std::string dialString = host_.DialString();
    const Rect dial = DialStringArea();
    const Rect cue = BookKeyCueArea();
    Rect changed;
    if (canvas.pixels != drawnCanvas_ || whole != drawnArea_) {
        changed = whole;
    } else {
        for (const auto& [widget, before] : drawn_) {
            const auto found = now.find(widget);
            if (found == now.end() || !(found->second == before)) {
                changed = changed.United(before.extent);
            }
        }
        for (const auto& [widget, drawn] : now) {
            const auto found = drawn_.find(widget);
            if (found == drawn_.end() || !(found->second == drawn)) {
                changed = changed.United(drawn.extent);
            }
        }
        if (dialString != drawnDialString_ || dial != drawnDial_) {
            changed = changed.United(dial).United(drawnDial_);
        }
        if (cueVersion_ != drawnCueVersion_ || cue != drawnCue_) {
            changed = changed.United(cue).United(drawnCue_);
        }
    }
    drawn_ = std::move(now);
    drawnDial_ = dial;
    drawnDialString_ = dialString;
    drawnCue_ = cue;
    drawnCueVersion_ = cueVersion_;
    drawnCanvas_ = canvas.pixels;
    drawnArea_ = whole;
    return changed;
}

void PhoneSkin::SetListHidden(ContactItem* head, bool hidden) {
    for (ContactItem* item = head; item; item = item->Next()) {
        item->SetHidden(hidden);
    }
}

// The active carrier's back-end is not ready: no call state, no carrier, and neither its
// list nor a call party shown.
void PhoneSkin::DropCarrier(ContactItem* listHead) {
    host_.SetDialogState(CallState::INIT);
    host_.SetActiveCarrier(Carrier::None);
    SetListHidden(listHead, true);
    callerCard_->SetHidden(true);
}

void PhoneSkin::RefreshSkypeView() {
    const CallState state = host_.SkypeState();
    board_->SetHiddenById(WID_BOOK_CONTACT, true);
    switch (state) {
        case CallState::INIT:
            DropCarrier(skypeListHead_);
            break;
        case CallState::NORMAL:
            ShowContactList();
            break;
        case CallState::DIALING:
        case CallState::RINGING:
        case CallState::ANSWERING:
            SelectCarrier(Carrier::Skype);
            ShowCallParty();
            break;
    }
}

void PhoneSkin::RefreshBookView() {
    const CallState state = host_.ModemState();
    board_->SetHiddenById(WID_SKYPE_CONTACT, true);
    switch (state) {
        case CallState::INIT:
            DropCarrier(bookListHead_);
            break;
        case CallState::NORMAL:
            ShowContactList();
            break;
        case CallState::DIALING:
        case CallState::RINGING:
        case CallState::ANSWERING:
            ShowCallParty();
            SetWidgetState(modemKey_, true);
            host_.SetActiveCarrier(Carrier::Modem);
            ClosePopup();
            host_.SetDialString("");
            break;
    }
}

void PhoneSkin::ShowContactList() {
    callerCard_->SetHidden(true);
    switch (host_.ActiveCarrier()) {
        case Carrier::Skype:
            SetListHidden(skypeListHead_, false);
            SetWidgetState(bookmarkKey_, false);
            break;
        case Carrier::Modem:
            SetListHidden(bookListHead_, false);
            SetWidgetState(bookmarkKey_, true);
            break;
        case Carrier::None:
            break;
    }
}

void PhoneSkin::ShowCallParty() {
    switch (host_.ActiveCarrier()) {
        case Carrier::Skype: {
            const std::string partner = host_.SkypePartnerHandle();
            if (ContactItem* item = board_->ShowOnlyNamed(WID_SKYPE_CONTACT, partner)) {
                callerCard_->SetHidden(true);
                SetWidgetState(item, true);
            } else {
                board_->SetHiddenById(WID_SKYPE_CONTACT, true);
                callerCard_->SetHidden(false);
                callerCard_->SetLabel(partner.empty() ? "Unknown" : partner);
            }
            break;
        }
        case Carrier::Modem: {
            board_->SetHiddenById(WID_BOOK_CONTACT, true);
            board_->SetHiddenById(WID_SKYPE_CONTACT, true);
            callerCard_->SetHidden(false);
            const std::string number = host_.CallerNumber();
            callerCard_->SetLabel(
                number.empty() ? "Unknown"
                               : fw::Format("%s\n%s", number.c_str(), host_.CallerName().c_str()));
            break;
        }
        case Carrier::None:
            break;
    }
}

void PhoneSkin::UpdateCallKeys() {
    bool start = false;
    bool end = false;
    switch (host_.DialogState()) {
        case CallState::INIT:
            break;
        case CallState::NORMAL: {
            const Carrier carrier = host_.ActiveCarrier();
            const bool typed = !host_.DialString().empty();
            start = (carrier == Carrier::Skype && (selectedSkypeItem_ || typed)) ||
                    (carrier == Carrier::Modem && (selectedBookItem_ || typed));
            break;
        }
        case CallState::DIALING:
        case CallState::ANSWERING:
            end = true;
            break;
        case CallState::RINGING:
            start = true;
            end = true;
            break;
        default:
            // The box runs its own message loop, whose paints must not open it again.
            if (!reportingState_) {
                reportingState_ = true;
                host_.ShowMessage("#06 Unknown State of Dlg");
                reportingState_ = false;
            }
            break;
    }
    SetWidgetState(callStartKey_, start);
    SetWidgetState(callEndKey_, end);
}

void PhoneSkin::DrawDialString(PixelView canvas) {
    const std::string dialString = host_.DialString();
    if (dialString.empty() || !lcd_) {
        return;
    }
    text_.DrawLabel(canvas, dialString, lcd_->Bounds().left + text_.Px(kDialStringX),
                    lcd_->Bounds().top + text_.Px(kDialStringY), LabelStyle::Display);
}

}  // namespace ui
