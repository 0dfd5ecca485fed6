// Navigation by keys, wheel and scroll keys against a stand-in window: walking the active
// carrier's list and the pop-up's numbers, the two sides, nothing while a call is up, and
// clicks on list items.
#include <gtest/gtest.h>

#include <functional>

#include "tests/ui/SkinFakes.h"
#include "ui/PhoneSkin.h"
#include "ui/WidgetIds.h"

namespace ui::testing {
namespace {

using Operation = void (PhoneSkin::*)();

class Navigation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(skin.BuildSkin());
        host.skypeState = CallState::NORMAL;
        host.modemState = CallState::NORMAL;
        host.dialogState = CallState::NORMAL;
        for (int i = 0; i < kItems; ++i) {
            host.AddSkypeContact("friend" + std::to_string(i), "ONLINE");
            host.AddBookEntry("Entry " + std::to_string(i), "55500" + std::to_string(i), "", "");
        }
        skin.RebuildSkypeList();
        skin.RebuildBookList();
    }

    // The index of the selected item of a list, -1 for none.
    static int SelectedIndex(ContactItem* head, ContactItem* selected) {
        int index = 0;
        for (ContactItem* item = head; item; item = item->Next(), ++index) {
            if (item == selected) {
                return index;
            }
        }
        return -1;
    }
    int SkypeIndex() { return SelectedIndex(skin.SkypeListHead(), skin.SelectedSkypeItem()); }
    int BookIndex() { return SelectedIndex(skin.BookListHead(), skin.SelectedBookItem()); }

    void Select(ContactItem* head, int index) {
        ContactItem* item = head;
        for (int i = 0; i < index; ++i) {
            item = item->Next();
        }
        skin.SetWidgetState(item, true);
    }

    static constexpr int kItems = 10;
    FakeSkinHost host;
    FakeSkinText text;
    PhoneSkin skin{host, text};
};

TEST_F(Navigation, KeysWalkTheActiveCarriersListAndStopAtItsEnds) {
    struct Case {
        const char* what;
        Operation operation;
        int from;
        int to;
    } cases[] = {
        {"previous", &PhoneSkin::SelectPrevious, 4, 3},
        {"previous at the head", &PhoneSkin::SelectPrevious, 0, 0},
        {"next", &PhoneSkin::SelectNext, 4, 5},
        {"next at the end", &PhoneSkin::SelectNext, 9, 9},
        {"page up", &PhoneSkin::PageUp, 6, 2},
        {"page up near the head", &PhoneSkin::PageUp, 2, 0},
        {"page down", &PhoneSkin::PageDown, 3, 7},
        {"page down near the end", &PhoneSkin::PageDown, 8, 9},
        {"first", &PhoneSkin::SelectFirst, 5, 0},
        {"last", &PhoneSkin::SelectLast, 2, 9},
    };
    for (Carrier carrier : {Carrier::Skype, Carrier::Modem}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (carrier == Carrier::Skype ? ", Skype" : ", modem"));
            host.carrier = carrier;
            // The other list stays where it is.
            Select(skin.SkypeListHead(), 1);
            Select(skin.BookListHead(), 1);
            Select(carrier == Carrier::Skype ? skin.SkypeListHead() : skin.BookListHead(), c.from);
            const int repaints = host.repaints;
            (skin.*c.operation)();
            EXPECT_EQ(carrier == Carrier::Skype ? SkypeIndex() : BookIndex(), c.to);
            EXPECT_EQ(carrier == Carrier::Skype ? BookIndex() : SkypeIndex(), 1);
            EXPECT_EQ(host.repaints, repaints + 1);
        }
    }
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Navigation, NothingMovesWhileACallIsUpAndPagingWithoutACarrierIsReported) {
    const Operation operations[] = {
        &PhoneSkin::SelectPrevious,  &PhoneSkin::SelectNext,      &PhoneSkin::SelectFirst,
        &PhoneSkin::SelectLast,      &PhoneSkin::PageUp,          &PhoneSkin::PageDown,
        &PhoneSkin::SelectSkypeSide, &PhoneSkin::SelectModemSide,
    };
    struct Case {
        CallState state;
        Carrier carrier;
        int messages;  // per page key
    } cases[] = {
        {CallState::INIT, Carrier::None, 0},     {CallState::DIALING, Carrier::Modem, 0},
        {CallState::RINGING, Carrier::Skype, 0}, {CallState::ANSWERING, Carrier::Modem, 0},
        {CallState::NORMAL, Carrier::None, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "state " << int(c.state) << ", carrier " << int(c.carrier));
        host.dialogState = c.state;
        host.carrier = c.carrier;
        // Without a carrier neither back-end is ready.
        host.skypeState = host.modemState =
            c.carrier == Carrier::None ? CallState::INIT : CallState::NORMAL;
        Select(skin.SkypeListHead(), 5);
        Select(skin.BookListHead(), 5);
        host.messages.clear();
        for (Operation operation : operations) {
            (skin.*operation)();
        }
        EXPECT_EQ(SkypeIndex(), 5);
        EXPECT_EQ(BookIndex(), 5);
        EXPECT_EQ(host.carrier, c.carrier);
        EXPECT_FALSE(skin.IsPopupOpen());
        EXPECT_EQ(host.messages,
                  std::vector<std::string>(2 * c.messages, "#32 Unknown system detected"));
    }
}

