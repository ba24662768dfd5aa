// The lists of programs the system starts when a user logs on (the machine's and the
// current user's), reduced to the three things the settings panel needs.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace meridox::platform {

enum class RunScope { kMachine, kUser };

class RunKeyStore {
 public:
  virtual ~RunKeyStore() = default;
  // Reading needs no write access, so an operator without rights can still ask.
  virtual bool HasValue(RunScope scope, std::string_view name) = 0;
  // False with the system's error text in `error` (e.g. access denied on the machine's key).
  virtual bool SetValue(RunScope scope, std::string_view name, std::string_view data,
                        std::string* error) = 0;
  virtual bool DeleteValue(RunScope scope, std::string_view name, std::string* error) = 0;
};

// The system's store: the registry's Run keys on Windows; elsewhere there is no such list,
// so it holds nothing and refuses to write.
std::unique_ptr<RunKeyStore> SystemRunKeyStore();

}  // namespace meridox::platform
