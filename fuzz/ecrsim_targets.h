// Property checks on the simulator's parsers of outside bytes: the rules file and the
// payloads of the register requests. Shared by the libFuzzer entries and the corpus replay
// test; an empty text means every property held.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "codec/field_codec.h"
#include "fault_plan.h"
#include "fiscal_register.h"
#include "jobs/command_file.h"
#include "packing/command.h"
#include "packing/packer.h"
#include "paper_roll.h"
#include "platform/clock.h"
#include "register_requests.h"
#include "text_checks.h"

namespace meridox::fuzz {

namespace detail {

inline std::string CheckRule(const ecrsim::FaultRule& rule) {
  if (rule.nth < 1 || rule.times == 0 || rule.times < ecrsim::kForever || rule.delay_ms < 0 ||
      rule.chunk_size < 1) {
    return "accepted a rule that cannot work (nth " + std::to_string(rule.nth) + ", times " +
           std::to_string(rule.times) + ", ms " + std::to_string(rule.delay_ms) + ", chunk " +
           std::to_string(rule.chunk_size) + ")";
  }
  return {};
}

}  // namespace detail

// The bytes as a rules file: an error names its line; an accepted file is the sum of its
// lines, each rule usable, and a plan built from it answers requests without going wrong.
inline std::string FaultRulesTarget(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ecrsim::ParseResult whole = ecrsim::ParseFaultRules(text);
  if (whole.ok != whole.error.empty()) {
    return "result and error text disagree";
  }
  std::size_t lines = 1;
  for (const char c : text) {
    lines += c == '\n' ? 1 : 0;
  }
  if (!whole.ok) {
    const std::size_t number = std::strtoul(whole.error.c_str() + 5, nullptr, 10);
    if (!whole.error.starts_with("line ") || number < 1 || number > lines) {
      return "error does not name a line of the file: " + whole.error;
    }
    return {};
  }
  // Lines are independent: parsed one by one they give the same rules.
  std::size_t faults = 0;
  std::size_t statuses = 0;
  std::size_t pending = 0;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end;
    const ecrsim::ParseResult one = ecrsim::ParseFaultRules(text.substr(start, end - start));
    if (!one.ok) {
      return "a line of an accepted file fails alone: " + one.error;
    }
    faults += one.setup.faults.size();
    statuses += one.setup.statuses.size();
    pending += one.setup.pending.size();
    start = end + 1;
  }
  if (faults != whole.setup.faults.size() || statuses != whole.setup.statuses.size() ||
      pending != whole.setup.pending.size()) {
    return "the file's rules are not those of its lines";
  }
  ecrsim::FaultPlan plan;
  for (const ecrsim::FaultRule& rule : whole.setup.faults) {
    if (std::string f = detail::CheckRule(rule); !f.empty()) {
      return f;
    }
    plan.Add(rule);
  }
  static constexpr std::array<std::uint32_t, 4> kRequests = {10004, 30009, 0xE082, 10004};
  std::size_t before = plan.Size();
  for (int round = 0; round < 3; ++round) {
    for (const std::uint32_t command : kRequests) {
      for (const ecrsim::FaultRule& hit : plan.Match(command)) {
        if (hit.command_id != 0 && hit.command_id != command) {
          return "a rule hit a request of another command";
        }
      }
      if (plan.Size() > before) {
        return "matching added rules";
      }
      before = plan.Size();
    }
  }
  return {};
}

namespace detail {

inline std::string CheckReply(std::uint32_t command, std::span<const std::uint8_t> payload,
                              const std::optional<ecrsim::Reply>& reply) {
  const std::string name = ecrsim::RequestName(command, payload);
  if (name.empty() || !IsUtf8(name)) {
    return "request without a readable name";
  }
  if (!reply) {
    return {};
  }
  if (!reply->ok && reply->refusal.empty()) {
    return "a refusal without a text";
  }
  if (!IsUtf8(reply->refusal) || !IsUtf8(reply->meaning)) {
    return "reply texts are not UTF-8";
  }
  if (reply->data.size() > 0xFFFF) {
    return "answer larger than a frame carries";
  }
  return {};
}

}  // namespace detail

// The first byte picks the mode. Even: the rest is a series of requests, each a command
// byte, a length byte and that many payload bytes, run against one register. Odd: the rest
// is a command file whose lines are packed as the bridge packs them, and every request that
// comes out must be one the register reads.
inline std::string SimRequestTarget(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return {};
  }
  static constexpr std::array<std::uint32_t, 17> kCommands = {
      10000, 10001, 10002, 10003, 10004, 10011, 10012, 10013, 10014,
      10015, 10016, 10017, 10018, 30009, 100,   20002, 10009};
  ecrsim::PaperRoll roll;
  platform::FakeClock clock;
  ecrsim::FiscalRegister reg(ecrsim::RegisterSettings{}, roll, clock);
  const std::span<const std::uint8_t> rest(data + 1, size - 1);
  if ((data[0] & 1) == 0) {
    for (std::size_t at = 0; at + 2 <= rest.size();) {
      const std::uint32_t command = kCommands[rest[at] % kCommands.size()];
      const std::size_t length = std::min<std::size_t>(rest[at + 1], rest.size() - at - 2);
      const auto payload = rest.subspan(at + 2, length);
      const auto reply = ecrsim::RunRegisterRequest(reg, command, payload);
      if (std::string f = detail::CheckReply(command, payload, reply); !f.empty()) {
        return "request " + std::to_string(command) + " " +
               HexOf(std::string_view(reinterpret_cast<const char*>(payload.data()),
                                      payload.size())) +
               ": " + f;
      }
      at += 2 + length;
    }
    return {};
  }
  const std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());
  codec::TccEncode codec;
  packing::TPacker packer(codec);
  packer.SetDecimalType((data[0] & 2) != 0 ? packing::TDecimalType::dtDot
                                           : packing::TDecimalType::dtComma);
  for (const std::string& line : jobs::SplitLines(text)) {
    packing::TPackedDatas packed;
    if (!packer.PackData(packing::TCommand::FetchCommand(line, "/"), packed)) {
      continue;
    }
    for (const packing::TPackedData& request : packed) {
      if (request.Command == 0) {
        continue;  // a daily report, which the bridge prints itself
      }
      const auto reply = ecrsim::RunRegisterRequest(reg, request.Command, request.Data);
      if (!reply) {
        return "the register does not read request " + std::to_string(request.Command);
      }
      if (std::string f = detail::CheckReply(request.Command, request.Data, reply); !f.empty()) {
        return "line \"" + line + "\": " + f;
      }
      if (!reply->ok && reply->meaning.starts_with("payload of")) {
        return "line \"" + line +
               "\": packed request too short for the register: " + reply->meaning;
      }
    }
  }
  return {};
}

}  // namespace meridox::fuzz
