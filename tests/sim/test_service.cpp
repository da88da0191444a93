// Service control: every call the three operations make, in order, with what the
// service manager answered, where the one pause stands and where the log lines
// fall between the calls; and the service as the manager holds it afterwards.
#include <stdio.h>

#include <string>
#include <vector>

#include "log_registry.h"
#include "names.h"
#include "service.h"
#include "services.h"
#include "sim_test.h"

namespace {

// Each piece the setup log writes becomes a "log" entry of the trace, so that a
// log line's place between the calls is part of the expected trace.
ssize_t LogIntoTrace(void *, const char *buffer, size_t size)
{
    std::string text;
    for (size_t i = 0; i < size; ++i)
        text += buffer[i] == '\n' ? std::string("\\n") : std::string(1, buffer[i]);
    sim::Record("log", "\"%s\"", text.c_str());
    return (ssize_t)size;
}

class ServiceTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        cookie_io_functions_t io = {nullptr, LogIntoTrace, nullptr, nullptr};
        g_setupLog = fopencookie(nullptr, "w", io);
        ASSERT_NE(g_setupLog, nullptr);
        testing::internal::CaptureStdout();  // the log's echo
    }
    void TearDown() override
    {
        testing::internal::GetCapturedStdout();
        SimTest::TearDown();
    }
    // The trace as "Call(arguments) -> result" lines, of the listed calls only
    // when names are given.
    static std::vector<std::string> Steps(const std::vector<std::string> &names = {})
    {
        std::vector<std::string> steps;
        for (const sim::Call &call : sim::Trace()) {
            bool wanted = names.empty();
            for (const std::string &name : names)
                wanted = wanted || call.name == name;
            if (wanted)
                steps.push_back(call.result.empty() ? call.text : call.text + " -> " + call.result);
        }
        return steps;
    }
};

// The product's service as an earlier version left it: another command line and
// start type, its own account and display name.
sim::Service OldService(DWORD state)
{
    sim::Service old;
    old.name = VELODAR_SERVICE_NAME;
    old.displayName = "Velodar (earlier version)";
    old.serviceType = SERVICE_WIN32_SHARE_PROCESS;
    old.startType = SERVICE_DISABLED;
    old.errorControl = SERVICE_ERROR_IGNORE;
    old.binaryPath = "C:\\Velodar\\old.exe";
    old.dependencies = std::string("Tcpip\0Dhcp\0\0", 12);
    old.account = "NT AUTHORITY\\LocalService";
    old.state = state;
    return old;
}

// A service's configuration and state on one line.
std::string Describe(const sim::Service &s)
{
    std::string deps;
    for (char c : s.dependencies)
        deps += c == '\0' ? std::string("\\0") : std::string(1, c);
    char text[1024];
    snprintf(text, sizeof(text), "display=\"%s\" type=0x%X start=%u error=%u path=\"%s\" deps=\"%s\" account=\"%s\" state=%u%s",
             s.displayName.c_str(), s.serviceType, s.startType, s.errorControl, s.binaryPath.c_str(), deps.c_str(),
             s.account.c_str(), s.state, s.markedForDelete ? " marked" : "");
    return text;
}

std::string DescribeProductService()
{
    sim::Service service;
    return sim::GetService(VELODAR_SERVICE_NAME, &service) ? Describe(service) : "(none)";
}

const char *const kNone = "(none)";

