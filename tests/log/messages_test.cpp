#include "log/messages.h"

#include <gtest/gtest.h>

#include <set>

namespace meridox::msg {
namespace {

TEST(Messages, CatalogueHasAllEntriesInOrderWithUniqueNames) {
  std::set<std::string_view> names;
  for (size_t i = 0; i < kCatalogue.size(); ++i) {
    EXPECT_EQ(kCatalogue[i].index, static_cast<int>(i));
    EXPECT_FALSE(kCatalogue[i].text.empty()) << kCatalogue[i].name;
    EXPECT_TRUE(names.insert(kCatalogue[i].name).second) << kCatalogue[i].name;
  }
  EXPECT_EQ(kCatalogue[7].text, "ERROR ID:%d");
  EXPECT_EQ(kCatalogue[49].text, "Upload ");
  EXPECT_EQ(kCatalogue[50].text, "Download ");
}

TEST(Messages, JoinedFailureHasOneBlank) {
  EXPECT_EQ(ErrorText(sPrintReport), "Print Report Error");
  EXPECT_EQ(ErrorText(sSendData), "Send Data Error");
}

TEST(Messages, TransferAttemptMixesScriptsCodePointByCodePoint) {
  const std::string text = FormatTransferAttempt(3);
  // Π P O Σ Π A Θ E I A ' ' M E T A Φ . 3 / 1 0
  const std::string expected =
      "\xCE\xA0"
      "PO"
      "\xCE\xA3\xCE\xA0"
      "A"
      "\xCE\x98"
      "EIA META"
      "\xCE\xA6"
      ".3/10";
  EXPECT_EQ(text, expected);
}

TEST(Messages, FormatFillsPlaceholders) {
  EXPECT_EQ(Format(sCannotConnectHost, "10.0.0.5", 9100),
            "Can not Connect to Remote Host(10.0.0.5:9100)");
  EXPECT_EQ(Format(sErrorID, -12) + ",x", "ERROR ID:-12,x");
}

}  // namespace
}  // namespace meridox::msg
