// The ECR link: owns the connection to the cash register (serial line, TCP client, UDP,
// or a socket the host application supplies), gathers received bytes into checked
// frames, and runs request/answer exchanges with time-outs and attempts. It never
// throws to its callers: operations return a Boolean and leave the reason in ErrCode()
// and ErrMsg(), and every failure but the retry notice is logged.
//
// One thread uses a link at a time (the job manager's lock sees to that); only Abort()
// may come from another thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "codec/date_time.h"
#include "codec/variant.h"
#include "link/ecr_commands.h"
#include "link/ecr_protocol.h"
#include "log/logger.h"
#include "platform/clock.h"

namespace meridox::platform {
class SerialPort;
class TcpClient;
class UdpClient;
}  // namespace meridox::platform

namespace meridox::link {

enum class TConnMode : std::uint8_t {
  cmTCP = 0,        // a connected socket supplied by the host application (ConnParams.Socket)
  cmTCPClient = 1,  // the link's own TCP client to Host:Port
  cmUDP = 2,        // datagrams to Host:Port
  cmUDPCC = 3,      // as cmUDP, on a local binding supplied by the host application
  cmCOM = 4,        // the serial port PortName at BaudRate
};

// A connected socket that the host application owns and lends to the link (cmTCP). The
// link holds it weakly, so a socket the owner has released is never touched.
class TLinkSocket {
 public:
  virtual ~TLinkSocket() = default;
  virtual bool Connected() const = 0;
  // Sends the bytes; the number sent, or -1 on failure (then LastErrorText()).
  virtual int SendBuf(std::span<const std::uint8_t> data) = 0;
  // Bytes waiting to be read.
  virtual int ReceiveLength() = 0;
  // Reads up to out.size() waiting bytes; the number read.
  virtual int ReceiveBuf(std::span<std::uint8_t> out) = 0;
  // The system's text for the last socket error.
  virtual std::string LastErrorText() const = 0;
};

// A local UDP address and port that the host application supplies (cmUDPCC).
struct TUdpBinding {
  std::string IP;  // empty: any local address
  std::uint16_t Port = 0;
};

struct TConnParams {
  TConnMode Mode = TConnMode::cmTCP;
  std::string PortName;       // cmCOM: COM3 (Windows), a device such as /dev/ttyUSB0 (Linux)
  std::int32_t BaudRate = 0;  // cmCOM: bits per second, any value
  std::string Host;           // network modes: host name or IPv4 address text
  std::int32_t Port = 0;      // network modes: only the low 16 bits are used
  std::weak_ptr<TLinkSocket> Socket;
  std::weak_ptr<TUdpBinding> Binding;
};

// The last frame accepted by the receive path.
struct TEventArgs {
  std::vector<std::uint8_t> Buffer;  // its payload (replaced only by a frame with payload)
  // The link's protocol once a frame has been accepted (Command, Status, PackNum, EcrID,
  // ReceiveLen describe that frame); null before.
  const TEcrProtocol* FProtocal = nullptr;
};

class THecrLink;
using THecrLinkEvent = std::function<void(THecrLink& sender, TEventArgs& event)>;
using THecrLinkError =
    std::function<void(THecrLink& sender, std::int32_t ErrCode, const std::string& msg)>;
// Called between the polls of every wait; a Windows shell processes its pending window
// messages here. Must not start another exchange on the same link.
using TMessagePump = std::function<void()>;

// One write-and-wait on the transport.
struct TWriteArgs {
  std::vector<std::uint8_t> Buffer;  // the complete frame
  std::int32_t Count = 0;
  bool Waited = true;
  std::int32_t TimeOut = 0;  // ms
  std::uint8_t Retry = 0;    // attempts; 0 counts as 1
  bool Sended = true;        // false: only listen
};

// The baud rates an ECR may listen at, in probing order, with the code that announces
// each.
struct TBaudRateEntry {
  std::int32_t Rate;
  std::uint8_t Code;
};
inline constexpr TBaudRateEntry kBaudRates[] = {{115200, 4}, {9600, 0},  {19200, 1},
                                                {38400, 2},  {57600, 3}, {230400, 5}};
// The code of a rate of the table; 1 for any other rate.
std::uint8_t BaudRateCode(std::int32_t rate);

class THecrLink {
 public:
  // `logger` is not owned; null means no logging. `clock` times the serial waits and
  // the pauses between polls.
  explicit THecrLink(TLogger* logger = nullptr, platform::Clock& clock = platform::SystemClock());
  virtual ~THecrLink();
  THecrLink(const THecrLink&) = delete;
  THecrLink& operator=(const THecrLink&) = delete;

  // Written by the owner before opening.
  TConnParams ConnParams;

