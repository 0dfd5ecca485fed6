// The phone window's skin: its pictures and widgets, the two contact lists with their smooth
// scroll, the number pop-up, the caller card, and the paint pass that brings the widgets in
// line with the call state and composes the canvas. The main window owns one and reaches it
// through its own operations of the same names; the skin reaches the window through SkinHost.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <unordered_map>

#include "core/CallState.h"
#include "ui/Label.h"
#include "ui/Pixels.h"
#include "ui/Rect.h"
#include "ui/SkinHost.h"
#include "ui/SkinImage.h"
#include "ui/WidgetBoard.h"
#include "ui/Widgets.h"

namespace ui {

// The canvas, and so the window: 360 x 550 figures, at the display's scale in pixels. Every
// figure of the layout is taken through the text engine's scale (SkinText::Px).
constexpr int kCanvasWidth = 360;
constexpr int kCanvasHeight = 550;

class PhoneSkin {
public:
    PhoneSkin(SkinHost& host, SkinText& text);
    ~PhoneSkin();
    PhoneSkin(const PhoneSkin&) = delete;
    PhoneSkin& operator=(const PhoneSkin&) = delete;

    // Creates the board, the pictures and the fixed widgets at the text engine's scale. When
    // the board cannot be made, says "UI Error", keeps nothing and returns false.
    bool BuildSkin();
    bool IsBuilt() const { return board_ != nullptr; }

    // The scale the skin is laid out at, and the canvas's size in pixels there.
    const scale::DisplayScale& Scale() const { return text_.Scale(); }
    int CanvasWidth() const { return text_.Px(kCanvasWidth); }
    int CanvasHeight() const { return text_.Px(kCanvasHeight); }
    // Lays the skin out again at `scale` with that scale's pictures (only those are decoded),
    // keeping what the user sees: the lists and their selections and scroll, the pop-up and
    // its selected number, the keys' states, the keypad and the display line. False after
    // "UI Error".
    bool SetScale(const scale::DisplayScale& scale);

    // The per-id state change: selects items and numbers, lights keys, shows the phone-book
    // key. Null is ignored.
    void SetWidgetState(SkinWidget* widget, bool on);
    void SelectCarrier(Carrier carrier);
    void ClosePopup();
    void ReopenPopup();
    // Opens the pop-up with the numbers of a phone-book item and selects the first.
    void ShowNumbers(ContactItem* item);
    // Folds the keypad away (true) or out.
    void ToggleKeypad(bool keypadHidden);
    void UpdateViewport();

    void RebuildSkypeList();
    void RebuildBookList();
    // Starts the list-scroll timer while a selected item is out of its place.
    void CheckListScroll();
    // One tick of the list-scroll timer.
    void ScrollListStep();

    // The paint pass, before composing: viewport, scroll check, views, call keys, relayout.
    void PrepareForPaint();
    // Brings the canvas (CanvasWidth x CanvasHeight) up to date: composes it afresh where
    // the picture changed since the last composition into the same canvas, and wholly into
    // another one. False when a list rebuild is under way and the window must keep its
    // previous picture (the canvas is then cleared and composed wholly next time).
    bool Compose(PixelView canvas);

    void RefreshSkypeView();
    void RefreshBookView();
    void ShowContactList();
    void ShowCallParty();
    void UpdateCallKeys();
    void DrawDialString(PixelView canvas);

    // Deletes every widget and picture (the window closes).
    void Clear();

    // Navigation by keys, wheel and scroll keys. Each acts only while the window's state is
    // NORMAL; the list is the active carrier's, or the pop-up's numbers where it says so.
    // One item back or on (the pop-up's numbers while it is open on the modem side).
    void SelectPrevious();
    void SelectNext();
    void SelectFirst();
    void SelectLast();
    // Four items back or on; with no carrier, "#32 Unknown system detected".
    void PageUp();
    void PageDown();
    // Left and right: close the pop-up or choose Skype; open the numbers or choose the modem.
    void SelectSkypeSide();
    void SelectModemSide();
    // Selects the Skype contact with this handle; false when the list has none.
    bool SelectSkypeContact(const std::string& handle);

    // A small picture over the phone-book key's top right corner (the count of missed calls),
    // composed with the board, or none. The caller keeps it, and sets it again after any
    // change to its pixels.
    void SetBookKeyCue(const PixelBuffer* cue);
    // Whether (x, y) lies in the part of the list area where items count as visible.
    bool IsInListView(int x, int y);
    // A click at (x, y) on a list item: selects it while the point is in the list's view; a
    // phone-book item also opens its numbers.
    void ClickItem(SkinWidget& item, int x, int y);

    // For input and call control.
    SkinWidget* HitTest(int x, int y) const;
    const Rect& ListViewport() const { return listViewport_; }
    bool IsPopupOpen() const;
    ContactItem* SelectedSkypeItem() const { return selectedSkypeItem_; }
    ContactItem* SelectedBookItem() const { return selectedBookItem_; }
    ContactItem* SkypeListHead() const { return skypeListHead_; }
    ContactItem* BookListHead() const { return bookListHead_; }
    SkinKey* SelectedNumber() const { return selectedNumber_; }
    // The widget under the pointer; forgotten when that widget is deleted.
    SkinWidget* HoverWidget() const { return hoverWidget_; }
    void SetHoverWidget(SkinWidget* widget) { hoverWidget_ = widget; }

