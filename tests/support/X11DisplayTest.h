// The fixture of a suite on its own private X server whose tests each open a
// display connection and count the X errors that reach the process's handler:
// none may (a host's handler may end the process). Suites add their windows
// after SetUp and take them down before TearDown.
#pragma once

#include <X11/Xlib.h>
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/EscapedX11Errors.h"
#include "tests/support/XvfbServer.h"

class X11DisplayTest : public PrivateXServerTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ServerRunning());
    escaped = std::make_unique<EscapedX11Errors>();
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
  }

  // Closing the connection waits for the server, so errors still on their way
  // are counted too.
  void TearDown() override {
    if (display != nullptr) XCloseDisplay(display);
    display = nullptr;
    if (escaped == nullptr) return;
    EXPECT_EQ(escaped->Seen(), 0);
    escaped.reset();
  }

  std::unique_ptr<EscapedX11Errors> escaped;
  Display* display = nullptr;
};
