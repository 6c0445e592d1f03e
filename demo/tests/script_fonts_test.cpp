#include "product/script_fonts.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "gui/text.h"
#include "product/editions.h"
#include "product/product_data.h"

namespace talu::demo {
namespace {

// Every line the editions show must find a font with all its letters here (under Wine: the
// faces that the system's font packages bring), or the window would show empty boxes.
TEST(ScriptFontsTest, EveryGreetingHasAFaceWithAllItsLetters) {
  for (const Edition& edition : AllEditions()) {
    for (const Greeting& greeting : edition.greetings) {
      for (std::u16string_view text : {greeting.language, greeting.text}) {
        const std::u16string face = FaceFor(text);
        EXPECT_TRUE(FaceCovers(face, text)) << gui::Utf16ToUtf8(text) << " has no font";
      }
    }
  }
}

TEST(ScriptFontsTest, EveryShippedTipHasAFaceWithAllItsLetters) {
  const char* source = std::getenv("TALU_SOURCE_DIR");
  const auto tips =
      std::filesystem::path(source != nullptr ? source : ".") / "demo/data/CSTALU/tips";
  for (const char* file : {"en.txt", "el.txt", "vi.txt", "ja.txt"}) {
    const auto lines = ReadTextLines(tips / file);
    ASSERT_FALSE(lines.empty()) << file;
    for (const auto& line : lines) {
      EXPECT_TRUE(FaceCovers(FaceFor(line), line)) << gui::Utf16ToUtf8(line) << " has no font";
    }
  }
}

TEST(ScriptFontsTest, AFaceThatIsNotInstalledCoversNothing) {
  EXPECT_FALSE(FaceCovers(u"No Such Face 4711", u"abc"));
}

}  // namespace
}  // namespace talu::demo
