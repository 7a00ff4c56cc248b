// The two streams of the daemon: request lines in, response lines out.
// Ownership: the main loop owns its Transport. Threading: read_line is called
// from the request thread only; write_line may be called from any thread and
// writes each line whole.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace uiad {

enum class ReadStatus {
  Line,         // `line` holds the next line (valid UTF-8)
  End,          // no more input
  ReadFailure,  // the stream failed, or the line was not valid UTF-8
};

class Transport {
 public:
  Transport() = default;
  Transport(const Transport&) = delete;
  Transport& operator=(const Transport&) = delete;
  virtual ~Transport() = default;

  // The next line without its LF (and without one CR right before the LF). A
  // last line without LF is still a line. Lines have no length limit.
  [[nodiscard]] virtual ReadStatus read_line(std::string& line) = 0;
  // Writes `line` and one LF as one unit and flushes. Failures are ignored:
  // a client that closed its end must not stop the daemon.
  virtual void write_line(std::string_view line) = 0;
};

// Standard input and output, in binary mode.
std::unique_ptr<Transport> make_stdio_transport();

}  // namespace uiad
