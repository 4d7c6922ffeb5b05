// A host's user-interface thread asks for chunks, names and values while its
// audio thread renders and switches processing; the plug-in file must serve
// both without tearing.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "tests/blackbox/LoadedPlugin.h"

namespace {

using namespace vst;

TEST(ModuleConcurrency, ChunksAndNamesWhileTheAudioThreadRenders) {
  auto host = blackbox::LoadPlugin();
  ASSERT_NE(host->Effect(), nullptr);
  host->SetSampleRate(44100);
  host->SetBlockSize(256);
  host->SetActive(true);

  std::atomic<bool> done{false};
  std::atomic<int> badSamples{0};
  std::thread audio([&] {
    std::vector<float> left(256), right(256);
    float* outputs[2] = {left.data(), right.data()};
    for (int block = 0; block < 600; ++block) {
      if (block % 50 == 25) {  // some hosts re-arm processing from the audio thread
        host->SetActive(false);
        host->SetActive(true);
      }
      host->SendMidi({{0, {0x90, static_cast<std::uint8_t>(48 + block % 24), 100}},
                      {128, {0x80, static_cast<std::uint8_t>(48 + block % 24), 0}}});
      host->Process(nullptr, outputs, 256);
      for (int i = 0; i < 256; ++i)
        if (!std::isfinite(left[i]) || !std::isfinite(right[i])) ++badSamples;
    }
    done = true;
  });

  std::size_t bankSize = 0;
  bool sizesAgree = true;
  int rounds = 0;
  while (!done || rounds < 20) {
    void* data = nullptr;
    const VstIntPtr size = host->Dispatch(effGetChunk, 0, 0, &data);
    if (bankSize == 0) bankSize = static_cast<std::size_t>(size);
    sizesAgree = sizesAgree && static_cast<std::size_t>(size) == bankSize && data != nullptr;
    host->SetParameter(rounds % 70, (rounds % 11) / 10.0f);
    host->ParameterDisplay(rounds % 70);
    host->ProgramNameIndexed(rounds % 64);
    ++rounds;
  }
  audio.join();
  EXPECT_TRUE(sizesAgree) << "a bank's size depends only on its names, which nobody changed";
  EXPECT_EQ(badSamples, 0);
}

}  // namespace
