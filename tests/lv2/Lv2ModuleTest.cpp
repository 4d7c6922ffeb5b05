// The LV2 bundle loaded from its folder through lilv, as Linux hosts load
// it, and compared with the VST 2.4 plug-in built from the same instrument.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "tests/blackbox/LoadedPlugin.h"
#include "tests/blackbox/ReferenceTune.h"
#include "tools/lv2host/Lv2Host.h"

using blackbox::LoadPlugin;
using lv2host::Lv2Host;

namespace {

constexpr double kRate = 48000;
constexpr int kBlock = 256;
constexpr std::uint32_t kFirstParameter = 4;
constexpr int kCutoff = 43;
const std::string kUri = KESTRION_LV2_URI;

std::unique_ptr<Lv2Host> LoadLv2(bool offerOptions = true) {
  auto host = std::make_unique<Lv2Host>();
  host->SetSampleRate(kRate);
  host->SetBlockLengths(kBlock, kBlock);
  host->OfferOptions(offerOptions);
  std::string error;
  EXPECT_TRUE(host->Load(KESTRION_LV2_BUNDLE, kUri, &error)) << error;
  host->Activate();
  return host;
}

std::unique_ptr<vsthost::VstHost> LoadVst() {
  auto vst = LoadPlugin();
  vst->SetSampleRate(kRate);
  vst->SetBlockSize(kBlock);
  vst->SetActive(true);
  return vst;
}

lv2host::MidiEvent Midi(std::uint32_t frame, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
  return {frame, {status, data1, data2}};
}

// The reference tune through the LV2 plug-in's left channel.
std::vector<float> PlayTune(Lv2Host& host) {
  std::vector<float> out;
  for (int block = 0; block < blackbox::kTuneBlocks; ++block) {
    std::vector<lv2host::MidiEvent> events;
    for (const blackbox::TuneNote& note : blackbox::kTune)
      if (note.block == block)
        events.push_back(Midi(static_cast<std::uint32_t>(note.offset), note.velocity ? 0x90 : 0x80,
                              static_cast<std::uint8_t>(note.key), static_cast<std::uint8_t>(note.velocity)));
    EXPECT_TRUE(host.Run(kBlock, events));
    for (double sample : host.Left()) out.push_back(static_cast<float>(sample));
  }
  return out;
}

// A control port's value as VST 2.4 automation gives it (normalised).
float Normalised(const lv2host::PortInfo& port, float value) {
  if (!port.integer) return value;
  return (value - port.minimum) / (port.maximum - port.minimum);
}

// The bank the instance's state holds.
std::vector<std::uint8_t> BankOf(Lv2Host& host) {
  std::vector<lv2host::StateValue> values;
  EXPECT_EQ(host.SaveRaw(&values), 0);
  for (const lv2host::StateValue& value : values)
    if (value.key == kUri + "#bank") return value.bytes;
  ADD_FAILURE() << "no bank in the state";
  return {};
}

}  // namespace

TEST(Lv2Module, DescribesItsPortsAsTheVstPluginsParameters) {
  auto host = LoadLv2();
  auto vst = LoadVst();
  ASSERT_EQ(host->PortCount(), kFirstParameter + 70);
  EXPECT_EQ(host->Port(0).kind, lv2host::PortInfo::kAtom);
  EXPECT_TRUE(host->Port(0).input);
  EXPECT_EQ(host->Port(1).kind, lv2host::PortInfo::kAtom);
  EXPECT_EQ(host->Port(2).kind, lv2host::PortInfo::kAudio);
  EXPECT_EQ(host->Port(3).kind, lv2host::PortInfo::kAudio);
  for (int i = 0; i < 70; ++i) {
    const lv2host::PortInfo& port = host->Port(kFirstParameter + static_cast<std::uint32_t>(i));
    ASSERT_EQ(port.kind, lv2host::PortInfo::kControl) << i;
    EXPECT_EQ(port.name, vst->ParameterName(i));
    // A new instance holds the first program: its values are the defaults.
    EXPECT_FLOAT_EQ(Normalised(port, port.defaultValue), vst->GetParameter(i)) << port.name;
    EXPECT_FLOAT_EQ(Normalised(port, *host->Control(kFirstParameter + static_cast<std::uint32_t>(i))),
                    vst->GetParameter(i))
        << port.name;
  }
  EXPECT_EQ(host->PortIndex("cutoff"), static_cast<int>(kFirstParameter) + kCutoff);
  const lv2host::PortInfo& keyAssign = host->Port(kFirstParameter);
  EXPECT_TRUE(keyAssign.integer && keyAssign.enumeration);
  ASSERT_EQ(keyAssign.scalePoints.size(), 5u);
  vst->SetParameter(0, 1.0f);
  EXPECT_EQ(keyAssign.scalePoints.back().label, vst->ParameterDisplay(0));
}