TEST_F(ServiceTest, RemoveStopsWhatIsNotStoppedPausesOnlyAfterAnAcceptedStopAndAlwaysDeletes)
{
    struct Case {
        const char *what;
        bool administrator;
        bool present;
        DWORD state;
        sim::StopAnswer stop;
        DWORD queryError;
        bool openDenied;
        bool alreadyMarked;
        BOOL result;
        std::vector<std::string> steps;
        unsigned long long elapsed;  // virtual milliseconds the call took
        std::string after;           // the service once the call has returned
    };
    const std::string old = "display=\"Velodar (earlier version)\" type=0x20 start=4 error=0 "
                            "path=\"C:\\Velodar\\old.exe\" deps=\"Tcpip\\0Dhcp\\0\\0\" "
                            "account=\"NT AUTHORITY\\LocalService\"";
    const Case cases[] = {
        {"no such service", true, false, 0, sim::kStopStops, 0, false, false, FALSE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> NULL, error 1060)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         0, kNone},
        {"stopped", true, true, SERVICE_STOPPED, sim::kStopStops, 0, false, false, TRUE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(QueryServiceStatus(svc1, &status) -> 1, stopped)",
          R"(DeleteService(svc1) -> 1)",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         0, kNone},
        {"running, stops at once", true, true, SERVICE_RUNNING, sim::kStopStops, 0, false, false, TRUE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(QueryServiceStatus(svc1, &status) -> 1, running)",
          R"(ControlService(svc1, 1, &status) -> 1, stopped)",
          R"(Sleep(500))",
          R"(DeleteService(svc1) -> 1)",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         500, kNone},
        {"running, still stopping after the pause", true, true, SERVICE_RUNNING, sim::kStopPends, 0, false, false,
         TRUE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(QueryServiceStatus(svc1, &status) -> 1, running)",
          R"(ControlService(svc1, 1, &status) -> 1, stop pending)",
          R"(Sleep(500))",
          R"(DeleteService(svc1) -> 1)",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         500, old + " state=3 marked"},
        {"running, refuses the stop", true, true, SERVICE_RUNNING, sim::kStopRefused, 0, false, false, TRUE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(QueryServiceStatus(svc1, &status) -> 1, running)",
          R"(ControlService(svc1, 1, &status) -> 0, error 1052)",
          R"(DeleteService(svc1) -> 1)",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         0, old + " state=4 marked"},
        {"status cannot be read", true, true, SERVICE_RUNNING, sim::kStopStops, ERROR_ACCESS_DENIED, false, false,
         TRUE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(QueryServiceStatus(svc1, &status) -> 0, error 5)",
          R"(DeleteService(svc1) -> 1)",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         0, old + " state=4 marked"},
        {"already marked for deletion", true, true, SERVICE_RUNNING, sim::kStopStops, 0, false, true, FALSE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(QueryServiceStatus(svc1, &status) -> 1, running)",
          R"(ControlService(svc1, 1, &status) -> 1, stopped)",
          R"(Sleep(500))",
          R"(DeleteService(svc1) -> 0, error 1072)",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         500, kNone},  // stopped and its last handle closed: gone
        {"service refuses to be opened", true, true, SERVICE_RUNNING, sim::kStopStops, 0, true, false, FALSE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> NULL, error 5)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         0, old + " state=4"},
        {"manager refused: no administrator rights", false, true, SERVICE_RUNNING, sim::kStopStops, 0, false, false,
         FALSE, {R"(OpenSCManagerA(NULL, NULL, 0x2) -> NULL, error 5)"}, 0, old + " state=4"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        sim::SetAdministrator(c.administrator);
        if (c.present) {
            sim::Service service = OldService(c.state);
            service.stop = c.stop;
            service.queryError = c.queryError;
            service.openDenied = c.openDenied;
            service.markedForDelete = c.alreadyMarked;
            sim::AddService(service);
        }

        EXPECT_EQ(RemoveService(VELODAR_SERVICE_NAME), c.result);
        EXPECT_EQ(Steps(), c.steps);
        EXPECT_EQ(sim::Now(), c.elapsed);
        EXPECT_EQ(DescribeProductService(), c.after);
        EXPECT_EQ(sim::Leaks(), std::vector<std::string>{});
    }
}

