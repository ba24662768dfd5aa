#include "simulator.h"

#include <deque>
#include <map>

#include "codec/greek.h"
#include "link/ecr_commands.h"
#include "link/ecr_protocol.h"
#include "link/frame_scanner.h"
#include "register_requests.h"

namespace meridox::ecrsim {

namespace {

constexpr std::uint16_t kErrorCode = 0x800D;
constexpr std::uint16_t kOnlineCode = 0xE088;
constexpr std::uint8_t kRefusalMarker = 0xFE;

std::uint32_t BigEndian(const std::vector<std::uint8_t>& bytes, std::size_t pos, int width) {
  std::uint32_t value = 0;
  for (int i = 0; i < width; ++i) {
    value = (value << 8) | bytes[pos + static_cast<std::size_t>(i)];
  }
  return value;
}

// Rate codes of the communication test.
int RateOfCode(std::uint8_t code) {
  static constexpr int kRates[] = {9600, 19200, 38400, 57600, 115200, 230400};
  return code < std::size(kRates) ? kRates[code] : 0;
}

// One write on the wire, with the pause before it.
struct Write {
  std::vector<std::uint8_t> bytes;
  int pause_ms = 0;
  JournalEntry entry;  // what the journal says about it
};

}  // namespace

struct Simulator::Impl {
  Impl(RegisterSettings settings, PaperRoll& paper, platform::Clock& clock, bool marker)
      : reg(std::move(settings), paper, clock), refusal_marker(marker) {
    link::InitCommands(catalogue);
  }

  std::mutex mutex;  // everything below
  FiscalRegister reg;
  link::TEcrCommands catalogue;
  std::deque<StatusOverride> statuses;
  std::map<PendingKind, std::vector<std::vector<std::uint8_t>>> pending;
  bool reconnect = false;
  bool refusal_marker;
  // The last executed sale request and its reply: a repeat of the same frame (a retry of
  // the bridge after a lost answer) is answered again, not sold twice.
  std::vector<std::uint8_t> last_sale_frame;
  Reply last_sale_reply;
};

Simulator::Simulator(SimulatorOptions options)
    : options_(std::move(options)),
      clock_(options_.clock ? *options_.clock : platform::SystemClock()),
      impl_(std::make_unique<Impl>(options_.register_settings, paper_, clock_,
                                   options_.refusal_marker)),
      listen_speed_(options_.listen_speed) {}

Simulator::~Simulator() {
  Stop();
}

bool Simulator::StartListener(std::unique_ptr<Listener> listener) {
  if (!listener || running_) {
    return false;
  }
  listener_ = std::move(listener);
  // The properties answer carries the port in 15 bits (the top bit reads as a sign), so
  // only a port that fits is reported; otherwise the configured one stays.
  if (options_.register_settings.port == 0 && listener_->Port() < 0x8000) {
    std::lock_guard lock(impl_->mutex);
    impl_->reg.SetPort(listener_->Port());
  }
  running_ = true;
  thread_ = std::thread([this] { Serve(); });
  return true;
}

std::uint16_t Simulator::StartTcp(std::uint16_t port) {
  std::string error;
  auto listener = ListenTcp(port, error);
  if (!listener) {
    std::lock_guard lock(error_mutex_);
    last_error_ = error;
    return 0;
  }
  const std::uint16_t actual = listener->Port();
  return StartListener(std::move(listener)) ? actual : 0;
}

bool Simulator::StartPty() {
  std::string error;
  auto listener = OpenPty(listen_speed_.load(), error);
  if (!listener) {
    std::lock_guard lock(error_mutex_);
    last_error_ = error;
    return false;
  }
  return StartListener(std::move(listener));
}

bool Simulator::StartSerial(const std::string& name) {
  std::string error;
  auto listener = OpenSerialPort(name, listen_speed_.load(), error);
  if (!listener) {
    std::lock_guard lock(error_mutex_);
    last_error_ = error;
    return false;
  }
  return StartListener(std::move(listener));
}

void Simulator::Stop() {
  running_ = false;
  if (thread_.joinable()) {
    thread_.join();
  }
  listener_.reset();
}

std::uint16_t Simulator::Port() const {
  return listener_ ? listener_->Port() : 0;
}

std::string Simulator::SerialPath() const {
  return listener_ && listener_->Port() == 0 ? listener_->Address() : std::string();
}

std::string Simulator::LastError() const {
  std::lock_guard lock(error_mutex_);
  return last_error_;
}

void Simulator::AddFault(FaultRule rule) {
  faults_.Add(std::move(rule));
}
void Simulator::ClearFaults() {
  faults_.Clear();
}

void Simulator::SetStatusWord(std::uint16_t word, int times, std::string error_text) {
  std::lock_guard lock(impl_->mutex);
  impl_->statuses.push_back({word, times == 0 ? 1 : times, std::move(error_text)});
}

void Simulator::SetPendingData(PendingKind kind, std::vector<std::vector<std::uint8_t>> packets) {
  std::lock_guard lock(impl_->mutex);
  impl_->pending[kind] = std::move(packets);
}

void Simulator::RequestReconnect() {
  std::lock_guard lock(impl_->mutex);
  impl_->reconnect = true;
}

void Simulator::Apply(const ScriptedSetup& setup) {
  for (const FaultRule& rule : setup.faults) {
    AddFault(rule);
  }
  for (const StatusOverride& status : setup.statuses) {
    SetStatusWord(status.word, status.times, status.error_text);
  }
  for (const ScriptedSetup::Pending& pending : setup.pending) {
    std::vector<std::vector<std::uint8_t>> packets;
    for (int i = 0; i < pending.packets; ++i) {
      const std::string text = "PACKET " + std::to_string(i + 1);
      packets.emplace_back(text.begin(), text.end());
    }
    SetPendingData(pending.kind, std::move(packets));
  }
}

void Simulator::SetRefusalMarker(bool marker) {
  std::lock_guard lock(impl_->mutex);
  impl_->refusal_marker = marker;
}

void Simulator::SetTransfer(TransferState state, int attempts) {
  std::lock_guard lock(impl_->mutex);
  impl_->reg.SetTransfer(state, attempts);
}

std::vector<ReceivedRequest> Simulator::Requests() const {
  std::vector<ReceivedRequest> out;
  for (const JournalEntry& e : journal_.Entries()) {
    if (e.direction == Direction::kReceived) {
      out.push_back({e.command_id, e.command_code, e.packet_number, e.ecr_id, e.payload});
    }
  }
  return out;
}

std::vector<ReceivedRequest> Simulator::RequestsOf(std::uint32_t command_id) const {
  std::vector<ReceivedRequest> out;
  for (ReceivedRequest& r : Requests()) {
    if (r.command_id == command_id) {
      out.push_back(std::move(r));
    }
  }
  return out;
}

void Simulator::ClearJournal() {
  journal_.Clear();
}

namespace {

bool WaitForCount(const Journal& journal, Direction direction, std::size_t count,
                  std::chrono::milliseconds timeout) {
  // The journal's wait is per entry; count entries by checking the size of the match set.
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    std::size_t seen = 0;
    for (const JournalEntry& e : journal.Entries()) {
      seen += e.direction == direction ? 1 : 0;
    }
    if (seen >= count) {
      return true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      return false;
    }
    const std::size_t size = journal.Size();
    std::size_t index = 0;
    journal.WaitFor([&](const JournalEntry&) { return ++index > size; },
                    std::min<std::chrono::milliseconds>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now),
                        std::chrono::milliseconds(20)));
  }
}

}  // namespace

