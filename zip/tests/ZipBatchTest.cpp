// Batches and single-item reads: progress values, cancel, selection, passwords of both kinds,
// windows of the uncompressed data, and the password test of one item.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "ArchiveProbe.h"
#include "ItemMaker.h"
#include "ScriptedPrompts.h"
#include "TestArchive.h"
#include "stream/ZipMemoryStreams.h"
#include "text/ZipUtf.h"

namespace talu::zip::test {
namespace {

const std::string kPassword = "qarvu-tn.pzo";

std::string Contents(TZipArchiver& zip, const std::u16string& name) {
  TStringStream out;
  zip.ExtractToStream(name, out);
  return out.DataString();
}

TEST(Batch, ProgressRunsFromZeroToHundredAndCountsItemsEqually) {
  auto a = OpenBytes(BuildArchive({Stored("a", Bytes(300000, 'a')), Stored("b", "b")}));
  std::vector<std::pair<double, TZipProgressPhase>> overall;
  a->zip.OnOverallProgress = [&](TZipBaseArchiver&, double p, TZipProcessOperation,
                                 TZipProgressPhase phase, bool&) {
    overall.push_back({p, phase});
  };
  a->zip.FileMasks().Add(u"*.*");
  a->zip.TestFiles();
  ASSERT_GE(overall.size(), 4u);
  EXPECT_EQ(overall.front(), std::make_pair(0.0, ppStart));
  EXPECT_EQ(overall.back(), std::make_pair(100.0, ppEnd));
  // The first item is half of the run whatever its size: its pieces stay at or below 50 %.
  for (std::size_t i = 1; i + 1 < overall.size(); ++i) {
    EXPECT_EQ(overall[i].second, ppProcess);
    EXPECT_GE(overall[i].first, overall[i - 1].first);
  }
  EXPECT_LE(overall[overall.size() - 3].first, 50.0);
}

TEST(Batch, EmptyArchiveFiresOnlyStartAndEnd) {
  auto a = OpenBytes(BuildArchive({}));
  int events = 0;
  a->zip.OnOverallProgress = [&](TZipBaseArchiver&, double, TZipProcessOperation, TZipProgressPhase,
                                 bool&) { ++events; };
  a->zip.TestFiles(u"*.*");
  EXPECT_EQ(events, 2);
}

// A cancel ends its own call quietly and says so; every call after it starts uncancelled.
TEST(Batch, CancelFromProgressStopsQuietly) {
  const Bytes data(3 << 20, 'a');
  TestEntry tampered = Encrypted(Stored("e", "secret"), kPassword);
  tampered.data.back() ^= 1;  // the check byte fits, the CRC does not
  auto a = OpenBytes(BuildArchive({Deflated("a", data), tampered}));
  a->zip.OnFileProgress = [](TZipBaseArchiver&, const std::u16string&, double, TZipProcessOperation,
                             TZipProgressPhase phase,
                             bool& cancel) { cancel = phase == ppProcess; };
  TStringStream out;
  EXPECT_NO_THROW(a->zip.ExtractToStream(u"a", out));
  EXPECT_EQ(out.DataString(), "");
  EXPECT_TRUE(a->zip.Cancelled());
  a->zip.OnFileProgress = nullptr;

  const auto afterCancelledBatch = [&](const std::function<void()>& call) {
    a->zip.OnOverallProgress = [](TZipBaseArchiver&, double, TZipProcessOperation,
                                  TZipProgressPhase, bool& cancel) { cancel = true; };
    a->zip.TestFiles(u"a");
    EXPECT_TRUE(a->zip.Cancelled());
    a->zip.OnOverallProgress = nullptr;
    call();
    EXPECT_FALSE(a->zip.Cancelled());
  };
  afterCancelledBatch([&] {
    std::u16string text;
    a->zip.ExtractToString(u"a", text);
    EXPECT_EQ(text.size(), data.size());
  });
  afterCancelledBatch([&] {
    Bytes head(4, '_');
    a->zip.ExtractToBuffer(u"a", head.data(), 4, 0);
    EXPECT_EQ(head, "aaaa");
  });
  afterCancelledBatch([&] { EXPECT_EQ(Contents(a->zip, u"a"), data); });
  afterCancelledBatch([&] { EXPECT_FALSE(a->zip.IsFilePasswordValid(u"e", kPassword)); });
}

// A caller's stream that notes whether a thread other than the caller's reads it.
class TThreadNotingStream final : public TStringStream {
 public:
  using TStringStream::TStringStream;
  std::int64_t Read(void* buffer, std::int64_t count) override {
    if (std::this_thread::get_id() != caller_) foreignReads_ = true;
    return TStringStream::Read(buffer, count);
  }
  bool ForeignReads() const { return foreignReads_; }

