#include "link/hecr_link.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <stdexcept>

#include "codec/field_codec.h"
#include "link/frame_scanner.h"
#include "log/messages.h"
#include "platform/network.h"
#include "platform/serial_port.h"
#include "platform/tcp_client.h"
#include "platform/udp_client.h"

namespace meridox::link {

namespace {

constexpr std::uint32_t kStatusQueryCommand = 0xE000;
constexpr std::chrono::milliseconds kNetworkPollWait{10};
constexpr std::chrono::milliseconds kPause{2};
// The serial wait blocks on the port this long at a time instead of spinning. With a
// message pump to run between waits (a window thread) the slices stay short; without one
// a longer slice costs no latency (the wait ends when bytes arrive) and far less CPU.
constexpr std::chrono::milliseconds kSerialPollWait{2};
constexpr std::chrono::milliseconds kSerialPollWaitNoPump{10};
constexpr std::chrono::milliseconds kConnectTimeOut{1000};

std::string ExceptionText(const std::exception& e) {
  return e.what();
}

std::uint16_t LowPort(std::int32_t port) {
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(port) & 0xFFFFu);
}

bool EndsWithDotOne(const std::string& host) {
  return host.size() >= 2 && host.compare(host.size() - 2, 2, ".1") == 0;
}

// A weak reference that was ever given a target, expired or not.
template <typename T>
bool IsAssigned(const std::weak_ptr<T>& ref) {
  const std::weak_ptr<T> empty;
  return ref.owner_before(empty) || empty.owner_before(ref);
}

bool IsSocketAlive(const std::shared_ptr<TLinkSocket>& socket) {
  return socket != nullptr && socket->Connected();
}

}  // namespace

std::uint8_t BaudRateCode(std::int32_t rate) {
  for (const TBaudRateEntry& entry : kBaudRates) {
    if (entry.Rate == rate)
      return entry.Code;
  }
  return 1;
}

THecrLink::THecrLink(TLogger* logger, platform::Clock& clock)
    : FLogger(logger),
      FClock(clock),
      FComPort(std::make_unique<platform::SerialPort>()),
      FUdpClient(std::make_unique<platform::UdpClient>()),
      FTCPClient(std::make_unique<platform::TcpClient>()),
      FProtocal(&FCommands) {
  InitCommands(FCommands);
}

THecrLink::~THecrLink() {
  Close();
}

void THecrLink::Log(const std::string& text, TLogLevel level) {
  LogTo(FLogger, text, level);
}

void THecrLink::DoError(std::int32_t code, const std::string& msg) {
  FErrCode = code;
  FErrMsg = msg;
  // The retry notice is recorded only; the final failure is logged.
  if (code != 50008)
    Log(msg::Format(std::string(msg::sErrorID) + ",%s", code, msg.c_str()), llError);
}

void THecrLink::DoOnLine(TEventArgs& args) {
  if (FOnline)
    FOnline(*this, args);
}

void THecrLink::PumpMessages() {
  if (FMessagePump)
    FMessagePump();
}

// ---------------------------------------------------------------------------------------
// Opening and closing.

bool THecrLink::Open() {
  if (FActive.load())
    return true;
  try {
    FActive = false;
    FTerminated = false;
    FErrCode = 0;
    FProtocal.SetFChkCrc(FCheckcrc);
    FProtocal.SetFChkSum(FChecksum);
    OpenTransport();
  } catch (const std::exception& e) {
    FActive = false;
    DoError(-2, ExceptionText(e));
  }
  return FActive.load();
}

