// The render loop: a control tick about every millisecond on a grid that
// runs on across blocks, and between ticks the per-sample path of mixer,
// filter and amplifier, written alike to both outputs.
#pragma once

#include <cstring>

#include "dsp/HeldKeys.h"
#include "dsp/Instrument.h"
#include "dsp/TickGrid.h"

namespace dsp {

// One control-rate update: generators and the arpeggiator's clock, then,
// while the instrument is audible, envelope, pitches, gains and cutoff.
void ControlTick(Instrument& instrument, const HeldKeys& held);

// Which per-sample paths the effects settings call for.
bool CrossModulationOn(const PitchModulation& modulation);
bool SyncOn(const PitchModulation& modulation);

// The samples of one chunk within a tick; `left` and `right` start cleared.
void RenderChunk(Instrument& instrument, double* left, double* right, int frames);

// One block. `processDueEvents()` runs at the start of every tick, before
// the tick's update; the arpeggiator plays from `held`.
template <typename DueEvents>
void RenderBlock(Instrument& instrument, TickGrid& grid, const HeldKeys& held, double* left, double* right, int frames,
                 DueEvents&& processDueEvents) {
  if (frames <= 0) return;
  std::memset(left, 0, sizeof(double) * static_cast<std::size_t>(frames));
  std::memset(right, 0, sizeof(double) * static_cast<std::size_t>(frames));
  instrument.arp.blockTicks = 0;
  const std::int32_t tickLength = grid.length > 0 ? grid.length : 1;
  int done = 0;
  while (done < frames) {
    const int unrendered = frames - done;
    int chunk;
    if (grid.remaining > 0) {
      if (grid.remaining < unrendered) {
        chunk = grid.remaining;
        grid.remaining = 0;
      } else {
        chunk = unrendered;
        grid.remaining -= unrendered;
      }
    } else {
      processDueEvents();
      ControlTick(instrument, held);
      if (unrendered < tickLength) {
        chunk = unrendered;
        grid.remaining = tickLength - unrendered;
      } else {
        chunk = tickLength;
      }
      ++instrument.arp.blockTicks;
    }
    RenderChunk(instrument, left + done, right + done, chunk);
    done += chunk;
  }
}

}  // namespace dsp
