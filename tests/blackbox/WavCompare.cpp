// blackbox_wav_compare A.wav B.wav TOLERANCE: compares two 32-bit float WAV
// files sample by sample; exit 0 when they have the same shape and no sample
// differs by more than TOLERANCE, else 1 with the reason.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Wav {
  std::uint16_t channels = 0;
  std::uint32_t rate = 0;
  std::vector<float> samples;
};

std::uint32_t Le32(const std::vector<unsigned char>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

bool Read(const char* path, Wav& wav, std::string& why) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) || std::memcmp(b.data() + 8, "WAVE", 4)) {
    why = std::string(path) + " is not a WAV file";
    return false;
  }
  bool isFloat = false;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::uint32_t size = Le32(b, at + 4);
    if (size > b.size() - at - 8) break;
    if (!std::memcmp(b.data() + at, "fmt ", 4) && size >= 16) {
      isFloat = (b[at + 8] | b[at + 9] << 8) == 3 && (b[at + 22] | b[at + 23] << 8) == 32;
      wav.channels = static_cast<std::uint16_t>(b[at + 10] | b[at + 11] << 8);
      wav.rate = Le32(b, at + 12);
    } else if (!std::memcmp(b.data() + at, "data", 4)) {
      wav.samples.resize(size / 4);
      std::memcpy(wav.samples.data(), b.data() + at + 8, wav.samples.size() * 4);
    }
    at += 8 + size + (size & 1);
  }
  if (!isFloat || wav.channels == 0) {
    why = std::string(path) + " holds no 32-bit float samples";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: blackbox_wav_compare A.wav B.wav TOLERANCE\n");
    return 2;
  }
  Wav a, b;
  std::string why;
  if (!Read(argv[1], a, why) || !Read(argv[2], b, why)) {
    std::fprintf(stderr, "%s\n", why.c_str());
    return 1;
  }
  if (a.channels != b.channels || a.rate != b.rate || a.samples.size() != b.samples.size()) {
    std::fprintf(stderr, "shapes differ: %u/%u channels, %u/%u Hz, %zu/%zu samples\n", a.channels,
                 b.channels, a.rate, b.rate, a.samples.size(), b.samples.size());
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
  std::printf("%zu samples, peak %.6f, largest difference %.3g at frame %zu (tolerance %.3g)\n",
              a.samples.size(), peak, largest, where / a.channels, tolerance);
  if (silent) {
    std::fprintf(stderr, "the render is silent: nothing was compared\n");
    return 1;
  }
  return largest <= tolerance ? 0 : 1;
}
