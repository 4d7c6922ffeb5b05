// One audio channel of the plug-in: what the renderer reads or writes, and
// the scratch storage that stands in for the host's buffer.
#pragma once

#include <string>
#include <vector>

struct IChannel {
  bool connected = false;
  double** slot = nullptr;        // the channel's entry in the pointer array
  float* hostBuffer = nullptr;    // outputs only: the host's float buffer of this call
  std::vector<double> scratch;
  std::string label;
};
