// Hosts call the dispatcher, the parameters and the audio callback from
// different threads at once; the plug-in mutex must keep them apart.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/host/TestHost.h"

using namespace vst;

TEST(Concurrency, DispatcherParametersAndAudioFromSeveralThreads) {
  testhost::Instance i;
  AEffect* e = i.effect;
  i.Call(effMainsChanged, 0, 1);
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    std::vector<float> l(512), r(512);
    float* outs[2] = {l.data(), r.data()};
    for (int n = 0; n < 400; ++n) e->processReplacing(e, nullptr, outs, 512);
    stop = true;
  });
  std::thread automation([&] {
    for (int n = 0; !stop; ++n) e->setParameter(e, n % 70, (n % 100) / 100.0f);
  });
  std::thread ui([&] {
    for (int n = 0; !stop; ++n) {
      void* data = nullptr;
      e->dispatcher(e, effGetChunk, n % 2, 0, &data, 0);
      e->getParameter(e, n % 70);
      e->dispatcher(e, effSetProgram, 0, n % 64, nullptr, 0);
      char text[64];
      e->dispatcher(e, effGetParamDisplay, n % 70, 0, text, 0);
    }
  });
  audio.join();
  automation.join();
  ui.join();
  EXPECT_GE(i.Call(effGetProgram), 0);
}
