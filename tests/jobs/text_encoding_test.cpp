// The encodings of command and answer files, against the system's own converters.
#include "jobs/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "codec/utf8.h"

#if __has_include(<iconv.h>)
#include <iconv.h>
#define MERIDOX_HAVE_ICONV 1
#endif

#include "platform/ansi_text.h"

namespace meridox::jobs {
namespace {

struct CodePageCase {
  const char* name;
  unsigned code_page;
  const char* iconv_name;
};

// What the system's converter makes of one byte; nullopt when it has no character for it.
std::optional<std::string> SystemDecode(const CodePageCase& c, unsigned char byte) {
  const std::string in(1, static_cast<char>(byte));
#ifdef MERIDOX_HAVE_ICONV
  iconv_t cd = iconv_open("UTF-8", c.iconv_name);
  if (cd == reinterpret_cast<iconv_t>(-1))
    return std::nullopt;
  char out[16];
  char* in_ptr = const_cast<char*>(in.data());
  size_t in_left = 1;
  char* out_ptr = out;
  size_t out_left = sizeof out;
  const size_t r = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1))
    return std::nullopt;
  return std::string(out, static_cast<size_t>(out_ptr - out));
#else
  return platform::Utf8FromCodePage(in, c.code_page);
#endif
}

class CodePageTable : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePageTable, EveryByteDecodesAsTheSystemDoes) {
  const CodePageCase& c = GetParam();
  const auto encoding = TTextEncoding::FromName(c.name);
  ASSERT_TRUE(encoding.has_value());
  int compared = 0;
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    const std::string ours = encoding->Decode(std::string(1, static_cast<char>(byte)));
    const auto theirs = SystemDecode(c, byte);
    if (!theirs.has_value() || *theirs == "\xEF\xBF\xBD")
      continue;
    // Windows gives private-use or C1 characters for the bytes 1253 leaves undefined.
    std::size_t pos = 0;
    const char32_t cp = codec::NextCodePoint(*theirs, pos);
    if ((cp >= 0x80 && cp < 0xA0 && b >= 0x80 && ours == "\xEF\xBF\xBD") ||
        (cp >= 0xE000 && cp < 0xF900))
      continue;
    EXPECT_EQ(ours, *theirs) << c.name << " byte " << b;
    ++compared;
  }
  EXPECT_GE(compared, 230);
}

TEST_P(CodePageTable, EveryDefinedByteSurvivesTheRoundTrip) {
  const auto encoding = TTextEncoding::FromName(GetParam().name);
  ASSERT_TRUE(encoding.has_value());
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::string text = encoding->Decode(byte);
    if (text == "\xEF\xBF\xBD")
      continue;
    EXPECT_EQ(encoding->Encode(text), byte) << "byte " << b;
  }
}

INSTANTIATE_TEST_SUITE_P(Tables, CodePageTable,
                         ::testing::Values(CodePageCase{"437", 437, "CP437"},
                                           CodePageCase{"737", 737, "CP737"},
                                           CodePageCase{"1253", 1253, "CP1253"}),
                         [](const auto& p) { return std::string("cp") + p.param.name; });

struct EncodeCase {
  const char* encoding;
  const char* utf8;
  const char* bytes;
};

class EncodeTable : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeTable, EncodesWithTheDefaultCharForTheRest) {
  const auto encoding = TTextEncoding::FromName(GetParam().encoding);
  ASSERT_TRUE(encoding.has_value());
  EXPECT_EQ(encoding->Encode(GetParam().utf8), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EncodeTable,
    ::testing::Values(EncodeCase{"ASCII", "SL/1/\xCE\x91\xCE\xA1\xCE\xA4\xCE\x9F\xCE\xA3/2",
                                 "SL/1/\x3F\x3F\x3F\x3F\x3F/2"},
                      EncodeCase{"ASCII", "caf\xC3\xA9 \xE2\x82\xAC", "caf? ?"},
                      // Greek capital alpha, small omega with tonos, euro sign.
                      EncodeCase{"737", "\xCE\x91\xCF\x8E\xE2\x82\xAC", "\x80\xE9?"},
                      EncodeCase{"1253", "\xCE\x91\xCF\x8E\xE2\x82\xAC", "\xC1\xFE\x80"},
                      EncodeCase{"437", "\xC3\xA9\xCE\xB1\xCE\x91", "\x82\xE0?"},
                      // A character outside the Basic Multilingual Plane counts as one character.
                      EncodeCase{"1253", "a\xF0\x9F\x98\x80z", "a?z"}));

TEST(TextEncoding, NamesAreTheSettingsNames) {
  for (const char* name : {"Default", "ASCII", "437", "737", "1253"}) {
    const auto encoding = TTextEncoding::FromName(name);
    ASSERT_TRUE(encoding.has_value()) << name;
    EXPECT_EQ(encoding->Name(), name);
  }
  EXPECT_TRUE(TTextEncoding::FromName("ascii").has_value());
  EXPECT_FALSE(TTextEncoding::FromName("UTF-8").has_value());
  EXPECT_FALSE(TTextEncoding::FromName("").has_value());
  EXPECT_FALSE(TTextEncoding::FromName("1252").has_value());
}

TEST(TextEncoding, AsciiDecodesHighBytesAsReplacement) {
  const TTextEncoding ascii(TTextEncodingKind::teASCII);
  EXPECT_EQ(ascii.Decode("A\xC1z"), "A\xEF\xBF\xBDz");
}

TEST(TextEncoding, DefaultIsTheSystemCodePage) {
  const TTextEncoding def(TTextEncodingKind::teDefault);
  const std::string greek = "\xCE\x91\xCE\x92 caf\xC3\xA9";
  if (platform::AnsiCodePage() == 65001) {
    EXPECT_EQ(def.Encode(greek), greek);
    // Malformed UTF-8 never reaches the program's text.
    EXPECT_EQ(def.Decode("a\xFF"), "a\xEF\xBF\xBD");
  } else {
    EXPECT_EQ(def.Encode(greek), platform::AnsiFromUtf8(greek));
    EXPECT_EQ(def.Decode("a\xE9"), platform::Utf8FromAnsi("a\xE9"));
  }
}

}  // namespace
}  // namespace meridox::jobs
