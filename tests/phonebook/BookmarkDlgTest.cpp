// The phone-book editor as the main window creates it, on the real Bookmark.ini beside the
// test program, with the modem reading the same file. Buttons are clicked, list items pressed
// and keys typed with the messages the system sends; message boxes are answered.
#include "phonebook/BookmarkDlg.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "app/VoxteloDlg.h"
#include "core/Messages.h"
#include "framework/Controls.h"
#include "modem/ModemPhone.h"
#include "res/resource.h"
#include "tests/support/GuiTest.h"

namespace {

using Texts = std::vector<std::string>;

const char kBook[] =
    "[Bob]\r\nPhone_Home=2\r\nPhone_Office=\r\nPhone_Mobile=22\r\n"
    "[Alice]\r\nPhone_Home=1\r\nPhone_Office=11\r\nPhone_Mobile=111\r\n";
const Texts kBookLines = {"[Bob]",   "Phone_Home=2", "Phone_Office=",   "Phone_Mobile=22",
                          "[Alice]", "Phone_Home=1", "Phone_Office=11", "Phone_Mobile=111"};

// Every reload request taken from this thread's queue.
int reloadsTaken = 0;
LRESULT CALLBACK CountReloads(int code, WPARAM removed, LPARAM lParam) {
    const auto* taken = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && removed == PM_REMOVE && taken->message == msg::UM_INTERNAL &&
        taken->wParam == msg::RECIPIENT_MODEM && taken->lParam == msg::EV_BOOK_RELOAD) {
        ++reloadsTaken;
    }
    return CallNextHookEx(nullptr, code, removed, lParam);
}

