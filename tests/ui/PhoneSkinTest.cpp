// The phone window's layout and paint logic against a stand-in window: the fixed widgets,
// the keypad, the pop-up, both lists and their scroll, the call keys and the views.
#include "ui/PhoneSkin.h"

#include <gtest/gtest.h>

#include "tests/ui/SkinFakes.h"
#include "ui/WidgetIds.h"

namespace ui::testing {
namespace {

class PhoneSkinTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(skin.BuildSkin()); }

    // One paint pass; false when nothing was composed.
    bool Paint() {
        skin.PrepareForPaint();
        return skin.Compose(canvas.View());
    }

    SkinWidget* Widget(int id) { return skin.FindWidget(id); }
    bool IsLit(int id) { return static_cast<SkinKey*>(Widget(id))->IsLit(); }

    // Every item of a list from its head, in order.
    static std::vector<ContactItem*> Items(ContactItem* head) {
        std::vector<ContactItem*> items;
        for (ContactItem* item = head; item; item = item->Next()) {
            items.push_back(item);
        }
        return items;
    }

    void ModemReadyWithBook(int entries) {
        host.modemState = CallState::NORMAL;
        host.dialogState = CallState::NORMAL;
        for (int i = 0; i < entries; ++i) {
            host.AddBookEntry("Entry " + std::to_string(i), "55500" + std::to_string(i), "", "");
        }
        skin.SelectCarrier(Carrier::Modem);
        skin.RebuildBookList();
    }

    void SkypeReadyWithContacts(int contacts) {
        host.skypeState = CallState::NORMAL;
        host.dialogState = CallState::NORMAL;
        for (int i = 0; i < contacts; ++i) {
            host.AddSkypeContact("friend" + std::to_string(i), "ONLINE");
        }
        skin.SelectCarrier(Carrier::Skype);
        skin.RebuildSkypeList();
    }

    FakeSkinHost host;
    FakeSkinText text;
    PhoneSkin skin{host, text};
    PixelBuffer canvas{kCanvasWidth, kCanvasHeight};
};

TEST_F(PhoneSkinTest, FixedWidgetsStandWherePlacedAndPaintInLayerOrder) {
    struct Case {
        int id;
        int x, y, width, height;
        bool hidden;
        int lit;  // -1: not a key
    } cases[] = {
        {WID_BASE, 23, 71, 190, 397, false, -1},     {WID_CALLER_CARD, 45, 90, 16, 25, true, -1},
        {WID_LCD, 24, 443, 189, 25, false, 0},       {WID_KEYPAD_PANEL, 24, 354, 189, 114, true, 0},
        {WID_KEY_1, 38, 358, 54, 25, true, 0},       {WID_KEY_1 + 1, 92, 358, 54, 25, true, 0},
        {WID_KEY_1 + 2, 146, 358, 55, 25, true, 0},  {WID_KEY_1 + 3, 38, 385, 54, 25, true, 0},
        {WID_KEY_1 + 4, 92, 385, 54, 25, true, 0},   {WID_KEY_1 + 5, 146, 385, 55, 25, true, 0},
        {WID_KEY_1 + 6, 38, 412, 54, 25, true, 0},   {WID_KEY_1 + 7, 92, 412, 54, 25, true, 0},
        {WID_KEY_9, 146, 412, 55, 25, true, 0},      {WID_KEY_0, 92, 439, 54, 25, true, 0},
        {WID_KEY_BACK, 146, 439, 55, 25, true, 0},   {WID_KEY_CLR, 38, 439, 54, 25, true, 0},
        {WID_FRAME, 0, 0, 239, 550, false, -1},      {WID_CLOSE, 211, 19, 12, 12, false, -1},
        {WID_SKYPE, 12, 44, 107, 23, true, 1},       {WID_MODEM, 119, 44, 106, 23, true, 1},
        {WID_CALL_START, 71, 484, 41, 41, false, 0}, {WID_CALL_END, 128, 484, 41, 41, false, 0},
        {WID_BOOKMARK, 196, 488, 29, 30, true, -1},  {WID_KEYPAD, 13, 489, 29, 30, false, -1},
        {WID_UP, 201, 71, 12, 26, false, -1},        {WID_DOWN, 201, 418, 12, 25, false, -1},
        {WID_POPUP, 120, 110, 235, 156, true, -1},   {WID_POPUP_CLOSE, 325, 118, 12, 12, true, -1},
    };
    const WidgetBoard& board = *skin.Board();
    ASSERT_EQ(board.Count(), std::size(cases));
    for (size_t i = 0; i < board.Count(); ++i) {
        const SkinWidget& widget = *board.At(i);
        const Case& c = cases[i];
        SCOPED_TRACE(std::string("widget '") + char(c.id) + "'");
        EXPECT_EQ(widget.Id(), c.id);
        EXPECT_EQ(widget.Layer(), c.id);
        EXPECT_EQ(widget.ImageRect(), (Rect{c.x, c.y, c.x + c.width, c.y + c.height}));
        EXPECT_EQ(widget.IsHidden(), c.hidden);
        const auto* key = dynamic_cast<const SkinKey*>(&widget);
        EXPECT_EQ(key ? int(key->IsLit()) : -1, c.lit);
    }
    EXPECT_EQ(static_cast<ContactItem*>(Widget(WID_CALLER_CARD))->Label(), "Unknown");
}

