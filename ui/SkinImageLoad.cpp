// Decoding a skin picture from the program's resources with GDI+, once, into premultiplied
// pixels. The resource bytes are copied into a movable block that a stream reads. GDI+ may
// read the stream at any use of the bitmap, not only at its creation (Windows decodes at the
// first lock), so block, stream and bitmap live in one scope that ends only once the pixels
// are ours.
#include <windows.h>

#include <cstring>

#include "ui/GdiplusObjects.h"
#include "ui/SkinImage.h"

namespace ui {

namespace {

// A movable global block, unlocked and freed with the object.
class GlobalBlock {
public:
    explicit GlobalBlock(size_t size) : block_(GlobalAlloc(GMEM_MOVEABLE, size)) {}
    ~GlobalBlock() {
        if (block_) {
            if (locked_) {
                GlobalUnlock(block_);
            }
            GlobalFree(block_);
        }
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    HGLOBAL Get() const { return block_; }
    void* Lock() {
        void* bytes = block_ ? GlobalLock(block_) : nullptr;
        locked_ = bytes != nullptr;
        return bytes;
    }
    void Unlock() {
        if (locked_) {
            GlobalUnlock(block_);
            locked_ = false;
        }
    }

private:
    HGLOBAL block_;
    bool locked_ = false;
};

// The bitmap's pixels converted to premultiplied 32-bit; empty on failure.
PixelBuffer PremultipliedPixels(Gdiplus::GpBitmap* bitmap) {
    UINT width = 0;
    UINT height = 0;
    auto* image = reinterpret_cast<Gdiplus::GpImage*>(bitmap);
    if (gdip::flat::GdipGetImageWidth(image, &width) != Gdiplus::Ok ||
        gdip::flat::GdipGetImageHeight(image, &height) != Gdiplus::Ok || width == 0 ||
        height == 0) {
        return PixelBuffer();
    }
    PixelBuffer pixels(static_cast<int>(width), static_cast<int>(height));
    // The lock writes the converted pixels straight into our buffer.
    Gdiplus::BitmapData data{};
    data.Width = width;
    data.Height = height;
    data.Stride = static_cast<INT>(width * sizeof(uint32_t));
    data.PixelFormat = PixelFormat32bppPARGB;
    data.Scan0 = pixels.Data();
    Gdiplus::GpRect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    if (gdip::flat::GdipBitmapLockBits(
            bitmap, &whole, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
            PixelFormat32bppPARGB, &data) != Gdiplus::Ok) {
        return PixelBuffer();
    }
    gdip::flat::GdipBitmapUnlockBits(bitmap, &data);
    return pixels;
}

// Declared in this order, the bitmap goes before the stream it reads, and the stream before
// the block under it.
PixelBuffer DecodePng(const void* bytes, size_t size) {
    GlobalBlock block(size);
    void* copy = block.Lock();
    if (!copy) {
        return PixelBuffer();
    }
    std::memcpy(copy, bytes, size);
    // The stream locks the block itself for each read.
    block.Unlock();
    IStream* rawStream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block.Get(), FALSE, &rawStream)) || !rawStream) {
        return PixelBuffer();
    }
    gdip::Stream stream(rawStream);
    Gdiplus::GpBitmap* rawBitmap = nullptr;
    const Gdiplus::GpStatus status =
        gdip::flat::GdipCreateBitmapFromStream(stream.get(), &rawBitmap);
    gdip::Bitmap bitmap(rawBitmap);
    if (status != Gdiplus::Ok || !bitmap) {
        return PixelBuffer();
    }
    return PremultipliedPixels(bitmap.get());
}

}  // namespace

bool SkinImage::Load(const char* name, const char* type, void* module) {
    Assign(PixelBuffer());
    auto* instance = static_cast<HMODULE>(module);
    HRSRC resource = FindResourceA(instance, name, type);
    if (!resource) {
        return false;
    }
    const DWORD size = SizeofResource(instance, resource);
    if (size == 0) {
        return false;
    }
    HGLOBAL loaded = LoadResource(instance, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) {
        return false;
    }
    Assign(DecodePng(bytes, size));
    return !pixels_.Empty();
}

}  // namespace ui
