// Where the worker's notices go (a tray balloon, a console line). Notify is called on the
// worker thread; an implementation hands the text over and returns when it has been
// taken or when the time-out has passed, whichever comes first, so a busy receiver delays
// the worker by at most the time-out. A notice not taken in time is lost.
#pragma once

#include <chrono>
#include <string_view>

namespace meridox::jobs {

enum class TNoticeKind : int { nkInformation = 0, nkError = 1 };

class TNoticeSink {
 public:
  virtual ~TNoticeSink() = default;
  // The text is valid until the call returns: copy it.
  virtual void Notify(TNoticeKind kind, std::string_view text,
                      std::chrono::milliseconds time_out) = 0;
};

}  // namespace meridox::jobs
