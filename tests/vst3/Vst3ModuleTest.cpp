// The VST 3 bundle loaded the way a host loads it, through its entry, and
// compared with the VST 2.4 plug-in built from the same instrument.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/blackbox/LoadedPlugin.h"
#include "tests/blackbox/ReferenceTune.h"
#include "tests/config/UserFolders.h"
#include "tools/vst3host/Vst3Host.h"
#include "tools/vsthost/VstHost.h"

using namespace vst3;
using vst3host::ParamPoint;
using vst3host::Vst3Host;

namespace {

constexpr double kRate = 48000;
constexpr int kBlock = 256;
constexpr ParamID kCutoff = 43;
constexpr ParamID kKeyAssign = 0;
constexpr ParamID kProgram = 70;
constexpr ParamID kFirstMidi = 1000;

std::unique_ptr<Vst3Host> LoadVst3() {
  auto host = std::make_unique<Vst3Host>();
  std::string error;
  EXPECT_TRUE(host->Load(KESTRION_VST3_PATH, &error)) << error;
  return host;
}

using blackbox::LoadPlugin;

// A pitch bend inside one block of the tune.
constexpr int kBendBlock = 4;
constexpr std::int32_t kBendOffset = 30;
constexpr int kBend = 12000;  // of 16383

std::vector<float> PlayVst3(Vst3Host& host, bool bend) {
  std::vector<float> out;
  for (int block = 0; block < blackbox::kTuneBlocks; ++block) {
    std::vector<Event> events;
    for (const blackbox::TuneNote& note : blackbox::kTune)
      if (note.block == block)
        events.push_back(note.velocity ? vst3host::NoteOn(note.offset, note.key, note.velocity / 127.0f)
                                       : vst3host::NoteOff(note.offset, note.key));
    std::vector<ParamPoint> points;
    if (bend && block == kBendBlock) points.push_back({kFirstMidi + kPitchBend, kBendOffset, kBend / 16383.0});
    EXPECT_EQ(host.Process(kBlock, events, points), kResultOk);
    for (int i = 0; i < kBlock; ++i) out.push_back(static_cast<float>(host.Left()[static_cast<std::size_t>(i)]));
  }
  return out;
}

std::vector<float> PlayVst(vsthost::VstHost& host, bool bend) {
  return blackbox::PlayTune(host, kBlock, [bend](int block, std::vector<vsthost::MidiMessage>& messages) {
    if (bend && block == kBendBlock)
      messages.push_back({kBendOffset, {0xE0, static_cast<std::uint8_t>(kBend & 0x7F), kBend >> 7}});
  });
}

// Every parameter's text as the VST 2.4 plug-in shows it, units apart.
void ExpectSameTexts(Vst3Host& vst3, vsthost::VstHost& vst) {
  for (int i = 0; i < 70; ++i) {
    const auto id = static_cast<ParamID>(i);
    EXPECT_EQ(vst3.ValueToText(id, vst3.ParamNormalized(id)), vst.ParameterDisplay(i)) << vst.ParameterName(i);
  }
}

}  // namespace

