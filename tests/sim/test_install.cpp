// The install sequence behind "同意する >".
#include <string.h>

#include "accounts.h"
#include "com_shell.h"
#include "dialogs.h"
#include "files.h"
#include "install.h"
#include "installer.h"
#include "names.h"
#include "payload.h"
#include "product_machine.h"
#include "registry.h"
#include "resource.h"
#include "services.h"
#include "sim_test.h"
#include "toplevel.h"

namespace {

typedef std::vector<std::string> Lines;

const char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kVirtualStore[] = "Software\\Classes\\VirtualStore\\Machine\\Software\\Osterlund\\Velodar";
const char kFailed[] = "インストールに失敗しました。";
const char kComplete[] = "インストールが完了しました。\n「Velodar」を起動します。";
const char kAppPath[] = "C:\\Program Files\\Velodar\\Velodar.exe";
const HWND kTermsPage = (HWND)(UINT_PTR)0x777;

// The calls that show what the sequence does, in the order it does them.
const Lines kMilestones = {"ControlService", "DeleteService", "PostMessageA", "Sleep", "RegDeleteValueA",
                           "RegDeleteKeyA", "CreateDirectoryA", "CreateFileA", "MessageBoxA", "IPersistFile::Save",
                           "RegSetValueExA", "ShellExecuteA", "CreateServiceA", "ChangeServiceConfigA",
                           "StartServiceA"};

std::string Timed(const sim::Call &call) { return std::to_string(call.time) + " " + call.text; }

Lines MilestoneTrace()
{
    Lines out;
    for (const sim::Call &call : sim::Trace())
        for (const std::string &name : kMilestones)
            if (call.name == name)
                out.push_back(Timed(call));
    return out;
}

class InstallTest : public SimTest {
protected:
    void Prepare(DWORD major, DWORD minor)
    {
        simtest::PrepareWindows(major, minor);
        simtest::AddInstallerPayload();
        g_instance = sim::ModuleInstance();
    }
    // An earlier installation: its service running, its application's window
    // open, start-up entries of older versions.
    void PrepareEarlierInstallation()
    {
        sim::Service old;
        old.name = VELODAR_SERVICE_NAME;
        old.state = SERVICE_RUNNING;
        old.binaryPath = "C:\\old\\Velodar.exe /LocalService";
        sim::AddService(old);
        sim::AddTopLevelWindow(VELODAR_NAME);
        sim::RegPutString(HKEY_CURRENT_USER, kRun, VELODAR_NAME, "C:\\old\\Velodar.exe");
        sim::RegPutString(HKEY_LOCAL_MACHINE, kRun, VELODAR_NAME, "C:\\old\\Velodar.exe");
        sim::RegMakeKey(HKEY_CURRENT_USER, kVirtualStore);
        sim::PutFile(std::string(kAppPath), std::string(100000, 'o'));
    }
};

TEST_F(InstallTest, WholeSequenceOverAnEarlierInstallation)
{
    const std::string sendTo = "IPersistFile::Save(L\"";
    const std::string link = "\\SendTo\\" VELODAR_SENDTO_FILE "\", TRUE)";
    const std::string service = "CreateServiceA(scm2, \"Velodar Service\", \"Velodar Service\", 0xF01FF, 0x10, 2, 1, "
                                "\"\"C:\\Program Files\\Velodar\\Velodar.exe\" /LocalService\", NULL, NULL, "
                                "\"LanmanWorkstation\\0\\0\", NULL, NULL)";
    struct Case {
        DWORD major, minor;
        Lines expected;
    };
    const Case cases[] = {
        {6, 1,
         {"0 ControlService(svc1, 1, &status)", "0 Sleep(500)", "500 DeleteService(svc1)",
          "500 PostMessageA(0x10010, WM_DESTROY, 0, 0)", "500 Sleep(2000)",
          "2500 RegDeleteValueA(0x1000, \"Velodar\")",
          "2500 RegDeleteKeyA(HKCU, \"" + std::string(kVirtualStore) + "\")",
          "2500 RegDeleteValueA(0x1004, \"Velodar\")",
          "2500 CreateDirectoryA(\"C:\\Program Files\\Velodar\\\", NULL)",
          "2500 CreateFileA(\"C:\\Program Files\\Velodar\\Velodar.exe\", GENERIC_WRITE, 0x0, NULL, CREATE_ALWAYS, 0x80, NULL)",
          "2500 CreateFileA(\"C:\\Program Files\\Velodar\\mov.dat\", GENERIC_WRITE, 0x0, NULL, CREATE_ALWAYS, 0x80, NULL)",
          "2500 CreateFileA(\"C:\\Program Files\\Velodar\\licence.txt\", GENERIC_WRITE, 0x0, NULL, CREATE_ALWAYS, 0x80, NULL)",
          "2500 CreateFileA(\"C:\\Windows\\uninstall_Velodar.exe\", GENERIC_WRITE, 0x0, NULL, CREATE_ALWAYS, 0x80, NULL)",
          "2500 CreateDirectoryA(\"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Velodar\\\", NULL)",
          "2500 IPersistFile::Save(L\"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Velodar\\Velodar Server.lnk\", TRUE)",
          "2500 IPersistFile::Save(L\"C:\\Users\\Public\\Desktop\\Velodar Server.lnk\", TRUE)",
          "2500 " + sendTo + "C:\\Users\\user" + link, "2500 " + sendTo + "C:\\Users\\guest" + link,
          "2500 " + sendTo + "C:\\Users\\Default" + link,
          "2500 RegSetValueExA(0x1008, \"DisplayName\", 0, 1, \"Velodar Server\", 15)",
          "2500 RegSetValueExA(0x1008, \"UninstallString\", 0, 1, \"C:\\Windows\\uninstall_Velodar.exe\", 33)",
          "2500 ShellExecuteA(NULL, \"open\", \"C:\\Windows\\system32\\netsh.exe\", \"advfirewall firewall add rule "
          "name=\"Velodar Server\" dir=in action=allow program=\"C:\\Program Files\\Velodar\\Velodar.exe\" enable=yes\", NULL, 0)",
          "2500 ShellExecuteA(NULL, \"open\", \"C:\\Windows\\system32\\netsh.exe\", \"advfirewall firewall add rule "
          "name=\"Velodar Server\" dir=in action=allow protocol=TCP localport=8899\", NULL, 0)",
          "2500 MessageBoxA(0x777, \"" + std::string(kComplete) + "\", \"Velodar\", 0x0)", "2500 " + service,
          "2500 StartServiceA(svc3, 0, NULL)"}},
        {5, 1,
         {"0 ControlService(svc1, 1, &status)", "0 Sleep(500)", "500 DeleteService(svc1)",
          "500 PostMessageA(0x10010, WM_DESTROY, 0, 0)", "500 Sleep(2000)",
          "2500 RegDeleteValueA(0x1000, \"Velodar\")",
          "2500 CreateDirectoryA(\"C:\\Program Files\\Velodar\\\", NULL)",
          "2500 CreateFileA(\"C:\\Program Files\\Velodar\\Velodar.exe\", GENERIC_WRITE, 0x0, NULL, CREATE_ALWAYS, 0x80, NULL)",
          "2500 CreateFileA(\"C:\\Program Files\\Velodar\\mov.dat\", GENERIC_WRITE, 0x0, NULL, CREATE_ALWAYS, 0x80, NULL)",
          "2500 CreateFileA(\"C:\\Program Files\\Velodar\\licence.txt\", GENERIC_WRITE, 0x0, NULL, CREATE_ALWAYS, 0x80, NULL)",
          "2500 CreateFileA(\"C:\\WINDOWS\\uninstall_Velodar.exe\", GENERIC_WRITE, 0x0, NULL, CREATE_ALWAYS, 0x80, NULL)",
          "2500 CreateDirectoryA(\"C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Velodar\\\", NULL)",
          "2500 IPersistFile::Save(L\"C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Velodar\\Velodar Server.lnk\", TRUE)",
          "2500 IPersistFile::Save(L\"C:\\Documents and Settings\\All Users\\Desktop\\Velodar Server.lnk\", TRUE)",
          "2500 " + sendTo + "C:\\Documents and Settings\\user" + link,
          "2500 " + sendTo + "C:\\Documents and Settings\\guest" + link,
          "2500 " + sendTo + "C:\\Documents and Settings\\Default User" + link,
          "2500 RegSetValueExA(0x1004, \"DisplayName\", 0, 1, \"Velodar Server\", 15)",
          "2500 RegSetValueExA(0x1004, \"UninstallString\", 0, 1, \"C:\\WINDOWS\\uninstall_Velodar.exe\", 33)",
          "2500 ShellExecuteA(NULL, \"open\", \"C:\\WINDOWS\\system32\\netsh.exe\", \"firewall add allowedprogram "
          "\"C:\\Program Files\\Velodar\\Velodar.exe\" \"Velodar Server\" ENABLE\", NULL, 0)",
          "2500 ShellExecuteA(NULL, \"open\", \"C:\\WINDOWS\\system32\\netsh.exe\", \"firewall add portopening TCP "
          "8899 \"Velodar Server\"\", NULL, 0)",
          "2500 MessageBoxA(0x777, \"" + std::string(kComplete) + "\", \"Velodar\", 0x0)", "2500 " + service,
          "2500 StartServiceA(svc3, 0, NULL)"}},
    };
    for (const Case &c : cases) {
        Prepare(c.major, c.minor);
        PrepareEarlierInstallation();
        // The completion message shows before the service exists again.
        bool serviceWhileShown = true;
        sim::WhileMessageBoxShown([&](const sim::MessageBoxShown &) {
            serviceWhileShown = sim::ServiceExists(VELODAR_SERVICE_NAME);
        });
        EXPECT_TRUE(RunInstall(kTermsPage));
        EXPECT_FALSE(serviceWhileShown);
        EXPECT_EQ(MilestoneTrace(), c.expected) << c.major << "." << c.minor;

        EXPECT_STREQ(g_appPath, kAppPath);
        std::string windows = simtest::Folder(CSIDL_WINDOWS) + "\\" VELODAR_UNINSTALLER_FILE;
        EXPECT_EQ(std::string(g_uninstallerPath), windows);
        std::string bytes;
        ASSERT_TRUE(sim::GetFile(kAppPath, &bytes));
        EXPECT_EQ(bytes, simtest::kApplicationBytes);  // the longer old file left no tail
        ASSERT_TRUE(sim::GetFile(windows, &bytes));
        EXPECT_EQ(bytes, simtest::kUninstallerBytes);
        DWORD type;
        ASSERT_TRUE(sim::RegGetValue(HKEY_LOCAL_MACHINE, VELODAR_UNINSTALL_KEY, "UninstallString", &type, &bytes));
        EXPECT_EQ(bytes, windows + '\0');
        // Before Vista the per-user start-up value stays.
        EXPECT_EQ(sim::RegGetValue(HKEY_CURRENT_USER, kRun, VELODAR_NAME, &type, &bytes), c.major < 6);
        EXPECT_FALSE(sim::RegGetValue(HKEY_LOCAL_MACHINE, kRun, VELODAR_NAME, &type, &bytes));
        sim::Shortcut shortcut;
        ASSERT_TRUE(sim::ReadShortcut(simtest::Folder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Velodar Server.lnk",
                                      &shortcut));
        EXPECT_EQ(shortcut.target, "\"" + std::string(kAppPath) + "\"");
        EXPECT_EQ(shortcut.description, "\"Velodar Server\"");
        sim::Service installed;
        ASSERT_TRUE(sim::GetService(VELODAR_SERVICE_NAME, &installed));
        EXPECT_EQ(installed.binaryPath, "\"C:\\Program Files\\Velodar\\Velodar.exe\" /LocalService");
        EXPECT_EQ(installed.startType, (DWORD)SERVICE_AUTO_START);
        EXPECT_EQ(installed.state, (DWORD)SERVICE_RUNNING);
        TearDown();
    }
}

TEST_F(InstallTest, ApplicationFileIsTriedFourTimes)
{
    struct Case {
        int failures;  // how many attempts fail before the file can be written
        BOOL result;
        size_t boxes;
    };
    const Case cases[] = {{1, TRUE, 2}, {2, TRUE, 3}, {4, FALSE, 4}};
    for (const Case &c : cases) {
        Prepare(6, 1);
        sim::PutFile(kAppPath, "running");
        sim::HoldFile(kAppPath, FILE_SHARE_READ, true);
        int shown = 0;
        sim::WhileMessageBoxShown([&](const sim::MessageBoxShown &box) {
            if (box.caption == VELODAR_APP_FILE && ++shown == c.failures)
                sim::ReleaseFile(kAppPath);  // the old application has ended by now
        });
        EXPECT_EQ(RunInstall(kTermsPage), c.result) << c.failures;

        const std::vector<sim::MessageBoxShown> &boxes = sim::MessageBoxes();
        ASSERT_EQ(boxes.size(), c.boxes) << c.failures;
        for (int i = 0; i < c.failures; ++i) {
            EXPECT_EQ(boxes[i].owner, kTermsPage);
            EXPECT_EQ(boxes[i].text, kFailed);
            EXPECT_EQ(boxes[i].caption, VELODAR_APP_FILE);
            EXPECT_EQ(boxes[i].style, (UINT)MB_OK);
        }
        // Each failure is followed by its own pause, the last one included.
        Lines pauses;
        for (const sim::Call &call : sim::Trace())
            if (call.name == "Sleep" || call.name == "MessageBoxA")
                pauses.push_back(call.name == "Sleep" ? call.text : "box");
        Lines expected;
        for (int i = 0; i < c.failures; ++i) {
            expected.push_back("box");
            expected.push_back("Sleep(2000)");
        }
        if (c.result)
            expected.push_back("box");  // the completion message
        EXPECT_EQ(pauses, expected) << c.failures;
        EXPECT_EQ(sim::FileExists("C:\\Program Files\\Velodar\\mov.dat"), (bool)c.result) << c.failures;
        EXPECT_EQ(std::string(g_appPath), c.result ? kAppPath : "") << c.failures;
        sim::ReleaseFile(kAppPath);
        TearDown();
    }
}

TEST_F(InstallTest, MovieDataFailureStopsAtOnce)
{
    Prepare(6, 1);
    sim::PutFile("C:\\Program Files\\Velodar\\mov.dat", "");
    sim::MakeReadOnly("C:\\Program Files\\Velodar\\mov.dat");
    EXPECT_FALSE(RunInstall(kTermsPage));
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].text, kFailed);
    EXPECT_EQ(sim::MessageBoxes()[0].caption, VELODAR_NAME);
    EXPECT_EQ(sim::FindCall("Sleep(2000)"), -1);
    EXPECT_TRUE(sim::FileExists(kAppPath));  // what was done stays done
    EXPECT_FALSE(sim::FileExists("C:\\Program Files\\Velodar\\licence.txt"));
    EXPECT_FALSE(sim::ServiceExists(VELODAR_SERVICE_NAME));
    EXPECT_STREQ(g_appPath, "");
}

