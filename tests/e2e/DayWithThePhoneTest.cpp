// A day with the phone: the installer's silent install into a Wine prefix and X display of the
// test's own (run-day-test.sh), the phone started at sign-in, and a person using it with real
// pointer and key input while the simulators play the far ends. Each step looks at what the
// person would see (the window, its pixels, the call notice), at the Debug Window's lines, the
// LED and Bookmark.ini, and leaves a screenshot in out/day/. The steps run in this order, each
// going on from where the last one left the phone.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/GdiplusSession.h"
#include "framework/Handles.h"
#include "phonebook/BookmarkStore.h"
#include "res/resource.h"
#include "sim/led/control/LedSimControl.h"
#include "sim/modem/control/SimModemControl.h"
#include "sim/skype/SimProcess.h"
#include "tests/e2e/CallNotice.h"
#include "tests/e2e/PhoneLayout.h"
#include "tests/support/GuiTest.h"
#include "tests/support/SkypeLink.h"
#include "tests/ui/ScreenCapture.h"

namespace {

constexpr DWORD kWaitMs = 20000;
constexpr DWORD kSetupMs = 60000;
constexpr char kChannel[] = "day";
// Where the person drags the phone, away from the tray in the screen's corner.
constexpr POINT kPhone{770, 400};
// A spot of bare desktop where the pointer rests between steps.
constexpr POINT kRest{400, 200};

// The phone book the person brings along, and the entry they add during the day.
constexpr char kAlice[] = "Alice Liddell";
constexpr char kAliceMobile[] = "5551234";
constexpr char kBob[] = "Bob van Dijk";
constexpr char kBobHome[] = "5550100";
constexpr char kCarla[] = "Carla Moretti";
constexpr char kCarlaHome[] = "5550199";
constexpr char kUnknownNumber[] = "5550123";

std::string Coordinates(POINT point) {
    return std::to_string(point.x) + " " + std::to_string(point.y) + " ";
}

// A point of the phone on the screen.
std::string OnPhone(POINT point) {
    return Coordinates({kPhone.x + point.x, kPhone.y + point.y});
}

std::string Folder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// The Debug Window's box, read from outside. The box empties itself past 200 lines and takes
// the line that overflows with it, so a step empties it first: no line it looks for can then
// be that one.
class DebugLog {
public:
    void Attach(HWND window) { box_ = GetDlgItem(window, 1001); }

    void Clear() const {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(box_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""), SMTO_NORMAL, 5000,
                            &result);
    }

