// The real voxtelo.exe at the display scale of its Wine prefix (run-scale-test.sh sets
// LogPixels and names it in VOXTELO_SCALE_DPI): the phone's size, real clicks on its keypad,
// the editor's shape and fields, the notice's resting place and a change of scale sent as the
// system sends it. One program serves the suite, in this order.
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

int ExpectedDpi() {
    const char* dpi = std::getenv("VOXTELO_SCALE_DPI");
    return dpi ? std::atoi(dpi) : 96;
}

// A figure's centre point on screen, from the top-left of a widget `x`, `y` figures in and
// `w` by `h` figures large.
POINT Centre(const scale::DisplayScale& s, int x, int y, int w, int h, POINT origin = kPhone) {
    return POINT{origin.x + s.Px(x) + s.Px(w) / 2, origin.y + s.Px(y) + s.Px(h) / 2};
}

// A bitmap resource of `module` as 32-bit pixels, top row first.
ui::PixelBuffer BitmapPixels(HMODULE module, const char* name) {
    fw::BitmapHandle bitmap(
        static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP size{};
    if (!bitmap || !GetObjectW(bitmap.Get(), sizeof size, &size)) {
        return ui::PixelBuffer();
    }
    ui::PixelBuffer pixels(size.bmWidth, size.bmHeight);
    BITMAPINFO info{};
    info.bmiHeader = {
        sizeof(info.bmiHeader), size.bmWidth, -size.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    fw::WindowDc screen(nullptr);
    GetDIBits(screen.Get(), bitmap.Get(), 0, size.bmHeight, pixels.Data(), &info, DIB_RGB_COLORS);
    return pixels;
}

std::string At(POINT p) {
    return "mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " click 1 ";
}

// The keypad's key (digits, 'C' for clear) at the scale, with the keypad out.
POINT KeypadKey(const scale::DisplayScale& s, char key) {
    const int at = static_cast<int>(std::string("123456789C0").find(key));
    const POINT corner{kPhone.x + s.Px(24) + s.Px(14 + 54 * (at % 3)),
                       kPhone.y + s.Px(354) + s.Px(4 + 27 * (at / 3))};
    return Centre(s, 0, 0, 54, 25, corner);
}

class PhoneAtScale : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SetProcessDPIAware();  // the real pixels of the screen and of the phone's windows
        // A folder of its own: its phone book and its program are nobody else's.
        folder = test::TestProgramFolder() + "scale-" + std::to_string(ExpectedDpi()) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        for (const char* file : {"voxtelo.exe", "tapi32.dll", "RING.WAV"}) {
            CopyFileA((test::TestProgramFolder() + file).c_str(), (folder + file).c_str(), FALSE);
        }
        std::ofstream(folder + "Bookmark.ini", std::ios::trunc)
            << "[Alice Wong]\nPhone_Home=5550101\n[Bob Martin]\nPhone_Mobile=5550102\n";
        modem = std::make_unique<simmodem::Control>(kChannel);
        modem->ResetConfiguration();
        program = std::make_unique<test::ChildProcess>(
            folder + "voxtelo.exe", "",
            std::map<std::string, std::string>{{"VOXTELO_SIMMODEM_CHANNEL", kChannel}});
    }
    static void TearDownTestSuite() {
        if (main && IsWindow(main)) {
            PostMessageA(main, WM_CLOSE, 0, 0);
            program->WaitForExit(10000);
        }
        program.reset();
        modem.reset();
    }

    void SetUp() override {
        fw::WindowDc screen(nullptr);
        ASSERT_EQ(GetDeviceCaps(screen.Get(), LOGPIXELSX), dpi.Dpi()) << "the prefix's scale";
        ASSERT_TRUE(program && program->Started());
        ASSERT_TRUE(test::WaitUntil(
            [&] { return main || (main = test::DialogOfProcess("Voxtelo", program->ProcessId())); },
            kWaitMs));
        ASSERT_TRUE(modem->WaitForLineOpen(kWaitMs).has_value());
        PostMessageA(main, msg::UM_PHONE_KEY, 0, 0);
        ASSERT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kWaitMs));
        SetWindowPos(main, nullptr, kPhone.x, kPhone.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }

    static SIZE WindowSize(HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }

    // Clears the display, types the digits on the keypad (folded out and back) and calls.
    std::string DialOnKeypad(const scale::DisplayScale& s, const std::string& digits) {
        std::string clicks = At(Centre(s, 13, 489, 29, 30));
        for (char key : "C" + digits) {
            clicks += At(KeypadKey(s, key));
        }
        const uint64_t mark = modem->LastSeq();
        EXPECT_TRUE(test::RunXdotool(clicks + At(Centre(s, 13, 489, 29, 30)) +
                                     At(Centre(s, 71, 484, 41, 41))));
        const auto dialled = modem->WaitForDial(kWaitMs, mark);
        modem->HangUp();
        EXPECT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kWaitMs));
        return dialled ? dialled->Text("number") : "(nothing dialled)";
    }

    // The area and a margin of the desktop around it, as <name>-<dpi>.png, once nothing in it
    // has moved for a while (the list glides into place after start).
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
        if (const char* shots = std::getenv("VOXTELO_SCALE_SHOTS")) {
            test::RunOnHost("import -window root -crop " + std::to_string(area.right - area.left) +
                                "x" + std::to_string(area.bottom - area.top) + "+" +
                                std::to_string(area.left) + "+" + std::to_string(area.top) +
                                " png:'" + shots + "/" + name + "-" + std::to_string(dpi.Dpi()) +
                                ".png'",
                            kWaitMs);
        }
    }

    const scale::DisplayScale dpi{ExpectedDpi()};
    static std::string folder;
    static std::unique_ptr<simmodem::Control> modem;
    static std::unique_ptr<test::ChildProcess> program;
    static HWND main;
};
std::string PhoneAtScale::folder;
std::unique_ptr<simmodem::Control> PhoneAtScale::modem;
std::unique_ptr<test::ChildProcess> PhoneAtScale::program;
HWND PhoneAtScale::main = nullptr;

