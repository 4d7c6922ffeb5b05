#include "tools/render/WavWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "tools/render/LevelSummary.h"

namespace {

using render::WavSampleFormat;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32(const Bytes& b, std::size_t at) {
  return b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16) | (std::uint32_t(b.at(at + 3)) << 24);
}
std::uint16_t U16(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8)); }
std::string Tag(const Bytes& b, std::size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

TEST(WavWriter, FloatFileHasAnIeeeFloatFormatFactChunkAndLittleEndianSamples) {
  const Bytes wav = render::EncodeWav({{0.5f, -1.0f}, {0.25f, 2.0f}}, 48000, WavSampleFormat::kFloat32);
  ASSERT_EQ(wav.size(), 12u + 26 + 12 + 8 + 16);
  EXPECT_EQ(Tag(wav, 0), "RIFF");
  EXPECT_EQ(U32(wav, 4), wav.size() - 8);
  EXPECT_EQ(Tag(wav, 8), "WAVE");
  EXPECT_EQ(Tag(wav, 12), "fmt ");
  EXPECT_EQ(U32(wav, 16), 18u);
  EXPECT_EQ(U16(wav, 20), 3);  // IEEE float
  EXPECT_EQ(U16(wav, 22), 2);
  EXPECT_EQ(U32(wav, 24), 48000u);
  EXPECT_EQ(U32(wav, 28), 48000u * 8);
  EXPECT_EQ(U16(wav, 32), 8);
  EXPECT_EQ(U16(wav, 34), 32);
  EXPECT_EQ(U16(wav, 36), 0);  // no extension
  EXPECT_EQ(Tag(wav, 38), "fact");
  EXPECT_EQ(U32(wav, 42), 4u);
  EXPECT_EQ(U32(wav, 46), 2u);  // frames
  EXPECT_EQ(Tag(wav, 50), "data");
  EXPECT_EQ(U32(wav, 54), 16u);
  // Interleaved left, right; floats unchanged, even beyond full scale.
  EXPECT_EQ(U32(wav, 58), 0x3F000000u);  // 0.5
  EXPECT_EQ(U32(wav, 62), 0x3E800000u);  // 0.25
  EXPECT_EQ(U32(wav, 66), 0xBF800000u);  // -1
  EXPECT_EQ(U32(wav, 70), 0x40000000u);  // 2
}

TEST(WavWriter, Pcm24FileHasAPcmFormatAndClampedRoundedThreeByteSamples) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Bytes wav = render::EncodeWav({{1.0f, -1.0f, 0.5f}, {2.0f, nan, -0.000001f}}, 44100, WavSampleFormat::kPcm24);
  ASSERT_EQ(wav.size(), 12u + 24 + 8 + 18);
  EXPECT_EQ(U32(wav, 4), wav.size() - 8);
  EXPECT_EQ(U32(wav, 16), 16u);
  EXPECT_EQ(U16(wav, 20), 1);  // PCM
  EXPECT_EQ(U16(wav, 22), 2);
  EXPECT_EQ(U32(wav, 24), 44100u);
  EXPECT_EQ(U32(wav, 28), 44100u * 6);
  EXPECT_EQ(U16(wav, 32), 6);
  EXPECT_EQ(U16(wav, 34), 24);
  EXPECT_EQ(Tag(wav, 36), "data");
  EXPECT_EQ(U32(wav, 40), 18u);
  const Bytes samples(wav.begin() + 44, wav.end());
  const Bytes expected = {
      0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0x7F,  // 1.0 and 2.0 (clamped): +8388607
      0x01, 0x00, 0x80, 0x00, 0x00, 0x00,  // -1.0: -8388607; NaN: 0
      0x00, 0x00, 0x40, 0xF8, 0xFF, 0xFF,  // 0.5: 4194304 (4194303.5 rounded); -8
  };
  EXPECT_EQ(samples, expected);
}

TEST(WavWriter, OddDataIsPaddedToAnEvenChunkEnd) {
  const Bytes wav = render::EncodeWav({{0.0f}}, 8000, WavSampleFormat::kPcm24);
  EXPECT_EQ(U32(wav, 40), 3u);  // the data size leaves the pad byte out
  EXPECT_EQ(wav.size(), 44u + 4);
  EXPECT_EQ(U32(wav, 4), wav.size() - 8);
}

TEST(WavWriter, EmptyRenderStillMakesAValidFile) {
  const Bytes wav = render::EncodeWav({{}, {}}, 44100, WavSampleFormat::kFloat32);
  EXPECT_EQ(wav.size(), 58u);
  EXPECT_EQ(U32(wav, 46), 0u);
  EXPECT_EQ(U32(wav, 54), 0u);
}

TEST(WavWriter, UnwritablePathIsReportedNotThrown) {
  std::string error;
  EXPECT_FALSE(
      render::WriteWavFile("no/such/folder/out.wav", {{0.0f}, {0.0f}}, 44100, WavSampleFormat::kFloat32, &error));
  EXPECT_EQ(error, "cannot write WAV file 'no/such/folder/out.wav'");
}

TEST(LevelSummary, PeakRmsClippingAndDcArePerChannel) {
  const render::LevelSummary summary = render::MeasureLevels({{0.5f, -0.5f, 0.5f, -0.5f}, {1.5f, 0.5f, -1.0f, 1.0f}});
  ASSERT_EQ(summary.channels.size(), 2u);
  EXPECT_DOUBLE_EQ(summary.channels[0].peak, 0.5);
  EXPECT_DOUBLE_EQ(summary.channels[0].rms, 0.5);
  EXPECT_DOUBLE_EQ(summary.channels[0].dcOffset, 0.0);
  EXPECT_EQ(summary.channels[0].clippedSamples, 0);
  EXPECT_DOUBLE_EQ(summary.channels[1].peak, 1.5);
  EXPECT_DOUBLE_EQ(summary.channels[1].dcOffset, 0.5);
  EXPECT_EQ(summary.channels[1].clippedSamples, 1);  // exactly full scale does not clip
  EXPECT_FALSE(summary.silent);
  EXPECT_EQ(render::FormatDecibels(summary.channels[0].peak), "-6.02");
}

TEST(LevelSummary, OnlyExactZeroEverywhereIsSilent) {
  const render::LevelSummary silent = render::MeasureLevels({{0.0f, 0.0f}, {0.0f, -0.0f}});
  EXPECT_TRUE(silent.silent);
  EXPECT_EQ(render::FormatDecibels(silent.channels[0].peak), "-inf");
  const std::string text = render::FormatLevelSummary(silent);
  EXPECT_NE(text.find("left:  peak -inf dBFS"), std::string::npos) << text;
  EXPECT_NE(text.find("\nsilent\n"), std::string::npos) << text;

  const render::LevelSummary quiet = render::MeasureLevels({{0.0f, 1e-30f}, {0.0f, 0.0f}});
  EXPECT_FALSE(quiet.silent);
  EXPECT_EQ(render::FormatLevelSummary(quiet).find("silent"), std::string::npos);
}

TEST(LevelSummary, SummaryLinesNameTheChannelsAndTheirFigures) {
  const std::string text = render::FormatLevelSummary(render::MeasureLevels({{0.5f, 2.0f}, {-0.25f, 0.0f}}));
  EXPECT_EQ(text,
            "left:  peak 6.02 dBFS (2.000000)  RMS 3.27 dBFS (1.457738)  clipped 1  DC +1.250000\n"
            "right: peak -12.04 dBFS (0.250000)  RMS -15.05 dBFS (0.176777)  clipped 0  DC -0.125000\n");
}

}  // namespace
