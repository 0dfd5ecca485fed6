// The real voxtelo.exe at the display scale of its Wine prefix (run-scale-test.sh names it in
// VOXTELO_SCALE_DPI): the phone's size, real clicks on its keypad, the editor's shape and
// fields, the notice's resting place, and a change of scale sent as the system sends it. One
// program serves the suite, in this order. Screenshots go to VOXTELO_SCALE_SHOTS.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "core/DisplayScale.h"
#include "core/Messages.h"
#include "res/resource.h"
#include "sim/modem/control/SimModemControl.h"
#include "tests/e2e/CallNotice.h"
#include "tests/support/GuiTest.h"

namespace {

constexpr char kChannel[] = "e2e_scale";
constexpr DWORD kWaitMs = 20000;
constexpr POINT kPhone{520, 40};

// The centre of `w` x `h` figures whose corner is `x`, `y` figures from `origin`.
POINT Centre(const scale::DisplayScale& s, int x, int y, int w, int h, POINT origin = kPhone) {
    return POINT{origin.x + s.Px(x) + s.Px(w) / 2, origin.y + s.Px(y) + s.Px(h) / 2};
}

std::string At(POINT p, const char* then = "click 1 ") {
    return "mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " " + then;
}

SIZE SizeOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// A 24-bit bitmap resource of the program, read where it lies.
struct Bitmap {
    explicit Bitmap(const std::string& name) {
        bitmap.Reset(static_cast<HBITMAP>(
            LoadImageA(module.Get(), name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        GetObjectW(bitmap.Get(), sizeof section, &section);
    }
    uint32_t At(int x, int y) const {  // rows bottom-up, blue first
        const auto* p = static_cast<const uint8_t*>(section.dsBm.bmBits) +
                        (section.dsBm.bmHeight - 1 - y) * section.dsBm.bmWidthBytes + 3 * x;
        return p[2] << 16 | p[1] << 8 | p[0];
    }
    fw::ModuleHandle module{LoadLibraryExA(
        "scale\\voxtelo.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)};
    fw::BitmapHandle bitmap;
    DIBSECTION section{};
};

class PhoneAtScale : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SetProcessDPIAware();  // the screen's and the phone's real pixels
        // A folder of its own: its phone book and its program are nobody else's.
        SetCurrentDirectoryA(test::TestProgramFolder().c_str());
        CreateDirectoryA("scale", nullptr);
        for (std::string file : {"voxtelo.exe", "tapi32.dll", "RING.WAV"}) {
            CopyFileA(file.c_str(), ("scale\\" + file).c_str(), FALSE);
        }
        std::ofstream("scale\\Bookmark.ini", std::ios::trunc)
            << "[Alice Wong]\nPhone_Home=5550101\n[Bob Martin]\nPhone_Mobile=5550102\n";
        modem = std::make_unique<simmodem::Control>(kChannel);
        modem->ResetConfiguration();
        program = std::make_unique<test::ChildProcess>(
            test::TestProgramFolder() + "scale\\voxtelo.exe", "",
            std::map<std::string, std::string>{{"VOXTELO_SIMMODEM_CHANNEL", kChannel}});
    }
    static void TearDownTestSuite() {
        PostMessageA(main, WM_CLOSE, 0, 0);
        program->WaitForExit(10000);
        program.reset();
    }

    void SetUp() override {
        fw::WindowDc screen(nullptr);
        ASSERT_EQ(GetDeviceCaps(screen.Get(), LOGPIXELSX), dpi.Dpi()) << "the prefix's scale";
        ASSERT_TRUE(test::WaitUntil(
            [&] { return main || (main = test::DialogOfProcess("Voxtelo", program->ProcessId())); },
            kWaitMs));
        ASSERT_TRUE(modem->WaitForLineOpen(kWaitMs).has_value());
        PostMessageA(main, msg::UM_PHONE_KEY, 0, 0);
        ASSERT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kWaitMs));
        SetWindowPos(main, nullptr, kPhone.x, kPhone.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }

    // Clears the display, types the digits on the keypad (folded out and back) and calls.
    std::string DialOnKeypad(const scale::DisplayScale& s, const std::string& digits) {
        const std::string keypad = At(Centre(s, 13, 489, 29, 30));
        std::string clicks = keypad;
        for (char key : "C" + digits) {
            const int at = static_cast<int>(std::string("123456789C0").find(key));
            const POINT panel{kPhone.x + s.Px(24), kPhone.y + s.Px(354)};
            clicks += At(Centre(s, 14 + 54 * (at % 3), 4 + 27 * (at / 3), 54, 25, panel));
        }
        const uint64_t mark = modem->LastSeq();
        EXPECT_TRUE(test::RunXdotool(clicks + keypad + At(Centre(s, 71, 484, 41, 41))));
        const auto dialled = modem->WaitForDial(kWaitMs, mark);
        modem->HangUp();
        EXPECT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kWaitMs));
        return dialled ? dialled->Text("number") : "(nothing dialled)";
    }