    std::vector<std::string> Lines() const {
        const std::string text = test::TextOf(box_);
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (!line.empty()) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    bool Has(const std::string& wanted) const {
        for (const std::string& line : Lines()) {
            if (line == wanted) {
                return true;
            }
        }
        return false;
    }

    std::string Text() const {
        std::string text;
        for (const std::string& line : Lines()) {
            text += "  [" + line.substr(0, 100) + "]\n";
        }
        return text;
    }

private:
    HWND box_ = nullptr;
};

class ADay : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        gdiplus = std::make_unique<fw::GdiplusSession>();
        boxes = std::make_unique<test::MessageBoxWatcher>();
    }

    static void TearDownTestSuite() {
        if (phone && WaitForSingleObject(phone.Get(), 0) == WAIT_TIMEOUT) {
            PostMessageA(main, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(phone.Get(), 10000) != WAIT_OBJECT_0) {
                TerminateProcess(phone.Get(), 1);
            }
        }
        phone.Reset();
        skype.reset();
        modem.reset();
        boxes.reset();
        gdiplus.reset();
    }

    // Every step after the first goes on with the phone the first one started.
    void RequirePhone() {
        ASSERT_TRUE(main && phone && WaitForSingleObject(phone.Get(), 0) == WAIT_TIMEOUT)
            << "no phone from the steps before";
    }

    static bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = kWaitMs) {
        return test::WaitUntil(done, timeoutMs);
    }

    static bool WaitForLine(const std::string& line) {
        return WaitFor([&] { return log.Has(line); });
    }

    // Real pointer and key input, over before the next.
    static void Input(const std::string& xdotool) { ASSERT_TRUE(test::RunXdotool(xdotool)); }

    // A screenshot of the whole display, as out/day/<name>.png.
    static void Screenshot(const std::string& name) {
        const char* shots = std::getenv("VOXTELO_DAY_SHOTS");
        ASSERT_NE(shots, nullptr) << "run-day-test.sh names the screenshots' folder";
        EXPECT_EQ(
            test::RunOnHost(std::string("import -window root png:'") + shots + "/" + name + ".png'",
                            kWaitMs),
            0)
            << name;
    }

    static bool Visible() { return IsWindowVisible(main) != FALSE; }

    // The phone's icon, the only one on this display.
    static HWND TrayIcon() {
        const std::vector<HWND> icons = test::TrayIconWindows();
        return icons.size() == 1 ? icons.front() : nullptr;
    }

    // A real click of `button` on the tray icon.
    static void ClickTrayIcon(int button) {
        HWND icon = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (icon = TrayIcon()) != nullptr; })) << "no tray icon";
        ASSERT_TRUE(test::WaitForTrayOnScreen());
        RECT at{};
        GetWindowRect(icon, &at);
        Input("mousemove " + Coordinates({(at.left + at.right) / 2, (at.top + at.bottom) / 2}) +
              "click " + std::to_string(button));
    }

    static HWND Notice() { return e2e::NoticeOf(phoneId); }

    // The notice risen in the work area's bottom-right corner, showing `text` on `picture`.
    static bool NoticeShows(int picture, const std::string& text, int* mismatch) {
        const ui::PixelBuffer expected = e2e::ExpectedNotice(picture, text);
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        return WaitFor([&] {
            HWND notice = Notice();
            RECT risen{};
            if (!notice || !IsWindowVisible(notice) || !GetWindowRect(notice, &risen) ||
                risen.top != work.bottom - 122 || risen.right != work.right) {
                return false;
            }
            *mismatch = e2e::NoticeMismatch(notice, expected);
            return *mismatch <= 8;
        });
    }

    static bool NoticeGone() {
        return WaitFor([] {
            HWND notice = Notice();
            return !notice || !IsWindowVisible(notice);
        });
    }

    // The LED request of the phone with this value, after the mark.
    static bool Led(uint32_t value, uint32_t after) {
        return led->WaitForLed(value, after, kWaitMs, phoneId).has_value();
    }

    // The phone book as Bookmark.ini holds it: each entry's name with its three numbers.
    static std::map<std::string, std::string> Book() {
        std::map<std::string, std::string> entries;
        char names[4096] = {};
        GetPrivateProfileSectionNamesA(names, sizeof names, book.c_str());
        for (const char* name = names; *name; name += strlen(name) + 1) {
            if (std::string(name) == BookmarkStore::kProbeSection) {
                continue;  // the phone's own write check, there only while it reads
            }
            std::string numbers;
            for (const char* key : {"Phone_Home", "Phone_Office", "Phone_Mobile"}) {
                char value[64] = {};
                GetPrivateProfileStringA(name, key, "", value, sizeof value, book.c_str());
                numbers += std::string(numbers.empty() ? "" : "/") + value;
            }
            entries[name] = numbers;
        }
        return entries;
    }

    // The phone's pixels in `rect` (its own coordinates).
    static ui::PixelBuffer OnScreen(const RECT& rect) {
        return ui::testing::CaptureScreen(RECT{kPhone.x + rect.left, kPhone.y + rect.top,
                                               kPhone.x + rect.right, kPhone.y + rect.bottom});
    }

    static int Differing(const ui::PixelBuffer& a, const ui::PixelBuffer& b) {
        int differing = 0;
        for (int y = 0; y < a.Height(); ++y) {
            for (int x = 0; x < a.Width(); ++x) {
                differing += a.At(x, y) != b.At(x, y) ? 1 : 0;
            }
        }
        return differing;
    }

    // The phone's pixels in `rect` differ from `before` in more than `least` pixels and have
    // stopped changing: what the input set in motion (a list gliding into place) is over.
    static bool Settled(const RECT& rect, const ui::PixelBuffer& before, int least) {
        ui::PixelBuffer last = OnScreen(rect);
        int steady = 0;
        return WaitFor([&] {
            ui::PixelBuffer now = OnScreen(rect);
            steady = Differing(now, last) == 0 ? steady + 1 : 0;
            last = std::move(now);
            return steady >= 5 && Differing(last, before) > least;
        });
    }

    // The lit carrier key is drawn at full strength, the other dimmed: the brighter of the two.
    static bool ModemKeyLit() {
        auto brightness = [](int left, int width) {
            const ui::PixelBuffer shot = OnScreen(RECT{left, 44, left + width, 67});
            long sum = 0;
            for (int y = 0; y < shot.Height(); ++y) {
                for (int x = 0; x < shot.Width(); ++x) {
                    const uint32_t pixel = shot.At(x, y);
                    sum += ui::RedOf(pixel) + ui::GreenOf(pixel) + ui::BlueOf(pixel);
                }
            }
            return sum / (shot.Width() * shot.Height());
        };
        return brightness(119, 106) > brightness(12, 107) * 3 / 2;
    }

    static std::unique_ptr<fw::GdiplusSession> gdiplus;
    static std::unique_ptr<test::MessageBoxWatcher> boxes;
    static std::unique_ptr<simmodem::Control> modem;
    static std::unique_ptr<skypesim::SimProcess> skype;
    static std::unique_ptr<ledsim::Control> led;
    static std::string folder, book;
    static fw::KernelHandle phone;
    static DWORD phoneId;
    static HWND main;
    static DebugLog log;
};
std::unique_ptr<fw::GdiplusSession> ADay::gdiplus;
std::unique_ptr<test::MessageBoxWatcher> ADay::boxes;
std::unique_ptr<simmodem::Control> ADay::modem;
std::unique_ptr<skypesim::SimProcess> ADay::skype;
std::unique_ptr<ledsim::Control> ADay::led;
std::string ADay::folder;
std::string ADay::book;
fw::KernelHandle ADay::phone;
DWORD ADay::phoneId = 0;
HWND ADay::main = nullptr;
DebugLog ADay::log;

