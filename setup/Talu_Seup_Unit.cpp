#include "Talu_Seup_Unit.h"

#include <windows.h>
// After <windows.h>:
#include <shellapi.h>

#include "FileSystem.h"
#include "Get_Dir.h"
#include "SetupConst.h"
#include "WideText.h"
#include "gui/application.h"

namespace talu::setup {
namespace {

// The editions and the languages each one speaks, one line each (the Greek word starts with
// a Latin capital E).
constexpr char16_t kLanguageHint[] =
    u"Basic - English, Deutsch, Dutch, Français, Maguar, Slovenský, Български, Руский\r\n"
    u"Greek - English, Eλληνικά\r\n"
    u"Vietnamese - English, Tiếng Việt\r\n"
    u"Japanese - English, 日本語";

gui::FormOptions SetupOptions() {
  gui::FormOptions options;
  options.caption = u"Talu Demo Setup";
  options.clientWidth = 565;
  options.clientHeight = 396;
  options.border = gui::BorderStyle::Single;
  options.placement = gui::Placement::ScreenCenter;
  options.font = {u"Tahoma", 11};
  return options;
}

}  // namespace

TForm1::TForm1(TSetupContext context) : Form(SetupOptions()), context_(std::move(context)) {
  StyleControls();
  ConnectHandlers();
  SetUpZip();
  FormCreate();
}

void TForm1::StyleControls() {
  Image1.LoadBitmapResource(L"ARTWORK");
  Image1.SetStretch(true);
  Image1.SetTransparent(true);
  const gui::FontSpec text{u"Tahoma", 13}, bold{u"Tahoma", 13, true}, bullet{u"Tahoma", 16};
  for (gui::Label* label : {&Label18, &Label13, &Label14, &Label12}) label->SetFont(bullet);
  for (gui::Label* label :
       {&Label16, &Label6, &Label8, &Label9, &Label10, &Label11, &Label3, &Label5}) {
    label->SetFont(text);
  }
  Label7.SetFont(bold);
  Label4.SetFont(bold);
  Lang.SetItemIndex(0);
  Label15.SetFont({u"Tahoma", 13, false, true});
  Label15.SetTextColor(RGB(0, 0, 255));
  Label15.SetCursor(LoadCursorW(nullptr, IDC_HAND));
  Label15.SetCaption(kWebCaption);
  SetTabOrder({&Button1, &ProgressBar1, &Edit1, &BitBtn1, &Panel1, &Button2, &Lang});
}

void TForm1::ConnectHandlers() {
  Button1.SetOnClick([this] { Button1Click(); });
  Button2.SetOnClick([this] { Button2Click(); });
  BitBtn1.SetOnClick([this] { BitBtn1Click(); });
  Label15.SetOnClick([this] { Label15Click(); });
}

// The stored settings of the archive component.
void TForm1::SetUpZip() {
  ZIP.SetName(u"ZIP");
  ZIP.SetExtractCorruptedFiles(false);
  ZIP.SetCompressionLevel(zip::clFastest);
  ZIP.SetCompressionMode(1);
  ZIP.SetSpanningMode(zip::smNone);
  ZIP.SpanningOptions().CustomVolumeSize = 65536;
  ZIP.Options().FlushBuffers = true;
  ZIP.Options().OEMFileNames = true;
  ZIP.SetZip64Mode(zip::zmDisabled);
  ZIP.SetUnicodeFilenames(false);
  ZIP.SetEncryptionMethod(zip::caPkzipClassic);
  ZIP.OnExtractFile = [this](zip::TZipBaseArchiver& sender, std::u16string& fileName,
                             std::uint32_t& fileAttr, const std::string& comment) {
    ZIPExtractFile(sender, fileName, fileAttr, comment);
  };
  ZIP.OnOverallProgress = [this](zip::TZipBaseArchiver& sender, double progress,
                                 zip::TZipProcessOperation operation, zip::TZipProgressPhase phase,
                                 bool& cancel) {
    ZIPOverallProgress(sender, progress, operation, phase, cancel);
  };
}

void TForm1::FormCreate() {
  Lang.SetHint(kLanguageHint);
  MyFolder = kDefaultFolder;
  if (IsUninstallRun(context_)) {
    EnterUninstallMode();
  } else if (!FileExists(kPayloadName)) {
    EnterMissingPayloadState();
  }
}

void TForm1::EnterUninstallMode() {
  Label4.SetCaption(kUninstallCaption);
  gui::Bounds moved = Label5.GetBounds();
  moved.left += 15;
  Label5.SetBounds(moved);
  Label5.SetCaption(u"button to start uninstalation.");
  HideControls({&Label6, &Label7, &Label8, &Label9, &Label10, &Label11, &Label13, &Label14,
                &Label18, &Label16});
  Lang.SetEnabled(false);
  MyFolder = ProgramFolder(context_);
  Edit1.SetText(MyFolder);
  DisableControls({&Edit1, &BitBtn1});
  Label1.SetCaption(u"Uninstalation progress");
  Button1.SetCaption(kUninstallCaption);
}

void TForm1::EnterMissingPayloadState() {
  DisableControls({&Button1, &Edit1, &BitBtn1});
  HideControls({&Label12, &Label13, &Label14, &Label10, &Label11, &Label6, &Label7, &Label8,
                &Label9, &Label3, &Label4});
  Lang.SetEnabled(false);
  HideControls({&Label18, &Label16});
  Label5.SetCaption(kTextFilesMissing);
}

void TForm1::HideControls(std::initializer_list<gui::Window*> controls) {
  for (gui::Window* control : controls) control->SetVisible(false);
}

void TForm1::DisableControls(std::initializer_list<gui::Window*> controls) {
  for (gui::Window* control : controls) control->SetEnabled(false);
}

void TForm1::Button1Click() {
  Button1.SetEnabled(false);
  const std::u16string caption = Button1.Caption();
  if (caption == kExitCaption) {
    Close();
  } else if (caption == kUninstallCaption) {
    UninstallClick();
  } else {
    InstallClick();
  }
}

void TForm1::BitBtn1Click() {
  MyFolder = DirectoryExists(kDefaultFolder) ? kDefaultFolder : kDriveRoot;
  MyFolder = BrowseForFolder(u"Select Folder", MyFolder);
  if (MyFolder.empty()) MyFolder = kDefaultFolder;
  Edit1.SetText(MyFolder);
}

void TForm1::Label15Click() {
  ShellExecuteW(nullptr, L"Open", Wide(kWebAddress), nullptr, nullptr, SW_SHOWNORMAL);
}

void TForm1::SetStatus(const std::u16string& text) {
  Label1.SetCaption(text);
  Label1.Repaint();
  if (OnRunStep) OnRunStep();
}

void TForm1::SetProgress(int percent) {
  ProgressBar1.SetPosition(percent);
  if (OnRunStep) OnRunStep();
}

}  // namespace talu::setup
