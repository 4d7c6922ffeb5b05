// The CLAP plug-in file loaded the way a host loads it, through its entry,
// and compared with the VST 2.4 plug-in built from the same instrument.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"
#include "tests/blackbox/LoadedPlugin.h"
#include "tests/blackbox/ReferenceTune.h"
#include "tests/config/UserFolders.h"
#include "tests/files/FileHeaders.h"
#include "tools/claphost/ClapHost.h"
#include "tools/vsthost/VstHost.h"

using namespace clap;
using claphost::ClapHost;

namespace {

constexpr double kRate = 48000;
constexpr std::uint32_t kBlock = 256;
constexpr clap_id kCutoff = 43;
constexpr clap_id kKeyAssign = 0;

std::unique_ptr<ClapHost> LoadClap() {
  auto host = std::make_unique<ClapHost>();
  std::string error;
  EXPECT_TRUE(host->Load(KESTRION_CLAP_PATH, &error)) << error;
  return host;
}

using blackbox::LoadPlugin;

std::vector<float> PlayClap(ClapHost& host) {
  std::vector<float> out;
  for (int block = 0; block < blackbox::kTuneBlocks; ++block) {
    std::vector<claphost::Event> events;
    for (const blackbox::TuneNote& note : blackbox::kTune)
      if (note.block == block)
        events.push_back(note.velocity ? claphost::NoteOn(note.offset, note.key, note.velocity / 127.0)
                                       : claphost::NoteOff(note.offset, note.key));
    EXPECT_EQ(host.Process(kBlock, events), CLAP_PROCESS_CONTINUE);
    for (std::uint32_t i = 0; i < kBlock; ++i) out.push_back(static_cast<float>(host.Left()[i]));
  }
  return out;
}

// Every parameter's text, as the VST 2.4 plug-in shows it ("text label").
void ExpectSameTexts(ClapHost& clap, vsthost::VstHost& vst) {
  for (std::uint32_t i = 0; i < clap.ParamCount(); ++i) {
    std::string expected = vst.ParameterDisplay(static_cast<std::int32_t>(i));
    const std::string label = vst.ParameterLabel(static_cast<std::int32_t>(i));
    if (!label.empty()) expected += " " + label;
    EXPECT_EQ(clap.ValueToText(i, clap.ParamValue(i)), expected) << vst.ParameterName(static_cast<std::int32_t>(i));
  }
}

// What a host's preset indexer is told.
struct Index {
  std::vector<clap_preset_discovery_location> locations;
  std::vector<std::string> locationPaths;
  std::vector<std::string> fileTypes;
  std::vector<std::pair<std::string, std::string>> presets;  // name, load key
  std::vector<std::string> pluginIds;
  std::vector<std::uint32_t> flags;
  std::vector<std::string> errors;
};

// The plug-in's one preset provider, talking to an indexer that fills `index`.
const clap_preset_discovery_provider* CreateProvider(ClapHost& clap, Index& index,
                                                     clap_preset_discovery_indexer& indexer) {
  auto* factory =
      static_cast<const clap_preset_discovery_factory*>(clap.EntryFactory(CLAP_PRESET_DISCOVERY_FACTORY_ID));
  if (!factory || factory->count(factory) != 1) return nullptr;
  indexer = {};
  indexer.clap_version = CLAP_VERSION;
  indexer.name = "test indexer";
  indexer.indexer_data = &index;
  indexer.declare_location = [](const clap_preset_discovery_indexer* self, const clap_preset_discovery_location* l) {
    auto* index = static_cast<Index*>(self->indexer_data);
    index->locations.push_back(*l);
    index->locationPaths.push_back(l->location ? l->location : "");
    return true;
  };
  indexer.declare_filetype = [](const clap_preset_discovery_indexer* self, const clap_preset_discovery_filetype* t) {
    static_cast<Index*>(self->indexer_data)->fileTypes.push_back(t->file_extension);
    return true;
  };
  return factory->create(factory, &indexer, factory->get_descriptor(factory, 0)->id);
}

clap_preset_discovery_metadata_receiver Receiver(Index& index) {
  clap_preset_discovery_metadata_receiver receiver{};
  receiver.receiver_data = &index;
  receiver.on_error = [](const clap_preset_discovery_metadata_receiver* self, std::int32_t, const char* message) {
    static_cast<Index*>(self->receiver_data)->errors.push_back(message);
  };
  receiver.begin_preset = [](const clap_preset_discovery_metadata_receiver* self, const char* name, const char* key) {
    static_cast<Index*>(self->receiver_data)->presets.emplace_back(name, key ? key : "");
    return true;
  };
  receiver.add_plugin_id = [](const clap_preset_discovery_metadata_receiver* self, const clap_universal_plugin_id* id) {
    static_cast<Index*>(self->receiver_data)->pluginIds.push_back(std::string(id->abi) + ":" + id->id);
  };
  receiver.set_flags = [](const clap_preset_discovery_metadata_receiver* self, std::uint32_t flags) {
    static_cast<Index*>(self->receiver_data)->flags.push_back(flags);
  };
  return receiver;
}

}  // namespace

