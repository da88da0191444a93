// The one place that knows which build this is: the Windows build takes the
// system headers, the test build takes the simulated Windows layer's own
// declarations of the same functions.
#ifndef SETUPKIT_PLATFORM_H
#define SETUPKIT_PLATFORM_H

#if defined(_WIN32)
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0501
#endif
#ifndef WINVER
#define WINVER 0x0501
#endif
#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>
#include <lm.h>
#else
#include "winsim_api.h"
#endif

#endif
