// The arpeggiator: plays the held keys one after another over one, two or
// four octaves, up, down or up and down, through key assignment. Its steps
// are clocked by the start of each MG2 cycle or by the host's tempo.
#pragma once

#include <cstdint>

#include "dsp/HeldKeys.h"
#include "dsp/Instrument.h"
#include "dsp/TickGrid.h"

namespace dsp {

enum ArpeggioMode : std::int32_t {
  kArpUp = 0,
  kArpDown = 1,
  kArpUpDown = 2,
};

// Plays the next key of the list; nothing while the list is empty.
void ArpStep(Instrument& instrument, const HeldKeys& held);

// At the start of every control tick, after the modulation generators.
void ArpClockTick(Instrument& instrument, const HeldKeys& held);

// A new set of keys: the next tick steps at once, from the first key.
void RestartArpeggio(Instrument& instrument, HeldKeys& held);

// Step length in control ticks for a tempo in beats per minute (a tick is
// about a millisecond), at least one tick.
std::int32_t StepTicksAt(double stepBeats, double tempo);

// Once per block, before rendering, while the tempo clocks the steps.
// `songPosition` is the host's position in quarter notes at the block's first
// sample (negative when the host reports none); the block's first tick
// starts `grid.remaining` samples into the block.
//
// Re-alignment: whenever the host's position has moved since the last block,
// the countdown is set so that the step it is counting towards falls on the
// control tick nearest to the host's step boundary (a multiple of the step
// length in quarter notes) that lies nearest to where the countdown would
// have put it. Steps so land within half a tick of the host's grid whatever
// the block size; a free-running step is never repeated or dropped by it, and
// a key pressed between boundaries plays at once and then joins the grid.
void ArpTempoSync(Arpeggiator& arp, double tempo, double songPosition, double sampleRate, const TickGrid& grid);

}  // namespace dsp