TEST_F(ADay, Step1_SignInStartsThePhoneHiddenAndTheTrayBringsItForward) {
    // Installed the way a person does, with "Start Voxtelo when I sign in" left selected.
    const char* setup = std::getenv("VOXTELO_SETUP");
    ASSERT_NE(setup, nullptr) << "run-day-test.sh names the installer";
    ASSERT_EQ(test::RunToEnd(setup, "/S", kSetupMs), 0);
    folder = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Voxtelo";
    book = folder + "\\Bookmark.ini";
    // Test equipment beside the installed phone: the simulated voice modem it will load.
    ASSERT_TRUE(CopyFileA((test::TestProgramFolder() + "tapi32.dll").c_str(),
                          (folder + "\\tapi32.dll").c_str(), FALSE));
    std::ofstream(book, std::ios::trunc)
        << "[" << kAlice << "]\nPhone_Home=\nPhone_Office=\nPhone_Mobile=" << kAliceMobile << "\n["
        << kBob << "]\nPhone_Home=" << kBobHome << "\nPhone_Office=\nPhone_Mobile=\n";
    const auto brought = Book();

    modem = std::make_unique<simmodem::Control>(kChannel);
    modem->ResetConfiguration();
    modem->SetConnectMode(simmodem::ConnectMode::FarEndAnswers);
    skypesim::SimOptions options;
    options.commands = {"friend anna.berg ONLINE Anna Berg", "friend tom.hughes ONLINE Tom Hughes",
                        "friend lee.chen OFFLINE Lee Chen"};
    skype = std::make_unique<skypesim::SimProcess>(options);
    led = std::make_unique<ledsim::Control>();

    // Signing in runs what the installer registered to run then.
    {
        test::ChildProcess signIn("C:\\windows\\system32\\wineboot.exe", "",
                                  {{"VOXTELO_SIMMODEM_CHANNEL", kChannel}});
        ASSERT_TRUE(signIn.Started());
        ASSERT_TRUE(signIn.WaitForExit(kSetupMs));
    }
    ASSERT_TRUE(WaitFor([] {
        const auto found = test::FindDialogWindows("Voxtelo");
        main = found.empty() ? nullptr : found.front();
        return main != nullptr;
    }));
    GetWindowThreadProcessId(main, &phoneId);
    phone.Reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, phoneId));
    char started[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    ASSERT_TRUE(QueryFullProcessImageNameA(phone.Get(), 0, started, &length));
    EXPECT_EQ(lstrcmpiA(started, (folder + "\\voxtelo.exe").c_str()), 0) << started;
    HWND debug = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (debug = test::DialogOfProcess("Debug Window", phoneId)); }));
    log.Attach(debug);
    ASSERT_TRUE(modem->WaitForLineOpen(kWaitMs).has_value());
    ASSERT_TRUE(WaitForLine("VOXTELO_DIALOG : NORMAL")) << log.Text();
    ASSERT_TRUE(test::SettleSkypeLink(main, skype->Control(), kWaitMs));

    // Started and ready, the phone shows nothing but its icon in the tray; the LED is dark.
    // It hides itself with its first paint, which may come after the line and the link.
    EXPECT_TRUE(WaitFor([] { return !Visible(); }));
    EXPECT_FALSE(IsWindowVisible(debug));
    EXPECT_TRUE(led->WaitForLed(0, 0, kWaitMs, phoneId).has_value());
    EXPECT_FALSE(led->LedOn());
    EXPECT_TRUE(WaitFor([] { return TrayIcon() != nullptr; }));
    Screenshot("1-signed-in");

    // A click on the tray icon brings the phone forward; the person drags it away from the
    // screen's corner.
    ClickTrayIcon(1);
    ASSERT_TRUE(WaitFor(Visible));
    const POINT press{10, 300};  // the frame's left edge: no key there
    Input("mousemove " + Coordinates(press) + "mousedown 1 sleep 0.2 mousemove " +
          Coordinates({press.x + 300, press.y + 200}) + "sleep 0.1 mousemove " + OnPhone(press) +
          "sleep 0.2 mouseup 1 mousemove " + Coordinates(kRest));
    RECT placed{};
    EXPECT_TRUE(WaitFor([&] {
        GUITHREADINFO thread{};
        thread.cbSize = sizeof(thread);
        GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &thread);
        GetWindowRect(main, &placed);
        return !(thread.flags & GUI_INMOVESIZE) && thread.hwndCapture == nullptr &&
               placed.left == kPhone.x && placed.top == kPhone.y;
    })) << placed.left
        << ", " << placed.top;
    // Pressed, the phone has the focus and shows its picture at full strength.
    EXPECT_TRUE(WaitFor([] { return ui::testing::TitleBandMismatch(main, 255) <= 2; }))
        << ui::testing::TitleBandMismatch(main, 255);
    EXPECT_EQ(Book(), brought);
    Screenshot("2-idle");
}

