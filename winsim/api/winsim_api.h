// The simulated Windows layer's declarations: what the product includes in place
// of the system headers when it is built for the tests.
#ifndef WINSIM_API_H
#define WINSIM_API_H

#include "base.h"
#include "kernel.h"
#include "registry.h"
#include "resources.h"
#include "services.h"
#include "user.h"
#include "crt.h"
#include "shell.h"
#include "netapi.h"
#include "modules.h"
#include "toplevel.h"

#endif