TEST_F(PhoneAtScale, ThePhoneIsItsLayoutAtTheScaleAndEveryKeypadKeyEntersItsDigit) {
    // The window takes its size with its first picture, which the screen then shows: the
    // frame's dark title band over the light desktop.
    SIZE size{};
    EXPECT_TRUE(test::WaitUntil([&] {
        size = WindowSize(main);
        return size.cx == dpi.Px(360) && size.cy == dpi.Px(550);
    })) << size.cx
        << " x " << size.cy;
    const POINT band = Centre(dpi, 100, 22, 0, 0);
    EXPECT_TRUE(test::WaitUntil([&] {
        const uint32_t p =
            ui::testing::CaptureScreen(RECT{band.x, band.y, band.x + 1, band.y + 1}).At(0, 0);
        return ui::GreenOf(p) < 80;
    }));
    // The phone's body: the rest of its width is the pop-up's, see-through while it is closed.
    Shoot("idle-phone", RECT{kPhone.x, kPhone.y, kPhone.x + dpi.Px(239), kPhone.y + size.cy});
    EXPECT_EQ(DialOnKeypad(dpi, "1234567890"), "1234567890");
}

// The editor is cut from bitmap 161 of its scale: in the region exactly where the picture is
// not magenta, its controls within the region and its edit fields and list on the fields the
// picture paints for them (no pixel of the sheet's own colour under them).
TEST_F(PhoneAtScale, TheEditorIsItsScaledPictureWithItsControlsOnTheirFields) {
    ASSERT_TRUE(test::RunXdotool(At(Centre(dpi, 196, 488, 29, 30))));
    HWND editor = nullptr;
    ASSERT_TRUE(test::WaitUntil([&] {
        for (HWND w : test::FindDialogWindows(nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == program->ProcessId() && GetDlgItem(w, IDC_BOOK_LIST) &&
                IsWindowVisible(w)) {
                editor = w;
            }
        }
        return editor != nullptr;
    }));
    // On screen once its list's white shows.
    RECT area{};
    GetWindowRect(editor, &area);
    const POINT list = Centre(dpi, 40, 100, 105, 60, POINT{area.left, area.top});
    EXPECT_TRUE(test::WaitUntil([&] {
        return ui::testing::CaptureScreen(RECT{list.x, list.y, list.x + 1, list.y + 1}).At(0, 0) ==
               0xFFFFFFFF;
    }));
    const RECT phone{kPhone.x, kPhone.y, kPhone.x + dpi.Px(239), kPhone.y + dpi.Px(550)};
    UnionRect(&area, &area, &phone);
    Shoot("phone-book-editor", area);

    fw::ModuleHandle exe(LoadLibraryExA((folder + "voxtelo.exe").c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    const std::string name = scale::BitmapName(IDB_BOOK_BACKGROUND, dpi.ArtworkPercent());
    const ui::PixelBuffer picture = BitmapPixels(exe.Get(), name.c_str());
    ASSERT_EQ(picture.Width(), dpi.Px(360));
    ASSERT_EQ(picture.Height(), dpi.Px(200));
    EXPECT_EQ(WindowSize(editor).cx, picture.Width());
    EXPECT_EQ(WindowSize(editor).cy, picture.Height());
    fw::RegionHandle region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(editor, region.Get()), ERROR);
    auto key = [&](int x, int y) { return (picture.At(x, y) & 0xFFFFFF) == 0xFF00FF; };
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            ASSERT_NE(PtInRegion(region.Get(), x, y) != FALSE, key(x, y)) << x << ", " << y;
        }
    }
    const uint32_t sheet = picture.At(picture.Width() / 2, dpi.Px(150)) & 0xFFFFFF;
    for (HWND c = GetWindow(editor, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&r), 2);
        SCOPED_TRACE("control " + std::to_string(GetDlgCtrlID(c)));
        for (POINT corner : {POINT{r.left, r.top}, POINT{r.right - 1, r.bottom - 1},
                             POINT{r.left, r.bottom - 1}, POINT{r.right - 1, r.top}}) {
            EXPECT_TRUE(PtInRegion(region.Get(), corner.x, corner.y));
        }
        char kind[16] = {};
        GetClassNameA(c, kind, sizeof kind);
        if (std::string(kind) == "Button") {
            continue;
        }
        // The outermost pixels may be blended with the sheet where the scale cuts a pixel.
        for (int y = r.top + 1; y < r.bottom - 1; ++y) {
            for (int x = r.left + 1; x < r.right - 1; ++x) {
                ASSERT_NE(picture.At(x, y) & 0xFFFFFF, sheet)
                    << kind << " off its field at " << x << ", " << y;
            }
        }
    }
    PostMessageA(editor, WM_CLOSE, 0, 0);
    EXPECT_TRUE(test::WaitUntil([&] { return !IsWindowVisible(editor); }));
}