TEST_F(PhoneSkinTest, TheKeypadMovesTheDisplayTheDownKeyAndTheViewport) {
    struct Case {
        bool keypadHidden;
        int lcdTop, downTop;
        Rect viewport;
    } cases[] = {
        {false, 329, 304, {23, 71, 213, 328}},
        {true, 443, 418, {23, 71, 213, 442}},
        {false, 329, 304, {23, 71, 213, 328}},
    };
    for (const Case& c : cases) {
        skin.ToggleKeypad(c.keypadHidden);
        skin.UpdateViewport();
        EXPECT_EQ(Widget(WID_LCD)->Bounds().top, c.lcdTop);
        EXPECT_EQ(Widget(WID_DOWN)->ImageRect(), (Rect{201, c.downTop, 213, c.downTop + 25}));
        EXPECT_EQ(skin.ListViewport(), c.viewport);
        for (int id : {int(WID_KEYPAD_PANEL), int(WID_KEY_1), int(WID_KEY_0), int(WID_KEY_CLR)}) {
            EXPECT_EQ(Widget(id)->IsHidden(), c.keypadHidden) << char(id);
        }
    }
}

TEST_F(PhoneSkinTest, ShowNumbersListsTheEntrysNumbersAndSelectsTheFirst) {
    struct Number {
        std::string label;
        int top;
    };
    struct Case {
        const char *home, *office, *mobile;
        std::vector<Number> numbers;  // in the pop-up, top to bottom
    } cases[] = {
        {"", "", "0912", {{"0912", 124}}},
        {"5551", "5552", "", {{"5551", 124}, {"5552", 174}}},
        {"5551", "5552", "0912", {{"5551", 124}, {"0912", 174}, {"5552", 224}}},
    };
    host.modemState = CallState::NORMAL;
    for (const Case& c : cases) {
        host.book.clear();
        host.AddBookEntry("Ann", c.home, c.office, c.mobile);
        skin.SelectCarrier(Carrier::Modem);
        skin.RebuildBookList();
        skin.ShowNumbers(skin.BookListHead());
        Paint();

        ASSERT_TRUE(skin.IsPopupOpen());
        std::vector<SkinKey*> shown;
        for (size_t i = 0; i < skin.Board()->Count(); ++i) {
            if (skin.Board()->At(i)->Id() == WID_NUMBER) {
                shown.push_back(static_cast<SkinKey*>(skin.Board()->At(i)));
            }
        }
        ASSERT_EQ(shown.size(), c.numbers.size());
        for (size_t i = 0; i < shown.size(); ++i) {
            SCOPED_TRACE(c.numbers[i].label);
            EXPECT_EQ(shown[i]->Label(), c.numbers[i].label);
            EXPECT_EQ(shown[i]->ImageRect().left, 134);
            EXPECT_EQ(shown[i]->ImageRect().top, c.numbers[i].top);
            EXPECT_EQ(shown[i]->LabelRect().left, 178);
            EXPECT_EQ(shown[i]->IsLit(), i == 0);
            EXPECT_FALSE(shown[i]->IsHidden());
        }
        EXPECT_EQ(host.dialString, c.numbers[0].label);

        // Choosing the last number unlights the first and dials the last.
        skin.SetWidgetState(shown.back(), true);
        EXPECT_EQ(shown.front()->IsLit(), shown.size() == 1);
        EXPECT_EQ(host.dialString, c.numbers.back().label);

        skin.ClosePopup();
        EXPECT_FALSE(skin.IsPopupOpen());
        EXPECT_EQ(skin.FindWidget(WID_NUMBER), nullptr);
        EXPECT_EQ(skin.SelectedNumber(), nullptr);
    }
}

