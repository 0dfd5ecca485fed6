// Calls.txt on real files under Wine: what a damaged or unwritable file does to the log, and
// that nothing is lost on the way.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>

#include "calllog/CallLog.h"
#include "calllog/CallLogText.h"
#include "framework/Handles.h"
#include "tests/support/BackendHost.h"

namespace calllog {
namespace {

class CallLogFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(debug.CreateModeless(nullptr));
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "voxtelo-calllog-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        path = folder + "\\Calls.txt";
    }
    void TearDown() override {
        for (const char* name : {"\\Calls.txt", "\\Calls.txt.new", "\\Calls.txt.bad"}) {
            SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA((folder + name).c_str());
        }
        RemoveDirectoryA(path.c_str());
        RemoveDirectoryA(folder.c_str());
    }
    void WriteFile(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    std::string ReadFile() {
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }
    size_t Reports(const char* what) {
        size_t count = 0;
        for (const std::string& line : debug.lines) {
            count += line.find(what) != std::string::npos ? 1 : 0;
        }
        return count;
    }

    test::LogCapture debug;
    std::string folder;
    std::string path;
    const CallRecord call{{2026, 12, 7, 10, 42, 5},
                          Carrier::Modem,
                          Direction::In,
                          Outcome::Missed,
                          "5551234",
                          "Alice Liddell",
                          0};
    const std::string line = FormatCallLine(call) + "\r\n";
};

TEST_F(CallLogFileTest, ADamagedFileLoadsWhatItCanAndTheNextCallStartsALineOfItsOwn) {
    const std::string header = "# Voxtelo calls 1\r\n";
    const struct {
        const char* name;
        std::optional<std::string> before;  // none: no file
        size_t calls;
        size_t skipped;
        std::string after;  // "" when the file is rewritten: the header and the lines kept
    } cases[] = {
        {"missing", std::nullopt, 0, 0, header + line},
        {"empty", "", 0, 0, header + line},
        {"cut mid-line", header + line + "2026-12-07 10:4", 1, 1,
         header + line + "2026-12-07 10:4\r\n" + line},
        {"binary", std::string("\0\xFF\xFE\n\x80garbage", 13), 0, 1, ""},
        {"no first line", line, 1, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(path.c_str());
        if (c.before) {
            WriteFile(*c.before);
        }
        debug.lines.clear();
        CallLog log(path);
        log.Load();
        EXPECT_EQ(log.History().CallCount(), c.calls);
        EXPECT_EQ(Reports("unreadable lines skipped"), c.skipped ? 1u : 0u);
        log.Record(call);
        CallHistory expected;
        expected.Load(c.before.value_or(""));
        expected.Add(call);
        EXPECT_EQ(ReadFile(), c.after.empty() ? expected.Text() : c.after);
        EXPECT_EQ(Reports("CALL LOG : 2026-12-07 10:42:05 modem in missed 5551234 Alice"), 1u);
    }
}

TEST_F(CallLogFileTest, TenThousandLinesComeDownToTheMostAtTheNextCall) {
    std::string big = "# Voxtelo calls 1\r\nunreadable\r\n";
    for (int i = 0; i < 10000; ++i) {
        big += line;
    }
    WriteFile(big);
    CallLog log(path);
    log.Load();
    EXPECT_EQ(log.History().CallCount(), 10000u);
    log.Record(call);
    CallHistory reread;
    EXPECT_EQ(reread.Load(ReadFile()), 1u) << "the unreadable line is kept";
    EXPECT_EQ(reread.CallCount(), CallHistory::kMaxCalls);
    EXPECT_EQ(GetFileAttributesA((path + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A file that cannot be written (held by another program, a folder in its place) is reported
// once; the calls stay listed; the phone goes on.
TEST_F(CallLogFileTest, AFileThatCannotBeWrittenIsReportedOnceAndLosesNothingListed) {
    for (const bool folderInPlace : {false, true}) {
        SCOPED_TRACE(folderInPlace ? "a folder in its place" : "held without sharing");
        DeleteFileA(path.c_str());
        WriteFile("# Voxtelo calls 1\r\n" + line);
        fw::FileHandle holder;
        if (folderInPlace) {
            DeleteFileA(path.c_str());
            ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
        } else {
            holder.Reset(
                CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(holder);
        }
        debug.lines.clear();
        CallLog log(path);
        log.Load();
        log.Record(call);
        log.Record(call);
        log.MarkSeen();
        EXPECT_EQ(Reports("cannot write"), 1u);
        EXPECT_EQ(log.History().CallCount(), 2u);
        EXPECT_EQ(log.History().UnseenMissed(), 0u);
        holder.Reset();
        RemoveDirectoryA(path.c_str());
    }
}

// What is listed follows the file: a log removed while the phone runs is not listed again, a
// clear that could not be written clears nothing, and an oversized file that cannot be set
// aside (an earlier one is in the way) is neither read nor written, nor is the earlier lost.
TEST_F(CallLogFileTest, WhatIsListedFollowsTheFile) {
    WriteFile("# Voxtelo calls 1\r\n" + line + line);
    {
        CallLog log(path);
        log.Load();
        DeleteFileA(path.c_str());
        log.Record(call);
        EXPECT_EQ(log.History().CallCount(), 1u);
        fw::FileHandle holder(CreateFileA(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        log.Clear();
        EXPECT_EQ(log.History().CallCount(), 1u);
    }
    EXPECT_EQ(ReadFile(), "# Voxtelo calls 1\r\n" + line);

    const std::string earlier = "kept aside before";
    std::ofstream(path + ".bad", std::ios::binary) << earlier;
    WriteFile(std::string(CallLog::kMaxFileBytes + 1, 'x'));
    CallLog log(path);
    log.Load();
    log.Record(call);
    EXPECT_EQ(log.History().CallCount(), 1u);
    std::ostringstream aside;
    aside << std::ifstream(path + ".bad", std::ios::binary).rdbuf();
    EXPECT_EQ(aside.str(), earlier);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, CallLog::kMaxFileBytes + 1);
}

}  // namespace
}  // namespace calllog
