// What the About box shows, taken from the application title "NAME[VERSION]".
#pragma once

#include <string>
#include <string_view>

namespace meridox::app {

struct TAboutInfo {
  std::string Title;
  std::string Version;
};

TAboutInfo GetAboutInfo(std::string_view appTitle);

}  // namespace meridox::app