TEST(ClapModule, ListsOneSynthesizerWithItsIdentityAndPorts) {
  auto host = LoadClap();
  const clap_plugin_descriptor* descriptor = host->Plugin()->desc;
  EXPECT_EQ(host->Factory()->get_plugin_count(host->Factory()), 1u);
  EXPECT_STREQ(descriptor->name, "Kestrion");
  EXPECT_STREQ(descriptor->vendor, "Harrowvale Music");
  EXPECT_STREQ(descriptor->version, "2.3.2");
  EXPECT_STREQ(descriptor->id, "example.harrowvale.kestrion");
  std::vector<std::string> features;
  for (const char* const* f = descriptor->features; *f; ++f) features.push_back(*f);
  EXPECT_EQ(features, (std::vector<std::string>{"instrument", "synthesizer", "stereo"}));
  EXPECT_EQ(host->Factory()->create_plugin(host->Factory(), nullptr, descriptor->id), nullptr);

  auto* audio = host->PluginExtension<clap_plugin_audio_ports>(CLAP_EXT_AUDIO_PORTS);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->count(host->Plugin(), true), 0u);
  ASSERT_EQ(audio->count(host->Plugin(), false), 1u);
  clap_audio_port_info port{};
  ASSERT_TRUE(audio->get(host->Plugin(), 0, false, &port));
  EXPECT_EQ(port.channel_count, 2u);
  EXPECT_STREQ(port.port_type, CLAP_PORT_STEREO);
  EXPECT_TRUE(port.flags & CLAP_AUDIO_PORT_IS_MAIN);
  EXPECT_FALSE(audio->get(host->Plugin(), 1, false, &port));

  auto* notes = host->PluginExtension<clap_plugin_note_ports>(CLAP_EXT_NOTE_PORTS);
  ASSERT_NE(notes, nullptr);
  clap_note_port_info input{};
  ASSERT_TRUE(notes->get(host->Plugin(), 0, true, &input));
  EXPECT_EQ(input.supported_dialects, CLAP_NOTE_DIALECT_CLAP | CLAP_NOTE_DIALECT_MIDI);
  EXPECT_EQ(host->PluginExtension<void>("clap.no-such-extension"), nullptr);
}

// Each parameter's text reads back as the same value, and shows as the
// VST 2.4 plug-in shows the same parameter of the same program.
TEST(ClapModule, EveryParameterTextReadsBackAndMatchesTheVstPlugin) {
  auto clap = LoadClap();
  auto vst = LoadPlugin();
  ASSERT_EQ(clap->ParamCount(), 70u);
  for (std::uint32_t i = 0; i < clap->ParamCount(); ++i) {
    clap_param_info info{};
    ASSERT_TRUE(clap->ParamInfo(i, &info));
    EXPECT_EQ(info.id, i);
    EXPECT_EQ(info.name, vst->ParameterName(static_cast<std::int32_t>(i)));
    EXPECT_NE(info.module[0], 0) << info.name;
    EXPECT_TRUE(info.min_value <= info.default_value && info.default_value <= info.max_value) << info.name;

    const std::string text = clap->ValueToText(i, clap->ParamValue(i));
    double back = -1;
    ASSERT_TRUE(clap->TextToValue(i, text, &back)) << info.name << " " << text;
    EXPECT_EQ(clap->ValueToText(i, back), text) << info.name;
  }
  ExpectSameTexts(*clap, *vst);
  double value;
  EXPECT_FALSE(clap->TextToValue(kKeyAssign, "No such mode", &value));
  EXPECT_FALSE(clap->TextToValue(kCutoff, "loud", &value));
  EXPECT_FALSE(clap->ParamInfo(70, nullptr));
  EXPECT_EQ(clap->ParamValue(70), -1);
}