// A tick moves the list once, however many paints follow it before the next tick.
TEST_F(PhoneSkinTest, TheListGlidesToTheSelectedItemInHalfSteps) {
    struct Case {
        const char* what;
        bool skype;
        int select;      // the index of the item selected
        int headOffset;  // moved by hand first
        int paintsPerTick;
        std::vector<int> moves;
        int headTop;
    } cases[] = {
        {"a rebuilt list settles 10 below the top", false, 0, 0, 1, {-4, -2, -1, -1, -1}, 81},
        {"the same with a repaint between ticks", false, 0, 0, 2, {-4, -2, -1, -1, -1}, 81},
        {"an item 20 beyond the bottom margin", true, 11, 7, 1, {-10, -5, -2, -1, -1, -1}, 77},
        {"a head scrolled away upwards", true, 0, -40, 3, {15, 8, 4, 2, 1, 1}, 81},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host = FakeSkinHost();
        ASSERT_TRUE(skin.BuildSkin());
        if (c.skype) {
            SkypeReadyWithContacts(12);
        } else {
            ModemReadyWithBook(12);
        }
        ContactItem* head = c.skype ? skin.SkypeListHead() : skin.BookListHead();
        skin.SetWidgetState(Items(head)[c.select], true);
        head->SetOffset(0, c.headOffset);
        Paint();
        ASSERT_TRUE(host.scrollTimerRunning);
        std::vector<int> moves;
        for (int tick = 0; tick < 50 && host.scrollTimerRunning; ++tick) {
            const int before = head->Bounds().top;
            skin.UpdateViewport();
            skin.ScrollListStep();
            for (int i = 0; i < c.paintsPerTick; ++i) {
                Paint();
            }
            if (head->Bounds().top != before) {
                moves.push_back(head->Bounds().top - before);
            }
        }
        EXPECT_EQ(moves, c.moves);
        EXPECT_FALSE(host.scrollTimerRunning);
        EXPECT_EQ(head->Bounds().top, c.headTop);
    }
}

TEST_F(PhoneSkinTest, WithoutPaintsTheScrollTimerRestsUntilTheNextPaint) {
    ModemReadyWithBook(3);
    Paint();
    ASSERT_TRUE(host.scrollTimerRunning);
    skin.ScrollListStep();
    skin.ScrollListStep();  // the window is hidden: nothing painted the first move
    EXPECT_FALSE(host.scrollTimerRunning);
    Paint();
    EXPECT_EQ(skin.BookListHead()->Bounds().top, 90 - 4) << "the first move, once";
    EXPECT_TRUE(host.scrollTimerRunning);
}

