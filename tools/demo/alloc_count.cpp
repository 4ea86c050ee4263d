// Allocation counter: wraps malloc and operator new and counts only the calls
// whose immediate caller lies in this executable, where the game's code is
// linked statically. Sanitizer builds keep their own allocator untouched.
#include "tools/demo/alloc_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

extern "C" char __executable_start;
extern "C" char etext;

static std::atomic<bool> started{false};
static std::atomic<bool> counting{false};
static std::atomic<uint64_t> counted{0};

static inline void alloc_count_note(void* caller)
{
    if (counting.load(std::memory_order_relaxed) && (char*)caller >= &__executable_start &&
        (char*)caller < &etext)
        counted.fetch_add(1, std::memory_order_relaxed);
}

void alloc_count_start()
{
    counted = 0;
    started = true;
    counting = true;
}

void alloc_count_hold(bool held)
{
    counting = started && !held;
}

uint64_t alloc_count_read()
{
    return counted;
}

#if defined(__SANITIZE_ADDRESS__)
#define ALLOC_COUNT_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ALLOC_COUNT_SANITIZED 1
#endif
#endif

#ifndef ALLOC_COUNT_SANITIZED
extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* block, size_t size);

extern "C" void* malloc(size_t size)
{
    alloc_count_note(__builtin_return_address(0));
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    alloc_count_note(__builtin_return_address(0));
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, size_t size)
{
    alloc_count_note(__builtin_return_address(0));
    return __libc_realloc(block, size);
}

// operator new is reached from inlined container code in the game itself, so
// its caller (not libstdc++'s) decides whether it counts.
static void* alloc_count_new(size_t size, void* caller)
{
    alloc_count_note(caller);
    void* block = __libc_malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void* operator new(size_t size)
{
    return alloc_count_new(size, __builtin_return_address(0));
}
void* operator new[](size_t size)
{
    return alloc_count_new(size, __builtin_return_address(0));
}
void operator delete(void* block) noexcept
{
    free(block);
}
void operator delete[](void* block) noexcept
{
    free(block);
}
void operator delete(void* block, size_t) noexcept
{
    free(block);
}
void operator delete[](void* block, size_t) noexcept
{
    free(block);
}
#endif
