#include "platform/ansi_text.h"

#include <gtest/gtest.h>

namespace meridox::platform {
namespace {

// Conversions with an explicit code page: checkable in any locale where the system
// converts code pages (Windows); Linux only knows UTF-8.
struct CodePageCase {
  const char* name;
  unsigned code_page;
  std::string utf8;
  std::string bytes;     // what the code page holds
  std::string readback;  // bytes converted back to UTF-8
  bool lossy;
};

class CodePageTest : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePageTest, ConvertsBothWaysWithTheDefaultCharacterForTheRest) {
  const CodePageCase& c = GetParam();
  bool lossy = !c.lossy;
  const auto bytes = CodePageFromUtf8(c.utf8, c.code_page, &lossy);
  if (!bytes)
    GTEST_SKIP() << "this system does not convert code page " << c.code_page;
  EXPECT_EQ(*bytes, c.bytes);
  EXPECT_EQ(lossy, c.lossy);
  EXPECT_EQ(Utf8FromCodePage(*bytes, c.code_page), c.readback);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, CodePageTest,
    ::testing::Values(
        // Ταμείο
        CodePageCase{"Greek1253", 1253, "\xCE\xA4\xCE\xB1\xCE\xBC\xCE\xB5\xCE\xAF\xCE\xBF",
                     "\xD4\xE1\xEC\xE5\xDF\xEF", "\xCE\xA4\xCE\xB1\xCE\xBC\xCE\xB5\xCE\xAF\xCE\xBF",
                     false},
        // é is not in 1253, and Σ must not become a Latin S in 1252.
        CodePageCase{"AccentIn1253", 1253, "Caf\xC3\xA9", "Caf?", "Caf?", true},
        CodePageCase{"SigmaIn1252", 1252, "\xCE\xA3", "?", "?", true},
        CodePageCase{"Latin1252", 1252, "Caf\xC3\xA9", "Caf\xE9", "Caf\xC3\xA9", false},
        CodePageCase{"Utf8Itself", 65001, "\xCE\xA3", "\xCE\xA3", "\xCE\xA3", false}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(AnsiText, SystemCodePageRoundTripsItsOwnCharacters) {
  const std::string ascii = "COM1 9600 C:\\Pos\\";
  EXPECT_EQ(AnsiFromUtf8(ascii), ascii);
  EXPECT_EQ(Utf8FromAnsi(ascii), ascii);
  bool lossy = false;
  const std::string sigma = "\xCE\xA3";
  const std::string ansi = AnsiFromUtf8(sigma, &lossy);
  if (AnsiCodePage() == 65001 || AnsiCodePage() == 1253) {
    EXPECT_FALSE(lossy);
    EXPECT_EQ(Utf8FromAnsi(ansi), sigma);
  } else {
    EXPECT_TRUE(lossy);
    EXPECT_EQ(ansi, "?");
  }
}

}  // namespace
}  // namespace meridox::platform
