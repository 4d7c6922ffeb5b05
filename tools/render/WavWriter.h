// RIFF WAVE files of rendered audio: 32-bit IEEE float or 24-bit PCM,
// channels interleaved, little-endian throughout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace render {

enum class WavSampleFormat { kFloat32, kPcm24 };

// `channels` hold equally many frames each.
std::vector<std::uint8_t> EncodeWav(const std::vector<std::vector<float>>& channels, std::uint32_t sampleRate,
                                    WavSampleFormat format);
bool WriteWavFile(const std::string& path, const std::vector<std::vector<float>>& channels, std::uint32_t sampleRate,
                  WavSampleFormat format, std::string* error);

}  // namespace render
