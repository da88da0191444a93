// The running module's resources in the simulated machine: what a test
// registers is what FindResourceA and friends find.
#ifndef WINSIM_RESOURCES_H
#define WINSIM_RESOURCES_H

#include <string>

#include "machine.h"

namespace sim {

// Registers a resource of the running module under a type name ("APPL") and a
// numeric id; the bytes stay at one address until the machine is reset.
void AddResource(const std::string &type, WORD id, WORD language, const std::string &bytes);
// The address LockResource gives for that resource, or NULL.
const void *ResourceData(const std::string &type, WORD id);

}  // namespace sim

#endif