TEST_F(ADay, Step2_ANumberTypedOnTheKeypadIsCalledOverTheModemUntilTheFarEndHangsUp) {
    RequirePhone();
    // The modem carrier, the keypad folded out, a number typed.
    const RECT keypad{24, 329, 213, 468};
    const ui::PixelBuffer folded = OnScreen(keypad);
    Input("mousemove " + OnPhone(e2e::kModemKey) + "click 1 mousemove " + OnPhone(e2e::kKeypadKey) +
          "click 1 mousemove " + Coordinates(kRest));
    EXPECT_TRUE(WaitFor(ModemKeyLit));
    ASSERT_TRUE(Settled(keypad, folded, 1000)) << "the keypad comes out";
    const RECT display{24, 329, 213, 354};
    const ui::PixelBuffer empty = OnScreen(display);
    std::string keys;
    for (const char digit : std::string(kUnknownNumber)) {
        keys += "mousemove " + OnPhone(e2e::KeypadKey(digit)) + "click 1 ";
    }
    Input(keys + "mousemove " + Coordinates(kRest));
    // The display line shows the number; the number dialled below is what it held.
    EXPECT_TRUE(Settled(display, empty, 100));
    Screenshot("3-typing");

    const uint64_t mark = modem->LastSeq();
    const uint32_t ledMark = led->LastSeq();
    log.Clear();
    Input("mousemove " + OnPhone(e2e::kCallStartKey) + "click 1 mousemove " + Coordinates(kRest));
    const auto dialled = modem->WaitForDial(kWaitMs, mark);
    ASSERT_TRUE(dialled.has_value());
    EXPECT_EQ(dialled->Text("number"), kUnknownNumber);
    // Placing the call hides the phone; the notice rises with the number, no name known.
    EXPECT_TRUE(WaitFor([] { return !Visible(); }));
    int mismatch = 0;
    EXPECT_TRUE(NoticeShows(IDB_NOTICE_CALL, std::string(kUnknownNumber) + "\n\n", &mismatch))
        << mismatch << " pixels differ";
    EXPECT_TRUE(Led(1, ledMark));
    EXPECT_TRUE(WaitForLine("VOXTELO_DIALOG : DIALING")) << log.Text();
    Screenshot("4-calling");

    modem->AnswerAsFarEnd();
    EXPECT_TRUE(modem->WaitForHookSwitch(kWaitMs, mark).has_value()) << "speakerphone on";
    EXPECT_TRUE(WaitForLine("VOXTELO_DIALOG : ANSWERING")) << log.Text();

    const uint32_t lit = led->LastSeq();
    log.Clear();
    modem->HangUp();
    // The phone comes back, the notice goes, the LED goes out.
    EXPECT_TRUE(WaitFor(Visible));
    EXPECT_TRUE(NoticeGone());
    EXPECT_TRUE(Led(0, lit));
    EXPECT_TRUE(WaitForLine("VOXTELO_DIALOG : NORMAL")) << log.Text();
    EXPECT_TRUE(modem->WaitForDrop(kWaitMs, mark).has_value());
}