class PhoneBookDialog : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = test::TestProgramFolder() + "Bookmark.ini";
        WriteBook(kBook);
        main_ = std::make_unique<CVoxteloDlg>(std::vector<std::string>{"voxtelo.exe"});
        ASSERT_TRUE(main_->CreateModeless(nullptr));
        dialog_ = main_->BookmarkDialog();
        ASSERT_NE(dialog_, nullptr);
        hook_ = SetWindowsHookExA(WH_GETMESSAGE, CountReloads, nullptr, GetCurrentThreadId());
        reloadsTaken = 0;
        list_.Attach(dialog_->Handle(), IDC_BOOK_LIST);
        Reopen(kBook);
    }

    void TearDown() override {
        UnhookWindowsHookEx(hook_);
        main_.reset();
        DeleteFileA(path_.c_str());
    }

    void WriteBook(const std::string& bytes) {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
    }

    void Reopen(const std::string& book) {
        WriteBook(book);
        dialog_->Hide();
        dialog_->ShowBeside(POINT{300, 100});
        test::PumpPending();
    }

    // The file's non-blank lines: the layout is the profile functions'.
    Texts BookLines() const {
        std::ifstream in(path_, std::ios::binary);
        Texts lines;
        for (std::string line; std::getline(in, line);) {
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

    Texts Fields() const {
        Texts texts;
        for (int id : {IDC_BOOK_NAME, IDC_BOOK_HOME, IDC_BOOK_OFFICE, IDC_BOOK_MOBILE}) {
            texts.push_back(test::WindowTextA(Item(id)));
        }
        return texts;
    }

    // The list's items in order, the selected one marked with '*'.
    std::string List() const {
        std::string items;
        for (int i = 0; i < list_.GetCount(); ++i) {
            items += (i == list_.GetCurSel() ? " *" : " ") + list_.GetItemText(i);
        }
        return items;
    }

    // Replaces the field's text key by key.
    void Type(int id, const std::string& text) {
        SendMessageA(Item(id), EM_SETSEL, 0, -1);
        SendMessageA(Item(id), WM_CHAR, VK_BACK, 1);
        for (char c : text) {
            SendMessageA(Item(id), WM_CHAR, static_cast<unsigned char>(c), 1);
        }
    }

    // A key pressed in a field and delivered through the message loop.
    void PressKey(WPARAM key) {
        PostMessageA(Item(IDC_BOOK_HOME), WM_KEYDOWN, key, 1);
        test::PumpPending();
    }

    void Click(int id) {
        SendMessageA(Item(id), BM_CLICK, 0, 0);
        test::PumpPending();
    }

    // A press and release of the left button on the list item that shows `text`.
    void ClickItem(const std::string& text) {
        RECT item{};
        SendMessageA(list_.Handle(), LB_GETITEMRECT, list_.FindStringExact(text),
                     reinterpret_cast<LPARAM>(&item));
        const LPARAM point = MAKELPARAM(item.left + 5, item.top + 5);
        SendMessageA(list_.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageA(list_.Handle(), WM_LBUTTONUP, 0, point);
        test::PumpPending();
    }

    std::string path_;
    std::unique_ptr<CVoxteloDlg> main_;
    CBookmarkDlg* dialog_ = nullptr;
    HHOOK hook_ = nullptr;
    fw::ListBox list_;
};

TEST_F(PhoneBookDialog, IsCreatedHiddenAsItsPictureWithTheMagentaCornersCutAway) {
    main_ = std::make_unique<CVoxteloDlg>(std::vector<std::string>{"voxtelo.exe"});
    ASSERT_TRUE(main_->CreateModeless(nullptr));
    HWND book = main_->BookmarkDialog()->Handle();
    EXPECT_FALSE(IsWindowVisible(book));
    EXPECT_EQ(GetWindow(book, GW_OWNER), main_->Handle());
    RECT window{};
    GetWindowRect(book, &window);
    EXPECT_EQ(window.right - window.left, 360);
    EXPECT_EQ(window.bottom - window.top, 200);
    fw::RegionHandle region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(book, region.Get()), ERROR);
    for (POINT outside : {POINT{0, 0}, POINT{5, 0}, POINT{359, 6}, POINT{0, 199}}) {
        EXPECT_FALSE(PtInRegion(region.Get(), outside.x, outside.y)) << outside.x << outside.y;
    }
    for (POINT inside : {POINT{6, 0}, POINT{1, 6}, POINT{0, 7}, POINT{180, 100}}) {
        EXPECT_TRUE(PtInRegion(region.Get(), inside.x, inside.y)) << inside.x << inside.y;
    }
    main_.reset();
    EXPECT_FALSE(IsWindow(book));
}

TEST_F(PhoneBookDialog, CreatesEditsAndDeletesEntriesAndTheModemFollows) {
    EXPECT_EQ(List(), " *Alice Bob");
    EXPECT_EQ(Fields(), (Texts{"Alice", "1", "11", "111"}));
    test::MessageBoxWatcher boxes(IDYES);

    Click(IDC_BOOK_NEW);
    EXPECT_EQ(Fields(), (Texts{"", "", "", ""}));
    EXPECT_EQ(List(), " Alice Bob");
    Type(IDC_BOOK_NAME, "Carol");
    Type(IDC_BOOK_MOBILE, "456");
    Click(IDC_BOOK_APPLY);
    Texts lines = kBookLines;
    lines.insert(lines.end(), {"[Carol]", "Phone_Home=", "Phone_Office=", "Phone_Mobile=456"});
    EXPECT_EQ(BookLines(), lines);
    EXPECT_EQ(List(), " Alice Bob Carol");
    EXPECT_EQ(Fields(), (Texts{"Carol", "", "", "456"}));
    EXPECT_EQ(reloadsTaken, 1);
    EXPECT_EQ(main_->Modem()->LookupName("456"), "Carol");

    // A new name makes a new entry; the old one stays.
    ClickItem("Carol");
    Type(IDC_BOOK_NAME, "Caroline");
    Type(IDC_BOOK_OFFICE, "789");
    Click(IDC_BOOK_APPLY);
    lines.insert(lines.end(),
                 {"[Caroline]", "Phone_Home=", "Phone_Office=789", "Phone_Mobile=456"});
    EXPECT_EQ(BookLines(), lines);
    EXPECT_EQ(reloadsTaken, 2);
    EXPECT_EQ(main_->Modem()->LookupName("789"), "Caroline");

    ClickItem("Carol");
    Click(IDC_BOOK_DELETE);
    lines.erase(lines.begin() + 8, lines.begin() + 12);
    EXPECT_EQ(BookLines(), lines);
    EXPECT_EQ(List(), " *Alice Bob Caroline");
    EXPECT_EQ(Fields(), (Texts{"Alice", "1", "11", "111"}));
    EXPECT_EQ(boxes.Texts(), Texts{"Delete. Are you sure?"});
    EXPECT_EQ(reloadsTaken, 3);
    EXPECT_EQ(main_->Modem()->LookupName("456"), "Caroline");
}

TEST_F(PhoneBookDialog, AsksToSaveChangesOnNewAndOnChoosingAnotherEntry) {
    Texts renamed = kBookLines;
    renamed.insert(renamed.end(),
                   {"[Aaron]", "Phone_Home=1", "Phone_Office=11", "Phone_Mobile=111"});
    const struct {
        int answer;
        bool choose;  // choose Bob, else New
        Texts book;
        std::string list;
        Texts fields;
    } cases[] = {
        {IDYES, false, renamed, " Aaron Alice Bob", {"", "", "", ""}},
        {IDNO, false, kBookLines, " Alice Bob", {"", "", "", ""}},
        // Saved, listed, and the chosen entry found again though it moved down.
        {IDYES, true, renamed, " Aaron Alice *Bob", {"Bob", "2", "", "22"}},
        {IDNO, true, kBookLines, " Alice *Bob", {"Bob", "2", "", "22"}},
    };
    for (const auto& c : cases) {
        Reopen(kBook);
        Type(IDC_BOOK_NAME, "Aaron");
        test::MessageBoxWatcher boxes(c.answer);
        c.choose ? ClickItem("Bob") : Click(IDC_BOOK_NEW);
        EXPECT_EQ(boxes.Texts(), Texts{"Save changes?"}) << c.list;
        EXPECT_EQ(BookLines(), c.book) << c.list;
        EXPECT_EQ(List(), c.list);
        EXPECT_EQ(Fields(), c.fields) << c.list;
    }
    EXPECT_EQ(reloadsTaken, 2);  // one for each Yes
}

TEST_F(PhoneBookDialog, DeleteWithoutAChoiceAsksForOneAndChangesNothing) {
    Click(IDC_BOOK_APPLY);  // leaves nothing selected
    test::MessageBoxWatcher boxes(IDOK);
    Click(IDC_BOOK_DELETE);
    EXPECT_EQ(boxes.Texts(), Texts{"Choose one to delete"});
    EXPECT_EQ(BookLines(), kBookLines);
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
        {IDC_BOOK_OFFICE, "0x1F", "01"},
        {IDC_BOOK_MOBILE, "555 1234", "5551234"},
    };
    for (const auto& c : cases) {
        Type(c.field, c.typed);
        EXPECT_EQ(test::WindowTextA(Item(c.field)), c.kept) << c.typed;
    }
    for (int id : {IDC_BOOK_HOME, IDC_BOOK_OFFICE, IDC_BOOK_MOBILE}) {
        Type(id, thirty);
        EXPECT_EQ(test::WindowTextA(Item(id)), thirty.substr(0, 22)) << id;
    }
}

