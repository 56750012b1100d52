#pragma once

// How the program's heap treats large blocks; called once at start, before
// any other thread exists.
namespace HeapPolicy {

// Every block of a megabyte or more (a window capture is about 5 MB) gets a
// mapping of its own, handed back to the system as soon as it is freed.
void returnLargeBlocksAtOnce();

} // namespace HeapPolicy