// The same notes sound as through the VST 2.4 plug-in, sample for sample,
// also when the host names no block size and a run is longer than a block.
TEST(Lv2Module, PlaysTheSameNotesAsTheVstPluginBitForBit) {
  auto vst = LoadVst();
  const std::vector<float> expected = blackbox::PlayTune(*vst, kBlock);
  EXPECT_GT(*std::max_element(expected.begin(), expected.end()), 0.01f);
  for (const bool offerOptions : {true, false}) {
    auto host = LoadLv2(offerOptions);
    EXPECT_TRUE(PlayTune(*host) == expected) << (offerOptions ? "with" : "without") << " the host's block size";
  }
}

// Each preset sets the control ports to its program's values, and the
// program sounds; the bank as state moves between the formats whole.
TEST(Lv2Module, ListsTheProgramsAsPresetsThatSetThePortsAsTheProgramDoes) {
  auto host = LoadLv2();
  auto vst = LoadVst();
  const std::vector<lv2host::Preset> presets = host->Presets();
  ASSERT_EQ(presets.size(), 64u);
  for (int program = 0; program < 64; ++program) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "#program-%02d", program);
    const lv2host::Preset& preset = presets[static_cast<std::size_t>(program)];
    ASSERT_EQ(preset.uri, kUri + suffix);
    EXPECT_EQ(preset.label, vst->ProgramNameIndexed(program));
    ASSERT_TRUE(host->LoadPreset(preset.uri)) << preset.uri;
    vst->SetProgram(program);
    for (int i = 0; i < 70; ++i) {
      const std::uint32_t port = kFirstParameter + static_cast<std::uint32_t>(i);
      EXPECT_FLOAT_EQ(Normalised(host->Port(port), *host->Control(port)), vst->GetParameter(i))
          << preset.label << " " << host->Port(port).name;
    }
    ASSERT_TRUE(host->Run(kBlock, {Midi(0, 0x90, 60, 100)}));
    ASSERT_TRUE(host->Run(kBlock * 8));
    double peak = 0;
    for (double sample : host->Left()) peak = std::max(peak, std::abs(sample));
    EXPECT_GT(peak, 0.001) << preset.label;
    ASSERT_TRUE(host->Run(kBlock, {Midi(0, 0x80, 60, 0), Midi(0, 0xB0, 123, 0)}));
  }
  EXPECT_EQ(host->UnappliedPortValues(), 0);
}

TEST(Lv2Module, StateRoundTripsMovesToTheVstPluginAndRefusesWhatIsNoBank) {
  auto first = LoadLv2();
  ASSERT_TRUE(first->Run(kBlock));  // the ports of the first run are the instance's own
  *first->Control("cutoff") = 0.25f;
  ASSERT_TRUE(first->Run(kBlock));
  std::string text;
  ASSERT_TRUE(first->SaveState(&text));
  const std::vector<std::uint8_t> bank = BankOf(*first);

  auto second = LoadLv2();
  ASSERT_TRUE(second->RestoreState(text));
  ASSERT_TRUE(second->Run(kBlock));
  EXPECT_EQ(BankOf(*second), bank);

  // The same bytes as the VST 2.4 plug-in's chunk.
  auto vst = LoadVst();
  EXPECT_EQ(vst->Dispatch(vst::effSetChunk, 0, static_cast<vst::VstIntPtr>(bank.size()),
                          const_cast<std::uint8_t*>(bank.data())),
            1);
  EXPECT_FLOAT_EQ(vst->GetParameter(kCutoff), 0.25f);

  // A cut bank, a foreign one and a value of another type change nothing.
  const std::string key = kUri + "#bank";
  const std::string chunk = "http://lv2plug.in/ns/ext/atom#Chunk";
  for (std::size_t length : {std::size_t(0), std::size_t(7), bank.size() / 2, bank.size() - 1})
    EXPECT_NE(second->RestoreRaw(key, chunk, std::vector<std::uint8_t>(bank.begin(), bank.begin() + length)), 0)
        << length;
  EXPECT_NE(second->RestoreRaw(key, chunk, std::vector<std::uint8_t>(bank.size(), 0x5A)), 0);
  EXPECT_NE(second->RestoreRaw(key, "http://lv2plug.in/ns/ext/atom#String", bank), 0);
  EXPECT_EQ(BankOf(*second), bank);
}

