// probe: valid, or the reason it is not (no_session, no_handle).
#include "snapshot/probe.h"

#include "daemon/element_lookup.h"
#include "daemon/response.h"

namespace uiad {

Json handle_probe(DaemonContext& context, const Json& request) {
  const ElementTarget target = read_target(request);
  auto session = context.sessions.find(target.key);
  if (session == context.sessions.end())
    return ok_response({{"reason", "no_session"}, {"valid", false}});
  if (!session->second.element_records.contains(target.id))
    return ok_response({{"reason", "no_handle"}, {"valid", false}});
  return ok_response({{"valid", true}});
}

}  // namespace uiad
