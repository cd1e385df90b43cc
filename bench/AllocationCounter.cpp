#include "AllocationCounter.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define SORVALLE_SANITIZED_MALLOC 1
#endif
#endif

#ifndef SORVALLE_SANITIZED_MALLOC

namespace
{
// Plain static TLS: reading it neither allocates nor calls back into malloc.
thread_local std::size_t allocations = 0;
} // namespace

// glibc's own entry points, under the names it exports for programs that wrap malloc.
extern "C" void* __libc_malloc (std::size_t);
extern "C" void* __libc_calloc (std::size_t, std::size_t);
extern "C" void* __libc_realloc (void*, std::size_t);

extern "C" void* malloc (std::size_t size)
{
    ++allocations;
    return __libc_malloc (size);
}

extern "C" void* calloc (std::size_t count, std::size_t size)
{
    ++allocations;
    return __libc_calloc (count, size);
}

extern "C" void* realloc (void* memory, std::size_t size)
{
    ++allocations;
    return __libc_realloc (memory, size);
}

bool allocationsAreCounted() noexcept
{
    return true;
}

std::size_t allocationCount() noexcept
{
    return allocations;
}

#else

bool allocationsAreCounted() noexcept
{
    return false;
}

std::size_t allocationCount() noexcept
{
    return 0;
}

#endif
