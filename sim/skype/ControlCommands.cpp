// Control commands: scripting the account, the attach sequence and the far end, triggering
// events, and reading the record.
#include "sim/skype/ControlCommands.h"

#include <cstdio>
#include <functional>
#include <map>
#include <stdexcept>

#include "sim/skype/SimApp.h"
#include "sim/skype/SimText.h"

namespace skypesim {
namespace {

using Words = std::vector<std::string>;
using Handler = std::function<std::string(SimApp&, const Words&)>;

std::string Hex(uint64_t value) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(value));
    return buf;
}

uint64_t NumberArg(const Words& words, size_t index, const char* what) {
    auto value = index < words.size() ? ParseUnsigned(words[index]) : std::nullopt;
    if (!value) {
        throw ScriptError(std::string("expected a number for ") + what);
    }
    return *value;
}

unsigned MillisecondsArg(const Words& words, size_t index) {
    uint64_t ms = NumberArg(words, index, "milliseconds");
    if (ms > 0x7fffffff) {
        throw ScriptError("too many milliseconds");
    }
    return static_cast<unsigned>(ms);
}

std::optional<uint64_t> OptionalCallId(const Words& words, size_t index) {
    if (index >= words.size()) {
        return std::nullopt;
    }
    return NumberArg(words, index, "the call id");
}

void ExpectWords(const Words& words, size_t least, size_t most, const char* usage) {
    if (words.size() < least || words.size() > most) {
        throw ScriptError(std::string("usage: ") + usage);
    }
}

std::string Attach(SimApp& app, const Words& words) {
    if (words.size() == 1) {
        return "OK " + DescribeAttachSetting(app.Attach().Setting());
    }
    auto setting = ParseAttachSetting(JoinFrom(words, 1));
    if (!setting) {
        throw ScriptError("usage: attach success|pending [ms]|refused|unavailable [ms]");
    }
    app.Attach().Configure(*setting);
    return "OK";
}

std::string Reply(SimApp& app, const Words& words) {
    ExpectWords(words, 1, 2, "reply [nested|deferred]");
    if (words.size() == 2) {
        if (EqualsNoCase(words[1], "nested")) {
            app.SetReplyMode(ReplyMode::Nested);
        } else if (EqualsNoCase(words[1], "deferred")) {
            app.SetReplyMode(ReplyMode::Deferred);
        } else {
            throw ScriptError("usage: reply [nested|deferred]");
        }
        return "OK";
    }
    return app.GetReplyMode() == ReplyMode::Nested ? "OK nested" : "OK deferred";
}

std::string RefuseTexts(SimApp& app, const Words& words) {
    ExpectWords(words, 2, 2, "refuse-texts on|off");
    if (!EqualsNoCase(words[1], "on") && !EqualsNoCase(words[1], "off")) {
        throw ScriptError("usage: refuse-texts on|off");
    }
    app.SetRefuseTexts(EqualsNoCase(words[1], "on"));
    return "OK";
}

// answer-inside COMMAND -> TEXT | answer-inside clear: both sides verbatim, spaces and all.
std::string AnswerInside(SimApp& app, const std::string& line) {
    const size_t space = line.find(' ');
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (EqualsNoCase(rest, "clear")) {
        app.ClearAnswersInside();
        return "OK";
    }
    const size_t arrow = rest.find(" -> ");
    if (arrow == std::string::npos || arrow == 0 || arrow + 4 >= rest.size()) {
        throw ScriptError("usage: answer-inside <command> -> <text> | answer-inside clear");
    }
    app.AnswerInside(rest.substr(0, arrow), rest.substr(arrow + 4));
    return "OK";
}

std::string Me(SimApp& app, const Words& words) {
    if (words.size() < 2 || words[1].empty()) {
        throw ScriptError("usage: me <handle> [full name]");
    }
    app.Account().SetMe(words[1], JoinFrom(words, 2));
    return "OK";
}

std::string Friend(SimApp& app, const Words& words) {
    if (words.size() < 2 || words[1].empty()) {
        throw ScriptError("usage: friend <handle> [ONLINESTATUS [full name]]");
    }
    SkypeUser& user = app.Account().AddFriend(words[1]);
    if (words.size() >= 3) {
        user.properties["ONLINESTATUS"] = ToUpperAscii(words[2]);
    }
    if (words.size() >= 4) {
        user.properties["FULLNAME"] = JoinFrom(words, 3);
    }
    return "OK";
}

std::string Unfriend(SimApp& app, const Words& words) {
    ExpectWords(words, 2, 2, "unfriend <handle>");
    if (!app.Account().RemoveFriend(words[1])) {
        throw ScriptError("no friend " + words[1]);
    }
    return "OK";
}

