// The C runtime function of Windows that the product calls besides the
// standard ones: _vsnprintf, which on truncation returns -1 (or, here, the
// length the text needed) and leaves the buffer unterminated.
#ifndef WINSIM_API_CRT_H
#define WINSIM_API_CRT_H

#include <stdarg.h>
#include <stddef.h>

int _vsnprintf(char *buffer, size_t count, const char *format, va_list args);

#endif
