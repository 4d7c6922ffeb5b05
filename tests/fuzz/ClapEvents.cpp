// A rendering CLAP instance under a stream of what hosts send: note, MIDI,
// parameter, transport and unknown events with any fields (wildcards, keys,
// channels and ports out of range, values that are no numbers, sizes that
// lie, offsets past the block), 32- and 64-bit blocks of 1 to 4096 frames,
// resets, flushes and reactivation at other rates. The output stays finite.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzReader.h"
#include "tools/claphost/ClapHost.h"

using namespace clap;

extern "C" const clap_plugin_entry clap_entry;

namespace {

using fuzz::Reader;

constexpr std::uint32_t kMaximumFrames = 4096;
constexpr int kMaximumEvents = 64;
constexpr int kMaximumBlocks = 48;
constexpr double kRates[] = {44100, 48000, 96000, 8000, 1000, 384000, 22050};

// One event of the given record type with fields from the reader; its
// stated size is usually the record's, sometimes anything.
template <typename Record>
claphost::Event Make(Reader& in, std::uint16_t type, std::uint32_t time) {
  Record record = in.Raw<Record>();
  std::uint32_t size = sizeof record;
  if (in.Byte() == 0xFF) size = in.Byte();
  record.header = {size, time, static_cast<std::uint16_t>(in.Byte() == 0xFE ? 1 : CLAP_CORE_EVENT_SPACE_ID), type, 0};
  claphost::Event event;
  event.bytes.resize(std::max<std::size_t>(size, sizeof record));
  std::memcpy(event.bytes.data(), &record, sizeof record);
  return event;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static claphost::ClapHost* host = [] {
    auto* made = new claphost::ClapHost;
    std::string error;
    FUZZ_EXPECT(made->Attach(&clap_entry, "linked", &error), "the plug-in did not load");
    return made;
  }();
  Reader in{data, size};
  std::uint32_t maxFrames = 512;
  FUZZ_EXPECT(host->Activate(48000, maxFrames), "the plug-in did not activate");
  std::vector<claphost::Event> events;
  int blocks = 0;
  while (in.More() && blocks < kMaximumBlocks) {
    const std::uint8_t op = in.Byte();
    // Offsets mostly inside the block, sometimes past it.
    const std::uint32_t time = in.Word() % 1200;
    if (events.size() >= kMaximumEvents && op % 12 < 8) continue;
    switch (op % 12) {
      case 0: events.push_back(Make<clap_event_note>(in, CLAP_EVENT_NOTE_ON, time)); break;
      case 1: events.push_back(Make<clap_event_note>(in, CLAP_EVENT_NOTE_OFF, time)); break;
      case 2: events.push_back(Make<clap_event_note>(in, CLAP_EVENT_NOTE_CHOKE, time)); break;
      case 3: events.push_back(Make<clap_event_midi>(in, CLAP_EVENT_MIDI, time)); break;
      case 4: {
        claphost::Event event = Make<clap_event_param_value>(in, CLAP_EVENT_PARAM_VALUE, time);
        // Mostly a parameter that exists.
        if (in.Byte() < 200) reinterpret_cast<clap_event_param_value*>(event.bytes.data())->param_id = in.Byte() % 70;
        events.push_back(std::move(event));
        break;
      }
      case 5: events.push_back(Make<clap_event_transport>(in, CLAP_EVENT_TRANSPORT, time)); break;
      case 6: events.push_back(Make<clap_event_param_gesture>(in, in.Byte(), time)); break;
      case 7: host->Plugin()->reset(host->Plugin()); break;
      case 8: {
        host->Deactivate();
        maxFrames = 1 + in.Word() % kMaximumFrames;
        FUZZ_EXPECT(host->Activate(kRates[in.Byte() % (sizeof kRates / sizeof kRates[0])], maxFrames),
                    "the plug-in did not reactivate");
        break;
      }
      case 9: {
        host->Deactivate();
        host->Flush(events);
        events.clear();
        FUZZ_EXPECT(host->Activate(48000, maxFrames), "the plug-in did not reactivate");
        break;
      }
      default: {
        const std::uint32_t frames = 1 + in.Word() % maxFrames;
        clap_event_transport transport = in.Raw<clap_event_transport>();
        host->Process(frames, events, op & 0x10, (op & 0x20) ? &transport : nullptr);
        events.clear();
        bool finite = true;
        for (std::uint32_t i = 0; i < frames; ++i)
          finite = finite && std::isfinite(host->Left()[i]) && std::isfinite(host->Right()[i]);
        FUZZ_EXPECT(finite, "a rendered sample is not finite");
        ++blocks;
        break;
      }
    }
  }
  // What one input left sounding does not carry into the next.
  host->Deactivate();
  return 0;
}
