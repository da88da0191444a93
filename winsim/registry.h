// The simulated registry: HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, case-
// insensitive key and value names, typed values, open key handles, and access
// denied under HKEY_LOCAL_MACHINE for a user without administrator rights.
#ifndef WINSIM_REGISTRY_H
#define WINSIM_REGISTRY_H

#include <string>
#include <vector>

#include "machine.h"

namespace sim {

// Creates a key with any missing parents.
void RegMakeKey(HKEY root, const std::string &path);
bool RegKeyExists(HKEY root, const std::string &path);
// Stores a REG_SZ value (terminator included), creating the key as needed.
void RegPutString(HKEY root, const std::string &path, const std::string &name, const std::string &value);
// Reads a value's type and bytes; false when the key or value is missing.
bool RegGetValue(HKEY root, const std::string &path, const std::string &name, DWORD *type, std::string *bytes);
// Names of a key's values, in the order they were first set.
std::vector<std::string> RegValueNames(HKEY root, const std::string &path);

}  // namespace sim

#endif
