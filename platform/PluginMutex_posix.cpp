#include "platform/PluginMutex.h"

#include <pthread.h>

namespace platform {

namespace {

pthread_mutex_t& Native(unsigned char* storage) { return *reinterpret_cast<pthread_mutex_t*>(storage); }

}  // namespace

static_assert(sizeof(pthread_mutex_t) <= 64, "PluginMutex storage too small");

PluginMutex::PluginMutex() {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  // Priority inheritance where the system offers it; a plain re-entrant lock otherwise.
  if (pthread_mutexattr_setprotocol(&attributes, PTHREAD_PRIO_INHERIT) != 0 ||
      pthread_mutex_init(&Native(storage_), &attributes) != 0) {
    pthread_mutexattr_setprotocol(&attributes, PTHREAD_PRIO_NONE);
    pthread_mutex_init(&Native(storage_), &attributes);
  }
  pthread_mutexattr_destroy(&attributes);
}

PluginMutex::~PluginMutex() { pthread_mutex_destroy(&Native(storage_)); }

void PluginMutex::lock() { pthread_mutex_lock(&Native(storage_)); }

void PluginMutex::unlock() { pthread_mutex_unlock(&Native(storage_)); }

bool PluginMutex::try_lock() { return pthread_mutex_trylock(&Native(storage_)) == 0; }

}  // namespace platform
