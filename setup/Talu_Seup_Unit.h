// The setup window Form1: installer and uninstaller of TaluDemo in one window. Creating it
// decides the mode of the run and adapts the controls; the command button runs the install
// (Talu_Seup_Install.cpp) or the uninstall (Talu_Seup_Uninstall.cpp); the registry entries
// are in Talu_Seup_Registry.cpp.
//
//   TForm1 form(TSetupContext::FromProcess());
//   gui::Run(form);
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "PayloadArchiver.h"
#include "SetupConst.h"
#include "SetupRules.h"
#include "gui/bevel.h"
#include "gui/button.h"
#include "gui/edit.h"
#include "gui/form.h"
#include "gui/label.h"
#include "gui/panel.h"
#include "gui/picture.h"
#include "gui/progress_bar.h"
#include "gui/radio_group.h"

namespace talu::setup {

class TForm1 : public gui::Form {
 public:
  // The window is created hidden; gui::Run shows it.
  explicit TForm1(TSetupContext context);

  // Event handlers.
  void FormCreate();
  void Button1Click();
  void Button2Click() { Close(); }
  void BitBtn1Click();
  void Label15Click();
  void ZIPExtractFile(zip::TZipBaseArchiver& Sender, std::u16string& FileName,
                      std::uint32_t& FileAttr, const std::string& Comment);
  void ZIPOverallProgress(zip::TZipBaseArchiver& Sender, double Progress,
                          zip::TZipProcessOperation Operation, zip::TZipProgressPhase ProgressPhase,
                          bool& Cancel);

  // The runs and their parts.
  void Install_CR(std::u16string TargetDir);
  void Uninstall_CR(const std::u16string& TargetDir);
  void SetRegUninstall();
  std::u16string CheckForOldVersion();
  void ClearRegistry();
  void ClearFileAtrrib(const std::u16string& FileName);

  // Called after every change of the status line or the progress bar (for observers such as
  // tests; the runs are too quick to watch from outside).
  std::function<void()> OnRunStep;

  // The destination folder: set at creation, by Browse and by the install run.
  std::u16string MyFolder;

  gui::Picture Image1{*this, {8, 8, 127, 325}};
  gui::Panel Panel1{*this, {150, 16, 397, 169}, COLOR_WINDOW};
  gui::Label Label18{Panel1, 12, 7, u"\u2022"};
  gui::Label Label16{Panel1, 24, 10, u"Select the language version of the program."};
  gui::Label Label13{Panel1, 12, 35, u"\u2022"};
  gui::Label Label6{Panel1, 24, 38, u"Use"};
  gui::Label Label7{Panel1, 51, 38, u"Browse"};
  gui::Label Label8{Panel1, 105, 38, u"button to select the destination folder from the"};
  gui::Label Label9{Panel1, 24, 52, u"folders tree. It can be also entered manually."};
  gui::Label Label14{Panel1, 12, 78, u"\u2022"};
  gui::Label Label10{Panel1, 24, 81,
                     u"If the destination folder does not exist, it will be created"};
  gui::Label Label11{Panel1, 25, 95, u"automatically before instalation."};
  gui::Label Label12{Panel1, 12, 125, u"\u2022"};
  gui::Label Label3{Panel1, 24, 128, u"Press "};
  gui::Label Label4{Panel1, 60, 128, u"Install"};
  gui::Label Label5{Panel1, 105, 128, u"button to start instalation."};
  gui::RadioGroup Lang{
      *this, {151, 191, 396, 57}, u"Language", {u"Basic", u"Greek", u"Vietnamese", u"Japanese"}, 4};
  gui::Label Label2{*this, 150, 254, u"Destination folder"};
  gui::Edit Edit1{*this, {150, 268, 309, 0}, u"C:\\Marlo\\Talu"};
  gui::Button BitBtn1{*this, {465, 266, 82, 25}, u"Browse..."};
  gui::Label Label1{*this, 150, 302, kTextInstallProgress};
  gui::ProgressBar ProgressBar1{*this, {150, 316, 397, 17}};
  gui::Bevel Bevel1{*this, {9, 351, 538, 6}};
  gui::Label Label15{*this, 8, 372, u""};
  gui::Button Button1{*this, {280, 363, 122, 25}, u"Install"};
  gui::Button Button2{*this, {425, 363, 122, 25}, u"Cancel"};

  TPayloadArchiver ZIP;

 private:
  void StyleControls();
  void ConnectHandlers();
  void SetUpZip();
  void EnterUninstallMode();
  void EnterMissingPayloadState();
  static void HideControls(std::initializer_list<gui::Window*> controls);
  static void DisableControls(std::initializer_list<gui::Window*> controls);

  // The branches of Button1Click.
  void InstallClick();
  void UninstallClick();
  bool PrepareDestination();

  // Steps of the install run.
  // False when the run must stop: an archive error (its message in `failure`) or a failed item
  // answered with Abort (`failure` stays empty).
  bool ExtractPayload(const std::u16string& target, std::u16string& failure);
  void StopInstall(const std::u16string& reason = u"");
  // Withdraws the pending deletions of what the run laid down in `target` (ending in "\"):
  // the folder, each folder on the way to an item, each item and the program, as far as they
  // exist. Returns the files whose deletion stays pending in the machine-wide list.
  std::vector<std::u16string> WithdrawLaidDown(const std::u16string& target);
  // How the chosen edition became TaluDemo.exe: at once, at the next restart (the old program
  // is running), or not at all (that replacement could not be scheduled).
  enum class TProgramPlacement { Placed, AtRestart, Failed };
  TProgramPlacement KeepChosenEdition(const std::u16string& target, bool oldProgramStayed);
  void CreateDesktopLink(const std::u16string& target);
  void RemovePayload();
  void CreateStartMenuLinks(const std::u16string& target);

  // Steps of the uninstall run.
  void UninstallStep(const std::u16string& status, int progress);
  // Clears the file's attributes and deletes it, or schedules it for the next restart. True
  // when it is gone now (or was missing).
  bool DeleteOrSchedule(const std::u16string& file);
  void RemoveStartMenuGroups();
  // Whether `target` (ending in "\") is the installation the registry names, or none is named.
  bool IsRegisteredFolder(const std::u16string& target);

  // What a run leaves behind: deletions scheduled for the next restart, and what could be
  // neither deleted nor scheduled.
  void ForgetLeftovers();
  void ScheduleOrNote(const std::u16string& path);
  // One box: what stays, when anything does; otherwise, when `tellScheduled` and something
  // was scheduled, that it goes at the next restart.
  void ReportLeftovers(bool tellScheduled);
  // One Warning box: `head`, each path on a line of its own, then `tail` when not empty.
  static void ShowList(const std::u16string& head, const std::vector<std::u16string>& paths,
                       const std::u16string& tail);

  void SetStatus(const std::u16string& text);
  void SetProgress(int percent);

  TSetupContext context_;
  // Set by the install branch when it removed a previous installation before Install_CR.
  bool oldVersionRemoved_ = false;
  std::vector<std::u16string> scheduled_, stays_;
  // The names (relative to the destination) of the items the extraction reported.
  std::vector<std::u16string> laidDown_;
};

}  // namespace talu::setup