std::string Friends(SimApp& app, const Words& words) {
    if (words.size() == 2 && EqualsNoCase(words[1], "clear")) {
        app.Account().ClearFriends();
        return "OK";
    }
    if (words.size() == 3 && EqualsNoCase(words[1], "generate")) {
        uint64_t count = NumberArg(words, 2, "the number of friends");
        if (count > 100000) {
            throw ScriptError("at most 100000 friends");
        }
        app.Account().GenerateFriends(static_cast<unsigned>(count));
        return "OK";
    }
    if (words.size() == 1) {
        return "OK " + std::to_string(app.Account().Friends().size());
    }
    throw ScriptError("usage: friends [clear|generate <n>]");
}

std::string User(SimApp& app, const Words& words) {
    if (words.size() < 3) {
        throw ScriptError("usage: user <handle> <PROPERTY> [value]");
    }
    app.Session().SetUserProperty(words[1], words[2], JoinFrom(words, 3));
    return "OK";
}

std::string Status(SimApp& app, const Words& words, bool connection) {
    ExpectWords(words, 2, 2, connection ? "connstatus <STATUS>" : "userstatus <STATUS>");
    if (connection) {
        app.Session().SetConnStatus(words[1]);
    } else {
        app.Session().SetUserStatus(words[1]);
    }
    return "OK";
}

std::string CallIn(SimApp& app, const Words& words) {
    ExpectWords(words, 2, 2, "call-in <handle>");
    return "OK " + std::to_string(app.Session().CallIn(words[1]));
}

std::string Outgoing(SimApp& app, const Words& words) {
    OutgoingPlan plan;
    std::string what = words.size() >= 2 ? ToUpperAscii(words[1]) : "";
    if (what == "RING" && words.size() == 2) {
        app.Session().SetOutgoingPlan(plan);
        return "OK";
    }
    if (what == "ANSWER" && words.size() <= 3) {
        plan.outcome = "INPROGRESS";
        plan.delayMs = words.size() == 3 ? MillisecondsArg(words, 2) : 0;
    } else if (what == "END" && (words.size() == 3 || words.size() == 4)) {
        plan.outcome = ToUpperAscii(words[2]);
        if (plan.outcome == "INPROGRESS" || IsActiveCallStatus(plan.outcome) ||
            plan.outcome.empty()) {
            throw ScriptError("not an end status: " + words[2]);
        }
        plan.delayMs = words.size() == 4 ? MillisecondsArg(words, 3) : 0;
    } else {
        throw ScriptError("usage: outgoing ring|answer [ms]|end <STATUS> [ms]");
    }
    app.Session().SetOutgoingPlan(plan);
    return "OK";
}

std::string RecordLines(SimApp& app, const Words& words) {
    ExpectWords(words, 1, 2, "record [from]");
    const auto& record = app.Record();
    size_t from = words.size() == 2 ? NumberArg(words, 1, "the first entry") : 0;
    std::string reply = "OK " + std::to_string(record.size());
    for (size_t i = from; i < record.size(); ++i) {
        reply += "\n" + FormatRecordEntry(record[i]);
    }
    return reply;
}

// Counts entries of one kind whose text is exactly the rest of the command line.
std::string CountText(SimApp& app, const std::string& line, RecordKind kind) {
    size_t space = line.find(' ');
    std::string text = space == std::string::npos ? "" : line.substr(space + 1);
    size_t count = 0;
    for (const RecordEntry& entry : app.Record()) {
        if (entry.kind == kind && entry.text == text && (kind == RecordKind::In || entry.ok)) {
            ++count;
        }
    }
    return "OK " + std::to_string(count);
}

std::string Discovers(SimApp& app, const Words& words) {
    ExpectWords(words, 1, 1, "discovers");
    std::string lines;
    size_t count = 0;
    for (const RecordEntry& entry : app.Record()) {
        if (entry.kind == RecordKind::Discover) {
            ++count;
            lines += "\n" + std::to_string(entry.ms) + " " + Hex(entry.window);
        }
    }
    return "OK " + std::to_string(count) + lines;
}

std::string StatusReport(SimApp& app, const Words& words) {
    ExpectWords(words, 1, 1, "status");
    SimAccount& account = app.Account();
    std::string reply = "OK";
    reply += "\nattach " + DescribeAttachSetting(app.Attach().Setting());
    reply += app.GetReplyMode() == ReplyMode::Nested ? "\nreply nested" : "\nreply deferred";
    reply += "\nme " + account.Me().handle;
    reply += "\nconnstatus " + account.ConnStatus();
    reply += "\nuserstatus " + account.UserStatus();
    reply += "\nloggedout " + std::string(app.Attach().LoggedOut() ? "yes" : "no");
    reply += "\nfriends " + std::to_string(account.Friends().size());
    reply += "\nattached";
    for (ClientId client : app.Attach().Attached()) {
        reply += " " + Hex(client);
    }
    for (const auto& [id, call] : app.Session().Calls()) {
        reply += "\ncall " + std::to_string(id) + " " + call.partner +
                 (call.incoming ? " incoming " : " outgoing ") + call.status;
    }
    return reply;
}

