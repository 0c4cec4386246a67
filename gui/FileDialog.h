// The file dialog of the editor on Linux: the desktop's own dialog program,
// zenity or else kdialog (whichever the PATH of the environment finds first in
// that order of preference), run as a child process whose standard output
// carries the chosen path. Run blocks its caller, the editor's GUI thread, but
// calls whileOpen about every 40 ms so the editor keeps painting and ticking.
// It leaves the host's signal dispositions and mask alone and reaps only its
// own child. Stateless apart from a process-wide flag that keeps the "no
// dialog program" notice to one line per process.
#pragma once

#include <functional>
#include <string>
#include <vector>

class FileDialog {
 public:
  enum Action : int { kOpen = 0, kSave = 1 };

  // Asks for a file to open (action 0) or to save to (action 1), starting in
  // directory when one is given. The chosen path without its trailing line
  // break; empty when the user cancelled, the program failed or none exists.
  static std::string Run(int action, const std::string& directory,
                         const std::function<void()>& whileOpen);

  // The program's arguments (argv[0] being its found path); empty when
  // neither program is on the PATH.
  static std::vector<std::string> CommandLine(int action, const std::string& directory);
  // The executable file named name in a directory of the PATH; empty if none.
  static std::string FindOnPath(const std::string& name);
};
