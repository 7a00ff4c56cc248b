// The simulator's event log: one compact JSON line per effect on the desktop,
// each starting with the virtual time ("t", ms) and the effect ("type"), kept
// in memory and optionally written and flushed to a file as it happens.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace uiad::sim {

// Builds one line; fields keep the order in which they are added. A line
// nobody will read (`kept` false) builds nothing.
class EventLine {
 public:
  EventLine(std::int64_t t_ms, std::string_view type, bool kept = true);
  EventLine& num(std::string_view key, std::int64_t value);
  EventLine& unum(std::string_view key, std::uint64_t value);
  EventLine& real(std::string_view key, double value);
  EventLine& str(std::string_view key, std::string_view utf8);
  EventLine& boolean(std::string_view key, bool value);
  // `json` is already a serialised JSON value.
  EventLine& raw(std::string_view key, std::string_view json);
  std::string finish() const;

 private:
  // False when the line is not kept: the field is skipped.
  bool key(std::string_view name);
  std::string text_;
  bool kept_;
};

class EventLog {
 public:
  EventLog() = default;
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;
  ~EventLog();

  // Mirrors every later line to `path` (created or emptied). False when the
  // file cannot be opened; `error` then says why.
  bool open_file(const std::string& path, std::string& error);
  // Lines are kept in memory unless turned off; a process that never reads
  // them (uiad-sim) turns it off, or the log grows with every request.
  void keep_in_memory(bool keep);
  // Whether a line added now goes anywhere.
  bool wanted() const { return keep_in_memory_ || file_ != nullptr; }
  void add(std::string line);
  // Writes a line to the file only (not kept in memory).
  void add_to_file_only(const std::string& line);
  const std::vector<std::string>& lines() const { return lines_; }
  void clear() { lines_.clear(); }

 private:
  std::vector<std::string> lines_;
  std::FILE* file_ = nullptr;
  bool keep_in_memory_ = true;
};

}  // namespace uiad::sim
