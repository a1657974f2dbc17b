// Counts the heap allocations this thread makes between Start and Stop: C++'s
// new and the C allocator alike, since Qt allocates its containers and images
// with malloc.
#pragma once

#include <cstddef>

namespace allocation_count {

void Start();
// The number of allocations since Start.
std::size_t Stop();

} // namespace allocation_count
