// The setup window as it is created in each mode, and the hidden message dialog.
#include <gtest/gtest.h>

#include "MSMessage.h"
#include "SetupTestSupport.h"
#include "gui/tests/window_probe.h"
#include "gui/text.h"

namespace talu::setup::test {
namespace {

using gui::Utf16ToUtf8;

std::vector<gui::Label*> PanelLabels(TForm1& f) {
  return {&f.Label18, &f.Label16, &f.Label13, &f.Label6,  &f.Label7, &f.Label8, &f.Label9,
          &f.Label14, &f.Label10, &f.Label11, &f.Label12, &f.Label3, &f.Label4, &f.Label5};
}

enum class Shown { InstallReady, MissingPayload, UninstallReady };

// A start of the program and the state its window shows.
struct Start {
  const char* name;
  std::vector<std::u16string> arguments;
  const char16_t* program;  // in the setup folder; nullptr: setup.exe
  bool payload;
  Shown state;
};

std::u16string VisiblePanelText(TForm1& form) {
  std::u16string text;
  for (gui::Label* label : PanelLabels(form)) {
    if (label->Visible()) text += (text.empty() ? u"" : u"|") + label->Caption();
  }
  return text;
}

// The captions of the visible panel labels in each state, joined by "|".
std::u16string PanelTextOf(Shown state) {
  switch (state) {
    case Shown::InstallReady:
      return u"\u2022|Select the language version of the program.|\u2022|Use|Browse|"
             u"button to select the destination folder from the|"
             u"folders tree. It can be also entered manually.|\u2022|"
             u"If the destination folder does not exist, it will be created|"
             u"automatically before instalation.|\u2022|Press |Install|"
             u"button to start instalation.";
    case Shown::MissingPayload:
      return u"Required files are not found!";
    case Shown::UninstallReady:
      return u"\u2022|Press |Uninstall|button to start uninstalation.";
  }
  return {};
}

class SetupWindow : public SetupTest {};

TEST_F(SetupWindow, AdaptsItsControlsToTheModeAndThePayload) {
  const Start starts[] = {
      {"install ready", {}, nullptr, true, Shown::InstallReady},
      {"missing payload", {}, nullptr, false, Shown::MissingPayload},
      {"uninstall by argument", {u"Uninstall", u"more"}, nullptr, true, Shown::UninstallReady},
      {"uninstall by name", {}, u"uNINSTALL.exe", false, Shown::UninstallReady},
      {"lower-case argument", {u"uninstall"}, nullptr, true, Shown::InstallReady},
  };
  for (const Start& s : starts) {
    SCOPED_TRACE(s.name);
    PlacePayload(s.payload ? u"TDfls.zdt" : u"");
    auto form = MakeForm(s.arguments, s.program ? setupDir_ + u"\\" + s.program : u"");
    EXPECT_FALSE(form->Visible());
    const bool uninstall = s.state == Shown::UninstallReady;
    const bool ready = s.state != Shown::MissingPayload;
    EXPECT_EQ(form->Button1.Caption(), uninstall ? u"Uninstall" : u"Install");
    EXPECT_EQ(form->Button1.Enabled(), ready);
    EXPECT_TRUE(form->Button2.Enabled());
    EXPECT_EQ(form->Button2.Caption(), u"Cancel");
    for (gui::Window* choice :
         std::initializer_list<gui::Window*>{&form->Lang, &form->Edit1, &form->BitBtn1}) {
      EXPECT_EQ(choice->Enabled(), s.state == Shown::InstallReady)
          << Utf16ToUtf8(choice->Caption());
    }
    EXPECT_EQ(Utf16ToUtf8(VisiblePanelText(*form)), Utf16ToUtf8(PanelTextOf(s.state)));
    EXPECT_EQ(form->Label1.Caption(),
              uninstall ? u"Uninstalation progress" : u"Installation progress");
    EXPECT_EQ(form->Label5.GetBounds().left, uninstall ? 120 : 105);
    EXPECT_EQ(form->Edit1.Text(), uninstall ? setupDir_ : u"C:\\Marlo\\Talu");
    EXPECT_EQ(form->MyFolder, uninstall ? setupDir_ : u"C:\\Marlo\\Talu\\");
    EXPECT_EQ(form->Lang.ItemIndex(), 0);
    EXPECT_EQ(form->ProgressBar1.Position(), 0);
    EXPECT_TRUE(form->Label15.Visible() && form->Label15.Enabled());
  }
}

TEST_F(SetupWindow, PayloadBesideTheProgramDoesNotCountOutsideTheCurrentFolder) {
  const std::u16string elsewhere = root_ / u"elsewhere";
  talu::test::MakeDirs(elsewhere);
  ASSERT_TRUE(CopyFileW(gui::Wide(PayloadSource(u"TDfls.zdt")),
                        gui::Wide(elsewhere + u"\\TDfls.zdt"), FALSE));
  auto form = MakeForm({}, elsewhere + u"\\setup.exe");
  EXPECT_FALSE(form->Button1.Enabled());
  EXPECT_EQ(form->Label5.Caption(), u"Required files are not found!");
}

TEST_F(SetupWindow, HasTheDesignedFrameTextsAndOrder) {
  PlacePayload(u"TDfls.zdt");
  auto form = MakeForm();
  EXPECT_EQ(form->Caption(), u"Talu Demo Setup");
  RECT client{};
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 565);
  EXPECT_EQ(client.bottom, 396);
  EXPECT_EQ(form->Style() & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  EXPECT_NE(form->Style() & WS_MINIMIZEBOX, 0);
  EXPECT_EQ(Utf16ToUtf8(form->Lang.Hint()),
            "Basic - English, Deutsch, Dutch, Français, Maguar, Slovenský, Български, Руский\r\n"
            "Greek - English, Eλληνικά\r\nVietnamese - English, Tiếng Việt\r\n"
            "Japanese - English, 日本語");
  EXPECT_TRUE(form->Image1.HasImage());
  EXPECT_EQ(form->Image1.ImageSize().cx, 508);
  EXPECT_EQ(form->Image1.ImageSize().cy, 509);
  // The tab order is the order of the first children.
  std::vector<HWND> expected{form->Button1.Handle(), form->ProgressBar1.Handle(),
                             form->Edit1.Handle(),   form->BitBtn1.Handle(),
                             form->Panel1.Handle(),  form->Button2.Handle(),
                             form->Lang.Handle()};
  std::vector<HWND> children;
  for (HWND child = GetWindow(form->Handle(), GW_CHILD); child && children.size() < 7;
       child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  EXPECT_EQ(children, expected);
}

TEST_F(SetupWindow, CancelClosesTheWindow) {
  PlacePayload(u"TDfls.zdt");
  auto form = MakeForm();
  form->Button2.Click();
  EXPECT_TRUE(form->Closed());
}

TEST(MessageDialog, IsHiddenAndAnswersTwoForNo) {
  TFormMess mess;
  EXPECT_FALSE(mess.Visible());
  EXPECT_EQ(mess.Caption(), u"Грешка");
  EXPECT_EQ(mess.BGMess.Caption(), u"Съобщение   Съобщение   Съобщение");
  EXPECT_EQ(mess.ButtonOk.Caption(), u"&Да");
  EXPECT_EQ(mess.ButtonNo.Caption(), u"&Не");
  EXPECT_EQ(mess.ButtonCancel.Caption(), u"&Откажи");
  mess.BGMess.SetBounds({64, 8, 50, 13});
  // The click waits in the queue until the modal run serves it.
  gui::probe::PostClick(mess.ButtonNo.Handle());
  EXPECT_EQ(mess.ShowModal(), TFormMess::kResultNo);
  EXPECT_FALSE(mess.Visible());
  EXPECT_EQ(mess.BGMess.GetBounds().width, 195);  // restored when it was activated
}

}  // namespace
}  // namespace talu::setup::test
