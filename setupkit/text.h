// Bounded text and DBCS-aware path helpers shared by both programs.
#ifndef SETUPKIT_TEXT_H
#define SETUPKIT_TEXT_H

#include <stddef.h>

#include "platform.h"

// printf-style formatting into a buffer of `size` bytes. Returns FALSE, with an
// empty buffer, when the text does not fit: a cut path is never used.
BOOL FormatText(char *buffer, size_t size, const char *format, ...);
// The last backslash of a path, found character by character (in code page 932
// a trail byte can be 0x5C); NULL when there is none.
char *FindLastBackslash(char *path);

#endif
