// A host that idles an open editor: effEditIdle at a fixed rate from a
// thread of the host's, for as long as the object lives.
#pragma once

#include <atomic>
#include <chrono>
#include <thread>

#include "vst2/VstAbi.h"

namespace vsthost {

class IdleCalls {
 public:
  IdleCalls(vst::AEffect* effect, int hz)
      : thread_([this, effect, hz] {
          const auto period = std::chrono::microseconds(1000000 / hz);
          for (auto next = std::chrono::steady_clock::now(); !stop_; next += period) {
            effect->dispatcher(effect, vst::effEditIdle, 0, 0, nullptr, 0);
            std::this_thread::sleep_until(next + period);
          }
        }) {}
  ~IdleCalls() {
    stop_ = true;
    thread_.join();
  }
  IdleCalls(const IdleCalls&) = delete;
  IdleCalls& operator=(const IdleCalls&) = delete;

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace vsthost
