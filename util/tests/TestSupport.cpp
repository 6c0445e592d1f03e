#include "TestSupport.h"

#include <windows.h>
// After <windows.h>:
#include <aclapi.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "FileSystem.h"
#include "LogonDeletions.h"
#include "PendingRenames.h"
#include "Registry.h"
#include "WideText.h"
#include "text/ZipUtf.h"

namespace talu::test {
namespace {

// Starts a host program under Wine. Its process handle cannot be waited on, so the caller
// polls for the program's effect.
bool StartHostProgram(const std::u16string& program, const std::u16string& commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::u16string line = commandLine;
  if (!CreateProcessW(Wide(program), const_cast<wchar_t*>(Wide(line)), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

// Polls for up to five seconds until the path's existence is `wanted`.
bool WaitForExistence(const std::u16string& path, bool wanted) {
  for (int tries = 0; tries < 100; ++tries) {
    if (Exists(path) == wanted) return true;
    Sleep(50);
  }
  return false;
}

}  // namespace

void RemoveTree(const std::u16string& folder) {
  WIN32_FIND_DATAW entry;
  FindHandle listing(FindFirstFileW(Wide(folder + u"\\*"), &entry));
  if (listing) {
    do {
      const DWORD attributes = entry.dwFileAttributes;
      // A link is left to its owner (HostLink).
      if (IsDotEntry(entry.cFileName) || IsFolderLink(attributes)) continue;
      const std::u16string path = folder + u'\\' + FromWide(entry.cFileName);
      if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(Wide(path), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Wide(path));
      }
    } while (FindNextFileW(listing.get(), &entry));
  }
  RemoveDirectoryW(Wide(folder));
}

std::u16string TempFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  return FromWide(temp);
}

TempDir::TempDir(const std::u16string& base) {
  static std::atomic<int> counter{0};
  path_ = base + u"talu-util-" + zip::Utf8ToUtf16(std::to_string(GetCurrentProcessId())) + u'-' +
          zip::Utf8ToUtf16(std::to_string(++counter));
  MakeDirs(path_);
}

TempDir::~TempDir() {
  RemoveTree(path_);
}

void WriteText(const std::u16string& path, const std::string& text) {
  FileHandle file(CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string ReadText(const std::u16string& path) {
  FileHandle file(
      CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::string text(64 * 1024, '\0');
  DWORD got = 0;
  if (!file || !ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr)) {
    return {};
  }
  text.resize(got);
  return text;
}

bool Exists(const std::u16string& path) {
  return GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES;
}

void MakeDirs(const std::u16string& path) {
  const auto slash = path.rfind(u'\\');
  if (slash != std::u16string::npos && slash > 2) MakeDirs(path.substr(0, slash));
  CreateDirectoryW(Wide(path), nullptr);
}

std::u16string HelperPath() {
  wchar_t self[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
  const std::u16string path = FromWide(self);
  return path.substr(0, path.rfind(u'\\') + 1) + u"util_test_helper.exe";
}

DWORD RunToEnd(const std::u16string& program, const std::u16string& arguments) {
  return RunCommandLine(u'"' + program + u"\" " + arguments);
}

DWORD RunCommandLine(std::u16string line) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, const_cast<wchar_t*>(Wide(line)), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &info)) {
    return ~0u;
  }
  KernelHandle process(info.hProcess);
  CloseHandle(info.hThread);
  DWORD code = ~0u;
  if (WaitForSingleObject(process.get(), 120000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.get(), &code);
  }
  return code;
}

void RestartWine() {
  wchar_t system[MAX_PATH + 1] = {};
  GetSystemDirectoryW(system, MAX_PATH + 1);
  RunToEnd(FromWide(system) + u"\\wineboot.exe", u"-r");
}

void PlayNextLogon() {
  RegKey key;
  if (!key.Open(HKEY_CURRENT_USER, kRunOnceKey, KEY_ALL_ACCESS)) return;
  for (const auto& name : key.ValueNames()) {
    const std::u16string command = key.ReadString(name).value_or(u"");
    key.DeleteValue(name);
    RunCommandLine(command);
  }
}

std::vector<std::u16string> OurLogonValues() {
  RegKey key;
  std::vector<std::u16string> ours;
  if (!key.Open(HKEY_CURRENT_USER, kRunOnceKey, KEY_READ)) return ours;
  for (const auto& name : key.ValueNames()) {
    if (name == kLogonValueName) ours.push_back(name);
  }
  return ours;
}

// One key whose DACL denies everyone the writing of values and sub-keys until Restore.
class StandardUserRights::DeniedKey {
 public:
  DeniedKey(HKEY root, const std::u16string& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, Wide(path), 0, READ_CONTROL | WRITE_DAC | view, &key) !=
        ERROR_SUCCESS) {
      return;
    }
    key_.reset(key);
    if (GetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &saved_,
                        nullptr, &descriptor_) != ERROR_SUCCESS) {
      return;
    }
    EXPLICIT_ACCESSW deny{};
    BuildExplicitAccessWithNameW(&deny, const_cast<wchar_t*>(L"EVERYONE"),
                                 KEY_SET_VALUE | KEY_CREATE_SUB_KEY, DENY_ACCESS, NO_INHERITANCE);
    PACL denied = nullptr;
    applied_ = SetEntriesInAclW(1, &deny, saved_, &denied) == ERROR_SUCCESS &&
               SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                               denied, nullptr) == ERROR_SUCCESS;
    LocalFree(denied);
  }
  ~DeniedKey() {
    if (applied_) {
      SetSecurityInfo(key_.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                      saved_, nullptr);
    }
    LocalFree(descriptor_);
  }
  DeniedKey(const DeniedKey&) = delete;
  DeniedKey& operator=(const DeniedKey&) = delete;
  bool applied() const { return applied_; }

 private:
  RegKeyHandle key_;
  PACL saved_ = nullptr;  // inside descriptor_
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  bool applied_ = false;
};

