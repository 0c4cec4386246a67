// The renderer's progress display on a stream. On a terminal one line is
// redrawn in place ("analysing [#####.....]  50%"); elsewhere each stage prints
// its label and then a mark at every quarter, so logs stay readable. Redraws only
// when the shown percentage changes.
#pragma once

#include <cstdio>
#include <string>

class ProgressBar {
 public:
  ProgressBar(std::FILE* stream, bool terminal) : stream(stream), terminal(terminal) {}

  void Start(const std::string& label);
  void Update(double fraction);
  // Ends the stage's line.
  void Finish();

 private:
  static constexpr int kWidth = 30;

  std::FILE* stream;
  bool terminal;
  bool active = false;
  std::string label;
  int shown = -1;  // percent on the line
};
