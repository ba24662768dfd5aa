// The simulator's record of every frame it received and sent, kept in memory for tests
// and optionally written as JSON Lines (one object per line: time, direction, command ID
// and code, packet number, ECR id, payload hex, meaning) for people and scripts.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace meridox::ecrsim {

enum class Direction : std::uint8_t {
  kReceived,  // a request frame from the bridge
  kSent,      // a frame the simulator wrote
  kEvent      // no frame: connection, garbage, ignored bytes, fault notes
};

struct JournalEntry {
  std::chrono::system_clock::time_point time;
  Direction direction = Direction::kEvent;
  std::uint32_t command_id = 0;    // catalogue ID; 0 when the code is unknown or no frame
  std::uint16_t command_code = 0;  // frame bytes 2-3
  std::uint32_t packet_number = 0;
  std::uint32_t ecr_id = 0;
  std::vector<std::uint8_t> frame;    // the bytes as they were on the wire
  std::vector<std::uint8_t> payload;  // the frame's data
  bool intact = true;                 // false for a frame sent broken on purpose
  std::string meaning;                // a short readable description
};

std::string_view DirectionName(Direction direction);
// One JSON object, no line end.
std::string JournalLine(const JournalEntry& entry);

class Journal {
 public:
  // Lines also go to this file (appended); empty path: memory only.
  bool OpenFile(const std::string& utf8_path);
  // Lines also go to this callback (for printing to the console).
  void SetLineSink(std::function<void(const std::string&)> sink);

  // Keep at most this many entries in memory, dropping the oldest (0: no limit, the
  // default; the program sets one so that a long demo does not grow without end).
  void SetMemoryLimit(std::size_t entries);

  void Add(JournalEntry entry);
  std::vector<JournalEntry> Entries() const;
  std::size_t Size() const;
  void Clear();
  // Blocks until some entry satisfies `predicate` or the time is up; true if found.
  bool WaitFor(const std::function<bool(const JournalEntry&)>& predicate,
               std::chrono::milliseconds timeout) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable_any changed_;
  std::deque<JournalEntry> entries_;
  std::size_t limit_ = 0;
  std::ofstream file_;
  std::function<void(const std::string&)> sink_;
};

}  // namespace meridox::ecrsim
