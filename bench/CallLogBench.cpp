// The call log at its largest: reading a 1,000-call Calls.txt from disk and building the
// "Recent calls" rows and menu from it, as the tray does each time its menu opens.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/WineBench.h"
#include "calllog/CallLog.h"
#include "calllog/CallLogText.h"
#include "calllog/RecentCallsText.h"
#include "framework/Encoding.h"

int main() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "voxtelo-calllog-bench.txt";
    calllog::CallHistory full;
    full.Load("");
    for (int i = 0; i < 1000; ++i) {
        full.Add({{2026, 12, 7, i / 60 % 24, i % 60, 5},
                  i % 3 ? Carrier::Modem : Carrier::Skype,
                  i % 2 ? calllog::Direction::In : calllog::Direction::Out,
                  i % 4 ? calllog::Outcome::Answered : calllog::Outcome::Missed,
                  "555" + std::to_string(1000 + i),
                  "Caller number " + std::to_string(i),
                  static_cast<uint32_t>(i)});
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string text = full.Text();
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    std::printf("Calls.txt of 1,000 calls: %zu bytes\n", text.size());

    const calllog::LocalTime today{2026, 12, 7, 23, 0, 0};
    for (int round = 0; round < 3; ++round) {
        bench::ReportMedian("read 1,000 calls and build the menu", 50, [&] {
            calllog::CallLog log(path);
            log.Load();
            HMENU menu = CreatePopupMenu();
            UINT id = 100;
            for (const calllog::CallRecord& call : log.History().Recent(10)) {
                const std::wstring row = fw::Widen(calllog::RecentCallRow(call, today), CP_UTF8);
                AppendMenuW(menu, MF_STRING, id++, row.c_str());
            }
            DestroyMenu(menu);
        });
    }
    DeleteFileA(path.c_str());
    return 0;
}
