// The setup log, the Windows-generation test and thin registry wrappers.
#ifndef SETUPKIT_LOG_REGISTRY_H
#define SETUPKIT_LOG_REGISTRY_H

#include <stdio.h>

#include "platform.h"

// Size of the buffer one log line is formatted into (terminator included).
#define SETUP_LOG_LINE_SIZE 4096

// The open log file, or NULL while the log is off.
extern FILE *g_setupLog;

// Opens the log file ("w+") when a path is given and writes the LogStart line;
// with NULL, or a file that cannot be opened, the log stays off and silent.
void StartSetupLog(const char *path);
// Formats one printf-style piece of a line into the log file and echoes it to
// standard output; does nothing while the log is off.
void WriteSetupLog(const char *format, ...);
// Completes the current line with the local time, e.g. "2010/03/02(TSU) 09:05:07.42".
void WriteSetupLogTimestamp(void);

// Nonzero on Windows before Vista (major version below 6).
BOOL IsPreVistaWindows(void);

// Opens, or creates with any missing parents, a key; NULL on failure.
HKEY OpenRegistryKey(HKEY root, const char *subKey, REGSAM access);
// OpenRegistryKey under HKEY_LOCAL_MACHINE.
HKEY OpenMachineRegistryKey(const char *subKey, REGSAM access);
// Closes a key opened by the wrappers above; NULL is ignored.
void CloseRegistryKey(HKEY key);
// Deletes a key without subkeys; returns the system's status code.
LONG DeleteRegistryKey(HKEY root, const char *subKey);
// Deletes one value of an open key; returns the system's status code.
LONG DeleteRegistryValue(HKEY key, const char *valueName);
// Stores a REG_SZ value, terminating zero included; returns the system's status code.
LONG SetRegistryString(HKEY key, const char *valueName, const char *value);

#endif
