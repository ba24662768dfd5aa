#include "app/shell/about_info.h"

#include <gtest/gtest.h>

#include <string>

namespace meridox::app {
namespace {

struct AboutCase {
  std::string title;
  std::string expectedTitle;
  std::string expectedVersion;
};

class AboutInfoTest : public ::testing::TestWithParam<AboutCase> {};

TEST_P(AboutInfoTest, SplitsTheTitle) {
  const TAboutInfo info = GetAboutInfo(GetParam().title);
  EXPECT_EQ(info.Title, GetParam().expectedTitle);
  EXPECT_EQ(info.Version, GetParam().expectedVersion);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, AboutInfoTest,
    ::testing::Values(AboutCase{"MERIDOX[1.0.0.5]", "MERIDOX", "Version: 1.0.0.5"},
                      AboutCase{"MERIDOX", "MERIDOX", "Version: V1.0.0.0"},
                      AboutCase{"MERIDOX[1.0", "MERIDOX", "Version: V1.0.0.0"},
                      AboutCase{"A[2]B[3]", "A", "Version: 2"}, AboutCase{"[9]", "", "Version: 9"},
                      AboutCase{"", "", "Version: V1.0.0.0"}));

}  // namespace
}  // namespace meridox::app
