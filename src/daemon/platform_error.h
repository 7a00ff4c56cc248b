// Rendering a failed platform call as text: "<message> (0x%08X)", or the code
// alone when there is no message. The message is the thread's COM error
// information when there is some, else the system message table's text.
#pragma once

#include <cstdint>
#include <string>

#include "platform/com.h"
#include "platform/types.h"

namespace uiad {

std::string platform_error_text(platform::Com& com, platform::HResult hr);

// A file-system failure as "<system message> (os error <code>)", the code in
// decimal; the code alone in that form when the system has no text for it.
std::string os_error_text(platform::Com& com, std::uint32_t code);

}  // namespace uiad
