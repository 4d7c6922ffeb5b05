// A growable little-endian byte buffer: every chunk, preset state, program
// record and file body is built in one. Reads take a position and return the
// next one, or -1 when the data runs out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class StateBuffer {
 public:
  static constexpr int kGranularity = 4096;

  explicit StateBuffer(int granularity = kGranularity);

  void Clear() { size_ = 0; }
  int Resize(int n);  // returns the previous size; new bytes are zero
  int Size() const { return size_; }
  const std::uint8_t* Data() const { return size_ > 0 ? bytes_.data() : nullptr; }
  std::uint8_t* Data() { return size_ > 0 ? bytes_.data() : nullptr; }

  int AppendInt32(std::int32_t v);
  int AppendDouble(double v);
  int AppendByte(std::uint8_t v);
  int AppendBytes(const void* p, int n);
  int AppendString(const char* s);  // 32-bit length, then the characters

  // Bytes left from `position` (0 for a negative or past-the-end position).
  int Remaining(int position) const;

  // Each returns the position after the value or -1 when fewer bytes remain.
  int ReadInt32(int position, std::int32_t* out) const;
  int ReadDouble(int position, double* out) const;
  int ReadByte(int position, std::uint8_t* out) const;

  // Returns the position after the string; a length that runs past the end
  // returns that end position (beyond Size()) and leaves `out` unchanged.
  // `capacity` bounds what is copied into `out` (including the terminator).
  int ReadString(int position, char* out, int capacity) const;

 private:
  bool Reserve(int n);

  std::vector<std::uint8_t> bytes_;
  int size_ = 0;
  int granularity_;
};

// The chunk header at the start of every chunk exchanged with the host.
constexpr std::uint32_t kChunkMarker = 0x70666674;  // the bytes "tffp"
constexpr std::uint32_t kChunkVersion = 0x00010000;

void WriteChunkHeader(StateBuffer& buffer);
// Returns the version (0 without the marker); advances `position` past the
// header, or sets it to -1 when the marker is there but the version is not.
std::uint32_t ReadChunkHeader(const StateBuffer& buffer, int& position);
