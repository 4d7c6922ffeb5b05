// blackbox_wav_compare A.wav B.wav TOLERANCE: compares two 32-bit float WAV
// files sample by sample; exit 0 when they have the same shape and no sample
// differs by more than TOLERANCE, else 1 with the reason.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/blackbox/FloatWav.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: blackbox_wav_compare A.wav B.wav TOLERANCE\n");
    return 2;
  }
  floatwav::Wav a, b;
  std::string why;
  if (!floatwav::Read(argv[1], a, why) || !floatwav::Read(argv[2], b, why)) {
    std::fprintf(stderr, "%s\n", why.c_str());
    return 1;
  }
  if (a.channels != b.channels || a.rate != b.rate || a.samples.size() != b.samples.size()) {
    std::fprintf(stderr, "shapes differ: %u/%u channels, %u/%u Hz, %zu/%zu samples\n", a.channels, b.channels, a.rate,
                 b.rate, a.samples.size(), b.samples.size());
    return 1;
  }
  double largest = 0, peak = 0;
  std::size_t where = 0;
  bool silent = true;
  for (std::size_t i = 0; i < a.samples.size(); ++i) {
    const double difference = std::fabs(double(a.samples[i]) - double(b.samples[i]));
    if (!(difference <= largest)) {  // also catches NaN
      largest = difference;
      where = i;
    }
    peak = std::fmax(peak, std::fabs(a.samples[i]));
    silent = silent && a.samples[i] == 0;
  }
  const double tolerance = std::atof(argv[3]);
  std::printf("%zu samples, peak %.6f, largest difference %.3g at frame %zu (tolerance %.3g)\n", a.samples.size(), peak,
              largest, where / a.channels, tolerance);
  if (silent) {
    std::fprintf(stderr, "the render is silent: nothing was compared\n");
    return 1;
  }
  return largest <= tolerance ? 0 : 1;
}
