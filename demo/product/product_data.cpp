#include "product_data.h"

#include <windows.h>

#include <array>
#include <fstream>
#include <sstream>

#include "gui/text.h"

namespace talu::demo {
namespace {

constexpr char16_t kProductName[] = u"TaluDemo";

// A value of an ini file; empty when the file, section or key is missing.
std::u16string IniValue(const std::filesystem::path& ini, const wchar_t* section,
                        const wchar_t* key) {
  std::array<wchar_t, 512> value{};
  GetPrivateProfileStringW(section, key, L"", value.data(), static_cast<DWORD>(value.size()),
                           ini.c_str());
  return gui::FromWide(value.data());
}

std::u16string TipOfTheDay(const std::filesystem::path& folder, const std::u16string& tipsFile,
                           unsigned day) {
  if (tipsFile.empty()) return u"No tips are listed for this edition.";
  const auto lines = ReadTextLines(folder / std::filesystem::path(tipsFile));
  if (lines.empty()) return u"The tips file " + tipsFile + u" is missing.";
  return lines[day % lines.size()];
}

}  // namespace

std::filesystem::path DataFolderBesideProgram() {
  std::array<wchar_t, MAX_PATH * 4> path{};
  GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  return std::filesystem::path(path.data()).parent_path() / L"CSTALU";
}

ProductData ReadProductData(const std::filesystem::path& folder, const std::u16string& editionName,
                            unsigned day) {
  const auto ini = folder / L"product.ini";
  ProductData data;
  const std::u16string name = IniValue(ini, L"Product", L"Name");
  data.found = !name.empty();
  if (!data.found) {
    data.title = kProductName;
    data.tip = u"The data folder CSTALU is missing beside the program.";
    return data;
  }
  const std::u16string version = IniValue(ini, L"Product", L"Version");
  data.title = version.empty() ? name : name + u" " + version;
  data.publisher = IniValue(ini, L"Product", L"Publisher");
  const std::u16string tipsFile = IniValue(ini, L"Tips", gui::Wide(editionName));
  data.tip = TipOfTheDay(folder, tipsFile, day);
  return data;
}

std::vector<std::u16string> ReadTextLines(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  if (text.str().starts_with("\xEF\xBB\xBF")) text.ignore(3);
  std::string line;
  std::vector<std::u16string> lines;
  while (std::getline(text, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(gui::Utf8ToUtf16(line));
  }
  return lines;
}

unsigned Today() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  FILETIME local{};
  FileTimeToLocalFileTime(&now, &local);
  const ULONGLONG ticks = (ULONGLONG{local.dwHighDateTime} << 32) | local.dwLowDateTime;
  constexpr ULONGLONG kTicksPerDay = 10'000'000ULL * 60 * 60 * 24;
  return static_cast<unsigned>(ticks / kTicksPerDay);
}

}  // namespace talu::demo
