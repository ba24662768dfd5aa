// The catalogue of ECR commands: the rest of the program names a command by its own
// decimal ID, the wire carries a 16-bit command code; the status says how an answer or
// an unsolicited frame of that command is to be treated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

namespace meridox::link {

enum class TCommandStatus : std::uint8_t {
  csDownload = 0,     // data to the ECR; the answer must repeat the command and only acknowledges
  csUpload = 1,       // the answer must repeat the command; its data go to the caller
  csReadReceipt = 2,  // no entry has it; an incoming frame raises OnLine
  csOnline = 3,       // sent by the ECR of its own accord; never matched against a request
  csError = 4,        // the ECR's refusal of a request
  csNone = 5,         // used by no entry
};

class TEcrCommand {
 public:
  static constexpr std::string_view kClassName = "TEcrCommand";

  // A free-standing item (in no collection): ID 1, the class name as caption, command 0,
  // csDownload.
  TEcrCommand() = default;
  TEcrCommand(std::int32_t id, std::string caption, std::uint32_t command, TCommandStatus status);

  TEcrCommand(const TEcrCommand&) = default;
  TEcrCommand& operator=(const TEcrCommand&) = default;

  // Copies ID, caption, command and status.
  void Assign(const TEcrCommand& source) { *this = source; }

  std::int32_t ID() const { return FID; }
  void SetID(std::int32_t value) { FID = value; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(std::string value) { FCaption = std::move(value); }
  std::uint32_t Command() const { return FCommand; }
  void SetCommand(std::uint32_t value) { FCommand = value; }
  TCommandStatus Status() const { return FStatus; }
  void SetStatus(TCommandStatus value) { FStatus = value; }

  // The caption when it holds anything besides blanks, otherwise the class name.
  std::string DisplayName() const;

 private:
  std::string FCaption{kClassName};
  std::uint32_t FCommand = 0;
  TCommandStatus FStatus = TCommandStatus::csDownload;
  std::int32_t FID = 1;
};

// An ordered collection of commands. Items live in a deque, so references handed out by
// Add and the searches stay valid while further items are appended (until Clear).
class TEcrCommands {
 public:
  TEcrCommands() = default;

  // Appends an item with the defaults; its ID is one more than the running number the
  // collection gives every inserted item (1 for the first item ever inserted; Clear does
  // not restart the count).
  TEcrCommand& Add();
  // Appends an item with the given values.
  void Add(std::int32_t AID, std::uint32_t ACmd, TCommandStatus AMode, std::string ACaption);

  // First item in collection order with that command code / ID; nullptr when none.
  const TEcrCommand* FindByCommand(std::uint32_t value) const;
  const TEcrCommand* FindByID(std::int32_t id) const;
  // First item whose caption, trimmed of leading and trailing blanks, equals the trimmed
  // value exactly (case-sensitive); nullptr when none.
  const TEcrCommand* FindByCaption(std::string_view value) const;

  std::size_t Count() const { return FItems.size(); }
  const TEcrCommand& operator[](std::size_t index) const { return FItems.at(index); }
  TEcrCommand& operator[](std::size_t index) { return FItems.at(index); }
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

  void Clear() { FItems.clear(); }

 private:
  std::deque<TEcrCommand> FItems;
  std::int32_t FNextNumber = 0;
};

// Clears the collection and fills it with the 80 commands of the ECR protocol, in the
// protocol's fixed order (FindByCaption depends on it for the duplicated caption).
void InitCommands(TEcrCommands& commands);

}  // namespace meridox::link
