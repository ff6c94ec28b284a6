#include "platform/file/LargeBuffer.h"

#include <cstdint>

#include <sys/mman.h>

namespace {

// Room for n bytes in s, asked for in huge pages when n is large and s has less room.
void ReserveLarge(std::string& s, std::size_t n) {
    constexpr std::size_t kHuge = 2 * 1024 * 1024;
    if (n < 2 * kHuge || n <= s.capacity())
        return;
    s.reserve(n);
    auto begin = (reinterpret_cast<std::uintptr_t>(s.data()) + kHuge - 1) & ~(kHuge - 1);
    auto end = (reinterpret_cast<std::uintptr_t>(s.data()) + n) & ~(kHuge - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

} // namespace

void ResizeLarge(std::string& s, std::size_t n) {
    ReserveLarge(s, n);
    s.resize(n);
}

void AssignLarge(std::string& s, std::string_view bytes) {
    ReserveLarge(s, bytes.size());
    s.assign(bytes);
}
