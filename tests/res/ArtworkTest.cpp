// The artwork as the built program carries it, in every scale's set: every picture at its size,
// depth and kind of transparency with room for the text the program draws on it, the
// phone-book background's exact magenta corners, pictures drawn at 200 % rather than enlarged,
// and the ring tone beside the program.
#include <windows.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/DisplayScale.h"
#include "core/ExecutableDirectory.h"
#include "framework/GdiplusSession.h"
#include "framework/Handles.h"
#include "res/resource.h"

namespace {

using Gdiplus::DllExports::GdipBitmapLockBits;
using Gdiplus::DllExports::GdipBitmapUnlockBits;
using Gdiplus::DllExports::GdipCreateBitmapFromStream;
using Gdiplus::DllExports::GdipDisposeImage;

struct Rect {
    int left, top, right, bottom;
};

// Straight-alpha pixels as 0xAARRGGBB, top row first.
struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
    uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

int Alpha(uint32_t p) {
    return p >> 24;
}
int Red(uint32_t p) {
    return (p >> 16) & 0xFF;
}
int Green(uint32_t p) {
    return (p >> 8) & 0xFF;
}
int Blue(uint32_t p) {
    return p & 0xFF;
}

// The brightness of a pixel as seen over a white desktop, 0 to 255.
int LumaOverWhite(uint32_t p) {
    const int a = Alpha(p);
    auto over = [a](int c) { return (c * a + 255 * (255 - a)) / 255; };
    return (299 * over(Red(p)) + 587 * over(Green(p)) + 114 * over(Blue(p))) / 1000;
}

// The program's resources, read as data from voxtelo.exe beside this test.
class Program {
public:
    Program()
        : module_(LoadLibraryExA(PathBesideThisProgram("\\voxtelo.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    bool Loaded() const { return module_.Valid(); }

    std::string Bytes(LPCSTR name, LPCSTR type) const {
        HRSRC info = FindResourceA(module_.Get(), name, type);
        HGLOBAL data = info ? LoadResource(module_.Get(), info) : nullptr;
        const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
        return bytes ? std::string(bytes, SizeofResource(module_.Get(), info)) : std::string();
    }

private:
    fw::ModuleHandle module_;
};

Pixels DecodePng(const std::string& png) {
    Pixels out;
    IStream* stream =
        SHCreateMemStream(reinterpret_cast<const BYTE*>(png.data()), static_cast<UINT>(png.size()));
    if (!stream) {
        return out;
    }
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromStream(stream, &bitmap) == Gdiplus::Ok) {
        Gdiplus::BitmapData data{};
        UINT width = 0, height = 0;
        Gdiplus::DllExports::GdipGetImageWidth(bitmap, &width);
        Gdiplus::DllExports::GdipGetImageHeight(bitmap, &height);
        const Gdiplus::GpRect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
        if (GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB,
                               &data) == Gdiplus::Ok) {
            out.width = static_cast<int>(width);
            out.height = static_cast<int>(height);
            for (UINT y = 0; y < height; ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(
                    static_cast<const char*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride);
                out.argb.insert(out.argb.end(), row, row + width);
            }
            GdipBitmapUnlockBits(bitmap, &data);
        }
        GdipDisposeImage(bitmap);
    }
    stream->Release();
    return out;
}

// A BITMAP resource (a packed DIB): its header, and its pixels if they are 24-bit BI_RGB.
struct Dib {
    BITMAPINFOHEADER header{};
    Pixels pixels;
};

Dib DecodeDib(const std::string& bytes) {
    Dib dib;
    if (bytes.size() < sizeof dib.header) {
        return dib;
    }
    std::memcpy(&dib.header, bytes.data(), sizeof dib.header);
    const BITMAPINFOHEADER& h = dib.header;
    const int width = h.biWidth, height = h.biHeight > 0 ? h.biHeight : -h.biHeight;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    if (h.biBitCount != 24 || h.biCompression != BI_RGB || width <= 0 ||
        bytes.size() < h.biSize + stride * height) {
        return dib;
    }
    dib.pixels.width = width;
    dib.pixels.height = height;
    for (int y = 0; y < height; ++y) {
        const int stored = h.biHeight > 0 ? height - 1 - y : y;
        const auto* row =
            reinterpret_cast<const uint8_t*>(bytes.data() + h.biSize + stride * stored);
        for (int x = 0; x < width; ++x) {
            const uint8_t* bgr = row + 3 * x;
            dib.pixels.argb.push_back(0xFF000000u | bgr[2] << 16 | bgr[1] << 8 | bgr[0]);
        }
    }
    return dib;
}

// The colour of the text the program draws on a picture, and so what the picture must be
// under it: light under black text, dark under white.
enum class Ink { None, Black, White };

void ExpectRoomForText(const char* what, const Pixels& p, Rect area, Ink ink) {
    if (ink == Ink::None) {
        return;
    }
    int worst = ink == Ink::Black ? 255 : 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const int luma = LumaOverWhite(p.At(x, y));
            worst = ink == Ink::Black ? std::min(worst, luma) : std::max(worst, luma);
        }
    }
    if (ink == Ink::Black) {
        EXPECT_GE(worst, 190) << what << ": too dark somewhere under black text";
    } else {
        EXPECT_LE(worst, 90) << what << ": too light somewhere under white text";
    }
}

