// The test application's log: one JSON object per line, written straight
// through to the file so a reader on the other side of Wine sees each line as
// soon as the event happened.
#pragma once

#include <windows.h>

#include <string>

class LogLine {
 public:
  explicit LogLine(const char* event);
  LogLine& add(const char* key, long long value);
  LogLine& add(const char* key, const std::wstring& value);
  LogLine& add_rect(const char* key, const RECT& rect);
  const std::string& finish();

 private:
  void key(const char* name);
  std::string text_;
};

class EventLog {
 public:
  EventLog() = default;
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;
  ~EventLog();

  bool open(const std::wstring& path);
  void write(LogLine& line);

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
};
