// Writes the fresh editor as the headless window host draws it, with and
// without its text, to editor.png and editor-without-text.png in the folder
// given: the pictures the Windows editor's window is held against.
#include <cstdio>
#include <string>
#include <vector>

#include "raster/PngWriter.h"
#include "tests/host/HeadlessEditorPicture.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dilatorix_editor_pictures FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  for (const bool withText : {true, false}) {
    const std::vector<std::uint32_t> pixels = HeadlessEditorPicture(withText);
    const std::string path = folder + (withText ? "/editor.png" : "/editor-without-text.png");
    if (pixels.size() != 720u * 650u || !WritePng(pixels.data(), 720, 650, 720, path)) {
      std::fprintf(stderr, "dilatorix_editor_pictures: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
