// Memory for the columns of a long recording. A day of rows at the fastest polling is some
// hundreds of megabytes, and on a virtual machine touching that in 4 KiB pages costs more than
// reading the file; where the system offers larger pages the columns ask for them.
#pragma once

#include <cstddef>
#include <new>

namespace quillmark {

// At least `bytes`, aligned for any type; freed with freeLarge() and the same size.
void* allocateLarge(std::size_t bytes);
void freeLarge(void* memory, std::size_t bytes) noexcept;

// For std::vector: small vectors take the heap as usual, large ones allocateLarge().
template <typename T>
struct LargeAllocator {
    using value_type = T;

    LargeAllocator() = default;
    template <typename U>
    explicit LargeAllocator(const LargeAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) { return static_cast<T*>(allocateLarge(count * sizeof(T))); }
    void deallocate(T* memory, std::size_t count) noexcept { freeLarge(memory, count * sizeof(T)); }

    template <typename U>
    bool operator==(const LargeAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace quillmark
