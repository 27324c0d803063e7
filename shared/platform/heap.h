#pragma once

namespace platform {

// Lets the C heap keep memory it was given back instead of returning it to the system at
// once. Packing allocates and frees a compressor state of a few hundred kilobytes per
// archive entry; returned and taken again each time, every entry paid for fresh zeroed pages
// (half the packing time). Call once at program start; a no-op where the heap is not glibc's.
void keep_freed_heap_memory();

} // namespace platform