TEST_F(PhoneSkinTest, CallKeysLightForWhatTheyCanDo) {
    struct Case {
        CallState state;
        Carrier carrier;
        bool selection;
        const char* dialString;
        bool start, end;
    } cases[] = {
        {CallState::INIT, Carrier::Skype, true, "1", false, false},
        {CallState::NORMAL, Carrier::Skype, false, "", false, false},
        {CallState::NORMAL, Carrier::Skype, true, "", true, false},
        {CallState::NORMAL, Carrier::Skype, false, "1", true, false},
        {CallState::NORMAL, Carrier::Modem, true, "", true, false},
        {CallState::NORMAL, Carrier::Modem, false, "", false, false},
        {CallState::NORMAL, Carrier::None, false, "1", false, false},
        {CallState::DIALING, Carrier::Modem, true, "", false, true},
        {CallState::RINGING, Carrier::Modem, true, "", true, true},
        {CallState::ANSWERING, Carrier::Skype, true, "", false, true},
    };
    host.skypeState = CallState::NORMAL;
    host.modemState = CallState::NORMAL;
    host.AddSkypeContact("alice", "ONLINE");
    for (const Case& c : cases) {
        host.skypeContacts.back()->onlineStatus = c.selection ? "ONLINE" : "OFFLINE";
        host.book.clear();
        if (c.selection) {
            host.AddBookEntry("Ann", "5551", "", "");
        }
        skin.RebuildSkypeList();
        skin.RebuildBookList();
        host.dialogState = c.state;
        host.carrier = c.carrier;
        host.dialString = c.dialString;
        skin.UpdateCallKeys();
        EXPECT_EQ(IsLit(WID_CALL_START), c.start) << int(c.state) << " " << int(c.carrier);
        EXPECT_EQ(IsLit(WID_CALL_END), c.end) << int(c.state) << " " << int(c.carrier);
    }
    EXPECT_TRUE(host.messages.empty());

    host.dialogState = static_cast<CallState>(3);
    skin.UpdateCallKeys();
    EXPECT_EQ(host.messages, std::vector<std::string>{"#06 Unknown State of Dlg"});
    EXPECT_FALSE(IsLit(WID_CALL_START));
    EXPECT_FALSE(IsLit(WID_CALL_END));
}

TEST_F(PhoneSkinTest, TheSkypeListHoldsTheContactsThatAreNotOffline) {
    host.skypeState = CallState::NORMAL;
    host.AddSkypeContact("alice", "ONLINE", "Ally", "Alice Liddell");
    host.AddSkypeContact("bob", "OFFLINE", "Bob");
    host.AddSkypeContact("carol", "offline", "", "Carol King");
    host.AddSkypeContact("dave", "AWAY");
    host.AddSkypeContact("erin", skype::SkypeContact(0, "").onlineStatus);  // not arrived yet
    host.AddSkypeContact("frank", "DND", "Franklin Delano Roosevelt");
    skin.SelectCarrier(Carrier::Skype);
    skin.RebuildSkypeList();

    std::vector<std::string> names;
    std::vector<std::string> labels;
    for (ContactItem* item : Items(skin.SkypeListHead())) {
        names.push_back(item->Name());
        labels.push_back(item->Label());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"alice", "carol", "dave", "frank"}));
    EXPECT_EQ(labels,
              (std::vector<std::string>{"Ally", "Carol King", "dave", "Franklin Delano ..."}));
    EXPECT_EQ(skin.SelectedSkypeItem(), skin.SkypeListHead());
    EXPECT_GT(host.repaints, 0);

    host.skypeContacts.clear();
    host.AddSkypeContact("bob", "OFFLINE");
    skin.RebuildSkypeList();
    EXPECT_EQ(skin.SkypeListHead(), nullptr);
    EXPECT_EQ(skin.SelectedSkypeItem(), nullptr);
}