TEST(ClapModule, PlaysTheSameNotesAsTheVstPluginBitForBit) {
  auto clap = LoadClap();
  ASSERT_TRUE(clap->Activate(kRate, kBlock));
  auto vst = LoadPlugin();
  vst->SetSampleRate(kRate);
  vst->SetBlockSize(kBlock);
  vst->SetActive(true);
  const std::vector<float> fromClap = PlayClap(*clap);
  const std::vector<float> fromVst = blackbox::PlayTune(*vst, kBlock);
  ASSERT_EQ(fromClap.size(), fromVst.size());
  float loudest = 0;
  for (std::size_t i = 0; i < fromClap.size(); ++i) {
    ASSERT_EQ(fromClap[i], fromVst[i]) << "sample " << i;
    loudest = std::max(loudest, std::abs(fromClap[i]));
  }
  EXPECT_GT(loudest, 0.01f);
}

// A value sent inside a block acts from its offset: the sound is untouched
// before it and changed after it.
TEST(ClapModule, ParameterValuesActFromTheirOffsetInTheBlock) {
  auto run = [](std::uint32_t cutoffAt) {
    auto host = LoadClap();
    EXPECT_TRUE(host->Activate(kRate, kBlock));
    std::vector<double> out;
    host->Process(kBlock, {claphost::NoteOn(0, 45, 1.0)});
    out = host->Left();
    std::vector<claphost::Event> events;
    if (cutoffAt < kBlock) events.push_back(claphost::ParamValue(cutoffAt, kCutoff, 0.05));
    host->Process(kBlock, events, true);
    out.insert(out.end(), host->Left().begin(), host->Left().end());
    return out;
  };
  const std::vector<double> untouched = run(kBlock);
  const std::vector<double> changed = run(128);
  std::size_t firstDifference = changed.size();
  for (std::size_t i = 0; i < changed.size() && firstDifference == changed.size(); ++i)
    if (changed[i] != untouched[i]) firstDifference = i;
  EXPECT_GE(firstDifference, kBlock + 128);
  EXPECT_LT(firstDifference, kBlock + 128 + 2 * 48);  // within two control ticks
}

// The state is the VST 2.4 plug-in's bank chunk: it moves between instances
// and formats, however the host splits the stream.
TEST(ClapModule, StateRoundTripsAndLoadsIntoTheVstPlugin) {
  auto first = LoadClap();
  first->Flush({claphost::ParamValue(0, kCutoff, 0.25), claphost::ParamValue(0, kKeyAssign, 3)});
  EXPECT_DOUBLE_EQ(first->ParamValue(kCutoff), 0.25);
  EXPECT_EQ(first->ParamValue(kKeyAssign), 3);
  std::vector<std::uint8_t> state;
  ASSERT_TRUE(first->SaveState(&state, 7));

  auto second = LoadClap();
  ASSERT_TRUE(second->LoadState(state, 5));
  EXPECT_DOUBLE_EQ(second->ParamValue(kCutoff), 0.25);
  EXPECT_EQ(second->ParamValue(kKeyAssign), 3);
  // The host loaded it: it is told of no change.
  EXPECT_EQ(second->Rescans(), 0);
  EXPECT_EQ(second->DirtyMarks(), 0);
  EXPECT_EQ(second->WrongThreadCalls(), 0);
  std::vector<std::uint8_t> again;
  ASSERT_TRUE(second->SaveState(&again));
  EXPECT_EQ(again, state);

  auto vst = LoadPlugin();
  EXPECT_EQ(vst->Dispatch(vst::effSetChunk, 0, static_cast<vst::VstIntPtr>(state.size()), state.data()), 1);
  EXPECT_EQ(vst->GetParameter(static_cast<std::int32_t>(kCutoff)), 0.25f);
  void* chunk = nullptr;
  const vst::VstIntPtr size = vst->Dispatch(vst::effGetChunk, 0, 0, &chunk);
  ASSERT_GT(size, 0);
  // The same bank; the state adds the current program and the panel size after it.
  ASSERT_EQ(state.size(), static_cast<std::size_t>(size) + 16);
  EXPECT_EQ(std::vector<std::uint8_t>(static_cast<std::uint8_t*>(chunk), static_cast<std::uint8_t*>(chunk) + size),
            std::vector<std::uint8_t>(state.begin(), state.begin() + size));
}