bool Simulator::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
  return WaitForCount(journal_, Direction::kReceived, count, timeout);
}

bool Simulator::WaitForAnswers(std::size_t count, std::chrono::milliseconds timeout) const {
  return WaitForCount(journal_, Direction::kSent, count, timeout);
}

RegisterSnapshot Simulator::State() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->reg.Snapshot();
}

// --- Serving -------------------------------------------------------------------------

namespace {

std::vector<std::uint8_t> BuildFrame(const link::TEcrCommands& catalogue, std::uint16_t code,
                                     std::uint32_t packet, std::uint32_t ecr,
                                     const std::vector<std::uint8_t>& payload) {
  link::TEcrProtocol protocol(&catalogue);
  protocol.hCmd().SetCommand(code);
  protocol.SetPackNum(packet);
  protocol.SetEcrID(std::to_string(ecr));
  std::vector<std::uint8_t> frame;
  protocol.PackageBuffer(payload, static_cast<std::int32_t>(payload.size()), frame);
  return frame;
}

}  // namespace

void Simulator::Pause(int ms) const {
  using namespace std::chrono_literals;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (running_ && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
        until - std::chrono::steady_clock::now(), 10ms));
  }
}

void Simulator::Event(std::string meaning, std::vector<std::uint8_t> bytes) {
  JournalEntry e;
  e.time = clock_.Now();
  e.direction = Direction::kEvent;
  e.frame = std::move(bytes);
  e.meaning = std::move(meaning);
  journal_.Add(std::move(e));
}

