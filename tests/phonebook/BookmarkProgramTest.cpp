// The phone-book editor inside the real main window: created hidden at start-up and owned by
// it, and a save through it reaches the modem's caller names.
#include <gtest/gtest.h>

#include <fstream>

#include "app/VoxteloDlg.h"
#include "framework/Controls.h"
#include "modem/ModemPhone.h"
#include "phonebook/BookmarkDlg.h"
#include "res/resource.h"
#include "tests/support/GuiTest.h"

namespace {

class PhoneBookInTheProgram : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = test::TestProgramFolder() + "Bookmark.ini";
        std::ofstream(path_, std::ios::trunc)
            << "[Alice]\nPhone_Home=\nPhone_Office=\nPhone_Mobile=5551234\n";
        main_ = std::make_unique<CVoxteloDlg>(std::vector<std::string>{"voxtelo.exe"});
        ASSERT_TRUE(main_->CreateModeless(nullptr));
        test::PumpPending();
        book_ = main_->BookmarkDialog();
        ASSERT_NE(book_, nullptr);
    }

    void TearDown() override {
        main_.reset();
        DeleteFileA(path_.c_str());
    }

    std::string path_;
    std::unique_ptr<CVoxteloDlg> main_;
    CBookmarkDlg* book_ = nullptr;
};

TEST_F(PhoneBookInTheProgram, IsCreatedHiddenAtStartUpAndEndsWithTheMainWindow) {
    HWND book = book_->Handle();
    EXPECT_FALSE(IsWindowVisible(book));
    EXPECT_EQ(GetWindow(book, GW_OWNER), main_->Handle());
    main_.reset();
    EXPECT_FALSE(IsWindow(book));
}

TEST_F(PhoneBookInTheProgram, ASavedEntryChangesTheModemsCallerNames) {
    ASSERT_NE(main_->Modem(), nullptr);
    EXPECT_EQ(main_->Modem()->LookupName("5551234"), "Alice");
    EXPECT_EQ(main_->Modem()->LookupName("5559876"), "");

    book_->ShowBeside(POINT{400, 100});
    test::PumpPending();
    fw::Edit name;
    name.Attach(book_->Handle(), IDC_BOOK_NAME);
    fw::Edit mobile;
    mobile.Attach(book_->Handle(), IDC_BOOK_MOBILE);
    SendMessageA(GetDlgItem(book_->Handle(), IDC_BOOK_NEW), BM_CLICK, 0, 0);
    name.SetText("Bert");
    mobile.SetText("5559876");
    SendMessageA(GetDlgItem(book_->Handle(), IDC_BOOK_APPLY), BM_CLICK, 0, 0);

    EXPECT_TRUE(test::WaitUntil([&] { return main_->Modem()->LookupName("5559876") == "Bert"; }));
    EXPECT_EQ(main_->Modem()->LookupName("5551234"), "Alice");
}

}  // namespace
