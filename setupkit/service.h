// Service control: the product's service stopped and deleted, created or
// reconfigured, and started, each in one call that opens and closes its own
// handles to the local service manager.
#ifndef SETUPKIT_SERVICE_H
#define SETUPKIT_SERVICE_H

#include "platform.h"

// Stops the service unless it is already stopped, then requests its deletion;
// nonzero when the deletion request was accepted.
BOOL RemoveService(const char *serviceName);
// Creates the service as an own-process service that depends on
// LanmanWorkstation and starts automatically (autoStart nonzero) or on demand,
// running commandLine exactly as given; when it cannot be created, gives the
// existing service of that name the same configuration. Nonzero when the
// service was created or the existing one could be opened.
BOOL InstallService(const char *serviceName, const char *commandLine, BOOL autoStart);
// Starts the service when it is stopped; nonzero only when it was found stopped
// and the start request was accepted.
BOOL StartServiceIfStopped(const char *serviceName);

#endif
