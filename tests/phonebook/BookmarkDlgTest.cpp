// The phone-book editor on the real Bookmark.ini beside the test program, owned by a stand-in
// main window that counts the reloads it is asked for. Buttons are clicked, list items pressed
// and keys typed with the messages the system would send; message boxes are answered.
#include "phonebook/BookmarkDlg.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "core/Messages.h"
#include "framework/Controls.h"
#include "res/resource.h"
#include "tests/support/BackendHost.h"
#include "tests/support/GuiTest.h"

namespace {

using Texts = std::vector<std::string>;

const char kBook[] =
    "[Bob]\r\nPhone_Home=2\r\nPhone_Office=\r\nPhone_Mobile=22\r\n"
    "[Alice]\r\nPhone_Home=1\r\nPhone_Office=11\r\nPhone_Mobile=111\r\n";
const Texts kBookLines = {"[Bob]",   "Phone_Home=2", "Phone_Office=",   "Phone_Mobile=22",
                          "[Alice]", "Phone_Home=1", "Phone_Office=11", "Phone_Mobile=111"};

class PhoneBookDialog : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = test::TestProgramFolder() + "Bookmark.ini";
        WriteBook(kBook);
        host_ = std::make_unique<test::BackendHost>();
        ASSERT_TRUE(host_->CreateModeless(nullptr));
        host_->modemEvent = [this](int code) {
            reloads_ += code == msg::EV_BOOK_RELOAD ? 1 : 0;
            return 1;
        };
        dialog_ = fw::Dialog::CreateSelfOwned(std::make_unique<CBookmarkDlg>(), host_->Handle());
        ASSERT_NE(dialog_, nullptr);
        ASSERT_TRUE(dialog_->InitSkin());
        list_.Attach(dialog_->Handle(), IDC_BOOK_LIST);
        ShowDialog();
    }

    void TearDown() override {
        host_.reset();  // takes the owned editor with it
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path_.c_str());
    }

    void ShowDialog() {
        dialog_->ShowBeside(POINT{300, 100});
        test::PumpPending();
    }

    void WriteBook(const std::string& bytes) {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
    }

    // The file's non-blank lines: the layout is the profile functions'.
    Texts BookLines() const {
        std::ifstream in(path_, std::ios::binary);
        Texts lines;
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

    HWND Item(int id) const { return GetDlgItem(dialog_->Handle(), id); }

    // Name, home, office, mobile.
    Texts Fields() const {
        Texts texts;
        for (int id : {IDC_BOOK_NAME, IDC_BOOK_HOME, IDC_BOOK_OFFICE, IDC_BOOK_MOBILE}) {
            texts.push_back(test::WindowTextA(Item(id)));
        }
        return texts;
    }

    Texts ListItems() const {
        Texts items;
        for (int i = 0; i < list_.GetCount(); ++i) {
            items.push_back(list_.GetItemText(i));
        }
        return items;
    }

    std::string Selected() const {
        const int selected = list_.GetCurSel();
        return selected == LB_ERR ? "(none)" : list_.GetItemText(selected);
    }

    // Replaces the field's text by typing, key by key.
    void Type(int id, const std::string& text) {
        HWND field = Item(id);
        SetFocus(field);
        SendMessageA(field, EM_SETSEL, 0, -1);
        SendMessageA(field, WM_CHAR, VK_BACK, 1);
        for (char c : text) {
            SendMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 1);
        }
    }

    // A key pressed in the home field, through the message loop as the system delivers it.
    void PressKey(WPARAM key) {
        PostMessageA(Item(IDC_BOOK_HOME), WM_KEYDOWN, key, 1);
        PostMessageA(Item(IDC_BOOK_HOME), WM_KEYUP, key, 0xC0000001);
        test::PumpPending();
    }

    void Click(int id) {
        SendMessageA(Item(id), BM_CLICK, 0, 0);
        test::PumpPending();
    }

    // Presses and releases the left button on the list item that shows `text`.
    void ClickItem(const std::string& text) {
        const int index = list_.FindStringExact(text);
        ASSERT_NE(index, LB_ERR) << text;
        RECT rect{};
        SendMessageA(list_.Handle(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
        const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        SendMessageA(list_.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageA(list_.Handle(), WM_LBUTTONUP, 0, point);
        test::PumpPending();
    }

    std::string path_;
    std::unique_ptr<test::BackendHost> host_;
    CBookmarkDlg* dialog_ = nullptr;
    fw::ListBox list_;
    int reloads_ = 0;
};

TEST_F(PhoneBookDialog, IsItsPictureWithTheMagentaCornersCutAway) {
    RECT window{};
    GetWindowRect(dialog_->Handle(), &window);
    EXPECT_EQ(window.right - window.left, 360);
    EXPECT_EQ(window.bottom - window.top, 200);
    fw::RegionHandle region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(dialog_->Handle(), region.Get()), ERROR);
    const struct {
        POINT point;
        bool inside;
    } points[] = {
        {{0, 0}, false},     {{5, 0}, false},     {{0, 5}, false},    {{6, 0}, true},
        {{359, 0}, false},   {{353, 0}, true},    {{0, 199}, false},  {{359, 199}, false},
        {{358, 198}, false}, {{359, 193}, false}, {{359, 192}, true}, {{180, 100}, true},
    };
    for (const auto& p : points) {
        EXPECT_EQ(PtInRegion(region.Get(), p.point.x, p.point.y) != FALSE, p.inside)
            << p.point.x << "," << p.point.y;
    }
}

TEST_F(PhoneBookDialog, CreatesEditsAndDeletesEntries) {
    EXPECT_EQ(ListItems(), (Texts{"Alice", "Bob"}));
    EXPECT_EQ(Selected(), "Alice");
    EXPECT_EQ(Fields(), (Texts{"Alice", "1", "11", "111"}));

    test::MessageBoxWatcher boxes(IDYES);
    Click(IDC_BOOK_NEW);
    EXPECT_EQ(Fields(), (Texts{"", "", "", ""}));
    Type(IDC_BOOK_NAME, "Carol");
    Type(IDC_BOOK_HOME, "123");
    Type(IDC_BOOK_MOBILE, "456");
    Click(IDC_BOOK_APPLY);
    Texts lines = kBookLines;
    lines.insert(lines.end(), {"[Carol]", "Phone_Home=123", "Phone_Office=", "Phone_Mobile=456"});
    EXPECT_EQ(BookLines(), lines);
    EXPECT_EQ(ListItems(), (Texts{"Alice", "Bob", "Carol"}));
    EXPECT_EQ(Selected(), "(none)");
    EXPECT_EQ(Fields(), (Texts{"Carol", "123", "", "456"}));

    // A new name is a new entry: the old one stays.
    ClickItem("Carol");
    Type(IDC_BOOK_NAME, "Caroline");
    Type(IDC_BOOK_OFFICE, "789");
    Click(IDC_BOOK_APPLY);
    lines.insert(lines.end(),
                 {"[Caroline]", "Phone_Home=123", "Phone_Office=789", "Phone_Mobile=456"});
    EXPECT_EQ(BookLines(), lines);
    EXPECT_EQ(ListItems(), (Texts{"Alice", "Bob", "Carol", "Caroline"}));

    ClickItem("Carol");
    EXPECT_EQ(Fields(), (Texts{"Carol", "123", "", "456"}));
    Click(IDC_BOOK_DELETE);
    lines.erase(lines.begin() + 8, lines.begin() + 12);
    EXPECT_EQ(BookLines(), lines);
    EXPECT_EQ(ListItems(), (Texts{"Alice", "Bob", "Caroline"}));
    EXPECT_EQ(Selected(), "Alice");
    EXPECT_EQ(Fields(), (Texts{"Alice", "1", "11", "111"}));

    // Only the edits asked anything, and only the deletion asked.
    EXPECT_EQ(boxes.Texts(), Texts{"Delete. Are you sure?"});
    EXPECT_EQ(reloads_, 2);  // one per Apply, none for the deletion
}

TEST_F(PhoneBookDialog, AsksToSaveChangesOnNewAndOnChoosingAnotherEntry) {
    const struct {
        const char* what;
        int answer;
        bool select;  // choose Bob, else New
        Texts book;
        Texts fields;
    } cases[] = {
        {"New, Yes",
         IDYES,
         false,
         {"[Bob]", "Phone_Home=2", "Phone_Office=", "Phone_Mobile=22", "[Alice]", "Phone_Home=999",
          "Phone_Office=11", "Phone_Mobile=111"},
         {"", "", "", ""}},
        {"New, No", IDNO, false, kBookLines, {"", "", "", ""}},
        {"Bob, Yes",
         IDYES,
         true,
         {"[Bob]", "Phone_Home=2", "Phone_Office=", "Phone_Mobile=22", "[Alice]", "Phone_Home=999",
          "Phone_Office=11", "Phone_Mobile=111"},
         {"Bob", "2", "", "22"}},
        {"Bob, No", IDNO, true, kBookLines, {"Bob", "2", "", "22"}},
    };
    for (const auto& c : cases) {
        WriteBook(kBook);
        dialog_->Hide();
        ShowDialog();
        Type(IDC_BOOK_HOME, "999");
        test::MessageBoxWatcher boxes(c.answer);
        if (c.select) {
            ClickItem("Bob");
        } else {
            Click(IDC_BOOK_NEW);
        }
        EXPECT_EQ(boxes.Texts(), Texts{"Save changes?"}) << c.what;
        EXPECT_EQ(BookLines(), c.book) << c.what;
        EXPECT_EQ(Fields(), c.fields) << c.what;
    }
    EXPECT_EQ(reloads_, 0);
}

TEST_F(PhoneBookDialog, ANewEntrySavedOnChoosingAnotherIsListedAndTheChosenOneShown) {
    test::MessageBoxWatcher boxes(IDYES);
    Click(IDC_BOOK_NEW);
    Type(IDC_BOOK_NAME, "Aaron");  // sorts first: the chosen entry moves down the list
    Type(IDC_BOOK_MOBILE, "77");
    ClickItem("Bob");
    EXPECT_EQ(ListItems(), (Texts{"Aaron", "Alice", "Bob"}));
    EXPECT_EQ(Selected(), "Bob");
    EXPECT_EQ(Fields(), (Texts{"Bob", "2", "", "22"}));
    EXPECT_EQ(BookLines().back(), "Phone_Mobile=77");
}

TEST_F(PhoneBookDialog, DeleteWithoutAChoiceAsksForOneAndChangesNothing) {
    Click(IDC_BOOK_APPLY);  // leaves the list without a selection
    ASSERT_EQ(Selected(), "(none)");
    test::MessageBoxWatcher boxes(IDOK);
    Click(IDC_BOOK_DELETE);
    EXPECT_EQ(boxes.Texts(), Texts{"Choose one to delete"});
    EXPECT_EQ(BookLines(), kBookLines);
    EXPECT_EQ(ListItems(), (Texts{"Alice", "Bob"}));
}

TEST_F(PhoneBookDialog, NumbersTakeDigitsOnlyAndEveryFieldAtMost22Characters) {
    const std::string thirty = "123456789012345678901234567890";
    const struct {
        int field;
        std::string typed;
        std::string kept;
    } cases[] = {
        {IDC_BOOK_NAME, "Anna-Lena 2", "Anna-Lena 2"},
        {IDC_BOOK_NAME, "abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrstuv"},
        {IDC_BOOK_HOME, "+49 (30) 12-ab34", "49301234"},
        {IDC_BOOK_HOME, thirty, thirty.substr(0, 22)},
        {IDC_BOOK_OFFICE, "0x1F", "01"},
        {IDC_BOOK_OFFICE, thirty, thirty.substr(0, 22)},
        {IDC_BOOK_MOBILE, "555 1234", "5551234"},
        {IDC_BOOK_MOBILE, thirty, thirty.substr(0, 22)},
    };
    for (const auto& c : cases) {
        Type(c.field, c.typed);
        EXPECT_EQ(test::WindowTextA(Item(c.field)), c.kept) << c.typed;
    }
}

TEST_F(PhoneBookDialog, OnlyApplyAndOkSaveAndAskTheModemToReload) {
    const struct {
        const char* what;
        std::function<void()> act;
        bool saves;
        int reloads;
        bool staysShown;
    } cases[] = {
        {"Apply", [this] { Click(IDC_BOOK_APPLY); }, true, 1, true},
        {"OK", [this] { Click(IDC_BOOK_OK); }, true, 1, false},
        {"Cancel", [this] { Click(IDCANCEL); }, false, 0, false},
        {"Close", [this] { Click(IDC_BOOK_CLOSE); }, false, 0, false},
        {"Enter", [this] { PressKey(VK_RETURN); }, false, 0, false},
        {"Escape", [this] { PressKey(VK_ESCAPE); }, false, 0, false},
        {"Alt+F4", [this] { dialog_->Send(WM_CLOSE); }, false, 0, false},
    };
    for (const auto& c : cases) {
        WriteBook(kBook);
        reloads_ = 0;
        dialog_->Hide();
        ShowDialog();
        Type(IDC_BOOK_HOME, "999");
        c.act();
        test::PumpPending();
        EXPECT_EQ(BookLines()[5], c.saves ? "Phone_Home=999" : "Phone_Home=1") << c.what;
        EXPECT_EQ(reloads_, c.reloads) << c.what;
        EXPECT_EQ(dialog_->IsVisible(), c.staysShown) << c.what;
    }
}

TEST_F(PhoneBookDialog, ABlankNameWritesNothingButStillAsksForTheReload) {
    Click(IDC_BOOK_NEW);
    Type(IDC_BOOK_NAME, "   ");
    Type(IDC_BOOK_HOME, "5");
    Click(IDC_BOOK_APPLY);
    EXPECT_EQ(BookLines(), kBookLines);
    EXPECT_EQ(reloads_, 1);
}

// Under Wine run as root the read-only attribute does not stop a write, so the file is held
// open by another handle that denies writing: the profile functions then fail as they do on
// a read-only file.
TEST_F(PhoneBookDialog, AFileThatCannotBeWrittenIsReportedAndNothingTypedIsLost) {
    const std::string notSaved =
        "Cannot write the phone book file\n" + path_ + "\n\nThe entry is not saved.";
    const struct {
        const char* what;
        std::function<void()> act;
        Texts boxes;
    } cases[] = {
        {"Apply", [this] { Click(IDC_BOOK_APPLY); }, {notSaved}},
        {"OK", [this] { Click(IDC_BOOK_OK); }, {notSaved}},
        {"New", [this] { Click(IDC_BOOK_NEW); }, {"Save changes?", notSaved}},
        {"choosing Bob", [this] { ClickItem("Bob"); }, {"Save changes?", notSaved}},
    };
    for (const auto& c : cases) {
        WriteBook(kBook);
        dialog_->Hide();
        ShowDialog();
        Type(IDC_BOOK_NAME, "Alicia");
        Type(IDC_BOOK_HOME, "999");
        {
            fw::FileHandle lock(CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(lock.Valid());
            test::MessageBoxWatcher boxes(IDYES);
            c.act();
            EXPECT_EQ(boxes.Texts(), c.boxes) << c.what;
            EXPECT_EQ(Fields(), (Texts{"Alicia", "999", "11", "111"})) << c.what;
            EXPECT_TRUE(dialog_->IsVisible()) << c.what;
            EXPECT_EQ(BookLines(), kBookLines) << c.what;
        }
        // Once the file can be written, the typed entry still counts as unsaved.
        test::MessageBoxWatcher boxes(IDYES);
        Click(IDC_BOOK_NEW);
        EXPECT_EQ(boxes.Texts(), Texts{"Save changes?"}) << c.what;
        EXPECT_EQ(BookLines().back(), "Phone_Mobile=111") << c.what;
        EXPECT_EQ(BookLines()[8], "[Alicia]") << c.what;
    }
}

TEST_F(PhoneBookDialog, ADeletionThatCannotBeWrittenIsReported) {
    fw::FileHandle lock(CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.Valid());
    test::MessageBoxWatcher boxes(IDYES);
    Click(IDC_BOOK_DELETE);
    EXPECT_EQ(boxes.Texts(),
              (Texts{"Delete. Are you sure?", "Cannot write the phone book file\n" + path_ +
                                                  "\n\nThe entry is not deleted."}));
    EXPECT_EQ(BookLines(), kBookLines);
    EXPECT_EQ(Fields(), (Texts{"Alice", "1", "11", "111"}));
}

// An entry whose name differs only in letter case is that entry: it keeps its place and the
// keys added by hand. Whether two non-ASCII spellings are one name is the profile functions'
// matter, so each case asks them first; either way nothing is ever re-created.
TEST_F(PhoneBookDialog, ANameInAnotherLetterCaseNeverReCreatesTheEntry) {
    const struct {
        const char* existing;
        const char* typed;
    } cases[] = {
        {"Zoe", "ZOE"},
        {"Zoe", "zoe"},
        {"\xC9mile", "\xE9mile"},        // Émile, émile
        {"\xC6r\xF8", "\xE6R\xD8"},      // Ærø, æRØ
        {"Fran\xE7ois", "FRAN\xC7OIS"},  // François, FRANÇOIS
    };
    for (const auto& c : cases) {
        const std::string existing = c.existing;
        const std::string typed = c.typed;
        WriteBook("[" + existing + "]\r\nNote=by hand\r\nPhone_Mobile=1\r\n" + kBook);
        char note[16] = {};
        GetPrivateProfileStringA(c.typed, "Note", "", note, sizeof(note), path_.c_str());
        const bool sameEntry = std::string(note) == "by hand";
        dialog_->Hide();
        ShowDialog();
        test::MessageBoxWatcher boxes(IDYES);
        Click(IDC_BOOK_NEW);
        Type(IDC_BOOK_NAME, typed);
        Type(IDC_BOOK_MOBILE, "42");
        Click(IDC_BOOK_APPLY);

        Texts expected = {"[" + existing + "]", "Note=by hand"};
        if (sameEntry) {
            expected.insert(expected.end(), {"Phone_Mobile=42", "Phone_Home=", "Phone_Office="});
        } else {
            expected.push_back("Phone_Mobile=1");
        }
        expected.insert(expected.end(), kBookLines.begin(), kBookLines.end());
        if (!sameEntry) {
            expected.insert(expected.end(),
                            {"[" + typed + "]", "Phone_Home=", "Phone_Office=", "Phone_Mobile=42"});
        }
        EXPECT_EQ(BookLines(), expected) << typed << (sameEntry ? " (same entry)" : "");
        EXPECT_TRUE(boxes.Texts().empty()) << typed;
    }
}

}  // namespace
