#include "instrument/ParameterGroups.h"

#include "instrument/ParameterIndex.h"

const char* ParameterGroupOf(int index) {
  using namespace Param;
  if (index < 0) return "";
  if (index <= Chord4) return "Key Assign";
  if (index <= Portamento) return "Master";
  if (index <= WheelIntensity) return "Controllers";
  if (index <= Level1) return "Oscillators/VCO 1";
  if (index <= Level2) return "Oscillators/VCO 2";
  if (index <= Level3) return "Oscillators/VCO 3";
  if (index <= Level4) return "Oscillators/VCO 4";
  if (index <= Noise) return "Oscillators";
  if (index <= FxMode) return "Effects";
  if (index <= KeyTrack) return "Filter";
  if (index <= Mg2Rate) return "Modulation";
  if (index <= Eg1Release) return "Envelopes/EG 1";
  if (index <= Eg2Release) return "Envelopes/EG 2";
  if (index <= ArpState) return "Arpeggiator";
  switch (index) {
    case WheelOverride: return "Controllers";
    case FxReset:
    case ShiftSingle:
    case ShiftDouble: return "Effects";
    case ArpTrigger:
    case ArpTempo: return "Arpeggiator";
    case VcfVelocity: return "Filter";
    case VcaVelocity:
    case Drift: return "Master";
    default: return "";
  }
}
