// The plug-in's one re-entrant lock. Where the system can, a thread waiting
// for it lends its priority to the thread holding it: a host's low-priority
// UI thread preempted while it holds the lock for a moment would otherwise
// keep the real-time audio thread waiting for as long as the scheduler likes.
#pragma once

namespace platform {

class PluginMutex {
 public:
  PluginMutex();
  ~PluginMutex();
  PluginMutex(const PluginMutex&) = delete;
  PluginMutex& operator=(const PluginMutex&) = delete;

  // A thread may take it again while it holds it.
  void lock();
  void unlock();
  bool try_lock();

 private:
  // The system's lock object, kept in place without its header here.
  alignas(16) unsigned char storage_[64];
};

}  // namespace platform
