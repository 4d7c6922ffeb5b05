// daw_sound_compare same|differ A.wav B.wav: compares two 32-bit float WAV
// renders by the figures a listener hears, loudness (RMS) and brightness (the
// energy of the sample-to-sample steps over the energy), not sample by
// sample: a host that runs the plug-in in real time between renders starts
// each render at another point of its modulation. "same" passes when both
// figures agree within 10%, "differ" when the loudness differs by half or the
// brightness by a factor of two. Exit 0 on a pass, 1 with the figures else.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Figures {
  double rms = 0;
  double brightness = 0;
};

std::uint32_t Le32(const std::vector<unsigned char>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

// The first channel of a float WAV file; empty when the file is no such thing.
std::vector<float> FirstChannel(const char* path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<float> samples;
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) || std::memcmp(b.data() + 8, "WAVE", 4)) return samples;
  unsigned channels = 0;
  bool isFloat = false;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::uint32_t size = Le32(b, at + 4);
    if (size > b.size() - at - 8) break;
    if (!std::memcmp(b.data() + at, "fmt ", 4) && size >= 16) {
      isFloat = (b[at + 8] | b[at + 9] << 8) == 3 && (b[at + 22] | b[at + 23] << 8) == 32;
      channels = b[at + 10] | b[at + 11] << 8;
    } else if (!std::memcmp(b.data() + at, "data", 4) && isFloat && channels > 0) {
      for (std::size_t i = 0; i + 4 * channels <= size; i += 4 * channels) {
        float sample;
        std::memcpy(&sample, b.data() + at + 8 + i, 4);
        samples.push_back(sample);
      }
    }
    at += 8 + size + (size & 1);
  }
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
