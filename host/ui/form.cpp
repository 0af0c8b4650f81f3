// Form and Timer over the window manager: one window class per form, the Form pointer kept in
// the window's user data, WM_TIMER routed to the Timer objects by id. Depends on user32/gdi32.
#include "host/ui/form.h"

#include "host/ui/text.h"
#include "host/ui/window_class.h"

namespace ui {

Timer::Timer(Form& owner, UINT id, UINT intervalMs, bool enabled)
    : owner_(owner),
      id_(id),
      interval_(intervalMs),
      enabled_(enabled),
      initialInterval_(intervalMs),
      initiallyEnabled_(enabled) {
  owner_.timers_.push_back(this);
}

void Timer::setEnabled(bool on) {
  enabled_ = on;
  apply();
}

void Timer::apply() {
  const HWND hwnd = owner_.hwnd_;
  if (!hwnd) return;
  // A zero interval stops the timer as if switched off, without losing the on state.
  if (enabled_ && interval_ > 0) {
    SetTimer(hwnd, id_, interval_, nullptr);
  } else {
    KillTimer(hwnd, id_);
  }
}

Form::Form(const char* className) : className_(className) {}

Form::~Form() {
  if (hwnd_) {
    // A form that outlives nothing: drop the back pointer so late messages see no object.
    bindWindowObject(hwnd_, nullptr);
    DestroyWindow(hwnd_);
  }
  // The brush belongs to the class: a later form of the same class would paint with a
  // deleted brush, so the class goes first. While another window still uses the class the
  // brush stays (a small leak beats painting with a dead handle).
  if (ownBrush_ && UnregisterClassA(className_.c_str(), GetModuleHandleA(nullptr))) {
    DeleteObject(ownBrush_);
  }
}

bool Form::registerClass(const FormLook& look) {
  // The class keeps the look of its first form; no brush is made for a class already there.
  if (windowClassExists(className_.c_str())) return true;
  WindowClassInfo info;
  info.name = className_.c_str();
  info.procedure = windowProc;
  info.style = CS_DBLCLKS;
  if (look.iconResource) info.icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(look.iconResource));
  if (look.systemColour >= 0) {
    // A class brush may name a system colour instead of being one: its index plus one.
    info.background = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(look.systemColour + 1));
  } else {
    ownBrush_ = CreateSolidBrush(look.colour);
    info.background = ownBrush_;
  }
  return ensureWindowClass(info);
}

bool Form::load(const FormLook& look, HWND parent) {
  if (hwnd_) return true;
  if (!registerClass(look)) return false;
  unloading_ = false;
  const std::string caption = toAnsi(look.caption);
  HWND created = CreateWindowExA(look.exStyle, className_.c_str(), caption.c_str(), look.style, look.x, look.y,
                                 look.width, look.height, parent, nullptr, GetModuleHandleA(nullptr), this);
  if (!created) return false;
  hwnd_ = created;
  for (Timer* timer : timers_) timer->apply();
  onLoad();
  return true;
}

void Form::unload() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void Form::show(int command) {
  if (hwnd_) ShowWindow(hwnd_, command);
}

void Form::move(int x, int y, int width, int height) {
  if (hwnd_) MoveWindow(hwnd_, x, y, width, height, TRUE);
}

LRESULT CALLBACK Form::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* form = windowObjectFor<Form>(hwnd, msg, lParam);
  if (!form) return DefWindowProcA(hwnd, msg, wParam, lParam);
  // Messages sent from inside CreateWindowEx arrive before load() has the handle.
  if (msg == WM_NCCREATE) form->hwnd_ = hwnd;
  return form->handle(msg, wParam, lParam);
}

LRESULT Form::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (onMessage(msg, wParam, lParam, result)) return result;
  switch (msg) {
    case WM_TIMER:
      for (Timer* timer : timers_) {
        if (timer->id_ == wParam) {
          // A tick already queued when the timer was switched off must not run.
          if (timer->enabled_) onTimer(*timer);
          return 0;
        }
      }
      break;
    case WM_SIZE:
      onResize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_DESTROY:
      if (!unloading_) {
        unloading_ = true;
        for (Timer* timer : timers_) KillTimer(hwnd_, timer->id_);
        onUnload();
        for (Timer* timer : timers_) {
          KillTimer(hwnd_, timer->id_);
          timer->enabled_ = timer->initiallyEnabled_;
          timer->interval_ = timer->initialInterval_;
        }
      }
      return 0;
    case WM_NCDESTROY: {
      const HWND hwnd = hwnd_;
      hwnd_ = nullptr;
      bindWindowObject(hwnd, nullptr);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    default:
      break;
  }
  return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

}  // namespace ui