// Frame: its middle is cut away over the back plate, and it is opaque above and below it
// across the list's width, where scrolled items must vanish. Translucent: the pop-up's body.
enum class Kind { Shaped, Opaque, Frame, Translucent };

struct SkinPicture {
    const char* name;
    int width, height;
    Kind kind;
    Ink ink;
    Rect text;  // where the program draws text in `ink`
};

constexpr Rect kNoText{0, 0, 0, 0};

const SkinPicture kSkin[] = {
    {"IDB_BACKGROUND_TOP", 239, 550, Kind::Frame, Ink::None, kNoText},
    // Names run from the icons at x 22 to the rail.
    {"IDB_BACKGROUND_BASE", 190, 397, Kind::Opaque, Ink::Black, {22, 0, 176, 397}},
    {"IDB_SKYPE", 107, 23, Kind::Shaped, Ink::None, kNoText},
    {"IDB_MODEM", 106, 23, Kind::Shaped, Ink::None, kNoText},
    {"IDB_CALLSTART", 41, 41, Kind::Shaped, Ink::None, kNoText},
    {"IDB_CALLEND", 41, 41, Kind::Shaped, Ink::None, kNoText},
    {"IDB_CLOSE", 12, 12, Kind::Shaped, Ink::None, kNoText},
    {"IDB_BOOKMARK", 29, 30, Kind::Shaped, Ink::None, kNoText},
    {"IDB_KEYPAD", 29, 30, Kind::Shaped, Ink::None, kNoText},
    // The number is drawn 7 px in and 5 px down, one bold line.
    {"IDB_KEYPAD_LCD", 189, 25, Kind::Opaque, Ink::Black, {7, 5, 182, 21}},
    {"IDB_KEYPAD_BACKGROUND", 189, 114, Kind::Opaque, Ink::None, kNoText},
    {"IDB_1", 54, 25, Kind::Shaped, Ink::None, kNoText},
    {"IDB_2", 54, 25, Kind::Shaped, Ink::None, kNoText},
    {"IDB_3", 55, 25, Kind::Shaped, Ink::None, kNoText},
    {"IDB_4", 54, 25, Kind::Shaped, Ink::None, kNoText},
    {"IDB_5", 54, 25, Kind::Shaped, Ink::None, kNoText},
    {"IDB_6", 55, 25, Kind::Shaped, Ink::None, kNoText},
    {"IDB_7", 54, 25, Kind::Shaped, Ink::None, kNoText},
    {"IDB_8", 54, 25, Kind::Shaped, Ink::None, kNoText},
    {"IDB_9", 55, 25, Kind::Shaped, Ink::None, kNoText},
    {"IDB_0", 54, 25, Kind::Shaped, Ink::None, kNoText},
    {"IDB_BACK", 55, 25, Kind::Shaped, Ink::None, kNoText},
    {"IDB_CLR", 54, 25, Kind::Shaped, Ink::None, kNoText},
    {"IDB_UP", 12, 26, Kind::Shaped, Ink::None, kNoText},
    {"IDB_DOWN", 12, 25, Kind::Shaped, Ink::None, kNoText},
    // Numbers are drawn right of the icons at x 14, rows 50 px apart from y 14.
    {"IDB_POPUP", 235, 156, Kind::Translucent, Ink::White, {58, 22, 225, 150}},
    {"IDB_HOME", 34, 35, Kind::Shaped, Ink::None, kNoText},
    {"IDB_OFFICE", 34, 35, Kind::Shaped, Ink::None, kNoText},
    {"IDB_MOBILE", 34, 35, Kind::Shaped, Ink::None, kNoText},
    {"IDB_BOY1", 16, 25, Kind::Shaped, Ink::None, kNoText},
    {"IDB_GIRL1", 16, 25, Kind::Shaped, Ink::None, kNoText},
    {"IDB_MINIMIZE", 11, 11, Kind::Shaped, Ink::None, kNoText},
};

