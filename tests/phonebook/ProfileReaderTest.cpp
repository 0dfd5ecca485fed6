// The store's reads against the profile functions themselves: a corpus of tricky Bookmark.ini
// files, written by hand and generated, each read both ways, with identical results (the
// files are made read-only first, so that the store's probe leaves them as they are); and
// saves into the same files, which must succeed.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "phonebook/BookmarkStore.h"
#include "tests/phonebook/BookFolder.h"

namespace {

using Names = std::vector<std::string>;

// A text with zero bytes in it, whole.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

// Windows-1252 bytes as UTF-8, UTF-16LE (1200) or UTF-16BE (1201), with their byte-order mark.
std::string Encoded(const std::string& bytes, UINT codePage) {
    std::wstring wide(bytes.size(), L'\0');
    wide.resize(MultiByteToWideChar(1252, 0, bytes.data(), static_cast<int>(bytes.size()),
                                    wide.data(), static_cast<int>(wide.size())));
    if (codePage == CP_UTF8) {
        std::string utf8(wide.size() * 3, '\0');
        utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                        utf8.data(), static_cast<int>(utf8.size()), nullptr,
                                        nullptr));
        return "\357\273\277" + utf8;
    }
    const bool bigEndian = codePage == 1201;
    std::string file = bigEndian ? "\376\377" : "\377\376";
    for (wchar_t unit : wide) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        file += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return file;
}

