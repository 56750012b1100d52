#include "HeapPolicy.h"

#include <cstddef>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace HeapPolicy {

void returnLargeBlocksAtOnce()
{
#if defined(__GLIBC__)
    // glibc maps a block of 128 KiB or more on its own, but the first time
    // such a block is freed it raises that threshold to the block's size, so
    // from then on window captures come from malloc arenas. Captures are made
    // on the snapshot service's pool threads and freed wherever their last
    // holder lets go (the memory cache on the next capture, the switcher when
    // it takes a newer one, the thumbnail writer once it has encoded one), and
    // freed space inside an arena stays resident unless it lies at the arena's
    // top. Under sustained use the resident set then crept up by about 30 to
    // 100 MB per 1,000 showings, with over 100 MB of freed images still
    // resident (that much came back only through malloc_trim). Fewer arenas
    // (M_ARENA_MAX=1) did not help; trimming after each burst would return
    // only what is free at that moment. A fixed threshold keeps every large
    // block in a mapping of its own, unmapped the moment it is freed, on any
    // thread: the resident set then stays flat. The price is a fresh mapping
    // per image, its page faults and its unmapping: about 2 ms for a 5 MB
    // image here, off the main thread, against the tens a capture takes.
    constexpr int largeBlockBytes = 1 << 20;
    mallopt(M_MMAP_THRESHOLD, largeBlockBytes);
#endif
}

} // namespace HeapPolicy
