// The count badge of missed calls: a red pill with the count in white, drawn at the size it
// is shown, never enlarged; and an icon carrying one in its lower right corner.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handles.h"
#include "ui/Pixels.h"

namespace ui {

// `text` ("1" to "9+") on a badge `height` pixels high, premultiplied; empty for "".
PixelBuffer RenderCountBadge(const std::string& text, int height);

// The badge's height on an icon of `size` pixels.
int BadgeHeightFor(int iconSize);

// `icon` drawn at `size` pixels with the badge of `text`; null when it cannot be made.
fw::IconHandle MakeBadgedIcon(HICON icon, int size, const std::string& text);

}  // namespace ui
