// Code page 932 (Shift-JIS) as Windows serves it: lead bytes, character
// stepping, conversion to UTF-16, and wsprintfA.
#include <iconv.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "machine.h"
#include "codepage.h"

namespace sim {
namespace {

// Converts one complete character (one or two bytes) with iconv; false when it
// has no mapping.
bool ConvertChar(const char *from, const char *to, const char *in, size_t inSize, std::string *out)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1)
        return false;
    char buffer[16];
    char *inPtr = const_cast<char *>(in);
    char *outPtr = buffer;
    size_t outLeft = sizeof(buffer);
    size_t result = iconv(cd, &inPtr, &inSize, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == (size_t)-1 || inSize != 0)
        return false;
    out->assign(buffer, sizeof(buffer) - outLeft);
    return true;
}

size_t CharLength(const std::string &text, size_t at)
{
    if (IsDBCSLeadByte((BYTE)text[at]) && at + 1 < text.size())
        return 2;
    return 1;
}

}  // namespace

std::string FoldCase(const std::string &ansi)
{
    std::string out = ansi;
    for (size_t i = 0; i < out.size();) {
        size_t length = CharLength(out, i);
        if (length == 1 && out[i] >= 'a' && out[i] <= 'z')
            out[i] = (char)(out[i] - 'a' + 'A');
        i += length;
    }
    return out;
}

std::u16string ToWide(const std::string &ansi)
{
    std::u16string out;
    for (size_t i = 0; i < ansi.size();) {
        size_t length = CharLength(ansi, i);
        std::string utf16;
        if (ConvertChar("CP932", "UTF-16LE", ansi.data() + i, length, &utf16) && utf16.size() == 2)
            out.push_back((char16_t)((unsigned char)utf16[0] | ((unsigned char)utf16[1] << 8)));
        else
            out.push_back(u'?');
        i += length;
    }
    return out;
}

std::string ToAnsi(const std::u16string &wide)
{
    std::string out;
    for (char16_t c : wide) {
        char in[2] = {(char)(c & 0xFF), (char)(c >> 8)};
        std::string ansi;
        if (ConvertChar("UTF-16LE", "CP932", in, 2, &ansi))
            out += ansi;
        else
            out.push_back('?');
    }
    return out;
}

std::string ToUtf8(const std::string &ansi)
{
    std::string out;
    for (size_t i = 0; i < ansi.size();) {
        size_t length = CharLength(ansi, i);
        std::string utf8;
        out += ConvertChar("CP932", "UTF-8", ansi.data() + i, length, &utf8) ? utf8 : std::string("?");
        i += length;
    }
    return out;
}

}  // namespace sim

BOOL WINAPI IsDBCSLeadByte(BYTE c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

LPSTR WINAPI CharNextA(LPCSTR p)
{
    if (*p == '\0')
        return const_cast<LPSTR>(p);
    if (IsDBCSLeadByte((BYTE)*p) && p[1] != '\0')
        return const_cast<LPSTR>(p + 2);
    return const_cast<LPSTR>(p + 1);
}

// Like Windows, steps from the start of the string so that a trail byte is never
// taken for a character of its own.
LPSTR WINAPI CharPrevA(LPCSTR start, LPCSTR current)
{
    if (current <= start)
        return const_cast<LPSTR>(start);
    LPCSTR p = start;
    for (;;) {
        LPCSTR next = CharNextA(p);
        if (next >= current || next == p)
            return const_cast<LPSTR>(p);
        p = next;
    }
}

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int size, LPWSTR wide, int wideSize)
{
    sim::Record("MultiByteToWideChar", "%u, 0x%X, %s, %d, %s, %d", codePage, flags, sim::Quote(text).c_str(), size,
                wide == nullptr ? "NULL" : "buffer", wideSize);
    if (text == nullptr || (codePage != CP_ACP && codePage != 932) || wideSize < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string ansi = size < 0 ? std::string(text, strlen(text) + 1) : std::string(text, (size_t)size);
    std::u16string converted = sim::ToWide(ansi);
    if (wideSize == 0)
        return (int)converted.size();
    if (converted.size() > (size_t)wideSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    memcpy(wide, converted.data(), converted.size() * sizeof(WCHAR));
    return (int)converted.size();
}

// wsprintfA writes at most 1024 characters, terminator included; "%ls" (and
// "%S") take a wide string and convert it to the ANSI code page.
int WINAPI wsprintfA(LPSTR out, LPCSTR format, ...)
{
    const size_t limit = 1024;
    std::string result;
    va_list args;
    va_start(args, format);
    for (const char *p = format; *p != '\0';) {
        if (*p != '%') {
            result.push_back(*p++);
            continue;
        }
        const char *directiveStart = p++;
        if (*p == '%') {
            result.push_back('%');
            ++p;
            continue;
        }
        while (strchr("-+ #0", *p) != nullptr && *p != '\0')
            ++p;
        while (*p >= '0' && *p <= '9')
            ++p;
        if (*p == '.') {
            ++p;
            while (*p >= '0' && *p <= '9')
                ++p;
        }
        bool isLong = false, isShort = false;
        if (*p == 'l') {
            isLong = true;
            ++p;
        } else if (*p == 'h') {
            isShort = true;
            ++p;
        }
        char conversion = *p != '\0' ? *p++ : '\0';
        std::string directive(directiveStart, p);
        char piece[1100];
        piece[0] = '\0';
        if ((conversion == 's' && isLong) || conversion == 'S') {
            const WCHAR *wide = va_arg(args, const WCHAR *);
            std::u16string text;
            for (const WCHAR *w = wide; w != nullptr && *w != 0; ++w)
                text.push_back(*w);
            result += sim::ToAnsi(text);
            continue;
        }
        if (conversion == 's') {
            const char *text = va_arg(args, const char *);
            result += text != nullptr ? text : "(null)";
            continue;
        }
        std::string plain = directive;
        if (isLong || isShort)
            plain.erase(plain.size() - 2, 1);
        if (conversion == 'c')
            snprintf(piece, sizeof(piece), plain.c_str(), va_arg(args, int));
        else if (conversion == 'd' || conversion == 'i')
            snprintf(piece, sizeof(piece), plain.c_str(), va_arg(args, int));
        else if (conversion == 'u' || conversion == 'x' || conversion == 'X')
            snprintf(piece, sizeof(piece), plain.c_str(), va_arg(args, unsigned int));
        result += piece;
    }
    va_end(args);
    if (result.size() > limit - 1)
        result.resize(limit - 1);
    memcpy(out, result.c_str(), result.size() + 1);
    return (int)result.size();
}

// The C runtime's _vsnprintf as the simulated layer provides it: the host's
// vsnprintf, with the buffer left unterminated when the text does not fit, as
// the Windows C runtime leaves it.
int _vsnprintf(char *buffer, size_t count, const char *format, va_list args)
{
    char *copy = (char *)malloc(count + 1);
    if (copy == nullptr)
        return -1;
    int length = vsnprintf(copy, count + 1, format, args);
    if (length >= 0 && (size_t)length < count) {
        memcpy(buffer, copy, (size_t)length + 1);
    } else {
        memcpy(buffer, copy, count);
        length = -1;
    }
    free(copy);
    return length;
}
