// Message-table texts, as Windows (English) renders them.
#include "platform/sim/system_texts.h"

#include <array>
#include <utility>

namespace uiad::sim {
namespace {

using Entry = std::pair<std::uint32_t, std::u16string_view>;

constexpr std::array kSystemTexts{
    Entry{0, u"The operation completed successfully.\r\n"},
    Entry{1, u"Incorrect function.\r\n"},
    Entry{2, u"The system cannot find the file specified.\r\n"},
    Entry{3, u"The system cannot find the path specified.\r\n"},
    Entry{4, u"The system cannot open the file.\r\n"},
    Entry{5, u"Access is denied.\r\n"},
    Entry{6, u"The handle is invalid.\r\n"},
    Entry{8, u"Not enough memory resources are available to process this command.\r\n"},
    Entry{14, u"Not enough memory resources are available to complete this operation.\r\n"},
    Entry{15, u"The system cannot find the drive specified.\r\n"},
    Entry{19, u"The media is write protected.\r\n"},
    Entry{31, u"A device attached to the system is not functioning.\r\n"},
    Entry{32,
          u"The process cannot access the file because it is being used by another "
          u"process.\r\n"},
    Entry{80, u"The file exists.\r\n"},
    Entry{87, u"The parameter is incorrect.\r\n"},
    Entry{112, u"There is not enough space on the disk.\r\n"},
    Entry{122, u"The data area passed to a system call is too small.\r\n"},
    Entry{123, u"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    Entry{183, u"Cannot create a file when that file already exists.\r\n"},
    Entry{206, u"The filename or extension is too long.\r\n"},
    Entry{267, u"The directory name is invalid.\r\n"},
    Entry{1168, u"Element not found.\r\n"},
    Entry{1400, u"Invalid window handle.\r\n"},
    Entry{1460, u"This operation returned because the timeout period expired.\r\n"},
    Entry{1722, u"The RPC server is unavailable.\r\n"},
    Entry{0x80004001, u"Not implemented\r\n"},
    Entry{0x80004002, u"No such interface supported\r\n"},
    Entry{0x80004003, u"Invalid pointer\r\n"},
    Entry{0x80004004, u"Operation aborted\r\n"},
    Entry{0x80004005, u"Unspecified error\r\n"},
    Entry{0x8000FFFF, u"Catastrophic failure\r\n"},
    Entry{0x80010001, u"Call was rejected by callee.\r\n"},
    Entry{0x80010105, u"The server threw an exception.\r\n"},
    Entry{0x80010106, u"Cannot change thread mode after it is set.\r\n"},
    Entry{0x80010108, u"The object invoked has disconnected from its clients.\r\n"},
    Entry{0x8001010D,
          u"An outgoing call cannot be made since the application is dispatching an "
          u"input-synchronous call.\r\n"},
    Entry{0x80040154, u"Class not registered\r\n"},
    Entry{0x800401F0, u"CoInitialize has not been called.\r\n"},
    // UI Automation's codes share FACILITY_ITF with the COM+ event system, and
    // the system table holds the event system's texts for the codes it knows.
    Entry{0x80040201, u"An event was unable to invoke any of the subscribers\r\n"},
    Entry{0x80040203, u"A syntax error occurred trying to evaluate a query string\r\n"},
    Entry{0x80040204, u"An invalid field name was used in a query string\r\n"},
};

constexpr std::array kNtdllTexts{
    Entry{0xC0000001, u"{Operation Failed}\r\nThe requested operation was unsuccessful.\r\n"},
    Entry{0xC0000008, u"An invalid HANDLE was specified.\r\n"},
    Entry{0xC000000D, u"An invalid parameter was passed to a service or function.\r\n"},
    Entry{0xC0000022,
          u"{Access Denied}\r\nA process has requested access to an object, but has not "
          u"been granted those access rights.\r\n"},
    Entry{0xC0000034, u"Object Name not found.\r\n"},
};

template <std::size_t N>
std::u16string_view find(const std::array<Entry, N>& table, std::uint32_t code) {
  for (const auto& [key, text] : table) {
    if (key == code) return text;
  }
  return {};
}

}  // namespace

std::u16string_view system_message_text(std::uint32_t code) {
  auto text = find(kSystemTexts, code);
  if (text.empty() && (code & 0xFFFF0000u) == 0x80070000u) text = find(kSystemTexts, code & 0xFFFF);
  return text;
}

std::u16string_view ntdll_message_text(std::uint32_t status) { return find(kNtdllTexts, status); }

}  // namespace uiad::sim
