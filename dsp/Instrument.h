// Everything the instrument's sound is made of, as plain data: the signal
// blocks, the key-assignment state and the engine's copies of the parameter
// values (the render loop never reads a parameter object).
#pragma once

#include <cstdint>

#include "dsp/DspConstants.h"
#include "dsp/Envelope.h"
#include "dsp/Gate.h"
#include "dsp/LadderFilter.h"
#include "dsp/Mixer.h"
#include "dsp/ModGenerator.h"
#include "dsp/Oscillator.h"
#include "dsp/SampleRate.h"

namespace dsp {

class NoteTuning;

enum KeyAssignMode : std::int32_t {
  kUnison = 0,
  kRoundRobin = 1,
  kChordMemory = 2,
  kUnisonShare = 3,
  kPoly = 4,
};

enum ArpeggiatorState : std::int32_t {
  kArpLatch = 0,
  kArpOn = 1,
  kArpOff = 2,
};

constexpr std::int32_t kUnusedChordInterval = 128;  // the oscillator takes no part in the chord

// Which keys the oscillators play and how keys come and go.
struct KeyAssignment {
  std::int32_t mode = kUnison;
  bool multipleTrigger = false;
  bool autoDamp = false;
  bool hold = false;
  std::int32_t assignedKey[kOscillatorCount] = {-1, -1, -1, -1};
  std::int32_t chordInterval[kOscillatorCount] = {};
  std::int32_t lastAssigned = 0;
  std::int32_t roundRobin = 0;
  double velocity = 0.0;        // of the last note-on, 0–1
  double keyFollowPitch = 0.0;  // of the last assigned key, for the filter
  double modWheel = 0.0;        // 0–1
  double pitchBend = 0.0;       // −1 to just below 1
  double portamento = 0.0;      // seconds
  std::int32_t drift = 0;       // "PtmDrift" choice
};

// The arpeggiator's settings, position and clock.
struct Arpeggiator {
  bool active = false;
  std::int32_t state = kArpOff;
  std::int32_t octaves = 1;
  std::int32_t mode = 0;
  bool downward = false;
  std::int32_t position = 0;
  std::int32_t octave = 0;
  bool clockedByMg2 = false;
  bool previousFirstHalf = false;  // of MG2: a step falls where a cycle starts
  double stepBeats = 1.0;
  double stepReciprocal = 1.0;
  std::int32_t stepTicks = 500;   // one beat at 120 beats per minute until the host tells
  std::int32_t countdown = 0;     // ticks until the next tempo step; it steps below 0
  double lastSongPosition = 0.0;  // quarter notes
  std::int32_t blockTicks = 0;    // control ticks started in the current block
  bool stepLight = false;         // toggled at every tempo step
};

// Bend, wheel and the oscillator effects' settings.
struct PitchModulation {
  std::int32_t bendTarget = 0;
  double bendIntensity = 0.0;
  std::int32_t wheelTarget = 0;
  double wheelIntensity = 0.0;
  double wheelOverride = 0.0;
  double masterTune = 0.0;  // pitch steps
  double detune = 0.0;      // pitch steps
  bool effects = false;
  double crossModAmount = 0.0;
  bool crossModActive = false;
  double fmAmount = 0.0;
  bool fmFromEg1 = false;
  bool crossModInType = false;
  bool syncInType = false;
  bool singleMode = false;
  double shiftSingle = 0.0;
  double shiftDouble = 0.0;
  double cutoffContribution = 0.0;  // pitch steps bend and wheel add to the cutoff
};

struct Instrument {
  Oscillator vco[kOscillatorCount];
  NoiseSource noise;
  LadderFilter filter;
  Envelope eg1;  // "VCF EG": cutoff, PWM and FM source
  Envelope eg2;  // amplifier
  ModGenerator mg1;
  ModGenerator mg2;
  Gate gate;
  SampleClock clock;
  KeyAssignment keys;
  Arpeggiator arp;
  PitchModulation modulation;

  double volume = 0.0;
  double rangeFactor = 0.0;
  double outputGain = 0.0;             // volume × range factor
  double vcaVelocity = 0.0;            // "VCA Velo"
  double vcaFactor = 1.0;              // (velocity − 1) × "VCA Velo" + 1, per audible tick
  std::int32_t transpose = 0;          // semitones
  const NoteTuning* tuning = nullptr;  // the instance's microtuning, when it has one

  Instrument() = default;
  // The oscillators point into the instrument (their PWM source).
  Instrument(const Instrument&) = delete;
  Instrument& operator=(const Instrument&) = delete;
};

// Construction state: oscillators joined to the engine with MG2 as their PWM
// source, and the wavetables built. The caller gives the clock its tables.
void PrepareInstrument(Instrument& instrument);

}  // namespace dsp
