// Helpers shared by the crypto tests: hex conversion and a fixture that runs each test on the
// processor's fast path and on the portable path.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "ByteUtil.h"
#include "CpuFeatures.h"

namespace talu::crypto {

inline TBytes Hex(std::string_view hex) {
  TBytes bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(
        static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

inline std::string ToHex(const std::uint8_t* data, std::size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (std::size_t i = 0; i < size; ++i) {
    hex += kDigits[data[i] >> 4];
    hex += kDigits[data[i] & 15];
  }
  return hex;
}

inline std::string ToHex(const TBytes& bytes) {
  return ToHex(bytes.data(), bytes.size());
}

inline TBytes Repeat(std::uint8_t value, std::size_t count) {
  return TBytes(count, value);
}

inline TBytes Text(std::string_view text) {
  return TBytes(text.begin(), text.end());
}

enum class TCodePath { Fast, Portable };

// Runs the test body with the AES and SHA instructions in force (Fast; skipped on a processor
// without them) or switched off (Portable).
class CodePathTest : public testing::TestWithParam<TCodePath> {
 protected:
  void SetUp() override {
    const TCpuFeatures detected = DetectCpuFeatures();
    if (GetParam() == TCodePath::Portable) {
      SetCpuFeaturesForTesting({});
    } else if (!detected.Aes && !detected.Sha) {
      GTEST_SKIP() << "the processor has neither AES nor SHA instructions";
    }
  }
  void TearDown() override { SetCpuFeaturesForTesting(DetectCpuFeatures()); }
};

inline std::string CodePathName(const testing::TestParamInfo<TCodePath>& info) {
  return info.param == TCodePath::Fast ? "Fast" : "Portable";
}

}  // namespace talu::crypto

#define INSTANTIATE_CODE_PATHS(Suite)        \
  INSTANTIATE_TEST_SUITE_P(CodePaths, Suite, \
                           testing::Values(TCodePath::Fast, TCodePath::Portable), CodePathName)
