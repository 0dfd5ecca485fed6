// One paint pass of the phone window under Wine: the skin's layout and composition with a
// list of Skype contacts, ending in the layered-window update. The baseline draws the same
// widgets with GDI+ on the window's DC (pictures as GDI+ decodes them, a font made per label),
// measured in the same run. Also one full rebuild of a 500-contact list.
#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "bench/WineBench.h"
#include "framework/GdiplusSession.h"
#include "tests/ui/ResourceSkinHost.h"
#include "ui/GdiplusText.h"
#include "ui/LayeredCanvas.h"
#include "ui/PhoneSkin.h"

namespace {

using ui::testing::ResourceSkinHost;
namespace flat = ui::gdip::flat;

constexpr int kPasses = 301;

HWND MakeLayeredWindow() {
    HWND window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"STATIC", L"skin bench",
                                  WS_POPUP, 100, 100, ui::kCanvasWidth, ui::kCanvasHeight, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNA);
    return window;
}

void AddContacts(ResourceSkinHost& host, int count) {
    for (int i = 0; i < count; ++i) {
        char handle[32];
        char name[32];
        std::snprintf(handle, sizeof(handle), "contact.%04d", i);
        std::snprintf(name, sizeof(name), "Contact Number %04d", i);
        host.AddSkypeContact(handle, "ONLINE", "", name);
    }
}

// The baseline's pictures: each skin picture as a GDI+ bitmap in straight ARGB, the form
// GDI+ decodes a PNG into.
class GdiplusPictures {
public:
    Gdiplus::GpBitmap* For(const ui::SkinImage* image) {
        auto found = bitmaps_.find(image);
        if (found != bitmaps_.end()) {
            return found->second.get();
        }
        const ui::PixelBuffer& pixels = image->Pixels();
        straight_.emplace_back(pixels.Width(), pixels.Height());
        ui::PixelBuffer& copy = straight_.back();
        for (int y = 0; y < pixels.Height(); ++y) {
            for (int x = 0; x < pixels.Width(); ++x) {
                const uint32_t p = pixels.At(x, y);
                const uint32_t a = ui::AlphaOf(p);
                auto unmul = [a](uint32_t c) { return a ? (c * 255 + a / 2) / a : 0; };
                copy.View().Row(y)[x] = a << 24 | unmul(ui::RedOf(p)) << 16 |
                                        unmul(ui::GreenOf(p)) << 8 | unmul(ui::BlueOf(p));
            }
        }
        Gdiplus::GpBitmap* bitmap = nullptr;
        flat::GdipCreateBitmapFromScan0(copy.Width(), copy.Height(), copy.Width() * 4,
                                        PixelFormat32bppARGB, reinterpret_cast<BYTE*>(copy.Data()),
                                        &bitmap);
        bitmaps_[image].reset(bitmap);
        return bitmap;
    }

private:
    std::vector<ui::PixelBuffer> straight_;
    std::map<const ui::SkinImage*, ui::gdip::Bitmap> bitmaps_;
};

// The same widgets drawn with GDI+ straight onto the canvas's DC: dimmed pictures through a
// colour matrix, each label with a font and a brush made for it.
void PaintWithGdiplus(const ui::WidgetBoard& board, HDC dc, GdiplusPictures& pictures,
                      ui::gdip::FontFamily& family, Gdiplus::GpImageAttributes* dim) {
    Gdiplus::GpGraphics* raw = nullptr;
    flat::GdipCreateFromHDC(dc, &raw);
    ui::gdip::Graphics graphics(raw);
    flat::GdipGraphicsClear(raw, 0);
    flat::GdipSetTextRenderingHint(raw, Gdiplus::TextRenderingHintAntiAlias);
    const ui::Rect canvas{0, 0, ui::kCanvasWidth, ui::kCanvasHeight};
    for (size_t i = 0; i < board.Count(); ++i) {
        const ui::SkinWidget& widget = *board.At(i);
        if (widget.IsHidden() || !widget.Image() || !widget.Extent().Intersects(canvas)) {
            continue;
        }
        const ui::PaintFlags flags = ui::WidgetBoard::PaintFlagsFor(widget);
        const ui::Rect& r = widget.ImageRect();
        auto* image = reinterpret_cast<Gdiplus::GpImage*>(pictures.For(widget.Image()));
        flat::GdipDrawImageRectRectI(raw, image, r.left, r.top, r.Width(), r.Height(), 0, 0,
                                     r.Width(), r.Height(), Gdiplus::UnitPixel,
                                     flags.dimmed ? dim : nullptr, nullptr, nullptr);
        if (widget.Label().empty()) {
            continue;
        }
        const std::wstring text = ui::LabelUnits(widget.Label());
        Gdiplus::GpFont* font = nullptr;
        flat::GdipCreateFont(family.get(), 10.0f,
                             flags.plain ? Gdiplus::FontStyleRegular : Gdiplus::FontStyleBold,
                             Gdiplus::UnitPoint, &font);
        Gdiplus::GpSolidFill* brush = nullptr;
        flat::GdipCreateSolidFill(flags.plain ? 0xFE000000 : 0xFEFFFFFF, &brush);
        const Gdiplus::RectF origin(float(widget.LabelRect().left), float(widget.LabelRect().top),
                                    0.0f, 0.0f);
        flat::GdipDrawString(raw, text.c_str(), INT(text.size()), font, &origin, nullptr, brush);
        flat::GdipDeleteBrush(brush);
        flat::GdipDeleteFont(font);
    }
}