  // Opens the connection of ConnParams.Mode unless already open; failures are recorded
  // and logged. Returns Active().
  bool Open();
  // Closes the connection (and sets the abort flag). Never fails loudly.
  void Close();
  // Makes waiting exchanges stop at the end of their current attempt and later ones
  // fail with 11 until Close() and Open(). Safe from any thread.
  void Abort();

  // Exchanges. wBuf holds the payload (its first BufLen bytes are sent) and receives the
  // answer's payload; read ArgsRevLen() bytes of it. Without TimeOut and RetryCount the
  // properties TimeOut() and Retrycnt() apply. The Ex forms return once the frame is
  // written and do not touch wBuf.
  bool SendBuffer(std::int32_t CommandID, std::vector<std::uint8_t>& wBuf, std::int32_t PackNum,
                  std::int32_t BufLen, std::int32_t TimeOut, std::int32_t RetryCount,
                  const std::string& EcrID);
  bool SendBuffer(std::int32_t CommandID, std::vector<std::uint8_t>& wBuf, std::int32_t PackNum,
                  std::int32_t BufLen, const std::string& EcrID);
  bool SendBuffer(const TEcrCommand* EcrCommand, std::vector<std::uint8_t>& wBuf,
                  std::int32_t PackNum, std::int32_t BufLen, std::int32_t TimeOut,
                  std::int32_t RetryCount, const std::string& EcrID);
  bool SendBuffer(const TEcrCommand* EcrCommand, std::vector<std::uint8_t>& wBuf,
                  std::int32_t PackNum, std::int32_t BufLen, const std::string& EcrID);
  bool SendBufferEx(std::int32_t CommandID, std::vector<std::uint8_t> wBuf, std::int32_t PackNum,
                    std::int32_t BufLen, const std::string& EcrID);
  bool SendBufferEx(const TEcrCommand* EcrCommand, std::vector<std::uint8_t> wBuf,
                    std::int32_t PackNum, std::int32_t BufLen, const std::string& EcrID);
  bool SendBufferEx(std::int32_t CommandID, std::vector<std::uint8_t> wBuf, std::int32_t PackNum,
                    std::int32_t BufLen, std::int32_t TimeOut, std::int32_t RetryCount,
                    const std::string& EcrID);
  bool SendBufferEx(const TEcrCommand* EcrCommand, std::vector<std::uint8_t> wBuf,
                    std::int32_t PackNum, std::int32_t BufLen, std::int32_t TimeOut,
                    std::int32_t RetryCount, const std::string& EcrID);

  // Serial line: finds the baud rate the ECR answers at, announces the configured rate
  // with command CmdID and reopens at it. Other modes: true at once, no traffic.
  bool Connect(std::int32_t CmdID, const std::string& EcrID);

  // Listens about 50 ms for a frame the ECR sends of its own accord (OnLine).
  void CheckAutoDataFromECR();

  // Data length of the last accepted frame; -1 while none has been accepted.
  std::int32_t ArgsRevLen() const;
  void ResetPackNum(std::uint32_t PackNo);
  void GetLastError(std::int32_t& oErrCode, std::string& oErrMsg) const;

  bool Debug() const { return FDebug; }
  void SetDebug(bool value) { FDebug = value; }
  bool Active() const { return FActive.load(); }
  bool Connected() const { return FConnected; }
  bool RaiseError() const { return FRaiseError; }
  void SetRaiseError(bool value) { FRaiseError = value; }
  bool Terminated() const { return FTerminated.load(); }
  std::int32_t Retrycnt() const { return FRetrycnt; }
  void SetRetrycnt(std::int32_t value) { FRetrycnt = value; }
  std::int32_t TimeOut() const { return FTimeOut; }
  void SetTimeOut(std::int32_t value) { FTimeOut = value; }
  bool Checksum() const { return FChecksum; }
  void SetChecksum(bool value) { FChecksum = value; }
  bool Checkcrc() const { return FCheckcrc; }
  void SetCheckcrc(bool value) { FCheckcrc = value; }
  std::int32_t ErrCode() const { return FErrCode; }
  void SetErrCode(std::int32_t value) { FErrCode = value; }
  const std::string& ErrMsg() const { return FErrMsg; }
  void SetErrMsg(std::string value) { FErrMsg = std::move(value); }
  const std::string& LogfileName() const { return FLogfileName; }
  void SetLogfileName(std::string value) { FLogfileName = std::move(value); }

  const TEcrCommands& Commands() const { return FCommands; }
  TEcrCommands& Commands() { return FCommands; }
  const TEventArgs& EventArgs() const { return FEventArgs; }
  // The frame builder and checker (ResultID of an error answer, the last Logstring).
  const TEcrProtocol& Protocol() const { return FProtocal; }
  TEcrProtocol& Protocol() { return FProtocal; }

