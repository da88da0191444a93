// Windows Firewall rules for the application and its port, started through
// the system's netsh, and the shutdown of a running application instance.
#ifndef SETUPKIT_FIREWALL_H
#define SETUPKIT_FIREWALL_H

#include "platform.h"

// Opens the firewall for the application at `applicationPath` and for its TCP
// port, with the netsh syntax of the running Windows generation.
void AddFirewallRules(const char *applicationPath);
// Closes both rules again; the application path is formed anew from the
// program-files folder (resolved with `owner`).
void RemoveFirewallRules(HWND owner);
// Posts WM_DESTROY to the first top-level window of class "Velodar" and then,
// when one was found, pauses `pauseAfterCloseMs` milliseconds.
void CloseRunningInstance(DWORD pauseAfterCloseMs);
// The window-enumeration callback of CloseRunningInstance; lParam carries the
// pause. TRUE goes on with the next window, FALSE ends the enumeration.
BOOL CALLBACK CloseInstanceWindowProc(HWND window, LPARAM lParam);

#endif
