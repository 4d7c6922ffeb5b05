#include "tools/render/MidiFile.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace render {

namespace {

constexpr std::size_t kChunkHeaderSize = 8;  // four-character type, big-endian length
constexpr std::uint32_t kMinimumHeaderLength = 6;
constexpr std::uint32_t kMaximumDeltaBytes = 4;
constexpr std::uint8_t kMetaEvent = 0xFF;
constexpr std::uint8_t kSysExStart = 0xF0;
constexpr std::uint8_t kSysExEscape = 0xF7;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr std::uint8_t kMetaTempo = 0x51;
constexpr std::uint8_t kMetaTimeSignature = 0x58;
constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kDefaultReleaseVelocity = 64;
constexpr int kLargestDenominatorPower = 6;  // x/64

std::string At(std::size_t offset) { return " at byte " + std::to_string(offset); }

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

std::uint32_t ReadBigEndian32(const std::uint8_t* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
}

std::uint16_t ReadBigEndian16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }

// What one track chunk contributes to the file.
struct TrackContents {
  std::vector<MidiFileEvent> events;
  std::vector<TempoChange> tempoChanges;
  std::vector<TimeSignatureChange> timeSignatureChanges;
  std::uint64_t endTick = 0;
};

// Walks the events of one track chunk [begin, end) of the file.
class TrackReader {
 public:
  TrackReader(const std::uint8_t* file, std::size_t begin, std::size_t end, std::int32_t track)
      : file_(file), position_(begin), end_(end), track_(track) {}

  std::string Read(TrackContents& contents) {
    std::uint64_t tick = 0;
    std::uint8_t runningStatus = 0;
    while (position_ < end_) {
      const std::size_t eventStart = position_;
      std::uint32_t delta = 0;
      std::string error = ReadVariableLength(delta);
      if (!error.empty()) return error;
      tick += delta;
      contents.endTick = tick;

      std::uint8_t status = 0;
      if (!ReadByte(status)) return Truncated(eventStart);

      if (status == kMetaEvent) {
        runningStatus = 0;  // meta events cancel running status
        std::uint8_t type = 0;
        if (!ReadByte(type)) return Truncated(eventStart);
        std::uint32_t length = 0;
        error = ReadVariableLength(length);
        if (!error.empty()) return error;
        if (length > end_ - position_) return Truncated(eventStart);
        const std::uint8_t* data = file_ + position_;
        position_ += length;
        if (type == kMetaEndOfTrack) return {};
        if (type == kMetaTempo) {
          if (length != 3) return Where("tempo event of " + std::to_string(length) + " bytes", eventStart);
          std::uint32_t micros = (std::uint32_t(data[0]) << 16) | (std::uint32_t(data[1]) << 8) | data[2];
          if (micros == 0) return Where("tempo of zero microseconds per quarter note", eventStart);
          contents.tempoChanges.push_back({tick, micros});
        } else if (type == kMetaTimeSignature) {
          if (length < 2) return Where("time signature of " + std::to_string(length) + " bytes", eventStart);
          if (data[0] == 0 || data[1] > kLargestDenominatorPower)
            return Where("time signature " + std::to_string(data[0]) + "/2^" + std::to_string(data[1]), eventStart);
          contents.timeSignatureChanges.push_back({tick, data[0], 1 << data[1]});
        }
        continue;  // texts, markers, key signatures and the rest do not sound
      }

      if (status == kSysExStart || status == kSysExEscape) {
        runningStatus = 0;
        std::uint32_t length = 0;
        error = ReadVariableLength(length);
        if (!error.empty()) return error;
        if (length > end_ - position_) return Truncated(eventStart);
        const std::uint8_t* data = file_ + position_;
        position_ += length;
        // Only complete dumps reach the plug-in; continuation packets and
        // escaped bytes have no place in one effProcessEvents entry.
        if (status == kSysExStart && length > 0 && data[length - 1] == kSysExEscape) {
          MidiFileEvent event{tick, track_, {kSysExStart}};
          event.bytes.insert(event.bytes.end(), data, data + length);
          contents.events.push_back(std::move(event));
        }
        continue;
      }

      std::uint8_t firstData = 0;
      bool haveFirstData = false;
      if (status < 0x80) {
        if (runningStatus == 0) return Where("running status without a previous status", eventStart);
        firstData = status;
        haveFirstData = true;
        status = runningStatus;
      } else if (status >= 0xF0) {
        return Where("unexpected status " + Hex(status), eventStart);
      }
      runningStatus = status;

      const std::uint8_t kind = status & 0xF0;
      const int dataCount = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
      std::uint8_t data[2] = {0, 0};
      for (int i = 0; i < dataCount; ++i) {
        if (i == 0 && haveFirstData) {
          data[0] = firstData;
          continue;
        }
        const std::size_t at = position_;
        if (!ReadByte(data[i])) return Truncated(eventStart);
        if (data[i] >= 0x80) return Where("status byte " + Hex(data[i]) + " inside a message", at);
      }

      MidiFileEvent event{tick, track_, {status, data[0]}};
      if (dataCount == 2) event.bytes.push_back(data[1]);
      if (kind == kNoteOn && data[1] == 0) {
        event.bytes[0] = static_cast<std::uint8_t>(kNoteOff | (status & 0x0F));
        event.bytes[2] = kDefaultReleaseVelocity;
      }
      contents.events.push_back(std::move(event));
    }
    return {};  // a track without an end-of-track event ends with its chunk
  }

