// An extraction destination three folders below a fresh temporary root, so that names which
// climb out of it still land where the test can see them, and what an extraction left in and
// around it.
#pragma once

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "CaseLimits.h"
#include "ItemMaker.h"
#include "ZipArchiver.h"
#include "stream/ZipFileStream.h"

namespace talu::zip::test {

class Sandbox {
 public:
  struct Outcome {
    std::vector<int> failures;      // native errors the batch reported, one per failed item
    std::string raised;             // what ended the batch early, if anything
    std::set<std::string> inside;   // files under the destination, "a/b.txt"
    std::set<std::string> outside;  // files and folders anywhere else under the root
    CaseCost cost;
  };

  Sandbox() : temp_("hostile"), dest_(temp_.Out() / "in" / "dest") {
    std::filesystem::create_directories(dest_);
  }
  const std::filesystem::path& Root() const { return temp_.Root(); }
  const std::filesystem::path& Dest() const { return dest_; }

  // Extracts every item into the destination, answering every failure with Ignore; `prepare`
  // may change the archiver's options first.
  Outcome Extract(const Bytes& archive,
                  const std::function<void(TZipArchiver&)>& prepare = nullptr) const {
    Outcome out;
    // Opened from a file, as users open archives, so that batches also decode ahead.
    const std::filesystem::path file = ArchiveFile();
    {
      TFileStream(file.u16string(), platform::kModeCreate)
          .WriteBuffer(archive.data(), archive.size());
    }
    TZipArchiver zip;
    zip.SetBaseDir(dest_.u16string());
    zip.OnProcessFileFailure = [&](TZipBaseArchiver&, const std::u16string&, TZipProcessOperation,
                                   std::int32_t native, std::int32_t, const std::u16string&,
                                   TZipAction& action) {
      out.failures.push_back(native);
      action = fxaIgnore;
    };
    if (prepare) prepare(zip);
    out.cost = MeasureCase([&] {
      try {
        zip.SetFileName(file.u16string());
        zip.OpenArchive(platform::kModeReadDenyNone);
        zip.ExtractFiles(u"*.*");
      } catch (const EZipException& e) {
        out.raised = "native error " + std::to_string(e.NativeError());
      } catch (const EStreamError&) {
        out.raised = "stream error";
      }
    });
    List(out);
    return out;
  }

 private:
  std::filesystem::path ArchiveFile() const { return Root() / "archive.zip"; }

  void List(Outcome& out) const {
    namespace fs = std::filesystem;
    const std::set<fs::path> chain{temp_.Out(), temp_.Out() / "in", dest_, ArchiveFile()};
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Root())) {
      const fs::path rel = entry.path().lexically_relative(dest_);
      if (!rel.empty() && *rel.begin() != "..") {
        if (!entry.is_directory()) out.inside.insert(rel.generic_string());
      } else if (!chain.count(entry.path())) {
        out.outside.insert(entry.path().lexically_relative(Root()).generic_string());
      }
    }
  }

  TempFolder temp_;
  std::filesystem::path dest_;
};

}  // namespace talu::zip::test