void THecrLink::OpenTransport() {
  const TConnParams& p = ConnParams;
  // A loopback target needs no network, so a machine without one can still reach a
  // register or simulator on itself.
  const auto network_ok = [this, &p] {
    if (platform::IsLoopbackHost(p.Host))
      return true;
    return FNetworkCheck ? FNetworkCheck() : platform::NetworkAvailable();
  };
  switch (p.Mode) {
    case TConnMode::cmTCPClient: {
      if (!network_ok()) {
        DoError(11, std::string(msg::sLostConnection));
        return;
      }
      // With no host, or a ".1" host when the host application supplied a socket, the
      // supplied socket stands for the connection. Without a supplied socket a ".1"
      // host (a gateway-style address such as 192.168.1.1, or 127.0.0.1) is a register
      // like any other and is connected to.
      const bool supplied = IsAssigned(p.Socket);
      if (p.Host.empty() || (supplied && EndsWithDotOne(p.Host))) {
        FActive = !p.Socket.expired();
        return;
      }
      FTCPClient->Disconnect();
      try {
        FTCPClient->Connect(p.Host, LowPort(p.Port), kConnectTimeOut);
      } catch (const std::exception&) {
        DoError(12, msg::Format(msg::sCannotConnectHost, p.Host.c_str(), p.Port));
        return;
      }
      break;
    }
    case TConnMode::cmUDP:
      if (!network_ok()) {
        DoError(11, std::string(msg::sLostConnection));
        return;
      }
      FUdpHost = p.Host;
      FUdpPort = LowPort(p.Port);
      if (!FUdpClient->IsOpen())
        FUdpClient->Bind({}, 0);
      break;
    case TConnMode::cmUDPCC: {
      if (!network_ok()) {
        DoError(11, std::string(msg::sLostConnection));
        return;
      }
      const std::shared_ptr<TUdpBinding> binding = p.Binding.lock();
      if (binding == nullptr)
        throw std::runtime_error("No socket binding supplied");
      FUdpHost = p.Host;
      FUdpPort = LowPort(p.Port);
      FUdpClient->Bind(binding->IP, binding->Port);
      break;
    }
    case TConnMode::cmCOM:
      if (!platform::PortExists(p.PortName)) {
        DoError(11, std::string(msg::sLostConnection));
        return;
      }
      FComPort->Close();
      FComPort->Open(p.PortName, p.BaudRate);
      break;
    case TConnMode::cmTCP:
      break;
  }
  FActive = true;
}

void THecrLink::Close() {
  FErrCode = 0;
  try {
    Abort();
    CloseTransport();
    FActive = false;
  } catch (const std::exception& e) {
    FErrCode = -1;
    FErrMsg = ExceptionText(e);
  }
}

void THecrLink::CloseTransport() {
  switch (ConnParams.Mode) {
    case TConnMode::cmTCPClient:
      FTCPClient->Disconnect();
      break;
    case TConnMode::cmUDPCC:
      FUdpClient->Close();
      break;
    case TConnMode::cmCOM:
      FComPort->Close();
      break;
    case TConnMode::cmTCP:
    case TConnMode::cmUDP:
      break;
  }
}

void THecrLink::Abort() {
  DoAbort();
}

void THecrLink::DoAbort() {
  FTerminated = true;
}

// ---------------------------------------------------------------------------------------
// Receive path.

bool THecrLink::ReceiveData(std::span<const std::uint8_t> chunk) {
  FStream.insert(FStream.end(), chunk.begin(), chunk.end());
  return CheckStream();
}