TEST_F(ServiceTest, InstallCreatesTheServiceOrGivesTheExistingOneTheSameConfiguration)
{
    struct Case {
        const char *what;
        bool administrator;
        bool existing;
        DWORD reconfigureError;  // scripted refusal of the reconfiguration
        bool existingMarked;
        bool openDenied;
        const char *commandLine;
        BOOL autoStart;
        BOOL result;
        std::vector<std::string> steps;
        std::string after;
    };
    const char *const product = "C:\\Program Files\\Velodar\\Velodar.exe /LocalService";
    const std::string old = "display=\"Velodar (earlier version)\" type=0x20 start=4 error=0 "
                            "path=\"C:\\Velodar\\old.exe\" deps=\"Tcpip\\0Dhcp\\0\\0\" "
                            "account=\"NT AUTHORITY\\LocalService\" state=4";
    const Case cases[] = {
        {"new, started automatically", true, false, 0, false, false, product, TRUE, TRUE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(CreateServiceA(scm1, "Velodar Service", "Velodar Service", 0xF01FF, 0x10, 2, 1, "C:\Program Files\Velodar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL) -> svc1)",
          R"(log("CreateService:Velodar Service\n"))",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         R"(display="Velodar Service" type=0x10 start=2 error=1 path="C:\Program Files\Velodar\Velodar.exe /LocalService" deps="LanmanWorkstation\0\0" account="LocalSystem" state=1)"},
        {"new, autoStart 0: started on demand", true, false, 0, false, false, product, FALSE, TRUE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(CreateServiceA(scm1, "Velodar Service", "Velodar Service", 0xF01FF, 0x10, 3, 1, "C:\Program Files\Velodar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL) -> svc1)",
          R"(log("CreateService:Velodar Service\n"))",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         R"(display="Velodar Service" type=0x10 start=3 error=1 path="C:\Program Files\Velodar\Velodar.exe /LocalService" deps="LanmanWorkstation\0\0" account="LocalSystem" state=1)"},
        {"new, autoStart another nonzero value", true, false, 0, false, false, product, 7, TRUE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(CreateServiceA(scm1, "Velodar Service", "Velodar Service", 0xF01FF, 0x10, 2, 1, "C:\Program Files\Velodar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL) -> svc1)",
          R"(log("CreateService:Velodar Service\n"))",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         R"(display="Velodar Service" type=0x10 start=2 error=1 path="C:\Program Files\Velodar\Velodar.exe /LocalService" deps="LanmanWorkstation\0\0" account="LocalSystem" state=1)"},
        {"command line with spaces and double-byte names, kept as given", true, false, 0, false, false,
         "D:\\ソフト 表\\Velo dar\\Velodar.exe /LocalService", TRUE, TRUE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(CreateServiceA(scm1, "Velodar Service", "Velodar Service", 0xF01FF, 0x10, 2, 1, "D:\ソフト 表\Velo dar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL) -> svc1)",
          R"(log("CreateService:Velodar Service\n"))",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         R"(display="Velodar Service" type=0x10 start=2 error=1 path="D:\ソフト 表\Velo dar\Velodar.exe /LocalService" deps="LanmanWorkstation\0\0" account="LocalSystem" state=1)"},
        {"existing: reconfigured, account kept, display name set back", true, true, 0, false, false, product, TRUE,
         TRUE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(CreateServiceA(scm1, "Velodar Service", "Velodar Service", 0xF01FF, 0x10, 2, 1, "C:\Program Files\Velodar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL) -> NULL, error 1073)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(ChangeServiceConfigA(svc1, 0x10, 2, 1, "C:\Program Files\Velodar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL, "Velodar Service") -> 1)",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         R"(display="Velodar Service" type=0x10 start=2 error=1 path="C:\Program Files\Velodar\Velodar.exe /LocalService" deps="LanmanWorkstation\0\0" account="NT AUTHORITY\LocalService" state=4)"},
        {"existing, autoStart 0", true, true, 0, false, false, product, FALSE, TRUE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(CreateServiceA(scm1, "Velodar Service", "Velodar Service", 0xF01FF, 0x10, 3, 1, "C:\Program Files\Velodar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL) -> NULL, error 1073)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(ChangeServiceConfigA(svc1, 0x10, 3, 1, "C:\Program Files\Velodar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL, "Velodar Service") -> 1)",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         R"(display="Velodar Service" type=0x10 start=3 error=1 path="C:\Program Files\Velodar\Velodar.exe /LocalService" deps="LanmanWorkstation\0\0" account="NT AUTHORITY\LocalService" state=4)"},
        {"existing whose reconfiguration is refused", true, true, ERROR_ACCESS_DENIED, false, false, product, TRUE,
         TRUE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(CreateServiceA(scm1, "Velodar Service", "Velodar Service", 0xF01FF, 0x10, 2, 1, "C:\Program Files\Velodar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL) -> NULL, error 1073)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(ChangeServiceConfigA(svc1, 0x10, 2, 1, "C:\Program Files\Velodar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL, "Velodar Service") -> 0, error 5)",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         old},
        {"existing, still marked for deletion", true, true, 0, true, false, product, TRUE, TRUE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(CreateServiceA(scm1, "Velodar Service", "Velodar Service", 0xF01FF, 0x10, 2, 1, "C:\Program Files\Velodar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL) -> NULL, error 1072)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(ChangeServiceConfigA(svc1, 0x10, 2, 1, "C:\Program Files\Velodar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL, "Velodar Service") -> 0, error 1072)",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         old + " marked"},
        {"existing that refuses to be opened", true, true, 0, false, true, product, TRUE, FALSE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(CreateServiceA(scm1, "Velodar Service", "Velodar Service", 0xF01FF, 0x10, 2, 1, "C:\Program Files\Velodar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL) -> NULL, error 1073)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> NULL, error 5)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         old},
        {"manager refused: no administrator rights", false, false, 0, false, false, product, TRUE, FALSE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> NULL, error 5)"}, kNone},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        sim::SetAdministrator(c.administrator);
        if (c.existing) {
            sim::Service service = OldService(SERVICE_RUNNING);
            service.reconfigureError = c.reconfigureError;
            service.markedForDelete = c.existingMarked;
            service.openDenied = c.openDenied;
            sim::AddService(service);
        }

        EXPECT_EQ(InstallService(VELODAR_SERVICE_NAME, c.commandLine, c.autoStart), c.result);
        EXPECT_EQ(Steps(), c.steps);
        EXPECT_EQ(DescribeProductService(), c.after);
        EXPECT_EQ(sim::Now(), 0u);
        EXPECT_EQ(sim::Leaks(), std::vector<std::string>{});
    }
}

TEST_F(ServiceTest, StartOnlyAStoppedService)
{
    struct Case {
        const char *what;
        bool administrator;
        bool present;
        DWORD state;
        DWORD startError;
        DWORD queryError;
        BOOL result;
        std::vector<std::string> steps;
        DWORD stateAfter;
    };
    const Case cases[] = {
        {"stopped", true, true, SERVICE_STOPPED, 0, 0, TRUE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(QueryServiceStatus(svc1, &status) -> 1, stopped)",
          R"(StartServiceA(svc1, 0, NULL) -> 1)",
          R"(log("RestartService:Velodar Service\n"))",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         SERVICE_RUNNING},
        {"running", true, true, SERVICE_RUNNING, 0, 0, FALSE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(QueryServiceStatus(svc1, &status) -> 1, running)",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         SERVICE_RUNNING},
        {"still stopping: not stopped", true, true, SERVICE_STOP_PENDING, 0, 0, FALSE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(QueryServiceStatus(svc1, &status) -> 1, stop pending)",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         SERVICE_STOP_PENDING},
        {"start refused", true, true, SERVICE_STOPPED, ERROR_SERVICE_REQUEST_TIMEOUT, 0, FALSE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(QueryServiceStatus(svc1, &status) -> 1, stopped)",
          R"(StartServiceA(svc1, 0, NULL) -> 0, error 1053)",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         SERVICE_STOPPED},
        {"status cannot be read", true, true, SERVICE_STOPPED, 0, ERROR_ACCESS_DENIED, FALSE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> svc1)",
          R"(QueryServiceStatus(svc1, &status) -> 0, error 5)",
          R"(CloseServiceHandle(svc1) -> 1)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         SERVICE_STOPPED},
        {"no such service", true, false, 0, 0, 0, FALSE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> scm1)",
          R"(OpenServiceA(scm1, "Velodar Service", 0xF01FF) -> NULL, error 1060)",
          R"(CloseServiceHandle(scm1) -> 1)"},
         0},
        {"manager refused: no administrator rights", false, true, SERVICE_STOPPED, 0, 0, FALSE,
         {R"(OpenSCManagerA(NULL, NULL, 0x2) -> NULL, error 5)"}, SERVICE_STOPPED},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        sim::SetAdministrator(c.administrator);
        if (c.present) {
            sim::Service service = OldService(c.state);
            service.startType = SERVICE_AUTO_START;
            service.startError = c.startError;
            service.queryError = c.queryError;
            sim::AddService(service);
        }

        EXPECT_EQ(StartServiceIfStopped(VELODAR_SERVICE_NAME), c.result);
        EXPECT_EQ(Steps(), c.steps);
        sim::Service after;
        EXPECT_EQ(sim::GetService(VELODAR_SERVICE_NAME, &after), c.present);
        if (c.present) {
            EXPECT_EQ(after.state, c.stateAfter);
        }
        EXPECT_EQ(sim::Now(), 0u);
        EXPECT_EQ(sim::Leaks(), std::vector<std::string>{});
    }
}

// The installer's own order over an earlier version whose service is slow to
// stop: removed but still stopping, it can be neither created again nor
// reconfigured, is not started, and is gone once it has stopped.
TEST_F(ServiceTest, UpgradeOverAServiceStillStoppingLeavesNoServiceOnceItStops)
{
    sim::Service service = OldService(SERVICE_RUNNING);
    service.stop = sim::kStopPends;
    sim::AddService(service);

    EXPECT_EQ(RemoveService(VELODAR_SERVICE_NAME), TRUE);
    EXPECT_EQ(InstallService(VELODAR_SERVICE_NAME, "C:\\Program Files\\Velodar\\Velodar.exe /LocalService", TRUE),
              TRUE);
    EXPECT_EQ(StartServiceIfStopped(VELODAR_SERVICE_NAME), FALSE);
    EXPECT_EQ(Steps({"ControlService", "Sleep", "DeleteService", "CreateServiceA", "ChangeServiceConfigA",
                     "QueryServiceStatus", "StartServiceA", "log"}),
              (std::vector<std::string>{
                  R"(QueryServiceStatus(svc1, &status) -> 1, running)",
                  R"(ControlService(svc1, 1, &status) -> 1, stop pending)",
                  R"(Sleep(500))",
                  R"(DeleteService(svc1) -> 1)",
                  R"(CreateServiceA(scm2, "Velodar Service", "Velodar Service", 0xF01FF, 0x10, 2, 1, "C:\Program Files\Velodar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL) -> NULL, error 1072)",
                  R"(ChangeServiceConfigA(svc2, 0x10, 2, 1, "C:\Program Files\Velodar\Velodar.exe /LocalService", NULL, NULL, "LanmanWorkstation\0\0", NULL, NULL, "Velodar Service") -> 0, error 1072)",
                  R"(QueryServiceStatus(svc3, &status) -> 1, stop pending)",
              }));

    sim::FinishServiceStop(VELODAR_SERVICE_NAME);
    EXPECT_FALSE(sim::ServiceExists(VELODAR_SERVICE_NAME));
}

// The simulated manager keeps a service marked for deletion until it has
// stopped and its last handle is closed, as Windows does.
TEST_F(ServiceTest, MarkedServiceGoesWithItsLastHandle)
{
    sim::AddService(OldService(SERVICE_STOPPED));
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CREATE_SERVICE);
    SC_HANDLE first = OpenServiceA(manager, "velodar service", SERVICE_ALL_ACCESS);
    SC_HANDLE second = OpenServiceA(manager, VELODAR_SERVICE_NAME, SERVICE_QUERY_STATUS);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(DeleteService(second), FALSE);  // no DELETE right on this handle
    EXPECT_EQ(DeleteService(first), TRUE);
    EXPECT_EQ(DeleteService(first), FALSE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SERVICE_MARKED_FOR_DELETE);
    CloseServiceHandle(first);
    EXPECT_TRUE(sim::ServiceExists(VELODAR_SERVICE_NAME));  // |second| still open

    SC_HANDLE again = CreateServiceA(manager, VELODAR_SERVICE_NAME, NULL, SERVICE_ALL_ACCESS,
                                     SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                     "C:\\Velodar.exe", NULL, NULL, NULL, NULL, NULL);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SERVICE_MARKED_FOR_DELETE);
    CloseServiceHandle(second);
    EXPECT_FALSE(sim::ServiceExists(VELODAR_SERVICE_NAME));
    EXPECT_EQ(OpenServiceA(manager, VELODAR_SERVICE_NAME, SERVICE_ALL_ACCESS), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SERVICE_DOES_NOT_EXIST);

    again = CreateServiceA(manager, VELODAR_SERVICE_NAME, NULL, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                           SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, "C:\\Velodar.exe", NULL, NULL, NULL, NULL, NULL);
    ASSERT_NE(again, nullptr);
    SC_HANDLE twice = CreateServiceA(manager, "VELODAR SERVICE", NULL, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                     SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, "C:\\Velodar.exe", NULL, NULL, NULL,
                                     NULL, NULL);
    EXPECT_EQ(twice, nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SERVICE_EXISTS);
    CloseServiceHandle(again);
    CloseServiceHandle(manager);
}

}  // namespace
