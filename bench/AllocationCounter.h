#pragma once

#include <cstddef>

// Counts the heap allocations (malloc, calloc and realloc, so operator new and JUCE's HeapBlock
// too) made by the calling thread, so a benchmark can show what its measured loop allocates.
// Not available in sanitizer builds, whose runtimes own malloc.
bool allocationsAreCounted() noexcept;
std::size_t allocationCount() noexcept;
