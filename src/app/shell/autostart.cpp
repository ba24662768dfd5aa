#include "app/shell/autostart.h"

#include "app/shell/ui_texts.h"

namespace meridox::app {

using platform::RunScope;

TAutoStartResult SetAutoStart(platform::RunKeyStore& store, bool enable,
                              std::string_view executablePath) {
  TAutoStartResult result;
  const std::string_view name = text::kAutoStartValue;
  if (enable) {
    std::string machine_error;
    if (store.SetValue(RunScope::kMachine, name, executablePath, &machine_error)) {
      // A copy left in the user's list by an earlier fallback would start a second one.
      if (store.HasValue(RunScope::kUser, name))
        store.DeleteValue(RunScope::kUser, name, nullptr);
      result.ok = true;
      return result;
    }
    result.ok = store.SetValue(RunScope::kUser, name, executablePath, &result.error);
    return result;
  }
  for (const RunScope scope : {RunScope::kMachine, RunScope::kUser}) {
    if (!store.HasValue(scope, name))
      continue;
    if (!store.DeleteValue(scope, name, &result.error))
      return result;
  }
  result.ok = true;
  return result;
}

}  // namespace meridox::app
