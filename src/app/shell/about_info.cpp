#include "app/shell/about_info.h"

#include "app/shell/ui_texts.h"

namespace meridox::app {

TAboutInfo GetAboutInfo(std::string_view appTitle) {
  TAboutInfo info;
  info.Version = std::string(text::kDefaultVersion);
  const size_t open = appTitle.find('[');
  if (open == std::string_view::npos) {
    info.Title = std::string(appTitle);
    return info;
  }
  info.Title = std::string(appTitle.substr(0, open));
  const std::string_view rest = appTitle.substr(open + 1);
  const size_t close = rest.find(']');
  if (close != std::string_view::npos)
    info.Version = "Version: " + std::string(rest.substr(0, close));
  return info;
}

}  // namespace meridox::app
