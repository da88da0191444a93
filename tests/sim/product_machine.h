// A simulated Windows as the two programs meet it: the special folders exist,
// the logged-on user "user" and a second account "guest" have profiles, and the
// default profile is there; the installer's payload is among the module's
// resources.
#ifndef TESTS_SIM_PRODUCT_MACHINE_H
#define TESTS_SIM_PRODUCT_MACHINE_H

#include <string>

#include "platform.h"

namespace simtest {

// The payload bytes the tests register as the installer's resources.
extern const std::string kApplicationBytes;
extern const std::string kUninstallerBytes;
extern const std::string kTermsBytes;
extern const std::string kMovieBytes;

// Resets the machine to this Windows version and lays out its folders.
void PrepareWindows(DWORD major, DWORD minor);
// Registers the installer's payload as resources of the running module.
void AddInstallerPayload();
// The path of a special folder on the prepared machine.
std::string Folder(int csidl);

}  // namespace simtest

#endif