StandardUserRights::StandardUserRights() {
  for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    for (const char16_t* path : {kSessionManagerKey, kRunOnceKey}) {
      keys_.push_back(std::make_unique<DeniedKey>(HKEY_LOCAL_MACHINE, path, view));
    }
  }
}

// The same key can be denied twice (a key both views share): the first denial's saved rights
// must be restored last.
StandardUserRights::~StandardUserRights() {
  while (!keys_.empty()) keys_.pop_back();
}

bool StandardUserRights::applied() const {
  return std::all_of(keys_.begin(), keys_.end(), [](const auto& key) { return key->applied(); });
}

FileLocker::FileLocker(const std::u16string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE child_in = nullptr, to_child = nullptr, from_child = nullptr, child_out = nullptr;
  CreatePipe(&child_in, &to_child, &inherit, 0);
  CreatePipe(&from_child, &child_out, &inherit, 0);
  SetHandleInformation(to_child, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(from_child, HANDLE_FLAG_INHERIT, 0);
  to_child_.reset(to_child);
  FileHandle reader(from_child);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = child_in;
  startup.hStdOutput = child_out;
  startup.hStdError = child_out;
  PROCESS_INFORMATION info{};
  std::u16string line = u'"' + HelperPath() + u"\" lock \"" + path + u'"';
  const BOOL started = CreateProcessW(Wide(HelperPath()), const_cast<wchar_t*>(Wide(line)), nullptr,
                                      nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
  CloseHandle(child_in);
  CloseHandle(child_out);
  if (!started) return;
  process_.reset(info.hProcess);
  CloseHandle(info.hThread);
  char reply[64] = {};
  DWORD got = 0;
  locked_ = ReadFile(reader.get(), reply, sizeof reply - 1, &got, nullptr) &&
            std::string(reply, got).starts_with("locked");
}

void FileLocker::Release() {
  to_child_.reset();  // end of input: the locker closes the file and ends
  if (process_) WaitForSingleObject(process_.get(), 30000);
  process_.reset();
  locked_ = false;
}

std::string UnixPathOf(const std::u16string& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto to_unix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  if (to_unix == nullptr) return {};
  char* unix_path = to_unix(Wide(path));
  if (unix_path == nullptr) return {};
  std::string result = unix_path;
  HeapFree(GetProcessHeap(), 0, unix_path);
  return result;
}

HostLink::HostLink(const std::u16string& link, const std::u16string& target)
    : HostLink(UnixPathOf(link), target, link) {}

HostLink::HostLink(const std::string& unixLink, const std::u16string& target,
                   const std::u16string& windowsName)
    : windows_name_(windowsName), unix_link_(unixLink) {
  const std::string unix_target = UnixPathOf(target);
  if (unix_target.empty() || unix_link_.empty()) return;
  const std::u16string line =
      u"ln -s \"" + zip::Utf8ToUtf16(unix_target) + u"\" \"" + zip::Utf8ToUtf16(unix_link_) + u'"';
  ok_ = StartHostProgram(u"Z:\\bin\\ln", line) && WaitForExistence(windows_name_, true);
}

std::unique_ptr<HostLink> HostLink::Drive(char letter, const std::u16string& target) {
  std::string dosdevices = UnixPathOf(u"C:\\");  // ".../dosdevices/c:/"
  if (dosdevices.size() > 3) dosdevices.resize(dosdevices.size() - 3);
  const std::u16string root = {static_cast<char16_t>(toupper(letter)), u':', u'\\'};
  return std::unique_ptr<HostLink>(new HostLink(dosdevices + letter + ':', target, root));
}

HostLink::~HostLink() {
  if (!ok_) return;
  StartHostProgram(u"Z:\\bin\\rm", u"rm -f \"" + zip::Utf8ToUtf16(unix_link_) + u'"');
  WaitForExistence(windows_name_, false);
}

}  // namespace talu::test
