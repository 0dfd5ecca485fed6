// The phone at the display's scale, under Wine:
//   scale_bench.exe paint        paint passes of the skin at 100 % and at 200 %, side by side:
//                                our own layout and composition
//   scale_bench.exe start [runs] in this prefix (whose LogPixels is the scale): the real
//                                voxtelo.exe's start to hidden-and-ready, and a bare Win32
//                                program's (a dialog that opens and closes) by turns
//   scale_bench.exe bare         that bare program
// bench/scale-start.sh runs `start` in the 100 % and the 200 % prefixes by turns.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "bench/RunningPhone.h"
#include "bench/WineBench.h"
#include "framework/Dpi.h"
#include "framework/GdiplusSession.h"
#include "tests/ui/ResourceSkinHost.h"
#include "ui/GdiplusText.h"
#include "ui/LayeredCanvas.h"
#include "ui/PhoneSkin.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One paint pass of the skin with 100 Skype contacts and the keypad out, at `dpi`, our own
// layout and composition only: the medians of the kinds of pass in kPasses, in that order.
const char* const kPasses[] = {"a digit typed", "the next contact selected",
                               "a scroll tick of the list", "nothing changed (focus)"};

std::vector<double> MeasurePaint(int dpi) {
    ui::testing::ResourceSkinHost host;
    host.skypeState = host.dialogState = CallState::NORMAL;
    for (int i = 0; i < 100; ++i) {
        host.AddSkypeContact("contact." + std::to_string(i), "ONLINE", "",
                             "Contact Number " + std::to_string(i));
    }
    ui::GdiplusText text;
    text.SetScale(scale::DisplayScale(dpi));
    ui::PhoneSkin skin(host, text);
    skin.BuildSkin();
    skin.SelectCarrier(Carrier::Skype);
    skin.RebuildSkypeList();
    skin.ToggleKeypad(false);
    ui::LayeredCanvas canvas(skin.CanvasWidth(), skin.CanvasHeight());
    auto pass = [&] {
        skin.PrepareForPaint();
        skin.Compose(canvas.View());
    };
    int turn = 0;
    const std::function<void()> changes[] = {
        [&] { host.dialString = (++turn % 2) ? "+88622555123" : "+886225551234"; },
        [&] {
            ui::ContactItem* second = skin.SkypeListHead()->Next();
            skin.SetWidgetState(++turn % 2 ? second : second->Next(), true);
        },
        [&] { skin.SkypeListHead()->SetOffset(0, (++turn % 2) ? 1 : -1); },
        [] {},
    };
    std::printf("-- %d dpi, canvas %d x %d\n", dpi, skin.CanvasWidth(), skin.CanvasHeight());
    std::vector<double> medians;
    for (size_t i = 0; i < std::size(kPasses); ++i) {
        for (int warm = 0; warm < 5; ++warm) {
            changes[i]();
            pass();  // every label of the pass rendered and kept
        }
        medians.push_back(bench::ReportMedian(kPasses[i], 301, [&] {
            changes[i]();
            pass();
        }));
    }
    return medians;
}

INT_PTR CALLBACK CloseAtOnce(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    if (message == WM_COMMAND) {
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    return FALSE;
}

// A visible dialog from a template in memory, ended by the first message it handles.
int RunBareDialog() {
    alignas(4) WORD storage[64] = {};
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(storage);
    dialog->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
    dialog->cx = 160;
    dialog->cy = 80;
    return static_cast<int>(
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog, nullptr, CloseAtOnce, 0));
}

bool HiddenAndReady(const bench::RunningPhone& phone) {
    if (IsWindowVisible(phone.main)) {
        return false;
    }
    HWND debug = test::DialogOfProcess("Debug Window", phone.Id());
    return debug && test::DebugLogText(debug).find("VOXTELO_DIALOG : NORMAL") != std::string::npos;
}

void MeasureStart(int runs) {
    {
        std::ofstream book(test::TestProgramFolder() + "Bookmark.ini", std::ios::trunc);
        for (int i = 0; i < 20; ++i) {
            book << "[Contact " << i << "]\nPhone_Home=0" << 1000000 + i << "\n";
        }
    }
    simmodem::Control modem("scale_bench");
    modem.ResetConfiguration();
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::vector<double> phoneMs, bareMs;
    for (int run = 0; run < runs; ++run) {
        Clock::time_point start = Clock::now();
        bench::RunningPhone phone = bench::LaunchPhone(modem);
        bench::Check(test::WaitUntil([&] { return HiddenAndReady(phone); }, bench::kPhoneWaitMs),
                     "the phone did not become hidden and ready");
        phoneMs.push_back(MsSince(start));
        bench::ClosePhone(phone);

        start = Clock::now();
        bench::Check(test::RunToEnd(self, "bare", bench::kPhoneWaitMs) == IDOK,
                     "the bare dialog did not open and close");
        bareMs.push_back(MsSince(start));
    }
    const double phone = Median(phoneMs), bare = Median(bareMs);
    std::printf("%d dpi: phone start to hidden and ready, median %.1f ms (min %.1f, max %.1f)\n",
                fw::SystemDpi(), phone, *std::min_element(phoneMs.begin(), phoneMs.end()),
                *std::max_element(phoneMs.begin(), phoneMs.end()));
    std::printf("%d dpi: bare dialog open and close,      median %.1f ms (min %.1f, max %.1f)\n",
                fw::SystemDpi(), bare, *std::min_element(bareMs.begin(), bareMs.end()),
                *std::max_element(bareMs.begin(), bareMs.end()));
    std::printf("%d dpi: phone / bare %.2f\n", fw::SystemDpi(), phone / bare);
    // Every run, for medians over several rounds (bench/scale-start.sh).
    for (const auto& [what, values] : {std::pair{"phone", &phoneMs}, std::pair{"bare", &bareMs}}) {
        std::printf("runs %s %d", what, fw::SystemDpi());
        for (double ms : *values) {
            std::printf(" %.1f", ms);
        }
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    SetProcessDPIAware();
    const std::string mode = argc > 1 ? argv[1] : "paint";
    if (mode == "bare") {
        return RunBareDialog();
    }
    if (mode == "start") {
        MeasureStart(argc > 2 ? std::max(1, std::atoi(argv[2])) : 7);
        return 0;
    }
    fw::GdiplusSession gdiplus;
    const std::vector<double> once = MeasurePaint(96);
    const std::vector<double> twice = MeasurePaint(192);
    std::printf("-- 200 %% / 100 %%, layout and composition\n");
    for (size_t i = 0; i < once.size(); ++i) {
        std::printf("%-44s %.2f\n", kPasses[i], twice[i] / once[i]);
    }
    return 0;
}
