// Paint order, hit testing and the by-id operations of the widget board.
#include "ui/WidgetBoard.h"

#include <algorithm>
#include <iterator>

#include "ui/WidgetIds.h"

namespace ui {

namespace {

bool IsSelected(const SkinWidget& widget) {
    const auto* item = dynamic_cast<const ContactItem*>(&widget);
    return item && item->IsSelected();
}

bool IsLit(const SkinWidget& widget) {
    const auto* key = dynamic_cast<const SkinKey*>(&widget);
    return key && key->IsLit();
}

}  // namespace

PaintFlags WidgetBoard::PaintFlagsFor(const SkinWidget& widget) {
    switch (widget.Id()) {
        case WID_SKYPE_CONTACT:
        case WID_BOOK_CONTACT:
            return {!IsSelected(widget), true};
        case WID_SKYPE:
        case WID_MODEM:
            return {!IsLit(widget), true};
        case WID_CALL_START:
        case WID_CALL_END:
        case WID_NUMBER:
            return {!IsLit(widget), false};
        default:
            return {false, true};
    }
}

void WidgetBoard::Insert(std::unique_ptr<SkinWidget> widget) {
    if (!widget) {
        return;
    }
    // The list is in layer order: a search, not a walk, so that a list of any length is built
    // in linear time.
    const int layer = widget->Layer();
    auto position = std::upper_bound(widgets_.begin(), widgets_.end(), layer,
                                     [](int wanted, const auto& w) { return wanted < w->Layer(); });
    widgets_.insert(position, std::move(widget));
}

void WidgetBoard::InsertAll(std::vector<std::unique_ptr<SkinWidget>> widgets) {
    if (widgets.empty()) {
        return;
    }
    const int layer = widgets.front()->Layer();
    auto position = std::upper_bound(widgets_.begin(), widgets_.end(), layer,
                                     [](int wanted, const auto& w) { return wanted < w->Layer(); });
    widgets_.insert(position, std::make_move_iterator(widgets.begin()),
                    std::make_move_iterator(widgets.end()));
}

void WidgetBoard::PaintAll(PixelView target) const {
    const Rect canvas = target.Area();
    for (const auto& widget : widgets_) {
        if (widget->IsHidden() || !widget->Extent().Intersects(canvas)) {
            continue;
        }
        const PaintFlags flags = PaintFlagsFor(*widget);
        widget->Draw(target, flags.dimmed, flags.plain);
    }
}

SkinWidget* WidgetBoard::HitTest(int x, int y) const {
    for (auto it = widgets_.rbegin(); it != widgets_.rend(); ++it) {
        const SkinWidget& widget = **it;
        if (widget.Id() == WID_FRAME || widget.Id() == WID_BASE || widget.IsHidden()) {
            continue;
        }
        if (widget.Contains(x, y)) {
            return it->get();
        }
    }
    return nullptr;
}

void WidgetBoard::SetHiddenById(int id, bool hidden) {
    for (auto it = widgets_.rbegin(); it != widgets_.rend(); ++it) {
        if ((*it)->Id() == id) {
            (*it)->SetHidden(hidden);
        }
    }
}

void WidgetBoard::RemoveById(int id, const std::function<void(const SkinWidget*)>& removing) {
    auto kept = std::stable_partition(widgets_.begin(), widgets_.end(),
                                      [id](const auto& w) { return w->Id() != id; });
    if (removing) {
        for (auto it = kept; it != widgets_.end(); ++it) {
            removing(it->get());
        }
    }
    widgets_.erase(kept, widgets_.end());
}

ContactItem* WidgetBoard::ShowOnlyNamed(int id, const std::string& name) {
    ContactItem* first = nullptr;
    for (auto it = widgets_.rbegin(); it != widgets_.rend(); ++it) {
        if ((*it)->Id() != id) {
            continue;
        }
        auto* item = dynamic_cast<ContactItem*>(it->get());
        if (!item) {
            continue;
        }
        const bool match = item->Name() == name;
        item->SetHidden(!match);
        if (match) {
            first = item;  // walking backwards: the last one met comes first in list order
        }
    }
    return first;
}

void WidgetBoard::RelayoutAll() {
    for (const auto& widget : widgets_) {
        widget->Relayout();
    }
}

}  // namespace ui