 private:
  std::thread::id caller_ = std::this_thread::get_id();
  bool foreignReads_ = false;
};

// Progress handlers may ask for the archive's size while a multi-chunk item is read, from a file
// or from a caller's stream, which is read on the caller's thread only.
TEST(Batch, SizeFromProgressDuringAMultiChunkItem) {
  const Bytes data = RandomBytes(5 << 20, 7);
  const Bytes archive = BuildArchive({Stored("s", data), Deflated("d", data)});
  TempFolder folder("size");
  WriteFile(folder.Root() / "a.zip", archive);
  TThreadNotingStream stream(archive);
  for (const bool file : {true, false}) {
    SCOPED_TRACE(file ? "file" : "caller's stream");
    TZipArchiver zip;
    if (file) {
      zip.SetFileName((folder.Root() / "a.zip").u16string());
      zip.OpenArchive(0x40);
    } else {
      zip.OpenArchive(stream, false);
    }
    zip.OnFileProgress = [](TZipBaseArchiver& arc, const std::u16string&, double,
                            TZipProcessOperation, TZipProgressPhase, bool&) { arc.Size(); };
    for (const char16_t* name : {u"s", u"d"}) EXPECT_EQ(Contents(zip, name), data);
  }
  EXPECT_FALSE(stream.ForeignReads());
}

struct NestedCallCase {
  const char* what;
  std::function<void(TZipArchiver&)> call;  // made from an event during the multi-chunk item
  bool outerBatch;                          // else the outer call is ExtractToStream
  bool closes;  // the call is a close: done once the outer call ends, which it cancels
};

// Calls back into the archiver from a progress event of a running call, during an item of several
// chunks that helper threads decode: an open, a batch and a single-item call are refused, a close
// waits for the outer call to end. The outer items pass either way.
TEST(Batch, CallsFromAnEventOfARunningCallAreRefusedOrDeferred) {
  const Bytes big = RandomBytes(3 << 20, 5);
  TempFolder folder("nested");
  const std::u16string file = (folder.Root() / "a.zip").u16string();
  std::vector<TestEntry> items = {Deflated("big", big), Stored("raw", big)};
  for (int i = 0; i < 8; ++i) items.push_back(Deflated("s" + std::to_string(i), "small"));
  WriteFile(folder.Root() / "a.zip", BuildArchive(items));
  const auto read = [](TZipArchiver& zip) {
    TStringStream out;
    zip.ExtractToStream(u"s1", out);
  };
  const NestedCallCase cases[] = {
      {"open", [&](TZipArchiver& zip) { zip.OpenArchive(0x40); }, true, false},
      {"single-item read", read, true, false},
      {"batch", [](TZipArchiver& zip) { zip.TestFiles(u"*.*"); }, true, false},
      {"password test", [](TZipArchiver& zip) { zip.IsFilePasswordValid(u"s2", "x"); }, true,
       false},
      {"read in a read", read, false, false},
      {"close", [](TZipArchiver& zip) { zip.CloseArchive(); }, true, true},
      {"close in a read", [](TZipArchiver& zip) { zip.CloseArchive(); }, false, true},
  };
  for (const NestedCallCase& c : cases) {
    SCOPED_TRACE(c.what);
    TZipArchiver zip;
    zip.SetFileName(file);
    zip.OpenArchive(0x40);
    std::vector<int> failures, refused;
    int passed = 0;
    zip.OnProcessFileFailure = [&](TZipBaseArchiver&, const std::u16string&, TZipProcessOperation,
                                   std::int32_t native, std::int32_t, const std::u16string&,
                                   TZipAction& action) {
      failures.push_back(native);
      action = fxaIgnore;
    };
    zip.OnFileProgress = [&](TZipBaseArchiver&, const std::u16string& name, double at,
                             TZipProcessOperation, TZipProgressPhase phase, bool&) {
      if (phase == ppEnd) ++passed;
      if (name != u"big" || phase != ppProcess || at < 50 || !refused.empty()) return;
      refused.push_back(-1);
      refused[0] = NativeErrorOf([&] { c.call(zip); });
    };
    TStringStream out;
    if (c.outerBatch)
      zip.TestFiles(u"*.*");
    else
      zip.ExtractToStream(u"big", out);
    EXPECT_EQ(refused, std::vector<int>{c.closes ? -1 : kNeArchiverBusy});
    EXPECT_EQ(failures, std::vector<int>{});
    EXPECT_EQ(passed, c.outerBatch && !c.closes ? int(items.size()) : 1);
    EXPECT_EQ(zip.Cancelled(), c.closes && c.outerBatch);
    EXPECT_EQ(zip.Active(), !c.closes);
    EXPECT_TRUE(c.outerBatch || out.DataString() == big);
    EXPECT_TRUE(c.closes || Contents(zip, u"s3") == "small");  // usable as before
  }
}

TEST(Selection, MasksRecursionAndAttributes) {
  TestEntry hidden = Stored("h.txt", "h");
  hidden.externalAttr = 0x22;
  auto a = OpenBytes(BuildArchive(
      {Stored("a.txt", "a"), Stored("sub/b.txt", "b"), Stored("c.txt.bak", "c"), hidden}));
  const auto tagged = [&] {
    std::string names;
    for (int i = 0; i < a->Dir().CDir.Count(); ++i)
      if (a->Item(i).Tagged) names += Utf16ToUtf8(std::u16string(a->Item(i).Name)) + " ";
    return names;
  };
  a->zip.TagFiles(u"*.txt", kZipAllAttributes, u"");
  EXPECT_EQ(tagged(), "a.txt sub/b.txt h.txt ");
  a->zip.TagFiles(u"*.txt", 0x20, u"");
  EXPECT_EQ(tagged(), "a.txt sub/b.txt ");
  a->zip.Options().Recurse = false;
  a->zip.TagFiles(u"*.txt", 0x20, u"");
  EXPECT_EQ(tagged(), "a.txt ");
  a->zip.TagFiles(u"*.txt", kZipAllAttributes, u"a*");
  EXPECT_EQ(tagged(), "h.txt ");
}

TEST(Passwords, TraditionalWrongThenRightThroughTheBox) {
  TestEntry e = Encrypted(Stored("secret.txt", "the secret"), kPassword);
  auto a = OpenBytes(BuildArchive({e}));
  ScriptedPrompts prompts;
  prompts.AnswerPassword(u"wrong");
  prompts.AnswerPassword(u"qarvu-tn.pzo");
  EXPECT_EQ(Contents(a->zip, u"secret.txt"), "the secret");
  ASSERT_EQ(prompts.Asked().size(), 2u);  // the empty password asks too
  EXPECT_EQ(prompts.Asked()[0].text, u"Password for \"secret.txt\"");
  EXPECT_EQ(a->zip.Password(), kPassword);  // kept for the next items
}

TEST(Passwords, CancelledBoxSkipsTheItemWithoutError) {
  auto a = OpenBytes(BuildArchive({Encrypted(Stored("s.txt", "s"), kPassword)}));
  ScriptedPrompts prompts;  // no answers: the box is closed
  TStringStream out;
  EXPECT_NO_THROW(a->zip.ExtractToStream(u"s.txt", out));
  EXPECT_EQ(out.DataString(), "");
}

// A handler that never skips gets a bounded number of questions, then the failure event; one that
// skips gets no failure event. Either way the skipped item is counted and the next one is read.
TEST(Passwords, UnansweredBoxEndsAndSkipsAreCounted) {
  for (const bool skips : {false, true}) {
    auto a =
        OpenBytes(BuildArchive({Encrypted(Stored("s.txt", "s"), kPassword), Stored("p", "p")}));
    int asked = 0;
    std::vector<int> failures;
    a->zip.OnPassword = [&](TZipBaseArchiver&, const std::u16string&, std::string& password,
                            bool& skip) {
      ++asked;
      password = "wrong";
      skip = skips;
    };
    a->zip.OnProcessFileFailure = [&](TZipBaseArchiver&, const std::u16string&,
                                      TZipProcessOperation, std::int32_t native, std::int32_t,
                                      const std::u16string&, TZipAction& action) {
      failures.push_back(native);
      action = fxaIgnore;
    };
    std::u16string ended;
    a->zip.OnFileProgress = [&](TZipBaseArchiver&, const std::u16string& name, double,
                                TZipProcessOperation, TZipProgressPhase phase, bool&) {
      if (phase == ppEnd) ended += name;
    };
    a->zip.TestFiles(u"*.*");
    EXPECT_EQ(asked, skips ? 1 : a->zip.PasswordAttempts());
    EXPECT_EQ(failures, skips ? std::vector<int>{} : std::vector<int>{kNeInvalidPassword});
    EXPECT_EQ(a->zip.PasswordSkips(), 1);
    EXPECT_EQ(ended, skips ? u"s.txtp" : u"p");
  }
}

TEST(Passwords, DataDescriptorItemsCheckTheTimeByte) {
  TestEntry e = Stored("dd.txt", "descriptor");
  e.dataDescriptor = true;
  e.time = 0xAB00;
  auto a = OpenBytes(BuildArchive({Encrypted(e, kPassword)}));
  a->zip.SetPassword(kPassword);
  EXPECT_EQ(Contents(a->zip, u"dd.txt"), "descriptor");
}

TEST(Passwords, AesItemsOfEveryStrengthAcrossChunks) {
  const Bytes big = RandomBytes((1 << 20) + 777, 9);
  for (int bits : {128, 192, 256}) {
    auto a = OpenBytes(BuildArchive({AesEncrypted(Deflated("big.bin", big), kPassword, bits),
                                     AesEncrypted(Stored("empty", ""), kPassword, bits)}));
    EXPECT_EQ(a->Item(0).ZipEncryptionAlgorithm, bits / 64 - 1);
    a->zip.SetPassword(kPassword);
    EXPECT_EQ(Contents(a->zip, u"big.bin"), big) << bits;
    EXPECT_EQ(Contents(a->zip, u"empty"), "") << bits;
  }
}

TEST(Passwords, TamperedAesContentOrCodeFails) {
  TestEntry e = AesEncrypted(Stored("t.txt", "tamper me"), kPassword, 256);
  for (std::size_t at : {std::size_t(20), e.data.size() - 1}) {
    TestEntry bad = e;
    bad.data[at] ^= 0x40;
    auto a = OpenBytes(BuildArchive({bad}));
    a->zip.SetPassword(kPassword);
    TStringStream out;
    EXPECT_EQ(NativeErrorOf([&] { a->zip.ExtractToStream(u"t.txt", out); }), kNeItemFailed) << at;
  }
}

TEST(Passwords, StrengthCodeFourIsNotAes) {
  TestEntry e = AesEncrypted(Stored("x", "x"), kPassword, 256);
  e.centralExtra[8] = 4;  // the strength byte of the AES block
  auto a = OpenBytes(BuildArchive({e}));
  EXPECT_EQ(a->Item(0).ZipEncryptionAlgorithm, caPkzipClassic);
}

// PBKDF2 takes at most 32767 password bytes: a longer password fails the AES item through the
// failure event like any wrong password, and the batch goes on.
// Derived AES keys are remembered by one archiver only, and forgotten when it closes the archive.
TEST(Passwords, AesKeysBelongToOneArchiverUntilClosed) {
  struct TKeyProbe : TZipArchiver {
    using TZipBaseArchiver::KeyCache;
  };
  const Bytes archive = BuildArchive({AesEncrypted(Stored("aes", "a"), kPassword, 256)});
  TStringStream first(archive), second(archive);
  TKeyProbe reader, other;
  reader.SetPassword(kPassword);
  reader.OpenArchive(first, false);
  other.OpenArchive(second, false);
  EXPECT_EQ(Contents(reader, u"aes"), "a");
  EXPECT_EQ(reader.KeyCache().Count(), 1u);
  EXPECT_EQ(other.KeyCache().Count(), 0u);
  reader.CloseArchive();
  EXPECT_EQ(reader.KeyCache().Count(), 0u);
}

TEST(Passwords, TooLongForAesFailsTheItem) {
  const std::string tooLong(40000, 'p');
  const Bytes archive = BuildArchive(
      {AesEncrypted(Stored("aes", "a"), kPassword, 256), Encrypted(Stored("trad", "t"), tooLong)});
  EXPECT_EQ(OpenAndTest(archive, true, tooLong), "1 items failed (native error 67)");
  EXPECT_FALSE(OpenBytes(archive)->zip.IsFilePasswordValid(u"aes", tooLong));
}

TEST(Passwords, IsFilePasswordValidForEveryKind) {
  auto a = OpenBytes(BuildArchive({Stored("plain", "p"), Encrypted(Stored("trad", "t"), kPassword),
                                   AesEncrypted(Stored("aes", "a"), kPassword, 128)}));
  a->zip.SetPassword("kept");
  for (const char16_t* name : {u"plain", u"trad", u"aes"}) {
    EXPECT_TRUE(a->zip.IsFilePasswordValid(name, kPassword)) << Utf16ToUtf8(name);
    EXPECT_EQ(a->zip.IsFilePasswordValid(name, "wrong"), name == std::u16string(u"plain"));
  }
  EXPECT_EQ(a->zip.Password(), "kept");
  EXPECT_EQ(NativeErrorOf([&] { a->zip.IsFilePasswordValid(u"missing", kPassword); }),
            kNePasswordItemNotFound);
  // A password that passes the quick check is confirmed by the full test even when corrupted
  // items are otherwise kept.
  a->zip.SetExtractCorruptedFiles(true);
  EXPECT_FALSE(a->zip.IsFilePasswordValid(u"aes", "wrong"));
}

// One rule for every method and size: a window inside the item gets its bytes, one that runs
// past the end is a read error, one that starts at or past the end is refused by name. Items of
// one chunk and of several, and one whose single chunk inflates to several output blocks.
TEST(SingleItem, WindowsAreExactOrRefused) {
  const Bytes small = "twelve bytes";
  const Bytes big = RandomBytes(3 << 20, 4);
  Bytes dense(3 << 20, 'z');
  for (std::size_t i = 0; i < dense.size(); i += 1000) dense[i] = static_cast<char>(i >> 10);
  const struct {
    const char16_t* name;
    const Bytes& data;
  } items[] = {{u"s1", small}, {u"d1", small}, {u"s", big},  {u"d", big},
               {u"t", big},    {u"a", big},    {u"z", dense}};
  auto a = OpenBytes(
      BuildArchive({Stored("s1", small), Deflated("d1", small), Stored("s", big),
                    Deflated("d", big), Encrypted(Deflated("t", big), kPassword),
                    AesEncrypted(Stored("a", big), kPassword, 256), Deflated("z", dense)}));
  a->zip.SetPassword(kPassword);
  const struct {
    std::int64_t offset;
    bool fromEnd;  // offset counted from the item's end
    std::int32_t count;
  } windows[] = {{0, false, 100},
                 {(1 << 20) + 5, false, 4096},
                 {65530, false, 70000},
                 {-100, true, 100},
                 {-2, true, 3},
                 {-100, true, 200},
                 {0, true, 1},
                 {38, true, 10},
                 {int64_t{1} << 32, true, 10},
                 {(int64_t{1} << 32) + 5, false, 10}};
  for (const auto& item : items) {
    const auto size = static_cast<std::int64_t>(item.data.size());
    for (const auto& w : windows) {
      const std::int64_t offset = w.fromEnd ? size + w.offset : w.offset;
      if (offset < 0) continue;
      SCOPED_TRACE(Utf16ToUtf8(item.name) + " " + std::to_string(offset) + "+" +
                   std::to_string(w.count));
      Bytes window(static_cast<size_t>(w.count) + 8, '#');
      auto extract = [&] { a->zip.ExtractToBuffer(item.name, window.data(), w.count, offset); };
      if (offset >= size) {
        EXPECT_EQ(NativeErrorOf(extract), kNeWindowOutsideItem);
      } else if (offset + w.count > size) {
        EXPECT_THROW(extract(), EReadError);
      } else {
        extract();
        EXPECT_EQ(window.substr(0, static_cast<size_t>(w.count)),
                  item.data.substr(static_cast<size_t>(offset), static_cast<size_t>(w.count)));
      }
      EXPECT_EQ(window.substr(static_cast<size_t>(w.count)), "########");
    }
  }
  Bytes tooMuch(10, '\0');
  EXPECT_THROW(a->zip.ExtractToBuffer(u"s", tooMuch.data(), 10, big.size() - 5), EReadError);
  EXPECT_EQ(NativeErrorOf([&] { a->zip.ExtractToBuffer(u"none", tooMuch.data(), 1, 0); }),
            kNeItemNotFound);
}

}  // namespace
}  // namespace talu::zip::test
