#include "tools/render/WavWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

namespace render {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatIeeeFloat = 3;
constexpr std::uint32_t kPcmFormatChunkSize = 16;
// Formats other than PCM carry the extension size field (0) and a fact chunk.
constexpr std::uint32_t kFloatFormatChunkSize = 18;
constexpr std::uint32_t kFactChunkSize = 4;
constexpr double kPcm24FullScale = 8388607.0;

void PutLittleEndian16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(value & 0xFF);
  out.push_back(value >> 8);
}

void PutLittleEndian24(std::vector<std::uint8_t>& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  out.push_back(bits & 0xFF);
  out.push_back((bits >> 8) & 0xFF);
  out.push_back((bits >> 16) & 0xFF);
}

void PutLittleEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back((value >> shift) & 0xFF);
}

void PutLittleEndianFloat(std::vector<std::uint8_t>& out, float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  PutLittleEndian32(out, bits);
}

void PutTag(std::vector<std::uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

std::int32_t ToPcm24(float sample) {
  if (std::isnan(sample)) return 0;
  const double clamped = std::min(1.0, std::max(-1.0, static_cast<double>(sample)));
  return static_cast<std::int32_t>(std::lround(clamped * kPcm24FullScale));
}

}  // namespace

std::vector<std::uint8_t> EncodeWav(const std::vector<std::vector<float>>& channels, std::uint32_t sampleRate,
                                    WavSampleFormat format) {
  const bool isFloat = format == WavSampleFormat::kFloat32;
  const auto channelCount = static_cast<std::uint16_t>(channels.size());
  const std::uint32_t frames = channels.empty() ? 0 : static_cast<std::uint32_t>(channels[0].size());
  const std::uint16_t bytesPerSample = isFloat ? 4 : 3;
  const std::uint16_t blockAlign = channelCount * bytesPerSample;
  const std::uint32_t dataSize = frames * blockAlign;
  const std::uint32_t padding = dataSize & 1;  // chunks start on even offsets
  const std::uint32_t formatSize = isFloat ? kFloatFormatChunkSize : kPcmFormatChunkSize;
  const std::uint32_t riffSize = 4 + (8 + formatSize) + (isFloat ? 8 + kFactChunkSize : 0) + (8 + dataSize + padding);

  std::vector<std::uint8_t> out;
  out.reserve(8 + riffSize);
  PutTag(out, "RIFF");
  PutLittleEndian32(out, riffSize);
  PutTag(out, "WAVE");

  PutTag(out, "fmt ");
  PutLittleEndian32(out, formatSize);
  PutLittleEndian16(out, isFloat ? kFormatIeeeFloat : kFormatPcm);
  PutLittleEndian16(out, channelCount);
  PutLittleEndian32(out, sampleRate);
  PutLittleEndian32(out, sampleRate * blockAlign);
  PutLittleEndian16(out, blockAlign);
  PutLittleEndian16(out, bytesPerSample * 8);
  if (isFloat) {
    PutLittleEndian16(out, 0);
    PutTag(out, "fact");
    PutLittleEndian32(out, kFactChunkSize);
    PutLittleEndian32(out, frames);
  }

  PutTag(out, "data");
  PutLittleEndian32(out, dataSize);
  for (std::uint32_t i = 0; i < frames; ++i) {
    for (const std::vector<float>& channel : channels) {
      if (isFloat)
        PutLittleEndianFloat(out, channel[i]);
      else
        PutLittleEndian24(out, ToPcm24(channel[i]));
    }
  }
  if (padding) out.push_back(0);
  return out;
}

bool WriteWavFile(const std::string& path, const std::vector<std::vector<float>>& channels, std::uint32_t sampleRate,
                  WavSampleFormat format, std::string* error) {
  const std::vector<std::uint8_t> bytes = EncodeWav(channels, sampleRate, format);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (out) out.close();
  if (!out) {
    if (error) *error = "cannot write WAV file '" + path + "'";
    return false;
  }
  return true;
}

}  // namespace render