void Simulator::Serve() {
  using namespace std::chrono_literals;
  while (running_) {
    std::unique_ptr<Channel> channel = listener_->Accept(100ms);
    if (!channel) {
      continue;
    }
    ++connections_;
    Event("connection opened on " + listener_->Address());
    std::vector<std::uint8_t> buffer;
    auto last_bytes = std::chrono::steady_clock::now();
    bool open = true;
    while (running_ && open) {
      ReadResult read = channel->Read(20ms);
      if (!read.open) {
        Event("connection closed by the peer");
        break;
      }
      if (read.bytes.empty()) {
        // A frame that stopped half-way is dropped after a pause, as a register's
        // inter-byte time-out would, so that it cannot swallow the next request.
        if (!buffer.empty() && std::chrono::steady_clock::now() - last_bytes > 1s) {
          Event("incomplete frame dropped after a pause", buffer);
          buffer.clear();
        }
        continue;
      }
      last_bytes = std::chrono::steady_clock::now();
      if (read.line_speed != 0 && read.line_speed != listen_speed_.load()) {
        // Sent at another rate: on a real line these bytes would be noise.
        Event("ignored " + std::to_string(read.bytes.size()) + " bytes sent at " +
                  std::to_string(read.line_speed) + " baud (listening at " +
                  std::to_string(listen_speed_.load()) + ")",
              read.bytes);
        buffer.clear();
        continue;
      }
      buffer.insert(buffer.end(), read.bytes.begin(), read.bytes.end());

      while (open && !buffer.empty()) {
        const std::size_t start = link::NextFrameStart(buffer, 0);
        if (start > 0) {
          Event("garbage before a frame", {buffer.begin(), buffer.begin() + start});
          buffer.erase(buffer.begin(), buffer.begin() + start);
          continue;
        }
        if (buffer.size() < link::kFrameHeaderSize) {
          break;
        }
        if (options_.check_incoming && link::FrameHeaderSum(buffer) != buffer[15]) {
          Event("frame with a wrong header sum ignored", {buffer.begin(), buffer.begin() + 16});
          buffer.erase(buffer.begin());
          continue;
        }
        const std::size_t data_len = (std::size_t{buffer[12]} << 8) | buffer[13];
        const std::size_t length = link::FrameLength(data_len);
        if (buffer.size() < length) {
          break;
        }
        std::vector<std::uint8_t> frame(buffer.begin(), buffer.begin() + length);
        buffer.erase(buffer.begin(), buffer.begin() + length);

        // The real checker, told to expect exactly this frame's packet and command.
        const auto code = static_cast<std::uint16_t>(BigEndian(frame, 2, 2));
        const std::uint32_t packet = BigEndian(frame, 4, 4);
        const std::uint32_t ecr = BigEndian(frame, 8, 4);
        std::vector<std::uint8_t> payload;
        link::TEcrProtocol checker(&impl_->catalogue);
        checker.SetPackNum(packet);
        checker.SetBCommand(code);
        checker.SetFChkSum(options_.check_incoming);
        checker.SetFChkCrc(options_.check_incoming);
        if (!checker.CheckData(frame, static_cast<std::int32_t>(frame.size()), payload)) {
          Event("frame rejected by the checker (code " + std::to_string(checker.ErrCode()) + ")",
                frame);
          continue;
        }
        open = HandleFrame(*channel, frame, code, packet, ecr, payload);
      }
    }
    if (!open) {
      Event("connection closed by the simulator");
    }
  }
}

