#include "platform/PageMemory.h"

#if defined(__linux__)
#include <sys/mman.h>

#include <cerrno>
#include <cstdint>

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kPage = 4096;

}  // namespace

void* AllocatePages(std::size_t bytes) {
  if (bytes == 0 || bytes > SIZE_MAX - kHugePage) return nullptr;
  // Mapped with room to start on a 2 MiB boundary, and the rest given back at
  // once: the range is exactly bytes long, and every whole 2 MiB inside it can
  // be one huge page, so the memory is faulted in by the 2 MiB instead of the
  // 4 KiB (hundreds of times fewer faults; where huge pages are off, nothing
  // changes).
  const std::size_t rounded = (bytes + kPage - 1) / kPage * kPage;
  const std::size_t slack = rounded >= kHugePage ? kHugePage : 0;
  void* mapped = mmap(nullptr, rounded + slack, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  auto* start = static_cast<unsigned char*>(mapped);
  if (slack > 0) {
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(start);
    const std::size_t head = ((at + kHugePage - 1) & ~(kHugePage - 1)) - at;
    if (head > 0) munmap(start, head);
    if (slack - head > 0) munmap(start + head + rounded, slack - head);
    start += head;
    madvise(start, rounded, MADV_HUGEPAGE);
  }
  // Faulted in now, writable, by one call; kernels without MADV_POPULATE_WRITE
  // (before 5.14) fault it in page by page here instead. Memory the system
  // cannot give is refused here rather than at a later first touch.
#if defined(MADV_POPULATE_WRITE)
  if (madvise(start, rounded, MADV_POPULATE_WRITE) == 0) return start;
  if (errno != EINVAL) {
    munmap(start, rounded);
    return nullptr;
  }
#endif
  for (std::size_t offset = 0; offset < rounded; offset += kPage)
    *static_cast<volatile unsigned char*>(start + offset) = 0;
  return start;
}

bool AllocatePageRanges(std::size_t bytes, int count, void** ranges) {
  // Each range starts on a page of its own, so unmapping one leaves the others.
  const std::size_t stride = (bytes + kPage - 1) / kPage * kPage;
  if (count <= 0 || stride == 0 || stride > SIZE_MAX / static_cast<std::size_t>(count))
    return count == 0;
  auto* start = static_cast<unsigned char*>(AllocatePages(stride * count));
  if (start == nullptr) return false;
  for (int i = 0; i < count; ++i) ranges[i] = start + stride * i;
  return true;
}

void FreePages(void* pages, std::size_t bytes) {
  if (pages != nullptr) munmap(pages, (bytes + kPage - 1) / kPage * kPage);
}

#else
#include <cstdlib>

void* AllocatePages(std::size_t bytes) { return bytes == 0 ? nullptr : std::calloc(bytes, 1); }

bool AllocatePageRanges(std::size_t bytes, int count, void** ranges) {
  for (int i = 0; i < count; ++i) {
    ranges[i] = AllocatePages(bytes);
    if (ranges[i] == nullptr) {
      while (i-- > 0) std::free(ranges[i]);
      return false;
    }
  }
  return true;
}

void FreePages(void* pages, std::size_t) { std::free(pages); }

#endif
