// The Transport over the process's standard input and output. Reads go
// straight to the file descriptor in large chunks; each line is written with
// as few system calls as the platform allows, so a closed or full pipe is the
// only thing that can slow or stop a write, and neither stops the daemon.
#include <cerrno>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "daemon/line_reader.h"
#include "daemon/transport.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <sys/uio.h>
#include <unistd.h>

#include <csignal>
#endif

namespace uiad {
namespace {

constexpr int kStdin = 0;
constexpr int kStdout = 1;
#ifdef _WIN32
// _read and _write take an unsigned int count.
constexpr std::size_t kMaxIo = 0x40000000;
#endif

long long read_stdin(char* buffer, std::size_t capacity) {
  for (;;) {
#ifdef _WIN32
    const int got =
        _read(kStdin, buffer, static_cast<unsigned>(capacity > kMaxIo ? kMaxIo : capacity));
#else
    const ssize_t got = ::read(kStdin, buffer, capacity);
#endif
    if (got >= 0) return got;
    if (errno != EINTR) return -1;
  }
}

class StdioTransport : public Transport {
 public:
  StdioTransport() : reader_(read_stdin) {}

  ReadStatus read_line(std::string& line) override { return reader_.read_line(line); }

  void write_line(std::string_view line) override {
    const std::lock_guard<std::mutex> lock(write_mutex_);
#ifdef _WIN32
    scratch_.assign(line);
    scratch_.push_back('\n');
    const char* data = scratch_.data();
    std::size_t left = scratch_.size();
    while (left > 0) {
      const auto chunk = static_cast<unsigned>(left > kMaxIo ? kMaxIo : left);
      const int wrote = _write(kStdout, data, chunk);
      if (wrote <= 0) return;
      data += wrote;
      left -= static_cast<std::size_t>(wrote);
    }
    scratch_.clear();
#else
    char newline = '\n';
    iovec parts[2] = {{const_cast<char*>(line.data()), line.size()}, {&newline, 1}};
    int first = 0;
    while (first < 2) {
      const ssize_t wrote = ::writev(kStdout, parts + first, 2 - first);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) return;
      auto n = static_cast<std::size_t>(wrote);
      while (first < 2 && n >= parts[first].iov_len) {
        n -= parts[first].iov_len;
        ++first;
      }
      if (first < 2) {
        parts[first].iov_base = static_cast<char*>(parts[first].iov_base) + n;
        parts[first].iov_len -= n;
      }
    }
#endif
  }

 private:
  LineReader reader_;
  std::mutex write_mutex_;
#ifdef _WIN32
  std::string scratch_;
#endif
};

}  // namespace

std::unique_ptr<Transport> make_stdio_transport() {
#ifdef _WIN32
  // Text mode would turn LF into CR LF and stop reading at a Ctrl-Z byte.
  _setmode(kStdin, _O_BINARY);
  _setmode(kStdout, _O_BINARY);
#else
  // A client that closes its end of stdout must not kill the daemon: the write
  // fails with EPIPE instead and is ignored.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  return std::make_unique<StdioTransport>();
}

}  // namespace uiad
