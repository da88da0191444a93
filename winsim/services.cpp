// The simulated service control manager and the advapi32 service functions over it.
#include "services.h"

#include <string.h>

#include <map>

#include "codepage.h"

namespace sim {
namespace {

// Standard rights that the service functions check besides their own.
const DWORD kDeleteRight = 0x00010000u;
const DWORD kReadControlRight = 0x00020000u;

// What a user without administrator rights is granted by the default security
// of the manager and of a service.
const DWORD kUserManagerRights =
    SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS | kReadControlRight;
const DWORD kUserServiceRights = SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_ENUMERATE_DEPENDENTS |
                                 SERVICE_INTERROGATE | SERVICE_USER_DEFINED_CONTROL | kReadControlRight;

struct Handle {
    bool manager = false;
    DWORD access = 0;
    std::string service;  // folded name of the service a service handle is open on
};

struct Manager {
    std::map<std::string, Service> services;  // by folded name
    std::map<UINT_PTR, Handle> handles;       // open now
    std::map<UINT_PTR, std::string> labels;   // every handle given out, open or closed
    UINT_PTR nextHandle = 0x5C000;
    int managersGiven = 0;
    int servicesGiven = 0;
};

Manager scm;

void ResetServices() { scm = Manager(); }

void ServiceLeaks(std::vector<std::string> *out)
{
    for (const auto &entry : scm.handles) {
        const std::string &label = scm.labels[entry.first];
        if (entry.second.manager) {
            out->push_back("service manager handle " + label + " still open");
        } else {
            auto it = scm.services.find(entry.second.service);
            out->push_back("service handle " + label + " still open: " +
                           (it != scm.services.end() ? it->second.name : entry.second.service));
        }
    }
}

bool registered = RegisterArea({"services", ResetServices, ServiceLeaks});

std::string HandleText(SC_HANDLE handle)
{
    if (handle == nullptr)
        return "NULL";
    auto it = scm.labels.find((UINT_PTR)handle);
    return it != scm.labels.end() ? it->second : Hex((UINT_PTR)handle);
}

SC_HANDLE GiveHandle(bool manager, DWORD access, const std::string &service)
{
    UINT_PTR id = scm.nextHandle;
    scm.nextHandle += 4;
    Handle handle;
    handle.manager = manager;
    handle.access = access;
    handle.service = service;
    scm.handles[id] = handle;
    scm.labels[id] = manager ? "scm" + std::to_string(++scm.managersGiven) : "svc" + std::to_string(++scm.servicesGiven);
    return (SC_HANDLE)id;
}

Handle *FindHandle(SC_HANDLE handle, bool manager)
{
    auto it = scm.handles.find((UINT_PTR)handle);
    if (it == scm.handles.end() || it->second.manager != manager)
        return nullptr;
    return &it->second;
}

Service *FindService(const std::string &folded)
{
    auto it = scm.services.find(folded);
    return it == scm.services.end() ? nullptr : &it->second;
}

// A multi-string as it was passed: each entry with its NUL, then the list's
// final NUL; "" when the list is empty.
std::string MultiString(const char *list)
{
    if (list == nullptr || *list == '\0')
        return "";
    const char *p = list;
    while (*p != '\0')
        p += strlen(p) + 1;
    return std::string(list, (size_t)(p - list) + 1);
}

// A multi-string for the trace, its NULs shown: "LanmanWorkstation\0\0".
std::string MultiStringText(const char *list)
{
    if (list == nullptr)
        return "NULL";
    std::string text = "\"";
    for (const char *p = list; *p != '\0'; p += strlen(p) + 1)
        text += std::string(p) + "\\0";
    return text + "\\0\"";
}

std::string StartTypeText(DWORD value) { return value == SERVICE_NO_CHANGE ? "SERVICE_NO_CHANGE" : std::to_string(value); }
std::string TypeText(DWORD value) { return value == SERVICE_NO_CHANGE ? "SERVICE_NO_CHANGE" : Hex(value); }

const char *StateName(DWORD state)
{
    static const char *const names[] = {"?",       "stopped",          "start pending", "stop pending",
                                        "running", "continue pending", "pause pending", "paused"};
    return state <= SERVICE_PAUSED ? names[state] : "?";
}

// Another service already shows this display name, or has it as its name.
bool DisplayNameTaken(const std::string &displayName, const std::string &self)
{
    std::string folded = FoldCase(displayName);
    for (const auto &entry : scm.services)
        if (entry.first != self && (entry.first == folded || FoldCase(entry.second.displayName) == folded))
            return true;
    return false;
}

bool AnyHandleOn(const std::string &folded)
{
    for (const auto &entry : scm.handles)
        if (!entry.second.manager && entry.second.service == folded)
            return true;
    return false;
}

// A service marked for deletion leaves the database once it has stopped and the
// last handle to it is closed.
void RemoveIfDone(const std::string &folded)
{
    Service *service = FindService(folded);
    if (service != nullptr && service->markedForDelete && service->state == SERVICE_STOPPED && !AnyHandleOn(folded))
        scm.services.erase(folded);
}

void FillStatus(const Service &service, LPSERVICE_STATUS status)
{
    if (status == nullptr)
        return;
    memset(status, 0, sizeof(*status));
    status->dwServiceType = service.serviceType;
    status->dwCurrentState = service.state;
    status->dwControlsAccepted =
        service.state == SERVICE_RUNNING && service.stop != kStopRefused ? SERVICE_ACCEPT_STOP : 0;
}

BOOL FailBool(DWORD error)
{
    SetLastError(error);
    RecordResult("0, error %u", error);
    return FALSE;
}

SC_HANDLE FailHandle(DWORD error)
{
    SetLastError(error);
    RecordResult("NULL, error %u", error);
    return nullptr;
}

BOOL Succeed()
{
    SetLastError(ERROR_SUCCESS);
    RecordResult("1");
    return TRUE;
}

// The service behind a service handle that has the right asked for, or the
// error to fail with.
Service *ServiceFor(SC_HANDLE handle, DWORD right, DWORD *error)
{
    Handle *open = FindHandle(handle, false);
    if (open == nullptr) {
        *error = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    if ((open->access & right) != right) {
        *error = ERROR_ACCESS_DENIED;
        return nullptr;
    }
    return FindService(open->service);
}

bool ValidTag(LPDWORD tag, DWORD startType)
{
    // Tags order drivers at boot and system start only.
    return tag == nullptr || startType == SERVICE_BOOT_START || startType == SERVICE_SYSTEM_START;
}

bool ValidServiceName(const char *name)
{
    return name != nullptr && *name != '\0' && strchr(name, '\\') == nullptr && strchr(name, '/') == nullptr &&
           strlen(name) <= 256;
}

}  // namespace

void AddService(const Service &service)
{
    Service added = service;
    if (added.displayName.empty())
        added.displayName = added.name;
    scm.services[FoldCase(service.name)] = added;
}

bool GetService(const std::string &name, Service *out)
{
    Service *service = FindService(FoldCase(name));
    if (service == nullptr)
        return false;
    if (out != nullptr)
        *out = *service;
    return true;
}

bool ServiceExists(const std::string &name) { return GetService(name, nullptr); }

void AnswerServiceStop(const std::string &name, StopAnswer answer)
{
    if (Service *service = FindService(FoldCase(name)))
        service->stop = answer;
}

void RefuseServiceStart(const std::string &name, DWORD error)
{
    if (Service *service = FindService(FoldCase(name)))
        service->startError = error;
}

void RefuseServiceReconfiguration(const std::string &name, DWORD error)
{
    if (Service *service = FindService(FoldCase(name)))
        service->reconfigureError = error;
}

void DenyServiceOpen(const std::string &name, bool denied)
{
    if (Service *service = FindService(FoldCase(name)))
        service->openDenied = denied;
}

void FinishServiceStop(const std::string &name)
{
    std::string folded = FoldCase(name);
    Service *service = FindService(folded);
    if (service == nullptr || service->state != SERVICE_STOP_PENDING)
        return;
    service->state = SERVICE_STOPPED;
    RemoveIfDone(folded);
}

}  // namespace sim

using sim::scm;

// Only the local machine's active database; connect access is granted with every open.
SC_HANDLE WINAPI OpenSCManagerA(LPCSTR machine, LPCSTR database, DWORD access)
{
    sim::Record("OpenSCManagerA", "%s, %s, %s", sim::Quote(machine).c_str(), sim::Quote(database).c_str(),
                sim::Hex(access).c_str());
    if (machine != nullptr && *machine != '\0')
        return sim::FailHandle(RPC_S_SERVER_UNAVAILABLE);
    if (database != nullptr && strcmp(database, "ServicesActive") != 0)
        return sim::FailHandle(ERROR_DATABASE_DOES_NOT_EXIST);
    if (!sim::IsAdministrator() && (access & ~sim::kUserManagerRights) != 0)
        return sim::FailHandle(ERROR_ACCESS_DENIED);
    SC_HANDLE handle = sim::GiveHandle(true, access | SC_MANAGER_CONNECT, "");
    SetLastError(ERROR_SUCCESS);
    sim::RecordResult("%s", sim::HandleText(handle).c_str());
    return handle;
}

SC_HANDLE WINAPI OpenServiceA(SC_HANDLE manager, LPCSTR name, DWORD access)
{
    sim::Record("OpenServiceA", "%s, %s, %s", sim::HandleText(manager).c_str(), sim::Quote(name).c_str(),
                sim::Hex(access).c_str());
    if (sim::FindHandle(manager, true) == nullptr)
        return sim::FailHandle(ERROR_INVALID_HANDLE);
    if (name == nullptr || *name == '\0')
        return sim::FailHandle(ERROR_INVALID_NAME);
    std::string folded = sim::FoldCase(name);
    sim::Service *service = sim::FindService(folded);
    if (service == nullptr)
        return sim::FailHandle(ERROR_SERVICE_DOES_NOT_EXIST);
    if (service->openDenied || (!sim::IsAdministrator() && (access & ~sim::kUserServiceRights) != 0))
        return sim::FailHandle(ERROR_ACCESS_DENIED);
    SC_HANDLE handle = sim::GiveHandle(false, access, folded);
    SetLastError(ERROR_SUCCESS);
    sim::RecordResult("%s", sim::HandleText(handle).c_str());
    return handle;
}

// A new service is stopped; with a null account it runs as LocalSystem.
SC_HANDLE WINAPI CreateServiceA(SC_HANDLE manager, LPCSTR name, LPCSTR displayName, DWORD access, DWORD serviceType,
                                DWORD startType, DWORD errorControl, LPCSTR binaryPath, LPCSTR loadOrderGroup,
                                LPDWORD tag, LPCSTR dependencies, LPCSTR account, LPCSTR password)
{
    sim::Record("CreateServiceA", "%s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s",
                sim::HandleText(manager).c_str(), sim::Quote(name).c_str(), sim::Quote(displayName).c_str(),
                sim::Hex(access).c_str(), sim::TypeText(serviceType).c_str(), sim::StartTypeText(startType).c_str(),
                sim::StartTypeText(errorControl).c_str(), sim::Quote(binaryPath).c_str(),
                sim::Quote(loadOrderGroup).c_str(), tag == nullptr ? "NULL" : "&tag",
                sim::MultiStringText(dependencies).c_str(), sim::Quote(account).c_str(),
                password == nullptr ? "NULL" : "password");
    sim::Handle *open = sim::FindHandle(manager, true);
    if (open == nullptr)
        return sim::FailHandle(ERROR_INVALID_HANDLE);
    if (!(open->access & SC_MANAGER_CREATE_SERVICE))
        return sim::FailHandle(ERROR_ACCESS_DENIED);
    if (!sim::ValidServiceName(name))
        return sim::FailHandle(ERROR_INVALID_NAME);
    if (binaryPath == nullptr || *binaryPath == '\0' || serviceType == SERVICE_NO_CHANGE ||
        startType > SERVICE_DISABLED || errorControl > SERVICE_ERROR_CRITICAL || !sim::ValidTag(tag, startType))
        return sim::FailHandle(ERROR_INVALID_PARAMETER);
    std::string folded = sim::FoldCase(name);
    if (sim::Service *existing = sim::FindService(folded))
        return sim::FailHandle(existing->markedForDelete ? ERROR_SERVICE_MARKED_FOR_DELETE : ERROR_SERVICE_EXISTS);
    std::string shown = displayName != nullptr && *displayName != '\0' ? displayName : name;
    if (sim::DisplayNameTaken(shown, folded))
        return sim::FailHandle(ERROR_DUPLICATE_SERVICE_NAME);

    sim::Service service;
    service.name = name;
    service.displayName = shown;
    service.serviceType = serviceType;
    service.startType = startType;
    service.errorControl = errorControl;
    service.binaryPath = binaryPath;
    service.loadOrderGroup = loadOrderGroup != nullptr ? loadOrderGroup : "";
    service.dependencies = sim::MultiString(dependencies);
    service.account = account != nullptr ? account : "LocalSystem";
    service.password = password != nullptr ? password : "";
    scm.services[folded] = service;
    if (tag != nullptr)
        *tag = 0;
    SC_HANDLE handle = sim::GiveHandle(false, access, folded);
    SetLastError(ERROR_SUCCESS);
    sim::RecordResult("%s", sim::HandleText(handle).c_str());
    return handle;
}

// SERVICE_NO_CHANGE and null strings keep what the service has; a null account
// in particular leaves the account as it was.
BOOL WINAPI ChangeServiceConfigA(SC_HANDLE handle, DWORD serviceType, DWORD startType, DWORD errorControl,
                                 LPCSTR binaryPath, LPCSTR loadOrderGroup, LPDWORD tag, LPCSTR dependencies,
                                 LPCSTR account, LPCSTR password, LPCSTR displayName)
{
    sim::Record("ChangeServiceConfigA", "%s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s", sim::HandleText(handle).c_str(),
                sim::TypeText(serviceType).c_str(), sim::StartTypeText(startType).c_str(),
                sim::StartTypeText(errorControl).c_str(), sim::Quote(binaryPath).c_str(),
                sim::Quote(loadOrderGroup).c_str(), tag == nullptr ? "NULL" : "&tag",
                sim::MultiStringText(dependencies).c_str(), sim::Quote(account).c_str(),
                password == nullptr ? "NULL" : "password", sim::Quote(displayName).c_str());
    DWORD error = 0;
    sim::Service *service = sim::ServiceFor(handle, SERVICE_CHANGE_CONFIG, &error);
    if (service == nullptr)
        return sim::FailBool(error);
    if (service->markedForDelete)
        return sim::FailBool(ERROR_SERVICE_MARKED_FOR_DELETE);
    if (service->reconfigureError != 0)
        return sim::FailBool(service->reconfigureError);
    DWORD newStart = startType == SERVICE_NO_CHANGE ? service->startType : startType;
    if ((startType != SERVICE_NO_CHANGE && startType > SERVICE_DISABLED) ||
        (errorControl != SERVICE_NO_CHANGE && errorControl > SERVICE_ERROR_CRITICAL) ||
        (binaryPath != nullptr && *binaryPath == '\0') || !sim::ValidTag(tag, newStart))
        return sim::FailBool(ERROR_INVALID_PARAMETER);
    std::string folded = sim::FoldCase(service->name);
    if (displayName != nullptr && *displayName != '\0' && sim::DisplayNameTaken(displayName, folded))
        return sim::FailBool(ERROR_DUPLICATE_SERVICE_NAME);

    if (serviceType != SERVICE_NO_CHANGE)
        service->serviceType = serviceType;
    service->startType = newStart;
    if (errorControl != SERVICE_NO_CHANGE)
        service->errorControl = errorControl;
    if (binaryPath != nullptr)
        service->binaryPath = binaryPath;
    if (loadOrderGroup != nullptr)
        service->loadOrderGroup = loadOrderGroup;
    if (dependencies != nullptr)
        service->dependencies = sim::MultiString(dependencies);
    if (account != nullptr)
        service->account = account;
    if (password != nullptr)
        service->password = password;
    if (displayName != nullptr && *displayName != '\0')
        service->displayName = displayName;
    if (tag != nullptr)
        *tag = 0;
    return sim::Succeed();
}

BOOL WINAPI QueryServiceStatus(SC_HANDLE handle, LPSERVICE_STATUS status)
{
    sim::Record("QueryServiceStatus", "%s, %s", sim::HandleText(handle).c_str(), status == nullptr ? "NULL" : "&status");
    DWORD error = 0;
    sim::Service *service = sim::ServiceFor(handle, SERVICE_QUERY_STATUS, &error);
    if (service == nullptr)
        return sim::FailBool(error);
    if (status == nullptr)
        return sim::FailBool(ERROR_INVALID_PARAMETER);
    if (service->queryError != 0)
        return sim::FailBool(service->queryError);
    sim::FillStatus(*service, status);
    SetLastError(ERROR_SUCCESS);
    sim::RecordResult("1, %s", sim::StateName(service->state));
    return TRUE;
}

// Only the stop request changes anything; a service that is already stopping,
// or still starting, cannot take it.
BOOL WINAPI ControlService(SC_HANDLE handle, DWORD control, LPSERVICE_STATUS status)
{
    sim::Record("ControlService", "%s, %u, %s", sim::HandleText(handle).c_str(), control,
                status == nullptr ? "NULL" : "&status");
    DWORD right = control == SERVICE_CONTROL_STOP          ? SERVICE_STOP
                  : control == SERVICE_CONTROL_INTERROGATE ? SERVICE_INTERROGATE
                                                           : SERVICE_PAUSE_CONTINUE;
    DWORD error = 0;
    sim::Service *service = sim::ServiceFor(handle, right, &error);
    if (service == nullptr)
        return sim::FailBool(error);
    if (status == nullptr)
        return sim::FailBool(ERROR_INVALID_PARAMETER);
    if (control != SERVICE_CONTROL_STOP && control != SERVICE_CONTROL_INTERROGATE)
        return sim::FailBool(ERROR_INVALID_SERVICE_CONTROL);
    if (service->state == SERVICE_STOPPED)
        return sim::FailBool(ERROR_SERVICE_NOT_ACTIVE);
    if (control == SERVICE_CONTROL_STOP) {
        if (service->state == SERVICE_STOP_PENDING || service->state == SERVICE_START_PENDING) {
            sim::FillStatus(*service, status);
            return sim::FailBool(ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
        }
        if (service->stop == sim::kStopRefused) {
            sim::FillStatus(*service, status);
            return sim::FailBool(ERROR_INVALID_SERVICE_CONTROL);
        }
        service->state = service->stop == sim::kStopPends ? SERVICE_STOP_PENDING : SERVICE_STOPPED;
    }
    sim::FillStatus(*service, status);
    SetLastError(ERROR_SUCCESS);
    sim::RecordResult("1, %s", sim::StateName(service->state));
    return TRUE;
}

BOOL WINAPI StartServiceA(SC_HANDLE handle, DWORD count, LPCSTR *arguments)
{
    sim::Record("StartServiceA", "%s, %u, %s", sim::HandleText(handle).c_str(), count,
                arguments == nullptr ? "NULL" : "arguments");
    DWORD error = 0;
    sim::Service *service = sim::ServiceFor(handle, SERVICE_START, &error);
    if (service == nullptr)
        return sim::FailBool(error);
    if (service->markedForDelete)
        return sim::FailBool(ERROR_SERVICE_MARKED_FOR_DELETE);
    if (service->state != SERVICE_STOPPED)
        return sim::FailBool(ERROR_SERVICE_ALREADY_RUNNING);
    if (service->startType == SERVICE_DISABLED)
        return sim::FailBool(ERROR_SERVICE_DISABLED);
    if (service->startError != 0)
        return sim::FailBool(service->startError);
    service->state = SERVICE_RUNNING;
    return sim::Succeed();
}

// Marks the service; it goes once it has stopped and its last handle is closed.
BOOL WINAPI DeleteService(SC_HANDLE handle)
{
    sim::Record("DeleteService", "%s", sim::HandleText(handle).c_str());
    DWORD error = 0;
    sim::Service *service = sim::ServiceFor(handle, sim::kDeleteRight, &error);
    if (service == nullptr)
        return sim::FailBool(error);
    if (service->markedForDelete)
        return sim::FailBool(ERROR_SERVICE_MARKED_FOR_DELETE);
    service->markedForDelete = true;
    return sim::Succeed();
}

BOOL WINAPI CloseServiceHandle(SC_HANDLE handle)
{
    sim::Record("CloseServiceHandle", "%s", sim::HandleText(handle).c_str());
    auto it = scm.handles.find((UINT_PTR)handle);
    if (it == scm.handles.end())
        return sim::FailBool(ERROR_INVALID_HANDLE);
    std::string service = it->second.manager ? std::string() : it->second.service;
    scm.handles.erase(it);
    if (!service.empty())
        sim::RemoveIfDone(service);
    return sim::Succeed();
}
