// Flushes denormals to zero while the plug-in renders, restoring the host's
// floating-point state afterwards: long release tails and a silent filter
// would otherwise crawl through denormal arithmetic.
#pragma once

#include <xmmintrin.h>

class ScopedFlushDenormals {
 public:
  ScopedFlushDenormals() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | kFlushToZero | kDenormalsAreZero); }
  ~ScopedFlushDenormals() { _mm_setcsr(saved_); }
  ScopedFlushDenormals(const ScopedFlushDenormals&) = delete;
  ScopedFlushDenormals& operator=(const ScopedFlushDenormals&) = delete;

 private:
  static constexpr unsigned kFlushToZero = 0x8000;
  static constexpr unsigned kDenormalsAreZero = 0x0040;
  unsigned saved_;
};
