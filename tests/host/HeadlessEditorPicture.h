// The editor of a fresh instance as the headless window host draws it, the
// instance made by the module's own code in this process (without text: the
// same controls on a canvas that draws no text, which shows where text lies).
// Kept apart from the window tests, whose Xlib names clash with the product's
// headers.
#pragma once

#include <cstdint>
#include <vector>

// 0xFFRRGGBB row after row, 720 x 650; empty on failure.
std::vector<std::uint32_t> HeadlessEditorPicture(bool withText = true);
