// JSON lines for the test application's log.
#include "event_log.h"

#include <cstdio>

namespace {

void append_utf8(std::string& out, const std::wstring& text) {
  if (text.empty()) return;
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                       0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                      nullptr, nullptr);
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
}

}  // namespace

LogLine::LogLine(const char* event) {
  text_ = "{\"event\":\"";
  text_ += event;
  text_ += '"';
}

void LogLine::key(const char* name) {
  text_ += ",\"";
  text_ += name;
  text_ += "\":";
}

LogLine& LogLine::add(const char* name, long long value) {
  key(name);
  text_ += std::to_string(value);
  return *this;
}

LogLine& LogLine::add(const char* name, const std::wstring& value) {
  key(name);
  text_ += '"';
  append_utf8(text_, value);
  text_ += '"';
  return *this;
}

LogLine& LogLine::add_rect(const char* name, const RECT& rect) {
  key(name);
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "[%ld,%ld,%ld,%ld]", rect.left, rect.top, rect.right,
                rect.bottom);
  text_ += buffer;
  return *this;
}

const std::string& LogLine::finish() {
  text_ += "}\n";
  return text_;
}

EventLog::~EventLog() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool EventLog::open(const std::wstring& path) {
  file_ = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file_ != INVALID_HANDLE_VALUE;
}

void EventLog::write(LogLine& line) {
  if (file_ == INVALID_HANDLE_VALUE) return;
  const std::string& text = line.finish();
  DWORD written = 0;
  WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
