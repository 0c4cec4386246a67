#include "host/Interrupts.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnSignal(int) { interrupted = 1; }

}  // namespace

#if defined(_WIN32)
// Ctrl+C and Ctrl+Break arrive as SIGINT and SIGBREAK; there is no SIGPIPE.
void CatchInterrupts() {
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGBREAK, OnSignal);
}
#else
void CatchInterrupts() {
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}
#endif

bool Interrupted() { return interrupted != 0; }
