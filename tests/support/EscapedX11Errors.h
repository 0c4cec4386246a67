// Counts the X protocol errors that reach the process's error handler while
// it lives: errors the code under test should have kept on its own connection
// (a host's handler may end the process). Restores the previous handler.
#pragma once

#include <X11/Xlib.h>

class EscapedX11Errors {
 public:
  EscapedX11Errors() : previous(XSetErrorHandler(&Count)) { Counter() = 0; }
  ~EscapedX11Errors() { XSetErrorHandler(previous); }
  EscapedX11Errors(const EscapedX11Errors&) = delete;
  EscapedX11Errors& operator=(const EscapedX11Errors&) = delete;

  int Seen() const { return Counter(); }

 private:
  static int& Counter() {
    static int count = 0;
    return count;
  }
  static int Count(Display*, XErrorEvent*) {
    ++Counter();
    return 0;
  }

  XErrorHandler previous;
};