TEST(Vst3Module, ListsOneInstrumentClassThatIsItsOwnControllerWithItsBuses) {
  auto host = LoadVst3();
  EXPECT_STREQ(host->FactoryInfo().vendor, "Harrowvale Music");
  EXPECT_STREQ(host->FactoryInfo().url, "http://www.harrowvale.example/");
  EXPECT_STREQ(host->FactoryInfo().email, "mailto:support@harrowvale.example");
  EXPECT_EQ(host->Factory()->countClasses(), 1);
  PClassInfo2 info{};
  ASSERT_TRUE(host->ClassInfo2(&info));
  EXPECT_STREQ(info.name, "Kestrion");
  EXPECT_STREQ(info.category, "Audio Module Class");
  EXPECT_STREQ(info.subCategories, "Instrument|Synth");
  EXPECT_STREQ(info.version, "2.3.2");
  EXPECT_TRUE(host->SingleObject());
  ASSERT_NE(host->Units(), nullptr);
  ASSERT_NE(host->MidiMapping(), nullptr);

  EXPECT_EQ(host->BusCount(kAudio, kInput), 0);
  ASSERT_EQ(host->BusCount(kAudio, kOutput), 1);
  BusInfo bus{};
  ASSERT_TRUE(host->BusInfo(kAudio, kOutput, 0, &bus));
  EXPECT_EQ(bus.channelCount, 2);
  EXPECT_EQ(host->BusCount(kEvent, kInput), 1);
  EXPECT_EQ(host->BusCount(kEvent, kOutput), 1);  // MIDI Thru
  EXPECT_FALSE(host->BusInfo(kAudio, kOutput, 1, &bus));
  SpeakerArrangement mono = 1;
  EXPECT_NE(host->Processor()->setBusArrangements(nullptr, 0, &mono, 1), kResultTrue);

  // No view of another type.
  EXPECT_EQ(host->Controller()->createView("other"), nullptr);
  host->Unload();
  EXPECT_EQ(host->LeakedHostReferences(), 0);
}

TEST(Vst3Module, EveryParameterTextReadsBackAndMatchesTheVstPlugin) {
  auto vst3 = LoadVst3();
  auto vst = LoadPlugin();
  ASSERT_EQ(vst3->ParamCount(), 70 + 1 + 130);
  for (int i = 0; i < 70; ++i) {
    ParameterInfo info{};
    ASSERT_TRUE(vst3->ParamInfo(i, &info));
    const std::string name = vst->ParameterName(i);
    EXPECT_EQ(info.id, static_cast<ParamID>(i));
    EXPECT_EQ(vst3host::ToUtf8(info.title, 128), name);
    EXPECT_TRUE(info.flags & ParameterInfo::kCanAutomate) << name;
    EXPECT_FALSE(info.flags & ParameterInfo::kIsHidden) << name;
    // The same normalised values as VST 2.4 automation.
    EXPECT_FLOAT_EQ(static_cast<float>(vst3->ParamNormalized(info.id)), vst->GetParameter(i)) << name;
    const std::string text = vst3->ValueToText(info.id, vst3->ParamNormalized(info.id));
    double back = -1;
    ASSERT_TRUE(vst3->TextToValue(info.id, text, &back)) << name << " " << text;
    EXPECT_EQ(vst3->ValueToText(info.id, back), text) << name;
  }
  ExpectSameTexts(*vst3, *vst);
  // Switches say how many steps they have: five key-assignment modes.
  ParameterInfo info{};
  ASSERT_TRUE(vst3->ParamInfo(static_cast<int>(kKeyAssign), &info));
  EXPECT_EQ(info.stepCount, 4);
  EXPECT_TRUE(info.flags & ParameterInfo::kIsList);
  ASSERT_TRUE(vst3->ParamInfo(static_cast<int>(kCutoff), &info));
  EXPECT_EQ(info.stepCount, 0);
  // Parameters sit in units named for the panel's sections, nested by path.
  UnitInfo unit{};
  const int32 units = vst3->Units()->getUnitCount();
  for (int32 u = 0; u < units; ++u) {
    ASSERT_EQ(vst3->Units()->getUnitInfo(u, unit), kResultOk);
    if (unit.id == info.unitId) break;
  }
  EXPECT_EQ(vst3host::ToUtf8(unit.name, 128), "Filter");
  EXPECT_EQ(unit.parentUnitId, kRootUnitId);
  ASSERT_TRUE(vst3->ParamInfo(70, &info));
  EXPECT_EQ(info.id, kProgram);
  EXPECT_TRUE(info.flags & ParameterInfo::kIsProgramChange);
  EXPECT_EQ(info.stepCount, 63);
  ASSERT_TRUE(vst3->ParamInfo(71 + kPitchBend, &info));
  EXPECT_TRUE(info.flags & ParameterInfo::kIsHidden);
  double value;
  EXPECT_FALSE(vst3->TextToValue(kKeyAssign, "No such mode", &value));
  EXPECT_FALSE(vst3->TextToValue(kCutoff, "loud", &value));
  EXPECT_FALSE(vst3->ParamInfo(201, &info));
  EXPECT_EQ(vst3->ValueToText(999, 0.5), "(refused)");
}

