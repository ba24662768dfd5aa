// The UDP modes against a small datagram peer on the loopback address (the simulated
// register speaks TCP and serial only). The peer has two sockets, so that an answer can
// come from another port than the one the request went to.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/hecr_link.h"
#include "link_test_support.h"
#include "platform/udp_client.h"

namespace meridox::link {
namespace {

using namespace std::chrono_literals;
using testing::Bytes;
using testing::Frame;
using testing::SentRequest;

struct PeerReply {
  int from_socket;  // 0 or 1
  Bytes bytes;
};

class UdpPeer {
 public:
  // Decides the reply to each datagram by the socket (0 or 1) it arrived on.
  using Responder = std::function<std::optional<PeerReply>(int socket, const SentRequest&)>;

  explicit UdpPeer(Responder responder) : responder_(std::move(responder)) {
    sockets_[0].Bind("127.0.0.1", 0);
    sockets_[1].Bind("127.0.0.1", 0);
    thread_ = std::thread([this] { Run(); });
  }
  ~UdpPeer() {
    stop_ = true;
    thread_.join();
  }

  std::uint16_t Port(int socket) const { return sockets_[socket].LocalPort(); }
  int Received(int socket) const { return received_[socket].load(); }
  std::vector<platform::UdpEndpoint> Senders() const {
    std::lock_guard lock(mutex_);
    return senders_;
  }

 private:
  void Run() {
    while (!stop_) {
      for (int i = 0; i < 2; ++i) {
        if (!sockets_[i].WaitReadable(5ms))
          continue;
        std::uint8_t data[platform::UdpClient::kMaxDatagram];
        platform::UdpEndpoint from;
        const std::size_t n = sockets_[i].ReceiveFrom(data, from);
        if (n == 0)
          continue;
        {
          std::lock_guard lock(mutex_);
          senders_.push_back(from);
        }
        ++received_[i];
        const auto reply = responder_(i, testing::ParseRequest({data, n}));
        if (reply)
          sockets_[reply->from_socket].SendTo(reply->bytes, from.host, from.port);
      }
    }
  }

  Responder responder_;
  platform::UdpClient sockets_[2];
  std::atomic<int> received_[2] = {0, 0};
  mutable std::mutex mutex_;
  std::vector<platform::UdpEndpoint> senders_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

std::optional<PeerReply> Answer(int socket, const SentRequest& r) {
  return PeerReply{socket, Frame(r.code, r.packet, {0x42})};
}

class UdpLinkTest : public ::testing::Test {
 protected:
  void Configure(const UdpPeer& peer, TConnMode mode = TConnMode::cmUDP) {
    link.ConnParams.Mode = mode;
    link.ConnParams.Host = "127.0.0.1";
    link.ConnParams.Port = peer.Port(0);
  }
  bool Probe(std::int32_t time_out = 500, std::int32_t retry = 1) {
    buffer = {0x04};
    return link.SendBuffer(100, buffer, 0, 1, time_out, retry, "1");
  }
  testing::LogCapture log;
  THecrLink link{log.logger()};
  Bytes buffer;
};

TEST_F(UdpLinkTest, ExchangesDatagrams) {
  UdpPeer peer(Answer);
  Configure(peer);
  ASSERT_TRUE(Probe()) << link.ErrMsg();
  EXPECT_EQ(buffer, Bytes{0x42});
  EXPECT_EQ(peer.Received(0), 1);
}

TEST_F(UdpLinkTest, UnansweredAttemptsPollTimeOutByTen) {
  UdpPeer peer([](int, const SentRequest&) { return std::optional<PeerReply>(); });
  Configure(peer);
  ASSERT_TRUE(link.Open());
  const auto before = link.PollCount();
  EXPECT_FALSE(Probe(50, 2));
  EXPECT_EQ(link.PollCount() - before, 10u);
  EXPECT_EQ(link.ErrCode(), 50004);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(peer.Received(0), 2);
}

TEST_F(UdpLinkTest, AnswersSenderBecomesTheDestinationForTheNextAttempts) {
  // Socket 0 gets the request and lets socket 1 send a frame of another exchange; the
  // retry then goes to socket 1, which answers properly.
  UdpPeer peer([](int socket, const SentRequest& r) {
    if (socket == 0)
      return std::optional<PeerReply>(PeerReply{1, Frame(r.code, r.packet + 1, {0x01})});
    return Answer(socket, r);
  });
  Configure(peer);
  ASSERT_TRUE(Probe(200, 2)) << link.ErrMsg();
  EXPECT_EQ(peer.Received(0), 1);
  EXPECT_EQ(peer.Received(1), 1);
  // A new exchange starts at the configured address again.
  EXPECT_FALSE(Probe(100, 1));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(peer.Received(0), 2);
}

TEST_F(UdpLinkTest, SuppliedBindingIsTheLocalAddress) {
  UdpPeer peer(Answer);
  Configure(peer, TConnMode::cmUDPCC);
  std::uint16_t local = 0;
  {
    platform::UdpClient probe;  // a free local port, given back at once
    probe.Bind("127.0.0.1", 0);
    local = probe.LocalPort();
  }
  auto binding = std::make_shared<TUdpBinding>(TUdpBinding{"127.0.0.1", local});
  link.ConnParams.Binding = binding;
  ASSERT_TRUE(link.Open()) << link.ErrMsg();
  ASSERT_TRUE(Probe()) << link.ErrMsg();
  const auto senders = peer.Senders();
  ASSERT_EQ(senders.size(), 1u);
  EXPECT_EQ(senders[0].port, local);
  link.Close();
  binding.reset();  // the host application releases it
  EXPECT_FALSE(link.Open());
  EXPECT_EQ(link.ErrCode(), -2);
}

}  // namespace
}  // namespace meridox::link
