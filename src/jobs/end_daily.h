// The end-of-day transfer requests (command 10012 with one letter) over the ECR link, and
// the adapter that lets the dialog model use them.
#pragma once

#include <chrono>
#include <cstdint>

#include "jobs/end_daily_dialog.h"

namespace meridox::link {
class THecrLink;
}

namespace meridox::jobs {

// "e": status and attempt count, both 0 first; 3 attempts of time_out. On failure the
// link is closed and opened again.
bool QueryEndDaily(link::THecrLink& Link, std::int32_t TimeOut, int& Status, int& Count);
// "s" and "c", with the link's own time-out and attempts.
bool SelectEndDaily(link::THecrLink& Link);
bool CancelEndDaily(link::THecrLink& Link);

class TLinkEndDailyEcr : public TEndDailyEcr {
 public:
  explicit TLinkEndDailyEcr(link::THecrLink& link) : link_(link) {}
  bool Query(std::chrono::milliseconds time_out, int& status, int& count) override;
  bool Select() override;
  bool Cancel() override;

 private:
  link::THecrLink& link_;
};

}  // namespace meridox::jobs