void MeasurePaint(HWND window, int contacts) {
    ResourceSkinHost host;
    host.skypeState = CallState::NORMAL;
    host.dialogState = CallState::NORMAL;
    AddContacts(host, contacts);
    ui::GdiplusText text;
    ui::PhoneSkin skin(host, text);
    skin.BuildSkin();
    skin.SelectCarrier(Carrier::Skype);
    skin.RebuildSkypeList();
    host.dialString = "+886225551234";
    ui::LayeredCanvas canvas(ui::kCanvasWidth, ui::kCanvasHeight);
    BYTE alpha = 255;
    auto pass = [&] {
        skin.PrepareForPaint();
        skin.Compose(canvas.View());
        canvas.Present(window, alpha);
    };
    for (int i = 0; i < 5; ++i) {
        pass();  // every visible label rendered and kept
    }
    // A scroll tick: the list moves by a pixel, up and down in turn.
    int direction = 1;
    auto scrollTick = [&] {
        skin.SkypeListHead()->SetOffset(0, direction);
        direction = -direction;
        pass();
    };
    std::printf("-- %d Skype contacts\n", contacts);
    bench::ReportMedian("paint pass, list scrolling (a tick)", kPasses, scrollTick);
    bench::ReportMedian("paint pass, picture unchanged", kPasses, pass);
    bench::ReportMedian("paint pass, focus lost or regained", kPasses, [&] {
        alpha = alpha == 255 ? 100 : 255;
        pass();
    });
    alpha = 255;
    bench::ReportMedian("  layout only", kPasses, [&] { skin.PrepareForPaint(); });
    bench::ReportMedian("  compose only", kPasses, [&] { skin.Compose(canvas.View()); });
    bench::ReportMedian("  layout, compose, whole-window update", kPasses, [&] {
        alpha = alpha == 255 ? 254 : 255;  // a new alpha: the whole picture goes over
        pass();
    });

    GdiplusPictures pictures;
    ui::gdip::FontFamily family;
    {
        Gdiplus::GpFontFamily* raw = nullptr;
        flat::GdipCreateFontFamilyFromName(L"Arial", nullptr, &raw);
        family.reset(raw);
    }
    Gdiplus::GpImageAttributes* dim = nullptr;
    flat::GdipCreateImageAttributes(&dim);
    Gdiplus::ColorMatrix matrix = {{{1, 0, 0, 0, 0},
                                    {0, 1, 0, 0, 0},
                                    {0, 0, 1, 0, 0},
                                    {0, 0, 0, 100.0f / 255.0f, 0},
                                    {0, 0, 0, 0, 1}}};
    flat::GdipSetImageAttributesColorMatrix(dim, Gdiplus::ColorAdjustTypeDefault, TRUE, &matrix,
                                            nullptr, Gdiplus::ColorMatrixFlagsDefault);
    bench::ReportMedian("baseline: GDI+ on the window DC", 31, [&] {
        skin.SkypeListHead()->SetOffset(0, direction);
        direction = -direction;
        skin.PrepareForPaint();
        PaintWithGdiplus(*skin.Board(), canvas.Dc(), pictures, family, dim);
        alpha = alpha == 255 ? 254 : 255;
        canvas.Present(window, alpha);
    });
    flat::GdipDisposeImageAttributes(dim);
}

void MeasureRebuild(int contacts) {
    ResourceSkinHost host;
    host.skypeState = CallState::NORMAL;
    AddContacts(host, contacts);
    std::printf("-- rebuild of %d Skype contacts\n", contacts);
    bench::ReportMedian("full rebuild, labels measured afresh", 9, [&] {
        ui::GdiplusText text;  // nothing measured yet
        ui::PhoneSkin skin(host, text);
        skin.BuildSkin();
        skin.RebuildSkypeList();
    });
    ui::GdiplusText text;
    ui::PhoneSkin skin(host, text);
    skin.BuildSkin();
    skin.RebuildSkypeList();
    bench::ReportMedian("full rebuild, the same contacts again", 21,
                        [&] { skin.RebuildSkypeList(); });
}

}  // namespace

int main() {
    fw::GdiplusSession gdiplus;
    HWND window = MakeLayeredWindow();
    MeasurePaint(window, 100);
    MeasurePaint(window, 1000);
    MeasureRebuild(500);
    DestroyWindow(window);
    return 0;
}
