// daw_sound_compare same|differ A.wav B.wav: compares two 32-bit float WAV
// renders by the figures a listener hears, loudness (RMS) and brightness (the
// energy of the sample-to-sample steps over the energy), not sample by
// sample: a host that runs the plug-in in real time between renders starts
// each render at another point of its modulation. "same" passes when both
// figures agree within 10%, "differ" when the loudness differs by half or the
// brightness by a factor of two. Exit 0 on a pass, 1 with the figures else.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/blackbox/FloatWav.h"

namespace {

struct Figures {
  double rms = 0;
  double brightness = 0;
};

// The first channel of a float WAV file; empty, with the reason printed,
// when the file is no such thing.
std::vector<float> FirstChannel(const char* path) {
  floatwav::Wav wav;
  std::string why;
  std::vector<float> samples;
  if (!floatwav::Read(path, wav, why)) {
    std::fprintf(stderr, "%s\n", why.c_str());
    return samples;
  }
  for (std::size_t i = 0; i < wav.samples.size(); i += wav.channels) samples.push_back(wav.samples[i]);
  return samples;
}

bool Measure(const char* path, Figures& figures) {
  const std::vector<float> s = FirstChannel(path);
  double energy = 0, steps = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    energy += double(s[i]) * s[i];
    if (i > 0) steps += (double(s[i]) - s[i - 1]) * (double(s[i]) - s[i - 1]);
  }
  if (!(energy > 0) || !std::isfinite(energy)) {
    std::fprintf(stderr, "%s holds no audible float samples\n", path);
    return false;
  }
  figures.rms = std::sqrt(energy / s.size());
  figures.brightness = steps / energy;
  std::printf("%s: RMS %.6f, brightness %.6g\n", path, figures.rms, figures.brightness);
  return true;
}

double Ratio(double a, double b) { return a > b ? a / b : b / a; }

}  // namespace

int main(int argc, char** argv) {
  const bool same = argc == 4 && !std::strcmp(argv[1], "same");
  if (argc != 4 || (!same && std::strcmp(argv[1], "differ"))) {
    std::fprintf(stderr, "usage: daw_sound_compare same|differ A.wav B.wav\n");
    return 2;
  }
  Figures a, b;
  if (!Measure(argv[2], a) || !Measure(argv[3], b)) return 1;
  const double loudness = Ratio(a.rms, b.rms), brightness = Ratio(a.brightness, b.brightness);
  if (same) return loudness <= 1.1 && brightness <= 1.1 ? 0 : 1;
  return loudness >= 1.5 || brightness >= 2 ? 0 : 1;
}