// Cancel and Close drop what was typed; the keys that close the editor ask first.
TEST_F(PhoneBookDialog, EveryWayOutSavesOrDropsAsAskedAndEachSaveAsksForOneReload) {
    const struct {
        const char* what;
        std::function<void()> act;
        bool saves;
        bool staysShown;
        int answer = 0;  // to "Save changes?"; 0: not asked
    } cases[] = {
        {"Apply", [this] { Click(IDC_BOOK_APPLY); }, true, true},
        {"OK", [this] { Click(IDC_BOOK_OK); }, true, false},
        {"Cancel", [this] { Click(IDCANCEL); }, false, false},
        {"Close", [this] { Click(IDC_BOOK_CLOSE); }, false, false},
        {"Enter, Yes", [this] { PressKey(VK_RETURN); }, true, false, IDYES},
        {"Escape, No", [this] { PressKey(VK_ESCAPE); }, false, false, IDNO},
        {"Alt+F4, Yes", [this] { dialog_->Send(WM_CLOSE); }, true, false, IDYES},
    };
    for (const auto& c : cases) {
        Reopen(kBook);
        reloadsTaken = 0;
        Type(IDC_BOOK_HOME, "999");
        test::MessageBoxWatcher boxes(c.answer ? c.answer : IDOK);
        c.act();
        test::PumpPending();
        EXPECT_EQ(boxes.Texts(), c.answer ? Texts{"Save changes?"} : Texts{}) << c.what;
        Texts lines = kBookLines;
        lines[5] = c.saves ? "Phone_Home=999" : "Phone_Home=1";
        EXPECT_EQ(BookLines(), lines) << c.what;
        EXPECT_EQ(reloadsTaken, c.saves ? 1 : 0) << c.what;
        EXPECT_EQ(dialog_->IsVisible(), c.staysShown) << c.what;
    }
}

