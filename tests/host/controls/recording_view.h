// A CommandPort that writes down what the core asks of it, for the native suites.
#pragma once

#include <string>
#include <vector>

#include "host/controls/command_rules.h"

namespace controls {

struct RecordingView : CommandPort {
  std::vector<std::wstring> log;     // everything, in order
  std::vector<FaceImage> paints;     // images composed
  std::vector<bool> inverted;        // gradient direction of each composition
  int clicks = 0;
  unsigned timerInterval = 0;
  std::vector<std::wstring> changed;

  void composeFace(FaceImage image, bool gradientInverted) override {
    paints.push_back(image);
    inverted.push_back(gradientInverted);
    log.push_back(std::wstring(L"paint ") + faceImageName(image));
  }
  void captionChanged() override { log.push_back(L"caption"); }
  void opacityChanged() override { log.push_back(L"opacity"); }
  void startHoverTimer(unsigned intervalMs) override {
    timerInterval = intervalMs;
    log.push_back(L"timer");
  }
  void raiseClick() override {
    ++clicks;
    log.push_back(L"click");
  }
  void propertyChanged(const wchar_t* name) override {
    changed.push_back(name);
    log.push_back(std::wstring(L"changed ") + name);
  }
  void clear() {
    log.clear();
    paints.clear();
    inverted.clear();
    clicks = 0;
    changed.clear();
  }
};

inline FontDesc tahoma() { return {L"Tahoma", 8.25, 400, false, false, false, 0}; }
inline FontDesc pGothic() { return {L"ＭＳ Ｐゴシック", 9.75, 400, false, false, false, 128}; }

}  // namespace controls
