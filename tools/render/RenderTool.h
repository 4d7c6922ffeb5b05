// The kestrion-render program as a function, so that tests can run it in
// their own process: command line in, report on `out`, one-line errors on `err`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/render/MidiPlayback.h"
#include "tools/vsthost/VstHost.h"

namespace render {

struct ParameterSetting {
  std::string parameter;  // a name as the plug-in shows it, or an index
  std::string value;
  bool normalised = false;  // --norm: a 0..1 value; --set: the plug-in's display text
};

struct RenderOptions {
  RenderSettings settings;
  bool pcm24 = false;
  bool info = false;
  bool help = false;
  int program = -1;  // none
  std::vector<ParameterSetting> parameters;
  std::string pluginPath, midiPath, outputPath;
};

// `args` without the program name. Returns an empty text or what is wrong.
std::string ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options);

// The index of the parameter called `parameter`, or given by its number; -1 if none.
int FindParameter(const vsthost::VstHost& host, const std::string& parameter);

// Applies one --set or --norm; returns an empty text or what went wrong.
std::string ApplyParameterSetting(vsthost::VstHost& host, const ParameterSetting& setting);

// The --info listing of an open instance.
std::string DescribePlugin(const vsthost::VstHost& host);

// Returns the exit code: 0 done, 1 bad input of any kind.
int RunRenderTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace render
