// The browser layer's platform-free rules: canvas sizing and the replay query. Depends on the
// C++ library only.
#include "renderer/web/web_rules.h"

#include <cmath>
#include <cstring>

namespace {

// A decimal number without sign or blanks, below 2^32; false for anything else.
bool parseCount(const char* begin, const char* end, uint32_t* out) {
  if (begin == end || end - begin > 10) return false;
  uint64_t value = 0;
  for (const char* p = begin; p != end; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + static_cast<uint64_t>(*p - '0');
  }
  if (value > 0xFFFFFFFFu) return false;
  *out = static_cast<uint32_t>(value);
  return true;
}

bool parseSteps(const char* begin, const char* end, WebReplay& r) {
  r.stepCount = 0;
  bool moves = false;
  while (begin < end) {
    const char* comma = static_cast<const char*>(std::memchr(begin, ',', end - begin));
    const char* stop = comma ? comma : end;
    if (r.stepCount == ReplayStepCapacity || !parseCount(begin, stop, &r.steps[r.stepCount])) {
      return false;
    }
    moves = moves || r.steps[r.stepCount] > 0;
    ++r.stepCount;
    begin = comma ? comma + 1 : end;
    if (comma && begin == end) return false;  // a trailing comma
  }
  return moves;
}

}  // namespace

CanvasSize canvasSize(double cssWidth, double cssHeight, double pixelRatio) {
  if (!(pixelRatio > 0.0) || !std::isfinite(pixelRatio)) pixelRatio = 1.0;
  if (!(cssWidth > 0.0) || !std::isfinite(cssWidth)) cssWidth = 1.0;
  if (!(cssHeight > 0.0) || !std::isfinite(cssHeight)) cssHeight = 1.0;
  double scale = pixelRatio;
  const double longer = std::fmax(cssWidth, cssHeight) * scale;
  if (longer > LargestCanvasSide) scale *= LargestCanvasSide / longer;
  const int width = static_cast<int>(std::fmax(1.0, std::round(cssWidth * scale)));
  const int height = static_cast<int>(std::fmax(1.0, std::round(cssHeight * scale)));
  return {width, height};
}

WebReplay parseReplayQuery(const char* query) {
  WebReplay r;
  if (!query) return r;
  if (*query == '?') ++query;
  bool haveSeed = false, haveSteps = false, haveFrames = false, any = false;
  const char* p = query;
  while (*p) {
    const char* amp = std::strchr(p, '&');
    const char* end = amp ? amp : p + std::strlen(p);
    const char* eq = static_cast<const char*>(std::memchr(p, '=', end - p));
    const char* valueEnd = end;
    if (eq) {
      const std::string name(p, eq);
      const char* value = eq + 1;
      uint32_t number = 0;
      if (name == "seed") {
        any = true;
        haveSeed = parseCount(value, valueEnd, &r.seed);
        if (!haveSeed) r.error = "seed must be a whole number";
      } else if (name == "frames") {
        any = true;
        haveFrames = parseCount(value, valueEnd, &number) && number > 0 && number <= 1000000;
        r.frames = static_cast<int>(number);
        if (!haveFrames) r.error = "frames must be a whole number from 1 to 1000000";
      } else if (name == "steps") {
        any = true;
        haveSteps = parseSteps(value, valueEnd, r);
        if (!haveSteps) r.error = "steps must be up to 16 whole milliseconds, separated by commas, not all 0";
      }
    }
    p = amp ? amp + 1 : end;
  }
  if (!any) return r;
  if (r.error.empty() && !(haveSeed && haveSteps && haveFrames)) {
    r.error = "a replay needs seed, steps and frames";
  }
  r.on = r.error.empty();
  if (!r.on) r.stepCount = 0;
  return r;
}

WebReplay stillReplay() {
  // 30 frames a second with seed 7: frame 270 is 9 s in, the first flash gone.
  WebReplay r = parseReplayQuery("seed=7&steps=33,34,33&frames=270");
  r.still = true;
  return r;
}

uint32_t replayMillis(const WebReplay& replay, int frame) {
  if (replay.stepCount == 0 || frame <= 0) return 0;
  // Modulo 2^32, like the counter it stands in for.
  uint32_t cycle = 0, part = 0;
  const int rest = frame % replay.stepCount;
  for (int i = 0; i < replay.stepCount; ++i) {
    cycle += replay.steps[i];
    if (i < rest) part += replay.steps[i];
  }
  return cycle * static_cast<uint32_t>(frame / replay.stepCount) + part;
}
