// tests/shell/picturelist_test.cpp -- the owner-drawn picture list: what
// its entries show, and entries deleted and put back in place.
#include <gtest/gtest.h>

#include "platform/controls.h"
#include "platform/resources.h"
#include "platform/wingdi.h"
#include "shell/picturelist.h"
#include "shell_fixture.h"

namespace {

constexpr int kList = 2001;

INT_PTR CALLBACK plainDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

class PictureListTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    platform::DialogTemplate dialog;
    dialog.width = 300;
    dialog.height = 200;
    dialog.items = {{"listbox", "", kList, LBS_OWNERDRAWVARIABLE | LBS_NOTIFY, 0, 0, 300, 150}};
    platform::registerDialogResource("PICTURES", dialog);
    owner = makeOwner();
    dialog_ = CreateDialogParamA(nullptr, "PICTURES", owner, plainDialog, 0);
    ASSERT_NE(dialog_, nullptr);
    list = GetDlgItem(dialog_, kList);
    ASSERT_EQ(zmAttachPictureList(dialog_, kList), 0);
  }

  HBITMAP solid(COLORREF colour) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 6);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all = {0, 0, 8, 6};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bitmap;
  }

  COLORREF shown(int x, int y) {
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    HDC dc = GetDC(list);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(list, dc);
    return colour;
  }

  LRESULT count() { return SendMessageA(list, LB_GETCOUNT, 0, 0); }

  HWND owner = nullptr, dialog_ = nullptr, list = nullptr;
};

TEST_F(PictureListTest, EntriesShowTheirPictureOnTheBackgroundOrTheSelection) {
  ASSERT_EQ(zmAddPictureItem(dialog_, {60, 45, solid(RGB(255, 0, 0)), "red", 0}), 0);
  ASSERT_EQ(zmAddPictureItem(dialog_, {60, 30, nullptr, "no picture", 1}), 0);  // a missing picture
  EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 1, 0), 30);
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  EXPECT_EQ(shown(5, 5), RGB(255, 0, 0));
  EXPECT_EQ(shown(70, 2), RGB(0, 0, 0));  // beside the picture: the background
  EXPECT_EQ(shown(5, 47), GetSysColor(COLOR_HIGHLIGHT));  // the selected entry without picture
  EXPECT_EQ(shown(5, 100), RGB(0, 0, 0));  // below the entries
}

TEST_F(PictureListTest, DeletedEntriesComeBackWhereTheyStood) {
  for (int position = 0; position < 3; position++)
    ASSERT_EQ(zmAddPictureItem(dialog_, {60, 20, nullptr, "entry", position}), 0);
  auto data = [&](int index) { return SendMessageA(list, LB_GETITEMDATA, WPARAM(index), 0); };
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  SendMessageA(dialog_, WM_COMMAND, ZM_PICTURES_DELETE, 0);
  EXPECT_EQ(count(), 2);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);  // now the entry that followed
  SendMessageA(dialog_, WM_COMMAND, ZM_PICTURES_DELETE, 0);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);  // the one before, at the end
  ASSERT_EQ(zmDeletedPictures(dialog_).size(), 2u);
  EXPECT_EQ(zmDeletedPictures(dialog_)[1].listIndex, 1);
  EXPECT_EQ(zmDeletedPictures(dialog_)[1].position, 2);
  SendMessageA(dialog_, WM_COMMAND, ZM_PICTURES_UNDO, 0);
  SendMessageA(dialog_, WM_COMMAND, ZM_PICTURES_UNDO, 0);
  SendMessageA(dialog_, WM_COMMAND, ZM_PICTURES_UNDO, 0);  // nothing left to put back
  ASSERT_EQ(count(), 3);
  for (int index = 0; index < 3; index++) EXPECT_EQ(data(index), index);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 1, 0), 20);
  EXPECT_TRUE(zmDeletedPictures(dialog_).empty());
}

}  // namespace