    // The area and a margin of the desktop, as <name>-<dpi>.png, once nothing in it has moved
    // for a while (the list glides into place after start).
    void Shoot(const std::string& name, RECT area) {
        InflateRect(&area, dpi.Px(16), dpi.Px(16));
        ui::PixelBuffer last;
        DWORD still = GetTickCount();
        test::WaitUntil([&] {
            ui::PixelBuffer now = ui::testing::CaptureScreen(area);
            if (last.Empty() || ui::ChangedArea(now.View(), last.View()).Width() > 0) {
                still = GetTickCount();
            }
            last = std::move(now);
            return GetTickCount() - still > 300;
        });
        const std::string size = std::to_string(area.right - area.left) + "x" +
                                 std::to_string(area.bottom - area.top) + "+" +
                                 std::to_string(area.left) + "+" + std::to_string(area.top);
        test::RunOnHost("import -window root -crop " + size + " png:'" +
                            std::getenv("VOXTELO_SCALE_SHOTS") + "/" + name + "-" +
                            std::to_string(dpi.Dpi()) + ".png'",
                        kWaitMs);
    }

    const scale::DisplayScale dpi{std::atoi(std::getenv("VOXTELO_SCALE_DPI"))};
    static std::unique_ptr<simmodem::Control> modem;
    static std::unique_ptr<test::ChildProcess> program;
    static HWND main;
};
std::unique_ptr<simmodem::Control> PhoneAtScale::modem;
std::unique_ptr<test::ChildProcess> PhoneAtScale::program;
HWND PhoneAtScale::main = nullptr;

TEST_F(PhoneAtScale, ThePhoneIsItsLayoutAtTheScaleAndEveryKeypadKeyEntersItsDigit) {
    // Its size comes with its first picture, which the screen then shows: the frame's dark
    // title band over the light desktop.
    EXPECT_TRUE(test::WaitUntil([&] {
        const POINT band = Centre(dpi, 100, 22, 0, 0);
        const RECT pixel{band.x, band.y, band.x + 1, band.y + 1};
        return SizeOf(main).cx == dpi.Px(360) && SizeOf(main).cy == dpi.Px(550) &&
               ui::GreenOf(ui::testing::CaptureScreen(pixel).At(0, 0)) < 80;
    })) << SizeOf(main).cx
        << " x " << SizeOf(main).cy;
    // The phone's body: the rest of its width is the pop-up's, see-through while it is closed.
    Shoot("idle-phone", {kPhone.x, kPhone.y, kPhone.x + dpi.Px(239), kPhone.y + dpi.Px(550)});
    EXPECT_EQ(DialOnKeypad(dpi, "1234567890"), "1234567890");
}

// The editor is bitmap 161 of its scale: its region exactly where the picture is not magenta,
// its controls within the region, its edit fields and list on the fields the picture paints
// for them (no pixel of the bare sheet's colour under them).
TEST_F(PhoneAtScale, TheEditorIsItsScaledPictureWithItsControlsOnTheirFields) {
    ASSERT_TRUE(test::RunXdotool(At(Centre(dpi, 196, 488, 29, 30))));
    HWND editor = nullptr;
    RECT area{};
    ASSERT_TRUE(test::WaitUntil([&] {  // on screen once its list's white shows
        HWND list = FindWindowExA(nullptr, nullptr, nullptr, nullptr);
        for (; list && !editor; list = GetWindow(list, GW_HWNDNEXT)) {
            editor = IsWindowVisible(list) && GetDlgItem(list, IDC_BOOK_LIST) ? list : nullptr;
        }
        const POINT white = Centre(dpi, 40, 100, 105, 60, {area.left, area.top});
        return editor && GetWindowRect(editor, &area) &&
               ui::testing::CaptureScreen({white.x, white.y, white.x + 1, white.y + 1}).At(0, 0) ==
                   0xFFFFFFFF;
    }));
    const RECT phone{kPhone.x, kPhone.y, kPhone.x + dpi.Px(239), kPhone.y + dpi.Px(550)};
    UnionRect(&area, &area, &phone);
    Shoot("phone-book-editor", area);

    const Bitmap picture(scale::BitmapName(IDB_BOOK_BACKGROUND, dpi.ArtworkPercent()));
    ASSERT_EQ(picture.section.dsBm.bmWidth, dpi.Px(360));
    ASSERT_EQ(picture.section.dsBm.bmHeight, dpi.Px(200));
    EXPECT_EQ(SizeOf(editor).cx, dpi.Px(360));
    EXPECT_EQ(SizeOf(editor).cy, dpi.Px(200));
    fw::RegionHandle region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(editor, region.Get()), ERROR);
    for (int y = 0; y < dpi.Px(200); ++y) {
        for (int x = 0; x < dpi.Px(360); ++x) {
            ASSERT_NE(PtInRegion(region.Get(), x, y) != FALSE, picture.At(x, y) == 0xFF00FF)
                << x << ", " << y;
        }
    }
    const uint32_t sheet = picture.At(dpi.Px(180), dpi.Px(150));
    for (HWND c = GetWindow(editor, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&r), 2);
        SCOPED_TRACE("control " + std::to_string(GetDlgCtrlID(c)));
        EXPECT_TRUE(PtInRegion(region.Get(), r.left, r.top) &&
                    PtInRegion(region.Get(), r.right - 1, r.bottom - 1) &&
                    PtInRegion(region.Get(), r.left, r.bottom - 1) &&
                    PtInRegion(region.Get(), r.right - 1, r.top));
        char kind[16] = {};
        GetClassNameA(c, kind, sizeof kind);
        // The outermost pixels may be blended with the sheet where the scale cuts a pixel.
        for (int y = r.top + 1; std::string(kind) != "Button" && y < r.bottom - 1; ++y) {
            for (int x = r.left + 1; x < r.right - 1; ++x) {
                ASSERT_NE(picture.At(x, y), sheet)
                    << kind << " off its field at " << x << ", " << y;
            }
        }
    }
    PostMessageA(editor, WM_CLOSE, 0, 0);
    EXPECT_TRUE(test::WaitUntil([&] { return !IsWindowVisible(editor); }));
}

