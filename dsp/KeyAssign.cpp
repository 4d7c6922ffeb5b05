#include "dsp/KeyAssign.h"

#include "dsp/NoteTuning.h"
#include "dsp/PitchTables.h"

namespace dsp {

namespace {

constexpr double kDriftSeconds[] = {0.0, 0.04, 0.2};  // per oscillator, by "PtmDrift"

void OpenTheGate(Instrument& in) { OpenGate(in.gate, in.eg1, in.eg2, in.arp.active || in.keys.multipleTrigger); }

// Sets oscillator i to the key and marks it as playing it.
void Play(Instrument& in, int i, std::int32_t key, std::int32_t interval) {
  SetOscillatorKey(in.vco[i], key, interval, KeyToPitch(key, in.tuning));
  in.keys.assignedKey[i] = key;
  in.gate.held[i] = true;
  in.gate.sounding[i] = true;
}

bool AnyHeld(const Gate& gate) {
  for (bool held : gate.held)
    if (held) return true;
  return false;
}

// Unison/Share plays the first key on all four oscillators, the second on a
// free pair, the third on oscillator 1 in place of oscillator 4, then as Poly.
// Returns the mode to go on with, or -1 when the key is placed.
std::int32_t ShareKey(Instrument& in, std::int32_t key) {
  Gate& gate = in.gate;
  switch (gate.shareState) {
    case 0: gate.shareState = 1; return kUnison;
    case 1: {
      // The pair whose keys were released, else the upper pair.
      const bool lowerPairFree = !gate.held[0] && !gate.held[1] && gate.held[2] && gate.held[3];
      const int c = lowerPairFree ? 0 : 2;
      Play(in, c, key, 0);
      Play(in, c + 1, key, 0);
      gate.shareState = 2;
      return -1;
    }
    case 2:
      if (!(gate.held[0] && gate.held[1] && gate.held[2] && gate.held[3])) {
        gate.shareState = 3;
        return kPoly;
      }
      SetOscillatorKey(in.vco[0], key, 0, KeyToPitch(key, in.tuning));
      in.keys.assignedKey[0] = key;
      gate.held[3] = false;
      if (in.keys.autoDamp) gate.sounding[3] = false;
      gate.shareState = 3;
      return -1;
    default: return kPoly;
  }
}

}  // namespace

void ReleaseGate(Instrument& in) { CloseGate(in.gate, in.eg1, in.eg2); }

void UpdateGlideTimes(Instrument& in) {
  const std::int32_t d = in.keys.drift;
  const double drift = (d >= 0 && d <= 2) ? kDriftSeconds[d] : 0.0;
  for (int i = 0; i < kOscillatorCount; ++i) in.vco[i].glideTime = in.keys.portamento + i * drift;
}

void AssignKey(Instrument& in, std::int32_t key, std::int32_t mode) {
  OpenTheGate(in);
  KeyAssignment& keys = in.keys;
  Gate& gate = in.gate;
  if (mode == kUnisonShare) mode = ShareKey(in, key);
  switch (mode) {
    case kUnison:
      keys.lastAssigned = 0;
      for (int i = 0; i < kOscillatorCount; ++i) Play(in, i, key, 0);
      break;
    case kRoundRobin: {
      const int chosen = keys.roundRobin & 3;
      for (int i = 0; i < kOscillatorCount; ++i) gate.held[i] = gate.sounding[i] = false;
      Play(in, chosen, key, 0);
      keys.lastAssigned = chosen;
      keys.roundRobin = (chosen + 1) % kOscillatorCount;
      break;
    }
    case kChordMemory:
      keys.lastAssigned = 0;
      for (int i = 0; i < kOscillatorCount; ++i)
        if (keys.chordInterval[i] >= 0 && keys.chordInterval[i] < kUnusedChordInterval)
          Play(in, i, key, keys.chordInterval[i]);
      break;
    case kPoly: {
      int chosen = -1;
      for (int i = 0; i < kOscillatorCount && chosen < 0; ++i)
        if (!gate.held[i]) chosen = i;
      if (chosen >= 0) {
        keys.roundRobin = 0;
      } else {
        chosen = keys.roundRobin & 3;
        keys.roundRobin = (chosen + 1) % kOscillatorCount;
      }
      Play(in, chosen, key, 0);
      break;
    }
    default:  // placed by Unison/Share, or a mode the instrument does not know
      break;
  }
  keys.keyFollowPitch = KeyFollowPitch(key);
}

void ReleaseKey(Instrument& in, const HeldKeys& held, std::int32_t key, std::int32_t mode) {
  KeyAssignment& keys = in.keys;
  Gate& gate = in.gate;
  switch (mode) {
    case kUnison:
    case kRoundRobin:
    case kChordMemory:
      if (key != keys.assignedKey[keys.lastAssigned & 3]) return;
      if (held.count > 0) {
        AssignKey(in, held.keys[held.count - 1], mode);  // the highest remaining key takes over
        return;
      }
      for (bool& h : gate.held) h = h && keys.hold;
      if (!keys.hold) ReleaseGate(in);
      return;
    case kUnisonShare:
    case kPoly: {
      const bool dampOff = held.pressed == 0 || !keys.autoDamp;
      for (int i = 0; i < kOscillatorCount; ++i) {
        if (keys.assignedKey[i] != key) continue;
        gate.held[i] = gate.held[i] && keys.hold;
        gate.sounding[i] = gate.sounding[i] && (gate.held[i] || dampOff);
      }
      if (!AnyHeld(gate) && !keys.hold) ReleaseGate(in);
      // Never below 0, or a stray note-off would skip the unison step.
      if (mode == kUnisonShare && gate.shareState > 0) --gate.shareState;
      return;
    }
    default: ReleaseGate(in); return;
  }
}

bool CaptureChord(const Instrument& in, std::int32_t (&intervals)[kOscillatorCount]) {
  if (!in.gate.open || in.arp.active) return false;
  std::int32_t lowest = -1;
  for (int i = 0; i < kOscillatorCount; ++i) {
    const std::int32_t key = in.keys.assignedKey[i];
    if (!in.gate.held[i] || key < 0) continue;
    if (lowest < 0 || key < lowest) lowest = key;
  }
  if (lowest < 0) return false;
  for (int i = 0; i < kOscillatorCount; ++i) {
    if (!in.gate.held[i]) {
      intervals[i] = kUnusedChordInterval;
      continue;
    }
    std::int32_t interval = in.keys.assignedKey[i] - lowest;
    if (interval < 0) interval = 0;
    if (interval > kUnusedChordInterval) interval = kUnusedChordInterval;
    intervals[i] = interval;
  }
  return true;
}

}  // namespace dsp
