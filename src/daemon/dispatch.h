// The command table and dispatch: every command name the daemon answers, the
// handler that runs it, and the rule that each request gets one response.
#pragma once

#include <span>
#include <string_view>

#include "daemon/context.h"
#include "daemon/handler.h"
#include "daemon/json.h"

namespace uiad {

struct Command {
  std::string_view name;
  // nullptr for `ping` and `shutdown`, which the loop answers itself, and for a
  // command whose handler is not built in.
  Handler handler;
};

// Every command name, matched exactly and case-sensitively.
std::span<const Command> command_table();

// The entry named exactly `name`, or nullptr.
const Command* find_command(std::string_view name);

// Runs the handler of `cmd` and returns the request's one response. A name
// without a handler answers "unknown cmd: <cmd>"; an exception escaping the
// handler becomes an error response instead of ending the daemon.
Json dispatch(DaemonContext& context, const Json& request, std::string_view cmd);

// Runs `handler` for the command `cmd`, turning an escaping exception into the
// error response "<cmd>: internal error: <what>".
Json run_handler(Handler handler, DaemonContext& context, const Json& request,
                 std::string_view cmd);

}  // namespace uiad
