// A failed promise ends a fuzz run the way a crash does, so libFuzzer keeps
// the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_EXPECT(condition, what)                                             \
  do {                                                                           \
    if (!(condition)) {                                                          \
      std::fprintf(stderr, "fuzz: broken promise: %s (%s)\n", what, #condition); \
      std::abort();                                                              \
    }                                                                            \
  } while (0)
