#include "plugin/StateBuffer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

// The target is little-endian; these spell the byte order out so the format
// does not depend on a cast.
void PutLittleEndian32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

std::uint32_t GetLittleEndian32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

StateBuffer::StateBuffer(int granularity) : granularity_(granularity > 0 ? granularity : 1) {}

bool StateBuffer::Reserve(int n) {
  if (n < 0) return false;
  if (static_cast<size_t>(n) <= bytes_.size()) return true;
  // Grow by at least the granularity or half the size, so appends stay cheap.
  long long target =
      std::max<long long>(static_cast<long long>(bytes_.size()) + std::max<long long>(granularity_, size_ / 2), n);
  target = std::min<long long>(target, std::numeric_limits<int>::max());
  try {
    bytes_.resize(static_cast<size_t>(target));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

int StateBuffer::Resize(int n) {
  int previous = size_;
  if (n < 0) n = 0;
  if (!Reserve(n)) return previous;
  if (n > size_) std::memset(bytes_.data() + size_, 0, static_cast<size_t>(n - size_));
  size_ = n;
  return previous;
}

int StateBuffer::AppendBytes(const void* p, int n) {
  if (n <= 0) return size_;
  if (size_ > std::numeric_limits<int>::max() - n || !Reserve(size_ + n)) return size_;
  std::memcpy(bytes_.data() + size_, p, static_cast<size_t>(n));
  size_ += n;
  return size_;
}

int StateBuffer::AppendInt32(std::int32_t v) {
  std::uint8_t b[4];
  PutLittleEndian32(b, static_cast<std::uint32_t>(v));
  return AppendBytes(b, 4);
}

int StateBuffer::AppendDouble(double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, 8);
  std::uint8_t b[8];
  PutLittleEndian32(b, static_cast<std::uint32_t>(bits));
  PutLittleEndian32(b + 4, static_cast<std::uint32_t>(bits >> 32));
  return AppendBytes(b, 8);
}

int StateBuffer::AppendByte(std::uint8_t v) { return AppendBytes(&v, 1); }

int StateBuffer::AppendString(const char* s) {
  size_t length = s ? std::strlen(s) : 0;
  if (length > static_cast<size_t>(std::numeric_limits<int>::max() - 4)) return size_;
  AppendInt32(static_cast<std::int32_t>(length));
  return AppendBytes(s, static_cast<int>(length));
}

int StateBuffer::Remaining(int position) const {
  if (position < 0 || position >= size_) return 0;
  return size_ - position;
}

int StateBuffer::ReadInt32(int position, std::int32_t* out) const {
  if (Remaining(position) < 4) return -1;
  *out = static_cast<std::int32_t>(GetLittleEndian32(bytes_.data() + position));
  return position + 4;
}

int StateBuffer::ReadDouble(int position, double* out) const {
  if (Remaining(position) < 8) return -1;
  std::uint64_t bits = GetLittleEndian32(bytes_.data() + position) |
                       static_cast<std::uint64_t>(GetLittleEndian32(bytes_.data() + position + 4)) << 32;
  std::memcpy(out, &bits, 8);
  return position + 8;
}

int StateBuffer::ReadByte(int position, std::uint8_t* out) const {
  if (Remaining(position) < 1) return -1;
  *out = bytes_[static_cast<size_t>(position)];
  return position + 1;
}

int StateBuffer::ReadString(int position, char* out, int capacity) const {
  std::int32_t length = 0;
  int start = ReadInt32(position, &length);
  if (start < 0) return -1;
  // Computed in 64 bits: a hostile length must not overflow the position.
  long long end = static_cast<long long>(start) + length;
  if (end > size_)
    return end > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(end);
  if (end < start) end = start;  // a negative length reads as empty
  if (capacity <= 0) return static_cast<int>(end);
  int copy = std::min<int>(std::max<std::int32_t>(length, 0), capacity - 1);
  const std::uint8_t* from = bytes_.data() + start;
  int n = 0;
  while (n < copy && from[n] != 0) {
    out[n] = static_cast<char>(from[n]);
    ++n;
  }
  out[n] = 0;
  return static_cast<int>(end);
}

void WriteChunkHeader(StateBuffer& buffer) {
  buffer.Clear();
  buffer.AppendInt32(static_cast<std::int32_t>(kChunkMarker));
  buffer.AppendInt32(static_cast<std::int32_t>(kChunkVersion));
}

std::uint32_t ReadChunkHeader(const StateBuffer& buffer, int& position) {
  std::int32_t marker = 0;
  if (buffer.ReadInt32(position, &marker) < 0 || static_cast<std::uint32_t>(marker) != kChunkMarker) return 0;
  std::int32_t version = 0;
  if (buffer.ReadInt32(position + 4, &version) < 0) {
    position = -1;
    return 0;
  }
  position += 8;
  return static_cast<std::uint32_t>(version);
}
