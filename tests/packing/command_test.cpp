#include "packing/command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace meridox::packing {
namespace {

using K = TCommandKind;

struct FetchCase {
  const char* line;
  const char* delimiter;
  TCommandKind kind;
  std::vector<std::string> data;
};

class FetchCommandTest : public ::testing::TestWithParam<FetchCase> {};

TEST_P(FetchCommandTest, SplitsKeywordAndFields) {
  const FetchCase& c = GetParam();
  const TCommandData got = TCommand::FetchCommand(c.line, c.delimiter);
  EXPECT_EQ(got.Kind, c.kind) << c.line;
  EXPECT_EQ(got.Data, c.data) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FetchCommandTest,
    ::testing::Values(
        FetchCase{"zz", "/", K::ckZReport, {}}, FetchCase{"ZZ/", "/", K::ckZReport, {""}},
        FetchCase{" ZZ", "/", K::ckUnSupport, {}}, FetchCase{"ZZ ", "/", K::ckUnSupport, {}},
        FetchCase{"SL/A//", "/", K::ckSalePLU, {"A", "", ""}},
        FetchCase{"/SL", "/", K::ckUnSupport, {}}, FetchCase{"", "/", K::ckUnSupport, {}},
        FetchCase{"UNSUPPORT/1", "/", K::ckUnSupport, {}},
        FetchCase{"unsupport", "/", K::ckUnSupport, {}},
        FetchCase{"SL/COLA//2/1,20/1", "/", K::ckSalePLU, {"COLA", "", "2", "1,20", "1"}},
        // Blanks stay part of a field.
        FetchCase{"CM/ a /b ", "/", K::ckFreeText, {" a ", "b "}},
        FetchCase{"Sl/x", "/", K::ckSalePLU, {"x"}}, FetchCase{"sL", "/", K::ckSalePLU, {}},
        FetchCase{"d%/10", "/", K::ckDiscountP, {"10"}},
        FetchCase{"inv/1/2", "/", K::ckInvoice, {"1", "2"}},
        FetchCase{"HL/A/B/C/D", "/", K::ckTailMsg, {"A", "B", "C", "D"}},
        FetchCase{"TBL", "/", K::ckTable, {}},
        FetchCase{"ttr/3/7", "/", K::ckTableTransfer, {"3", "7"}},
        // Greek text and other bytes above ASCII pass through untouched.
        FetchCase{
            "SL/\u039A\u03B1\u03C6\u03AD/", "/", K::ckSalePLU, {"\u039A\u03B1\u03C6\u03AD", ""}},
        // Only a-z fold: a keyword with a non-ASCII look-alike stays unknown.
        FetchCase{"\u0405L/1", "/", K::ckUnSupport, {}},
        // Other delimiters, letters in them matched regardless of case.
        FetchCase{"SL;A;;", ";", K::ckSalePLU, {"A", "", ""}},
        FetchCase{"SLxAXB", "x", K::ckSalePLU, {"A", "B"}},
        FetchCase{"SL::A::", "::", K::ckSalePLU, {"A", ""}},
        // The appended delimiter may complete a match with the line's own tail.
        FetchCase{"SL::A:", "::", K::ckSalePLU, {"A", ":"}},
        // Without a delimiter the whole line is the keyword.
        FetchCase{"ZZ", "", K::ckZReport, {}}, FetchCase{"ZZ/", "", K::ckUnSupport, {}},
        FetchCase{"", "", K::ckUnSupport, {}}));

TEST(FindCommandKindTest, EveryKeywordMapsToItsOrdinalInAnyCase) {
  for (std::size_t i = 0; i < CommandKeywords.size(); ++i) {
    const std::string keyword(CommandKeywords[i]);
    std::string lower = keyword;
    for (char& ch : lower) {
      if (ch >= 'A' && ch <= 'Z') {
        ch = static_cast<char>(ch - 'A' + 'a');
      }
    }
    EXPECT_EQ(static_cast<std::size_t>(TCommand::FindCommandKind(keyword)), i) << keyword;
    EXPECT_EQ(static_cast<std::size_t>(TCommand::FindCommandKind(lower)), i) << lower;
  }
  EXPECT_EQ(CommandKeywords.size(), 23u);
  EXPECT_EQ(KeywordOf(K::ckTableTransfer), "TTR");
  EXPECT_EQ(KeywordOf(K::ckUnSupport), "UNSUPPORT");
}

TEST(FindCommandKindTest, RejectsNearMisses) {
  for (const char* text : {"", "S", "SLX", "S L", "H L", "1", "111", "D", "%", "INVOICE", "\tZZ"}) {
    EXPECT_EQ(TCommand::FindCommandKind(text), K::ckUnSupport) << text;
  }
}

}  // namespace
}  // namespace meridox::packing
