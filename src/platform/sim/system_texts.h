// The system message texts FormatMessageW gives for common codes, with the
// trailing CR LF Windows includes. Scenes may add or override texts.
#pragma once

#include <cstdint>
#include <string_view>

namespace uiad::sim {

// The system message table text for `code` (a Win32 error or an HRESULT; the
// 0x8007xxxx HRESULTs read the Win32 text of xxxx); empty when unknown.
std::u16string_view system_message_text(std::uint32_t code);
// The text ntdll.dll's message table holds for an NTSTATUS; empty when unknown.
std::u16string_view ntdll_message_text(std::uint32_t status);

}  // namespace uiad::sim