bool Simulator::HandleFrame(Channel& channel, const std::vector<std::uint8_t>& frame,
                            std::uint16_t code, std::uint32_t packet, std::uint32_t ecr,
                            const std::vector<std::uint8_t>& payload) {
  // The catalogue never changes after construction: no lock needed to read it.
  const link::TEcrCommand* command = impl_->catalogue.FindByCommand(code);
  const std::uint32_t id = command ? static_cast<std::uint32_t>(command->ID()) : 0;
  JournalEntry in;
  in.time = clock_.Now();
  in.direction = Direction::kReceived;
  in.command_id = id;
  in.command_code = code;
  in.packet_number = packet;
  in.ecr_id = ecr;
  in.frame = frame;
  in.payload = payload;
  in.meaning = RequestName(id, payload);
  journal_.Add(std::move(in));

  const std::vector<FaultRule> hits = faults_.Match(id);
  auto hit = [&hits](FaultKind kind) -> const FaultRule* {
    for (const FaultRule& rule : hits) {
      if (rule.kind == kind) {
        return &rule;
      }
    }
    return nullptr;
  };
  if (hit(FaultKind::kCloseConnection) && channel.CanClose()) {
    Event("fault close: connection dropped instead of an answer");
    return false;
  }
  if (hit(FaultKind::kNoAnswer) || hit(FaultKind::kCloseConnection)) {
    // Not heard: the request changes nothing, so the bridge's retry is a first attempt.
    Event("fault noanswer: request left unanswered");
    return true;
  }

  Reply reply;
  bool marker = true;
  int new_speed = 0;
  if (const FaultRule* refuse = hit(FaultKind::kRefuse)) {
    reply = Reply::Refuse(refuse->text, "refused by fault");
    marker = refuse->marker;
  } else {
    std::lock_guard lock(impl_->mutex);
    reply = Answer(id, packet, frame, payload, new_speed);
    marker = impl_->refusal_marker;
  }

  std::uint16_t answer_code = code;
  std::vector<std::uint8_t> answer_payload;
  if (reply.ok) {
    answer_payload = reply.data;
  } else {
    answer_code = kErrorCode;
    if (marker) {
      answer_payload.push_back(kRefusalMarker);
    }
    const std::vector<std::uint8_t> text = codec::EncodeGreek(reply.refusal);
    answer_payload.insert(answer_payload.end(), text.begin(), text.end());
  }
  const link::TEcrCommand* answer_command = impl_->catalogue.FindByCommand(answer_code);
  const std::uint32_t answer_id =
      answer_command ? static_cast<std::uint32_t>(answer_command->ID()) : 0;

  auto entry_for = [&](std::uint16_t c, std::uint32_t id_of, std::uint32_t p,
                       const std::vector<std::uint8_t>& data, std::vector<std::uint8_t> bytes,
                       std::string meaning) {
    JournalEntry e;
    e.direction = Direction::kSent;
    e.command_id = id_of;
    e.command_code = c;
    e.packet_number = p;
    e.ecr_id = ecr;
    e.payload = data;
    e.frame = std::move(bytes);
    e.meaning = std::move(meaning);
    return e;
  };

  std::vector<Write> writes;
  if (const FaultRule* rule = hit(FaultKind::kUnsolicited)) {
    Write w;
    w.bytes = BuildFrame(impl_->catalogue, kOnlineCode, rule->packet_number, ecr, rule->payload);
    w.entry = entry_for(kOnlineCode, 10006, rule->packet_number, rule->payload, w.bytes,
                        "fault unsolicited: ECR reads item data");
    writes.push_back(std::move(w));
  }
  int pause_after_garbage = 0;
  if (const FaultRule* rule = hit(FaultKind::kGarbageBefore)) {
    Write w;
    w.bytes = rule->bytes;
    w.entry.direction = Direction::kEvent;
    w.entry.frame = rule->bytes;
    w.entry.meaning = "fault garbage: bytes before the answer";
    writes.push_back(std::move(w));
    pause_after_garbage = rule->delay_ms;
  }
  if (hit(FaultKind::kWrongPacketFirst)) {
    Write w;
    w.bytes = BuildFrame(impl_->catalogue, answer_code, packet + 1, ecr, answer_payload);
    w.entry = entry_for(answer_code, answer_id, packet + 1, answer_payload, w.bytes,
                        "fault wrongpack: answer with the next packet number");
    w.pause_ms = pause_after_garbage;
    pause_after_garbage = 0;
    writes.push_back(std::move(w));
  }
  Write answer;
  answer.pause_ms = pause_after_garbage;
  bool intact = true;
  std::string meaning = reply.ok ? reply.meaning : "refused: " + reply.refusal;
  if (!reply.ok && !reply.meaning.empty()) {
    meaning += " (" + reply.meaning + ")";
  }
  if (hit(FaultKind::kBadCrc) && answer_payload.empty()) {
    answer_payload.push_back(0);  // an empty answer has no CRC to spoil
  }
  answer.bytes = BuildFrame(impl_->catalogue, answer_code, packet, ecr, answer_payload);
  if (hit(FaultKind::kBadHeaderSum)) {
    answer.bytes[15] ^= 0xFF;
    intact = false;
    meaning = "fault badsum: " + meaning;
  }
  if (hit(FaultKind::kBadCrc)) {
    answer.bytes.back() ^= 0xFF;
    intact = false;
    meaning = "fault badcrc: " + meaning;
  }
  answer.entry = entry_for(answer_code, answer_id, packet, answer_payload, answer.bytes, meaning);
  answer.entry.intact = intact;
  if (const FaultRule* rule = hit(FaultKind::kSplit)) {
    const std::size_t chunk = std::max<std::size_t>(rule->chunk_size, 1);
    answer.entry.meaning += " (split into chunks of " + std::to_string(chunk) + ")";
    JournalEntry entry = answer.entry;
    for (std::size_t pos = 0; pos < answer.bytes.size(); pos += chunk) {
      Write w;
      w.bytes.assign(answer.bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                     answer.bytes.begin() +
                         static_cast<std::ptrdiff_t>(std::min(pos + chunk, answer.bytes.size())));
      w.pause_ms = pos == 0 ? answer.pause_ms : rule->delay_ms;
      w.entry.direction = Direction::kEvent;  // the whole frame is journalled once, below
      writes.push_back(std::move(w));
    }
    writes.back().entry = std::move(entry);
  } else {
    writes.push_back(std::move(answer));
  }

  if (const FaultRule* rule = hit(FaultKind::kDelay)) {
    Event("fault delay: answering after " + std::to_string(rule->delay_ms) + " ms");
    Pause(rule->delay_ms);
  }
  for (Write& w : writes) {
    if (w.pause_ms > 0) {
      Pause(w.pause_ms);
    }
    if (!running_) {
      return false;
    }
    // Journalled just before the write: whoever holds the answer finds it in the journal.
    if (w.entry.direction != Direction::kEvent || !w.entry.meaning.empty()) {
      w.entry.time = clock_.Now();
      if (w.entry.direction != Direction::kEvent) {
        w.entry.frame = w.bytes.size() == w.entry.frame.size() ? w.bytes : w.entry.frame;
      }
      journal_.Add(std::move(w.entry));
    }
    if (!channel.Write(w.bytes)) {
      Event("write failed; connection lost");
      return false;
    }
  }
  if (new_speed > 0 && new_speed != listen_speed_.load()) {
    listen_speed_ = new_speed;
    Event("now listening at " + std::to_string(new_speed) + " baud");
  }
  return true;
}

