#include "text.h"

#include <stdarg.h>
#include <stdio.h>

BOOL FormatText(char *buffer, size_t size, const char *format, ...)
{
    va_list args;
    int length;

    if (size == 0)
        return FALSE;
    va_start(args, format);
    // _vsnprintf, the C runtime's own: the standard vsnprintf of mingw-w64
    // brings a whole printf implementation of its own into the executable.
    // It returns -1, leaving the buffer unterminated, when the text does not fit.
    length = _vsnprintf(buffer, size, format, args);
    va_end(args);
    if (length < 0 || (size_t)length >= size) {
        buffer[0] = '\0';
        return FALSE;
    }
    return TRUE;
}

char *FindLastBackslash(char *path)
{
    char *last = NULL;
    char *p;

    for (p = path; *p != '\0'; p = CharNextA(p))
        if (*p == '\\')
            last = p;
    return last;
}
