// What other threads leave for the editor to show: a slot for each parameter
// and each command code, holding its last normalised value and whether it
// changed. Any thread posts, lock-free and without allocating; the editor
// takes the changes at its tick. The plug-in owns it, so an editor may come
// and go while the host and the audio thread keep posting.
#pragma once

#include <atomic>
#include <memory>

class EditorMailbox {
 public:
  // Command codes run from -2 down to -kCommandSlots.
  static constexpr int kCommandSlots = 128;

  explicit EditorMailbox(int parameterCount)
      : parameterCount_(parameterCount > 0 ? parameterCount : 0),
        parameters_(std::make_unique<Slot[]>(static_cast<std::size_t>(parameterCount_))) {}

  // Any thread: slot `index` (a parameter, or a command code below -1) is to
  // show `normalised`.
  void Post(int index, double normalised) {
    if (Slot* slot = Find(index)) {
      slot->value.store(normalised, std::memory_order_relaxed);
      slot->known.store(true, std::memory_order_relaxed);
      slot->pending.store(true, std::memory_order_release);
    }
  }

  // Editor thread: `take(index, normalised)` for every slot posted since the
  // last call. A value posted after its flag was taken sets the flag again
  // and comes with the next call.
  template <typename Take>
  void TakeChanged(Take&& take) {
    for (int i = 0; i < parameterCount_; ++i) TakeSlot(parameters_[i], i, take);
    for (int c = 1; c < kCommandSlots; ++c) TakeSlot(commands_[c], -c - 1, take);
  }

  // Editor thread, when it starts: `take(code, normalised)` for every
  // command code ever posted, with its last value.
  template <typename Take>
  void ForEachKnownCommand(Take&& take) const {
    for (int c = 1; c < kCommandSlots; ++c)
      if (commands_[c].known.load(std::memory_order_acquire))
        take(-c - 1, commands_[c].value.load(std::memory_order_relaxed));
  }

 private:
  struct Slot {
    std::atomic<double> value{0};
    std::atomic<bool> pending{false};
    std::atomic<bool> known{false};
  };

  Slot* Find(int index) {
    if (index >= 0 && index < parameterCount_) return &parameters_[index];
    if (index < -1 && index >= -kCommandSlots) return &commands_[-index - 1];
    return nullptr;
  }

  template <typename Take>
  static void TakeSlot(Slot& slot, int index, Take& take) {
    if (!slot.pending.load(std::memory_order_relaxed) || !slot.pending.exchange(false, std::memory_order_acquire))
      return;
    take(index, slot.value.load(std::memory_order_relaxed));
  }

  int parameterCount_;
  std::unique_ptr<Slot[]> parameters_;
  Slot commands_[kCommandSlots];
};
