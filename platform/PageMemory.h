// Memory for large arrays that live long, taken from the system in whole
// pages that are mapped and zeroed in one call where the system allows it
// (Linux, in 2 MiB pages where the system has them), rather than one page
// fault per 4 KiB at the first touch: on the audio thread, and in virtual
// machines above all, the faults cost more than the work done on the memory.
// Elsewhere it is plain zeroed heap memory. Any thread; no shared state.
#pragma once

#include <cstddef>

// bytes zeroed bytes, or null when the system has none to give.
void* AllocatePages(std::size_t bytes);
// count ranges of bytes zeroed bytes each, taken from the system in one piece
// where it allows (so that they share its 2 MiB pages), each given back on its
// own with FreePages(ranges[i], bytes). False, with nothing taken, when the
// system has not that much to give.
bool AllocatePageRanges(std::size_t bytes, int count, void** ranges);
// Gives back what AllocatePages or AllocatePageRanges gave, with the same size.
void FreePages(void* pages, std::size_t bytes);
