// The pieces that keep one bridge per program folder and let other processes talk to it.
#include <gtest/gtest.h>

#include <thread>

#include "platform/folder_lock.h"
#include "platform/local_channel.h"
#include "platform/stop_request.h"
#include "temp_dir.h"

namespace meridox::platform {
namespace {

using namespace std::chrono_literals;

TEST(FolderLock, SecondHolderIsRefusedUntilTheFirstLetsGo) {
  testing::TempDir dir;
  const auto file = dir.path() / "meridox.lock";
  std::string error;
  auto first = TryLockFile(file, &error);
  ASSERT_NE(first, nullptr) << error;
  EXPECT_EQ(TryLockFile(file, &error), nullptr);
  first.reset();
  EXPECT_NE(TryLockFile(file, &error), nullptr) << error;
}

TEST(LocalChannel, LinesTravelBothWaysAndEachFolderHasItsOwnEndpoint) {
  testing::TempDir dir;
  testing::TempDir other;
  std::string error;
  auto server = ListenLocal(dir.path(), &error);
  ASSERT_NE(server, nullptr) << error;
  EXPECT_EQ(ConnectLocal(other.path(), &error), nullptr);

  std::thread peer([&] {
    auto stream = server->Accept(5s);
    ASSERT_NE(stream, nullptr);
    std::string line;
    ASSERT_TRUE(stream->ReadLine(line, 5s));
    stream->WriteLine("echo " + line);
    stream->WriteLine("\xCE\xA0 done");
  });
  auto client = ConnectLocal(dir.path(), &error);
  ASSERT_NE(client, nullptr) << error;
  ASSERT_TRUE(client->WriteLine("x-report"));
  std::string line;
  ASSERT_TRUE(client->ReadLine(line, 5s));
  EXPECT_EQ(line, "echo x-report");
  ASSERT_TRUE(client->ReadLine(line, 5s));
  EXPECT_EQ(line, "\xCE\xA0 done");
  peer.join();
  // The server side closed: the stream ends instead of waiting out the time-out.
  EXPECT_FALSE(client->ReadLine(line, 5s));
}

TEST(LocalChannel, AcceptTimesOutWithNoClient) {
  testing::TempDir dir;
  std::string error;
  auto server = ListenLocal(dir.path(), &error);
  ASSERT_NE(server, nullptr) << error;
  EXPECT_EQ(server->Accept(50ms), nullptr);
}

TEST(StopRequest, WaitEndsOnRequestAndResetClearsIt) {
  ResetStopRequest();
  EXPECT_FALSE(WaitForStop(10ms));
  std::thread asker([] { RequestStop(); });
  EXPECT_TRUE(WaitForStop(5s));
  asker.join();
  EXPECT_TRUE(StopRequested());
  ResetStopRequest();
  EXPECT_FALSE(StopRequested());
}

}  // namespace
}  // namespace meridox::platform
