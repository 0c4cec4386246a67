#include "platform/PageMemory.h"

#if defined(__linux__)
#include <sys/mman.h>

void* AllocatePages(std::size_t bytes) {
  if (bytes == 0) return nullptr;
  void* pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  return pages == MAP_FAILED ? nullptr : pages;
}

void FreePages(void* pages, std::size_t bytes) {
  if (pages != nullptr) munmap(pages, bytes);
}

#else
#include <cstdlib>

void* AllocatePages(std::size_t bytes) { return bytes == 0 ? nullptr : std::calloc(bytes, 1); }

void FreePages(void* pages, std::size_t) { std::free(pages); }

#endif
