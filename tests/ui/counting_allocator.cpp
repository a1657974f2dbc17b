#include "counting_allocator.h"

#include <cstddef>
#include <cstdlib>

// The counter has to be reachable from inside the allocator, so it lives at
// namespace scope; per thread, so that a toolkit thread allocating in the
// background is not counted against the tick.
namespace {

thread_local bool counting = false;       // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)
thread_local std::size_t allocations = 0; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

void Count()
{
    if (counting) {
        ++allocations;
    }
}

} // namespace

// GCC says so with a macro, Clang with a feature test.
#if defined(__SANITIZE_ADDRESS__)
#define COUNTING_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define COUNTING_UNDER_ASAN 1
#endif
#endif

#if defined(COUNTING_UNDER_ASAN)

// AddressSanitizer owns malloc: ask it to report every allocation instead of
// replacing the allocator under it.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*,
                                                                             std::size_t),
                                                         void (*free_hook)(const volatile void*));

namespace {

void OnMalloc(const volatile void* /*ptr*/, std::size_t /*size*/)
{
    Count();
}
void OnFree(const volatile void* /*ptr*/) {}

void InstallHooks()
{
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(&OnMalloc, &OnFree) != 0;
    (void)installed;
}

} // namespace

#else

// glibc lets a program replace malloc by defining these four; the rest of the
// family (memalign and friends) keeps glibc's own, which shares the heap
// these forward to. operator new goes through malloc.
// NOLINTBEGIN(bugprone-reserved-identifier): glibc's own names for its allocator
extern "C" {
void* __libc_malloc(std::size_t size) noexcept;
void* __libc_calloc(std::size_t count, std::size_t size) noexcept;
void* __libc_realloc(void* ptr, std::size_t size) noexcept;
void __libc_free(void* ptr) noexcept;

void* malloc(std::size_t size) noexcept
{
    Count();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept
{
    Count();
    return __libc_calloc(count, size);
}

void* realloc(void* ptr, std::size_t size) noexcept
{
    Count();
    return __libc_realloc(ptr, size);
}

void free(void* ptr) noexcept
{
    __libc_free(ptr);
}
}

namespace {

void InstallHooks() {}

} // namespace

#endif

namespace allocation_count {

void Start()
{
    InstallHooks();
    allocations = 0;
    counting = true;
}

std::size_t Stop()
{
    counting = false;
    return allocations;
}

} // namespace allocation_count
