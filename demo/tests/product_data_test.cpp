#include "product/product_data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "product/editions.h"

namespace talu::demo {
namespace {

namespace fs = std::filesystem;

fs::path ShippedData() {
  const char* source = std::getenv("TALU_SOURCE_DIR");
  return fs::path(source != nullptr ? source : ".") / "demo" / "data" / "CSTALU";
}

// A scratch folder of the test, removed afterwards.
class ScratchFolder : public testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() /
        ("talu_demo_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  void Write(const fs::path& name, const std::string& bytes) const {
    fs::create_directories((folder_ / name).parent_path());
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
  }

  fs::path folder_;
};

// The shipped data names a tips file for every edition, in the edition's language.
TEST(ShippedDataTest, EveryEditionGetsTitleAndATipOfItsOwnFile) {
  const std::pair<std::u16string, const char*> kTips[] = {{u"Basic", "en.txt"},
                                                          {u"Greek", "el.txt"},
                                                          {u"Vietnamese", "vi.txt"},
                                                          {u"Japanese", "ja.txt"}};
  ASSERT_EQ(std::size(kTips), AllEditions().size());
  for (const auto& [edition, tips] : kTips) {
    const ProductData data = ReadProductData(ShippedData(), edition, 5);
    EXPECT_TRUE(data.found);
    EXPECT_EQ(data.title, u"TaluDemo 1.0.7");
    EXPECT_EQ(data.publisher, u"Corvanis Ltd.");
    const auto lines = ReadTextLines(ShippedData() / "tips" / tips);
    ASSERT_FALSE(lines.empty()) << tips;
    EXPECT_EQ(data.tip, lines[5 % lines.size()]) << tips;
  }
}

TEST_F(ScratchFolder, MissingFolderKeepsTheProductNameAndSaysWhy) {
  const ProductData data = ReadProductData(folder_ / "CSTALU", u"Basic", 0);
  EXPECT_FALSE(data.found);
  EXPECT_EQ(data.title, u"TaluDemo");
  EXPECT_EQ(data.tip, u"The data folder CSTALU is missing beside the program.");
}

TEST_F(ScratchFolder, MissingTipsAreNamedNotShownAsEmpty) {
  Write("product.ini", "[Product]\r\nName=TaluDemo\r\n[Tips]\r\nGreek=tips\\el.txt\r\n");
  EXPECT_EQ(ReadProductData(folder_, u"Greek", 0).tip, u"The tips file tips\\el.txt is missing.");
  EXPECT_EQ(ReadProductData(folder_, u"Basic", 0).tip, u"No tips are listed for this edition.");
  EXPECT_EQ(ReadProductData(folder_, u"Basic", 0).title, u"TaluDemo");
}

TEST_F(ScratchFolder, TextLinesDropMarkCarriageReturnsAndEmptyLines) {
  Write("a.txt", "\xEF\xBB\xBF\xCE\x93\xCE\xB5\xCE\xB9\xCE\xB1\r\n\r\nsecond\nthird");
  const std::vector<std::u16string> expected{u"Γεια", u"second", u"third"};
  EXPECT_EQ(ReadTextLines(folder_ / "a.txt"), expected);
  EXPECT_TRUE(ReadTextLines(folder_ / "missing.txt").empty());
}

}  // namespace
}  // namespace talu::demo
