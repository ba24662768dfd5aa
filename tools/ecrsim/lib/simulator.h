// The simulated fiscal register as a whole: it serves the ECR protocol on a transport
// (TCP on 127.0.0.1, a pty, a serial port) from its own thread, answers each request from
// its fiscal state (fiscal_register.h), applies scripted faults (fault_plan.h), prints to
// a paper roll (paper_roll.h) and records every frame in a journal (journal.h).
//
// In-process use (tests of the link and of the job processing):
//
//   meridox::ecrsim::Simulator sim;
//   std::uint16_t port = sim.StartTcp();          // 0 on failure, see LastError()
//   ... point the bridge at 127.0.0.1:port ...
//   sim.AddFault({.kind = FaultKind::kNoAnswer, .command_id = 10004});
//   sim.WaitForRequests(3, 2s);
//   auto requests = sim.Requests();               // decoded ID, code, packet, payload
//
// Every request frame is answered with its packet number and its command code (for the
// commands that the bridge matches by code); refusals are 0x800D frames whose payload is
// the Greek text in the ECR's code, after a 0xFE marker unless refusal markers are off.
// All methods may be called from any thread while the simulator runs.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fault_plan.h"
#include "fiscal_register.h"
#include "journal.h"
#include "paper_roll.h"
#include "platform/clock.h"
#include "transport.h"

namespace meridox::ecrsim {

struct SimulatorOptions {
  RegisterSettings register_settings;
  // The baud rate the register listens at on a serial line; frames that arrive while the
  // line is set to another rate are ignored (journalled as such).
  int listen_speed = 115200;
  // Refusals lead with the 0xFE marker byte.
  bool refusal_marker = true;
  // Incoming frames with a wrong header sum or CRC are ignored, as a register would.
  bool check_incoming = true;
  // Clock for journal stamps and receipt times; null: the system clock.
  platform::Clock* clock = nullptr;
};

// One request frame as the simulator understood it.
struct ReceivedRequest {
  std::uint32_t command_id = 0;  // 0 when the code is not in the catalogue
  std::uint16_t command_code = 0;
  std::uint32_t packet_number = 0;
  std::uint32_t ecr_id = 0;
  std::vector<std::uint8_t> payload;
};

class Simulator {
 public:
  explicit Simulator(SimulatorOptions options = {});
  ~Simulator();  // stops the serving thread
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Transports; one per simulator. Each returns false (or 0) with LastError() on failure.
  // TCP on 127.0.0.1; port 0 takes a free port. Returns the port.
  std::uint16_t StartTcp(std::uint16_t port = 0);
  // Linux: opens a pty pair; the bridge opens SerialPath().
  bool StartPty();
  // A named serial port (Windows COMn; a tty path on Linux).
  bool StartSerial(const std::string& name);
  void Stop();
  std::uint16_t Port() const;
  std::string SerialPath() const;
  std::string LastError() const;

  // --- Scripted faults -------------------------------------------------------------
  void AddFault(FaultRule rule);
  void ClearFaults();
  // The next `times` status queries (20000) answer `word` instead of the derived one;
  // with bit 3 set the error text follows the word. Overrides queue up in order.
  void SetStatusWord(std::uint16_t word, int times = 1, std::string error_text = {});
  // Data the register holds for the host: status bit 0 (PLU report, read with 20002) or
  // bit 1 (receipt content, read with 10009) stays set until the read has reached its
  // empty last answer. Each element is the data of one packet.
  void SetPendingData(PendingKind kind, std::vector<std::vector<std::uint8_t>> packets);
  // Status bit 2 (send connect again) until the next connect request (10000).
  void RequestReconnect();
  // Everything from a rules file (see ParseFaultRules).
  void Apply(const ScriptedSetup& setup);
  void SetRefusalMarker(bool marker);
  // The end-of-day transfer state the 10012 "e" query reports.
  void SetTransfer(TransferState state, int attempts);

  // --- Observation -----------------------------------------------------------------
  Journal& GetJournal() { return journal_; }
  std::vector<JournalEntry> JournalEntries() const { return journal_.Entries(); }
  // The request frames received (accepted ones only), oldest first.
  std::vector<ReceivedRequest> Requests() const;
  std::vector<ReceivedRequest> RequestsOf(std::uint32_t command_id) const;
  void ClearJournal();
  // Waits until at least `count` requests have been received (since the last
  // ClearJournal); true if so.
  bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
  // Waits until at least `count` frames have been sent.
  bool WaitForAnswers(std::size_t count, std::chrono::milliseconds timeout) const;
  PaperRoll& Paper() { return paper_; }
  RegisterSnapshot State() const;
  int ListenSpeed() const { return listen_speed_.load(); }
  std::size_t Connections() const { return connections_.load(); }

 private:
  struct Impl;
  bool StartListener(std::unique_ptr<Listener> listener);
  void Serve();
  // Answers one accepted request frame; false when the connection is to be dropped.
  bool HandleFrame(Channel& channel, const std::vector<std::uint8_t>& frame, std::uint16_t code,
                   std::uint32_t packet, std::uint32_t ecr,
                   const std::vector<std::uint8_t>& payload);
  // The register's reply to a request (impl_->mutex held); sets new_speed after 100.
  Reply Answer(std::uint32_t command_id, std::uint32_t packet,
               const std::vector<std::uint8_t>& frame, const std::vector<std::uint8_t>& payload,
               int& new_speed);
  void Pause(int ms) const;
  void Event(std::string meaning, std::vector<std::uint8_t> bytes = {});

  SimulatorOptions options_;
  platform::Clock& clock_;
  Journal journal_;
  PaperRoll paper_;
  FaultPlan faults_;
  std::unique_ptr<Impl> impl_;
  std::unique_ptr<Listener> listener_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  std::atomic<int> listen_speed_;
  std::atomic<std::size_t> connections_{0};
  mutable std::mutex error_mutex_;
  std::string last_error_;
};

}  // namespace meridox::ecrsim
