// Start-up, the read-parse-dispatch loop and the exit of the daemon.
#include "daemon/main_loop.h"

#include <exception>
#include <string>
#include <string_view>
#include <variant>

#include "daemon/context.h"
#include "daemon/dispatch.h"
#include "daemon/platform_error.h"
#include "daemon/request_parser.h"
#include "daemon/response_writer.h"
#include "daemon/unicode.h"

namespace uiad {
namespace {

enum class Next { Continue, Stop };

// The ping answer never varies; writing it ready-made keeps the liveness probe
// cheap (it is what the throughput benchmark measures).
constexpr std::string_view kPongLine = R"({"ok":true,"pong":true})";

// The request's `cmd` when it is an object with a string `cmd`, else "".
std::string_view command_name(const Json& request) {
  if (!request.is_object()) return {};
  const auto it = request.find("cmd");
  if (it == request.end() || !it->is_string()) return {};
  return it->get_ref<const std::string&>();
}

Next serve_line(DaemonContext& context, Transport& transport, std::string_view line) {
  const std::string_view trimmed = unicode::trim_white_space(line);
  if (trimmed.empty()) return Next::Continue;

  std::variant<Json, ParseFault> parsed = parse_request(trimmed);
  if (const auto* fault = std::get_if<ParseFault>(&parsed)) {
    write_error(transport, "JSON parse: " + fault->text);
    return Next::Continue;
  }
  const Json& request = std::get<Json>(parsed);
  const std::string_view cmd = command_name(request);
  if (cmd == "ping") {
    transport.write_line(kPongLine);
    return Next::Continue;
  }
  if (cmd == "shutdown") {
    write_event(transport, "shutting_down");
    return Next::Stop;
  }
  write_response(transport, dispatch(context, request, cmd));
  return Next::Continue;
}

}  // namespace

int run_daemon(platform::Platform& platform, Transport& transport) {
  // Coordinates must be physical pixels on every monitor; a process whose
  // awareness is already fixed keeps it, which is not worth reporting.
  (void)platform.dpi.set_process_dpi_awareness_context(
      platform::kDpiAwarenessContextPerMonitorAwareV2);
  // S_FALSE or RPC_E_CHANGED_MODE still leave the thread able to use COM.
  (void)platform.com.co_initialize_multithreaded();

  platform::Result<platform::Ref<platform::Automation>> created = platform.com.create_automation();
  if (!created.succeeded() || created.value == nullptr) {
    const platform::HResult code = created.succeeded() ? platform::kSOk : created.hr;
    write_error(transport, "COM init: " + platform_error_text(platform.com, code));
    return 0;
  }

  {
    DaemonContext context(platform, std::move(created.value));
    write_event(transport, "ready");

    std::string line;
    while (transport.read_line(line) == ReadStatus::Line) {
      Next next = Next::Continue;
      try {
        next = serve_line(context, transport, line);
      } catch (const std::exception& e) {
        // Out of memory while parsing or writing: the request still gets its line.
        write_error(transport, std::string("internal error: ") + e.what());
      } catch (...) {
        write_error(transport, "internal error");
      }
      if (next == Next::Stop) break;
    }

    // Sessions hold element references, which go before the automation object.
    context.sessions.clear();
    context.automation.reset();
  }
  return 0;
}

}  // namespace uiad
