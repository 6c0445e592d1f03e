// Scaffolding for the utility tests under Wine: throw-away folders inside the prefix, files,
// child processes (the file locker, wineboot) and host-side links.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "WinHandles.h"
#include "text/ZipUtf.h"

namespace talu::test {

// The Windows temp folder, ending in "\".
std::u16string TempFolder();

// A fresh folder under the Windows temp folder (or under `base`, ending in "\"), deleted with
// its contents at the end. The cleanup never walks into a folder link.
class TempDir {
 public:
  explicit TempDir(const std::u16string& base = TempFolder());
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::u16string& path() const { return path_; }
  // path() + "\" + name
  std::u16string operator/(const std::u16string& name) const { return path_ + u'\\' + name; }

 private:
  std::u16string path_;
};

// Deletes a folder tree made by a test; never walks into a folder link.
void RemoveTree(const std::u16string& folder);
void WriteText(const std::u16string& path, const std::string& text);
std::string ReadText(const std::u16string& path);
bool Exists(const std::u16string& path);
// Makes the folder and its parents.
void MakeDirs(const std::u16string& path);

// util_test_helper.exe beside the running test.
std::u16string HelperPath();

// Runs a program to its end and returns its exit code (~0u when it cannot start).
DWORD RunToEnd(const std::u16string& program, const std::u16string& arguments);
DWORD RunCommandLine(std::u16string line);

// Restarts the Wine prefix as a reboot would: pending deletions and "wininit.ini" are processed.
void RestartWine();
// Plays the user's next logon as the shell does, which Wine's restart does not: for each value
// of the user's RunOnce key, deletes the value, then runs its command to its end.
void PlayNextLogon();
// The names of the values this program's deletions left in the user's RunOnce key (none or
// the one that runs the list).
std::vector<std::u16string> OurLogonValues();

// While this lives, the machine-wide list of pending operations and the machine's RunOnce key
// refuse writes in both registry views, as they do for a user without administrator rights
// (Wine runs every program as an administrator).
class StandardUserRights {
 public:
  StandardUserRights();
  ~StandardUserRights();
  StandardUserRights(const StandardUserRights&) = delete;
  StandardUserRights& operator=(const StandardUserRights&) = delete;
  bool applied() const;

 private:
  class DeniedKey;
  std::vector<std::unique_ptr<DeniedKey>> keys_;
};

// A second process holding a file open without delete sharing, until Release() or the end.
class FileLocker {
 public:
  explicit FileLocker(const std::u16string& path);
  ~FileLocker() { Release(); }
  bool locked() const { return locked_; }
  void Release();

 private:
  KernelHandle process_;
  FileHandle to_child_;
  bool locked_ = false;
};

// A Unix symbolic link made on the host side; Wine shows it as a folder link, or as a drive
// when it lies in the prefix's "dosdevices" folder. Removed at the end. ok() is false where no
// such link can be made (not under Wine).
class HostLink {
 public:
  // `link` (Windows path) will point at `target` (Windows path).
  HostLink(const std::u16string& link, const std::u16string& target);
  ~HostLink();
  HostLink(const HostLink&) = delete;
  HostLink& operator=(const HostLink&) = delete;
  bool ok() const { return ok_; }

  // Drive `letter` ("q") mapped onto the folder `target`.
  static std::unique_ptr<HostLink> Drive(char letter, const std::u16string& target);

 private:
  // `unixLink` is what the host creates; `windowsName` shows when it is in place.
  HostLink(const std::string& unixLink, const std::u16string& target,
           const std::u16string& windowsName);

  std::u16string windows_name_;
  std::string unix_link_;
  bool ok_ = false;
};

// The Unix path of a Windows path under Wine ("" elsewhere).
std::string UnixPathOf(const std::u16string& path);

}  // namespace talu::test