TEST_F(PhoneSkinTest, ThePaintPassShowsTheActiveCarriersViewOfTheCall) {
    host.AddSkypeContact("alice", "ONLINE");
    host.AddSkypeContact("bob", "ONLINE");
    host.AddBookEntry("Ann", "5551", "", "");
    host.skypeState = CallState::NORMAL;
    host.modemState = CallState::NORMAL;
    skin.RebuildSkypeList();
    skin.RebuildBookList();
    auto shown = [this](int id) {
        std::vector<std::string> names;
        for (size_t i = 0; i < skin.Board()->Count(); ++i) {
            const auto* item = dynamic_cast<const ContactItem*>(skin.Board()->At(i));
            if (item && item->Id() == id && !item->IsHidden()) {
                names.push_back(id == WID_CALLER_CARD ? item->Label() : item->Name());
            }
        }
        return names;
    };
    using Names = std::vector<std::string>;
    struct Case {
        const char* what;
        Carrier carrier;
        CallState skype, modem;
        const char *partner, *callerNumber;
        Names skypeItems, bookItems, card;
        bool bookmarkKey;
        Carrier carrierAfter;
    } cases[] = {
        // clang-format off
        {"no carrier", Carrier::None, CallState::NORMAL, CallState::NORMAL, "", "",
         {}, {}, {}, false, Carrier::None},
        {"Skype ready", Carrier::Skype, CallState::NORMAL, CallState::NORMAL, "", "",
         {"alice", "bob"}, {}, {}, false, Carrier::Skype},
        {"modem ready", Carrier::Modem, CallState::NORMAL, CallState::NORMAL, "", "",
         {}, {"Ann"}, {}, true, Carrier::Modem},
        {"Skype call, a listed friend", Carrier::Skype, CallState::ANSWERING, CallState::NORMAL,
         "bob", "", {"bob"}, {}, {}, true, Carrier::Skype},
        {"Skype call, a stranger", Carrier::Skype, CallState::RINGING, CallState::NORMAL,
         "a.very.long.skype.handle", "", {}, {}, {"a.very.long.skype.handle"}, true,
         Carrier::Skype},
        {"Skype call, partner unknown", Carrier::Skype, CallState::DIALING, CallState::NORMAL,
         "", "", {}, {}, {"Unknown"}, true, Carrier::Skype},
        {"modem call, no caller ID", Carrier::Modem, CallState::NORMAL, CallState::RINGING,
         "", "", {}, {}, {"Unknown"}, true, Carrier::Modem},
        {"modem call", Carrier::Modem, CallState::NORMAL, CallState::DIALING, "", "5551",
         {}, {}, {"5551\nAnn"}, true, Carrier::Modem},
        {"Skype gone", Carrier::Skype, CallState::INIT, CallState::NORMAL, "", "",
         {}, {}, {}, true, Carrier::None},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.carrier = c.carrier;
        host.skypeState = c.skype;
        host.modemState = c.modem;
        host.partner = c.partner;
        host.callerNumber = c.callerNumber;
        host.callerName = "Ann";
        Paint();
        EXPECT_EQ(shown(WID_SKYPE_CONTACT), c.skypeItems);
        EXPECT_EQ(shown(WID_BOOK_CONTACT), c.bookItems);
        EXPECT_EQ(shown(WID_CALLER_CARD), c.card);
        EXPECT_EQ(!Widget(WID_BOOKMARK)->IsHidden(), c.bookmarkKey);
        EXPECT_EQ(host.carrier, c.carrierAfter);
    }
}

TEST_F(PhoneSkinTest, ACarriersKeyIsShownExactlyWhileItsBackEndIsReady) {
    struct Case {
        CallState skype, modem;
        bool skypeKey, modemKey;
    } cases[] = {
        {CallState::INIT, CallState::NORMAL, false, true},
        {CallState::NORMAL, CallState::NORMAL, true, true},  // Skype ready later: modem stays
        {CallState::RINGING, CallState::INIT, true, false},
        {CallState::INIT, CallState::INIT, false, false},
    };
    host.modemState = CallState::NORMAL;
    skin.SelectCarrier(Carrier::Modem);
    for (const Case& c : cases) {
        host.skypeState = c.skype;
        host.modemState = c.modem;
        Paint();
        EXPECT_EQ(!Widget(WID_SKYPE)->IsHidden(), c.skypeKey) << int(c.skype) << int(c.modem);
        EXPECT_EQ(!Widget(WID_MODEM)->IsHidden(), c.modemKey) << int(c.skype) << int(c.modem);
    }
}

