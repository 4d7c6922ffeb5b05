#include "dsp/Wavetables.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <mutex>
#include <utility>

namespace dsp {

WavetableBanks gWavetables;

namespace {

constexpr int kMostHarmonics = 2048;
constexpr double kSqrtTwo = 1.4142135623730951;
constexpr double kSawScale = 0.5;
constexpr double kTriangleScale = kSqrtHalf;
// Harmonic weights taper from 1 at the fundamental to kTaperFloor at the top,
// softening the ringing of a hard cut-off.
constexpr double kTaperFloor = 0.54;
constexpr double kTaperDepth = 0.46;

// sin and cos of 2πk/4096; harmonic j at position k reads entry (j × k) mod 4096.
struct UnitCircle {
  double sine[kTableSize];
  double cosine[kTableSize];
};

void FillUnitCircle(UnitCircle& circle) {
  for (int k = 0; k < kTableSize; ++k) {
    const double x = 2.0 * kPi * k / kTableSize;
    circle.sine[k] = std::sin(x);
    circle.cosine[k] = std::cos(x);
  }
}

// A spectrum turned into samples: in place, y[k] = Σj x[j] e^(2πijk/N) for
// the N = kTableSize complex values in (re, im). Radix 2, so a table costs
// N log N steps rather than N per harmonic.
struct Spectrum {
  double re[kTableSize];
  double im[kTableSize];
};

void InverseTransform(Spectrum& x, const UnitCircle& circle) {
  for (int i = 1, j = 0; i < kTableSize; ++i) {
    int bit = kTableSize >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) {
      std::swap(x.re[i], x.re[j]);
      std::swap(x.im[i], x.im[j]);
    }
  }
  for (int length = 2; length <= kTableSize; length <<= 1) {
    const int half = length / 2, stride = kTableSize / length;
    for (int start = 0; start < kTableSize; start += length) {
      for (int k = 0; k < half; ++k) {
        const double wr = circle.cosine[k * stride], wi = circle.sine[k * stride];
        const int p = start + k, q = p + half;
        const double vr = x.re[q] * wr - x.im[q] * wi;
        const double vi = x.re[q] * wi + x.im[q] * wr;
        x.re[q] = x.re[p] - vr;
        x.im[q] = x.im[p] - vi;
        x.re[p] += vr;
        x.im[p] += vi;
      }
    }
  }
}

// Both tables of a band in one transform. The sawtooth s = Σ a_j sin(jx)
// and the triangle t = Σ b_j cos(jx) (odd j) are real, so s + i·t is the
// transform of a_j and b_j placed at +j and -j:
//   bin j = i(b_j - a_j)/2, bin N-j = i(b_j + a_j)/2.
void BuildTablePair(int t, const UnitCircle& circle, Spectrum& spectrum) {
  const int harmonics = WavetableHarmonicCount(t);
  std::fill(std::begin(spectrum.re), std::end(spectrum.re), 0.0);
  std::fill(std::begin(spectrum.im), std::end(spectrum.im), 0.0);
  for (int j = 1; j <= harmonics; ++j) {
    const double w = j == 1 ? 1.0 : kTaperFloor + kTaperDepth * std::cos((j - 1) * (kPi / 2) / (harmonics - 1));
    const double a = j == 1 ? kSawScale : w * 0.5 / j;
    const double b = j % 2 == 0 ? 0.0 : j == 1 ? kTriangleScale : w * 0.5 / j * kSqrtTwo / j;
    // The top band of the widest table (j = N/2) meets itself at -j; its
    // sine vanishes at every sample and the triangle has no even harmonic.
    if (j == kTableSize / 2) continue;
    spectrum.im[j] = (b - a) / 2;
    spectrum.im[kTableSize - j] = (b + a) / 2;
  }
  InverseTransform(spectrum, circle);
  std::copy(std::begin(spectrum.re), std::end(spectrum.re), gWavetables.saw[t].sample);
  std::copy(std::begin(spectrum.im), std::end(spectrum.im), gWavetables.triangle[t].sample);
}

}  // namespace

int WavetableHarmonicCount(int table) { return int(std::round(kMostHarmonics / std::pow(kSqrtTwo, table))); }

void BuildWavetableBanks() {
  // Instances may be made on several threads at once.
  static std::once_flag once;
  std::call_once(once, [] {
    static UnitCircle circle;  // 64 KiB each: kept off the stack
    static Spectrum spectrum;
    FillUnitCircle(circle);
    for (int t = 0; t < kWavetableCount; ++t) BuildTablePair(t, circle, spectrum);
    gWavetables.built = true;
  });
}

}  // namespace dsp