// Letters are Windows-1252, in octal: \311 and \351 are E and e acute, \212 and \232 S and s
// caron, \377 and \237 y and Y diaeresis.
const std::vector<std::string> kHandwritten = {
    // The format as the store writes it, and as people type it.
    "[Alice]\r\nPhone_Home=1111\r\nPhone_Office=2222\r\nPhone_Mobile=3333\r\n"
    "[Bob]\r\nPhone_Home=\r\nPhone_Office=\r\nPhone_Mobile=4444\r\n",
    "[Alice]\nPhone_Home=1\n[Bob]\nPhone_Mobile=2",
    "[Alice]\rPhone_Home=1\r[Bob]\rPhone_Mobile=2\r",
    "\n\r[Alice]\n\r\n\rPhone_Home=1\r\r\n[Bob]\r\n\r\n\r\nPhone_Mobile=2\r\n\r\n",
    // White space around everything, and what is not white space.
    "  [ Alice ]  \r\n\tPhone_Home \t=\t 1111 \t\r\n \013 Phone_Office\014=\0322\032\r\n",
    "[\013Bob\014]\r\nPhone_Home=\0322\032\r\n[\240Carol\240]\r\nPhone_Home=\2403\240\r\n",
    "[\205Dan\205]\r\nPhone_Home=\2054\205\r\n[Eve\t\t]\r\n\tPhone_Home\t\r\nPhone_Mobile  =  \r\n",
    // Letter case of names and keys; duplicates that differ in it.
    "[ALICE]\r\nphone_home=1\r\nPHONE_HOME=2\r\n[alice]\r\nPhone_Home=3\r\nPhone_Mobile=4\r\n",
    "[\311lise]\r\nPhone_Home=1\r\n[\351lise]\r\nPhone_Home=2\r\n[\212arka]\r\nPhone_Home=3\r\n"
    "[\232ARKA]\r\nPhone_Home=4\r\n[\377]\r\nPhone_Home=5\r\n[\237]\r\nPhone_Home=6\r\n",
    // Quotes.
    "[Q]\r\nPhone_Home=\"1111\"\r\nPhone_Office='2222'\r\nPhone_Mobile=\"3333'\r\n"
    "[R]\r\nPhone_Home=\"\r\nPhone_Office=''\r\nPhone_Mobile=\" spaced \"\r\n"
    "[S]\r\nPhone_Home=\"a\"b\"\r\nPhone_Office='\"'\r\nPhone_Mobile=\"'\r\n",
    // Comments are lines like any other.
    ";[NotASection]\r\n[Dan] ; after the header\r\n; Phone_Home=9\r\n;Phone_Home=8\r\n"
    "#Phone_Office=7\r\nPhone_Mobile=6 ; after the value\r\nno equals sign\r\n",
    // Duplicate sections and keys: the first of each counts.
    "[Bob]\r\nPhone_Home=1\r\nPhone_Home=2\r\n[Carol]\r\nPhone_Home=5\r\n[Bob]\r\nPhone_Home=3\r\n"
    "Phone_Mobile=4\r\n[bob]\r\nPhone_Office=5\r\n",
    // ']' and '=' in names, and headers that are not.
    "[a]b]\r\nPhone_Home=1\r\n[x=y]\r\nPhone_Home=2\r\n[[double]]\r\nPhone_Home=3\r\n[open\r\n"
    "Phone_Home=4\r\n]close[\r\nPhone_Home=5\r\n[]\r\nPhone_Home=6\r\n[ ]\r\nPhone_Home=7\r\n"
    "[=]\r\nPhone_Home=8\r\n[tail] x]\r\nPhone_Home=9\r\n",
    // Keys before the first section, and keys without a name.
    "Phone_Home=0\r\n=1\r\n=2\r\n[S]\r\n=3\r\nPhone_Home=\r\n=4\r\n=5\r\n[T]\r\n=6\r\n=7\r\n",
    "[#@@#]\r\nPhone_Home=1\r\n[Ann]\r\nPhone_Home=2\r\n",
    // Values and name lists beyond the 512-byte steps; a quoted value that the former growing
    // buffer cut short.
    "[Long]\r\nPhone_Home=" + std::string(511, '1') + "\r\nPhone_Office=" + std::string(513, '2') +
        "\r\nPhone_Mobile=\"" + std::string(511, '3') + "\"\r\n[" + std::string(600, 'N') +
        "]\r\nPhone_Home=\"" + std::string(1022, '4') + "\"\r\n",
    // Zero bytes end a name or value.
    Bytes("[Al\0ice]\r\nPhone_Home=12\0 34\r\n[\0Hidden]\r\nPhone_Home=5\r\nPhone\0_Office=6\r\n"),
    // Encodings: marks decide; characters the ANSI code page lacks; broken UTF-8.
    Encoded("[\311lise]\r\nPhone_Home=1\r\n[B\366b]\r\nPhone_Mobile=\351\r\n", CP_UTF8),
    "\357\273\277[\316\251mega]\r\nPhone_Home=\316\251\r\n[Bad\377\303]\r\nPhone_Home=\342\202\r\n",
    Encoded("[\311lise]\r\nPhone_Home=1\r\n[Bob]\r\nPhone_Mobile=2\r\n", 1200),
    Encoded("[\311lise]\r\nPhone_Home=1\r\n[Bob]\r\nPhone_Mobile=2\r\n", 1201),
    Bytes("\377\376[\0A\0]\0\n\0P\0h\0o\0n\0e\0_\0H\0o\0m\0e\0=\0\072\004\n\0"),
    "\377\376[Ann]\r\nPhone_Home=1\r\n",  // looks like ANSI, reads as UTF-16
    // Bytes the code page leaves undefined, and nearly empty files.
    "[\201\215\217\220\235]\r\nPhone_Home=\201\r\n",
    "",
    "[",
    "\357\273\277",
    "\377\376",
    "[A]",
};