TEST_F(PhoneAtScale, TheNoticeRisesToItsScaledRestingPlace) {
    modem->Ring("5551234");
    HWND notice = nullptr;
    RECT work{}, r{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int height = dpi.Px(121);
    // At rest once its top is a full height above the work area's bottom.
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            notice = e2e::NoticeOf(program->ProcessId());
            return notice && GetWindowRect(notice, &r) && r.bottom - r.top == height &&
                   r.top <= work.bottom - height;
        },
        kWaitMs));
    EXPECT_EQ(r.right - r.left, dpi.Px(147));
    EXPECT_EQ(r.right, work.right);
    EXPECT_GT(r.top, work.bottom - height - dpi.Px(2)) << "one scaled step at most beyond";
    modem->HangUp();
    EXPECT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kWaitMs));
}

// Last: the phone ends at another scale. The point under the pointer stays under it.
TEST_F(PhoneAtScale, WmDpiChangedLaysThePhoneOutAgainAtTheNewScale) {
    const scale::DisplayScale next(dpi.IsBase() ? 144 : 96);
    const POINT pointer{kPhone.x + dpi.Px(100), kPhone.y + dpi.Px(22)};
    ASSERT_TRUE(test::RunXdotool("mousemove " + std::to_string(pointer.x) + " " +
                                 std::to_string(pointer.y)));
    SendMessageA(main, WM_DPICHANGED, MAKEWPARAM(next.Dpi(), next.Dpi()), 0);
    const SIZE size = WindowSize(main);
    EXPECT_EQ(size.cx, next.Px(360));
    EXPECT_EQ(size.cy, next.Px(550));
    RECT r{};
    GetWindowRect(main, &r);
    EXPECT_NEAR(next.Figure(pointer.x - r.left), 100, 1);
    EXPECT_NEAR(next.Figure(pointer.y - r.top), 22, 1);
    SetWindowPos(main, nullptr, kPhone.x, kPhone.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(DialOnKeypad(next, "907"), "907");
}

}  // namespace
