// Blocks of memory that end where an inaccessible page begins: reading or
// writing past the end faults at once instead of touching stale memory. The
// validator's own buffers use them, and on Linux the executable's malloc
// hands them out while a check asks for guard pages.
#pragma once

#include <cstddef>

namespace validator {

// A zeroed block of `size` bytes aligned for any type, its end within 16
// bytes of a guard page (at it when `size` is a multiple of 16); null when
// no more can be made.
void* GuardedAllocate(std::size_t size);
// Returns a guarded block's pages; false when `block` is not one.
bool GuardedRelease(void* block);
// True when `block` is a guarded block, with the size asked for it (for the
// POSIX malloc, which must tell these blocks from its own).
bool FindGuarded(const void* block, std::size_t* size);

}  // namespace validator
