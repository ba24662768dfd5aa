// The platform's transports on the loopback address, and its host and port checks.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/network.h"
#include "platform/serial_port.h"
#include "platform/tcp_client.h"
#include "platform/transport_error.h"
#include "platform/udp_client.h"

namespace meridox::platform {
namespace {

using namespace std::chrono_literals;

TEST(LoopbackHost, RecognisesThisMachinesNames) {
  const std::pair<const char*, bool> cases[] = {
      {"127.0.0.1", true},    {"127.1.2.3", true}, {"localhost", true},   {"LocalHost", true},
      {"::1", true},          {"127.0.0", false},  {"127.0.0.1x", false}, {"128.0.0.1", false},
      {"192.168.1.1", false}, {"", false},         {"ecr.local", false},  {"1127.0.0.1", false}};
  for (const auto& [host, loopback] : cases)
    EXPECT_EQ(IsLoopbackHost(host), loopback) << host;
}

TEST(UdpClient, ExchangesDatagramsWithTheSendersAddress) {
  UdpClient a;
  UdpClient b;
  a.Bind("127.0.0.1", 0);
  b.Bind("127.0.0.1", 0);
  ASSERT_NE(a.LocalPort(), 0);
  const std::vector<std::uint8_t> data{0xAA, 0x00, 0x03, 0x00, 0xFF};  // NULs are data
  a.SendTo(data, "127.0.0.1", b.LocalPort());
  ASSERT_TRUE(b.WaitReadable(2000ms));
  std::uint8_t in[UdpClient::kMaxDatagram];
  UdpEndpoint from;
  ASSERT_EQ(b.ReceiveFrom(in, from), data.size());
  EXPECT_EQ(std::vector<std::uint8_t>(in, in + data.size()), data);
  EXPECT_EQ(from.host, "127.0.0.1");
  EXPECT_EQ(from.port, a.LocalPort());
  // Nothing more is waiting.
  EXPECT_FALSE(b.WaitReadable(10ms));
  EXPECT_EQ(b.ReceiveFrom(in, from), 0u);
}

TEST(UdpClient, LongDatagramIsCutToTheLimit) {
  UdpClient a;
  UdpClient b;
  b.Bind("127.0.0.1", 0);
  std::vector<std::uint8_t> big(1500);
  for (std::size_t i = 0; i < big.size(); ++i)
    big[i] = static_cast<std::uint8_t>(i);
  a.SendTo(big, "127.0.0.1", b.LocalPort());  // opens an unbound socket first
  EXPECT_TRUE(a.IsOpen());
  ASSERT_TRUE(b.WaitReadable(2000ms));
  std::uint8_t in[UdpClient::kMaxDatagram];
  UdpEndpoint from;
  ASSERT_EQ(b.ReceiveFrom(in, from), UdpClient::kMaxDatagram);
  EXPECT_EQ(in[1023], static_cast<std::uint8_t>(1023));
}

TEST(UdpClient, ClosedClientRefusesToWait) {
  UdpClient a;
  EXPECT_FALSE(a.IsOpen());
  EXPECT_EQ(a.LocalPort(), 0);
  EXPECT_THROW(a.WaitReadable(1ms), TransportError);
}

TEST(TcpClient, UnknownHostAndUnconnectedUseFail) {
  TcpClient client;
  EXPECT_FALSE(client.Connected());
  EXPECT_THROW(client.Write(std::vector<std::uint8_t>{1}), TransportError);
  EXPECT_THROW(client.ReadAvailable(), TransportError);
  EXPECT_THROW(client.Connect("", 1, 100ms), TransportError);
  EXPECT_FALSE(client.Connected());
  client.Disconnect();  // harmless without a connection
}

TEST(SerialPort, MissingPortDoesNotExistAndDoesNotOpen) {
  EXPECT_FALSE(PortExists("COM250"));
  EXPECT_FALSE(PortExists(""));
  SerialPort port;
  EXPECT_THROW(port.Open("COM250", 9600), TransportError);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_THROW(port.BytesWaiting(), TransportError);
  EXPECT_THROW(port.Open("COM250", 0), TransportError);
}

}  // namespace
}  // namespace meridox::platform
