#include "calllog/CallHistory.h"

#include "calllog/CallLogText.h"

namespace calllog {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

size_t CallHistory::Load(std::string_view text) {
    lines_.clear();
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        text.remove_prefix(kUtf8Bom.size());
    }
    headed_ = text.empty();
    bool first = true;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (first) {
            first = false;
            if (line == kHeaderLine) {
                headed_ = true;
                continue;
            }
        }
        if (line.empty()) {
            continue;
        }
        if (IsSeenLine(line)) {
            lines_.push_back({Line::Seen, {}, std::string(line)});
        } else if (std::optional<CallRecord> call = ParseCallLine(line)) {
            lines_.push_back({Line::Call, std::move(*call), {}});
        } else {
            lines_.push_back({Line::Unreadable, {}, std::string(line)});
        }
    }
    Count();
    return UnreadableCount();
}

std::string CallHistory::Add(const CallRecord& call) {
    lines_.push_back({Line::Call, call, {}});
    ++callCount_;
    if (call.outcome == Outcome::Missed) {
        ++unseenMissed_;
        newestUnseenMissed_ = lines_.size() - 1;
    }
    return FormatCallLine(call) + std::string(kLineEnd);
}

std::string CallHistory::MarkSeen(const LocalTime& now) {
    if (unseenMissed_ == 0) {
        return "";
    }
    std::string mark = FormatSeenLine(now);
    lines_.push_back({Line::Seen, {}, mark});
    unseenMissed_ = 0;
    return mark + std::string(kLineEnd);
}

void CallHistory::Clear() {
    std::vector<Line> kept;
    for (Line& line : lines_) {
        if (line.kind == Line::Unreadable) {
            kept.push_back(std::move(line));
        }
    }
    lines_ = std::move(kept);
    Count();
}

bool CallHistory::NeedsRewrite() const {
    return callCount_ > kMaxCalls || !headed_;
}

void CallHistory::DropOldest() {
    size_t drop = callCount_ > kMaxCalls ? callCount_ - kMaxCalls : 0;
    // Only the last mark counts; it stays in its place among the calls kept, or first of all
    // when every call before it goes.
    size_t lastSeen = lines_.size();
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Line::Seen) {
            lastSeen = i;
        }
    }
    std::vector<Line> kept;
    kept.reserve(lines_.size() - drop);
    for (size_t i = 0; i < lines_.size(); ++i) {
        Line& line = lines_[i];
        if (line.kind == Line::Call && drop > 0) {
            --drop;
            continue;
        }
        if (line.kind == Line::Seen && i != lastSeen) {
            continue;
        }
        kept.push_back(std::move(line));
    }
    lines_ = std::move(kept);
    headed_ = true;
    Count();
}

std::string CallHistory::Text() const {
    std::string text(kHeaderLine);
    text += kLineEnd;
    for (const Line& line : lines_) {
        text += line.kind == Line::Call ? FormatCallLine(line.call) : line.text;
        text += kLineEnd;
    }
    return text;
}

size_t CallHistory::UnreadableCount() const {
    size_t count = 0;
    for (const Line& line : lines_) {
        count += line.kind == Line::Unreadable ? 1 : 0;
    }
    return count;
}

const CallRecord* CallHistory::NewestUnseenMissed() const {
    return unseenMissed_ > 0 ? &lines_[newestUnseenMissed_].call : nullptr;
}

std::vector<CallRecord> CallHistory::Recent(size_t count) const {
    std::vector<CallRecord> recent;
    for (auto line = lines_.rbegin(); line != lines_.rend() && recent.size() < count; ++line) {
        if (line->kind == Line::Call) {
            recent.push_back(line->call);
        }
    }
    return recent;
}

void CallHistory::Count() {
    callCount_ = 0;
    unseenMissed_ = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Line::Seen) {
            unseenMissed_ = 0;
        } else if (line.kind == Line::Call) {
            ++callCount_;
            if (line.call.outcome == Outcome::Missed) {
                ++unseenMissed_;
                newestUnseenMissed_ = i;
            }
        }
    }
}

}  // namespace calllog
