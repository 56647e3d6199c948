// One window object that the main window owns: the object lives in a std::unique_ptr, and its
// window goes before the object does, so that no message ever reaches a deleted object. The
// windows' own OnFinalMessage does nothing; a window destroyed from outside (with its owner,
// or by the window system) leaves an inert object that the next Get replaces.
#pragma once

#include <windows.h>

#include <memory>
#include <utility>

template <typename Window>
class OwnedWindow {
 public:
  OwnedWindow() = default;
  ~OwnedWindow() { Reset(); }
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;

  // The object, whether or not its window still exists; null before the first build.
  Window* get() const { return object_.get(); }
  // True while the object has a window.
  bool Alive() const { return object_ && IsWindow(object_->GetHWND()); }

  // Takes a new object (its window not created yet), ending the old one first.
  Window& Replace(std::unique_ptr<Window> object) {
    Reset();
    object_ = std::move(object);
    return *object_;
  }

  void Reset() {
    if (Alive()) DestroyWindow(object_->GetHWND());
    object_.reset();
  }

 private:
  std::unique_ptr<Window> object_;
};
