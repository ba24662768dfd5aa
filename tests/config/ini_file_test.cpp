#include "config/ini_file.h"

#include <gtest/gtest.h>

#include "config/ini_text.h"
#include "platform/ansi_text.h"

namespace meridox::config {
namespace {

using namespace std::string_literals;

// Edits on a document given as UTF-8 text: the result must be exactly the expected text.
struct EditCase {
  const char* name;
  std::string before;
  std::string section;
  std::string key;
  std::string value;
  std::string after;
};

class IniFileEditTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(IniFileEditTest, ChangesOnlyWhatIsSet) {
  IniFile file = IniFile::Parse(GetParam().before);
  file.Set(GetParam().section, GetParam().key, GetParam().value);
  const TextEncoding encoding = file.encoding();
  EXPECT_EQ(DecodeText(file.Serialize(), encoding), GetParam().after);
  EXPECT_EQ(IniFile::Parse(file.Serialize()).Get(GetParam().section, GetParam().key),
            GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, IniFileEditTest,
    ::testing::Values(
        EditCase{"ReplaceKeepsKeySpelling", "[S]\r\n  pOrt = 1 \r\n", "s", "Port", "2",
                 "[S]\r\npOrt=2\r\n"},
        EditCase{"AddAfterLastEntryBeforeBlankLine", "[S]\nA=1\n\n[T]\nB=2\n", "S", "C", "3",
                 "[S]\nA=1\nC=3\n\n[T]\nB=2\n"},
        EditCase{"AddToEmptySection", "[S]\n[T]\n", "S", "A", "1", "[S]\nA=1\n[T]\n"},
        EditCase{"NewSectionAtTheEnd", "[T]\r\nB=2\r\n", "S", "A", "1",
                 "[T]\r\nB=2\r\n\r\n[S]\r\nA=1\r\n"},
        EditCase{"NewSectionInEmptyFile", "", "S", "A", "1", "[S]\r\nA=1\r\n"},
        EditCase{"MissingFinalNewlineKept", "[S]\nA=1\n[T]\nB=2", "T", "B", "3",
                 "[S]\nA=1\n[T]\nB=3"},
        EditCase{"CarriageReturnOnlyLines", "[S]\rA=1\r", "S", "A", "9", "[S]\rA=9\r"},
        EditCase{"CommentLookingLikeKeyIsNotAKey", "[S]\n;A=1\n", "S", "A", "2",
                 "[S]\n;A=1\nA=2\n"},
        EditCase{"OnlyFirstOfTwoSectionsChanges", "[S]\nA=1\n[S]\nA=5\n", "S", "A", "2",
                 "[S]\nA=2\n[S]\nA=5\n"},
        EditCase{"KeysBeforeAnySectionAreNotInIt", "A=1\n[S]\n", "S", "A", "2", "A=1\n[S]\nA=2\n"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(IniFile, LineBreaksInAValueCannotCreateKeysOrSections) {
  IniFile file = IniFile::Parse("[S]\r\n");
  file.Set("S", "Path", "C:\\x\r\n[Clerk]\r\nClerkID1=0");
  const IniFile back = IniFile::Parse(file.Serialize());
  EXPECT_FALSE(back.Get("Clerk", "ClerkID1").has_value());
  EXPECT_EQ(back.Get("S", "Path"), "C:\\x[Clerk]ClerkID1=0");
}

struct GetCase {
  const char* name;
  std::string text;
  std::optional<std::string> value;  // of [S] A
};

class IniFileGetTest : public ::testing::TestWithParam<GetCase> {};

TEST_P(IniFileGetTest, FindsTheFirstKeyOfTheFirstSection) {
  EXPECT_EQ(IniFile::Parse(GetParam().text).Get("S", "A"), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, IniFileGetTest,
    ::testing::Values(GetCase{"Plain", "[S]\nA=1\n", "1"},
                      GetCase{"FirstOfDuplicates", "[S]\nA=1\nA=2\n", "1"},
                      GetCase{"FirstSectionOnly", "[S]\nB=1\n[S]\nA=2\n", std::nullopt},
                      GetCase{"OtherSection", "[T]\nA=1\n", std::nullopt},
                      GetCase{"DoubleQuotes", "[S]\nA=\" x \"\n", " x "},
                      GetCase{"SingleQuotes", "[S]\nA='y'\n", "y"},
                      GetCase{"UnmatchedQuote", "[S]\nA=\"y\n", "\"y"},
                      GetCase{"EqualsInValue", "[S]\nA=b=c\n", "b=c"},
                      GetCase{"BlanksInHeader", "  [ S ]  \nA=1\n", "1"},
                      GetCase{"UnclosedHeaderIsNoSection", "[S]\n[T\nA=1\n", "1"},
                      GetCase{"Utf8Bom", "\xEF\xBB\xBF[S]\nA=1\n", "1"},
                      GetCase{"Utf16LeBom",
                              "\xFF\xFE[\0S\0]\0\n\0A\0=\0"
                              "7\0"s,
                              "7"},
                      GetCase{"Utf16OddByteIgnored",
                              "\xFE\xFF\0[\0S\0]\0\n\0A\0=\0"
                              "8\0"s,
                              "8"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

struct DetectCase {
  const char* name;
  std::string bytes;
  TextEncoding encoding;  // kAnsi stands for "the default" for pure ASCII
  bool ascii;
};

class DetectTest : public ::testing::TestWithParam<DetectCase> {};

TEST_P(DetectTest, RecognisesTheEncoding) {
  const TextEncoding expected = GetParam().ascii ? DefaultTextEncoding() : GetParam().encoding;
  EXPECT_EQ(DetectEncoding(GetParam().bytes), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, DetectTest,
    ::testing::Values(DetectCase{"Ascii", "[S]\r\nA=1\r\n", TextEncoding::kAnsi, true},
                      DetectCase{"Empty", "", TextEncoding::kAnsi, true},
                      DetectCase{"Utf8Greek", "A=\xCE\xA3", TextEncoding::kUtf8, false},
                      DetectCase{"Utf8Bom",
                                 "\xEF\xBB\xBF"
                                 "A",
                                 TextEncoding::kUtf8Bom, false},
                      DetectCase{"Utf16Le",
                                 "\xFF\xFE"
                                 "A\0",
                                 TextEncoding::kUtf16LeBom, false},
                      DetectCase{"Utf16Be", "\xFE\xFF\0A", TextEncoding::kUtf16BeBom, false},
                      // "Σύνολο" in code page 1253 is not UTF-8.
                      DetectCase{"Cp1253", "A=\xD3\xFD\xED\xEF\xEB\xEF", TextEncoding::kAnsi,
                                 false},
                      DetectCase{"OverlongUtf8", "A=\xC0\xAF", TextEncoding::kAnsi, false},
                      DetectCase{"Surrogate", "A=\xED\xA0\x80", TextEncoding::kAnsi, false},
                      DetectCase{"Truncated", "A=\xE2\x82", TextEncoding::kAnsi, false}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(IniText, Utf16RoundTripKeepsCharactersBeyondTheBasicPlane) {
  const std::string text = "\xF0\x9F\x98\x80 \xCE\xA3 a";  // emoji, sigma, a
  for (const TextEncoding encoding : {TextEncoding::kUtf16LeBom, TextEncoding::kUtf16BeBom}) {
    const std::string bytes = EncodeText(text, encoding);
    EXPECT_EQ(bytes.size(), 2u + 2 * 6);
    EXPECT_EQ(DecodeText(bytes, encoding), text);
  }
  // A lone surrogate reads as the replacement character.
  EXPECT_EQ(DecodeText("\xFF\xFE\x00\xD8"
                       "a\0"s,
                       TextEncoding::kUtf16LeBom),
            "\xEF\xBF\xBD"
            "a");
}

TEST(IniText, InvalidUtf8ReadsAsReplacementCharacters) {
  EXPECT_EQ(DecodeText("a\xFF"
                       "b",
                       TextEncoding::kUtf8),
            "a\xEF\xBF\xBD"
            "b");
}

TEST(IniFile, AnsiFileWithTextTheCodePageCannotHoldIsWrittenAsUtf16) {
  IniFile file = IniFile::Parse("[S]\r\nA=1\r\n");
  file.set_encoding(TextEncoding::kAnsi);
  const std::string cjk = "\xE4\xB8\xAD";  // in no single-byte code page
  file.Set("S", "A", cjk);
  const std::string bytes = file.Serialize();
  if (platform::AnsiCodePage() == 65001) {
    EXPECT_EQ(DetectEncoding(bytes), TextEncoding::kUtf8);
  } else {
    EXPECT_EQ(DetectEncoding(bytes), TextEncoding::kUtf16LeBom);
  }
  EXPECT_EQ(IniFile::Parse(bytes).Get("S", "A"), cjk);
}

}  // namespace
}  // namespace meridox::config
