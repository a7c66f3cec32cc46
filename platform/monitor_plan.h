// Which windows follow the monitors as they change, the same way on every window system: a
// window stays with the monitor of its name, following its new place, size or scale; a window
// whose monitor went takes over a monitor that has none (where the window system can move a
// window to another monitor) or goes; every monitor left over gets a new window.
#pragma once

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

namespace flakemorph {

template <typename Monitor>
struct MonitorPlan {
  struct Move {
    std::size_t window;
    Monitor monitor;
  };
  // Windows to cover another monitor, or theirs changed; done first.
  std::vector<Move> moves;
  // Windows to close, highest index first, so that closing them in turn keeps the others'.
  std::vector<std::size_t> gone;
  // Monitors for new windows, after the others.
  std::vector<Monitor> added;
};

// `covered`: the monitor each window covers, in the windows' order; `now`: the monitors now.
// A Monitor has a `name` and compares equal when nothing of it changed.
template <typename Monitor>
MonitorPlan<Monitor> PlanWindows(std::span<const Monitor> covered, std::span<const Monitor> now,
                                 bool windows_move) {
  MonitorPlan<Monitor> plan;
  std::vector<bool> taken(now.size(), false);
  std::vector<std::size_t> orphans;
  for (std::size_t w = 0; w < covered.size(); ++w) {
    const auto same = [&](const Monitor& monitor) { return monitor.name == covered[w].name; };
    const auto kept = std::find_if(now.begin(), now.end(), same);
    if (kept == now.end()) {
      orphans.push_back(w);
      continue;
    }
    taken[static_cast<std::size_t>(kept - now.begin())] = true;
    if (!(*kept == covered[w])) plan.moves.push_back({w, *kept});
  }
  std::size_t next = 0;
  for (const std::size_t w : orphans) {
    while (windows_move && next < now.size() && taken[next]) ++next;
    if (windows_move && next < now.size()) {
      taken[next] = true;
      plan.moves.push_back({w, now[next]});
    } else {
      plan.gone.push_back(w);
    }
  }
  std::reverse(plan.gone.begin(), plan.gone.end());
  for (std::size_t m = 0; m < now.size(); ++m) {
    if (!taken[m]) plan.added.push_back(now[m]);
  }
  return plan;
}

}  // namespace flakemorph
