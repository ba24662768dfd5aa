#include <gtest/gtest.h>

#include "app/win32/about_box.h"
#include "app/win32/resource_ids.h"
#include "gui_fixture.h"

namespace meridox::app::win32::testing {
namespace {

struct AboutCase {
  std::string title;
  std::string caption;
  std::string version;
};

class AboutBoxTest : public ::testing::TestWithParam<AboutCase> {};

TEST_P(AboutBoxTest, ShowsTitleAndVersionFromTheApplicationTitle) {
  std::string caption, version, window_caption;
  RECT client{};
  TAboutOptions options;
  options.OnShown = [&](HWND dialog) {
    caption = WindowText(GetDlgItem(dialog, IDC_ABOUT_CAPTION));
    version = WindowText(GetDlgItem(dialog, IDC_ABOUT_VERSION));
    window_caption = WindowText(dialog);
    GetClientRect(dialog, &client);
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  };
  DrainQuit();
  ShowAbout(nullptr, GetParam().title, options);
  EXPECT_EQ(caption, GetParam().caption);
  EXPECT_EQ(version, GetParam().version);
  EXPECT_EQ(window_caption, "About");
  EXPECT_EQ(client.right, 734);
  EXPECT_EQ(client.bottom, 298);
}

INSTANTIATE_TEST_SUITE_P(Titles, AboutBoxTest,
                         ::testing::Values(AboutCase{"MERIDOX[1.0.0.5]", "MERIDOX",
                                                     "Version: 1.0.0.5"},
                                           AboutCase{"MERIDOX", "MERIDOX", "Version: V1.0.0.0"}));

}  // namespace
}  // namespace meridox::app::win32::testing
