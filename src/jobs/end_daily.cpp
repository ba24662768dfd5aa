#include "jobs/end_daily.h"

#include <algorithm>
#include <vector>

#include "jobs/manager.h"
#include "link/hecr_link.h"

namespace meridox::jobs {

namespace {

constexpr std::int32_t kCmdGeneral = 10012;

// The letters are plain ASCII, which the ECR's Greek code keeps as they are.
std::vector<std::uint8_t> Letter(char letter) {
  return {static_cast<std::uint8_t>(letter)};
}

}  // namespace

bool QueryEndDaily(link::THecrLink& Link, std::int32_t TimeOut, int& Status, int& Count) {
  Status = 0;
  Count = 0;
  std::vector<std::uint8_t> buf = Letter('e');
  const std::string ecr_id(kJobsEcrID);
  if (!Link.SendBuffer(kCmdGeneral, buf, 0, 1, TimeOut, 3, ecr_id)) {
    Link.Close();
    Link.Open();
    return false;
  }
  const auto length = static_cast<std::size_t>(std::max(0, Link.ArgsRevLen()));
  if (length >= 1 && buf.size() >= 1)
    Status = buf[0];
  if (length >= 2 && buf.size() >= 2)
    Count = buf[1];
  return true;
}

bool SelectEndDaily(link::THecrLink& Link) {
  std::vector<std::uint8_t> buf = Letter('s');
  return Link.SendBuffer(kCmdGeneral, buf, 0, 1, std::string(kJobsEcrID));
}

bool CancelEndDaily(link::THecrLink& Link) {
  std::vector<std::uint8_t> buf = Letter('c');
  return Link.SendBuffer(kCmdGeneral, buf, 0, 1, std::string(kJobsEcrID));
}

bool TLinkEndDailyEcr::Query(std::chrono::milliseconds time_out, int& status, int& count) {
  return QueryEndDaily(link_, static_cast<std::int32_t>(time_out.count()), status, count);
}

bool TLinkEndDailyEcr::Select() {
  return SelectEndDaily(link_);
}

bool TLinkEndDailyEcr::Cancel() {
  return CancelEndDaily(link_);
}

}  // namespace meridox::jobs
