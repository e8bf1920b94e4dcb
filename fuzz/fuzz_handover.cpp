// Feeds arbitrary bytes to what a running main window takes from other
// processes and from the command line: a hand-over record (any code, any
// bytes, no promise of a zero byte) and an argument list. A record is never
// read past its size, its path is the bytes before the first zero, and a
// hand-over a start decides on reads back as the same request.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "mainwindow/Quor_CommandLine.h"
#include "platform/text.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// Arguments cut from the text at its zero bytes.
std::vector<std::string> Arguments(const std::string& text) {
  std::vector<std::string> args;
  std::size_t start = 0;
  for (std::size_t at = 0; at <= text.size(); ++at) {
    if (at == text.size() || text[at] == '\0') {
      args.push_back(text.substr(start, at - start));
      start = at + 1;
    }
  }
  return args;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  std::uint32_t code;
  std::memcpy(&code, data, 4);
  const bool copyRunning = data[4] & 1;
  // The record's bytes in a buffer of exactly their size, so that reading
  // one byte more is caught.
  const std::vector<std::uint8_t> record(data + 5, data + size);
  const std::string path = HandOverPath(record.data(), record.size());
  Require(path.size() <= record.size());
  Require(path.find('\0') == std::string::npos);
  Require(std::memcmp(path.data(), record.data(), path.size()) == 0);
  const std::optional<CheckRequest> received = RequestOfHandOver(code, record.data(), record.size());
  const bool legacyCode = code >= 64 && code <= 67;
  const bool utf8Code = code >= 68 && code <= 71;
  Require(received.has_value() == (legacyCode || (utf8Code && platform::IsValidUtf8(path))));
  if (received) Require(received->path == (legacyCode ? platform::LegacyToUtf8(path) : path));

  const std::string text(record.begin(), record.end());
  const StartDecision decision = DecideStart(Arguments(text), copyRunning);
  // Arguments inside the program are UTF-8; those travel intact.
  if (decision.action == StartAction::HandOver && platform::IsValidUtf8(text)) {
    const std::optional<CheckRequest> sent =
        RequestOfHandOver(decision.code, decision.payload.data(), decision.payload.size());
    Require(sent.has_value());
    Require(sent == CheckRequestOfCommandLine(Arguments(text)));
  }
  RequestOfDroppedItem(path, copyRunning);
  return 0;
}
