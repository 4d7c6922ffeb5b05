#include "tools/render/RenderTool.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "platform/FileSystem.h"
#include "tools/render/LevelSummary.h"
#include "tools/render/MidiFile.h"
#include "tools/render/TempoMap.h"
#include "tools/render/WavWriter.h"

namespace render {

namespace {

constexpr const char* kProgramName = "kestrion-render";
constexpr const char* kUsage =
    "usage: kestrion-render [options] PLUGIN MIDI-FILE OUT.wav | kestrion-render --info PLUGIN";
constexpr const char* kOptionHelp =
    "  --rate HZ          sample rate (default 44100)\n"
    "  --block N          block size in frames (default 512)\n"
    "  --tail SECONDS     rendered after the last event (default 2)\n"
    "  --program N        program selected before rendering\n"
    "  --set NAME=VALUE   parameter by name or index, VALUE as the plug-in displays it\n"
    "  --norm NAME=X      parameter by name or index, X normalised from 0 to 1\n"
    "  --pcm24            write 24-bit PCM instead of 32-bit float\n"
    "  --info             list the plug-in's identity, parameters and programs\n";
constexpr long kMaximumRate = 1000000;
constexpr long kMaximumBlock = 65536;
constexpr double kMaximumTailSeconds = 3600;
// Rendered audio is kept in memory; an hour is far beyond any demo.
constexpr double kMaximumRenderSeconds = 3600;

bool ParseInteger(const std::string& text, long minimum, long maximum, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (errno || *end || parsed < minimum || parsed > maximum) return false;
  value = parsed;
  return true;
}

bool ParseNumber(const std::string& text, double minimum, double maximum, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double parsed = std::strtod(text.c_str(), &end);
  if (*end || !(parsed >= minimum && parsed <= maximum)) return false;
  value = parsed;
  return true;
}

std::string FourCharacters(std::int32_t id) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((static_cast<std::uint32_t>(id) >> shift) & 0xFF);
    text += (c >= 0x20 && c < 0x7F) ? c : '.';
  }
  return text;
}

}  // namespace

std::string ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options) {
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string option = args[i];
    if (option.size() < 2 || option.compare(0, 2, "--") != 0 || option == "--") {
      positional.push_back(option);
      continue;
    }
    std::string value;
    bool hasValue = false;
    const std::size_t equals = option.find('=');
    if (equals != std::string::npos) {
      value = option.substr(equals + 1);
      option = option.substr(0, equals);
      hasValue = true;
    }
    auto takesValue = [&]() -> bool {
      if (hasValue) return true;
      if (i + 1 >= args.size()) return false;
      value = args[++i];
      return true;
    };
    auto refusesValue = [&]() { return !hasValue; };

    if (option == "--help") {
      if (!refusesValue()) return "option --help takes no value";
      options.help = true;
    } else if (option == "--info") {
      if (!refusesValue()) return "option --info takes no value";
      options.info = true;
    } else if (option == "--pcm24") {
      if (!refusesValue()) return "option --pcm24 takes no value";
      options.pcm24 = true;
    } else if (option == "--rate" || option == "--block" || option == "--program" || option == "--tail" ||
               option == "--set" || option == "--norm") {
      if (!takesValue()) return "option " + option + " needs a value";
      long number = 0;
      if (option == "--rate") {
        if (!ParseInteger(value, 1, kMaximumRate, number))
          return "--rate '" + value + "' is not a sample rate from 1 to 1000000 Hz";
        options.settings.sampleRate = static_cast<double>(number);
      } else if (option == "--block") {
        if (!ParseInteger(value, 1, kMaximumBlock, number))
          return "--block '" + value + "' is not a block size from 1 to 65536";
        options.settings.blockSize = static_cast<std::int32_t>(number);
      } else if (option == "--program") {
        if (!ParseInteger(value, 0, 0x7FFFFFFF, number)) return "--program '" + value + "' is not a program number";
        options.program = static_cast<int>(number);
      } else if (option == "--tail") {
        if (!ParseNumber(value, 0, kMaximumTailSeconds, options.settings.tailSeconds))
          return "--tail '" + value + "' is not a number of seconds from 0 to 3600";
      } else {
        const std::size_t split = value.find('=');
        if (split == std::string::npos || split == 0) return option + " '" + value + "' is not of the form NAME=VALUE";
        ParameterSetting setting;
        setting.parameter = value.substr(0, split);
        setting.value = value.substr(split + 1);
        setting.normalised = option == "--norm";
        double normalised = 0;
        if (setting.normalised && !ParseNumber(setting.value, 0, 1, normalised))
          return "--norm value '" + setting.value + "' is not a number from 0 to 1";
        options.parameters.push_back(setting);
      }
    } else {
      return "unknown option '" + option + "'";
    }
  }

  if (options.help) return {};
  const std::size_t wanted = options.info ? 1 : 3;
  if (positional.size() != wanted) return kUsage;
  options.pluginPath = positional[0];
  if (!options.info) {
    options.midiPath = positional[1];
    options.outputPath = positional[2];
  }
  return {};
}

int FindParameter(const vsthost::VstHost& host, const std::string& parameter) {
  const vst::AEffect* effect = host.Effect();
  if (!effect) return -1;
  for (int i = 0; i < effect->numParams; ++i)
    if (host.ParameterName(i) == parameter) return i;
  long index = 0;
  if (ParseInteger(parameter, 0, effect->numParams - 1L, index)) return static_cast<int>(index);
  return -1;
}

