// Owners for the GDI+ flat API's objects; each frees its object through the flat API.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

namespace ui::gdip {

namespace flat = Gdiplus::DllExports;

struct ImageDeleter {
    void operator()(Gdiplus::GpImage* image) const { flat::GdipDisposeImage(image); }
};
struct GraphicsDeleter {
    void operator()(Gdiplus::GpGraphics* graphics) const { flat::GdipDeleteGraphics(graphics); }
};
struct FontDeleter {
    void operator()(Gdiplus::GpFont* font) const { flat::GdipDeleteFont(font); }
};
struct FontFamilyDeleter {
    void operator()(Gdiplus::GpFontFamily* family) const { flat::GdipDeleteFontFamily(family); }
};
struct BrushDeleter {
    void operator()(Gdiplus::GpBrush* brush) const { flat::GdipDeleteBrush(brush); }
};
struct UnknownReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};

using Bitmap = std::unique_ptr<Gdiplus::GpBitmap, ImageDeleter>;
using Graphics = std::unique_ptr<Gdiplus::GpGraphics, GraphicsDeleter>;
using Font = std::unique_ptr<Gdiplus::GpFont, FontDeleter>;
using FontFamily = std::unique_ptr<Gdiplus::GpFontFamily, FontFamilyDeleter>;
using Brush = std::unique_ptr<Gdiplus::GpBrush, BrushDeleter>;
using Stream = std::unique_ptr<IStream, UnknownReleaser>;

}  // namespace ui::gdip