TEST(Vst3Module, PlaysTheSameNotesAndPitchBendAsTheVstPluginBitForBit) {
  for (const bool bend : {false, true}) {
    auto vst3 = LoadVst3();
    auto vst = LoadPlugin();
    ASSERT_TRUE(vst3->Activate(kRate, kBlock));
    vst->SetSampleRate(kRate);
    vst->SetBlockSize(kBlock);
    vst->SetActive(true);
    const std::vector<float> expected = PlayVst(*vst, bend);
    const std::vector<float> played = PlayVst3(*vst3, bend);
    ASSERT_EQ(played.size(), expected.size());
    float loudest = 0;
    for (std::size_t i = 0; i < played.size(); ++i) {
      ASSERT_EQ(played[i], expected[i]) << "sample " << i << (bend ? " with" : " without") << " the pitch bend";
      loudest = std::max(loudest, std::abs(played[i]));
    }
    EXPECT_GT(loudest, 0.01f);
  }
}

// Every channel's controllers map to the same hidden parameters, which the
// audio path turns back into MIDI (the pitch bend above sounds so).
TEST(Vst3Module, MapsEveryChannelsControllersToTheSameHiddenParameters) {
  auto host = LoadVst3();
  for (const int16 channel : {0, 9, 15}) {
    ParamID id = 0;
    ASSERT_TRUE(host->MidiAssignment(channel, 1, &id));
    EXPECT_EQ(id, kFirstMidi + 1);
    ASSERT_TRUE(host->MidiAssignment(channel, kPitchBend, &id));
    EXPECT_EQ(id, kFirstMidi + kPitchBend);
  }
  ParamID id = 0;
  EXPECT_FALSE(host->MidiAssignment(16, 1, &id));
  EXPECT_FALSE(host->MidiAssignment(0, kCtrlProgramChange, &id));
}

