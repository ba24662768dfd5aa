// Scripted misbehaviour of the simulated ECR: rules that change how the next matching
// requests are answered, so that tests and demos can see the bridge cope with a register
// that is slow, silent, noisy or refusing. Rules come from the in-process API or from a
// small rules file (ParseFaultRules); the plan is shared by the serving thread and the
// test thread and locks itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meridox::ecrsim {

enum class FaultKind : std::uint8_t {
  kNoAnswer,          // read the request, answer nothing
  kDelay,             // wait delay_ms before answering
  kSplit,             // write the answer in chunks of chunk_size bytes, delay_ms apart
  kGarbageBefore,     // write `bytes` (then wait delay_ms) before the answer
  kWrongPacketFirst,  // first an answer with packet number + 1, then the right one
  kBadHeaderSum,      // answer with a wrong header sum
  kBadCrc,            // answer with a wrong CRC (an empty answer gets a payload of 1 byte)
  kUnsolicited,       // first a 0xE088 frame (packet_number, payload), then the answer
  kCloseConnection,   // drop the connection instead of answering (TCP only)
  kRefuse,            // answer 0x800D with `text` (ECR Greek code), after 0xFE when marker
};

inline constexpr int kForever = -1;

struct FaultRule {
  FaultKind kind = FaultKind::kNoAnswer;
  std::uint32_t command_id = 0;  // catalogue ID the rule watches; 0 = every command
  int nth = 1;                   // the first matching request (from now, 1-based) it hits
  int times = 1;                 // consecutive matching requests it hits; kForever
  int delay_ms = 0;              // kDelay, kSplit (gap), kGarbageBefore (gap after garbage)
  std::size_t chunk_size = 1;    // kSplit
  std::vector<std::uint8_t> bytes{0x00, 0x55, 0x13};  // kGarbageBefore
  std::string text = "ΑΡΝΗΣΗ ΕΝΤΟΛΗΣ";                // kRefuse, UTF-8
  bool marker = true;                                 // kRefuse
  std::uint32_t packet_number = 0;                    // kUnsolicited
  std::vector<std::uint8_t> payload{0x01};            // kUnsolicited
};

std::string_view FaultKindName(FaultKind kind);

// The status word the next status queries answer with (instead of the one the register
// derives from its own state); bit 3 carries `error_text`.
struct StatusOverride {
  std::uint16_t word = 0;
  int times = 1;  // kForever
  std::string error_text;
};

// Which multi-packet read some pending data belongs to.
enum class PendingKind : std::uint8_t {
  kPluReport = 0,      // read with 20002, status bit 0
  kReceiptContent = 1  // read with 10009, status bit 1
};

// Everything a rules file can say.
struct ScriptedSetup {
  std::vector<FaultRule> faults;
  std::vector<StatusOverride> statuses;
  struct Pending {
    PendingKind kind = PendingKind::kPluReport;
    int packets = 1;
  };
  std::vector<Pending> pending;
};

struct ParseResult {
  bool ok = false;
  ScriptedSetup setup;
  std::string error;  // "line N: ..." when !ok
};

// Rules file: one rule per line, '#' starts a comment, "key=value" words after the kind;
// values with blanks in double quotes. Kinds: noanswer, delay, split, garbage, wrongpack,
// badsum, badcrc, unsolicited, close, refuse, slowreport, status, pending. Keys: cmd
// (ID or "any"), nth, times ("forever"), ms, chunk, bytes (hex), text, marker (yes/no),
// pack, payload (hex), word, which (plu/receipt), packets.
ParseResult ParseFaultRules(std::string_view text);

class FaultPlan {
 public:
  void Add(FaultRule rule);
  void Clear();
  // The rules that hit this request, in the order they were added; counts it against
  // every rule watching its command (exhausted rules are dropped).
  std::vector<FaultRule> Match(std::uint32_t command_id);
  std::size_t Size() const;

 private:
  struct Entry {
    FaultRule rule;
    int skip = 0;       // matching requests still to let pass
    int remaining = 0;  // hits left (kForever: unlimited)
  };
  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
};

}  // namespace meridox::ecrsim