std::string ApplyParameterSetting(vsthost::VstHost& host, const ParameterSetting& setting) {
  const int index = FindParameter(host, setting.parameter);
  if (index < 0) return "unknown parameter '" + setting.parameter + "'";
  if (setting.normalised) {
    double value = 0;
    if (!ParseNumber(setting.value, 0, 1, value))
      return "--norm value '" + setting.value + "' is not a number from 0 to 1";
    host.SetParameter(index, static_cast<float>(value));
    return {};
  }
  if (!host.StringToParameter(index, setting.value))
    return "parameter '" + setting.parameter + "' does not accept the value '" + setting.value + "'";
  return {};
}

std::string DescribePlugin(const vsthost::VstHost& host) {
  const vst::AEffect* effect = host.Effect();
  if (!effect) return {};
  char line[512];
  std::string text;
  text += "effect:     " + host.EffectName() + "\n";
  text += "vendor:     " + host.PluginVendor() + "\n";
  text += "product:    " + host.PluginProduct() + "\n";
  std::snprintf(line, sizeof line, "version:    %d (vendor version %d)\n", effect->version, host.PluginVendorVersion());
  text += line;
  std::snprintf(line, sizeof line, "unique ID:  '%s' (0x%08X)\n", FourCharacters(effect->uniqueID).c_str(),
                static_cast<unsigned>(effect->uniqueID));
  text += line;
  std::snprintf(line, sizeof line, "flags:      0x%08X\n", static_cast<unsigned>(effect->flags));
  text += line;
  std::snprintf(line, sizeof line, "programs: %d  parameters: %d  inputs: %d  outputs: %d\n", effect->numPrograms,
                effect->numParams, effect->numInputs, effect->numOutputs);
  text += line;
  text += "parameters:\n";
  for (int i = 0; i < effect->numParams; ++i) {
    std::snprintf(line, sizeof line, "  %3d  %-24s %s %s\n", i, host.ParameterName(i).c_str(),
                  host.ParameterDisplay(i).c_str(), host.ParameterLabel(i).c_str());
    text += line;
  }
  text += "programs:\n";
  for (int i = 0; i < effect->numPrograms; ++i) {
    std::snprintf(line, sizeof line, "  %3d  %s\n", i, host.ProgramNameIndexed(i).c_str());
    text += line;
  }
  return text;
}

namespace {

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  auto fail = [&](const std::string& why) {
    err << kProgramName << ": " << why << "\n";
    return 1;
  };

  RenderOptions options;
  std::string error = ParseRenderOptions(args, options);
  if (!error.empty()) return fail(error);
  if (options.help) {
    out << kUsage << "\n" << kOptionHelp;
    return 0;
  }

  // The file is checked before any plug-in code runs.
  MidiFile file;
  if (!options.info) {
    error = LoadMidiFile(options.midiPath, file);
    if (!error.empty()) return fail(error);
    const TempoMap tempo(file);
    if (tempo.SecondsAt(file.endTick) + options.settings.tailSeconds > kMaximumRenderSeconds)
      return fail("MIDI file '" + options.midiPath + "' lasts longer than an hour");
  }

  vsthost::VstHost host;
  host.SetProductString(kProgramName);
  host.SetProcessLevel(vst::kVstProcessLevelOffline);
  // A bare file name means the file in this folder, not a library the
  // system would look for on its search path.
  std::string pluginPath = options.pluginPath;
  if (pluginPath.find_first_of("/\\") == std::string::npos) pluginPath = platform::JoinPath(".", pluginPath);
  if (!host.Load(pluginPath, &error)) return fail(error);
  host.Open();

  if (options.info) {
    out << DescribePlugin(host);
    host.Close();
    return 0;
  }

  host.SetSampleRate(options.settings.sampleRate);
  host.SetBlockSize(options.settings.blockSize);
  if (options.program >= 0) {
    const int programs = host.Effect()->numPrograms;
    if (options.program >= programs) {
      host.Close();
      return fail("program " + std::to_string(options.program) + " does not exist (the plug-in has " +
                  std::to_string(programs) + ")");
    }
    host.SetProgram(options.program);
  }
  for (const ParameterSetting& setting : options.parameters) {
    error = ApplyParameterSetting(host, setting);
    if (!error.empty()) {
      host.Close();
      return fail(error);
    }
  }

  host.SetActive(true);
  std::vector<std::vector<float>> audio;
  error = RenderMidiFile(host, file, options.settings, audio);
  host.SetActive(false);
  host.Close();
  if (!error.empty()) return fail(error);

  const WavSampleFormat format = options.pcm24 ? WavSampleFormat::kPcm24 : WavSampleFormat::kFloat32;
  if (!WriteWavFile(options.outputPath, audio, static_cast<std::uint32_t>(options.settings.sampleRate), format, &error))
    return fail(error);

  const std::size_t frames = audio.empty() ? 0 : audio[0].size();
  char line[512];
  std::snprintf(line, sizeof line, "rendered %.3f s (%llu frames at %.0f Hz, block %d) to %s (%s)\n",
                frames / options.settings.sampleRate, static_cast<unsigned long long>(frames),
                options.settings.sampleRate, options.settings.blockSize, options.outputPath.c_str(),
                options.pcm24 ? "24-bit PCM" : "32-bit float");
  out << line << FormatLevelSummary(MeasureLevels(audio));
  return 0;
}

}  // namespace

int RunRenderTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    return Run(args, out, err);
  } catch (const std::exception& e) {
    err << kProgramName << ": " << e.what() << "\n";
    return 1;
  }
}

}  // namespace render
