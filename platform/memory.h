// Memory hints the Windows build gets from its heap without asking.
#pragma once

#include <cstddef>

namespace platform {

// Asks for huge pages behind a large block that has not been touched yet: a drawing of a
// million entities otherwise spends much of its load taking page faults 4 KiB at a time.
// Only whole 2 MiB pages inside the block are affected; a hint the system refuses is ignored.
void PreferHugePages(void* block, size_t bytes);

}  // namespace platform
