// A rendering instance under a stream of what hosts send: notes,
// controllers, program changes, pitch bends, sysex dumps at any offset
// (negative and past the block included), parameter changes, sample-rate
// and block-size changes, single and double precision blocks of 1 to 4096
// frames. The output stays finite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dsp/SampleRate.h"
#include "dsp/SharedPitchTables.h"
#include "tests/fuzz/FuzzHost.h"
#include "tests/fuzz/FuzzReader.h"

using namespace dsp;

namespace {

using fuzz::Reader;

constexpr int kMaximumFrames = 4096;
constexpr int kMaximumEvents = 64;
constexpr int kMaximumBlocks = 64;

struct Stream {
  vst::VstMidiEvent midi[kMaximumEvents];
  vst::VstMidiSysexEvent sysex[kMaximumEvents];
  char dumps[kMaximumEvents][256];
  struct {
    vst::VstInt32 numEvents;
    vst::VstIntPtr reserved;
    vst::VstEvent* events[kMaximumEvents];
  } list;
  int count = 0;

  void Midi(int deltaFrames, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    if (count == kMaximumEvents) return;
    midi[count] = testhost::VstMidi(status, data1, data2, deltaFrames);
    list.events[count] = reinterpret_cast<vst::VstEvent*>(&midi[count]);
    ++count;
  }
  void Sysex(int deltaFrames, Reader& in) {
    if (count == kMaximumEvents) return;
    vst::VstMidiSysexEvent& event = sysex[count];
    event = {};
    event.type = vst::kVstSysExType;
    event.byteSize = sizeof event;
    event.deltaFrames = deltaFrames;
    event.dumpBytes = in.Byte();
    for (int i = 0; i < event.dumpBytes; ++i) dumps[count][i] = static_cast<char>(in.Byte());
    event.sysexDump = dumps[count];
    list.events[count++] = reinterpret_cast<vst::VstEvent*>(&event);
  }
  void Send(testhost::Instance& instance) {
    list.numEvents = count;
    list.reserved = 0;
    if (count) instance.Call(vst::effProcessEvents, 0, 0, &list);
    count = 0;
  }
};

// Offsets mostly inside a block, sometimes before or after it.
int DeltaFrames(Reader& in) { return static_cast<std::int16_t>(in.Word()) % 5000; }

constexpr float kSampleRates[] = {44100, 48000, 96000, 192000, 22050, 8000, 11025, 1000, 384000};

// Pitch tables are built once per rate and freed with their last user. The
// stream changes rates all the time: holding a set of each rate it uses
// spends the fuzzing time on the stream instead of rebuilding tables.
bool HoldPitchTables() {
  for (float rate : kSampleRates) AcquirePitchTables(ChooseSampleRate(kDefaultSampleRate, rate));
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool held = HoldPitchTables();
  (void)held;
  static testhost::Instance instance;
  static Stream stream;
  static float floats[4][kMaximumFrames];
  static double doubles[4][kMaximumFrames];
  Reader in{data, size};
  int blockSize = 512;
  instance.Call(vst::effSetSampleRate, 0, 0, nullptr, 44100);
  instance.Call(vst::effSetBlockSize, 0, blockSize);
  instance.Call(vst::effMainsChanged, 0, 1);
  int blocks = 0;
  while (in.More() && blocks < kMaximumBlocks) {
    const std::uint8_t op = in.Byte();
    const int channel = op >> 4;
    switch (op % 10) {
      case 0: stream.Midi(DeltaFrames(in), 0x90 | channel, in.Byte(), in.Byte()); break;
      case 1: stream.Midi(DeltaFrames(in), 0x80 | channel, in.Byte(), in.Byte()); break;
      case 2: stream.Midi(DeltaFrames(in), 0xB0 | channel, in.Byte(), in.Byte()); break;
      case 3: stream.Midi(DeltaFrames(in), 0xC0 | channel, in.Byte(), 0); break;
      // Any status at all, running status and system messages included.
      case 4: stream.Midi(DeltaFrames(in), in.Byte(), in.Byte(), in.Byte()); break;
      case 5: stream.Sysex(DeltaFrames(in), in); break;
      case 6: {
        const int index = in.Byte() % 70;
        instance.effect->setParameter(instance.effect, index, in.Word() / 65535.0f);
        break;
      }
      case 7: {
        const float rate = kSampleRates[in.Byte() % (sizeof kSampleRates / sizeof kSampleRates[0])];
        instance.Call(vst::effMainsChanged, 0, 0);
        instance.Call(vst::effSetSampleRate, 0, 0, nullptr, rate);
        instance.Call(vst::effMainsChanged, 0, 1);
        break;
      }
      case 8: {
        blockSize = 1 + in.Word() % kMaximumFrames;
        instance.Call(vst::effMainsChanged, 0, 0);
        instance.Call(vst::effSetBlockSize, 0, blockSize);
        instance.Call(vst::effMainsChanged, 0, 1);
        break;
      }
      default: {
        const int frames = 1 + in.Word() % blockSize;
        stream.Send(instance);
        bool finite = true;
        if (op & 0x10) {
          double* inputs[2] = {doubles[0], doubles[1]};
          double* outputs[2] = {doubles[2], doubles[3]};
          instance.effect->processDoubleReplacing(instance.effect, inputs, outputs, frames);
          for (int i = 0; i < frames; ++i)
            finite = finite && std::isfinite(outputs[0][i]) && std::isfinite(outputs[1][i]);
        } else {
          float* inputs[2] = {floats[0], floats[1]};
          float* outputs[2] = {floats[2], floats[3]};
          instance.effect->processReplacing(instance.effect, inputs, outputs, frames);
          for (int i = 0; i < frames; ++i)
            finite = finite && std::isfinite(outputs[0][i]) && std::isfinite(outputs[1][i]);
        }
        FUZZ_EXPECT(finite, "a rendered sample is not finite");
        ++blocks;
        break;
      }
    }
  }
  stream.Send(instance);
  // What one input left sounding does not carry into the next.
  instance.Call(vst::effMainsChanged, 0, 0);
  return 0;
}
