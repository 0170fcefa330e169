#pragma once
// The program's few helper threads (the window system's reader, the session
// bus, the voice) allocate little: they share the one heap instead of each
// keeping a heap of its own, mostly empty. Called first thing in main(), by
// the client and by the benchmark that stands in for it.
#ifdef __GLIBC__
#include <malloc.h>
#endif

inline void useOneHeap() {
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 1);
#endif
}

// Hands the pages of freed heap blocks back to the system. After a one-off
// burst of building (a picture, the trigger automaton) the freed blocks
// would otherwise stay resident for the whole session.
inline void giveBackFreedPages() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}
