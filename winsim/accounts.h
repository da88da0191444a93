// The simulated local accounts and their profile folders: NetUserEnum serves
// the accounts with wide names in batches (ERROR_MORE_DATA and a resume handle)
// or refuses; every buffer it hands out is tracked until NetApiBufferFree. From
// Vista on each profile folder holds the "SendTo" compatibility link that leads
// to the profile's real SendTo folder.
#ifndef WINSIM_ACCOUNTS_H
#define WINSIM_ACCOUNTS_H

#include <string>
#include <vector>

#include "machine.h"

namespace sim {

// Adds a local account, in enumeration order; the name is converted from code
// page 932 to the wide name NetUserEnum returns.
void AddAccount(const std::string &ansiName);
void AddWideAccount(const std::u16string &name);
// Entries per NetUserEnum call (0: all at once, the default).
void SetAccountBatchSize(DWORD entries);
// The enumeration call number `call` (1 = the first) and all later ones fail
// with `status`; with `withBuffer` the failing call still hands out a buffer.
void RefuseAccountEnumeration(NET_API_STATUS status, int call = 1, bool withBuffer = false);

// Where profiles live on the running generation: C:\Documents and Settings
// before Vista, C:\Users from Vista on.
std::string ProfilesRoot();
// The real SendTo folder of a profile: root\name\SendTo before Vista, root\name
// \AppData\Roaming\Microsoft\Windows\SendTo from Vista on.
std::string SendToFolder(const std::string &profile);
// Creates a profile folder with its SendTo folder and, from Vista on, the
// compatibility link root\name\SendTo to it. Returns the real SendTo folder.
std::string MakeProfile(const std::string &profile);

// What GetProcAddress of the simulated netapi32 hands out: NetUserEnum and
// NetApiBufferFree, NULL for other names.
FARPROC NetApiExport(const char *name);

}  // namespace sim

#endif
