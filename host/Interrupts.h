// Ctrl-C and termination requests for our command-line tools: once caught,
// they only raise a flag, which the tools' long loops read to stop through
// their usual failure path, so that temporary and partial files are removed.
// A closed pipe becomes a write error rather than an exit, for the same reason.
#pragma once

// Installs the handlers; once, at the start of main.
void CatchInterrupts();
// True once SIGINT or SIGTERM arrived.
bool Interrupted();