// The host's tempo and position drive the arpeggiator's host clock as the
// VST 2.4 time info does: the same arpeggio, sample for sample.
TEST(Vst3Module, TheHostsTempoAndPositionDriveTheArpeggiatorAsInTheVstPlugin) {
  auto vst3 = LoadVst3();
  auto vst = LoadPlugin();
  ASSERT_TRUE(vst3->Activate(kRate, kBlock));
  vst->SetSampleRate(kRate);
  vst->SetBlockSize(kBlock);
  vst->SetActive(true);
  const char* const settings[][2] = {{"ARPState", "On"}, {"ARP Trig", "MIDI"}, {"ARPTempo", "1/16"}};
  for (const auto& setting : settings) {
    blackbox::SetByName(*vst, setting[0], setting[1]);
    for (int i = 0; i < 70; ++i)
      if (vst->ParameterName(i) == setting[0]) {
        double value = 0;
        ASSERT_TRUE(vst3->TextToValue(static_cast<ParamID>(i), setting[1], &value)) << setting[0];
        vst3->SetParamNormalized(static_cast<ParamID>(i), value);
      }
  }

  constexpr double kTempo = 132;
  std::vector<float> fromVst, fromVst3, left(kBlock), right(kBlock);
  float* outputs[2] = {left.data(), right.data()};
  for (int block = 0; block < 40; ++block) {
    const double quarter = 1.5 + block * kBlock / kRate * kTempo / 60;
    const vsthost::Transport transport = blackbox::PlayingTransport(block * kBlock, quarter, kTempo);
    vst->SetTransport(transport);
    ProcessContext context{};
    context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid |
                    ProcessContext::kBarPositionValid | ProcessContext::kTimeSigValid;
    context.sampleRate = kRate;
    context.projectTimeSamples = block * kBlock;
    context.projectTimeMusic = transport.ppqPos;
    context.barPositionMusic = transport.barStartPos;
    context.tempo = kTempo;
    context.timeSigNumerator = context.timeSigDenominator = 4;
    std::vector<Event> keys;
    if (block == 2) {
      vst->SendMidi({{10, {0x90, 57, 100}}, {10, {0x90, 64, 100}}});
      keys = {vst3host::NoteOn(10, 57, 100 / 127.0f), vst3host::NoteOn(10, 64, 100 / 127.0f)};
    }
    vst->Process(nullptr, outputs, kBlock);
    fromVst.insert(fromVst.end(), left.begin(), left.end());
    ASSERT_EQ(vst3->Process(kBlock, keys, {}, &context), kResultOk);
    for (double sample : vst3->Left()) fromVst3.push_back(static_cast<float>(sample));
  }
  EXPECT_TRUE(fromVst3 == fromVst);
  EXPECT_GT(*std::max_element(fromVst3.begin(), fromVst3.end()), 0.01f);
  EXPECT_EQ(vst3->ContextRequirements() & IProcessContextRequirements::kNeedTempo,
            static_cast<uint32>(IProcessContextRequirements::kNeedTempo));
}

// With MIDI Thru on and controller 20 learned to CutOff (in the user's
// configuration): the mapped controller moves CutOff, the host hears of it
// as an output point, and notes and controllers go out on the event output.
TEST(Vst3Module, MappedControllersReachMidiLearnAndMidiThru) {
  testfolders::UseFreshUserFolders();
  testfolders::WriteText(testfolders::ConfigurationFile(), "[MIDI Global]\nMIDI Thru=true\n[MIDI Control]\nCC20=43\n");
  auto host = LoadVst3();
  ASSERT_TRUE(host->Activate(kRate, kBlock));
  host->Process(kBlock, {vst3host::NoteOn(5, 60, 1.0f)},
                {{kFirstMidi + 20, 9, 32 / 127.0}, {kFirstMidi + kPitchBend, 12, 0.75}});
  EXPECT_NEAR(host->ParamNormalized(kCutoff), 32 / 127.0, 1e-6);
  bool reported = false;
  for (const ParamPoint& point : host->OutputParams()) reported = reported || point.id == kCutoff;
  EXPECT_TRUE(reported);

  std::vector<std::string> thru;
  for (const Event& event : host->OutputEvents()) {
    if (event.type == Event::kNoteOnEvent)
      thru.push_back("note " + std::to_string(event.noteOn.pitch) + " at " + std::to_string(event.sampleOffset));
    if (event.type == Event::kLegacyMIDICCOutEvent)
      thru.push_back("cc " + std::to_string(event.midiCCOut.controlNumber) + " " +
                     std::to_string(event.midiCCOut.value) + " " + std::to_string(event.midiCCOut.value2));
  }
  EXPECT_EQ(thru, (std::vector<std::string>{"note 60 at 5", "cc 20 32 0", "cc 129 127 95"}));
  host->Unload();
  testfolders::UseFreshUserFolders();
}

