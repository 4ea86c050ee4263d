// Allocation counter: counts only the allocations whose immediate caller lies
// in this executable, where the game's code is linked statically. Plain builds
// wrap malloc and operator new; sanitizer builds keep their own allocator and
// ask it, from its allocation hook, for the caller it recorded.
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

#if defined(__SANITIZE_ADDRESS__)
#define ALLOC_COUNT_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ALLOC_COUNT_SANITIZED 1
#endif
#endif

#ifdef ALLOC_COUNT_SANITIZED
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*,
                                                                             size_t),
                                                         void (*free_hook)(const volatile void*));
extern "C" size_t __asan_get_alloc_stack(void* block, void** trace, size_t size, int* thread);

// The recorded stack starts in the allocator's entry point; the frame after it is the caller.
static void alloc_count_hook(const volatile void* block, size_t)
{
    if (!counting.load(std::memory_order_relaxed))
        return;
    void* trace[2];
    int thread;
    if (__asan_get_alloc_stack((void*)block, trace, 2, &thread) == 2)
        alloc_count_note(trace[1]);
}

// The sanitizer takes the pair of hooks only: frees need nothing.
static void alloc_count_free_hook(const volatile void*)
{}

static void alloc_count_install()
{
    static bool installed = false;
    if (!installed)
        __sanitizer_install_malloc_and_free_hooks(alloc_count_hook, alloc_count_free_hook);
    installed = true;
}
#else
static void alloc_count_install()
{}

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
// libstdc++'s own nothrow forms would call the ones above from inside the
// library, where the caller no longer counts.
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    alloc_count_note(__builtin_return_address(0));
    return __libc_malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    alloc_count_note(__builtin_return_address(0));
    return __libc_malloc(size ? size : 1);
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

void alloc_count_start()
{
    alloc_count_install();
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