TEST(ClapModule, RefusesTruncatedOrForeignStateAndChangesNothing) {
  auto source = LoadClap();
  source->Flush({claphost::ParamValue(0, kCutoff, 0.25)});
  std::vector<std::uint8_t> state;
  ASSERT_TRUE(source->SaveState(&state));

  auto host = LoadClap();
  std::vector<std::uint8_t> before;
  ASSERT_TRUE(host->SaveState(&before));
  for (std::size_t length = 0; length < state.size(); length += 1 + length / 16) {
    const std::vector<std::uint8_t> cut(state.begin(), state.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_FALSE(host->LoadState(cut)) << "length " << length;
  }
  std::vector<std::uint8_t> foreign(state.size(), 0x5A);
  EXPECT_FALSE(host->LoadState(foreign));
  std::vector<std::uint8_t> after;
  ASSERT_TRUE(host->SaveState(&after));
  EXPECT_EQ(after, before);
  EXPECT_EQ(host->Rescans(), 0);
}

// A program change by MIDI happens on the audio thread; the host is asked
// to read the values again from its main thread.
TEST(ClapModule, AProgramChangeByMidiHasTheHostReadTheValuesAgainOnItsMainThread) {
  auto host = LoadClap();
  ASSERT_TRUE(host->Activate(kRate, kBlock));
  const double before = host->ParamValue(kCutoff);
  int program = 1;
  for (; program < 64 && host->ParamValue(kCutoff) == before; ++program) {
    host->Process(kBlock, {claphost::Midi(0, 0xC0, static_cast<std::uint8_t>(program), 0)});
    host->Process(kBlock);
  }
  ASSERT_NE(host->ParamValue(kCutoff), before);
  EXPECT_GE(host->CallbackRequests(), 1);
  EXPECT_EQ(host->Rescans(), 0);
  host->RunMainThreadCallback();
  EXPECT_EQ(host->Rescans(), 1);
  EXPECT_EQ(host->WrongThreadCalls(), 0);
}

// A host's preset browser lists the 64 programs a new instance holds; one
// loads as a program change selects it.
TEST(ClapModule, ListsTheProgramsAsPresetsAndLoadsOneByItsNumber) {
  testfolders::UseFreshUserFolders();
  auto clap = LoadClap();
  auto vst = LoadPlugin();
  Index index;
  clap_preset_discovery_indexer indexer;
  const clap_preset_discovery_provider* provider = CreateProvider(*clap, index, indexer);
  ASSERT_NE(provider, nullptr);
  ASSERT_TRUE(provider->init(provider));
  // No program folder chosen yet: the documents folder is not searched.
  ASSERT_EQ(index.locations.size(), 1u);
  EXPECT_EQ(index.locations[0].kind, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN);

  const clap_preset_discovery_metadata_receiver receiver = Receiver(index);
  ASSERT_TRUE(provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, &receiver));
  provider->destroy(provider);
  ASSERT_EQ(index.presets.size(), 64u);
  for (int program = 0; program < 64; ++program) {
    EXPECT_EQ(index.presets[program].first, vst->ProgramNameIndexed(program));
    EXPECT_EQ(index.presets[program].second, std::to_string(program));
  }
  EXPECT_EQ(index.pluginIds.front(), "clap:example.harrowvale.kestrion");
  EXPECT_EQ(index.flags.front(), CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);

  auto* presets = clap->PluginExtension<clap_plugin_preset_load>(CLAP_EXT_PRESET_LOAD);
  ASSERT_NE(presets, nullptr);
  ASSERT_TRUE(presets->from_location(clap->Plugin(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, "41"));
  vst->SetProgram(41);
  ExpectSameTexts(*clap, *vst);
  EXPECT_EQ(clap->Rescans(), 1);
  for (const char* bad : {"64", "-1", "4x", ""})
    EXPECT_FALSE(presets->from_location(clap->Plugin(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, bad)) << bad;
  EXPECT_FALSE(
      presets->from_location(clap->Plugin(), CLAP_PRESET_DISCOVERY_LOCATION_FILE, "/no/such/file.fxp", nullptr));
  EXPECT_EQ(clap->Rescans(), 1);
}

// The program folder the user chose is offered as a location of program
// files; a file that does not load as a program is not listed.
TEST(ClapModule, ListsTheProgramFilesOfTheProgramFolder) {
  testfolders::UseFreshUserFolders();
  const std::string folder =
      (std::filesystem::path(testfolders::ConfigurationFile()).parent_path() / "programs").string();
  testfolders::WriteText(testfolders::ConfigurationFile(), "[Global]\nPath to Program Files=" + folder + "\n");
  const std::string program = platform::JoinPath(folder, "bright.fxp");
  const std::string foreign = platform::JoinPath(folder, "foreign.fxp");
  testfolders::WriteText(program, filetest::ParameterListProgram(std::vector<float>(70, 0.25f), "Bright Reed"));
  testfolders::WriteText(foreign, filetest::ParameterListProgram(std::vector<float>(70, 0.25f), "Other", -1, "abcd"));

  auto clap = LoadClap();
  Index index;
  clap_preset_discovery_indexer indexer;
  const clap_preset_discovery_provider* provider = CreateProvider(*clap, index, indexer);
  ASSERT_NE(provider, nullptr);
  ASSERT_TRUE(provider->init(provider));
  ASSERT_EQ(index.locations.size(), 2u);
  EXPECT_EQ(index.locations[1].kind, CLAP_PRESET_DISCOVERY_LOCATION_FILE);
  EXPECT_EQ(index.locationPaths[1], folder);
  EXPECT_EQ(index.fileTypes, std::vector<std::string>{"fxp"});

  const clap_preset_discovery_metadata_receiver receiver = Receiver(index);
  EXPECT_TRUE(provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_FILE, program.c_str(), &receiver));
  EXPECT_FALSE(provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_FILE, foreign.c_str(), &receiver));
  // Reading files leaves the listed programs as they were.
  EXPECT_TRUE(provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, &receiver));
  provider->destroy(provider);
  ASSERT_EQ(index.presets.size(), 65u);
  EXPECT_EQ(index.presets[0], (std::pair<std::string, std::string>{"Bright Reed", ""}));
  EXPECT_EQ(index.flags[0], CLAP_PRESET_DISCOVERY_IS_USER_CONTENT);
  EXPECT_EQ(index.errors.size(), 1u);
  EXPECT_NE(index.presets[1].first, "Bright Reed");

  auto* presets = clap->PluginExtension<clap_plugin_preset_load>(CLAP_EXT_PRESET_LOAD);
  ASSERT_TRUE(presets->from_location(clap->Plugin(), CLAP_PRESET_DISCOVERY_LOCATION_FILE, program.c_str(), nullptr));
  EXPECT_NEAR(clap->ParamValue(kCutoff), 0.25, 1e-6);
}

