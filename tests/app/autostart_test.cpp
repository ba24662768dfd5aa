#include "app/shell/autostart.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace meridox::app {
namespace {

using platform::RunScope;

// A Run list pair where the machine's list can be made to refuse writes, as it does for
// an operator without administrator rights.
class FakeRunKeys : public platform::RunKeyStore {
 public:
  bool machineWritable = true;
  std::map<std::pair<RunScope, std::string>, std::string> values;
  int machineWrites = 0;

  bool HasValue(RunScope scope, std::string_view name) override {
    return values.count({scope, std::string(name)}) != 0;
  }
  bool SetValue(RunScope scope, std::string_view name, std::string_view data,
                std::string* error) override {
    if (!Writable(scope, error))
      return false;
    values[{scope, std::string(name)}] = std::string(data);
    return true;
  }
  bool DeleteValue(RunScope scope, std::string_view name, std::string* error) override {
    if (!Writable(scope, error))
      return false;
    values.erase({scope, std::string(name)});
    return true;
  }

 private:
  bool Writable(RunScope scope, std::string* error) {
    if (scope != RunScope::kMachine)
      return true;
    ++machineWrites;
    if (machineWritable)
      return true;
    if (error != nullptr)
      *error = "Access is denied.";
    return false;
  }
};

constexpr std::string_view kExe = "C:\\Program Files\\MERIDOX\\MERIDOX.exe";

TEST(AutoStartTest, EnableWritesTheMachineValueAndDropsAUserCopy) {
  FakeRunKeys keys;
  keys.values[{RunScope::kUser, "VEXDriver"}] = "old";
  const TAutoStartResult result = SetAutoStart(keys, true, kExe);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(keys.values.at({RunScope::kMachine, "VEXDriver"}), kExe);
  EXPECT_FALSE(keys.HasValue(RunScope::kUser, "VEXDriver"));
}

TEST(AutoStartTest, EnableFallsBackToTheUserWhenTheMachineRefuses) {
  FakeRunKeys keys;
  keys.machineWritable = false;
  const TAutoStartResult result = SetAutoStart(keys, true, kExe);
  EXPECT_TRUE(result.ok) << result.error;
  EXPECT_EQ(keys.values.at({RunScope::kUser, "VEXDriver"}), kExe);
  EXPECT_FALSE(keys.HasValue(RunScope::kMachine, "VEXDriver"));
}

TEST(AutoStartTest, RemovingAMissingValueNeedsNoWriteAccess) {
  FakeRunKeys keys;
  keys.machineWritable = false;
  for (int round = 0; round < 2; ++round) {
    const TAutoStartResult result = SetAutoStart(keys, false, kExe);
    EXPECT_TRUE(result.ok) << result.error;
  }
  EXPECT_EQ(keys.machineWrites, 0);
}

TEST(AutoStartTest, RemovingClearsBothLists) {
  FakeRunKeys keys;
  keys.values[{RunScope::kMachine, "VEXDriver"}] = std::string(kExe);
  keys.values[{RunScope::kUser, "VEXDriver"}] = std::string(kExe);
  keys.values[{RunScope::kUser, "Other"}] = "keep";
  EXPECT_TRUE(SetAutoStart(keys, false, kExe).ok);
  EXPECT_EQ(keys.values.size(), 1u);
  EXPECT_TRUE(keys.HasValue(RunScope::kUser, "Other"));
}

TEST(AutoStartTest, RemovingAMachineValueWithoutRightsReportsTheSystemText) {
  FakeRunKeys keys;
  keys.values[{RunScope::kMachine, "VEXDriver"}] = std::string(kExe);
  keys.machineWritable = false;
  const TAutoStartResult result = SetAutoStart(keys, false, kExe);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "Access is denied.");
}

}  // namespace
}  // namespace meridox::app