// Under Wine run as root the read-only attribute does not stop a write, so another handle holds
// the file open and denies writing: the profile functions then fail as on a read-only file.
TEST_F(PhoneBookDialog, AFileThatCannotBeWrittenIsReportedAndNothingTypedIsLost) {
    const std::string cannot = "Cannot write the phone book file\n" + path_ + "\n\nThe entry is ";
    const struct {
        const char* what;
        std::function<void()> act;
        Texts boxes;
    } cases[] = {
        {"Apply", [this] { Click(IDC_BOOK_APPLY); }, {cannot + "not saved."}},
        {"OK", [this] { Click(IDC_BOOK_OK); }, {cannot + "not saved."}},
        {"New", [this] { Click(IDC_BOOK_NEW); }, {"Save changes?", cannot + "not saved."}},
        {"choosing", [this] { ClickItem("Bob"); }, {"Save changes?", cannot + "not saved."}},
        {"Delete",
         [this] { Click(IDC_BOOK_DELETE); },
         {"Delete. Are you sure?", cannot + "not deleted."}},
    };
    for (const auto& c : cases) {
        Reopen(kBook);
        Type(IDC_BOOK_NAME, "Alicia");
        {
            fw::FileHandle lock(CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(lock.Valid());
            test::MessageBoxWatcher boxes(IDYES);
            c.act();
            EXPECT_EQ(boxes.Texts(), c.boxes) << c.what;
            EXPECT_EQ(Fields(), (Texts{"Alicia", "1", "11", "111"})) << c.what;
            EXPECT_TRUE(dialog_->IsVisible()) << c.what;
            EXPECT_EQ(BookLines(), kBookLines) << c.what;
        }
        // Once the file can be written, the typed entry is still there to be saved.
        test::MessageBoxWatcher boxes(IDYES);
        Click(IDC_BOOK_NEW);
        EXPECT_EQ(boxes.Texts(), Texts{"Save changes?"}) << c.what;
        Texts saved = kBookLines;
        saved.insert(saved.end(),
                     {"[Alicia]", "Phone_Home=1", "Phone_Office=11", "Phone_Mobile=111"});
        EXPECT_EQ(BookLines(), saved) << c.what;
    }
}

TEST_F(PhoneBookDialog, TheStoresProbeNameIsRefusedWithAMessage) {
    Type(IDC_BOOK_NAME, " #@@# ");
    test::MessageBoxWatcher boxes(IDOK);
    Click(IDC_BOOK_APPLY);
    EXPECT_EQ(boxes.Texts(), Texts{"The phone book cannot keep an entry named \"#@@#\".\n\n"
                                   "The entry is not saved."});
    EXPECT_EQ(BookLines(), kBookLines);
}

// A name that differs only in letter case, of any letters, is that entry: it keeps its place,
// its spelling and the keys added by hand.
TEST_F(PhoneBookDialog, ANameInAnotherLetterCaseNeverReCreatesTheEntry) {
    const struct {
        std::string existing;
        std::string typed;
    } cases[] = {
        {"Zoe", "ZOE"},
        {"Zoe", "zoe"},
        {"\xC9mile", "\xE9mile"},        // Émile, émile
        {"\xC6r\xF8", "\xE6R\xD8"},      // Ærø, æRØ
        {"Fran\xE7ois", "FRAN\xC7OIS"},  // François, FRANÇOIS
    };
    for (const auto& c : cases) {
        const std::string book = "[" + c.existing + "]\r\nNote=by hand\r\nPhone_Mobile=1\r\n";
        Reopen(book + kBook);
        Click(IDC_BOOK_NEW);
        Type(IDC_BOOK_NAME, c.typed);
        Type(IDC_BOOK_MOBILE, "42");
        Click(IDC_BOOK_APPLY);

        Texts expected = {"[" + c.existing + "]", "Note=by hand", "Phone_Mobile=42",
                          "Phone_Home=", "Phone_Office="};
        expected.insert(expected.end(), kBookLines.begin(), kBookLines.end());
        EXPECT_EQ(BookLines(), expected) << c.typed;
    }
}

}  // namespace
