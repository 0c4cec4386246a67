// The trace hook: framework operations report their name, line, a format and its
// arguments here. The hook does nothing; it keeps the trace points in the code
// without costing anything, and the compiler inlines it away.
#pragma once

inline void TraceHook(const char* /*operation*/, int /*line*/, const char* /*format*/, ...) {}

#define DLX_TRACE(...) TraceHook(__func__, __LINE__, __VA_ARGS__)
