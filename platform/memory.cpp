#include "platform/memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace platform {

void PreferHugePages(void* block, size_t bytes) {
  constexpr uintptr_t kHuge = uintptr_t{2} << 20;
  const uintptr_t start = (reinterpret_cast<uintptr_t>(block) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(kHuge - 1);
  if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace platform
