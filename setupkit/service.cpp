#include "service.h"

#include <string.h>

#include "log_registry.h"

// The services ours needs running first, as a list of names each ending in a
// NUL, closed by one more NUL: here LanmanWorkstation alone.
static const char kDependencies[] = "LanmanWorkstation\0";

// How long a service that accepted the stop request is given before its
// deletion is requested. The manager deletes it once it has stopped, so the
// stop is not waited for.
static const DWORD kStopPauseMs = 500;

// Opens the local machine's active service database. Create access is asked for
// even where nothing is created; connect access comes with every open.
static SC_HANDLE OpenServiceManager(void)
{
    return OpenSCManagerA(NULL, NULL, SC_MANAGER_CREATE_SERVICE);
}

// Closes a manager or service handle; NULL is ignored.
static void CloseServiceHandleIfOpen(SC_HANDLE handle)
{
    if (handle != NULL)
        CloseServiceHandle(handle);
}

// Opens the manager into *manager and the named service with full access;
// NULL when either fails (*manager may still need closing).
static SC_HANDLE OpenExistingService(const char *serviceName, SC_HANDLE *manager)
{
    *manager = OpenServiceManager();
    if (*manager == NULL)
        return NULL;
    return OpenServiceA(*manager, serviceName, SERVICE_ALL_ACCESS);
}

BOOL RemoveService(const char *serviceName)
{
    SC_HANDLE manager = NULL;
    SC_HANDLE service = NULL;
    SERVICE_STATUS status;
    BOOL deleted = FALSE;

    service = OpenExistingService(serviceName, &manager);
    if (service == NULL)
        goto out;

    memset(&status, 0, sizeof(status));
    if (QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED) {
        if (ControlService(service, SERVICE_CONTROL_STOP, &status))
            Sleep(kStopPauseMs);
    }
    // Also when the status was unknown or the stop refused: a service marked
    // for deletion goes as soon as it has stopped.
    deleted = DeleteService(service) ? TRUE : FALSE;

out:
    CloseServiceHandleIfOpen(service);
    CloseServiceHandleIfOpen(manager);
    return deleted;
}

BOOL InstallService(const char *serviceName, const char *commandLine, BOOL autoStart)
{
    SC_HANDLE manager = NULL;
    SC_HANDLE service = NULL;
    DWORD startType = autoStart ? SERVICE_AUTO_START : SERVICE_DEMAND_START;
    BOOL installed = FALSE;

    manager = OpenServiceManager();
    if (manager == NULL)
        goto out;

    service = CreateServiceA(manager,                    // the local service manager
                             serviceName,                // service name
                             serviceName,                // display name: the same string
                             SERVICE_ALL_ACCESS,         // access to the new service's handle
                             SERVICE_WIN32_OWN_PROCESS,  // runs in a process of its own
                             startType,                  // automatic or on demand
                             SERVICE_ERROR_NORMAL,       // a failed start is logged, booting goes on
                             commandLine,                // run exactly as the caller formed it
                             NULL,                       // no load-order group
                             NULL,                       // no tag
                             kDependencies,              // needs LanmanWorkstation
                             NULL,                       // runs as LocalSystem
                             NULL);                      // no password
    if (service != NULL) {
        WriteSetupLog("CreateService:%s\n", serviceName);
        installed = TRUE;
        goto out;
    }

    // Whatever made the creation fail, a service of that name that opens is
    // brought to the same configuration.
    service = OpenServiceA(manager, serviceName, SERVICE_ALL_ACCESS);
    if (service == NULL)
        goto out;
    // A refused reconfiguration leaves the service as it was; the install goes on.
    ChangeServiceConfigA(service,                    // the existing service
                         SERVICE_WIN32_OWN_PROCESS,  // runs in a process of its own
                         startType,                  // automatic or on demand
                         SERVICE_ERROR_NORMAL,       // a failed start is logged, booting goes on
                         commandLine,                // run exactly as the caller formed it
                         NULL,                       // load-order group unchanged
                         NULL,                       // no tag
                         kDependencies,              // needs LanmanWorkstation
                         NULL,                       // account unchanged
                         NULL,                       // password unchanged
                         serviceName);               // display name set back to the service name
    installed = TRUE;

out:
    CloseServiceHandleIfOpen(service);
    CloseServiceHandleIfOpen(manager);
    return installed;
}

BOOL StartServiceIfStopped(const char *serviceName)
{
    SC_HANDLE manager = NULL;
    SC_HANDLE service = NULL;
    SERVICE_STATUS status;
    BOOL started = FALSE;

    service = OpenExistingService(serviceName, &manager);
    if (service == NULL)
        goto out;

    memset(&status, 0, sizeof(status));
    // Any state but stopped counts as running: a pending service is left to itself.
    if (QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_STOPPED &&
        StartServiceA(service, 0, NULL)) {
        WriteSetupLog("RestartService:%s\n", serviceName);
        started = TRUE;
    }

out:
    CloseServiceHandleIfOpen(service);
    CloseServiceHandleIfOpen(manager);
    return started;
}
