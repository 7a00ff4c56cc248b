// Session and element lookup for the element commands.
#include "daemon/element_lookup.h"

#include "daemon/unicode.h"

namespace uiad {
namespace {

std::string_view string_member(const Json& request, const char* name) {
  if (!request.is_object()) return {};
  auto it = request.find(name);
  if (it == request.end() || !it->is_string()) return {};
  return it->get_ref<const std::string&>();
}

void strip_leading(std::string_view& text, std::string_view prefix) {
  while (text.starts_with(prefix)) text.remove_prefix(prefix.size());
}

}  // namespace

std::string app_key(const Json& request) {
  return unicode::to_lower_whole(string_member(request, "app"));
}

ElementTarget read_target(const Json& request) {
  return {app_key(request), normalize_element_id(string_member(request, "id"))};
}

std::string normalize_element_id(std::string_view id) {
  strip_leading(id, "e:");
  strip_leading(id, "E:");
  strip_leading(id, "e");
  strip_leading(id, "E");
  return std::string(id);
}

std::optional<FoundElement> lookup_element(const DaemonContext& context, std::string_view key,
                                           std::string_view id, std::string_view command,
                                           std::string& error) {
  auto session = context.sessions.find(std::string(key));
  if (session == context.sessions.end()) {
    error = no_session_message(command, key);
    return std::nullopt;
  }
  auto record = session->second.element_records.find(std::string(id));
  if (record == session->second.element_records.end()) {
    error = std::string(command) + ": no element id=" + std::string(id) + " in '" +
            std::string(key) + "'";
    return std::nullopt;
  }
  return FoundElement{&session->second, record->second};
}

std::string no_session_message(std::string_view command, std::string_view key) {
  return std::string(command) + ": no session for '" + std::string(key) + "'";
}

std::string stale_element_message(std::string_view command, std::string_view id) {
  return std::string(command) + ": element '" + std::string(id) +
         "' is stale \u2014 the UI changed since the last scan; re-scan and retry";
}

platform::Element* find_live_element(const Session& session, const std::string& id) {
  auto it = session.live_elements.find(id);
  return it == session.live_elements.end() ? nullptr : it->second.get();
}

bool is_stale(platform::Element& element) {
  // Once the application has exited, a call on its element can fail with the
  // COM transport's codes instead of UI Automation's own.
  constexpr platform::HResult kRpcEDisconnected = static_cast<platform::HResult>(0x80010108u);
  constexpr platform::HResult kRpcSServerUnavailable = static_cast<platform::HResult>(0x800706BAu);
  constexpr platform::HResult kCoEObjNotConnected = static_cast<platform::HResult>(0x800401FDu);
  const platform::HResult hr = element.get_current_process_id().hr;
  return hr == platform::kUiaEElementNotAvailable || hr == kRpcEDisconnected ||
         hr == kRpcSServerUnavailable || hr == kCoEObjNotConnected;
}

}  // namespace uiad
