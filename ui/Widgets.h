// The light-weight widgets of the phone window: a picture at a position with an optional
// one-line label to its right, and a little state. They are not windows and never repaint
// themselves; the paint pass composes them all.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "modem/ContactEntry.h"
#include "ui/Label.h"
#include "ui/Pixels.h"
#include "ui/Rect.h"

namespace skype {
class SkypeContact;
}

namespace ui {

class SkinImage;

// How far a rendered label may reach beyond its measured size, right and down.
constexpr int kLabelOverhang = 3;

// A plain picture: backgrounds, frame, close keys, scroll keys, phone-book and keypad keys,
// the pop-up panel.
class SkinWidget {
public:
    // `image` is borrowed (the window owns the pictures) and may be null; `text` measures and
    // draws the label.
    SkinWidget(SkinText& text, const SkinImage* image);
    virtual ~SkinWidget() = default;
    SkinWidget(const SkinWidget&) = delete;
    SkinWidget& operator=(const SkinWidget&) = delete;

    // Places the picture's top-left corner at (x, y); the label and bounds keep their sizes.
    void MoveTo(int x, int y);
    // Re-positions before each paint: by the pending offset, which is then used up.
    virtual void Relayout();
    // Stores the text and widens the bounds to take in the label.
    void SetLabel(std::string text);
    // Paints picture and label (dimmed picture; plain or emphasised label).
    void Draw(PixelView target, bool dimmed, bool plain) const;

    int Id() const { return id_; }
    void SetId(int id) { id_ = id; }
    int Layer() const { return layer_; }
    void SetLayer(int layer) { layer_ = layer; }
    bool IsHidden() const { return hidden_; }
    void SetHidden(bool hidden) { hidden_ = hidden; }
    const std::string& Label() const { return label_; }
    const Rect& ImageRect() const { return imageRect_; }
    const Rect& LabelRect() const { return labelRect_; }
    const Rect& Bounds() const { return bounds_; }
    const SkinImage* Image() const { return image_; }
    // A move the next relayout applies (only list heads use it).
    void SetOffset(int x, int y) {
        offsetX_ = x;
        offsetY_ = y;
    }
    int OffsetY() const { return offsetY_; }

    // Inside the picture, the label or the bounds (left and top edges inside).
    bool Contains(int x, int y) const;
    // Everything Draw may touch: the picture and the label as drawn, which starts at the
    // label's corner and is at most the bounds' size and the few pixels the text engine
    // adds around the glyphs (kLabelOverhang).
    Rect Extent() const;

protected:
    SkinText& text_;

private:
    const SkinImage* image_;
    Rect imageRect_;
    int offsetX_ = 0;
    int offsetY_ = 0;
    int layer_ = 0;
    bool hidden_ = false;
    int id_ = 0;
    std::string label_;
    Rect labelRect_;
    Rect bounds_;
};

// A picture with a lit state: carrier keys, call keys, display and keypad panels, digit keys,
// and the numbers of the pop-up, which hang one under the other by their anchors.
class SkinKey : public SkinWidget {
public:
    SkinKey(SkinText& text, const SkinImage* image, SkinKey* anchor = nullptr);

    void Relayout() override;

    bool IsLit() const { return lit_; }
    void SetLit(bool lit) { lit_ = lit; }
    SkinKey* Anchor() const { return anchor_; }
    SkinKey* Partner() const { return partner_; }
    void SetPartner(SkinKey* partner) { partner_ = partner; }

private:
    SkinKey* anchor_;
    SkinKey* partner_ = nullptr;
    bool lit_ = false;
};

// One entry of a contact list, or the caller card. It keeps its own copy of what it shows,
// so it can never point at a contact record the back-end has replaced; the rebuild events
// bring it up to date.
class ContactItem : public SkinWidget {
public:
    // A Skype contact, labelled with its display name, else its full name, else its handle.
    ContactItem(SkinText& text, const SkinImage* image, const skype::SkypeContact& contact,
                ContactItem* previous);
    // A phone-book entry, labelled with its name.
    ContactItem(SkinText& text, const SkinImage* image, const ContactEntry& entry,
                ContactItem* previous);

    // Follows the previous item: 5 pixels under its bounds.
    void Relayout() override;

    bool IsSelected() const { return selected_; }
    void SetSelected(bool selected) { selected_ = selected; }
    ContactItem* Previous() const { return previous_; }
    ContactItem* Next() const { return next_; }
    void SetNext(ContactItem* next) { next_ = next; }

    // The Skype contact's handle, or the phone-book entry's name.
    const std::string& Name() const { return name_; }
    // "Home", "Office" or "Mobile" of a phone-book entry; "" otherwise.
    std::string Number(std::string_view kind) const;
    // The first non-empty of home, office and mobile; "" for none and for Skype items.
    std::string DefaultNumber() const;
    // The phone-book entry as it was when the item was made; null for Skype items.
    const ContactEntry* Entry() const { return entry_ ? &*entry_ : nullptr; }

private:
    ContactItem* previous_;
    ContactItem* next_ = nullptr;
    bool selected_ = false;
    std::string name_;
    std::optional<ContactEntry> entry_;  // a copy, for phone-book items only
};

}  // namespace ui
