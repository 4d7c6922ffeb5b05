#include "instrument/MidiThru.h"

#include "dsp/MidiMessage.h"

using namespace dsp;

void HoldForThru(MidiThruQueue& queue, const MidiEvent& event) {
  if (!midi::IsChannelMessage(event.status)) return;
  if (queue.count >= MidiThruQueue::kCapacity) return;
  // A stray top bit in a data byte would read as a status byte further on.
  MidiEvent forwarded = event;
  forwarded.data1 = static_cast<std::uint8_t>(midi::DataOf(event.data1));
  forwarded.data2 = static_cast<std::uint8_t>(midi::DataOf(event.data2));
  queue.pending[queue.count++] = forwarded;
}
