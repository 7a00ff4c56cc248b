// Event lines and their optional file mirror.
#include "platform/sim/event_log.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include "platform/sim/text.h"

namespace uiad::sim {

EventLine::EventLine(std::int64_t t_ms, std::string_view type, bool kept) : kept_(kept) {
  if (!kept_) return;
  text_ = "{\"t\":" + std::to_string(t_ms) + ",\"type\":";
  append_json_string(text_, type);
}

bool EventLine::key(std::string_view name) {
  if (!kept_) return false;
  text_.push_back(',');
  append_json_string(text_, name);
  text_.push_back(':');
  return true;
}

EventLine& EventLine::num(std::string_view name, std::int64_t value) {
  if (key(name)) text_ += std::to_string(value);
  return *this;
}

EventLine& EventLine::unum(std::string_view name, std::uint64_t value) {
  if (key(name)) text_ += std::to_string(value);
  return *this;
}

EventLine& EventLine::real(std::string_view name, double value) {
  if (!key(name)) return *this;
  if (!std::isfinite(value)) {
    text_ += "null";
  } else if (value == std::floor(value) && std::fabs(value) < 1e15) {
    text_ += std::to_string(static_cast<std::int64_t>(value));
  } else {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    text_ += buffer;
  }
  return *this;
}

EventLine& EventLine::str(std::string_view name, std::string_view utf8) {
  if (key(name)) append_json_string(text_, utf8);
  return *this;
}

EventLine& EventLine::boolean(std::string_view name, bool value) {
  if (key(name)) text_ += value ? "true" : "false";
  return *this;
}

EventLine& EventLine::raw(std::string_view name, std::string_view json) {
  if (key(name)) text_ += json;
  return *this;
}

std::string EventLine::finish() const { return text_ + "}"; }

EventLog::~EventLog() {
  if (file_ != nullptr) std::fclose(file_);
}

bool EventLog::open_file(const std::string& path, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = "cannot open event log '" + path + "': " + std::strerror(errno);
    return false;
  }
  if (file_ != nullptr) std::fclose(file_);
  file_ = file;
  for (const auto& line : lines_) add_to_file_only(line);
  return true;
}

void EventLog::keep_in_memory(bool keep) {
  keep_in_memory_ = keep;
  if (!keep) {
    lines_.clear();
    lines_.shrink_to_fit();
  }
}

void EventLog::add(std::string line) {
  add_to_file_only(line);
  if (keep_in_memory_) lines_.push_back(std::move(line));
}

void EventLog::add_to_file_only(const std::string& line) {
  if (file_ == nullptr) return;
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fputc('\n', file_);
  std::fflush(file_);
}

}  // namespace uiad::sim