TEST_F(InstallTest, ServiceThatCameBackIsReconfigured)
{
    Prepare(6, 1);
    // Another program registers the service again while the completion message is up.
    sim::WhileMessageBoxShown([](const sim::MessageBoxShown &) {
        sim::Service stale;
        stale.name = VELODAR_SERVICE_NAME;
        stale.displayName = "Old name";
        stale.binaryPath = "C:\\old\\Velodar.exe";
        stale.account = ".\\someone";
        sim::AddService(stale);
    });
    EXPECT_TRUE(RunInstall(kTermsPage));
    EXPECT_NE(sim::FindCall("ChangeServiceConfigA"), -1);
    sim::Service service;
    ASSERT_TRUE(sim::GetService(VELODAR_SERVICE_NAME, &service));
    EXPECT_EQ(service.displayName, VELODAR_SERVICE_NAME);
    EXPECT_EQ(service.binaryPath, "\"C:\\Program Files\\Velodar\\Velodar.exe\" /LocalService");
    EXPECT_EQ(service.account, ".\\someone");
    EXPECT_EQ(service.state, (DWORD)SERVICE_RUNNING);
}

TEST_F(InstallTest, FailedFolderLookups)
{
    struct Case {
        int csidl;
        BOOL result;
        bool anythingDone;
        bool uninstaller, startMenu, desktop;
    };
    const Case cases[] = {
        {CSIDL_PROGRAM_FILES, FALSE, false, false, false, false},
        {CSIDL_WINDOWS, TRUE, true, false, true, true},
        {CSIDL_COMMON_PROGRAMS, TRUE, true, true, false, true},
        {CSIDL_COMMON_DESKTOPDIRECTORY, TRUE, true, true, true, false},
    };
    for (const Case &c : cases) {
        Prepare(6, 1);
        std::string windows = simtest::Folder(CSIDL_WINDOWS);
        std::string startMenu = simtest::Folder(CSIDL_COMMON_PROGRAMS) + "\\Velodar\\Velodar Server.lnk";
        std::string desktop = simtest::Folder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Velodar Server.lnk";
        sim::FailSpecialFolder(c.csidl, E_FAIL);
        std::string name = sim::CsidlName(c.csidl);

        EXPECT_EQ(RunInstall(kTermsPage), c.result) << name;
        EXPECT_EQ(sim::FileExists(kAppPath), c.anythingDone) << name;
        EXPECT_EQ(sim::FindCall("OpenSCManagerA") != -1, c.anythingDone) << name;
        EXPECT_EQ(sim::FileExists(windows + "\\uninstall_Velodar.exe"), c.uninstaller) << name;
        EXPECT_EQ(sim::RegKeyExists(HKEY_LOCAL_MACHINE, VELODAR_UNINSTALL_KEY), c.uninstaller) << name;
        EXPECT_EQ(sim::FileExists(startMenu), c.startMenu) << name;
        EXPECT_EQ(sim::FileExists(desktop), c.desktop) << name;
        // No step ever works on an empty folder path.
        EXPECT_EQ(sim::FindCall("CreateDirectoryA(\"\\Velodar"), -1) << name;
        EXPECT_EQ(sim::FindCall("CreateFileA(\"\\"), -1) << name;
        EXPECT_EQ(sim::FindCall("IPersistFile::Save(L\"\\"), -1) << name;
        if (!c.anythingDone) {
            ASSERT_EQ(sim::MessageBoxes().size(), 1u);
            EXPECT_EQ(sim::MessageBoxes()[0].text, kFailed);
            EXPECT_EQ(sim::MessageBoxes()[0].caption, VELODAR_NAME);
        }
        TearDown();
    }
}

TEST_F(InstallTest, AgreeingInstallsAndStartsTheApplicationQuoted)
{
    struct Case {
        bool failing;
        Lines started;
    };
    const Case cases[] = {{false, {"\"C:\\Program Files\\Velodar\\Velodar.exe\""}}, {true, {}}};
    for (const Case &c : cases) {
        Prepare(6, 1);
        if (c.failing)
            sim::FailSpecialFolder(CSIDL_PROGRAM_FILES, E_FAIL);
        sim::ScriptDialog({sim::Command(IDOK)});
        sim::ScriptDialog({sim::Command(IDOK)});
        EXPECT_EQ(InstallerMain(sim::ModuleInstance(), NULL, (LPSTR) "", SW_SHOW), 0);
        ASSERT_EQ(sim::Dialogs().size(), 2u);
        EXPECT_EQ(sim::Dialogs()[1].result, IDOK);  // the wizard ends either way
        EXPECT_EQ(sim::StartedPrograms(), c.started);
        for (const sim::MessageBoxShown &box : sim::MessageBoxes())
            EXPECT_EQ(box.owner, sim::Dialogs()[1].window);
        TearDown();
    }
}

}  // namespace