// The host's ports are its session's copy of the values: after a restore,
// ports still holding what they held at the save are stale (the bank holds
// what MIDI did since) and are not applied; a port the host changed before
// the plug-in ran again is. A new instance's ports at their defaults are its
// own values, and a preset applied before its first run acts.
TEST(Lv2Module, TakesThePortsAHostChangedAndNotItsStaleOnes) {
  auto source = LoadLv2();
  ASSERT_TRUE(source->Run(kBlock));
  ASSERT_TRUE(source->Run(kBlock, {Midi(0, 0xC0, 5, 0)}));  // the ports know nothing of it
  std::string stale;
  ASSERT_TRUE(source->SaveState(&stale));
  *source->Control("cutoff") = 0.375f;  // changed and saved with no run between
  std::string changed;
  ASSERT_TRUE(source->SaveState(&changed));

  auto vst = LoadVst();
  auto cutoffAfterRestoring = [&](const std::string& text) {
    auto host = LoadLv2();
    EXPECT_TRUE(host->Run(kBlock));
    EXPECT_TRUE(host->RestoreState(text));
    EXPECT_TRUE(host->Run(kBlock));
    std::vector<std::uint8_t> bank = BankOf(*host);
    vst->Dispatch(vst::effSetChunk, 0, static_cast<vst::VstIntPtr>(bank.size()), bank.data());
    return vst->GetParameter(kCutoff);
  };
  vst->SetProgram(5);
  const float programFive = vst->GetParameter(kCutoff);
  ASSERT_NE(programFive, 0.375f);
  EXPECT_FLOAT_EQ(cutoffAfterRestoring(stale), programFive);
  EXPECT_FLOAT_EQ(cutoffAfterRestoring(changed), 0.375f);

  auto fresh = LoadLv2();
  ASSERT_TRUE(fresh->LoadPreset(kUri + "#program-12"));
  ASSERT_TRUE(fresh->Run(kBlock));
  std::vector<std::uint8_t> bank = BankOf(*fresh);
  vst->Dispatch(vst::effSetChunk, 0, static_cast<vst::VstIntPtr>(bank.size()), bank.data());
  vst->SetProgram(0);  // the preset's values are the first program's edits
  for (int i = 0; i < 70; ++i) {
    const std::uint32_t port = kFirstParameter + static_cast<std::uint32_t>(i);
    EXPECT_FLOAT_EQ(vst->GetParameter(i), Normalised(fresh->Port(port), *fresh->Control(port))) << i;
  }
}

// The host's tempo and position drive the arpeggiator's host clock as the
// VST 2.4 time info does: the same arpeggio, sample for sample.
TEST(Lv2Module, TheHostsTempoAndPositionDriveTheArpeggiatorAsInTheVstPlugin) {
  auto host = LoadLv2();
  auto vst = LoadVst();
  std::vector<float> left(kBlock), right(kBlock);
  float* outputs[2] = {left.data(), right.data()};
  // The ports of the first run are the instance's own: a block each first.
  ASSERT_TRUE(host->Run(kBlock));
  vst->Process(nullptr, outputs, kBlock);
  const char* const settings[][2] = {{"ARPState", "On"}, {"ARP Trig", "MIDI"}, {"ARPTempo", "1/16"}};
  for (const auto& setting : settings) {
    blackbox::SetByName(*vst, setting[0], setting[1]);
    for (std::uint32_t port = kFirstParameter; port < host->PortCount(); ++port)
      if (host->Port(port).name == setting[0])
        for (const lv2host::ScalePoint& point : host->Port(port).scalePoints)
          if (point.label == setting[1]) *host->Control(port) = point.value;
  }
  // A tempo at which a block is an exact number of beats: 1/128.
  constexpr double kTempo = 60.0 * kRate / kBlock / 128;
  std::vector<float> fromVst, fromLv2;
  for (int block = 0; block < 200; ++block) {
    const double quarter = 1.5 + block / 128.0;
    const vsthost::Transport transport = blackbox::PlayingTransport(block * kBlock, quarter, kTempo);
    vst->SetTransport(transport);
    lv2host::Position position;
    position.beatsPerMinute = static_cast<float>(kTempo);
    position.bar = static_cast<std::int64_t>(transport.barStartPos / 4);
    position.barBeat = static_cast<float>(quarter - transport.barStartPos);
    position.frame = block * kBlock;
    std::vector<lv2host::MidiEvent> keys;
    if (block == 2) {
      vst->SendMidi({{10, {0x90, 57, 100}}, {10, {0x90, 64, 100}}});
      keys = {Midi(10, 0x90, 57, 100), Midi(10, 0x90, 64, 100)};
    }
    vst->Process(nullptr, outputs, kBlock);
    fromVst.insert(fromVst.end(), left.begin(), left.end());
    ASSERT_TRUE(host->Run(kBlock, keys, &position));
    for (double sample : host->Left()) fromLv2.push_back(static_cast<float>(sample));
  }
  EXPECT_TRUE(fromLv2 == fromVst);
  EXPECT_GT(*std::max_element(fromLv2.begin(), fromLv2.end()), 0.01f);
}
