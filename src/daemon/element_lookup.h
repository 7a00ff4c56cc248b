// Finding a request's session and element record: the app key, the normalised
// element id, the lookup with its two failure messages and the staleness test.
// Runs on the request thread; the result borrows the session read-only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "daemon/context.h"
#include "daemon/element_record.h"
#include "daemon/json.h"
#include "daemon/session.h"
#include "platform/automation.h"

namespace uiad {

struct ElementTarget {
  std::string key;  // the lower-cased `app`
  std::string id;   // the normalised `id`
};

// `app` lower-cased as a whole string and `id` normalised; an absent or
// non-string value counts as "". Nothing is trimmed.
ElementTarget read_target(const Json& request);

// The session key of an `app` value (absent or non-string: "").
std::string app_key(const Json& request);

// `id` without leading "e:" repetitions, then "E:", then "e", then "E".
std::string normalize_element_id(std::string_view id);

struct FoundElement {
  const Session* session = nullptr;  // points into context.sessions
  ElementRecord record;              // a copy of the session's record
};

// The session under `key` and a copy of its record for `id`. On failure sets
// `error` to "<command>: no session for '<key>'" or
// "<command>: no element id=<id> in '<key>'" and returns nullopt.
std::optional<FoundElement> lookup_element(const DaemonContext& context, std::string_view key,
                                           std::string_view id, std::string_view command,
                                           std::string& error);

// The session's live element for `id`, or nullptr (which is not an error).
platform::Element* find_live_element(const Session& session, const std::string& id);

// "<command>: no session for '<key>'".
std::string no_session_message(std::string_view command, std::string_view key);

// "<command>: element '<id>' is stale — the UI changed since the last scan; re-scan and retry".
std::string stale_element_message(std::string_view command, std::string_view id);

// True exactly when the element's ProcessId read fails with
// UIA_E_ELEMENTNOTAVAILABLE (its provider says it is gone) or with one of the
// codes of a provider process that has exited: RPC_E_DISCONNECTED,
// RPC_S_SERVER_UNAVAILABLE, CO_E_OBJNOTCONNECTED.
bool is_stale(platform::Element& element);

}  // namespace uiad
