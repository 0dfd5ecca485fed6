// The skin wired into the main window, hosted in the test with the simulated voice modem:
// the phone book listed and scrolled into place, the picture on screen, fainter without the
// focus, and the widgets gone with the window.
#include "app/VoxteloDlg.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/Messages.h"
#include "tests/support/GuiTest.h"
#include "tests/ui/ScreenCapture.h"
#include "ui/PhoneSkin.h"

namespace ui::testing {
namespace {

std::string BookPath() {
    return test::TestProgramFolder() + "Bookmark.ini";
}

void WriteBook(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::ofstream file(BookPath(), std::ios::trunc);
    for (const auto& [name, home] : entries) {
        file << "[" << name << "]\nPhone_Home=" << home << "\n";
    }
}

std::vector<std::string> BookNames(const PhoneSkin& skin) {
    std::vector<std::string> names;
    for (const ContactItem* item = skin.BookListHead(); item; item = item->Next()) {
        names.push_back(item->Name());
    }
    return names;
}

class MainWindowSkin : public ::testing::Test {
protected:
    void Start() {
        dialog = std::make_unique<CVoxteloDlg>(std::vector<std::string>{"voxtelo.exe"});
        ASSERT_TRUE(dialog->CreateModeless(nullptr));
        dialog->Show(SW_SHOWNORMAL);
        test::PumpPending();
        ASSERT_NE(dialog->Skin(), nullptr);
    }

    void ShowPhone() {
        PostMessageA(dialog->Handle(), msg::UM_PHONE_KEY, 0, 0);
        ASSERT_TRUE(test::WaitUntil([&] { return dialog->IsVisible(); }));
    }

    void TearDown() override {
        if (dialog && IsWindow(dialog->Handle())) {
            SendMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
        }
        dialog.reset();
        DeleteFileA(BookPath().c_str());
    }

    std::unique_ptr<CVoxteloDlg> dialog;
};

TEST_F(MainWindowSkin, ThePhoneBookIsListedGlidesIntoPlaceAndFollowsAReload) {
    WriteBook({{"Ann", "5551001"}, {"Bob", "5551002"}, {"Cid", "5551003"}});
    Start();
    ASSERT_TRUE(test::WaitUntil([&] { return BookNames(*dialog->Skin()).size() == 3; }));
    EXPECT_EQ(BookNames(*dialog->Skin()), (std::vector<std::string>{"Ann", "Bob", "Cid"}));

    ShowPhone();
    // Timer 68 brings the selected head to 10 pixels below the viewport's top.
    const ContactItem* head = dialog->Skin()->BookListHead();
    EXPECT_TRUE(test::WaitUntil([&] { return head->Bounds().top == 81; }));
    EXPECT_EQ(dialog->Skin()->BookListHead()->Next()->Bounds().top, 111);

    WriteBook({{"Dee", "5552001"}});
    PostMessageA(dialog->Handle(), msg::UM_INTERNAL, msg::RECIPIENT_MODEM, msg::EV_BOOK_RELOAD);
    ASSERT_TRUE(test::WaitUntil(
        [&] { return BookNames(*dialog->Skin()) == std::vector<std::string>{"Dee"}; }));
    EXPECT_EQ(dialog->DialString(), "5552001") << "the new head is selected";

    SendMessageA(dialog->Handle(), WM_KEYDOWN, '7', 0);  // typed: it outlives the next reload
    WriteBook({{"Eve", "5553001"}});
    PostMessageA(dialog->Handle(), msg::UM_INTERNAL, msg::RECIPIENT_MODEM, msg::EV_BOOK_RELOAD);
    ASSERT_TRUE(test::WaitUntil([&] { return dialog->Skin()->BookListHead()->Name() == "Eve"; }));
    EXPECT_EQ(dialog->DialString(), "55520017");
}

TEST_F(MainWindowSkin, ThePhoneIsOnScreenAtFullStrengthWithTheFocusAndFainterWithout) {
    Start();
    ShowPhone();
    SetFocus(dialog->Handle());
    EXPECT_TRUE(test::WaitUntil([&] { return TitleBandMismatch(dialog->Handle(), 255) <= 2; }))
        << TitleBandMismatch(dialog->Handle(), 255);

    // Another window of the program takes the focus.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 600, 600, 50, 50,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetFocus(other);
    EXPECT_TRUE(test::WaitUntil([&] { return TitleBandMismatch(dialog->Handle(), 100) <= 2; }))
        << TitleBandMismatch(dialog->Handle(), 100);

    SetFocus(dialog->Handle());
    EXPECT_TRUE(test::WaitUntil([&] { return TitleBandMismatch(dialog->Handle(), 255) <= 2; }));
    DestroyWindow(other);
}

}  // namespace
}  // namespace ui::testing
