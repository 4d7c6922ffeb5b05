#include <gtest/gtest.h>

#include <vector>

#include "plugin/MidiEventQueue.h"

namespace {
MidiEvent At(int offset, int tag) {
  MidiEvent e;
  e.offset = offset;
  e.data1 = static_cast<std::uint8_t>(tag);
  return e;
}
}  // namespace

TEST(MidiEventQueue, OrdersByOffsetKeepingArrivalOrderForTies) {
  MidiEventQueue q;
  q.Add(At(40, 1));
  q.Add(At(10, 2));
  q.Add(At(10, 3));
  q.Add(At(40, 4));
  int expected[] = {2, 3, 1, 4};
  for (int tag : expected) {
    ASSERT_FALSE(q.Empty());
    EXPECT_EQ(q.Front().data1, tag);
    q.PopFront();
  }
  EXPECT_TRUE(q.Empty());
}

TEST(MidiEventQueue, AFullQueueReusesTakenRoomThenDropsAndCounts) {
  MidiEventQueue q;
  for (int i = 0; i < MidiEventQueue::kCapacity; ++i) EXPECT_TRUE(q.Add(At(i, 0)));
  q.PopFront();
  EXPECT_TRUE(q.Add(At(MidiEventQueue::kCapacity, 9)));
  EXPECT_FALSE(q.Add(At(MidiEventQueue::kCapacity + 1, 9)));
  EXPECT_EQ(q.Pending(), MidiEventQueue::kCapacity);
  EXPECT_EQ(q.Dropped(), 1u);
}

TEST(MidiEventQueue, AnEventAtTheTickLengthIsTakenInTheCurrentTick) {
  MidiEventQueue q;
  q.Add(At(44, 1));
  q.Add(At(45, 2));
  std::vector<int> taken;
  auto take = [&](const MidiEvent& e) { taken.push_back(e.data1); };
  q.TakeDue(44, take);
  EXPECT_EQ(taken, std::vector<int>{1});
  EXPECT_EQ(q.Front().offset, 1);  // one tick closer
  q.TakeDue(44, take);
  EXPECT_EQ(taken, (std::vector<int>{1, 2}));
  EXPECT_TRUE(q.Empty());
}
