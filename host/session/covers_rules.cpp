// The cover placement: which monitor is the primary one and which others may be covered.
#include "host/session/covers_rules.h"

#include <algorithm>
#include <limits>

namespace session {

namespace {

// Empty, inverted and absurdly wide rectangles (their width would not fit the window calls)
// cover nothing.
bool usable(const ScreenRect& r) {
  const int64_t width = int64_t{r.right} - r.left;
  const int64_t height = int64_t{r.bottom} - r.top;
  constexpr int64_t most = std::numeric_limits<int32_t>::max();
  return width > 0 && height > 0 && width <= most && height <= most;
}

bool overlap(const ScreenRect& a, const ScreenRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool holdsOrigin(const ScreenRect& r) { return r.left <= 0 && 0 < r.right && r.top <= 0 && 0 < r.bottom; }

}  // namespace

std::vector<ScreenRect> coverRects(const std::vector<Monitor>& monitors) {
  std::vector<ScreenRect> kept;  // the monitors the renderer may be on: never covered
  for (const Monitor& m : monitors) {
    if (m.primary) kept.push_back(m.area);
  }
  // Without the flag, the primary monitor is the one at the virtual screen's origin.
  if (kept.empty()) {
    for (const Monitor& m : monitors) {
      if (holdsOrigin(m.area)) kept.push_back(m.area);
    }
  }
  std::vector<ScreenRect> covers;
  // No known primary: covering blindly could hide the renderer, so nothing is covered.
  if (kept.empty()) return covers;
  for (const Monitor& m : monitors) {
    if (!usable(m.area)) continue;
    // A mirror of the primary monitor shows the renderer itself.
    if (std::any_of(kept.begin(), kept.end(), [&](const ScreenRect& k) { return overlap(k, m.area); })) continue;
    if (std::find(covers.begin(), covers.end(), m.area) != covers.end()) continue;
    covers.push_back(m.area);
  }
  return covers;
}

}  // namespace session