Reply Simulator::Answer(std::uint32_t command_id, std::uint32_t packet,
                        const std::vector<std::uint8_t>& frame,
                        const std::vector<std::uint8_t>& payload, int& new_speed) {
  Impl& s = *impl_;
  switch (command_id) {
    case 20000: {
      std::uint16_t word = 0;
      std::string text;
      if (!s.statuses.empty()) {
        StatusOverride& front = s.statuses.front();
        word = front.word;
        text = front.error_text;
        if (front.times > 0 && --front.times == 0) {
          s.statuses.pop_front();
        }
      } else {
        word = static_cast<std::uint16_t>(
            (s.pending[PendingKind::kPluReport].empty() ? 0 : 1) |
            (s.pending[PendingKind::kReceiptContent].empty() ? 0 : 2) | (s.reconnect ? 4 : 0));
      }
      std::vector<std::uint8_t> data{static_cast<std::uint8_t>(word >> 8),
                                     static_cast<std::uint8_t>(word)};
      if (word & 8) {
        const std::vector<std::uint8_t> encoded = codec::EncodeGreek(text);
        data.insert(data.end(), encoded.begin(), encoded.end());
      }
      return Reply::Accept("status word " + std::to_string(word) + (text.empty() ? "" : " " + text),
                           std::move(data));
    }
    case 20002:
    case 10009: {
      auto& packets =
          s.pending[command_id == 20002 ? PendingKind::kPluReport : PendingKind::kReceiptContent];
      if (packet < packets.size()) {
        return Reply::Accept("pending data packet " + std::to_string(packet), packets[packet]);
      }
      packets.clear();
      return Reply::Accept("end of pending data");
    }
    case 100: {
      const std::uint8_t code = payload.empty() ? 0xFF : payload[0];
      new_speed = RateOfCode(code);
      return Reply::Accept(
          "communication test, rate code " + std::to_string(code),
          payload.empty() ? std::vector<std::uint8_t>{} : std::vector<std::uint8_t>{code});
    }
    case 30008:
      return Reply::Accept("properties", s.reg.Properties());
    default:
      break;
  }
  if (command_id == 10004) {
    if (frame == s.last_sale_frame) {
      Reply again = s.last_sale_reply;
      again.meaning = "repeated request, same answer: " + again.meaning;
      return again;
    }
  }
  if (std::optional<Reply> reply = RunRegisterRequest(s.reg, command_id, payload)) {
    if (command_id == 10000) {
      s.reconnect = false;
    }
    if (command_id == 10004) {
      s.last_sale_frame = frame;
      s.last_sale_reply = *reply;
    }
    return *reply;
  }
  if (command_id == 0) {
    return Reply::Refuse(refusal::kUnknownCommand, "command code not in the catalogue");
  }
  return Reply::Accept("acknowledged");
}

}  // namespace meridox::ecrsim