TEST_F(PhoneSkinTest, ItemsAndTheHoverKeepNothingOfReplacedRecords) {
    SkypeReadyWithContacts(3);
    ModemReadyWithBook(3);
    skin.SetHoverWidget(Items(skin.BookListHead())[1]);
    // The back-ends replace their records; the rebuild events are still on their way.
    host.skypeContacts.clear();
    host.book.clear();
    host.AddSkypeContact("stranger", "ONLINE");
    host.carrier = Carrier::Skype;
    host.skypeState = CallState::RINGING;
    host.partner = "friend1";
    EXPECT_TRUE(Paint());
    EXPECT_EQ(skin.SelectedSkypeItem()->Name(), "friend1");
    EXPECT_EQ(Items(skin.BookListHead())[2]->DefaultNumber(), "555002");

    skin.RebuildBookList();
    EXPECT_EQ(skin.HoverWidget(), nullptr);
    EXPECT_EQ(skin.BookListHead(), nullptr);
}

// A pass composes only where the picture changed: after every step the canvas it keeps equals
// a canvas composed wholly from scratch by a skin that took the same steps.
TEST_F(PhoneSkinTest, ComposingOnlyWhatChangedGivesTheWholePicture) {
    PhoneSkin whole{host, text};
    ASSERT_TRUE(whole.BuildSkin());
    const std::vector<std::function<void(PhoneSkin&)>> steps = {
        [](PhoneSkin&) {},
        [&](PhoneSkin& s) {
            host.modemState = host.dialogState = CallState::NORMAL;
            for (int i = 0; s.IsBuilt() && i < 12 && host.book.size() < 12; ++i) {
                host.AddBookEntry("Entry " + std::to_string(i), "55500" + std::to_string(i), "",
                                  i % 2 ? "0912" : "");
            }
            s.SelectCarrier(Carrier::Modem);
            s.RebuildBookList();
        },
        [](PhoneSkin& s) { s.SelectNext(); },
        [](PhoneSkin& s) { s.ToggleKeypad(false); },
        [](PhoneSkin& s) { s.SelectLast(); },
        [](PhoneSkin& s) { s.ScrollListStep(); },
        [](PhoneSkin& s) { s.ScrollListStep(); },
        [](PhoneSkin& s) { s.ShowNumbers(s.SelectedBookItem()); },
        [](PhoneSkin& s) { s.SelectNext(); },
        [](PhoneSkin& s) { s.ClosePopup(); },
        [&](PhoneSkin&) { host.dialString = "5551"; },
        [](PhoneSkin& s) { s.ToggleKeypad(true); },
        [&](PhoneSkin&) { host.modemState = CallState::RINGING, host.callerNumber = "0912"; },
        [&](PhoneSkin&) { host.modemState = CallState::NORMAL; },
        [](PhoneSkin& s) { s.SelectFirst(); },
    };
    // Into each in turn: a canvas other than the last is composed wholly.
    PixelBuffer fresh[2] = {{kCanvasWidth, kCanvasHeight}, {kCanvasWidth, kCanvasHeight}};
    for (size_t step = 0; step < steps.size(); ++step) {
        SCOPED_TRACE(step);
        for (PhoneSkin* s : {&skin, &whole}) {
            steps[step](*s);
            s->PrepareForPaint();
        }
        ASSERT_TRUE(skin.Compose(canvas.View()));
        ASSERT_TRUE(whole.Compose(fresh[step % 2].View()));
        ASSERT_EQ(ChangedArea(canvas.View(), fresh[step % 2].View()), Rect{});
    }
}

TEST_F(PhoneSkinTest, WithoutMemoryForTheBoardTheSkinSaysUiErrorAndStaysEmpty) {
    FakeSkinHost failing;
    failing.failLoads = true;
    PhoneSkin broken(failing, text);
    EXPECT_FALSE(broken.BuildSkin());
    EXPECT_EQ(failing.messages, std::vector<std::string>{"UI Error"});
    EXPECT_FALSE(broken.IsBuilt());

    failing.failLoads = false;
    failing.AddSkypeContact("alice", "ONLINE");
    broken.RebuildSkypeList();
    broken.SelectCarrier(Carrier::Skype);
    broken.PrepareForPaint();
    EXPECT_FALSE(broken.Compose(canvas.View()));
    EXPECT_EQ(broken.HitTest(100, 100), nullptr);
}

}  // namespace
}  // namespace ui::testing