bool AnyAlpha(const Pixels& p, Rect r, bool (*test)(int)) {
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            if (test(Alpha(p.At(x, y)))) {
                return true;
            }
        }
    }
    return false;
}

bool IsNotOpaque(int a) {
    return a != 255;
}
bool IsPartial(int a) {
    return a > 0 && a < 255;
}
bool IsNotClear(int a) {
    return a != 0;
}

// Every entry of a table in every scale's set, with the set's scale.
template <class T, size_t N>
std::vector<std::pair<scale::DisplayScale, T>> InEverySet(const T (&table)[N]) {
    std::vector<std::pair<scale::DisplayScale, T>> all;
    for (int percent : scale::kArtworkPercents) {
        for (const T& entry : table) {
            all.emplace_back(scale::DisplayScale(percent * scale::kBaseDpi / 100), entry);
        }
    }
    return all;
}

// An area of figures at a set's scale; where the scale cuts a pixel, the one at each edge may
// be blended and is left out.
Rect In(const Rect& r, const scale::DisplayScale& s) {
    const int edge = s.IsBase() ? 0 : 1;
    return {s.Px(r.left) + edge, s.Px(r.top) + edge, s.Px(r.right) - edge, s.Px(r.bottom) - edge};
}

class Artwork : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(program.Loaded()) << "voxtelo.exe not found beside the test";
    }
    fw::GdiplusSession gdiplus;
    Program program;
};

TEST_F(Artwork, SkinPicturesAreRgbaPngsOfTheirSizeAndKind) {
    for (const auto& [set, s] : InEverySet(kSkin)) {
        const std::string name = scale::PictureName(s.name, set.ArtworkPercent());
        SCOPED_TRACE(name);
        const std::string png = program.Bytes(name.c_str(), "PNG");
        ASSERT_GT(png.size(), 33u) << "missing";
        // IHDR: width, height, 8 bits a channel, colour type 6 (RGBA).
        ASSERT_EQ(png.compare(12, 4, "IHDR"), 0);
        const auto byte = [&png](size_t i) { return static_cast<uint8_t>(png[i]); };
        EXPECT_EQ(byte(24), 8);
        EXPECT_EQ(byte(25), 6);
        const Pixels p = DecodePng(png);
        ASSERT_EQ(p.width, set.Px(s.width));
        ASSERT_EQ(p.height, set.Px(s.height));

        const Rect all{0, 0, p.width, p.height};
        EXPECT_TRUE(AnyAlpha(p, all, IsNotClear)) << "empty";
        switch (s.kind) {
            case Kind::Opaque:
                EXPECT_FALSE(AnyAlpha(p, all, IsNotOpaque));
                break;
            case Kind::Frame:
                EXPECT_FALSE(AnyAlpha(p, In({23, 71, 213, 468}, set), IsNotClear))
                    << "middle not clear";
                EXPECT_FALSE(AnyAlpha(p, In({23, 0, 213, 71}, set), IsNotOpaque))
                    << "top lets items show";
                EXPECT_FALSE(AnyAlpha(p, In({23, 468, 213, 550}, set), IsNotOpaque))
                    << "bottom lets items show";
                EXPECT_TRUE(AnyAlpha(p, all, IsPartial)) << "no soft edge";
                break;
            case Kind::Translucent: {
                const int centre = Alpha(p.At(p.width / 2, p.height / 2));
                EXPECT_GT(centre, 0);
                EXPECT_LT(centre, 255);
                break;
            }
            case Kind::Shaped:
                break;
        }
        ExpectRoomForText(s.name, p, In(s.text, set), s.ink);
    }
}

struct BitmapPicture {
    int id;
    int width, height;
    Rect text;  // where the program draws black text
};

