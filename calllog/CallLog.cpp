#include "calllog/CallLog.h"

#include <algorithm>
#include <ctime>

#include "calllog/CallLogFile.h"
#include "calllog/CallLogText.h"
#include "core/DebugLog.h"
#include "framework/Encoding.h"
#include "framework/Text.h"

namespace calllog {

namespace {

void Log(const std::string& text) {
    SendDebugText("CALL LOG : " + text + "\n");
}

// A line of the log for the Debug Window: its fields between spaces, in the ANSI code page.
std::string LogLineOf(const CallRecord& call) {
    std::string line = FormatCallLine(call);
    for (char& c : line) {
        c = c == '\t' ? ' ' : c;
    }
    return fw::Narrow(fw::Widen(line, CP_UTF8));
}

}  // namespace

CallLog::CallLog(std::string path) : path_(std::move(path)) {}

void CallLog::Load() {
    FileRead read = ReadLogFile(path_, kMaxFileBytes);
    switch (read.status) {
        case FileRead::Read:
            if (const size_t skipped = history_.Load(read.bytes)) {
                Log(fw::Format("%u unreadable lines skipped in %s", static_cast<unsigned>(skipped),
                               path_.c_str()));
            }
            break;
        case FileRead::Missing:
            history_.Load("");
            break;
        case FileRead::TooLarge: {
            // An earlier file set aside is kept too; while this one cannot go, it is not
            // written either, or it would only grow.
            const std::string aside = path_ + ".bad";
            if (!MoveFileExA(path_.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
                diskError_ = GetLastError();
            }
            Log(fw::Format("%s is over %u bytes: %s", path_.c_str(),
                           static_cast<unsigned>(kMaxFileBytes),
                           diskError_ ? "not read, and calls are kept until the phone ends"
                                      : ("kept as " + aside + ", a new log begins").c_str()));
            history_.Load("");
            break;
        }
        case FileRead::Failed:
            Log(fw::Format("cannot read %s (error %lu)", path_.c_str(), read.error));
            history_.Load("");
            break;
    }
}

void CallLog::Record(const CallRecord& call) {
    const std::string line = history_.Add(call);
    Log(LogLineOf(call));
    // The call is safe on disk before any rewrite starts.
    bool begun = false;
    DWORD error = Append(line, &begun);
    if (!error && begun && history_.CallCount() > 1) {
        // Calls.txt went, or was emptied, while the phone ran: what is listed follows it.
        history_.Load("");
        history_.Add(call);
    }
    if (!error && history_.NeedsRewrite()) {
        history_.DropOldest();
        error = ReplaceLogFile(path_, history_.Text());
    }
    Write(error);
}

void CallLog::MarkSeen() {
    const std::string mark = history_.MarkSeen(Now().wall);
    if (!mark.empty()) {
        Write(Append(mark, nullptr));
    }
}

// The list empties only once the file has: a failed write leaves both as they were.
void CallLog::Clear() {
    CallHistory cleared = history_;
    cleared.Clear();
    const DWORD error = diskError_ ? diskError_ : ReplaceLogFile(path_, cleared.Text());
    if (!error) {
        history_ = std::move(cleared);
    }
    Write(error);
}

DWORD CallLog::Append(std::string_view text, bool* begun) {
    return diskError_ ? diskError_ : AppendToLogFile(path_, text, begun);
}

void CallLog::Write(DWORD error) {
    if (!error) {
        failing_ = false;
        return;
    }
    if (!failing_) {
        Log(fw::Format("cannot write %s (error %lu); calls are kept until the phone ends",
                       path_.c_str(), error));
    }
    failing_ = true;
}

Moment Now() {
    SYSTEMTIME time{};
    GetLocalTime(&time);
    return {{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond},
            GetTickCount64()};
}

Moment MomentAt(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_s(&local, &seconds);
    const auto ago = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::system_clock::now() - when)
                         .count();
    const uint64_t steady = GetTickCount64();
    return {{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
             local.tm_sec},
            ago > 0 ? steady - std::min<uint64_t>(steady, ago) : steady};
}

std::string AnsiToUtf8(const std::string& text) {
    return fw::Narrow(fw::Widen(text), CP_UTF8);
}

}  // namespace calllog
