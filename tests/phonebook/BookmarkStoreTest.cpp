// BookmarkStore on real files in a private temporary folder: what it reads and what its writes
// leave in the file.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include <sstream>
#include <string>
#include <vector>

#include "core/ExecutableDirectory.h"
#include "framework/Handles.h"
#include "phonebook/BookmarkStore.h"
#include "tests/phonebook/BookFolder.h"

namespace {

using Lines = std::vector<std::string>;

class BookmarkStoreTest : public ::testing::Test {
protected:
    void SetUp() override { store_.SetFile(path_.c_str()); }

    bool FileExists() const { return booktest::FileExists(path_); }
    void WriteFile(const std::string& bytes) { booktest::WriteBytes(path_, bytes); }
    std::string FileBytes() const { return booktest::ReadBytes(path_); }

    // The file's non-blank lines without their line ends: layout is the profile functions'.
    Lines FileLines() const {
        Lines lines;
        std::istringstream in(FileBytes());
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (!line.empty()) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    booktest::BookFolder folder_{std::string("bookmark-") +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name()};
    std::string path_ = folder_.Path("Bookmark.ini");
    BookmarkStore store_;
};

const char kTwoContacts[] =
    "[Alice]\r\nPhone_Home=1111\r\nPhone_Office=2222\r\nPhone_Mobile=3333\r\n"
    "[Bob]\r\nPhone_Home=\r\nPhone_Office=\r\nPhone_Mobile=4444\r\n";

// Greek, which the prefix's code page 1252 lacks, would come back as "?" and open nothing.
TEST_F(BookmarkStoreTest, ABookInAFolderOfAnotherScriptIsFoundThroughItsAnsiPath) {
    const std::string temp = folder_.Path("");
    const std::wstring folder = std::wstring(temp.begin(), temp.end()) + L"\x03a4\x03b7\x03bb";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    store_.SetFile((AnsiPathOf(folder) + "\\Bookmark.ini").c_str());
    EXPECT_TRUE(store_.SaveEntry("Alice", "1", "2", "3"));
    EXPECT_EQ(store_.ListNames(), Lines{"Alice"});
    EXPECT_TRUE(DeleteFileW((folder + L"\\Bookmark.ini").c_str()));
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}

// Reading never writes, not even an empty file.
TEST_F(BookmarkStoreTest, AMissingFileReadsAsAnEmptyBookAndStaysMissing) {
    EXPECT_TRUE(store_.ListNames().empty());
    EXPECT_FALSE(store_.NameExists("Alice"));
    EXPECT_EQ(store_.ReadSectionNames(), 2u);
    EXPECT_EQ(store_.ReadValue("Alice", "Phone_Home"), "");
    EXPECT_FALSE(FileExists());
}

// The largest book read is 64 MiB: one byte more reads as no book.
TEST_F(BookmarkStoreTest, ABookOver64MiBReadsAsEmpty) {
    WriteFile(kTwoContacts);
    {
        fw::FileHandle file(CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        const LARGE_INTEGER end{{(64 << 20) + 1, 0}};
        ASSERT_TRUE(SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) &&
                    SetEndOfFile(file.Get()));
    }
    EXPECT_TRUE(store_.ListNames().empty());
}

TEST_F(BookmarkStoreTest, NamesComeInFileOrder) {
    WriteFile(std::string(kTwoContacts) + "[#@@#]\r\nleft=over\r\n[Carol]\r\nPhone_Home=5\r\n");
    EXPECT_EQ(store_.ListNames(), (Lines{"Alice", "Bob", "#@@#", "Carol"}));
    EXPECT_EQ(store_.ReadValue("Carol", "Phone_Home"), "5");
}

TEST_F(BookmarkStoreTest, NamesMatchWithoutRegardToLetterCase) {
    WriteFile(kTwoContacts);
    const struct {
        const char* name;
        bool exists;
    } rows[] = {
        {"Alice", true}, {"alice", true},  {"ALICE", true}, {"bOB", true},
        {"Alic", false}, {"Alice ", true}, {"", false},     {nullptr, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(store_.NameExists(row.name), row.exists) << (row.name ? row.name : "(none)");
    }
}

TEST_F(BookmarkStoreTest, SavingAnExistingNameInAnyCaseUpdatesItsSectionInPlace) {
    WriteFile(kTwoContacts);
    EXPECT_TRUE(store_.SaveEntry("alice", "9", "", "7"));
    EXPECT_EQ(FileLines(), (Lines{"[Alice]", "Phone_Home=9", "Phone_Office=", "Phone_Mobile=7",
                                  "[Bob]", "Phone_Home=", "Phone_Office=", "Phone_Mobile=4444"}));
}

TEST_F(BookmarkStoreTest, ANameDifferingOnlyInCaseOrBlanksUpdatesThatEntryInPlaceForAnyLetters) {
    const struct {
        const char* stored;
        const char* typed;
    } rows[] = {
        {"Alice", "aLICE"},
        {"Alice", " alice\t"},
        // Windows-1252 in octal: E acute; S caron (beyond Latin-1 in Unicode); y diaeresis,
        // whose capital is far from it; A ring and O slash.
        {"\311lise", "\351LISE"},
        {"\212arka", "\232ARKA"},
        {"\377vonne", "\237VONNE"},
        {"\305sa \330ie", "\345SA \370IE"},
    };
    for (const auto& row : rows) {
        const std::string stored = row.stored;
        WriteFile("[" + stored + "]\r\nPhone_Home=1\r\nNote=by hand\r\n[Zed]\r\nPhone_Home=9\r\n");
        EXPECT_TRUE(store_.NameExists(row.typed)) << row.typed;
        EXPECT_TRUE(store_.SaveEntry(row.typed, "2", "3", "4")) << row.typed;
        EXPECT_EQ(FileLines(), (Lines{"[" + stored + "]", "Phone_Home=2", "Note=by hand",
                                      "Phone_Office=3", "Phone_Mobile=4", "[Zed]", "Phone_Home=9"}))
            << row.typed;
    }
}

TEST_F(BookmarkStoreTest, ExistingKeysKeepTheirPlacesWhenUpdated) {
    WriteFile("[Dan]\r\nPhone_Mobile=1\r\nNote=x\r\nPhone_Home=2\r\n[Eve]\r\nPhone_Home=3\r\n");
    EXPECT_TRUE(store_.SaveEntry("DAN", "20", "30", "10"));
    EXPECT_EQ(FileLines(), (Lines{"[Dan]", "Phone_Mobile=10", "Note=x", "Phone_Home=20",
                                  "Phone_Office=30", "[Eve]", "Phone_Home=3"}));
}

TEST_F(BookmarkStoreTest, ANewNameIsAppendedWithAllThreeKeysInOrderEvenWhenEmpty) {
    WriteFile(kTwoContacts);
    EXPECT_TRUE(store_.SaveEntry("Carol", "", "", ""));
    EXPECT_TRUE(store_.SaveEntry("Dave", "", "5", ""));
    const Lines lines = FileLines();
    ASSERT_EQ(lines.size(), 16u) << FileBytes();
    EXPECT_EQ(Lines(lines.begin() + 8, lines.end()),
              (Lines{"[Carol]", "Phone_Home=", "Phone_Office=", "Phone_Mobile=", "[Dave]",
                     "Phone_Home=", "Phone_Office=5", "Phone_Mobile="}));
    EXPECT_EQ(store_.ListNames(), (Lines{"Alice", "Bob", "Carol", "Dave"}));
}

TEST_F(BookmarkStoreTest, SavingIntoAMissingFileCreatesIt) {
    EXPECT_TRUE(store_.SaveEntry("Zed", "1", "2", "3"));
    EXPECT_EQ(FileLines(), (Lines{"[Zed]", "Phone_Home=1", "Phone_Office=2", "Phone_Mobile=3"}));
}

TEST_F(BookmarkStoreTest, CreateSectionRefusesAnExistingNameOrRecreatesItEmptyAtTheEnd) {
    WriteFile(kTwoContacts);
    EXPECT_FALSE(store_.CreateSection("ALICE", true));
    EXPECT_EQ(FileBytes(), kTwoContacts);
    EXPECT_FALSE(store_.CreateSection(nullptr, false));
    EXPECT_EQ(FileBytes(), kTwoContacts);

    EXPECT_TRUE(store_.CreateSection("Alice", false));
    EXPECT_EQ(store_.ListNames(), (Lines{"Bob", "Alice"}));
    EXPECT_EQ(store_.ReadValue("Alice", "Phone_Home"), "");
}

TEST_F(BookmarkStoreTest, DeleteSectionRemovesTheContactWithItsKeysOnly) {
    WriteFile(kTwoContacts);
    EXPECT_TRUE(store_.DeleteSection("alice"));
    EXPECT_EQ(FileLines(), (Lines{"[Bob]", "Phone_Home=", "Phone_Office=", "Phone_Mobile=4444"}));
    // Blanks around the name address the same section, for deleting as for reading.
    EXPECT_TRUE(store_.DeleteSection(" bob\t"));
    EXPECT_EQ(FileLines(), Lines{});
}

TEST_F(BookmarkStoreTest, ValuesAndNameListsOfAnyLengthAreReadWhole) {
    // Lengths around the 512-byte steps of the read buffers.
    for (size_t length : {0u, 1u, 509u, 510u, 511u, 512u, 513u, 1023u, 1024u, 3000u}) {
        const std::string value(length, 'x');
        ASSERT_TRUE(store_.WriteValue("Long", "Phone_Home", value.c_str()));
        EXPECT_EQ(store_.ReadValue("Long", "Phone_Home"), value) << length;
    }
    Lines names;
    for (int i = 0; i < 120; ++i) {
        names.push_back("Contact number " + std::to_string(1000 + i));
    }
    std::string book;
    for (const std::string& name : names) {
        book += "[" + name + "]\r\nPhone_Home=" + name.substr(15) + "\r\n";
    }
    WriteFile(book);
    EXPECT_EQ(store_.ListNames(), names);
    EXPECT_GT(store_.ReadSectionNames(), 2048u);
    EXPECT_TRUE(store_.NameExists("contact NUMBER 1119"));
}

TEST_F(BookmarkStoreTest, ReadSectionNamesSizesTheListAndFillsItInThePlatformsForm) {
    WriteFile(kTwoContacts);
    const uint32_t size = store_.ReadSectionNames();
    // The list's bytes without its final zero, plus 2.
    EXPECT_EQ(size, sizeof("Alice") + sizeof("Bob") + 2);
    std::vector<char> list;
    EXPECT_EQ(store_.ReadSectionNames(list, size), size - 2);
    ASSERT_EQ(list.size(), size + 1);
    EXPECT_EQ(std::string(list.data(), list.size()), std::string("Alice\0Bob\0\0\0\0", size + 1));
}

TEST_F(BookmarkStoreTest, MissingKeysAndSectionsReadAsTheDefault) {
    WriteFile(kTwoContacts);
    EXPECT_EQ(store_.ReadValue("Alice", "Phone_Fax"), "");
    EXPECT_EQ(store_.ReadValue("Alice", "Phone_Fax", "none"), "none");
    EXPECT_EQ(store_.ReadValue("Nobody", "Phone_Home"), "");
    EXPECT_EQ(store_.ReadValue("Bob", "Phone_Home", "none"), "");
    EXPECT_EQ(store_.ReadValue(nullptr, "Phone_Home", "none"), "none");
    EXPECT_EQ(store_.ReadValue("Alice", nullptr, "none"), "none");
    EXPECT_EQ(store_.ReadValue("Alice", nullptr), "");
}

TEST_F(BookmarkStoreTest, WritesWithoutSectionKeyOrNameTouchNothing) {
    EXPECT_FALSE(store_.WriteValue(nullptr, "Phone_Home", "1"));
    EXPECT_FALSE(store_.WriteValue("Alice", nullptr, "1"));
    EXPECT_FALSE(FileExists());
    WriteFile(kTwoContacts);
    EXPECT_FALSE(store_.WriteValue(nullptr, nullptr, nullptr));
    // A blank name is no contact: it would address the lines before the first section.
    EXPECT_FALSE(store_.SaveEntry(" \t", "1", "2", "3"));
    EXPECT_FALSE(store_.CreateSection(" ", false));
    EXPECT_EQ(FileBytes(), kTwoContacts);
    // A missing value is written as an empty one, not taken as "delete the key".
    EXPECT_TRUE(store_.WriteValue("Alice", "Phone_Home", nullptr));
    EXPECT_EQ(FileLines()[1], "Phone_Home=");
}

TEST_F(BookmarkStoreTest, WithoutAFileNothingIsReadOrWrittenAnywhere) {
    const char kSection[] = "VoxteloStoreWithoutFile";
    for (int pass = 0; pass < 2; ++pass) {
        BookmarkStore store;
        if (pass == 1) {
            store.SetFile(path_.c_str());
            store.SetFile(nullptr);
            ASSERT_TRUE(store.File().has_value());
            EXPECT_EQ(*store.File(), "");
        }
        EXPECT_FALSE(store.WriteValue(kSection, "Phone_Home", "1"));
        EXPECT_FALSE(store.SaveEntry(kSection, "1", "2", "3"));
        EXPECT_FALSE(store.CreateSection(kSection, false));
        EXPECT_FALSE(store.DeleteSection(kSection));
        EXPECT_TRUE(store.ListNames().empty());
        EXPECT_FALSE(store.NameExists(kSection));
        EXPECT_EQ(store.ReadValue(kSection, "Phone_Home", "d"), "d");
    }
    // Nothing went to win.ini, where the profile functions look without a path.
    char text[16] = {};
    GetProfileStringA(kSection, "Phone_Home", "absent", text, sizeof text);
    EXPECT_STREQ(text, "absent");
    EXPECT_FALSE(FileExists());
}

TEST_F(BookmarkStoreTest, AWriteThatDoesNotReachTheFileFailsWithItsReasonAndLosesNothing) {
    const std::string missingFolder = folder_.Path("gone") + "\\Bookmark.ini";
    HANDLE lock = INVALID_HANDLE_VALUE;
    const struct {
        const char* what;
        std::string file;
        std::function<void()> begin, end;
        std::vector<DWORD> reasons;
        bool readable;
    } rows[] = {
        {"read-only file",
         path_,
         [&] { ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY)); },
         [&] { SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL); },
         {ERROR_ACCESS_DENIED},
         true},
        {"file locked by another program",
         path_,
         [&] {
             lock = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
             ASSERT_NE(lock, INVALID_HANDLE_VALUE);
         },
         [&] { CloseHandle(lock); },
         {ERROR_SHARING_VIOLATION},
         false},
        {"missing folder",
         missingFolder,
         [] {},
         [] {},
         {ERROR_PATH_NOT_FOUND, ERROR_FILE_NOT_FOUND},
         false},
        // Every write to this device fails as on a full disk, yet Wine's profile functions
        // report success.
        {"full disk", "Z:\\dev\\full", [] {}, [] {}, {ERROR_DISK_FULL, ERROR_WRITE_FAULT}, false},
    };
    for (const auto& row : rows) {
        WriteFile(kTwoContacts);
        BookmarkStore store;
        store.SetFile(row.file.c_str());
        row.begin();
        // Elsewhere there is no Bob to delete.
        if (row.file == path_) {
            EXPECT_FALSE(store.DeleteSection("Bob")) << row.what;
        }
        const std::vector<std::pair<const char*, bool>> writes = {
            {"update", store.SaveEntry("alice", "9", "9", "9")},
            {"new entry", store.SaveEntry("Carol", "1", "2", "3")},
            {"value", store.WriteValue("Bob", "Phone_Home", "5")},
            {"section", store.CreateSection("Dave", false)},
        };
        for (const auto& [write, result] : writes) {
            EXPECT_FALSE(result) << row.what << ": " << write;
        }
        EXPECT_THAT(row.reasons, ::testing::Contains(store.LastWriteError())) << row.what;
        // Reading goes on, and leaves the file alone.
        if (row.readable) {
            EXPECT_EQ(store.ReadValue("Alice", "Phone_Home"), "1111") << row.what;
        }
        row.end();
        EXPECT_EQ(FileBytes(), kTwoContacts) << row.what;
        EXPECT_FALSE(booktest::FileExists(missingFolder));
    }
}

