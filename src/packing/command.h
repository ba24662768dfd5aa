// Parser of command-file lines: keyword, then fields, each introduced by the delimiter.
#pragma once

#include <string_view>

#include "packing/command_data.h"

namespace meridox::packing {

class TCommand {
 public:
  TCommand() = delete;

  // Never fails: an unknown keyword gives ckUnSupport without fields. Fields are not
  // trimmed and cannot be quoted; n delimiters give n fields after the keyword.
  static TCommandData FetchCommand(std::string_view lineText, std::string_view LineDelimiter);

  // Folds a-z only, so non-ASCII keywords never match by accident.
  static TCommandKind FindCommandKind(std::string_view lineCommand);
};

}  // namespace meridox::packing