// At rest, at most one scaled step beyond a full height above the work area's bottom.
TEST_F(PhoneAtScale, TheNoticeRisesToItsScaledRestingPlace) {
    modem->Ring("5551234");
    RECT work{}, r{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int height = dpi.Px(121);
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            HWND notice = e2e::NoticeOf(program->ProcessId());
            return notice && GetWindowRect(notice, &r) && r.bottom - r.top == height &&
                   r.top <= work.bottom - height;
        },
        kWaitMs));
    EXPECT_EQ(r.right - r.left, dpi.Px(147));
    EXPECT_EQ(r.right, work.right);
    EXPECT_GT(r.top, work.bottom - height - dpi.Px(2));
    modem->HangUp();
    EXPECT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kWaitMs));
}

// Last: the phone ends at another scale. The point under the pointer stays under it.
TEST_F(PhoneAtScale, WmDpiChangedLaysThePhoneOutAgainAtTheNewScale) {
    const scale::DisplayScale next(dpi.IsBase() ? 144 : 96);
    const POINT pointer = Centre(dpi, 100, 22, 0, 0);
    ASSERT_TRUE(test::RunXdotool(At(pointer, "")));
    SendMessageA(main, WM_DPICHANGED, MAKEWPARAM(next.Dpi(), next.Dpi()), 0);
    EXPECT_EQ(SizeOf(main).cx, next.Px(360));
    EXPECT_EQ(SizeOf(main).cy, next.Px(550));
    RECT r{};
    GetWindowRect(main, &r);
    EXPECT_NEAR(next.Figure(pointer.x - r.left), 100, 1);
    EXPECT_NEAR(next.Figure(pointer.y - r.top), 22, 1);
    SetWindowPos(main, nullptr, kPhone.x, kPhone.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(DialOnKeypad(next, "907"), "907");
}

}  // namespace
