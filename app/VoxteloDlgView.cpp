// The main window's widget operations. Each delegates to the skin (ui::PhoneSkin), which
// carries out the widget side and the effects on the window's carrier and display line.
#include "app/VoxteloDlg.h"

#include <new>

#include "app/MainSkinHost.h"
#include "core/DisplayScale.h"
#include "framework/MessageBox.h"
#include "ui/GdiplusText.h"
#include "ui/LayeredCanvas.h"
#include "ui/PhoneSkin.h"

bool CVoxteloDlg::BuildSkin() {
    keypadHidden_ = true;
    try {
        const scale::DisplayScale scale = WindowScale();
        skinText_ = std::make_unique<ui::GdiplusText>();
        skinText_->SetScale(scale);
        canvas_ = std::make_unique<ui::LayeredCanvas>(scale.Px(ui::kCanvasWidth),
                                                      scale.Px(ui::kCanvasHeight));
        skinHost_ = std::make_unique<MainSkinHost>(*this);
        skin_ = std::make_unique<ui::PhoneSkin>(*skinHost_, *skinText_);
    } catch (const std::bad_alloc&) {
        skin_.reset();
    }
    // Without a canvas nothing could be seen; the phone cannot work without its board.
    if (!skin_ || !canvas_->Valid()) {
        skin_.reset();
        fw::ShowReport(Handle(), "UI Error");
        return false;
    }
    if (!skin_->BuildSkin()) {  // it has said "UI Error"
        skin_.reset();
        return false;
    }
    return true;
}

void CVoxteloDlg::SetWidgetState(ui::SkinWidget* widget, bool on) {
    if (skin_) {
        skin_->SetWidgetState(widget, on);
    }
}

void CVoxteloDlg::SelectCarrier(Carrier carrier) {
    if (skin_) {
        skin_->SelectCarrier(carrier);
    } else if (carrier == Carrier::Skype || carrier == Carrier::Modem) {
        activeCarrier_ = carrier;
        dialString_.clear();
    }
}

void CVoxteloDlg::ClosePopup() {
    if (skin_) {
        skin_->ClosePopup();
    }
}

void CVoxteloDlg::ReopenPopup() {
    if (skin_) {
        skin_->ReopenPopup();
    }
}

void CVoxteloDlg::ShowNumbers(ui::ContactItem* item) {
    if (skin_) {
        skin_->ShowNumbers(item);
    }
}

void CVoxteloDlg::ToggleKeypad() {
    if (skin_) {
        skin_->ToggleKeypad(keypadHidden_);
    }
}

void CVoxteloDlg::UpdateViewport() {
    if (skin_) {
        skin_->UpdateViewport();
    }
}

// A timer's tick comes only when no posted message, input or paint is waiting: after the burst.
void CVoxteloDlg::RebuildSkypeList() {
    if (skypeListDue_) {
        return;
    }
    skypeListDue_ = SetTimer(Handle(), TIMER_SKYPE_LIST, USER_TIMER_MINIMUM, nullptr) != 0;
    if (!skypeListDue_) {
        RebuildSkypeListNow();  // at once rather than never
    }
}

void CVoxteloDlg::RebuildSkypeListNow() {
    StopTimer(TIMER_SKYPE_LIST);
    skypeListDue_ = false;
    if (skin_) {
        skin_->RebuildSkypeList();
    }
}

void CVoxteloDlg::RebuildBookList() {
    if (skin_) {
        skin_->RebuildBookList();
    }
}

void CVoxteloDlg::CheckListScroll() {
    if (skin_) {
        skin_->CheckListScroll();
    }
}

void CVoxteloDlg::ScrollListStep() {
    if (skin_) {
        skin_->ScrollListStep();
    } else {
        StopTimer(TIMER_LIST_SCROLL);
    }
}

void CVoxteloDlg::RefreshSkypeView() {
    if (skin_) {
        skin_->RefreshSkypeView();
    }
}

void CVoxteloDlg::RefreshBookView() {
    if (skin_) {
        skin_->RefreshBookView();
    }
}

void CVoxteloDlg::ShowContactList() {
    if (skin_) {
        skin_->ShowContactList();
    }
}

void CVoxteloDlg::ShowCallParty() {
    if (skin_) {
        skin_->ShowCallParty();
    }
}

void CVoxteloDlg::UpdateCallKeys() {
    if (skin_) {
        skin_->UpdateCallKeys();
    }
}

void CVoxteloDlg::DrawDialString(ui::PixelView canvas) {
    if (skin_) {
        skin_->DrawDialString(canvas);
    }
}

bool CVoxteloDlg::IsPopupOpen() const {
    return skin_ && skin_->IsPopupOpen();
}

std::optional<std::string> CVoxteloDlg::SelectedSkypeHandle() const {
    if (const ui::ContactItem* item = skin_ ? skin_->SelectedSkypeItem() : nullptr) {
        return item->Name();
    }
    return std::nullopt;
}

ui::ContactItem* CVoxteloDlg::SelectedBookItem() const {
    return skin_ ? skin_->SelectedBookItem() : nullptr;
}

const ContactEntry* CVoxteloDlg::SelectedBookEntry() const {
    const ui::ContactItem* item = SelectedBookItem();
    return item ? item->Entry() : nullptr;
}

const std::string* CVoxteloDlg::SelectedPopupNumber() const {
    const ui::SkinKey* number = skin_ ? skin_->SelectedNumber() : nullptr;
    return number ? &number->Label() : nullptr;
}
