#include "platform/file/LargeBuffer.h"

#include <cstdint>

#include <sys/mman.h>

void ResizeLarge(std::string& s, std::size_t n) {
    constexpr std::size_t kHuge = 2 * 1024 * 1024;
    if (n >= 2 * kHuge && n > s.capacity()) {
        s.reserve(n);
        auto begin = (reinterpret_cast<std::uintptr_t>(s.data()) + kHuge - 1) & ~(kHuge - 1);
        auto end = (reinterpret_cast<std::uintptr_t>(s.data()) + n) & ~(kHuge - 1);
        if (end > begin)
            ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
    s.resize(n);
}
