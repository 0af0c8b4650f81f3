// The one way tests swap a module's seam: a module reaches the system through one struct of
// function pointers (or, for platform-free logic with module-level state, one port pointer)
// behind one accessor that returns it by reference. ScopedSeam puts a replacement there for
// the life of a scope and the original back at its end, whatever the test did in between.
#pragma once

template <class Seam>
class ScopedSeam {
 public:
  explicit ScopedSeam(Seam& live) : live_(live), saved_(live) {}
  ScopedSeam(Seam& live, const Seam& replacement) : ScopedSeam(live) { live_ = replacement; }
  ~ScopedSeam() { live_ = saved_; }
  ScopedSeam(const ScopedSeam&) = delete;
  ScopedSeam& operator=(const ScopedSeam&) = delete;

 private:
  Seam& live_;
  Seam saved_;
};
