#include "SetupTestSupport.h"

#include <windows.h>
// After <windows.h>:
#include <objbase.h>
#include <shlobj.h>

#include <cstring>

#include "FileSystem.h"
#include "Get_Dir.h"
#include "MS_File.h"
#include "PendingRenames.h"
#include "ProductFiles.h"
#include "Registry.h"
#include "SetupConst.h"
#include "WideText.h"
#include "WinHandles.h"
#include "platform/ZipPlatform.h"

namespace talu::setup::test {
namespace {

std::u16string TestProgramFolder() {
  wchar_t self[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
  const std::u16string path = FromWide(self);
  return path.substr(0, path.rfind(u'\\') + 1);
}

bool ReadPending(std::vector<char>& data) {
  RegKey key;
  DWORD size = 0, type = 0;
  if (!key.Open(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_READ) ||
      !key.ReadRaw(kPendingRenamesValue, nullptr, size, type)) {
    return false;
  }
  data.assign(size, '\0');
  return key.ReadRaw(kPendingRenamesValue, data.data(), size, type);
}

void WritePending(const std::vector<char>* data) {
  RegKey key;
  if (!key.Open(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_ALL_ACCESS)) return;
  if (data == nullptr) {
    key.DeleteValue(kPendingRenamesValue);
  } else {
    key.WriteRaw(kPendingRenamesValue, REG_MULTI_SZ, data->data(),
                 static_cast<DWORD>(data->size()));
  }
}

// Shell links are read through the single-threaded apartment of the test's thread.
class ComApartment : public ::testing::Environment {
 public:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }
};
const auto* const kApartment = ::testing::AddGlobalTestEnvironment(new ComApartment);

}  // namespace

std::u16string PayloadSource(const std::u16string& name) {
  return TestProgramFolder() + u"payload\\" + name;
}

std::u16string DesktopLink() {
  return CorrectDir(GetDeskTopDir()) + kLinkName;
}

std::u16string ProgramsFolder() {
  return CorrectDir(GetProgramDir());
}

std::vector<std::u16string> PendingDeletions() {
  std::vector<char> data;
  std::vector<std::u16string> sources;
  if (!ReadPending(data)) return sources;
  std::u16string text(data.size() / 2, u'\0');
  std::memcpy(text.data(), data.data(), text.size() * 2);
  std::vector<std::u16string> strings;
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find(u'\0', start);
    if (end == std::u16string::npos) end = text.size();
    strings.push_back(text.substr(start, end - start));
  }
  for (size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (!strings[i].empty() && strings[i + 1].empty()) {
      sources.push_back(strings[i].rfind(u"\\??\\", 0) == 0 ? strings[i].substr(4) : strings[i]);
    }
  }
  return sources;
}

bool IsPendingDeletion(const std::u16string& path) {
  for (const auto& source : PendingDeletions()) {
    if (CompareStringOrdinal(Wide(source), -1, Wide(path), -1, TRUE) == CSTR_EQUAL) return true;
  }
  return false;
}

LinkInfo ReadLink(const std::u16string& path) {
  LinkInfo info;
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.put_void()))) {
    return info;
  }
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) ||
      FAILED(file->Load(Wide(path), STGM_READ))) {
    return info;
  }
  wchar_t text[MAX_PATH + 1] = {};
  int index = 0;
  if (SUCCEEDED(link->GetPath(text, MAX_PATH + 1, nullptr, SLGP_RAWPATH)))
    info.target = FromWide(text);
  if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH + 1, &index))) info.icon = FromWide(text);
  if (SUCCEEDED(link->GetDescription(text, MAX_PATH + 1))) info.description = FromWide(text);
  if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH + 1))) info.workingDir = FromWide(text);
  return info;
}

std::u16string RegistryText(const std::u16string& key, const std::u16string& value) {
  RegKey opened;
  if (!opened.Open(HKEY_CURRENT_USER, key, KEY_READ)) return u"<no key>";
  return opened.ReadString(value).value_or(u"<no value>");
}

bool RegistryKeyExists(const std::u16string& key) {
  RegKey opened;
  return opened.Open(HKEY_CURRENT_USER, key, KEY_READ);
}

SetupTest::SetupTest() : previousDirectory_(zip::platform::CurrentDirectory()) {
  hadPending_ = ReadPending(savedPending_);
  CleanProductTraces();
  talu::test::MakeDirs(setupDir_);
  WriteText(setupDir_ + u"\\setup.exe", "the running setup program");
  SetCurrentDirectoryW(Wide(setupDir_));
  zip::SetZipPrompts(&prompts_);
}

SetupTest::~SetupTest() {
  zip::SetZipPrompts(nullptr);
  SetCurrentDirectoryW(Wide(previousDirectory_));
  CleanProductTraces();
  WritePending(hadPending_ ? &savedPending_ : nullptr);
}

void SetupTest::CleanProductTraces() {
  RegDeleteTreeW(HKEY_CURRENT_USER, Wide(kUninstallKey));
  RegDeleteTreeW(HKEY_CURRENT_USER, Wide(kProductKey));
  DeleteFileW(Wide(DesktopLink()));
  talu::test::RemoveTree(ProgramsFolder() + kProductGroup);
  RemoveDirectoryW(Wide(ProgramsFolder() + kMakerGroup));  // only when empty
}

void SetupTest::PlacePayload(const std::u16string& name) {
  const std::u16string payload = setupDir_ + u"\\" + kPayloadName;
  DeleteFileW(Wide(payload));
  if (name.empty()) return;
  ASSERT_TRUE(CopyFileW(Wide(PayloadSource(name)), Wide(payload), FALSE));
}

std::unique_ptr<TForm1> SetupTest::MakeForm(std::vector<std::u16string> arguments,
                                            std::u16string program) {
  if (program.empty()) program = setupDir_ + u"\\setup.exe";
  return std::make_unique<TForm1>(TSetupContext{std::move(arguments), std::move(program)});
}

void SetupTest::Watch(TForm1& form) {
  form.OnRunStep = [this, &form, status = form.Label1.Caption(),
                    progress = form.ProgressBar1.Position()]() mutable {
    if (form.Label1.Caption() != status) log_.statuses.push_back(status = form.Label1.Caption());
    if (form.ProgressBar1.Position() != progress) {
      log_.progress.push_back(progress = form.ProgressBar1.Position());
    }
  };
}

void SetupTest::Install(TForm1& form, const std::u16string& destination, int language) {
  form.Edit1.SetText(destination);
  form.Lang.SetItemIndex(language);
  Watch(form);
  form.Button1.Click();
}

}  // namespace talu::setup::test
