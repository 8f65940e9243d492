#include "platform/LargeAllocation.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <sys/mman.h>

#include <cstdlib>
#endif

namespace quillmark {

namespace {

#ifdef Q_OS_LINUX
// The size of a transparent huge page on the machines we run on; below a few of them the
// usual heap is as good.
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kLargeFrom = 2 * kHugePage;

std::size_t roundedUp(std::size_t bytes) {
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}
#endif

}  // namespace

void* allocateLarge(std::size_t bytes) {
#ifdef Q_OS_LINUX
    if (bytes >= kLargeFrom) {
        void* memory = std::aligned_alloc(kHugePage, roundedUp(bytes));
        if (memory == nullptr) {
            throw std::bad_alloc();
        }
        // Advice only: where the kernel has no huge pages to give, the small ones serve.
        madvise(memory, roundedUp(bytes), MADV_HUGEPAGE);
        return memory;
    }
#endif
    return ::operator new(bytes);
}

void freeLarge(void* memory, [[maybe_unused]] std::size_t bytes) noexcept {
#ifdef Q_OS_LINUX
    if (bytes >= kLargeFrom) {
        std::free(memory);  // NOLINT(cppcoreguidelines-no-malloc): from aligned_alloc
        return;
    }
#endif
    ::operator delete(memory);
}

}  // namespace quillmark
