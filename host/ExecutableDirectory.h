// Where the running program lives: our tools find the module and the demo clip
// beside themselves.
#pragma once

#include <string>

// The folder of /proc/self/exe (on Windows, of the process's own program
// file), without a trailing separator; "." when it cannot be read.
std::string ExecutableDirectory();
