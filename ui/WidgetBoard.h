// All widgets of the window, kept in paint order (ascending layer; equal layers in the order
// they were added). The board owns its widgets.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Pixels.h"
#include "ui/Widgets.h"

namespace ui {

// How a widget paints: its picture dimmed or not, its label plain (regular black) or
// emphasised (bold white).
struct PaintFlags {
    bool dimmed;
    bool plain;
};

class WidgetBoard {
public:
    // By the widget's id and its lit or selected state.
    static PaintFlags PaintFlagsFor(const SkinWidget& widget);

    WidgetBoard() { widgets_.reserve(100); }
    virtual ~WidgetBoard() = default;
    WidgetBoard(const WidgetBoard&) = delete;
    WidgetBoard& operator=(const WidgetBoard&) = delete;

    // Inserts before the first widget of a higher layer; returns the widget, borrowed (null
    // stays null and is not added).
    template <class T>
    T* Add(std::unique_ptr<T> widget) {
        T* borrowed = widget.get();
        Insert(std::move(widget));
        return borrowed;
    }

    // Widgets of one layer, in their order, in one insertion: a list built item by item in
    // front of a long one would move that one's widgets once per item.
    void InsertAll(std::vector<std::unique_ptr<SkinWidget>> widgets);

    // Every widget in list order; those wholly outside the target are skipped.
    void PaintAll(PixelView target) const;

    // The topmost widget containing the point, skipping the frame, the back plate and hidden
    // widgets; null when none.
    SkinWidget* HitTest(int x, int y) const;

    void SetHiddenById(int id, bool hidden);
    // Destroys every widget with the id; `removing` hears of each one first.
    void RemoveById(int id, const std::function<void(const SkinWidget*)>& removing = nullptr);
    // Among the widgets with the id, shows those whose Name is `name` and hides the others;
    // returns the first shown in list order, or null. Only for ContactItem ids.
    ContactItem* ShowOnlyNamed(int id, const std::string& name);
    void RelayoutAll();
    void Clear() { widgets_.clear(); }

    size_t Count() const { return widgets_.size(); }
    SkinWidget* At(size_t index) const { return widgets_[index].get(); }

private:
    void Insert(std::unique_ptr<SkinWidget> widget);

    std::vector<std::unique_ptr<SkinWidget>> widgets_;
};

}  // namespace ui
