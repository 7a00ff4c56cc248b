// In-process cost of the menu commands over the simulator (virtual clock, so
// the fixed waits cost nothing): `menus` on a bar of 10 menus of 30 items,
// each item a submenu of 3 (two nested levels, 1,210 menu items), and
// invoke_menu by static path and by live walk. Each figure is the handler's
// whole time, simulator calls included, so it bounds the daemon's own cost.
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "daemon/context.h"
#include "daemon/handler.h"
#include "menus/menu_commands.h"
#include "platform/sim/sim_desktop.h"
#include "sim_bed.h"

namespace {

std::string scene() {
  std::string menus;
  for (int m = 1; m <= 10; ++m) {
    if (m > 1) menus += ",";
    menus += R"({"ref":"menu)" + std::to_string(m) + R"(","type":"menuitem","name":"Menu )" +
             std::to_string(m) + R"(","patterns":{"expand_collapse":{}},"children":[)";
    if (m == 10) {
      // The last menu's items appear only once it is open: the live walk.
      menus += R"({"ref":"lazy","type":"menu","present":false,"children":[)";
    }
    menus += R"({"type":"menuitem","name":"Item {i}","patterns":{"expand_collapse":{}},)"
             R"("repeat":{"count":30,"var":"i"},"children":[)"
             R"({"type":"menuitem","name":"Sub {i}.{j}","patterns":["invoke"],)"
             R"("repeat":{"count":3,"var":"j"}}]})";
    if (m == 10) menus += "]}";
    menus += "]}";
  }
  return R"({"windows":[{"hwnd":1,"title":"Menus","rect":[0,0,800,600],"element":{"children":[)"
         R"({"type":"menubar","children":[)" +
         menus +
         R"(]}]}}],"reactions":[{"when":{"event":"expand","element":"menu10"},)"
         R"("then":[{"action":"add_element","element":"lazy"}]}]})";
}

struct Bed : uiad::bench::SimBed {
  Bed() : SimBed(scene()) {
    uiad::Session session;
    session.window = 1;
    context->sessions.emplace("menus", std::move(session));
  }

  void run(uiad::Handler handler, const uiad::Json& request, benchmark::State& state) {
    for (auto _ : state) {
      uiad::Json response = handler(*context, request);
      if (!response["ok"].get<bool>()) throw std::runtime_error(response.dump());
      benchmark::DoNotOptimize(response);
    }
  }
};

void BM_Menus(benchmark::State& state) {
  Bed bed;
  bed.run(uiad::handle_menus, {{"cmd", "menus"}, {"app", "menus"}}, state);
}

void BM_InvokeMenuStatic(benchmark::State& state) {
  Bed bed;
  bed.run(uiad::handle_invoke_menu,
          {{"cmd", "invoke_menu"}, {"app", "menus"}, {"path", "Menu 9>Item 30>Sub 30.3"}}, state);
}

void BM_InvokeMenuLive(benchmark::State& state) {
  Bed bed;
  bed.run(uiad::handle_invoke_menu,
          {{"cmd", "invoke_menu"}, {"app", "menus"}, {"path", "Menu 10>Item 30>Sub 30.3"}}, state);
}

}  // namespace

BENCHMARK(BM_Menus)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InvokeMenuStatic)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InvokeMenuLive)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
