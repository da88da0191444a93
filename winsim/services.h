// The simulated service control manager: services with their configuration and
// state, manager and service handles with the access they were opened with, stop
// and start requests that are accepted or refused, and deletion as Windows does
// it: a service marked for deletion stays in the database until it has stopped
// and its last handle is closed, and cannot be created again meanwhile. Without
// administrator rights the manager cannot be opened for creating services and
// services cannot be opened for full access.
//
// In the trace a handle appears as the manager or service handle it is, numbered
// in the order the machine gave them out ("scm1", "svc1", "svc2"); strings are
// quoted and the dependency list shows its NULs ("LanmanWorkstation\0\0").
#ifndef WINSIM_SERVICES_H
#define WINSIM_SERVICES_H

#include <string>
#include <vector>

#include "machine.h"

namespace sim {

// What happens to a stop request for a service that is running.
enum StopAnswer {
    kStopStops,    // accepted; the service is stopped at once
    kStopPends,    // accepted; the service stays stop-pending until FinishServiceStop
    kStopRefused,  // refused with ERROR_INVALID_SERVICE_CONTROL (the service does not accept stop)
};

// One service in the manager's database.
struct Service {
    std::string name;
    std::string displayName;
    DWORD serviceType = SERVICE_WIN32_OWN_PROCESS;
    DWORD startType = SERVICE_DEMAND_START;
    DWORD errorControl = SERVICE_ERROR_NORMAL;
    std::string binaryPath;
    std::string loadOrderGroup;
    // The multi-string with every NUL, the list's final one included:
    // std::string("LanmanWorkstation\0\0", 19); "" for none.
    std::string dependencies;
    std::string account = "LocalSystem";
    std::string password;
    DWORD state = SERVICE_STOPPED;
    bool markedForDelete = false;

    // How the service and the manager answer the product.
    StopAnswer stop = kStopStops;
    DWORD queryError = 0;         // QueryServiceStatus fails with this error (0: it answers)
    DWORD startError = 0;         // StartServiceA is refused with this error (0: the service runs)
    DWORD reconfigureError = 0;   // ChangeServiceConfigA is refused with this error (0: accepted)
    bool openDenied = false;      // its security lets no one open it: ERROR_ACCESS_DENIED
};

// Adds a service (its display name defaults to its name); replaces one of that name.
void AddService(const Service &service);
// Reads a service back; false when the database has no service of that name.
bool GetService(const std::string &name, Service *out);
bool ServiceExists(const std::string &name);

// Scripts the answers of an existing service.
void AnswerServiceStop(const std::string &name, StopAnswer answer);
void RefuseServiceStart(const std::string &name, DWORD error = ERROR_SERVICE_REQUEST_TIMEOUT);
void RefuseServiceReconfiguration(const std::string &name, DWORD error = ERROR_ACCESS_DENIED);
void DenyServiceOpen(const std::string &name, bool denied = true);

// Ends the stop of a stop-pending service: it is stopped, and removed when it is
// marked for deletion and no handle to it is open.
void FinishServiceStop(const std::string &name);

}  // namespace sim

#endif