// The main thread saves and restores the state and selects programs while
// the audio thread plays and automates: every block stays finite, and the
// thread checker finds no race.
TEST(ClapConcurrency, TheMainThreadRestoresWhileTheAudioThreadPlays) {
  auto host = LoadClap();
  ASSERT_TRUE(host->Activate(kRate, kBlock));
  std::vector<std::uint8_t> state;
  ASSERT_TRUE(host->SaveState(&state));
  auto* presets = host->PluginExtension<clap_plugin_preset_load>(CLAP_EXT_PRESET_LOAD);
  std::atomic<bool> playing{true};
  std::atomic<bool> finite{true};
  std::thread audio([&] {
    for (int block = 0; playing.load(); ++block) {
      std::vector<claphost::Event> events;
      if (block % 8 == 0) events.push_back(claphost::NoteOn(3, 48 + block % 12, 0.8));
      if (block % 8 == 4) events.push_back(claphost::NoteOff(0, 48 + (block - 4) % 12));
      events.push_back(claphost::ParamValue(17, kCutoff, (block % 100) / 100.0));
      host->Process(kBlock, events);
      for (double sample : host->Left()) finite = finite && std::isfinite(sample);
    }
  });
  for (int round = 0; round < 40; ++round) {
    EXPECT_TRUE(host->LoadState(state));
    presets->from_location(host->Plugin(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr,
                           std::to_string(round % 64).c_str());
    std::vector<std::uint8_t> saved;
    EXPECT_TRUE(host->SaveState(&saved));
    host->ValueToText(kCutoff, host->ParamValue(kCutoff));
  }
  playing = false;
  audio.join();
  EXPECT_TRUE(finite);
}