TEST(BookmarkStoreNames, ForEachNameWalksAListUntilItsEndOrTheVisitorStops) {
    const std::string bytes("Ann\0Bob\0Cid\0\0Ghost\0\0", 21);
    const std::vector<char> list(bytes.begin(), bytes.end());
    Lines seen;
    EXPECT_TRUE(BookmarkStore::ForEachName(list, [&seen](const char* name) {
        seen.push_back(name);
        return true;
    }));
    EXPECT_EQ(seen, (Lines{"Ann", "Bob", "Cid"}));

    seen.clear();
    EXPECT_FALSE(BookmarkStore::ForEachName(list, [&seen](const char* name) {
        seen.push_back(name);
        return std::string(name) != "Bob";
    }));
    EXPECT_EQ(seen, (Lines{"Ann", "Bob"}));

    EXPECT_FALSE(BookmarkStore::ForEachName({}, [](const char*) { return true; }));
    EXPECT_FALSE(BookmarkStore::ForEachName(list, nullptr));
    EXPECT_TRUE(BookmarkStore::ForEachName({'\0'}, [](const char*) { return false; }));

    // A list cut off without its zero bytes ends at its last byte.
    seen.clear();
    const std::vector<char> cut = {'A', 'n', 'n', '\0', 'B', 'o'};
    EXPECT_TRUE(BookmarkStore::ForEachName(cut, [&seen](const char* name) {
        seen.push_back(name);
        return true;
    }));
    EXPECT_EQ(seen, (Lines{"Ann", "Bo"}));
}

}  // namespace