  const THecrLinkEvent& OnLine() const { return FOnline; }
  void SetOnLine(THecrLinkEvent handler) { FOnline = std::move(handler); }
  const THecrLinkError& OnError() const { return FOnError; }
  void SetOnError(THecrLinkError handler) { FOnError = std::move(handler); }
  void SetMessagePump(TMessagePump pump) { FMessagePump = std::move(pump); }
  // Whether the machine has a network (the platform's check unless replaced, e.g. by a
  // test); loopback targets never need one.
  void SetNetworkCheck(std::function<bool()> check) { FNetworkCheck = std::move(check); }

  // Polls made by all waits since construction (for tests and diagnostics).
  std::uint64_t PollCount() const { return FPolls.load(); }

 protected:
  virtual bool DoSendBuffer(const TEcrCommand* EcrCommand, std::vector<std::uint8_t>& wBuf,
                            std::int32_t PackNum, std::int32_t BufLen, bool Waited,
                            std::int32_t TimeOut, std::int32_t RetryCount,
                            const std::string& EcrID);
  virtual bool DoConnect(std::int32_t CmdID, const std::string& EcrID);
  virtual void DoAbort();

  // Records a failure and logs it as "ERROR ID:<code>,<text>", except the retry notice.
  void DoError(std::int32_t code, const std::string& msg);
  void DoOnLine(TEventArgs& args);

 private:
  bool WriteData(const TWriteArgs& args);
  void DiscardStaleBytes();
  bool WriteDataCOM(const TWriteArgs& args);
  bool WriteDataUDP(const TWriteArgs& args);
  bool WriteDataTCPClient(const TWriteArgs& args);
  bool WriteDataTCP(const TWriteArgs& args);
  // Appends a chunk to the receive stream; true when it completed an acceptable frame
  // of a catalogued command.
  bool ReceiveData(std::span<const std::uint8_t> chunk);
  bool CheckStream();
  bool SendBaudCode(const TEcrCommand* EcrCommand, std::uint8_t Code, const std::string& EcrID);
  void OpenTransport();
  void CloseTransport();
  void PumpMessages();
  void Log(const std::string& text, TLogLevel level);
  // Counts one failed attempt; false (after 50004) when it was the last.
  bool NextAttempt(int& attempts, const TWriteArgs& args, bool report);
  // One poll of a network transport: the answer came, nothing yet, or the transport is
  // gone and the exchange must end.
  enum class TPoll { Answered, Nothing, GiveUp };
  // The network wait of one attempt: polls, pauses and pumps messages until an answer or
  // a give-up, or until `time_out` ms counted as `step` ms per poll have passed (the
  // count runs on whatever the poll itself took). Nothing on time-out.
  TPoll PollForAnswer(std::int32_t time_out, std::int32_t step,
                      const std::function<TPoll()>& poll_once);

  TLogger* FLogger;
  platform::Clock& FClock;

  bool FDebug = true;
  bool FConnected = false;
  std::atomic<bool> FActive{false};
  bool FRaiseError = false;
  std::atomic<bool> FTerminated{false};
  std::int32_t FRetrycnt = 3;
  std::int32_t FTimeOut = 5000;
  std::unique_ptr<platform::SerialPort> FComPort;
  std::unique_ptr<platform::UdpClient> FUdpClient;
  std::unique_ptr<platform::TcpClient> FTCPClient;
  TEcrCommands FCommands;
  TEcrProtocol FProtocal;
  std::vector<std::uint8_t> FStream;
  TEventArgs FEventArgs;
  THecrLinkEvent FOnline;
  THecrLinkError FOnError;
  bool FChecksum = true;
  bool FCheckcrc = true;
  std::int32_t FErrCode = 0;
  std::string FErrMsg;
  std::string FLogfileName;
  TMessagePump FMessagePump;
  std::function<bool()> FNetworkCheck;
  // Where the UDP writes go; an answer's sender replaces it for the rest of an exchange.
  std::string FUdpHost;
  std::uint16_t FUdpPort = 0;
  std::atomic<std::uint64_t> FPolls{0};
  // A request has been written and its answer is awaited (not just listening).
  bool FAwaitingAnswer = false;
};

// Fiscal mode of an ECR.
enum class TFisMode : std::uint8_t { fmNone, fmTax };

struct TEcrProperties {
  std::string FisCode;
  std::string FisidNo;
  std::int32_t MachineId = 0;
  std::int32_t ClerkID = 0;
  std::int32_t PassWord = 0;
  std::int32_t port = 0;
  std::string host;
  std::int32_t Status = 0;
  codec::DateTime EcrDate{};  // not filled by the query
  codec::Variant ExtParams;
  std::int32_t iType = 0;
  TFisMode FisMode = TFisMode::fmNone;
  std::int32_t LineBit = 0;
  std::int32_t MachineType = 0;
};

// Connects (probing the baud rate on a serial line) and reads the ECR's properties.
// True when Properties has been filled from a valid answer.
bool GetEcrProperties(THecrLink& Link, TEcrProperties& Properties);

}  // namespace meridox::link
