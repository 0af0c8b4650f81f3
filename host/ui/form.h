// A form: a top-level or child window of its own class whose behaviour lives in load, unload,
// resize and timer handlers, and the window timers it owns. Win32 (user32) only; text goes
// through the ANSI calls like the rest of the host.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ui {

class Form;

// A window timer of a form. It keeps its on/off state and interval while the form has no
// window yet, and starts when the form loads if it was switched on before. Unloading the
// form puts it back to the state it was made with, as a form loaded anew has its timers.
class Timer {
 public:
  Timer(Form& owner, UINT id, UINT intervalMs, bool enabled = false);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void setEnabled(bool on);
  bool enabled() const { return enabled_; }
  UINT interval() const { return interval_; }
  UINT id() const { return id_; }

 private:
  friend class Form;
  void apply();  // brings the system timer in line with enabled_

  Form& owner_;
  UINT id_;
  UINT interval_;
  bool enabled_;
  const UINT initialInterval_;
  const bool initiallyEnabled_;
};

struct FormLook {
  std::wstring caption;
  DWORD style = WS_POPUP;
  DWORD exStyle = 0;
  // Background: a system colour index (COLOR_WINDOW ...) or, when negative, the colour below.
  int systemColour = -1;
  COLORREF colour = RGB(192, 192, 192);
  int iconResource = 0;  // class icon from the program's resources; 0 for none
  int x = 0, y = 0, width = 0, height = 0;  // pixels
};

class Form {
 public:
  explicit Form(const char* className);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Creates the window (hidden unless the look says WS_VISIBLE), starts the timers that are
  // on and runs onLoad. False when the window cannot be created; onLoad does not run then.
  bool load(const FormLook& look, HWND parent = nullptr);
  // Destroys the window; onUnload runs once, whatever destroyed it.
  void unload();
  bool loaded() const { return hwnd_ != nullptr; }
  HWND hwnd() const { return hwnd_; }

  void show(int command = SW_SHOW);
  void move(int x, int y, int width, int height);  // pixels, relative to the parent if any

 protected:
  virtual void onLoad() {}
  virtual void onUnload() {}
  virtual void onResize(int clientWidth, int clientHeight) {}
  virtual void onTimer(Timer& timer) {}
  // Anything else a form wants to see first; return true when it produced `result`.
  virtual bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) { return false; }

 private:
  friend class Timer;
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
  bool registerClass(const FormLook& look);

  std::string className_;
  HWND hwnd_ = nullptr;
  HBRUSH ownBrush_ = nullptr;
  bool unloading_ = false;
  std::vector<Timer*> timers_;
};

}  // namespace ui
