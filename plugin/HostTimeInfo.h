// The transport snapshot the instrument keeps between blocks; fields the
// host does not report keep their previous values.
#pragma once

struct HostTimeInfo {
  double tempo = 120.0;
  double samplePosition = -1.0;
  double quarterNotePosition = -1.0;
  double lastBarStart = -1.0;
  double cycleStart = -1.0;
  double cycleEnd = -1.0;
  int numerator = 4;
  int denominator = 4;
  bool playing = false;
  bool looping = false;
};
