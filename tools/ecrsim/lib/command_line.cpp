#include "command_line.h"

#include <charconv>

namespace meridox::ecrsim {

namespace {

bool ToInt(const std::string& text, long long low, long long high, long long& out) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return !text.empty() && ec == std::errc() && ptr == end && out >= low && out <= high;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  ParsedCommandLine result;
  ProgramOptions& o = result.options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        result.error = arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    auto set_transport = [&](ProgramOptions::Transport t) {
      if (o.transport != ProgramOptions::Transport::kNone) {
        result.error = "only one of --tcp, --pty, --com";
        return false;
      }
      o.transport = t;
      return true;
    };
    std::string text;
    long long number = 0;
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--tcp") {
      if (!set_transport(ProgramOptions::Transport::kTcp) || !value(text)) {
        return result;
      }
      if (!ToInt(text, 0, 65535, number)) {
        result.error = "--tcp needs a port number 0-65535";
        return result;
      }
      o.tcp_port = static_cast<std::uint16_t>(number);
    } else if (arg == "--pty") {
      if (!set_transport(ProgramOptions::Transport::kPty)) {
        return result;
      }
    } else if (arg == "--com") {
      if (!set_transport(ProgramOptions::Transport::kSerial) || !value(o.serial_name)) {
        return result;
      }
    } else if (arg == "--baud") {
      if (!value(text)) {
        return result;
      }
      if (!ToInt(text, 50, 4000000, number)) {
        result.error = "--baud needs a rate";
        return result;
      }
      o.baud = static_cast<int>(number);
    } else if (arg == "--rules") {
      if (!value(o.rules_file)) {
        return result;
      }
    } else if (arg == "--journal") {
      if (!value(o.journal_file)) {
        return result;
      }
    } else if (arg == "--paper") {
      if (!value(o.paper_file)) {
        return result;
      }
    } else if (arg == "--fiscal-code") {
      if (!value(o.fiscal_code)) {
        return result;
      }
    } else if (arg == "--quiet") {
      o.quiet = true;
    } else if (arg == "--no-marker") {
      o.refusal_marker = false;
    } else {
      result.error = "unknown option " + arg + " (see --help)";
      return result;
    }
  }
  if (!o.help && o.transport == ProgramOptions::Transport::kNone) {
    result.error = "say what to serve on: --tcp PORT, --pty or --com NAME (see --help)";
    return result;
  }
  result.ok = true;
  return result;
}

std::string HelpText() {
  return R"(ecrsim - a simulated Greek fiscal cash register (ECR) for the MERIDOX bridge

Usage: ecrsim (--tcp PORT | --pty | --com NAME) [options]

Transports (one):
  --tcp PORT        serve TCP on 127.0.0.1:PORT; 0 takes a free port. The port is
                    printed as "listening on 127.0.0.1:PORT".
  --pty             (Linux) open a pseudo-terminal pair and print the slave path for
                    the bridge to open as its serial port. The bridge's line speed is
                    read from the pty; frames sent at another rate than the listening
                    rate are ignored, as on a real line.
  --com NAME        serve on a serial port: COM5 (Windows, e.g. one end of a virtual
                    null-modem pair) or a tty path (Linux).
  --baud RATE       listening rate on serial lines (default 115200). The communication
                    test (command 100) switches it to the rate whose code it carries.

Output:
  --journal FILE    append a JSON Lines journal of every frame received and sent
                    (time, dir, id, code, packet, ecr, payload hex, meaning); "-" for
                    standard output.
  --paper FILE      write the paper roll (receipts, X/Z reports) to FILE; default "-",
                    standard output.
  --quiet           do not print the paper roll.

Register:
  --fiscal-code TEXT  the 11-character code in the properties answer (30008).
  --no-marker       refusals (0x800D) carry the Greek text without the 0xFE marker.
  --rules FILE      scripted faults, see below.

What the register does:
  Every request is answered with its packet number, and with its own command code
  (refusals: 0x800D). It keeps a receipt (sale, refund, discounts, subtotal, payments
  that close it when the total is covered, void), free text and tail lines, tables
  (open, hold, transfer, close), invoices, clerk login, the status word (20000), the
  multi-packet reads (20002, 10009), the end-of-day letters of 10012 ("e" status and
  attempt count, "s" start, "c" put off, "d" drawer), the properties (30008, 26 bytes)
  and the reports of 30009: "101" X and "501" Z, after which an end-of-day transfer
  waits for the operator. Plausible requests are refused with Greek texts: payment
  without a receipt, Z with an open receipt, discounts larger than their base, ...
  A repeated sale request (same frame as the last one: the bridge's retry after a lost
  answer) is answered again without selling twice.

Rules file (one rule per line, '#' comments, key=value words, "quotes" for blanks):
  noanswer    cmd=ID nth=N times=N    leave the request unanswered (nothing changes)
  delay       cmd=ID ms=MS            answer after MS milliseconds
  split       cmd=ID chunk=BYTES ms=GAP   answer in pieces GAP ms apart
  garbage     cmd=ID bytes=HEX ms=GAP     write HEX bytes before the answer
  wrongpack   cmd=ID                  first an answer with packet number + 1
  badsum      cmd=ID                  answer with a wrong header sum
  badcrc      cmd=ID                  answer with a wrong CRC
  unsolicited cmd=ID pack=N payload=HEX   first an unsolicited 0xE088 frame
  close       cmd=ID                  drop the TCP connection instead of answering
  refuse      cmd=ID text="..." marker=yes|no   refuse with a Greek text
  slowreport  ms=MS                   every report request (30009) answered late
  status      word=N times=N text="..."   the next N status queries answer word N
                                      (bit 3: error with the text)
  pending     which=plu|receipt packets=N  data waiting for the host (status bits
                                      0 / 1) until read to its end
  cmd is a command ID (10004, 20000, ...) or "any" (the default); nth is the first
  matching request it hits, counted from the start (default 1); times how many in a
  row (default 1, "forever"). Example:
      refuse cmd=10004 nth=3 text="ΧΑΡΤΙ ΤΕΛΟΣ"
      status word=8 times=2 text="ΒΛΑΒΗ ΕΚΤΥΠΩΤΗ"
      slowreport ms=4000

Stop with Ctrl+C.
)";
}

}  // namespace meridox::ecrsim
