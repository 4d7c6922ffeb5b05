// kestrion-render: plays a MIDI file through a VST 2.4 instrument into a WAV file.
#include <iostream>
#include <string>
#include <vector>

#include "tools/render/RenderTool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return render::RunRenderTool(args, std::cout, std::cerr);
}