TEST_F(ADay, Step3_ACallFromThePhoneBookShowsTheNameAndAClickOnTheNoticeAnswers) {
    RequirePhone();
    const uint64_t mark = modem->LastSeq();
    const uint32_t ledMark = led->LastSeq();
    log.Clear();
    modem->Ring(kAliceMobile);
    int mismatch = 0;
    EXPECT_TRUE(NoticeShows(IDB_NOTICE_INCOMING, std::string(kAliceMobile) + "\n" + kAlice + "\n",
                            &mismatch))
        << mismatch << " pixels differ";
    EXPECT_TRUE(Visible());
    EXPECT_TRUE(Led(1, ledMark));
    EXPECT_TRUE(WaitForLine("VOXTELO_DIALOG : RINGING")) << log.Text();
    Screenshot("5-incoming");

    RECT risen{};
    GetWindowRect(Notice(), &risen);
    Input("mousemove " +
          Coordinates({(risen.left + risen.right) / 2, (risen.top + risen.bottom) / 2}) +
          "click 1 mousemove " + Coordinates(kRest));
    EXPECT_TRUE(modem->WaitForAnswer(kWaitMs, mark).has_value());
    EXPECT_TRUE(WaitForLine("VOXTELO_DIALOG : ANSWERING")) << log.Text();

    const uint32_t lit = led->LastSeq();
    modem->HangUp();
    EXPECT_TRUE(NoticeGone());
    EXPECT_TRUE(Led(0, lit));
    EXPECT_TRUE(Visible());
}

TEST_F(ADay, Step4_AnEntryAddedInThePhoneBookNamesTheNextCallFromItsNumber) {
    RequirePhone();
    const auto before = Book();
    Input("mousemove " + OnPhone(e2e::kBookKey) + "click 1 mousemove " + Coordinates(kRest));
    HWND editor = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND window : test::FindDialogWindows(nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == phoneId && window != main && IsWindowVisible(window) &&
                GetDlgItem(window, 1000)) {
                editor = window;
            }
        }
        return editor != nullptr;
    }));
    RECT at{};
    GetWindowRect(editor, &at);
    EXPECT_EQ(at.left, kPhone.x - 50);
    EXPECT_EQ(at.top, kPhone.y + 50);
    auto onEditor = [&](POINT point) { return Coordinates({at.left + point.x, at.top + point.y}); };

    // New, the name, the home number, then Apply.
    Input("mousemove " + onEditor({63, 179}) + "click 1 sleep 0.1 mousemove " +
          onEditor({240, 36}) + "click 1 sleep 0.1 type --delay 30 '" + kCarla + "'");
    HWND name = GetDlgItem(editor, 1003);
    EXPECT_TRUE(WaitFor([&] { return test::TextOf(name) == kCarla; })) << test::TextOf(name);
    HWND home = GetDlgItem(editor, 1004);
    Input("mousemove " + onEditor({240, 66}) + "click 1 sleep 0.1 type --delay 30 " + kCarlaHome);
    EXPECT_TRUE(WaitFor([&] { return test::TextOf(home) == kCarlaHome; })) << test::TextOf(home);
    Screenshot("6-phone-book");
    Input("mousemove " + onEditor({177, 179}) + "click 1 mousemove " + Coordinates(kRest));

    auto expected = before;
    expected[kCarla] = std::string(kCarlaHome) + "//";
    EXPECT_TRUE(WaitFor([&] { return Book() == expected; }));
    EXPECT_TRUE(IsWindowVisible(editor)) << "Apply keeps the editor open";
    Input("mousemove " + onEditor({322, 23}) + "click 1 mousemove " + Coordinates(kRest));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }));

    // The next call from that number carries the new name.
    const uint64_t mark = modem->LastSeq();
    modem->Ring(kCarlaHome);
    int mismatch = 0;
    EXPECT_TRUE(
        NoticeShows(IDB_NOTICE_INCOMING, std::string(kCarlaHome) + "\n" + kCarla + "\n", &mismatch))
        << mismatch << " pixels differ";
    // Not answered: the caller gives up.
    const uint32_t lit = led->LastSeq();
    modem->HangUp();
    EXPECT_TRUE(modem->WaitForDrop(kWaitMs, mark).has_value());
    EXPECT_TRUE(NoticeGone());
    EXPECT_TRUE(Led(0, lit));
}