const BitmapPicture kBitmaps[] = {
    // The notice centres 9-point text in (36, 36)-(125, 71).
    {IDB_NOTICE_CALL, 147, 121, {36, 36, 125, 71}},
    {IDB_NOTICE_INCOMING, 147, 121, {36, 36, 125, 71}},
    // The editor's labels, x 160-240 at y 30, 60, 90 and 120, each 20 high.
    {IDB_BOOK_BACKGROUND, 360, 200, {160, 30, 240, 140}},
    {IDB_BOOK_NEW, 58, 21, kNoText},
    {IDB_BOOK_NEW_DOWN, 58, 21, kNoText},
    {IDB_BOOK_DELETE, 57, 21, kNoText},
    {IDB_BOOK_DELETE_DOWN, 57, 21, kNoText},
    {IDB_BOOK_APPLY, 57, 21, kNoText},
    {IDB_BOOK_APPLY_DOWN, 57, 21, kNoText},
    {IDB_BOOK_OK, 57, 21, kNoText},
    {IDB_BOOK_OK_DOWN, 57, 21, kNoText},
    {IDB_BOOK_CANCEL, 59, 21, kNoText},
    {IDB_BOOK_CANCEL_DOWN, 59, 21, kNoText},
    {IDB_BOOK_CLOSE, 11, 11, kNoText},
};

TEST_F(Artwork, BitmapsAre24BitOfTheirSize) {
    for (const auto& [set, b] : InEverySet(kBitmaps)) {
        const std::string name = scale::BitmapName(b.id, set.ArtworkPercent());
        SCOPED_TRACE(name);
        const Dib dib = DecodeDib(program.Bytes(name.c_str(), MAKEINTRESOURCEA(2)));
        EXPECT_EQ(dib.header.biBitCount, 24);
        EXPECT_EQ(dib.header.biCompression, static_cast<DWORD>(BI_RGB));
        ASSERT_EQ(dib.pixels.width, set.Px(b.width));
        ASSERT_EQ(dib.pixels.height, set.Px(b.height));
        ExpectRoomForText("bitmap", dib.pixels, In(b.text, set),
                          b.text.right ? Ink::Black : Ink::None);
    }
}

// The window shape of the editor keeps exactly the pixels that are not magenta: each row
// must lose its corner pixels and nothing else, on 24-, 32- and 16-bit (5-6-5) displays
// alike, and the picture's edge must not be tinted by the key. At the other scales each step
// of the staircase is as wide as the scale makes it, to a pixel either way.
void ExpectCornersCutExactly(const Pixels& p, const scale::DisplayScale& set) {
    ASSERT_EQ(p.width, set.Px(360));
    ASSERT_EQ(p.height, set.Px(200));
    const int topCut[] = {6, 5, 4, 3, 2, 1, 1};
    auto cut = [&topCut](int y) {
        if (y < 7)
            return topCut[y];
        if (y > 192)
            return topCut[199 - y];
        return 0;
    };
    auto isKey = [&p](int x, int y) { return (p.At(x, y) & 0xFFFFFF) == 0xFF00FF; };
    auto isKeyAt565 = [&p](int x, int y) {
        const uint32_t c = p.At(x, y);
        return Red(c) >= 0xF8 && Green(c) < 0x04 && Blue(c) >= 0xF8;
    };
    auto tinted = [&p](int x, int y) {
        const uint32_t c = p.At(x, y);
        return Red(c) - Green(c) > 40 && Blue(c) - Green(c) > 40;
    };
    for (int y = 0; y < p.height; ++y) {
        // Each end's own cut, against the figure row under the pixels' centres.
        int left = 0, right = 0;
        while (left < p.width && isKey(left, y)) {
            ++left;
        }
        while (right < p.width && isKey(p.width - 1 - right, y)) {
            ++right;
        }
        const double wanted = cut((2 * y + 1) * 48 / set.Dpi()) * set.Dpi() / 96.0;
        ASSERT_LE(std::abs(left - wanted) + std::abs(right - wanted), set.IsBase() ? 0 : 2) << y;
        for (int x = 0; x < p.width; ++x) {
            const bool outside = x < left || x >= p.width - right;
            if (outside) {
                ASSERT_TRUE(isKey(x, y)) << "(" << x << ", " << y << ") should be magenta";
                continue;
            }
            ASSERT_FALSE(isKeyAt565(x, y)) << "(" << x << ", " << y << ") keyed away";
            const bool bordersKey =
                (x > 0 && isKey(x - 1, y)) || (x + 1 < p.width && isKey(x + 1, y)) ||
                (y > 0 && isKey(x, y - 1)) || (y + 1 < p.height && isKey(x, y + 1));
            EXPECT_FALSE(bordersKey && tinted(x, y)) << "(" << x << ", " << y << ") blends";
        }
    }
}

