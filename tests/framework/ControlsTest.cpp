// Control wrappers on a real dialog: sorting list, limited and digits-only edits, the log
// edit's selection, and the picture button's two pictures.
#include "framework/Controls.h"

#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "tests/framework/test_dialogs.h"
#include "tests/support/GuiTest.h"

namespace {

class ControlsDialog : public fw::Dialog {
public:
    ControlsDialog() : Dialog(IDD_TEST_CONTROLS) {}
    fw::ListBox list;
    fw::Edit edit;
    fw::MultiLineEdit log;
    fw::PictureButton picture;

protected:
    bool OnInitDialog() override {
        list.Attach(Handle(), IDC_TEST_LIST);
        edit.Attach(Handle(), IDC_TEST_EDIT);
        log.Attach(Handle(), IDC_TEST_LOG);
        picture.Attach(Handle(), IDC_TEST_PICTURE);
        AddOwnerDrawControl(&picture);
        return true;
    }
};

class Controls : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dialog.CreateModeless(nullptr)); }

    void Type(HWND control, const std::string& keys) {
        for (char c : keys) {
            SendMessageA(control, WM_CHAR, static_cast<WPARAM>(c), 0);
        }
    }

    ControlsDialog dialog;
};

TEST_F(Controls, TheListBoxKeepsItsEntriesSorted) {
    for (const char* name : {"carol", "alice", "Bob"}) {
        dialog.list.AddString(name);
    }
    ASSERT_EQ(dialog.list.GetCount(), 3);
    EXPECT_EQ(dialog.list.GetItemText(0), "alice");
    EXPECT_EQ(dialog.list.GetItemText(1), "Bob");
    EXPECT_EQ(dialog.list.GetItemText(2), "carol");
    EXPECT_EQ(dialog.list.GetItemText(7), "");

    EXPECT_EQ(dialog.list.FindStringExact("CAROL"), 2);
    dialog.list.SetCurSel(1);
    EXPECT_EQ(dialog.list.GetCurSel(), 1);
    dialog.list.DeleteString(0);
    EXPECT_EQ(dialog.list.GetItemText(0), "Bob");
    dialog.list.ResetContent();
    EXPECT_EQ(dialog.list.GetCount(), 0);
    EXPECT_EQ(dialog.list.GetCurSel(), LB_ERR);
}

TEST_F(Controls, EditsHonourTheirLengthLimitAndDigitsOnlyStyle) {
    dialog.edit.SetLimitText(5);
    Type(dialog.edit.Handle(), "1234567");
    EXPECT_EQ(dialog.edit.GetText(), "12345");

    dialog.edit.SetText("");
    dialog.edit.SetDigitsOnly(true);
    Type(dialog.edit.Handle(), "4a5-");
    EXPECT_EQ(dialog.edit.GetText(), "45");
}

TEST_F(Controls, TheLogEditsSelectionCanBeSetReplacedAndCleared) {
    dialog.log.SetText("first\nsecond\n");
    EXPECT_EQ(dialog.log.GetLineCount(), 3);

    const int end = dialog.log.GetTextLength();
    dialog.log.SetSel(end, end);
    dialog.log.ReplaceSel("third\n");
    EXPECT_EQ(dialog.log.GetText(), "first\nsecond\nthird\n");

    dialog.log.SetSel(0, 6);
    dialog.log.ReplaceSel("1st ");
    EXPECT_EQ(dialog.log.GetText(), "1st second\nthird\n");

    dialog.log.SetSel(0, -1);
    dialog.log.ClearSel();
    EXPECT_EQ(dialog.log.GetTextLength(), 0);
}

fw::BitmapHandle SolidBitmap(COLORREF colour) {
    fw::WindowDc screen(nullptr);
    fw::BitmapHandle bitmap(CreateCompatibleBitmap(screen.Get(), 20, 20));
    fw::MemoryDc dc(CreateCompatibleDC(screen.Get()));
    fw::SelectScope select(dc.Get(), bitmap.Get());
    fw::BrushHandle brush(CreateSolidBrush(colour));
    RECT all{0, 0, 20, 20};
    FillRect(dc.Get(), &all, brush.Get());
    return bitmap;
}

// What the dialog's owner-draw routing paints for the button in the given state.
COLORREF PaintedColour(ControlsDialog& dialog, UINT state) {
    fw::WindowDc screen(nullptr);
    fw::BitmapHandle target(CreateCompatibleBitmap(screen.Get(), 20, 20));
    fw::MemoryDc dc(CreateCompatibleDC(screen.Get()));
    fw::SelectScope select(dc.Get(), target.Get());
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = IDC_TEST_PICTURE;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = dialog.picture.Handle();
    item.hDC = dc.Get();
    item.rcItem = {0, 0, 20, 20};
    SendMessageA(dialog.Handle(), WM_DRAWITEM, IDC_TEST_PICTURE, reinterpret_cast<LPARAM>(&item));
    return GetPixel(dc.Get(), 10, 10);
}

TEST_F(Controls, ThePictureButtonShowsItsPressedPictureOnlyWhilePressed) {
    dialog.picture.SetPictures(SolidBitmap(RGB(255, 0, 0)), SolidBitmap(RGB(0, 0, 255)));
    dialog.picture.SizeToContent();
    RECT bounds{};
    GetWindowRect(dialog.picture.Handle(), &bounds);
    EXPECT_EQ(bounds.right - bounds.left, 20);

    EXPECT_EQ(PaintedColour(dialog, 0), RGB(255, 0, 0));
    EXPECT_EQ(PaintedColour(dialog, ODS_SELECTED), RGB(0, 0, 255));
    EXPECT_EQ(PaintedColour(dialog, ODS_FOCUS), RGB(255, 0, 0));
}

}  // namespace
