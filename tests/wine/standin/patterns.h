// The control patterns, acting on standard controls by the messages the
// controls answer to. Actions are sent, not posted: like UI Automation, a call
// returns only when the control has handled it, so an Invoke that opens a modal
// dialog blocks its caller until the dialog closes.
#pragma once

#include <memory>

#include "standin/cache.h"
#include "standin/node.h"

namespace standin {

// A new pattern object (one reference) for a pattern the node supports, or
// null for a pattern id the stand-in does not implement. With `cache` its
// Cached getters answer from it; without, they fail with E_INVALIDARG.
IUnknown* create_pattern(const Node& node, PATTERNID pattern, std::shared_ptr<const CacheData> cache);

}  // namespace standin
