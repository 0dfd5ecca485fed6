#include "calllog/CallLog.h"

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
                Log(fw::Format("%u unreadable lines skipped in %s", static_cast<unsigned>(skipped), path_.c_str()));
            }
            break;
        case FileRead::Missing:
            history_.Load("");
            break;
        case FileRead::TooLarge: {
            const std::string aside = path_ + ".bad";
            const bool moved = MoveFileExA(path_.c_str(), aside.c_str(),
                                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            Log(fw::Format("%s is over %u bytes: %s", path_.c_str(), static_cast<unsigned>(kMaxFileBytes),
                           moved ? ("kept as " + aside + ", a new log begins").c_str()
                                 : "not read"));
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
    DWORD error = AppendToLogFile(path_, line);
    if (!error && history_.NeedsRewrite()) {
        history_.DropOldest();
        error = ReplaceLogFile(path_, history_.Text());
    }
    Write(error);
}

void CallLog::MarkSeen() {
    const std::string mark = history_.MarkSeen(Now().wall);
    if (!mark.empty()) {
        Write(AppendToLogFile(path_, mark));
    }
}

void CallLog::Clear() {
    history_.Clear();
    Write(ReplaceLogFile(path_, history_.Text()));
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

std::string AnsiToUtf8(const std::string& text) {
    return fw::Narrow(fw::Widen(text), CP_UTF8);
}

}  // namespace calllog
