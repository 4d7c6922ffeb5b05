// The MIDI messages that fall due at a control tick, taken from the shell's
// queue at the start of the tick.
#pragma once

#include <cstdint>

#include "core/MidiEventQueue.h"
#include "engine/Instrument.h"
#include "shell/HeldKeys.h"

// Acts on one due message. Returns the controller number of a control change
// other than the modulation wheel (for the learned-controller map), else -1.
int TakeDueEvent(Instrument& instrument, HeldKeys& held, const IMidiEvent& event);

// Takes every event whose offset lies within this tick (offset ≤ tickLength),
// then moves the rest one tick closer. `learned(controller, value)` receives
// the control changes the engine does not use itself.
template <typename LearnedController>
void ProcessDueEvents(Instrument& instrument, HeldKeys& held, IMidiEventQueue& queue,
                      std::int32_t tickLength, LearnedController&& learned) {
  while (!queue.Empty()) {
    const IMidiEvent event = queue.Front();
    if (std::int64_t(event.offset) - tickLength > 0) break;
    queue.PopFront();
    const int controller = TakeDueEvent(instrument, held, event);
    if (controller >= 0) learned(controller, event.data2 & 0x7F);
  }
  if (!queue.Empty()) queue.ShiftOffsets(-tickLength);
}
