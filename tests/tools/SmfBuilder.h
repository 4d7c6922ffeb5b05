// Builds Standard MIDI Files byte by byte for the tests, so that each test
// shows exactly which bytes the reader is given.
#pragma once

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace smftest {

using Bytes = std::vector<std::uint8_t>;

inline void PutVariableLength(Bytes& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int count = 0;
  do {
    groups[count++] = value & 0x7F;
    value >>= 7;
  } while (value);
  while (count > 1) out.push_back(groups[--count] | 0x80);
  out.push_back(groups[0]);
}

inline void PutBigEndian(Bytes& out, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back((value >> (8 * i)) & 0xFF);
}

// The events of one track; each call appends a delta time and the event bytes.
class Track {
 public:
  Track& Event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
    PutVariableLength(bytes_, delta);
    bytes_.insert(bytes_.end(), bytes);
    return *this;
  }
  Track& Tempo(std::uint32_t delta, std::uint32_t microsecondsPerQuarter) {
    PutVariableLength(bytes_, delta);
    bytes_.insert(bytes_.end(), {0xFF, 0x51, 0x03});
    PutBigEndian(bytes_, microsecondsPerQuarter, 3);
    return *this;
  }
  Track& TimeSignature(std::uint32_t delta, std::uint8_t numerator, std::uint8_t denominatorPower) {
    return Event(delta, {0xFF, 0x58, 0x04, numerator, denominatorPower, 24, 8});
  }
  Track& SysEx(std::uint32_t delta, std::initializer_list<std::uint8_t> body) {
    PutVariableLength(bytes_, delta);
    bytes_.push_back(0xF0);
    PutVariableLength(bytes_, static_cast<std::uint32_t>(body.size()));
    bytes_.insert(bytes_.end(), body);
    return *this;
  }
  Track& End(std::uint32_t delta = 0) { return Event(delta, {0xFF, 0x2F, 0x00}); }

  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

inline Bytes Smf(std::uint16_t format, std::uint16_t ticksPerQuarter, const std::vector<Track>& tracks) {
  Bytes out = {'M', 'T', 'h', 'd'};
  PutBigEndian(out, 6, 4);
  PutBigEndian(out, format, 2);
  PutBigEndian(out, static_cast<std::uint32_t>(tracks.size()), 2);
  PutBigEndian(out, ticksPerQuarter, 2);
  for (const Track& track : tracks) {
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    PutBigEndian(out, static_cast<std::uint32_t>(track.bytes().size()), 4);
    out.insert(out.end(), track.bytes().begin(), track.bytes().end());
  }
  return out;
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace smftest
