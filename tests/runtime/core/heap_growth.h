#pragma once
// How much the heap grows while an operation repeats: a loop that gives back what it takes ends
// where it began. The sanitizer builds keep their own heap, which mallinfo2 does not see (the
// growth is then 0); LeakSanitizer checks those builds at exit instead.

#include <cstddef>
#include <malloc.h>

namespace rt {

inline size_t heap_in_use() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Bytes gained per repetition, after some repetitions that fill caches and pools. A leak of even
// one small block per repetition shows as 16 bytes or more.
template <class Step>
size_t heap_growth_per_step(Step step, int times = 1000) {
    for (int i = 0; i < 50; ++i)
        step();
    const size_t before = heap_in_use();
    for (int i = 0; i < times; ++i)
        step();
    const size_t after = heap_in_use();
    return after > before ? (after - before) / static_cast<size_t>(times) : 0;
}

} // namespace rt
