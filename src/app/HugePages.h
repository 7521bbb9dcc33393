#pragma once

#include <cstddef>

// Asks the kernel to back a large buffer (many megabytes, not yet written)
// with huge pages, so that filling it takes a few page faults instead of one
// per 4 KB page; on some machines those faults cost more than the copying.
// Only the whole 2 MB pages inside the buffer are advised; does nothing
// where the system has no such advice.
void adviseHugePages(void* data, std::size_t bytes);