TEST_F(Navigation, UpAndDownWalkThePopupsNumbersWhileItIsOpen) {
    host.book.clear();
    host.AddBookEntry("Ann", "5551", "5552", "0912");
    host.carrier = Carrier::Modem;
    skin.RebuildBookList();
    skin.ShowNumbers(skin.BookListHead());
    ASSERT_EQ(host.dialString, "5551");
    // Home, mobile, office from the top; the ends hold.
    const std::pair<Operation, const char*> steps[] = {
        {&PhoneSkin::SelectPrevious, "5551"}, {&PhoneSkin::SelectNext, "0912"},
        {&PhoneSkin::SelectNext, "5552"},     {&PhoneSkin::SelectNext, "5552"},
        {&PhoneSkin::SelectPrevious, "0912"},
    };
    for (const auto& [operation, shown] : steps) {
        (skin.*operation)();
        EXPECT_EQ(host.dialString, shown);
        EXPECT_EQ(skin.SelectedNumber()->Label(), shown);
    }
    EXPECT_EQ(BookIndex(), 0);
}

// Only a moved selection replaces the user's own number; an open pop-up follows it. A reload
// (here with the line closed) builds the list and closes the pop-up, whose entry may be gone.
TEST_F(Navigation, TheDisplayAndThePopupFollowOnlyASelectionTheUserMoves) {
    const Operation reload = &PhoneSkin::RebuildBookList;
    struct Case {
        Carrier carrier;
        bool typed, popup;
        int from, to;
        Operation operation;
        std::string shown;
    } cases[] = {
        {Carrier::Modem, true, false, 0, 0, &PhoneSkin::SelectPrevious, "0123"},
        {Carrier::Modem, true, false, 9, 9, &PhoneSkin::SelectLast, "0123"},
        {Carrier::Modem, true, false, 0, 1, &PhoneSkin::SelectNext, "555001"},
        {Carrier::Modem, true, false, 3, 0, reload, "0123"},
        {Carrier::Modem, false, false, 3, 0, reload, "555000"},
        {Carrier::Skype, false, false, 3, 0, reload, "0123"},
        {Carrier::Modem, false, true, 2, 9, &PhoneSkin::SelectLast, "555009"},
        {Carrier::Modem, false, true, 9, 5, &PhoneSkin::PageUp, "555005"},
        {Carrier::Modem, false, true, 3, 0, reload, "555000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "from " << c.from << " to " << c.to);
        host.carrier = Carrier::Modem;
        Select(skin.BookListHead(), c.from);
        c.popup ? skin.ShowNumbers(skin.SelectedBookItem()) : skin.ClosePopup();
        host.carrier = c.carrier;
        host.dialString = c.popup ? host.dialString : "0123";
        host.dialStringTyped = c.typed;
        host.modemState = c.operation == reload ? CallState::INIT : CallState::NORMAL;
        (skin.*c.operation)();
        EXPECT_EQ(BookIndex(), c.to);
        EXPECT_EQ(host.dialString, c.shown);
        EXPECT_EQ(skin.IsPopupOpen(), c.popup && c.operation != reload);
        EXPECT_EQ(skin.IsPopupOpen() ? skin.SelectedNumber()->Label() : c.shown, c.shown);
    }
}

TEST_F(Navigation, LeftAndRightCloseThePopupOpenItOrChooseTheOtherCarrier) {
    struct Case {
        const char* what;
        Carrier carrier;
        bool popupOpen;
        CallState otherState;
        Operation operation;
        Carrier carrierAfter;
        bool popupAfter;
    } cases[] = {
        {"left closes the pop-up first", Carrier::Modem, true, CallState::NORMAL,
         &PhoneSkin::SelectSkypeSide, Carrier::Modem, false},
        {"left chooses a ready Skype", Carrier::Modem, false, CallState::NORMAL,
         &PhoneSkin::SelectSkypeSide, Carrier::Skype, false},
        {"right opens the selected entry's numbers", Carrier::Modem, false, CallState::NORMAL,
         &PhoneSkin::SelectModemSide, Carrier::Modem, true},
        {"right keeps Skype while the modem is not ready", Carrier::Skype, false, CallState::INIT,
         &PhoneSkin::SelectModemSide, Carrier::Skype, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.skypeState = host.modemState = CallState::NORMAL;
        skin.SelectCarrier(c.carrier);
        if (c.popupOpen) {
            skin.ShowNumbers(skin.SelectedBookItem());
        }
        (c.carrier == Carrier::Modem ? host.skypeState : host.modemState) = c.otherState;
        (skin.*c.operation)();
        EXPECT_EQ(host.carrier, c.carrierAfter);
        EXPECT_EQ(skin.IsPopupOpen(), c.popupAfter);
    }
}

TEST_F(Navigation, AClickSelectsAnItemInViewAndOnlyAPhoneBookItemOpensItsNumbers) {
    // With the keypad out the view ends above the display at y 328: the tenth item, at
    // y 360, lies under the keypad.
    struct Case {
        const char* what;
        Carrier carrier;
        int item;
        bool keypadOut;
        int selected;
        bool popup;
        std::string shown;
    } cases[] = {
        {"a Skype contact leaves the typed number", Carrier::Skype, 2, false, 2, false, "0123"},
        {"a phone-book entry shows its number", Carrier::Modem, 2, false, 2, true, "555002"},
        {"an item out of view", Carrier::Modem, 9, true, 0, false, "0123"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        skin.SelectCarrier(c.carrier);
        Select(skin.SkypeListHead(), 0);
        Select(skin.BookListHead(), 0);
        skin.ToggleKeypad(!c.keypadOut);
        skin.PrepareForPaint();  // items take their places
        host.dialString = "0123";
        ContactItem* head =
            c.carrier == Carrier::Skype ? skin.SkypeListHead() : skin.BookListHead();
        ContactItem* item = head;
        for (int i = 0; i < c.item; ++i) {
            item = item->Next();
        }
        skin.ClickItem(*item, item->Bounds().left + 5, item->Bounds().top + 5);
        EXPECT_EQ(c.carrier == Carrier::Skype ? SkypeIndex() : BookIndex(), c.selected);
        EXPECT_EQ(c.carrier == Carrier::Skype ? BookIndex() : SkypeIndex(), 0);
        EXPECT_EQ(skin.IsPopupOpen(), c.popup);
        EXPECT_EQ(host.dialString, c.shown);
    }
}

}  // namespace
}  // namespace ui::testing