TEST_F(Artwork, PhoneBookBackgroundCutsItsCornersExactly) {
    const int books[] = {IDB_BOOK_BACKGROUND};
    for (const auto& [set, book] : InEverySet(books)) {
        SCOPED_TRACE(set.Dpi());
        const std::string name = scale::BitmapName(book, set.ArtworkPercent());
        ExpectCornersCutExactly(DecodeDib(program.Bytes(name.c_str(), MAKEINTRESOURCEA(2))).pixels,
                                set);
    }
}

// A picture at 200 % is drawn there, not the 100 % picture enlarged: it keeps its hard edges
// (steps between neighbours that blending enlargements soften) and has 2 x 2 blocks of
// differing pixels (which repeating enlargements never have).
TEST_F(Artwork, PicturesAt200PercentAreDrawnThereNotEnlarged) {
    auto differ = [](uint32_t a, uint32_t b) {
        return std::max({std::abs(Alpha(a) - Alpha(b)), std::abs(Red(a) - Red(b)),
                         std::abs(Green(a) - Green(b)), std::abs(Blue(a) - Blue(b))});
    };
    auto hardSteps = [&](const Pixels& p) {
        int steps = 0;
        for (size_t i = 0; i + 1 < p.argb.size(); ++i) {
            steps += (i + 1) % p.width != 0 && differ(p.argb[i], p.argb[i + 1]) >= 200;
        }
        return steps;
    };
    for (const char* name : {"IDB_5", "IDB_CLR", "IDB_SKYPE", "IDB_CALLSTART", "IDB_HOME"}) {
        const Pixels once = DecodePng(program.Bytes(name, "PNG"));
        const Pixels twice = DecodePng(program.Bytes((std::string(name) + "_200").c_str(), "PNG"));
        int mixedBlocks = 0;
        for (int y = 0; y + 1 < twice.height; y += 2) {
            for (int x = 0; x + 1 < twice.width; x += 2) {
                mixedBlocks += std::max({differ(twice.At(x, y), twice.At(x + 1, y)),
                                         differ(twice.At(x, y), twice.At(x, y + 1)),
                                         differ(twice.At(x, y), twice.At(x + 1, y + 1))}) > 24;
            }
        }
        EXPECT_GE(hardSteps(twice), hardSteps(once)) << name;
        EXPECT_GT(mixedBlocks, 0) << name;
    }
}

// RING.WAV: a short double ring in PCM that the WaveAudio device opens.
TEST(RingTone, IsTwoBurstsOfPcmThenQuiet) {
    std::ifstream file(PathBesideThisProgram("\\RING.WAV"), std::ios::binary);
    ASSERT_TRUE(file) << "RING.WAV not beside the program";
    const std::string wav((std::istreambuf_iterator<char>(file)), {});
    ASSERT_GE(wav.size(), 12u);
    ASSERT_EQ(wav.compare(0, 4, "RIFF"), 0);
    ASSERT_EQ(wav.compare(8, 4, "WAVE"), 0);

    PCMWAVEFORMAT format{};
    std::vector<int16_t> samples;
    for (size_t at = 12; at + 8 <= wav.size();) {
        uint32_t size = 0;
        std::memcpy(&size, wav.data() + at + 4, 4);
        const std::string id = wav.substr(at, 4);
        const char* body = wav.data() + at + 8;
        ASSERT_LE(size, wav.size() - at - 8) << id << " chunk runs past the file";
        if (id == "fmt ") {
            ASSERT_GE(size, sizeof format);
            std::memcpy(&format, body, sizeof format);
        } else if (id == "data") {
            samples.resize(size / 2);
            std::memcpy(samples.data(), body, samples.size() * 2);
        }
        at += 8 + size + (size & 1);
    }
    EXPECT_EQ(format.wf.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(format.wf.nChannels, 1);
    EXPECT_EQ(format.wf.nSamplesPerSec, 22050u);
    EXPECT_EQ(format.wBitsPerSample, 16);
    const double seconds = samples.size() / 22050.0;
    EXPECT_GE(seconds, 1.0);
    EXPECT_LE(seconds, 2.0);

    // Loud or quiet, 10 ms at a time: two loud runs, and the file ends quiet.
    const size_t window = 220;
    int bursts = 0;
    bool loud = false;
    for (size_t at = 0; at + window <= samples.size(); at += window) {
        int peak = 0;
        for (size_t i = at; i < at + window; ++i) {
            peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
        }
        const bool now = peak > 3000;
        bursts += now && !loud;
        loud = now;
    }
    EXPECT_EQ(bursts, 2);
    EXPECT_FALSE(loud) << "the ring does not end in quiet";
}

}  // namespace
