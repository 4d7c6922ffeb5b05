// Our own web client keeps time limits; the Windows one keeps the system's.
#include <gtest/gtest.h>

#include <chrono>

#include "instrument/UpdateCheck.h"
#include "tests/platform/LoopbackServer.h"
#include "ui/HeadlessEditor.h"

namespace {

TEST(UpdateCheck, AServerThatNeverAnswersIsGivenUpWithinTheLimit) {
  loopback::LoopbackServer server("", loopback::LoopbackServer::kSilent);
  HeadlessEditor editor(nullptr, 1, 1);
  const int limitMs = 400;
  const update::UpdateServer silent{"127.0.0.1", server.Port(), "loopback.example", "", "", limitMs, limitMs};

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(update::CheckForUpdate(editor, silent), update::kNothingReceived);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::milliseconds(3 * limitMs));
  EXPECT_GE(took, std::chrono::milliseconds(limitMs - 50));
  ASSERT_EQ(editor.Messages().size(), 1u);
  EXPECT_EQ(editor.Messages()[0].text, "An error occurred while contacting loopback.example.");
}

}  // namespace