TEST_F(ADay, Step5_ADoubleClickedSkypeContactIsCalledAndTheFarEndEndsTheCall) {
    RequirePhone();
    skypesim::SimConnection& client = skype->Control();
    const RECT list{23, 71, 213, 300};
    const ui::PixelBuffer book = OnScreen(list);
    Input("mousemove " + OnPhone(e2e::kSkypeKey) + "click 1 mousemove " + Coordinates(kRest));
    EXPECT_TRUE(WaitFor([] { return !ModemKeyLit(); }));
    ASSERT_TRUE(Settled(list, book, 100)) << "the Skype list takes the phone book's place";

    const uint32_t ledMark = led->LastSeq();
    log.Clear();
    // The Skype list holds the contacts not offline, in the client's order: Tom is second.
    Input("mousemove " + OnPhone(e2e::ItemPoint(1)) + "click --repeat 2 --delay 80 1 mousemove " +
          Coordinates(kRest));
    ASSERT_TRUE(client.WaitForReceived("CALL tom.hughes", 1, kWaitMs));
    EXPECT_TRUE(WaitFor([] { return !Visible(); }));
    EXPECT_TRUE(Led(1, ledMark));
    EXPECT_TRUE(WaitForLine("VOXTELO_DIALOG : DIALING")) << log.Text();
    Screenshot("7-skype-call");
    // No notice for a Skype call: the client shows its own.
    EXPECT_TRUE(NoticeGone());

    client.Command("answer");
    EXPECT_TRUE(WaitForLine("VOXTELO_DIALOG : ANSWERING")) << log.Text();
    const uint32_t lit = led->LastSeq();
    client.Command("hangup");
    EXPECT_TRUE(Led(0, lit));
    EXPECT_TRUE(WaitForLine("VOXTELO_DIALOG : NORMAL")) << log.Text();
    // Ended by the far end, a Skype call leaves the phone where it was: hidden.
    EXPECT_FALSE(Visible());
}

TEST_F(ADay, Step6_ASkypeCallDuringAModemCallIsEndedAtOnce) {
    RequirePhone();
    skypesim::SimConnection& client = skype->Control();
    const uint64_t mark = modem->LastSeq();
    log.Clear();
    modem->Ring(kBobHome);
    int mismatch = 0;
    EXPECT_TRUE(
        NoticeShows(IDB_NOTICE_INCOMING, std::string(kBobHome) + "\n" + kBob + "\n", &mismatch))
        << mismatch << " pixels differ";
    // A click on the tray icon answers a ringing call, as the phone key does.
    ClickTrayIcon(1);
    Input("mousemove " + Coordinates(kRest));
    ASSERT_TRUE(modem->WaitForAnswer(kWaitMs, mark).has_value());
    ASSERT_TRUE(WaitForLine("VOXTELO_DIALOG : ANSWERING")) << log.Text();

    log.Clear();
    const std::string id = std::to_string(client.CallIn("anna.berg"));
    EXPECT_TRUE(client.WaitForReceived("SET CALL " + id + " STATUS FINISHED", 1, kWaitMs));
    EXPECT_TRUE(WaitForLine("CALL " + id + " STATUS FINISHED")) << log.Text();
    Screenshot("8-second-call-refused");
    // The modem call goes on as it was: no new state, the line not dropped, the LED lit.
    EXPECT_TRUE(led->LedOn());
    EXPECT_EQ(log.Text().find("VOXTELO_DIALOG"), std::string::npos) << log.Text();
    for (const simmodem::RecordEntry& entry : modem->Record(mark)) {
        EXPECT_NE(entry.function, "lineDrop");
    }

    const uint32_t lit = led->LastSeq();
    modem->HangUp();
    EXPECT_TRUE(WaitFor(Visible));
    EXPECT_TRUE(NoticeGone());
    EXPECT_TRUE(Led(0, lit));
}