// A file of random lines built from the pieces that matter to the format.
std::string Generate(std::mt19937& random) {
    using Pieces = std::vector<std::string>;
    static const Pieces kIndents = {"", "", " ", "\t", "\032"};
    static const Pieces kNames = {
        "Alice",    "alice",      "ALICE", "Bob",   " Bob",     "Bob ",     "b\tob",
        "a]b",      "a=b",        "#@@#",  "",      "\311lise", "\351lise", "\212arka",
        "\232arka", "Phone_Home", "'q'",   "\"q\"", "x\032y",   "\240nb",   "\201\215"};
    static const Pieces kHeaderEnds = {"]", "]", "]", "] ;c", "]]", "", "] x"};
    static const Pieces kKeys = {
        "Phone_Home", "phone_home", "PHONE_OFFICE", "Phone_Office", "Phone_Mobile", " Phone_Mobile",
        "",           "k",          ";c",           "[k",           "#@@#"};
    static const Pieces kEquals = {"=", "=", " = ", "\t=", "==", "= ", ""};
    static const Pieces kValues = {"",     "1111", " 22 ", "\"3\"", "'4'",  "\"",
                                   "'5\"", "x=y",  "[z]",  "\351",  "\"\"", "6\032"};
    static const Pieces kJunk = {";comment", "#x", "=", "==", "\032", " ", "[", "]", "\t\013\014"};
    static const Pieces kLineEnds = {"\r\n", "\r\n", "\n", "\r", "\n\r", "\r\r\n", ""};
    const auto pick = [&random](const Pieces& pieces) {
        return pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(random)];
    };
    std::string body;
    for (int i = std::uniform_int_distribution<int>(0, 14)(random); i > 0; --i) {
        const int kind = std::uniform_int_distribution<int>(0, 9)(random);
        if (kind < 4) {
            body += pick(kIndents) + "[" + pick(kNames) + pick(kHeaderEnds);
        } else if (kind < 9) {
            body += pick(kIndents) + pick(kKeys) + pick(kEquals) + pick(kValues);
        } else {
            body += pick(kJunk);
        }
        body += pick(kLineEnds);
    }
    switch (std::uniform_int_distribution<int>(0, 11)(random)) {
        case 0:
            return Encoded(body, CP_UTF8);
        case 1:
            return Encoded(body, 1200);
        case 2:
            return Encoded(body, 1201);
        default:
            return body;
    }
}

// What the profile functions give, with buffers large enough for anything in the file.
class Platform {
public:
    Platform(std::string path, size_t fileSize)
        : path_(std::move(path)), size_(static_cast<DWORD>(2 * fileSize + 64)) {}

    Names SectionNames() const {
        std::vector<char> buffer(size_, '\0');
        GetPrivateProfileSectionNamesA(buffer.data(), size_, path_.c_str());
        Names names;
        for (const char* name = buffer.data(); *name != '\0'; name += strlen(name) + 1) {
            names.emplace_back(name);
        }
        return names;
    }
    std::string Value(const std::string& section, const char* key, const char* fallback) const {
        std::vector<char> buffer(size_, '\0');
        GetPrivateProfileStringA(section.c_str(), key, fallback, buffer.data(), size_,
                                 path_.c_str());
        return buffer.data();
    }

private:
    std::string path_;
    DWORD size_;
};

// Names to ask for beyond the listed ones: other letter cases, blanks around, none at all.
Names Variants(const std::string& name) {
    std::string upper = name;
    std::string flipped = name;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        upper[i] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        flipped[i] = static_cast<char>(c >= 0xC0 && c != 0xD7 && c != 0xF7 ? c ^ 0x20 : c);
    }
    return {upper, flipped, " " + name + "\t"};
}

