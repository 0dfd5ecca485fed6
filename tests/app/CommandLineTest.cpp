// The "debug" switch and the executable directory rule.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include "core/ExecutableDirectory.h"

namespace {

TEST(DebugSwitch, IsRecognisedWithAtMostOneLeadingMinusOrSlashInAnyCase) {
    struct Case {
        std::vector<std::string> arguments;
        bool debug;
    };
    const Case cases[] = {
        {{"voxtelo.exe"}, false},
        {{"voxtelo.exe", "debug"}, true},
        {{"voxtelo.exe", "-debug"}, true},
        {{"voxtelo.exe", "/DEBUG"}, true},
        {{"voxtelo.exe", "-DeBuG"}, true},
        {{"voxtelo.exe", "--debug"}, false},
        {{"voxtelo.exe", "//debug"}, false},
        {{"voxtelo.exe", "debugger"}, false},
        {{"voxtelo.exe", "-"}, false},
        {{"voxtelo.exe", ""}, false},
        {{"voxtelo.exe", "x", "/debug", "y"}, true},
        // The program name is scanned like every other argument.
        {{"debug"}, true},
        {{"C:\\tools\\debug"}, false},
        {{}, false},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const auto& a : c.arguments) {
            shown += "[" + a + "]";
        }
        EXPECT_EQ(HasDebugSwitch(c.arguments), c.debug) << shown;
    }
}

TEST(ExecutableDirectory, ReplacesTheProgramNameByTheFileName) {
    EXPECT_EQ(PathBesideExecutable("C:\\Program Files\\Voxtelo\\voxtelo.exe", "\\RING.WAV"),
              "C:\\Program Files\\Voxtelo\\RING.WAV");
    EXPECT_EQ(PathBesideExecutable("Z:\\voxtelo.exe", "\\Bookmark.ini"), "Z:\\Bookmark.ini");
    // Only the last backslash counts; forward slashes are ordinary characters.
    EXPECT_EQ(PathBesideExecutable("C:\\a/b\\c/voxtelo.exe", "\\x"), "C:\\a/b\\x");
}

TEST(ExecutableDirectory, KeepsAPathWithoutBackslashWhole) {
    EXPECT_EQ(PathBesideExecutable("voxtelo.exe", "\\RING.WAV"), "voxtelo.exe\\RING.WAV");
    EXPECT_EQ(PathBesideExecutable("", "\\RING.WAV"), "\\RING.WAV");
}

}  // namespace
