// Widget geometry: moving, labels, relayout and drawing.
#include "ui/Widgets.h"

#include <algorithm>
#include <utility>

#include "modem/ContactEntry.h"
#include "skype/SkypeContact.h"
#include "ui/SkinImage.h"
#include "ui/WidgetIds.h"

namespace ui {

namespace {

int ImageWidth(const SkinImage* image) {
    return image ? image->Width() : 0;
}
int ImageHeight(const SkinImage* image) {
    return image ? image->Height() : 0;
}

const std::string& SkypeLabel(const skype::SkypeContact& contact) {
    if (!contact.displayName.empty()) {
        return contact.displayName;
    }
    if (!contact.fullName.empty()) {
        return contact.fullName;
    }
    return contact.handle;
}

}  // namespace

SkinWidget::SkinWidget(SkinText& text, const SkinImage* image)
    : text_(text),
      image_(image),
      imageRect_{0, 0, ImageWidth(image), ImageHeight(image)},
      bounds_(imageRect_) {}

void SkinWidget::MoveTo(int x, int y) {
    const int width = imageRect_.Width();
    imageRect_ = imageRect_.MovedTo(x, y);
    labelRect_ = id_ == WID_NUMBER ? labelRect_.MovedTo(x + width + text_.Px(10), y + text_.Px(8))
                                   : labelRect_.MovedTo(x + width, y);
    bounds_ = bounds_.MovedTo(x, y);
}

void SkinWidget::Relayout() {
    // Used up at once: a second paint before the next scroll tick must not move it again.
    const int x = imageRect_.left + std::exchange(offsetX_, 0);
    const int y = imageRect_.top + std::exchange(offsetY_, 0);
    MoveTo(x, y);
}

void SkinWidget::SetLabel(std::string text) {
    label_ = std::move(text);
    const LabelSize size = text_.MeasureLabel(label_);
    // The margins move the left and top only.
    labelRect_ = Rect{imageRect_.right + text_.Px(10), imageRect_.top + text_.Px(8),
                      imageRect_.right + size.width, imageRect_.top + size.height};
    bounds_ = Rect{imageRect_.left, imageRect_.top, labelRect_.right,
                   std::max(imageRect_.bottom, labelRect_.bottom)};
}

bool SkinWidget::Contains(int x, int y) const {
    return imageRect_.Contains(x, y) || labelRect_.Contains(x, y) || bounds_.Contains(x, y);
}

Rect SkinWidget::Extent() const {
    if (label_.empty()) {
        return imageRect_;
    }
    return Rect{std::min(imageRect_.left, labelRect_.left),
                std::min(imageRect_.top, labelRect_.top),
                std::max(imageRect_.right, labelRect_.left + bounds_.Width() + kLabelOverhang),
                std::max(imageRect_.bottom, labelRect_.top + bounds_.Height() + kLabelOverhang)};
}

void SkinWidget::Draw(PixelView target, bool dimmed, bool plain) const {
    if (hidden_ || !image_) {
        return;
    }
    image_->Draw(target, imageRect_.left, imageRect_.top, image_->Width(), image_->Height(),
                 dimmed);
    if (!label_.empty()) {
        const std::string shown = id_ == WID_NUMBER ? label_ : text_.ShortenLabel(label_);
        text_.DrawLabel(target, shown, labelRect_.left, labelRect_.top,
                        plain ? LabelStyle::Plain : LabelStyle::Emphasised);
    }
}

SkinKey::SkinKey(SkinText& text, const SkinImage* image, SkinKey* anchor)
    : SkinWidget(text, image), anchor_(anchor) {}

void SkinKey::Relayout() {
    if (!anchor_) {
        SkinWidget::Relayout();
    } else if (Id() == WID_NUMBER) {
        MoveTo(anchor_->Bounds().left, anchor_->Bounds().bottom + text_.Px(15));
    }
}

ContactItem::ContactItem(SkinText& text, const SkinImage* image, const skype::SkypeContact& contact,
                         ContactItem* previous)
    : SkinWidget(text, image), previous_(previous), name_(contact.handle) {
    SetLabel(text_.ShortenLabel(SkypeLabel(contact)));
}

ContactItem::ContactItem(SkinText& text, const SkinImage* image, const ContactEntry& entry,
                         ContactItem* previous)
    : SkinWidget(text, image), previous_(previous), name_(entry.name), entry_(entry) {
    SetLabel(text_.ShortenLabel(entry.name));
}

void ContactItem::Relayout() {
    SkinWidget::Relayout();
    if (previous_) {
        MoveTo(previous_->Bounds().left, previous_->Bounds().bottom + text_.Px(5));
    }
}

std::string ContactItem::Number(std::string_view kind) const {
    if (!entry_) {
        return std::string();
    }
    if (kind == "Home") {
        return entry_->home;
    }
    if (kind == "Office") {
        return entry_->office;
    }
    if (kind == "Mobile") {
        return entry_->mobile;
    }
    return std::string();
}

std::string ContactItem::DefaultNumber() const {
    if (!entry_) {
        return std::string();
    }
    for (const std::string* number : {&entry_->home, &entry_->office, &entry_->mobile}) {
        if (!number->empty()) {
            return *number;
        }
    }
    return std::string();
}

}  // namespace ui