class ProfileReaderTest : public ::testing::Test {
protected:
    // Reads the file every way the store offers and the way the profile functions do.
    void ExpectSameReads(const std::string& bytes, const std::string& label) {
        const std::string path = folder_.Path("book" + std::to_string(files_++) + ".ini");
        booktest::WriteBytes(path, bytes);
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
        const Platform platform(path, bytes.size());
        BookmarkStore store;
        store.SetFile(path.c_str());
        const std::string where = label + ": " + ::testing::PrintToString(bytes);

        const Names names = platform.SectionNames();
        ASSERT_EQ(store.ListNames(), names) << where;

        Names sections = names;
        if (!names.empty()) {
            const Names variants = Variants(names.front());
            sections.insert(sections.end(), variants.begin(), variants.end());
        }
        sections.insert(sections.end(), {"", "Nobody"});
        for (const std::string& section : sections) {
            for (const char* key : kKeys) {
                EXPECT_EQ(store.ReadValue(section.c_str(), key),
                          platform.Value(section, key, nullptr))
                    << where << "\n[" << section << "] " << key;
            }
        }
        for (const char* fallback : {"'quoted'", "trailing  ", "  ", "\"x"}) {
            const std::string section = names.empty() ? "Nobody" : names.back();
            EXPECT_EQ(store.ReadValue(section.c_str(), "Missing", fallback),
                      platform.Value(section, "Missing", fallback))
                << where << "\ndefault " << fallback;
        }

        Names expected, entries;
        for (const std::string& name : names) {
            for (const char* key : {"Phone_Home", "Phone_Office", "Phone_Mobile"}) {
                expected.push_back(name + ": " + platform.Value(name, key, nullptr));
            }
        }
        for (const BookmarkEntry& entry : store.ReadEntries()) {
            for (const std::string* number : {&entry.home, &entry.office, &entry.mobile}) {
                entries.push_back(entry.name + ": " + *number);
            }
        }
        EXPECT_EQ(entries, expected) << where;

        // The name list in the platform's form, for buffers of every interesting size.
        const uint32_t needed = store.ReadSectionNames();
        for (uint32_t size : {0u, 1u, 2u, 3u, 7u, needed - 2, needed - 1, needed, needed + 1}) {
            std::vector<char> list;
            std::vector<char> buffer(size + 1, '\0');
            const DWORD count = GetPrivateProfileSectionNamesA(buffer.data(), size, path.c_str());
            EXPECT_EQ(store.ReadSectionNames(list, size), count) << where << "\nsize " << size;
            EXPECT_EQ(list, buffer) << where << "\nsize " << size;
        }
        EXPECT_EQ(booktest::ReadBytes(path), bytes) << "reading changed the file: " << where;
    }

    // Saves every listed contact and a new one into a writable copy: each save must report
    // success and read back through the profile functions (the reserved name is refused).
    void ExpectSavesSucceed(const std::string& bytes, const std::string& label) {
        const std::string path = folder_.Path("book" + std::to_string(files_++) + ".ini");
        booktest::WriteBytes(path, bytes);
        const std::string where = label + ": " + ::testing::PrintToString(bytes);
        BookmarkStore store;
        store.SetFile(path.c_str());
        Names names = store.ListNames();
        names.push_back("New contact");
        int number = 100;
        for (const std::string& name : names) {
            const std::string home = std::to_string(number++);
            if (name == BookmarkStore::kProbeSection) {
                // A leftover of the old probe is listed, but the name is refused.
                EXPECT_FALSE(store.SaveEntry(name.c_str(), home.c_str(), "", "9")) << where;
                continue;
            }
            EXPECT_TRUE(store.SaveEntry(name.c_str(), home.c_str(), "", "9"))
                << where << "\n"
                << name << " error " << store.LastWriteError() << "\nnow "
                << ::testing::PrintToString(booktest::ReadBytes(path));
            const Platform platform(path, booktest::ReadBytes(path).size());
            EXPECT_EQ(platform.Value(name, "Phone_Home", nullptr), home) << where << "\n" << name;
        }
    }

    static constexpr const char* kKeys[] = {
        "Phone_Home", "PHONE_home", " Phone_Office\t", "Phone_Mobile", "", ";c", "no equals sign"};

    booktest::BookFolder folder_{"profile-reader"};
    int files_ = 0;
};

TEST_F(ProfileReaderTest, FilesReadAsTheProfileFunctionsReadThem) {
    for (size_t i = 0; i < kHandwritten.size(); ++i) {
        ExpectSameReads(kHandwritten[i], "handwritten file " + std::to_string(i));
    }
    std::mt19937 random(20240607);
    for (int i = 0; i < 60 && !HasFatalFailure(); ++i) {
        ExpectSameReads(Generate(random), "generated file " + std::to_string(i));
    }
}

// The other side of reporting failed writes: no tricky file makes a save that worked look
// failed.
TEST_F(ProfileReaderTest, SavesIntoTrickyFilesAreReportedDoneAndReadBack) {
    for (size_t i = 0; i < kHandwritten.size(); ++i) {
        ExpectSavesSucceed(kHandwritten[i], "handwritten file " + std::to_string(i));
    }
    std::mt19937 random(7);
    for (int i = 0; i < 8; ++i) {
        ExpectSavesSucceed(Generate(random), "generated file " + std::to_string(i));
    }
}

}  // namespace
