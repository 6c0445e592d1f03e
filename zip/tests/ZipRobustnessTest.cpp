// Damaged archives of every kind must end in a loaded directory or an exception of the engine.
#include <gtest/gtest.h>

#include "TestArchive.h"

namespace talu::zip {
namespace {

using test::Bytes;

Bytes Sample() {
  test::TestEntry big{"z64", "0123456789"};
  big.zip64Sizes = true;
  test::TestEntry named{"n\x84", "abc"};
  named.centralExtra = test::ExtraBlock(0x554E, Bytes("NUCX\x01\x00\x00\x00x\x00", 10));
  test::TestEntry streamed{"s", "streamed"};
  streamed.dataDescriptor = true;
  test::ArchiveOptions options = test::WithStub("stub!");
  options.zip64End = true;
  options.comment = "comment";
  return test::BuildArchive({big, named, streamed}, options);
}

// Opens `bytes` both ways; any outcome but an engine exception fails the test.
void ExpectControlledOutcome(const Bytes& bytes, const std::string& what) {
  for (bool corrupted : {true, false}) {
    try {
      const auto opened = test::OpenBytes(bytes, {true, corrupted});
      for (int i = 0; i < opened->Dir().CDir.Count(); ++i) (void)opened->Item(i).Name.size();
    } catch (const Exception&) {
    } catch (const std::exception& e) {
      ADD_FAILURE() << what << ": " << e.what();
    }
  }
}

TEST(ZipRobustness, EveryTruncationIsHandled) {
  const Bytes sample = Sample();
  for (std::size_t n = 0; n <= sample.size(); ++n) {
    ExpectControlledOutcome(sample.substr(0, n), "cut at " + std::to_string(n));
  }
}

TEST(ZipRobustness, EveryDamagedByteIsHandled) {
  const Bytes sample = Sample();
  for (std::size_t i = 0; i < sample.size(); ++i) {
    for (unsigned char value : {0x00, 0x7F, 0xFF}) {
      Bytes damaged = sample;
      damaged[i] = static_cast<char>(value);
      ExpectControlledOutcome(damaged, "byte " + std::to_string(i));
    }
  }
}

TEST(ZipRobustness, HugeCountsDoNotAllocateWhatTheStreamCannotHold) {
  Bytes bytes = Sample();
  const std::size_t zip64End = bytes.rfind(std::string("PK\x06\x06", 4));
  for (int i = 0; i < 8; ++i) bytes[zip64End + 24 + i] = bytes[zip64End + 32 + i] = '\x7F';
  ExpectControlledOutcome(bytes, "huge count");
}

}  // namespace
}  // namespace talu::zip