 private:
  bool ReadByte(std::uint8_t& value) {
    if (position_ >= end_) return false;
    value = file_[position_++];
    return true;
  }

  std::string ReadVariableLength(std::uint32_t& value) {
    const std::size_t start = position_;
    value = 0;
    for (std::uint32_t count = 0; count < kMaximumDeltaBytes; ++count) {
      std::uint8_t byte = 0;
      if (!ReadByte(byte)) return Truncated(start);
      value = (value << 7) | (byte & 0x7F);
      if (!(byte & 0x80)) return {};
    }
    return Where("variable-length number longer than 4 bytes", start);
  }

  std::string Where(const std::string& what, std::size_t offset) const {
    return "track " + std::to_string(track_ + 1) + ": " + what + At(offset);
  }

  std::string Truncated(std::size_t offset) const { return Where("event cut short", offset); }

  const std::uint8_t* file_;
  std::size_t position_;
  std::size_t end_;
  std::int32_t track_;
};

// Later changes at the same tick replace earlier ones.
template <typename Change>
void OrderChanges(std::vector<Change>& changes) {
  std::stable_sort(changes.begin(), changes.end(), [](const Change& a, const Change& b) { return a.tick < b.tick; });
  std::vector<Change> kept;
  for (const Change& change : changes) {
    if (!kept.empty() && kept.back().tick == change.tick)
      kept.back() = change;
    else
      kept.push_back(change);
  }
  changes.swap(kept);
}

}  // namespace

std::string ReadMidiFile(const std::uint8_t* data, std::size_t size, MidiFile& file) {
  if (size < kChunkHeaderSize || std::string(reinterpret_cast<const char*>(data), 4) != "MThd")
    return "not a Standard MIDI File (no MThd header)";
  const std::uint32_t headerLength = ReadBigEndian32(data + 4);
  if (headerLength < kMinimumHeaderLength) return "header of " + std::to_string(headerLength) + " bytes is too short";
  if (headerLength > size - kChunkHeaderSize) return "header cut short";
  const std::uint8_t* header = data + kChunkHeaderSize;
  const std::uint16_t format = ReadBigEndian16(header);
  const std::uint16_t trackCount = ReadBigEndian16(header + 2);
  const std::uint16_t division = ReadBigEndian16(header + 4);
  if (format > 1) return "format " + std::to_string(format) + " is not supported (only 0 and 1)";
  if (trackCount == 0) return "the file has no tracks";
  if (format == 0 && trackCount != 1) return "format 0 file with " + std::to_string(trackCount) + " tracks";
  if (division & 0x8000) return "SMPTE time division is not supported";
  if (division == 0) return "time division of 0 ticks per quarter note";

  MidiFile result;
  result.format = format;
  result.trackCount = trackCount;
  result.ticksPerQuarter = division;

  std::size_t position = kChunkHeaderSize + headerLength;
  std::int32_t tracksRead = 0;
  while (tracksRead < trackCount) {
    if (size - position < kChunkHeaderSize)
      return "file ends after " + std::to_string(tracksRead) + " of " + std::to_string(trackCount) + " tracks" +
             At(position);
    const std::string type(reinterpret_cast<const char*>(data + position), 4);
    const std::uint32_t length = ReadBigEndian32(data + position + 4);
    const std::size_t body = position + kChunkHeaderSize;
    if (length > size - body)
      return "chunk of " + std::to_string(length) + " bytes runs past the end of the file" + At(position);
    if (type == "MTrk") {
      TrackContents contents;
      TrackReader reader(data, body, body + length, tracksRead);
      std::string error = reader.Read(contents);
      if (!error.empty()) return error;
      std::move(contents.events.begin(), contents.events.end(), std::back_inserter(result.events));
      result.tempoChanges.insert(result.tempoChanges.end(), contents.tempoChanges.begin(), contents.tempoChanges.end());
      result.timeSignatureChanges.insert(result.timeSignatureChanges.end(), contents.timeSignatureChanges.begin(),
                                         contents.timeSignatureChanges.end());
      result.endTick = std::max(result.endTick, contents.endTick);
      ++tracksRead;
    }
    // Chunks of other types are skipped, as the format asks of readers.
    position = body + length;
  }

  // Tracks were appended in order, so equal ticks keep track and file order.
  std::stable_sort(result.events.begin(), result.events.end(),
                   [](const MidiFileEvent& a, const MidiFileEvent& b) { return a.tick < b.tick; });
  OrderChanges(result.tempoChanges);
  OrderChanges(result.timeSignatureChanges);
  file = std::move(result);
  return {};
}

std::string LoadMidiFile(const std::string& path, MidiFile& file) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "cannot open MIDI file '" + path + "'";
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return "cannot read MIDI file '" + path + "'";
  std::string error = ReadMidiFile(bytes.data(), bytes.size(), file);
  if (!error.empty()) return "MIDI file '" + path + "': " + error;
  return {};
}

}  // namespace render
