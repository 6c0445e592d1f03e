// Controls: the Win32 windows they are made of, their texts, places, fonts and colours, tab
// order, enabled and visible states, and the routing of clicks to their handlers.
#include <gtest/gtest.h>

#include "gui/application.h"
#include "gui/bevel.h"
#include "gui/button.h"
#include "gui/common_controls.h"
#include "gui/edit.h"
#include "gui/form.h"
#include "gui/label.h"
#include "gui/panel.h"
#include "gui/picture.h"
#include "gui/progress_bar.h"
#include "gui/radio_group.h"
#include "gui/tests/window_probe.h"
#include "gui/text.h"

namespace gui {

void PrintTo(const Bounds& b, std::ostream* out) {
  *out << "{" << b.left << ", " << b.top << ", " << b.width << ", " << b.height << "}";
}

namespace {

std::u16string ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return FromWide(name);
}

LOGFONTW FontOf(const Window& window) {
  LOGFONTW font{};
  GetObjectW(window.FontHandle(), sizeof font, &font);
  return font;
}

class Controls : public ::testing::Test {
 protected:
  static FormOptions Options() {
    FormOptions options;
    options.caption = u"Controls";
    options.clientWidth = 565;
    options.clientHeight = 396;
    options.font = {u"Tahoma", 11};
    return options;
  }
  Form form{Options()};
};

TEST_F(Controls, AreStandardWindowsWithTheirPlacesTextsAndStyles) {
  Panel panel(form, {150, 16, 397, 169}, COLOR_WINDOW);
  Edit edit(form, {150, 268, 309, 0}, u"C:\\Marlo\\Talu");
  Button button(form, {280, 363, 122, 25}, u"Install");
  ProgressBar progress(form, {150, 316, 397, 17});
  Bevel bevel(form, {9, 351, 538, 6});
  Picture picture(form, {8, 8, 127, 325});
  struct Row {
    const Window* control;
    std::u16string className;
    std::u16string text;
    Bounds bounds;
    LONG styleMask;
    LONG style;
  };
  const Row rows[] = {
      {&panel, u"TaluPanel", u"", {150, 16, 397, 169}, WS_TABSTOP, 0},
      {&edit,
       u"Edit",
       u"C:\\Marlo\\Talu",
       {150, 268, 309, 21},
       WS_TABSTOP | ES_AUTOHSCROLL,
       WS_TABSTOP | ES_AUTOHSCROLL},
      {&button,
       u"Button",
       u"Install",
       {280, 363, 122, 25},
       WS_TABSTOP | BS_TYPEMASK,
       WS_TABSTOP | BS_PUSHBUTTON},
      {&progress, u"msctls_progress32", u"", {150, 316, 397, 17}, WS_TABSTOP, 0},
      {&bevel, u"Static", u"", {9, 351, 538, 6}, SS_TYPEMASK, SS_OWNERDRAW},
      {&picture, u"Static", u"", {8, 8, 127, 325}, SS_TYPEMASK, SS_OWNERDRAW},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Utf16ToUtf8(row.className));
    EXPECT_EQ(ClassOf(row.control->Handle()), row.className);
    EXPECT_EQ(probe::ReadText(row.control->Handle()), row.text);
    EXPECT_EQ(row.control->GetBounds(), row.bounds);
    EXPECT_EQ(row.control->Style() & row.styleMask, row.style);
    EXPECT_EQ(GetParent(row.control->Handle()), form.Handle());
    EXPECT_EQ(row.control->FontHandle(), form.FontHandle());
  }
  EXPECT_TRUE(GetWindowLongW(panel.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(GetWindowLongW(edit.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST_F(Controls, LabelFitsItsTextInItsOwnFont) {
  Label plain(form, 24, 38, u"Use");
  Label bold(form, 51, 38, u"Browse");
  bold.SetFont({u"Tahoma", 13, true});
  Label regular(form, 51, 60, u"Browse");
  regular.SetFont({u"Tahoma", 13});

  EXPECT_EQ(plain.GetBounds(), (Bounds{24, 38, MeasureText(plain.FontHandle(), u"Use").cx,
                                       MeasureText(plain.FontHandle(), u"Use").cy}));
  EXPECT_GT(bold.GetBounds().width, regular.GetBounds().width);
  const LOGFONTW font = FontOf(bold);
  EXPECT_EQ(FromWide(font.lfFaceName), u"Tahoma");
  EXPECT_EQ(font.lfHeight, -13);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_EQ(FontOf(plain).lfHeight, -11);

  const int before = plain.GetBounds().width;
  plain.SetCaption(u"Use the button");
  EXPECT_GT(plain.GetBounds().width, before);
  plain.SetCaption(u"U");
  EXPECT_LT(plain.GetBounds().width, before);
  EXPECT_EQ(plain.Caption(), u"U");
}

TEST_F(Controls, WordWrappedLabelKeepsItsWidthAndGrowsInHeight) {
  Label message(form, {64, 8, 60, 0}, u"one two three four five six");
  EXPECT_EQ(message.GetBounds().width, 60);
  EXPECT_GT(message.GetBounds().height, MeasureText(message.FontHandle(), u"X").cy);
}

TEST_F(Controls, LabelIsPaintedInItsColourOnItsParentsBackground) {
  Panel panel(form, {150, 16, 397, 169}, COLOR_WINDOW);
  Label link(panel, 8, 8, u"www.example.com");
  link.SetTextColor(RGB(0, 0, 255));
  link.SetFont({u"Tahoma", 13, false, true});
  HDC dc = CreateCompatibleDC(nullptr);
  const auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(panel.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(link.Handle())));
  EXPECT_EQ(brush, GetSysColorBrush(COLOR_WINDOW));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_WINDOW));
  DeleteDC(dc);
  EXPECT_TRUE(FontOf(link).lfUnderline);
}

TEST_F(Controls, LabelShowsItsCursorOverIt) {
  Label link(form, 8, 372, u"www.example.com");
  HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  link.SetCursor(hand);
  EXPECT_TRUE(SendMessageW(form.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link.Handle()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), hand);
}

TEST_F(Controls, ClickRunsTheHandlerOnlyWhileUsable) {
  Button button(form, {280, 363, 122, 25}, u"Install");
  Label link(form, 8, 372, u"www.example.com");
  int buttonClicks = 0;
  int linkClicks = 0;
  button.SetOnClick([&] { ++buttonClicks; });
  link.SetOnClick([&] { ++linkClicks; });

  EXPECT_TRUE(button.Visible()) << "the own state, though the form is hidden";
  button.Click();
  link.Click();
  EXPECT_EQ(buttonClicks, 1);
  EXPECT_EQ(linkClicks, 1);

  button.SetEnabled(false);
  EXPECT_FALSE(button.Enabled());
  button.Click();
  button.SetEnabled(true);
  button.SetVisible(false);
  EXPECT_FALSE(button.Visible());
  button.Click();
  EXPECT_EQ(buttonClicks, 1);

  // A click posted from outside, the way gui_driver clicks.
  button.SetVisible(true);
  probe::PostClick(button.Handle());
  ProcessMessages();
  EXPECT_EQ(buttonClicks, 2);
}

TEST_F(Controls, TabOrderFollowsTheGivenListNotTheOrderOfCreation) {
  RadioGroup lang(form, {151, 191, 396, 57}, u"Language", {u"Basic", u"Greek"}, 2);
  Button cancel(form, {425, 363, 122, 25}, u"Cancel");
  Panel panel(form, {150, 16, 397, 169}, COLOR_WINDOW);
  Button browse(form, {465, 266, 82, 25}, u"Browse...");
  Edit edit(form, {150, 268, 309, 0}, u"");
  ProgressBar progress(form, {150, 316, 397, 17});
  Button install(form, {280, 363, 122, 25}, u"Install");
  lang.SetItemIndex(1);
  form.SetTabOrder({&install, &progress, &edit, &browse, &panel, &cancel, &lang});

  const HWND expected[] = {edit.Handle(), browse.Handle(), cancel.Handle(), lang.ItemHandle(1),
                           install.Handle()};
  HWND current = install.Handle();
  for (HWND next : expected) {
    current = GetNextDlgTabItem(form.Handle(), current, FALSE);
    EXPECT_EQ(current, next) << Utf16ToUtf8(probe::Describe(current));
  }
}

TEST_F(Controls, RadioGroupArrangesItsItemsInColumns) {
  RadioGroup one(form, {151, 191, 396, 57}, u"Language",
                 {u"Basic", u"Greek", u"Vietnamese", u"Japanese"}, 4);
  for (int i = 0; i < 4; ++i) {
    RECT item{};
    GetWindowRect(one.ItemHandle(i), &item);
    MapWindowPoints(HWND_DESKTOP, one.Handle(), reinterpret_cast<POINT*>(&item), 2);
    EXPECT_EQ(item.left, 8 + i * 96);  // (396 - 10) / 4 wide cells
    EXPECT_EQ(item.right - item.left, 96);
  }
  RadioGroup columns(form, {0, 0, 210, 100}, u"Five", {u"1", u"2", u"3", u"4", u"5"}, 2);
  RECT first{}, fourth{};
  GetWindowRect(columns.ItemHandle(0), &first);
  GetWindowRect(columns.ItemHandle(3), &fourth);
  EXPECT_EQ(fourth.left - first.left, 100) << "three rows: the fourth item heads column two";
  EXPECT_EQ(fourth.top, first.top);
  EXPECT_EQ(WindowText(GetWindow(one.Handle(), GW_CHILD)), u"Language") << "the frame";
}

TEST_F(Controls, RadioGroupKeepsOneItemSelected) {
  RadioGroup lang(form, {151, 191, 396, 57}, u"Language", {u"Basic", u"Greek", u"Japanese"}, 3);
  EXPECT_EQ(lang.ItemIndex(), -1);
  lang.SetItemIndex(0);
  EXPECT_EQ(lang.ItemIndex(), 0);
  SendMessageW(lang.ItemHandle(2), BM_CLICK, 0, 0);
  EXPECT_EQ(lang.ItemIndex(), 2);
  EXPECT_EQ(SendMessageW(lang.ItemHandle(0), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(GetWindowLongW(lang.ItemHandle(2), GWL_STYLE) & WS_TABSTOP);
  EXPECT_FALSE(GetWindowLongW(lang.ItemHandle(0), GWL_STYLE) & WS_TABSTOP);

  lang.SetEnabled(false);
  EXPECT_FALSE(lang.Enabled());
  for (int i = 0; i < lang.Count(); ++i) EXPECT_FALSE(IsWindowEnabled(lang.ItemHandle(i)));
}

struct TooltipSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK MatchTooltip(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<TooltipSearch*>(context);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (GetWindow(window, GW_OWNER) == search.owner && lstrcmpiW(name, TOOLTIPS_CLASSW) == 0) {
    search.found = window;
  }
  return TRUE;
}

HWND TooltipOf(const Form& form) {
  TooltipSearch search{form.Handle(), nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &MatchTooltip, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST_F(Controls, RadioGroupHintCoversTheFrameAndEveryItem) {
  RadioGroup lang(form, {151, 191, 396, 57}, u"Language", {u"Basic", u"Greek"}, 2);
  const std::u16string hint =
      u"Basic - English\r\nGreek - English, E\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac";
  lang.SetHint(hint);
  EXPECT_EQ(lang.Hint(), hint);
  HWND tooltip = TooltipOf(form);
  ASSERT_NE(tooltip, nullptr);
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 4) << "group, frame, two items";
  wchar_t text[256] = {};
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = lang.Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(lang.ItemHandle(1));
  tool.lpszText = text;
  SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
  EXPECT_EQ(FromWide(text), hint);
}

TEST_F(Controls, ProgressBarHoldsItsPositionWithinZeroToHundred) {
  ProgressBar progress(form, {150, 316, 397, 17});
  EXPECT_EQ(progress.Position(), 0);
  progress.SetPosition(57);
  EXPECT_EQ(progress.Position(), 57);
  progress.SetPosition(250);
  EXPECT_EQ(progress.Position(), 100);
}

TEST_F(Controls, PasswordEditMasksAndLimitsItsText) {
  Edit edit(form, {8, 8, 164, 0}, u"");
  edit.SetPasswordChar(L'*');
  edit.SetMaxLength(255);
  EXPECT_EQ(edit.PasswordChar(), L'*');
  EXPECT_TRUE(edit.Style() & ES_PASSWORD);
  EXPECT_EQ(edit.MaxLength(), 255);
  edit.SetText(u"secret");
  EXPECT_EQ(edit.Text(), u"secret");
}

// Draws the picture into a bitmap with the colour of the form's background.
COLORREF PixelDrawnAt(Picture& picture, int x, int y) {
  const Bounds bounds = picture.GetBounds();
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, bounds.width, bounds.height);
  HGDIOBJ old = SelectObject(dc, target);
  DRAWITEMSTRUCT item{};
  item.hwndItem = picture.Handle();
  item.hDC = dc;
  item.rcItem = {0, 0, bounds.width, bounds.height};
  picture.OnDrawItem(item);
  const COLORREF pixel = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixel;
}

TEST_F(Controls, PictureStretchesItsBitmapAndLetsTheBackgroundThroughItsTransparentColour) {
  Picture art(form, {8, 8, 127, 325});
  EXPECT_FALSE(art.HasImage());
  EXPECT_FALSE(art.LoadBitmapResource(L"NO_SUCH_BITMAP"));
  EXPECT_FALSE(art.LoadBitmapFile(u"C:\\no\\such.bmp"));
  ASSERT_TRUE(art.LoadBitmapResource(L"DEMO_ART"));  // 254 x 650, white border
  EXPECT_EQ(art.ImageSize().cx, 254);
  EXPECT_EQ(art.ImageSize().cy, 650);
  const COLORREF background = GetSysColor(COLOR_BTNFACE);
  art.SetTransparent(true);
  EXPECT_NE(PixelDrawnAt(art, 126, 324), background) << "at its own size the border lies outside";
  art.SetStretch(true);
  EXPECT_EQ(PixelDrawnAt(art, 126, 324), background) << "stretched, the border comes into view";
  EXPECT_EQ(PixelDrawnAt(art, 0, 0), background);
  EXPECT_NE(PixelDrawnAt(art, 63, 162), background);
  art.SetTransparent(false);
  EXPECT_EQ(PixelDrawnAt(art, 0, 0), RGB(255, 255, 255));

  art.SetIcon(LoadIconW(nullptr, IDI_QUESTION));
  EXPECT_EQ(art.ImageSize().cx, GetSystemMetrics(SM_CXICON));
}

}  // namespace
}  // namespace gui
