// The editor's own thread, for hosts that idle the editor slowly or not at
// all (VST 2.4 hosts that never call effEditIdle exist): it waits on the
// display connection and the next tick, and drives the editor whenever the
// host has not for longer than a tick period. Host calls the editor makes
// from here (edits, size requests) happen only in such hosts, and with no
// lock of ours held: the drive token is a lock nobody waits for.
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "X11Editor.h"

namespace {

using Clock = std::chrono::steady_clock;

// How late a host's idle call may come before the driver takes the turn: a
// host idling at the frame rate keeps driving, give or take its timer's
// jitter.
constexpr auto kHostIdleMargin = std::chrono::milliseconds(10);

// Whole milliseconds from `now` until `when`, rounded up so that the wait
// never ends just before it; 0 when it has passed.
int MillisecondsUntil(Clock::time_point when, Clock::time_point now) {
  if (when <= now) return 0;
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(when - now).count();
  return static_cast<int>(std::min<long long>(wait, 1000));
}

}  // namespace

bool X11Editor::EnableOwnDriver(std::function<void()> idleWork) {
  if (driver_.joinable()) return false;
  ownDriver_ = true;
  idleWork_ = std::move(idleWork);
  return true;
}

void X11Editor::StartDriver() {
  if (!ownDriver_ || !display_) return;
  // Without the thread the host's idle calls alone drive the editor, as in
  // every other format.
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) return;
  stopDriver_.store(false, std::memory_order_release);
  lastHostIdle_.store(0, std::memory_order_release);
  try {
    driver_ = std::thread([this] { RunDriver(); });
  } catch (const std::system_error&) {
    close(wakeFd_);
    wakeFd_ = -1;
  }
}

void X11Editor::StopDriver() {
  if (!driver_.joinable()) return;
  stopDriver_.store(true, std::memory_order_release);
  const std::uint64_t one = 1;
  while (write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
  }
  // A menu or dialog the driver shows ends only when the user closes it; no
  // new one opens once the driver is stopping.
  driver_.join();
  close(wakeFd_);
  wakeFd_ = -1;
}

void X11Editor::RunDriver() {
  const auto period = std::chrono::milliseconds(TimerPeriodMs());
  const int connection = ConnectionNumber(display_);
  while (!Stopping()) {
    const auto now = Clock::now();
    const std::int64_t lastIdle = lastHostIdle_.load(std::memory_order_acquire);
    const auto hostLate = Clock::time_point(std::chrono::nanoseconds(lastIdle)) + period + kHostIdleMargin;
    bool watchDisplay = false;
    int timeout;
    if (lastIdle != 0 && now < hostLate) {
      // The host drives: look again when its next idle call would be late.
      timeout = MillisecondsUntil(hostLate, now);
    } else if (Turn turn{driveToken_}) {
      Drive();
      watchDisplay = true;
      // Events read along with a reply during the turn wait in Xlib's queue,
      // where the socket's readiness does not show them.
      timeout = XEventsQueued(display_, QueuedAlready) > 0 ? 0 : MillisecondsUntil(lastTick_ + period, Clock::now());
    } else {
      // The host's turn, or a menu of the host's thread: skip this one.
      timeout = TimerPeriodMs();
    }
    pollfd waits[2] = {{wakeFd_, POLLIN, 0}, {connection, POLLIN, 0}};
    poll(waits, watchDisplay ? 2 : 1, timeout);
  }
}