    // The first widget with the id in paint order, or null; the board itself.
    SkinWidget* FindWidget(int id) const;
    const WidgetBoard* Board() const { return board_.get(); }

private:
    // The pictures, one per load (the close key's is loaded twice).
    enum Picture : size_t {
        kBoy,
        kBase,
        kFrame,
        kSkype,
        kModem,
        kCallStart,
        kCallEnd,
        kClose,
        kBookmark,
        kKeypad,
        kLcd,
        kKeypadPanel,
        kKey1,  // to kKey9 in order
        kKeyBack = kKey1 + 9,
        kKey0,
        kKeyClr,
        kPopup,
        kPopupClose,
        kHome,
        kOffice,
        kMobile,
        kUp,
        kDown,
        kPictureCount
    };

    // Where a list's head and the caller card are created.
    static constexpr int kListLeft = 45;
    static constexpr int kListTop = 90;

    // The active carrier's list: its selected item and head; both null without a carrier.
    struct ListSelection {
        ContactItem* selected = nullptr;
        ContactItem* head = nullptr;
    };
    ListSelection ActiveList() const;
    bool CanNavigate() const;
    void StepOne(bool down);
    void StepSelection(int steps);
    void StepNumber(bool down);
    void Page(int steps);

    // Selects an item of the active carrier's list; an open pop-up follows the selection.
    void MoveSelectionTo(ContactItem* item);
    bool DisplayFollowsBookSelection(bool moved) const;

    // Decodes the picture from the scale's artwork set, at the scale's size.
    void LoadPicture(Picture picture);
    void AddFixedWidgets();
    void AddCallerCard();
    void RemoveById(int id);
    void ForgetRemoved(const SkinWidget* widget);
    void DropCarrier(ContactItem* listHead);
    void ShowReadyCarrierKeys();
    ContactItem* AppendListItem(std::unique_ptr<ContactItem> item, int id,
                                std::vector<std::unique_ptr<SkinWidget>>& list);
    void SetListHidden(ContactItem* head, bool hidden);
    // The move of one scroll tick for a list, or 0 when it is in place.
    int ScrollMove(ContactItem* selected, ContactItem* head) const;
    bool NeedsScroll(ContactItem* selected, ContactItem* head, int bottomMargin) const;

    // What a composition drew, widget by widget: the next one composes only where this
    // changed.
    struct Drawn {
        Rect extent;
        const SkinImage* image;
        std::string label;
        PaintFlags flags;
        bool operator==(const Drawn& other) const {
            return extent == other.extent && image == other.image && label == other.label &&
                   flags.dimmed == other.flags.dimmed && flags.plain == other.flags.plain;
        }
    };
    // Where the canvas must be composed again; records what will be drawn.
    Rect ChangedSinceComposed(const PixelView& canvas);
    Rect DialStringArea();
    Rect BookKeyCueArea() const;

    SkinHost& host_;
    SkinText& text_;
    std::unordered_map<const SkinWidget*, Drawn> drawn_;
    Rect drawnDial_;
    std::string drawnDialString_;
    const PixelBuffer* bookKeyCue_ = nullptr;
    uint64_t cueVersion_ = 0;  // counts the cues set, so a picture changed in place is seen
    uint64_t drawnCueVersion_ = 0;
    Rect drawnCue_;
    const uint32_t* drawnCanvas_ = nullptr;  // none: compose wholly
    Rect drawnArea_;
    std::unique_ptr<WidgetBoard> board_;
    std::array<SkinImage, kPictureCount> pictures_;

    // Fixed widgets, owned by the board.
    SkinWidget* base_ = nullptr;
    SkinKey* skypeKey_ = nullptr;
    SkinKey* modemKey_ = nullptr;
    SkinKey* callStartKey_ = nullptr;
    SkinKey* callEndKey_ = nullptr;
    SkinWidget* bookmarkKey_ = nullptr;
    ContactItem* callerCard_ = nullptr;
    SkinKey* lcd_ = nullptr;
    SkinKey* keypadPanel_ = nullptr;
    std::array<SkinKey*, 12> keypadKeys_{};
    SkinWidget* down_ = nullptr;

    Rect listViewport_;
    bool listBusy_ = false;
    bool rebuildingBook_ = false;
    bool reportingState_ = false;
    SkinWidget* hoverWidget_ = nullptr;
    ContactItem* selectedSkypeItem_ = nullptr;
    ContactItem* selectedBookItem_ = nullptr;
    ContactItem* skypeListHead_ = nullptr;
    ContactItem* bookListHead_ = nullptr;
    SkinKey* selectedNumber_ = nullptr;
};

}  // namespace ui
