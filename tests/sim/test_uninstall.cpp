// The uninstaller's run: confirmation, its own deletion at the next restart,
// and the removal of everything the installer made.
#include "accounts.h"
#include "com_shell.h"
#include "files.h"
#include "names.h"
#include "product_machine.h"
#include "registry.h"
#include "services.h"
#include "sim_test.h"
#include "toplevel.h"
#include "uninstaller.h"

namespace {

typedef std::vector<std::string> Lines;

const char kCaption[] = "アンインストール";
const char kConfirm[] = "Velodarを完全に削除します。よろしいですか？";
const char kComplete[] = "完全に削除しました。\nVelodarのご利用ありがとうございました。";
const char kFilesLeft[] = "Velodarを削除しましたが、使用中のファイルが残っています。\n"
                          "Windowsを再起動すると削除が完了します。\nVelodarのご利用ありがとうございました。";
const char kProduct[] = "C:\\Program Files\\Velodar";
const char kInstalledUninstaller[] = "C:\\Windows\\uninstall_Velodar.exe";

class UninstallTest : public SimTest {
protected:
    // Windows 7 after a full installation, with the application and its
    // service running and the application's two own files written.
    void PrepareInstalled(DWORD major = 6, DWORD minor = 1)
    {
        simtest::PrepareWindows(major, minor);
        const char *const files[] = {VELODAR_APP_FILE, VELODAR_MOVIE_FILE, VELODAR_TERMS_FILE, VELODAR_INI_FILE,
                                     VELODAR_STARTUP_LOG_FILE};
        for (const char *file : files)
            sim::PutFile(std::string(kProduct) + "\\" + file, file);
        startMenu_ = simtest::Folder(CSIDL_COMMON_PROGRAMS) + "\\Velodar";
        desktop_ = simtest::Folder(CSIDL_COMMON_DESKTOPDIRECTORY);
        sim::PutFile(startMenu_ + "\\" VELODAR_SHORTCUT_FILE, "link");
        sim::PutFile(desktop_ + "\\" VELODAR_SHORTCUT_FILE, "link");
        const char *const profiles[] = {"user", "guest", major < 6 ? "Default User" : "Default"};
        for (const char *profile : profiles)
            sim::PutFile(sim::SendToFolder(profile) + "\\" VELODAR_SENDTO_FILE, "link");
        uninstaller_ = simtest::Folder(CSIDL_WINDOWS) + "\\" VELODAR_UNINSTALLER_FILE;
        sim::PutFile(uninstaller_, "MZ");
        sim::SetModulePath(uninstaller_);
        sim::Service service;
        service.name = VELODAR_SERVICE_NAME;
        service.state = SERVICE_RUNNING;
        sim::AddService(service);
        window_ = sim::AddTopLevelWindow(VELODAR_NAME);
        sim::RegPutString(HKEY_LOCAL_MACHINE, VELODAR_UNINSTALL_KEY, "UninstallString", uninstaller_);
    }
    int Run() { return UninstallerMain(sim::ModuleInstance(), NULL, (LPSTR) "", SW_SHOW); }
    std::string startMenu_, desktop_, uninstaller_;
    HWND window_ = NULL;
};

std::string Timed(const sim::Call &call) { return std::to_string(call.time) + " " + call.text; }

TEST_F(UninstallTest, CompleteRun)
{
    PrepareInstalled();
    EXPECT_EQ(Run(), 0);

    const Lines names = {"MessageBoxA", "MoveFileExA", "ControlService", "DeleteService", "PostMessageA", "Sleep",
                         "DeleteFileA", "RemoveDirectoryA", "ShellExecuteA", "RegDeleteKeyA"};
    Lines trace;
    for (const sim::Call &call : sim::Trace())
        for (const std::string &name : names)
            if (call.name == name)
                trace.push_back(Timed(call));
    const std::string p = "C:\\Program Files\\Velodar\\";
    const std::string s = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Velodar\\";
    const std::string link = "\\SendTo\\" VELODAR_SENDTO_FILE "\")";
    const Lines expected = {
        "0 MessageBoxA(NULL, \"" + std::string(kConfirm) + "\", \"アンインストール\", 0x24)",
        "0 MoveFileExA(\"C:\\Windows\\uninstall_Velodar.exe\", NULL, 0x4)",
        "0 ControlService(svc1, 1, &status)", "0 Sleep(500)", "500 DeleteService(svc1)",
        "500 PostMessageA(" + sim::Hex((UINT_PTR)window_) + ", WM_DESTROY, 0, 0)", "500 Sleep(1500)",
        "2000 DeleteFileA(\"" + p + "Velodar.exe\")", "2000 DeleteFileA(\"" + p + "licence.txt\")",
        "2000 DeleteFileA(\"" + p + "Velodar.ini\")", "2000 DeleteFileA(\"" + p + "startup_log.txt\")",
        "2000 DeleteFileA(\"" + p + "mov.dat\")", "2000 RemoveDirectoryA(\"" + p + "\")",
        "2000 DeleteFileA(\"" + s + "Velodar Server.lnk\")", "2000 RemoveDirectoryA(\"" + s + "\")",
        "2000 DeleteFileA(\"C:\\Users\\Public\\Desktop\\Velodar Server.lnk\")",
        "2000 DeleteFileA(\"C:\\Users\\user" + link, "2000 DeleteFileA(\"C:\\Users\\guest" + link,
        "2000 DeleteFileA(\"C:\\Users\\Default" + link,
        "2000 ShellExecuteA(NULL, \"open\", \"C:\\Windows\\system32\\netsh.exe\", \"advfirewall firewall delete rule "
        "name=\"Velodar Server\" program=\"C:\\Program Files\\Velodar\\Velodar.exe\"\", NULL, 0)",
        "2000 ShellExecuteA(NULL, \"open\", \"C:\\Windows\\system32\\netsh.exe\", \"advfirewall firewall delete rule "
        "name=\"Velodar Server\" protocol=TCP localport=8899\", NULL, 0)",
        "2000 RegDeleteKeyA(HKLM, \"" VELODAR_UNINSTALL_KEY "\")",
        "2000 MessageBoxA(NULL, \"" + std::string(kComplete) + "\", \"アンインストール\", 0x40)",
    };
    EXPECT_EQ(trace, expected);

    EXPECT_FALSE(sim::DirExists(kProduct));
    EXPECT_FALSE(sim::DirExists(startMenu_));
    EXPECT_TRUE(sim::DirExists(desktop_));  // empty now, and still there
    EXPECT_TRUE(sim::ListDir(desktop_).empty());
    EXPECT_TRUE(sim::ListDir(sim::SendToFolder("guest")).empty());
    EXPECT_FALSE(sim::ServiceExists(VELODAR_SERVICE_NAME));
    EXPECT_FALSE(sim::RegKeyExists(HKEY_LOCAL_MACHINE, VELODAR_UNINSTALL_KEY));
    ASSERT_EQ(sim::PendingOperations().size(), 1u);
    EXPECT_EQ(sim::PendingOperations()[0].source, kInstalledUninstaller);
    EXPECT_TRUE(sim::FileExists(kInstalledUninstaller));
    sim::Restart();
    EXPECT_FALSE(sim::FileExists(kInstalledUninstaller));
}

TEST_F(UninstallTest, EndsEarlyWithNothingChanged)
{
    struct Case {
        const char *name;
        void (*prepare)();
        size_t boxes;
    };
    const Case cases[] = {
        {"No at the confirmation", [] { sim::AnswerMessageBoxes({IDNO}); }, 1},
        {"no administrator rights", [] { sim::SetAdministrator(false); }, 1},
        {"an own path that does not fit", [] { sim::SetModulePath("C:\\" + std::string(260, 'u') + ".exe"); }, 1},
    };
    for (const Case &c : cases) {
        PrepareInstalled();
        c.prepare();
        EXPECT_EQ(Run(), 0) << c.name;
        ASSERT_EQ(sim::MessageBoxes().size(), c.boxes) << c.name;
        EXPECT_EQ(sim::MessageBoxes()[0].text, kConfirm);
        EXPECT_EQ(sim::MessageBoxes()[0].caption, kCaption);
        EXPECT_EQ(sim::MessageBoxes()[0].style, (UINT)(MB_YESNO | MB_ICONQUESTION));
        EXPECT_TRUE(sim::PendingOperations().empty()) << c.name;
        EXPECT_TRUE(sim::ServiceExists(VELODAR_SERVICE_NAME)) << c.name;
        EXPECT_TRUE(sim::FileExists(std::string(kProduct) + "\\Velodar.exe")) << c.name;
        EXPECT_TRUE(sim::RegKeyExists(HKEY_LOCAL_MACHINE, VELODAR_UNINSTALL_KEY)) << c.name;
        EXPECT_TRUE(sim::PostedMessages().empty()) << c.name;
        EXPECT_EQ(sim::FindCall("DeleteFileA"), -1) << c.name;
        TearDown();
    }
}

TEST_F(UninstallTest, WhatStaysBehindDecidesTheClosingMessage)
{
    struct Case {
        const char *name;
        void (*prepare)();
        const char *text;
        UINT style;
        Lines pending;     // besides the uninstaller itself
        bool productFolderAfterRestart;
    };
    const std::string app = std::string(kProduct) + "\\Velodar.exe";
    const Case cases[] = {
        {"the user's own file in the product folder",
         [] { sim::PutFile(std::string(kProduct) + "\\notes.txt", "mine"); }, kComplete, MB_OK | MB_ICONINFORMATION,
         {}, true},
        {"the application still running",
         [] { sim::HoldFile(std::string(kProduct) + "\\Velodar.exe", FILE_SHARE_READ, true); }, kFilesLeft,
         MB_OK | MB_ICONEXCLAMATION, {app, kProduct}, false},
        {"a file the user may not delete",
         [] { sim::MakeReadOnly(std::string(kProduct) + "\\mov.dat"); }, kFilesLeft, MB_OK | MB_ICONEXCLAMATION,
         {std::string(kProduct) + "\\mov.dat", kProduct}, false},
        {"files already gone", [] {
             const char *const files[] = {VELODAR_INI_FILE, VELODAR_STARTUP_LOG_FILE};
             for (const char *file : files)
                 DeleteFileA((std::string(kProduct) + "\\" + file).c_str());
         },
         kComplete, MB_OK | MB_ICONINFORMATION, {}, false},
    };
    for (const Case &c : cases) {
        PrepareInstalled();
        c.prepare();
        EXPECT_EQ(Run(), 0) << c.name;
        ASSERT_EQ(sim::MessageBoxes().size(), 2u) << c.name;
        EXPECT_EQ(sim::MessageBoxes()[1].text, c.text) << c.name;
        EXPECT_EQ(sim::MessageBoxes()[1].caption, kCaption) << c.name;
        EXPECT_EQ(sim::MessageBoxes()[1].style, c.style) << c.name;
        Lines pending;
        for (size_t i = 1; i < sim::PendingOperations().size(); ++i)
            pending.push_back(sim::PendingOperations()[i].source);
        EXPECT_EQ(pending, c.pending) << c.name;
        // The rest of the sequence ran all the same.
        EXPECT_FALSE(sim::RegKeyExists(HKEY_LOCAL_MACHINE, VELODAR_UNINSTALL_KEY)) << c.name;
        EXPECT_FALSE(sim::DirExists(startMenu_)) << c.name;
        sim::Restart();
        EXPECT_EQ(sim::DirExists(kProduct), c.productFolderAfterRestart) << c.name;
        TearDown();
    }
}

TEST_F(UninstallTest, SecondRunBeforeTheRestart)
{
    PrepareInstalled();
    EXPECT_EQ(Run(), 0);
    sim::Reset();
    simtest::PrepareWindows(6, 1);
    sim::PutFile(kInstalledUninstaller, "MZ");  // waits for the restart
    sim::SetModulePath(kInstalledUninstaller);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(sim::MessageBoxes().back().text, kComplete);
    EXPECT_EQ(sim::PendingOperations().size(), 1u);
    EXPECT_EQ(sim::TraceOf({"DeleteFileA"}).size(), 10u);  // seven files and three SendTo shortcuts, all failing
}

TEST_F(UninstallTest, ACopyElsewhereSchedulesItself)
{
    PrepareInstalled();
    sim::PutFile("C:\\Users\\user\\Desktop\\copy\\uninstall_Velodar.exe", "MZ");
    sim::SetModulePath("C:\\Users\\user\\Desktop\\copy\\uninstall_Velodar.exe");
    Run();
    ASSERT_EQ(sim::PendingOperations().size(), 1u);
    EXPECT_EQ(sim::PendingOperations()[0].source, "C:\\Users\\user\\Desktop\\copy\\uninstall_Velodar.exe");
}

TEST_F(UninstallTest, UnresolvedOrOverlongFolders)
{
    struct Case {
        const char *name;
        int csidl;
        std::string folder;  // "" to make the lookup fail
        size_t deletions;    // of the seven files
    };
    // A folder of 238 characters: with "\Velodar\" "Velodar.exe" (258) fits,
    // "startup_log.txt" (262) does not.
    const Case cases[] = {
        {"no program-files folder", CSIDL_PROGRAM_FILES, "", 2},
        {"no start-menu folder", CSIDL_COMMON_PROGRAMS, "", 6},
        {"no desktop folder", CSIDL_COMMON_DESKTOPDIRECTORY, "", 6},
        {"a program-files folder too long for one name", CSIDL_PROGRAM_FILES, "C:\\" + std::string(235, 'f'), 6},
    };
    for (const Case &c : cases) {
        PrepareInstalled();
        if (c.folder.empty()) {
            sim::FailSpecialFolder(c.csidl, E_FAIL);
        } else {
            sim::MakeDirs(c.folder + "\\Velodar");
            sim::SetSpecialFolder(c.csidl, c.folder);
        }
        EXPECT_EQ(Run(), 0) << c.name;
        Lines deleted = sim::TraceOf({"DeleteFileA"});
        EXPECT_EQ(deleted.size(), c.deletions + 3) << c.name;  // + the SendTo shortcuts
        for (const std::string &call : deleted)
            EXPECT_EQ(call.find("DeleteFileA(\"\\"), std::string::npos) << c.name << ": " << call;
        for (const std::string &call : sim::TraceOf({"RemoveDirectoryA"}))
            EXPECT_EQ(call.find("RemoveDirectoryA(\"\\"), std::string::npos) << c.name << ": " << call;
        EXPECT_EQ(sim::MessageBoxes().back().text, kComplete) << c.name;
        TearDown();
    }
}

TEST_F(UninstallTest, WindowsXpUsesItsOwnFoldersAndFirewallSyntax)
{
    PrepareInstalled(5, 1);
    Run();
    EXPECT_NE(sim::FindCall("DeleteFileA(\"C:\\Documents and Settings\\Default User\\SendTo\\"), -1);
    EXPECT_NE(sim::FindCall("DeleteFileA(\"C:\\Documents and Settings\\All Users\\Desktop\\Velodar Server.lnk\")"),
              -1);
    Lines firewall;
    for (const sim::ShellExecution &run : sim::ShellExecutions())
        firewall.push_back(run.parameters);
    EXPECT_EQ(firewall, (Lines{"\"firewall delete allowedprogram \"C:\\Program Files\\Velodar\\Velodar.exe\"\"",
                               "\"firewall delete portopening protocol=TCP port=8899\""}));
    EXPECT_TRUE(sim::DirExists("C:\\Documents and Settings\\All Users\\Desktop"));
}

}  // namespace