// Back at the notebook, the person sees the calls missed meanwhile on the tray icon and the
// phone, and calls one back in two clicks from "Recent calls".
TEST_F(ADay, Step7_AMissedCallIsCountedAndCalledBackFromRecentCalls) {
    RequirePhone();
    log.Clear();
    modem->Ring(kBobHome);
    ASSERT_TRUE(WaitForLine("VOXTELO_DIALOG : RINGING")) << log.Text();
    modem->HangUp();
    ASSERT_TRUE(WaitForLine("VOXTELO_DIALOG : NORMAL")) << log.Text();
    // The refused Skype call of the step before and this one: two, not yet seen.
    std::ifstream file(folder + "\\Calls.txt", std::ios::binary);
    const std::string calls((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(calls.find("\tskype\tin\tmissed\tanna.berg\t"), std::string::npos) << calls;
    EXPECT_NE(calls.find(std::string("\tmodem\tin\tmissed\t") + kBobHome + "\t" + kBob + "\t0"),
              std::string::npos)
        << calls;
    ASSERT_TRUE(WaitFor(Visible));
    Screenshot("9-missed-calls");

    // "Recent calls" is the menu's third item; its first row the newest call.
    ClickTrayIcon(3);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = test::ShownMenuOfProcess(phoneId)) != nullptr; }));
    RECT items{};
    GetWindowRect(menu, &items);
    const int pitch = (items.bottom - items.top - 12) / 5;  // five items and a separator
    Input("mousemove " + Coordinates({items.left + 30, items.top + 8 + 2 * pitch}));
    HWND rows = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        HWND found = nullptr;
        while ((found = FindWindowExA(nullptr, found, "#32768", nullptr)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (found != menu && owner == phoneId && IsWindowVisible(found)) {
                rows = found;
                return true;
            }
        }
        return false;
    }));
    Screenshot("10-recent-calls");
    RECT list{};
    GetWindowRect(rows, &list);
    const uint64_t mark = modem->LastSeq();
    Input("mousemove " + Coordinates({list.left + 30, list.top + 8}) + "click 1 mousemove " +
          Coordinates(kRest));
    ASSERT_TRUE(WaitFor(Visible));
    Input("mousemove " + OnPhone(e2e::kCallStartKey) + "click 1 mousemove " + Coordinates(kRest));
    const auto dialled = modem->WaitForDial(kWaitMs, mark);
    ASSERT_TRUE(dialled.has_value());
    EXPECT_EQ(dialled->Text("number"), kBobHome);
    modem->HangUp();
    EXPECT_TRUE(WaitFor(Visible));
    EXPECT_TRUE(NoticeGone());
}

TEST_F(ADay, Step8_QuitFromTheTrayEndsThePhoneAndKeepsThePhoneBook) {
    RequirePhone();
    const auto kept = Book();
    ClickTrayIcon(3);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = test::ShownMenuOfProcess(phoneId)) != nullptr; }));
    Screenshot("11-tray-menu");
    RECT items{};
    GetWindowRect(menu, &items);
    // Quit is the menu's last item.
    Input("mousemove " + Coordinates({items.left + 20, items.bottom - 8}) + "click 1 mousemove " +
          Coordinates(kRest));
    ASSERT_EQ(WaitForSingleObject(phone.Get(), kWaitMs), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(phone.Get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(led->LedOn());
    EXPECT_TRUE(WaitFor([] { return test::TrayIconWindows().empty(); }))
        << "the icon goes with the phone";
    EXPECT_EQ(Book(), kept);
    EXPECT_TRUE(boxes->Texts().empty()) << boxes->Texts().front();
    Screenshot("12-quit");
}

}  // namespace