TEST(Vst3Module, ParameterValuesActFromTheirOffsetInTheBlock) {
  auto run = [](std::int32_t cutoffAt) {
    auto host = LoadVst3();
    EXPECT_TRUE(host->Activate(kRate, kBlock, true));
    host->Process(kBlock, {vst3host::NoteOn(0, 45, 1.0f)});
    std::vector<double> out = host->Left();
    std::vector<ParamPoint> points;
    if (cutoffAt < kBlock) points.push_back({kCutoff, cutoffAt, 0.05});
    host->Process(kBlock, {}, points);
    out.insert(out.end(), host->Left().begin(), host->Left().end());
    return out;
  };
  const std::vector<double> untouched = run(kBlock);
  const std::vector<double> changed = run(128);
  std::size_t firstDifference = changed.size();
  for (std::size_t i = 0; i < changed.size() && firstDifference == changed.size(); ++i)
    if (changed[i] != untouched[i]) firstDifference = i;
  EXPECT_GE(firstDifference, std::size_t(kBlock + 128));
  EXPECT_LT(firstDifference, std::size_t(kBlock + 128 + 2 * 48));  // within two control ticks
}

TEST(Vst3Module, StateRoundTripsAndLoadsIntoTheVstPlugin) {
  auto first = LoadVst3();
  ASSERT_EQ(first->SetParamNormalized(kProgram, 7 / 63.0), kResultOk);
  ASSERT_EQ(first->SetParamNormalized(kCutoff, 0.25), kResultOk);
  std::vector<std::uint8_t> state, controller;
  ASSERT_TRUE(first->SaveState(&state, &controller));
  EXPECT_TRUE(controller.empty());  // the component's state holds everything

  auto second = LoadVst3();
  second->ClearHandlerCalls();
  ASSERT_TRUE(second->LoadState(state, 5));
  EXPECT_DOUBLE_EQ(second->ParamNormalized(kCutoff), 0.25);
  EXPECT_DOUBLE_EQ(second->ParamNormalized(kProgram), 7 / 63.0);  // the program it was on
  // The host loaded it: it is told of no change.
  EXPECT_TRUE(second->HandlerCalls().empty());
  std::vector<std::uint8_t> again;
  ASSERT_TRUE(second->SaveState(&again));
  EXPECT_EQ(again, state);

  auto vst = LoadPlugin();
  EXPECT_EQ(vst->Dispatch(vst::effSetChunk, 0, static_cast<vst::VstIntPtr>(state.size()), state.data()), 1);
  vst->SetProgram(7);  // a VST 2.4 host keeps the program itself
  EXPECT_EQ(vst->GetParameter(static_cast<std::int32_t>(kCutoff)), 0.25f);
  void* chunk = nullptr;
  const vst::VstIntPtr size = vst->Dispatch(vst::effGetChunk, 0, 0, &chunk);
  ASSERT_GT(size, 0);
  // The same bank; the state adds the current program and the panel size after it.
  ASSERT_EQ(state.size(), static_cast<std::size_t>(size) + 16);
  EXPECT_EQ(std::vector<std::uint8_t>(static_cast<std::uint8_t*>(chunk), static_cast<std::uint8_t*>(chunk) + size),
            std::vector<std::uint8_t>(state.begin(), state.begin() + size));

  // Truncated or foreign states are refused and change nothing.
  std::vector<std::uint8_t> before;
  ASSERT_TRUE(first->SaveState(&before));
  for (std::size_t length = 0; length < state.size(); length += 1 + length / 16) {
    const std::vector<std::uint8_t> cut(state.begin(), state.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_FALSE(first->LoadState(cut)) << "length " << length;
  }
  EXPECT_FALSE(first->LoadState(std::vector<std::uint8_t>(state.size(), 0x5A)));
  std::vector<std::uint8_t> after;
  ASSERT_TRUE(first->SaveState(&after));
  EXPECT_EQ(after, before);
}

// The host's preset menu lists the programs; choosing one (the program
// parameter on the UI thread) selects it as VST 2.4's effSetProgram does.
// Nothing is sent back during that call (a host may hold a lock its handler
// takes); the next block reports every new value.
TEST(Vst3Module, ListsTheProgramsAndSelectsOneThroughTheProgramParameter) {
  auto vst3 = LoadVst3();
  auto vst = LoadPlugin();
  ASSERT_EQ(vst3->ProgramListCount(), 1);
  ProgramListInfo list{};
  ASSERT_TRUE(vst3->ProgramListInfo(0, &list));
  ASSERT_EQ(list.programCount, 64);
  for (int program = 0; program < 64; ++program)
    EXPECT_EQ(vst3->ProgramName(list.id, program), vst->ProgramNameIndexed(program));

  ASSERT_TRUE(vst3->Activate(kRate, kBlock));
  vst3->ClearHandlerCalls();
  ASSERT_EQ(vst3->SetParamNormalized(kProgram, 41 / 63.0), kResultOk);
  EXPECT_TRUE(vst3->HandlerCalls().empty());
  vst->SetProgram(41);
  ExpectSameTexts(*vst3, *vst);
  EXPECT_DOUBLE_EQ(vst3->ParamNormalized(kProgram), 41 / 63.0);
  EXPECT_EQ(vst3->ValueToText(kProgram, 41 / 63.0), vst->ProgramNameIndexed(41));
  vst3->Process(kBlock, {}, {{kProgram, 0, 41 / 63.0}});
  int reported = 0;
  for (const ParamPoint& point : vst3->OutputParams())
    reported += point.id < 70 && point.value == vst3->ParamNormalized(point.id);
  EXPECT_EQ(reported, 70);
  vst3->Process(kBlock);
  EXPECT_TRUE(vst3->OutputParams().empty());
  EXPECT_EQ(vst3->OffUiThreadCalls(), 0);
}

// A program change by MIDI (or by the program parameter in a block) changes
// every value: the host hears of each as an output point of that block.
TEST(Vst3Module, AProgramChangeInABlockReportsEveryValueAsOutputPoints) {
  auto host = LoadVst3();
  ASSERT_TRUE(host->Activate(kRate, kBlock));
  host->Process(kBlock, {}, {{kProgram, 0, 12 / 63.0}});
  int reported = 0;
  for (const ParamPoint& point : host->OutputParams()) reported += point.id == kProgram || point.id < 70;
  EXPECT_EQ(reported, 71);
  auto vst = LoadPlugin();
  vst->SetProgram(12);
  ExpectSameTexts(*host, *vst);
  EXPECT_EQ(host->OffUiThreadCalls(), 0);
}

// The UI thread restores states, selects programs and sets values while the
// audio thread plays and automates: every block stays finite, and the
// thread checker finds no race.
TEST(Vst3Concurrency, TheUiThreadRestoresWhileTheAudioThreadPlays) {
  auto host = LoadVst3();
  ASSERT_TRUE(host->Activate(kRate, kBlock));
  std::vector<std::uint8_t> state;
  ASSERT_TRUE(host->SaveState(&state));
  std::atomic<bool> playing{true};
  std::atomic<bool> finite{true};
  std::thread audio([&] {
    for (int block = 0; playing.load(); ++block) {
      std::vector<Event> events;
      if (block % 8 == 0) events.push_back(vst3host::NoteOn(3, 48 + block % 12, 0.8f));
      if (block % 8 == 4) events.push_back(vst3host::NoteOff(0, 48 + (block - 4) % 12));
      host->Process(kBlock, events, {{kCutoff, 17, (block % 100) / 100.0}, {kFirstMidi + 1, 5, 0.5}});
      for (double sample : host->Left()) finite = finite && std::isfinite(sample);
    }
  });
  for (int round = 0; round < 40; ++round) {
    EXPECT_TRUE(host->LoadState(state));
    host->SetParamNormalized(kProgram, (round % 64) / 63.0);
    host->SetParamNormalized(kCutoff, 0.5);
    std::vector<std::uint8_t> saved;
    EXPECT_TRUE(host->SaveState(&saved));
    host->ValueToText(kCutoff, host->ParamNormalized(kCutoff));
  }
  playing = false;
  audio.join();
  EXPECT_TRUE(finite);
}
