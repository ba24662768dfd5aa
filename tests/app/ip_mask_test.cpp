#include "app/shell/ip_mask.h"

#include <gtest/gtest.h>

#include <string>

namespace meridox::app {
namespace {

struct IpCase {
  std::string text;
  bool matches;
  bool canComplete;
};

class IpMaskTest : public ::testing::TestWithParam<IpCase> {};

TEST_P(IpMaskTest, MatchesAndCompletesAsTheMaskSays) {
  const IpCase& c = GetParam();
  EXPECT_EQ(IpMaskMatches(c.text), c.matches) << c.text;
  EXPECT_EQ(IpMaskCanComplete(c.text), c.canComplete) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, IpMaskTest,
    ::testing::Values(IpCase{"127.0.0.1", true, true}, IpCase{"192.168.1.254", true, true},
                      IpCase{"255.255.255.255", true, true}, IpCase{"1.0.0.0", true, true},
                      // The first number may not be a lone 0, the others may.
                      IpCase{"0.1.2.3", false, false}, IpCase{"10.0.0.0", true, true},
                      // Three digits with a leading 0 or 1 are what the mask allows.
                      IpCase{"012.1.1.1", true, true}, IpCase{"256.1.1.1", false, false},
                      IpCase{"1.256.1.1", false, false}, IpCase{"1.1.1.300", false, false},
                      IpCase{"1.1.1", false, true}, IpCase{"192.168.", false, true},
                      IpCase{"", false, true}, IpCase{"25", false, true},
                      IpCase{"1.1.1.1.", false, false}, IpCase{"1.1.1.1.1", false, false},
                      IpCase{"a.1.1.1", false, false}, IpCase{"1..1.1", false, false},
                      IpCase{"1.2.3.4 ", false, false}, IpCase{"1234", false, false}));

}  // namespace
}  // namespace meridox::app