bool THecrLink::CheckStream() {
  // Frames are taken one at a time from the front: bytes after an accepted frame stay
  // for the next look, and garbage or a frame of another exchange is dropped by itself
  // instead of taking the rest of the stream with it.
  while (!FStream.empty()) {
    const TScanResult scan = ScanFrame(FProtocal, FStream, FEventArgs.Buffer);
    if (scan.Kind == TScanKind::skNeedMore)
      return false;
    const std::size_t used = std::min(std::max<std::size_t>(scan.Used, 1), FStream.size());
    FStream.erase(FStream.begin(), FStream.begin() + static_cast<std::ptrdiff_t>(used));
    if (FProtocal.Command() != kStatusQueryCommand)
      Log(FProtocal.Logstring(), llInfor);
    if (scan.Kind == TScanKind::skDrop)
      continue;
    const TEcrCommand* command = FCommands.FindByCommand(FProtocal.Command());
    if (command == nullptr)
      continue;  // well formed but unknown: consumed, the wait goes on
    FProtocal.SetStatus(command->Status());
    FEventArgs.FProtocal = &FProtocal;
    if (command->Status() == TCommandStatus::csReadReceipt ||
        command->Status() == TCommandStatus::csOnline) {
      DoOnLine(FEventArgs);
      // A frame the ECR sends of its own accord is not the answer to a request: taking
      // it as one would report success and lose the real answer (a refusal perhaps).
      if (FAwaitingAnswer && FProtocal.Command() != FProtocal.bCommand())
        continue;
    }
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------
// Writers.

bool THecrLink::NextAttempt(int& attempts, const TWriteArgs& args, bool report) {
  ++attempts;
  if (attempts >= args.Retry) {
    if (report)
      DoError(50004, std::string(msg::sSendDataRetryComplete));
    return false;
  }
  if (report)
    DoError(50008, std::string(msg::sRetry) + ":" + std::to_string(attempts));
  return true;
}

void THecrLink::DiscardStaleBytes() {
  // Whatever waits on the line before a request is written belongs to an earlier
  // exchange: an answer that came after its time-out, or one that a send without waiting
  // left behind. With packet numbers starting at 0 for most requests it could otherwise
  // pass for the answer to this one.
  try {
    switch (ConnParams.Mode) {
      case TConnMode::cmTCPClient:
        while (FTCPClient->Connected() && FTCPClient->WaitReadable(std::chrono::milliseconds(0)))
          FTCPClient->ReadAvailable();
        break;
      case TConnMode::cmUDP:
      case TConnMode::cmUDPCC: {
        std::uint8_t datagram[platform::UdpClient::kMaxDatagram];
        platform::UdpEndpoint sender;
        while (FUdpClient->IsOpen() && FUdpClient->WaitReadable(std::chrono::milliseconds(0)) &&
               FUdpClient->ReceiveFrom(datagram, sender) > 0) {
        }
        break;
      }
      case TConnMode::cmCOM: {
        std::vector<std::uint8_t> stale;
        while (FComPort->IsOpen() && FComPort->BytesWaiting() > 0) {
          stale.resize(FComPort->BytesWaiting());
          if (FComPort->Read(stale) == 0)
            break;
        }
        break;
      }
      case TConnMode::cmTCP: {
        const std::shared_ptr<TLinkSocket> socket = ConnParams.Socket.lock();
        std::vector<std::uint8_t> stale;
        while (IsSocketAlive(socket) && socket->ReceiveLength() > 0) {
          stale.resize(static_cast<std::size_t>(socket->ReceiveLength()));
          if (socket->ReceiveBuf(stale) <= 0)
            break;
        }
        break;
      }
    }
  } catch (const std::exception&) {
    // The writer meets the same failure and reports it.
  }
}

bool THecrLink::WriteData(const TWriteArgs& args) {
  FAwaitingAnswer = args.Sended;
  if (args.Sended)
    DiscardStaleBytes();
  bool ok = false;
  try {
    switch (ConnParams.Mode) {
      case TConnMode::cmTCP:
        ok = WriteDataTCP(args);
        break;
      case TConnMode::cmTCPClient:
        ok = WriteDataTCPClient(args);
        break;
      case TConnMode::cmUDP:
      case TConnMode::cmUDPCC:
        ok = WriteDataUDP(args);
        break;
      case TConnMode::cmCOM:
        ok = WriteDataCOM(args);
        break;
    }
  } catch (const std::exception& e) {
    Log("WriteData Error," + ExceptionText(e), llInfor);
    return false;
  }
  if (ok) {
    FErrCode = 0;
    FErrMsg.clear();
  }
  return ok;
}

bool THecrLink::WriteDataCOM(const TWriteArgs& args) {
  const bool report = args.Sended && args.Waited;
  const auto frame =
      std::span<const std::uint8_t>(args.Buffer)
          .first(std::min<std::size_t>(args.Buffer.size(),
                                       static_cast<std::size_t>(std::max(0, args.Count))));
  const auto time_out = std::chrono::milliseconds(args.TimeOut);
  std::vector<std::uint8_t> chunk;
  int attempts = 0;
  while (!FTerminated.load()) {
    try {
      FStream.clear();
      if (args.Sended)
        FComPort->Write(frame);
      if (!args.Waited)
        return true;
      auto last = FClock.Monotonic();
      for (;;) {
        ++FPolls;
        const auto slice = FMessagePump ? kSerialPollWait : kSerialPollWaitNoPump;
        const std::size_t waiting = FComPort->WaitReadable(slice) ? FComPort->BytesWaiting() : 0;
        if (waiting > 0) {
          chunk.resize(waiting);
          chunk.resize(FComPort->Read(chunk));
          if (!chunk.empty()) {
            if (ReceiveData(chunk))
              return true;
            // A piece that did not complete the frame: the next may take as long again.
            last = FClock.Monotonic();
          }
        }
        PumpMessages();
        if (FClock.Monotonic() - last > time_out)
          break;
      }
    } catch (const std::exception& e) {
      Log("WriteDataCOM Error," + ExceptionText(e), llInfor);
      if (report)
        DoError(-1, ExceptionText(e));
      if (!platform::PortExists(ConnParams.PortName)) {
        Close();
        return false;
      }
    }
    if (!NextAttempt(attempts, args, report))
      return false;
  }
  return false;
}

THecrLink::TPoll THecrLink::PollForAnswer(std::int32_t time_out, std::int32_t step,
                                          const std::function<TPoll()>& poll_once) {
  std::int32_t counter = 0;
  do {
    ++FPolls;
    const TPoll outcome = poll_once();
    if (outcome != TPoll::Nothing)
      return outcome;
    FClock.SleepFor(kPause);
    PumpMessages();
    counter += step;
  } while (counter < time_out);
  return TPoll::Nothing;
}

bool THecrLink::WriteDataUDP(const TWriteArgs& args) {
  const bool report = args.Sended && args.Waited;
  try {
    const auto frame = std::span<const std::uint8_t>(args.Buffer);
    // An answer's sender becomes the destination for the later attempts of this
    // exchange only; each exchange starts at the configured address.
    if (ConnParams.Mode == TConnMode::cmUDP || ConnParams.Mode == TConnMode::cmUDPCC) {
      FUdpHost = ConnParams.Host;
      FUdpPort = LowPort(ConnParams.Port);
    }
    std::uint8_t datagram[platform::UdpClient::kMaxDatagram];
    int attempts = 0;
    while (!FTerminated.load()) {
      try {
        FStream.clear();
        if (args.Sended)
          FUdpClient->SendTo(frame, FUdpHost, FUdpPort);
        if (!args.Waited)
          return true;
        const TPoll outcome = PollForAnswer(args.TimeOut, 10, [&] {
          if (!FUdpClient->WaitReadable(kNetworkPollWait))
            return TPoll::Nothing;
          std::fill(std::begin(datagram), std::end(datagram), 0);
          platform::UdpEndpoint sender;
          const std::size_t n = FUdpClient->ReceiveFrom(datagram, sender);
          if (n == 0)
            return TPoll::Nothing;
          FUdpHost = sender.host;
          FUdpPort = sender.port;
          return ReceiveData(std::span<const std::uint8_t>(datagram, n)) ? TPoll::Answered
                                                                         : TPoll::Nothing;
        });
        if (outcome == TPoll::Answered)
          return true;
      } catch (const std::exception& e) {
        if (report)
          DoError(-1, ExceptionText(e));
      }
      if (!NextAttempt(attempts, args, report))
        return false;
    }
    return false;
  } catch (const std::exception& e) {
    Close();
    DoError(11, std::string(msg::sLostConnection) + "," + ExceptionText(e));
    return false;
  }
}

bool THecrLink::WriteDataTCPClient(const TWriteArgs& args) {
  const bool report = args.Sended && args.Waited;
  try {
    const auto frame = std::span<const std::uint8_t>(args.Buffer);
    int attempts = 0;
    while (!FTerminated.load()) {
      try {
        FStream.clear();
        if (!FTCPClient->Connected()) {
          Close();
          return false;
        }
        if (args.Sended)
          FTCPClient->Write(frame);
        if (!args.Waited)
          return true;
        const TPoll outcome = PollForAnswer(args.TimeOut, 10, [&] {
          if (!FTCPClient->WaitReadable(kNetworkPollWait))
            return TPoll::Nothing;
          const std::vector<std::uint8_t> bytes = FTCPClient->ReadAvailable();
          return !bytes.empty() && ReceiveData(bytes) ? TPoll::Answered : TPoll::Nothing;
        });
        if (outcome == TPoll::Answered)
          return true;
      } catch (const std::exception& e) {
        if (report)
          DoError(-1, msg::ErrorText(msg::sSendData) + ExceptionText(e));
      }
      if (!NextAttempt(attempts, args, report))
        return false;
    }
    return false;
  } catch (const std::exception& e) {
    Close();
    DoError(11, std::string(msg::sLostConnection) + "," + ExceptionText(e));
    return false;
  }
}

bool THecrLink::WriteDataTCP(const TWriteArgs& args) {
  const bool report = args.Sended && args.Waited;
  try {
    const auto frame =
        std::span<const std::uint8_t>(args.Buffer)
            .first(std::min<std::size_t>(args.Buffer.size(),
                                         static_cast<std::size_t>(std::max(0, args.Count))));
    std::vector<std::uint8_t> chunk;
    int attempts = 0;
    while (!FTerminated.load()) {
      FStream.clear();
      bool wait = true;
      {
        // Held only while in use, so the owner's release takes effect between polls.
        const std::shared_ptr<TLinkSocket> socket = ConnParams.Socket.lock();
        if (!IsSocketAlive(socket)) {
          DoError(11, std::string(msg::sLostConnection));
          return false;
        }
        if (args.Sended && socket->SendBuf(frame) == -1) {
          DoError(14, msg::ErrorText(msg::sSendData) + socket->LastErrorText());
          wait = false;
        }
      }
      if (wait) {
        if (!args.Waited)
          return true;
        const TPoll outcome = PollForAnswer(args.TimeOut, 2, [&] {
          // Held only while in use, so the owner's release takes effect between polls.
          const std::shared_ptr<TLinkSocket> socket = ConnParams.Socket.lock();
          if (!IsSocketAlive(socket))
            return TPoll::GiveUp;
          const int waiting = socket->ReceiveLength();
          if (waiting <= 0)
            return TPoll::Nothing;
          chunk.resize(static_cast<std::size_t>(waiting));
          const int n = socket->ReceiveBuf(chunk);
          chunk.resize(static_cast<std::size_t>(std::clamp(n, 0, waiting)));
          return !chunk.empty() && ReceiveData(chunk) ? TPoll::Answered : TPoll::Nothing;
        });
        if (outcome == TPoll::Answered)
          return true;
        if (outcome == TPoll::GiveUp) {
          Close();
          return false;
        }
      }
      if (!NextAttempt(attempts, args, report))
        return false;
    }
    return false;
  } catch (const std::exception&) {
    Close();
    DoError(11, std::string(msg::sLostConnection));
    return false;
  }
}

// ---------------------------------------------------------------------------------------
// Exchanges.

bool THecrLink::SendBuffer(std::int32_t CommandID, std::vector<std::uint8_t>& wBuf,
                           std::int32_t PackNum, std::int32_t BufLen, std::int32_t TimeOut,
                           std::int32_t RetryCount, const std::string& EcrID) {
  return DoSendBuffer(FCommands.FindByID(CommandID), wBuf, PackNum, BufLen, true, TimeOut,
                      RetryCount, EcrID);
}

bool THecrLink::SendBuffer(std::int32_t CommandID, std::vector<std::uint8_t>& wBuf,
                           std::int32_t PackNum, std::int32_t BufLen, const std::string& EcrID) {
  return DoSendBuffer(FCommands.FindByID(CommandID), wBuf, PackNum, BufLen, true, FTimeOut,
                      FRetrycnt, EcrID);
}

bool THecrLink::SendBuffer(const TEcrCommand* EcrCommand, std::vector<std::uint8_t>& wBuf,
                           std::int32_t PackNum, std::int32_t BufLen, std::int32_t TimeOut,
                           std::int32_t RetryCount, const std::string& EcrID) {
  return DoSendBuffer(EcrCommand, wBuf, PackNum, BufLen, true, TimeOut, RetryCount, EcrID);
}

bool THecrLink::SendBuffer(const TEcrCommand* EcrCommand, std::vector<std::uint8_t>& wBuf,
                           std::int32_t PackNum, std::int32_t BufLen, const std::string& EcrID) {
  return DoSendBuffer(EcrCommand, wBuf, PackNum, BufLen, true, FTimeOut, FRetrycnt, EcrID);
}

bool THecrLink::SendBufferEx(std::int32_t CommandID, std::vector<std::uint8_t> wBuf,
                             std::int32_t PackNum, std::int32_t BufLen, const std::string& EcrID) {
  return DoSendBuffer(FCommands.FindByID(CommandID), wBuf, PackNum, BufLen, false, FTimeOut,
                      FRetrycnt, EcrID);
}

bool THecrLink::SendBufferEx(const TEcrCommand* EcrCommand, std::vector<std::uint8_t> wBuf,
                             std::int32_t PackNum, std::int32_t BufLen, const std::string& EcrID) {
  return DoSendBuffer(EcrCommand, wBuf, PackNum, BufLen, false, FTimeOut, FRetrycnt, EcrID);
}

bool THecrLink::SendBufferEx(std::int32_t CommandID, std::vector<std::uint8_t> wBuf,
                             std::int32_t PackNum, std::int32_t BufLen, std::int32_t TimeOut,
                             std::int32_t RetryCount, const std::string& EcrID) {
  return DoSendBuffer(FCommands.FindByID(CommandID), wBuf, PackNum, BufLen, false, TimeOut,
                      RetryCount, EcrID);
}

bool THecrLink::SendBufferEx(const TEcrCommand* EcrCommand, std::vector<std::uint8_t> wBuf,
                             std::int32_t PackNum, std::int32_t BufLen, std::int32_t TimeOut,
                             std::int32_t RetryCount, const std::string& EcrID) {
  return DoSendBuffer(EcrCommand, wBuf, PackNum, BufLen, false, TimeOut, RetryCount, EcrID);
}

bool THecrLink::DoSendBuffer(const TEcrCommand* EcrCommand, std::vector<std::uint8_t>& wBuf,
                             std::int32_t PackNum, std::int32_t BufLen, bool Waited,
                             std::int32_t TimeOut, std::int32_t RetryCount,
                             const std::string& EcrID) {
  FErrCode = 0;
  FErrMsg.clear();
  Open();
  if (FTerminated.load() || !FActive.load()) {
    DoError(11, std::string(msg::sLostConnection));
    return false;
  }
  if (EcrCommand == nullptr) {
    DoError(-1, std::string(msg::sError));
    return false;
  }
  // A packet number belongs to one exchange, whatever way it ends.
  struct PackNumReset {
    TEcrProtocol& protocol;
    ~PackNumReset() { protocol.SetPackNum(0); }
  } reset{FProtocal};
  try {
    FProtocal.SetEcrID(EcrID);
    FProtocal.SetBCommand(EcrCommand->Command());
    FProtocal.SetHCmd(*EcrCommand);
    FProtocal.SetPackNum(static_cast<std::uint32_t>(PackNum));
    TWriteArgs args;
    args.Sended = true;
    args.Waited = Waited;
    args.TimeOut = TimeOut;
    args.Retry = static_cast<std::uint8_t>(static_cast<std::uint32_t>(RetryCount) & 0xFFu);
    args.Count = FProtocal.PackageBuffer(wBuf, std::max(0, BufLen), args.Buffer);
    if (EcrCommand->Command() != kStatusQueryCommand)
      Log(FProtocal.Logstring(), llInfor);
    // Aborted before anything was written: no answer can be judged.
    if (FTerminated.load())
      return false;
    if (!WriteData(args))
      return false;
    if (!Waited)
      return true;
    const TEcrProtocol* answer = FEventArgs.FProtocal;
    if (answer == nullptr)
      return false;
    switch (answer->Status()) {
      case TCommandStatus::csUpload:
      case TCommandStatus::csReadReceipt:
      case TCommandStatus::csOnline:
        wBuf = FEventArgs.Buffer;
        return true;
      case TCommandStatus::csDownload:
        return true;
      case TCommandStatus::csError: {
        const std::size_t length = std::min<std::size_t>(
            static_cast<std::size_t>(std::max(0, ArgsRevLen())), FEventArgs.Buffer.size());
        const std::span<const std::uint8_t> payload(FEventArgs.Buffer.data(), length);
        codec::TccEncode codec;
        if (!payload.empty() && payload[0] == 0xFE) {
          int position = 1;
          const std::string text =
              codec.BufToData(codec::dtGreecAsc, payload, position, static_cast<int>(length) - 1)
                  .ToText();
          FProtocal.SetResultID(254);
          DoError(254, text);
        } else {
          int position = 0;
          const std::string text =
              length == 0
                  ? std::string()
                  : codec.BufToData(codec::dtGreecAsc, payload, position, static_cast<int>(length))
                        .ToText();
          FProtocal.SetResultID(13);
          DoError(13, text);
        }
        return false;
      }
      case TCommandStatus::csNone:
        return false;
    }
    return false;
  } catch (const std::exception& e) {
    DoError(-1, ExceptionText(e));
    return false;
  }
}

std::int32_t THecrLink::ArgsRevLen() const {
  return FEventArgs.FProtocal == nullptr ? -1 : FEventArgs.FProtocal->ReceiveLen();
}

void THecrLink::ResetPackNum(std::uint32_t PackNo) {
  FProtocal.SetPackNum(PackNo);
}

void THecrLink::GetLastError(std::int32_t& oErrCode, std::string& oErrMsg) const {
  oErrCode = FErrCode;
  oErrMsg = FErrMsg;
}

void THecrLink::CheckAutoDataFromECR() {
  Open();
  if (FTerminated.load() || !FActive.load()) {
    DoError(11, std::string(msg::sError));
    return;
  }
  FErrCode = 0;
  FErrMsg.clear();
  TWriteArgs args;
  args.Sended = false;
  args.Waited = true;
  args.TimeOut = 50;
  args.Retry = 1;
  WriteData(args);
}

// ---------------------------------------------------------------------------------------
// Baud-rate probing.

bool THecrLink::Connect(std::int32_t CmdID, const std::string& EcrID) {
  return DoConnect(CmdID, EcrID);
}

bool THecrLink::DoConnect(std::int32_t CmdID, const std::string& EcrID) {
  FConnected = false;
  if (ConnParams.Mode != TConnMode::cmCOM)
    return true;
  const std::int32_t saved = ConnParams.BaudRate;
  const TEcrCommand* command = FCommands.FindByID(CmdID);
  const std::uint8_t code = BaudRateCode(saved);
  bool result = false;
  for (const TBaudRateEntry& entry : kBaudRates) {
    if (FTerminated.load() && FActive.load())
      break;
    Close();
    ConnParams.BaudRate = entry.Rate;
    Open();
    if (SendBaudCode(command, code, EcrID)) {
      Close();
      ConnParams.BaudRate = saved;
      Open();
      FConnected = true;
      result = true;
      break;
    }
  }
  ConnParams.BaudRate = saved;
  return result;
}

bool THecrLink::SendBaudCode(const TEcrCommand* EcrCommand, std::uint8_t Code,
                             const std::string& EcrID) {
  try {
    std::vector<std::uint8_t> payload{Code, 0};
    return SendBuffer(EcrCommand, payload, 0, 1, 500, 1, EcrID);
  } catch (const std::exception&) {
    return false;
  }
}

// ---------------------------------------------------------------------------------------
// Properties.

bool GetEcrProperties(THecrLink& Link, TEcrProperties& Properties) {
  if (!Link.Connect(100, "1"))
    return false;
  std::vector<std::uint8_t> buffer;
  if (!Link.SendBuffer(30008, buffer, 0, 0, 500, 1, "1"))
    return false;
  Properties.FisidNo.clear();
  Properties.host.clear();
  Properties.MachineId = 0;
  Properties.ClerkID = 0;
  Properties.PassWord = 0;
  Properties.port = 0;
  const std::size_t length = std::min<std::size_t>(
      static_cast<std::size_t>(std::max(0, Link.ArgsRevLen())), buffer.size());
  const std::span<const std::uint8_t> payload(buffer.data(), length);
  if (payload.size() < 20)
    return false;
  codec::TccEncode codec;
  int position = 0;
  // Each field only when the payload holds all of its bytes.
  const auto fits = [&](int width) {
    return position >= 0 &&
           static_cast<std::size_t>(position) + static_cast<std::size_t>(width) <= payload.size();
  };
  const auto number = [&](int width) -> std::optional<double> {
    if (!fits(width))
      return std::nullopt;
    return codec.BufToData(codec::dtBIN, payload, position, width).ToNumber();
  };
  Properties.FisCode = codec.BufToData(codec::dtGreecAsc, payload, position, 11).ToText();
  const auto machine = number(2);
  if (!machine)
    return false;
  Properties.MachineId = static_cast<std::int32_t>(*machine);
  if (!fits(1))
    return false;
  Properties.ClerkID = payload[static_cast<std::size_t>(position)];
  ++position;
  const auto password = number(4);
  if (!password)
    return false;
  Properties.PassWord = static_cast<std::int32_t>(*password);
  if (!fits(4))
    return false;
  Properties.host = codec.BufToData(codec::dtIP, payload, position, 4).ToText();
  const auto status = number(1);
  if (!status)
    return false;
  Properties.Status = static_cast<std::int32_t>(*status);
  // The port is an unsigned 16-bit number: read as a signed field, ports above 32767
  // would come out as some other port.
  if (!fits(2))
    return false;
  Properties.port = (payload[static_cast<std::size_t>(position)] << 8) |
                    payload[static_cast<std::size_t>(position) + 1];
  position += 2;
  const auto machine_type = number(1);
  if (!machine_type)
    return false;
  Properties.MachineType = static_cast<std::int32_t>(*machine_type);
  return true;
}

}  // namespace meridox::link