const std::map<std::string, Handler>& Commands() {
    static const std::map<std::string, Handler> commands = {
        {"attach", Attach},
        {"authorize",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 1, "authorize");
             app.Attach().Authorize();
             return std::string("OK");
         }},
        {"available",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 1, "available");
             app.Attach().MakeAvailable();
             return std::string("OK");
         }},
        {"reply", Reply},
        {"refuse-texts", RefuseTexts},
        {"me", Me},
        {"friend", Friend},
        {"unfriend", Unfriend},
        {"friends", Friends},
        {"user", User},
        {"connstatus", [](SimApp& app, const Words& w) { return Status(app, w, true); }},
        {"userstatus", [](SimApp& app, const Words& w) { return Status(app, w, false); }},
        {"online",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 1, "online");
             app.Session().GoOnline();
             return std::string("OK");
         }},
        {"offline",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 1, "offline");
             app.Session().GoOffline();
             return std::string("OK");
         }},
        {"logout",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 1, "logout");
             if (app.Attach().LoggedOut()) {
                 throw ScriptError("already logged out");
             }
             app.LogOut();
             return std::string("OK");
         }},
        {"login",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 1, "login");
             if (!app.Attach().LoggedOut()) {
                 throw ScriptError("not logged out");
             }
             app.LogIn();
             return std::string("OK");
         }},
        {"call-in", CallIn},
        {"answer",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 2, "answer [call id]");
             app.Session().FarEndAnswer(OptionalCallId(w, 1));
             return std::string("OK");
         }},
        {"hangup",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 2, "hangup [call id]");
             app.Session().FarEndHangUp(OptionalCallId(w, 1));
             return std::string("OK");
         }},
        {"refuse",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 2, "refuse [call id]");
             app.Session().EndCall(OptionalCallId(w, 1), "REFUSED");
             return std::string("OK");
         }},
        {"end",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 2, 3, "end <STATUS> [call id]");
             app.Session().EndCall(OptionalCallId(w, 2), w[1]);
             return std::string("OK");
         }},
        {"outgoing", Outgoing},
        {"next-call-id",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 2, 2, "next-call-id <n>");
             app.Session().SetNextCallId(NumberArg(w, 1, "the call id"));
             return std::string("OK");
         }},
        {"nesting",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 1, "nesting");
             return "OK " + std::to_string(app.DeepestNesting());
         }},
        {"hold-next",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 2, 2, "hold-next <ms>");
             app.HoldNextText(MillisecondsArg(w, 1));
             return std::string("OK");
         }},
        {"hang",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 2, 2, "hang <ms>");
             app.RequestHang(MillisecondsArg(w, 1));
             return std::string("OK");
         }},
        {"quit",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 1, "quit");
             app.RequestQuit();
             return std::string("OK");
         }},
        {"crash",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 1, "crash");
             app.RequestCrash();
             return std::string("OK");
         }},
        {"record", RecordLines},
        {"clear-record",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 1, "clear-record");
             app.ClearRecord();
             return std::string("OK");
         }},
        {"discovers", Discovers},
        {"pending",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 1, "pending");
             return "OK " + std::to_string(app.PendingSends());
         }},
        {"status", StatusReport},
        {"api-window",
         [](SimApp& app, const Words& w) {
             ExpectWords(w, 1, 1, "api-window");
             return "OK " + Hex(reinterpret_cast<uintptr_t>(app.ApiHwnd()));
         }},
    };
    return commands;
}

}  // namespace

std::string RunControlCommand(SimApp& app, const std::string& line) {
    Words words = SplitOnSpaces(line);
    std::string name = words[0];
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    try {
        // These take the rest of the line verbatim, spaces and all.
        if (name == "send") {
            if (words.size() < 2) {
                throw ScriptError("usage: send <text>");
            }
            app.SendToAll(line.substr(line.find(' ') + 1));
            return "OK";
        }
        if (name == "answer-inside") {
            return AnswerInside(app, line);
        }
        if (name == "count-received") {
            return CountText(app, line, RecordKind::In);
        }
        if (name == "count-sent") {
            return CountText(app, line, RecordKind::Out);
        }
        auto it = Commands().find(name);
        if (it == Commands().end()) {
            return "ERR unknown command: " + words[0];
        }
        return it->second(app, words);
    } catch (const std::exception& e) {
        return std::string("ERR ") + e.what();
    }
}

}  // namespace skypesim
