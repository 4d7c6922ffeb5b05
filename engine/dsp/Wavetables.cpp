#include "engine/dsp/Wavetables.h"

#include <cmath>
#include <mutex>

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

void BuildTablePair(int t, const UnitCircle& circle) {
  double* saw = gWavetables.saw[t].sample;
  double* triangle = gWavetables.triangle[t].sample;
  const int harmonics = WavetableHarmonicCount(t);
  for (int k = 0; k < kTableSize; ++k) {
    saw[k] = kSawScale * circle.sine[k];
    triangle[k] = kTriangleScale * circle.cosine[k];
  }
  for (int j = 2; j <= harmonics; ++j) {
    const double w = kTaperFloor + kTaperDepth * std::cos((j - 1) * (kPi / 2) / (harmonics - 1));
    const double a = w * 0.5 / j;
    const double triangleAmplitude = a * kSqrtTwo / j;
    const bool odd = (j % 2) != 0;
    for (int k = 0; k < kTableSize; ++k) {
      const int position = (j * k) & (kTableSize - 1);
      saw[k] += a * circle.sine[position];
      if (odd) triangle[k] += triangleAmplitude * circle.cosine[position];
    }
  }
}

}  // namespace

int WavetableHarmonicCount(int table) {
  return int(std::round(kMostHarmonics / std::pow(kSqrtTwo, table)));
}

void BuildWavetableBanks() {
  // Instances may be made on several threads at once.
  static std::once_flag once;
  std::call_once(once, [] {
    static UnitCircle circle;  // 64 KiB: kept off the stack
    FillUnitCircle(circle);
    for (int t = 0; t < kWavetableCount; ++t) BuildTablePair(t, circle);
    gWavetables.built = true;
  });
}
