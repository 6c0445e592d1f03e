// gui_demo: the controls of the GUI layer on one form, and its dialogs, for screenshots and
// for driving from outside.
//   gui_demo form CAPTION     the demo form, until it is closed
//   gui_demo password ITEM    the password box for an archive item; exit code 0 after OK,
//                             1 after Cancel
//   gui_demo message TEXT     a confirmation with Yes, No, No to All, Yes to All; the exit code
//                             is the answer (gui::Answer)
#include <windows.h>

#include <memory>
#include <vector>

#include "gui/application.h"
#include "gui/bevel.h"
#include "gui/button.h"
#include "gui/dialogs.h"
#include "gui/edit.h"
#include "gui/form.h"
#include "gui/label.h"
#include "gui/panel.h"
#include "gui/picture.h"
#include "gui/progress_bar.h"
#include "gui/radio_group.h"
#include "gui/text.h"

namespace {

using namespace gui;

FormOptions DemoOptions(const std::u16string& caption) {
  FormOptions options;
  options.caption = caption;
  options.clientWidth = 565;
  options.clientHeight = 396;
  options.font = {u"Tahoma", 11};
  return options;
}

struct PanelText {
  int left;
  int top;
  const char16_t* text;
  int pixelHeight;
  bool bold;
};

constexpr PanelText kPanelTexts[] = {
    {12, 7, u"\u2022", 16, false},   {24, 10, u"Pick one of the four editions.", 13, false},
    {12, 35, u"\u2022", 16, false},  {24, 38, u"Type a folder or use", 13, false},
    {145, 38, u"Browse", 13, true},  {24, 52, u"to pick one from the folders tree.", 13, false},
    {12, 125, u"\u2022", 16, false}, {24, 128, u"Press", 13, false},
    {60, 128, u"Start", 13, true},   {94, 128, u"to begin.", 13, false},
};

class DemoForm : public Form {
 public:
  explicit DemoForm(const std::u16string& caption) : Form(DemoOptions(caption)) {
    art_.LoadBitmapResource(L"DEMO_ART");
    art_.SetStretch(true);
    art_.SetTransparent(true);
    for (const PanelText& line : kPanelTexts) {
      auto& label =
          *texts_.emplace_back(std::make_unique<Label>(panel_, line.left, line.top, line.text));
      label.SetFont({u"Tahoma", line.pixelHeight, line.bold});
    }
    editions_.SetItemIndex(0);
    editions_.SetHint(
        u"Basic - English\r\nGreek - English, \u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac");
    progress_.SetPosition(40);
    link_.SetFont({u"Tahoma", 13, false, true});
    link_.SetTextColor(RGB(0, 0, 255));
    link_.SetCursor(LoadCursorW(nullptr, IDC_HAND));
    link_.SetOnClick([] { CurrentDialogs().ShowInformation(u"https://www.example.com/"); });
    start_.SetOnClick([this] { RunDemo(); });
    close_.SetOnClick([this] { Close(); });
    SetDefaultButton(start_);
    SetTabOrder({&start_, &folder_, &browse_, &close_, &editions_});
  }

 private:
  // Fills the progress bar while serving the queue, as a long run of the real program does.
  void RunDemo() {
    start_.SetEnabled(false);
    for (int percent = 0; percent <= 100; percent += 10) {
      status_.SetCaption(u"Working " + Utf8ToUtf16(std::to_string(percent)) + u"%");
      progress_.SetPosition(percent);
      ProcessMessages();
      Sleep(30);
    }
    status_.SetCaption(u"Done");
    start_.SetCaption(u"Exit");
    start_.SetOnClick([this] { Close(); });
    start_.SetEnabled(true);
  }

  Picture art_{*this, {8, 8, 127, 325}};
  Panel panel_{*this, {150, 16, 397, 169}, COLOR_WINDOW};
  std::vector<std::unique_ptr<Label>> texts_;
  RadioGroup editions_{
      *this, {151, 191, 396, 57}, u"Edition", {u"Basic", u"Greek", u"Vietnamese", u"Japanese"}, 4};
  Label folderCaption_{*this, 150, 254, u"Destination folder"};
  Edit folder_{*this, {150, 268, 309, 0}, u"C:\\Demo\\Folder"};
  Button browse_{*this, {465, 266, 82, 25}, u"Browse..."};
  Label status_{*this, 150, 302, u"Progress"};
  ProgressBar progress_{*this, {150, 316, 397, 17}};
  Bevel bevel_{*this, {9, 351, 538, 6}};
  Label link_{*this, 8, 372, u"www.example.com"};
  Button start_{*this, {280, 363, 122, 25}, u"Start"};
  Button close_{*this, {425, 363, 122, 25}, u"Close"};
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (__argc < 3) return 2;
  const std::wstring mode = __wargv[1];
  const std::u16string argument = FromWide(__wargv[2]);
  if (mode == L"form") {
    DemoForm form(argument);
    return Run(form);
  }
  if (mode == L"password") {
    const std::u16string caption = u"Password for \"" + argument + u"\"";
    return CurrentDialogs().AskPassword(caption, u"Enter password: ") ? 0 : 1;
  }
  if (mode == L"message") {
    return static_cast<int>(CurrentDialogs().Ask(
        MessageKind::Confirmation, argument,
        {Answer::Yes, Answer::No, Answer::NoToAll, Answer::YesToAll}, Answer::Yes));
  }
  return 2;
}
