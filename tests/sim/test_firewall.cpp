// Firewall rules through the system's netsh, and the shutdown of a running
// application instance.
#include "com_shell.h"
#include "firewall.h"
#include "logged_test.h"
#include "modules.h"
#include "names.h"
#include "toplevel.h"

namespace {

typedef std::vector<std::string> Lines;

const char *const kApplication = "C:\\Program Files\\Velodar\\Velodar.exe";

class FirewallTest : public LoggedTest {
protected:
    // The parameter texts of the netsh commands started so far.
    static Lines Parameters()
    {
        Lines out;
        for (const sim::ShellExecution &started : sim::ShellExecutions())
            out.push_back(started.parameters);
        return out;
    }
};

TEST_F(FirewallTest, NetshTextsByOperationAndGeneration)
{
    struct Case {
        const char *name;
        DWORD major, minor;
        bool add;
        std::string netsh;  // the tool, by full path
        Lines parameters;
    };
    const Case cases[] = {
        {"add on XP", 5, 1, true, "C:\\WINDOWS\\system32\\netsh.exe",
         {"firewall add allowedprogram \"C:\\Program Files\\Velodar\\Velodar.exe\" \"Velodar Server\" ENABLE",
          "firewall add portopening TCP 8899 \"Velodar Server\""}},
        {"add on Vista", 6, 0, true, "C:\\Windows\\system32\\netsh.exe",
         {"advfirewall firewall add rule name=\"Velodar Server\" dir=in action=allow "
          "program=\"C:\\Program Files\\Velodar\\Velodar.exe\" enable=yes",
          "advfirewall firewall add rule name=\"Velodar Server\" dir=in action=allow protocol=TCP localport=8899"}},
        {"add on 7", 6, 1, true, "C:\\Windows\\system32\\netsh.exe",
         {"advfirewall firewall add rule name=\"Velodar Server\" dir=in action=allow "
          "program=\"C:\\Program Files\\Velodar\\Velodar.exe\" enable=yes",
          "advfirewall firewall add rule name=\"Velodar Server\" dir=in action=allow protocol=TCP localport=8899"}},
        {"remove on XP", 5, 1, false, "C:\\WINDOWS\\system32\\netsh.exe",
         {"firewall delete allowedprogram \"C:\\Program Files\\Velodar\\Velodar.exe\"",
          "firewall delete portopening protocol=TCP port=8899"}},
        {"remove on Vista", 6, 0, false, "C:\\Windows\\system32\\netsh.exe",
         {"advfirewall firewall delete rule name=\"Velodar Server\" "
          "program=\"C:\\Program Files\\Velodar\\Velodar.exe\"",
          "advfirewall firewall delete rule name=\"Velodar Server\" protocol=TCP localport=8899"}},
        {"remove on 7", 6, 1, false, "C:\\Windows\\system32\\netsh.exe",
         {"advfirewall firewall delete rule name=\"Velodar Server\" "
          "program=\"C:\\Program Files\\Velodar\\Velodar.exe\"",
          "advfirewall firewall delete rule name=\"Velodar Server\" protocol=TCP localport=8899"}},
    };
    for (const Case &c : cases) {
        Fresh(c.major, c.minor);
        if (c.add)
            AddFirewallRules(kApplication);
        else
            RemoveFirewallRules(NULL);

        const Lines &texts = c.parameters;
        ASSERT_EQ(sim::ShellExecutions().size(), 2u) << c.name;
        for (size_t i = 0; i < 2; ++i) {
            const sim::ShellExecution &started = sim::ShellExecutions()[i];
            EXPECT_EQ(started.owner, nullptr) << c.name;
            EXPECT_EQ(started.verb, "\"open\"") << c.name;
            EXPECT_EQ(started.file, sim::Quote(c.netsh.c_str())) << c.name;
            EXPECT_EQ(started.parameters, sim::Quote(texts[i].c_str())) << c.name << " " << i;
            EXPECT_EQ(started.directory, "NULL") << c.name;
            EXPECT_EQ(started.show, SW_HIDE) << c.name;
        }
        // Only the uninstaller's removal logs, one line per command.
        Lines logged;
        if (!c.add)
            logged = {"ShellExecute 2A, " + texts[0], "ShellExecute 2A, " + texts[1]};
        EXPECT_EQ(LogLines(), logged) << c.name;
        CheckReleased(c.name);
    }
}

TEST_F(FirewallTest, RemovalLogsWhatTheShellReturnedInUpperCaseHex)
{
    sim::SetWindowsVersion(6, 1);
    sim::ScriptShellExecute({2, 0xABCDE});  // the first cannot start; the second is started regardless

    RemoveFirewallRules((HWND)(UINT_PTR)0x5A);

    EXPECT_EQ(sim::TraceOf({"SHGetSpecialFolderLocation"}),
              Lines{"SHGetSpecialFolderLocation(0x5A, CSIDL_PROGRAM_FILES, &pidl)"});
    EXPECT_EQ(LogLines(), (Lines{"ShellExecute 2, advfirewall firewall delete rule name=\"Velodar Server\" "
                                 "program=\"C:\\Program Files\\Velodar\\Velodar.exe\"",
                                 "ShellExecute ABCDE, advfirewall firewall delete rule name=\"Velodar Server\" "
                                 "protocol=TCP localport=8899"}));
}

TEST_F(FirewallTest, CommandsThatCannotBeFormedAreNotStarted)
{
    enum Setup { kNone, kNoProgramFiles, kNoSystemFolder };
    struct Case {
        const char *name;
        bool add;
        Setup setup;
        std::string path;   // the application path (add) or program-files folder (remove)
        size_t started;     // commands started: the port rule is always the last
    };
    // Before Vista the add text is 54 characters besides the application path,
    // the delete text 33 besides it, and the path is the folder and 20 more.
    const Case cases[] = {
        {"add: a text of 259 characters", true, kNone, "C:\\" + std::string(198, 'a') + ".exe", 2},
        {"add: a text of 260 characters", true, kNone, "C:\\" + std::string(199, 'a') + ".exe", 1},
        {"add: no application path", true, kNone, "", 1},
        {"remove: a text of 259 characters", false, kNone, "C:\\" + std::string(203, 'p'), 2},
        {"remove: a text of 260 characters", false, kNone, "C:\\" + std::string(204, 'p'), 1},
        {"remove: an application path of 260 characters", false, kNone, "C:\\" + std::string(237, 'p'), 1},
        {"remove: no program-files folder", false, kNoProgramFiles, "", 1},
        {"add: no system folder", true, kNoSystemFolder, kApplication, 0},
        {"remove: no system folder", false, kNoSystemFolder, "C:\\Program Files", 0},
    };
    for (const Case &c : cases) {
        Fresh(5, 1);
        if (c.setup == kNoProgramFiles)
            sim::FailSpecialFolder(CSIDL_PROGRAM_FILES, E_FAIL);
        if (c.setup == kNoSystemFolder)
            sim::FailSystemDirectory(true);
        if (!c.add && c.setup != kNoProgramFiles)
            sim::SetSpecialFolder(CSIDL_PROGRAM_FILES, c.path);
        if (c.add)
            AddFirewallRules(c.path.empty() ? NULL : c.path.c_str());
        else
            RemoveFirewallRules(NULL);

        Lines texts = Parameters();
        EXPECT_EQ(texts.size(), c.started) << c.name;
        if (c.started == 2) {
            EXPECT_EQ(texts[0].size(), 2u + 259u) << c.name;  // the quotes of Quote() and the whole text
            EXPECT_NE(texts[0].find(c.path), std::string::npos) << c.name;
        }
        if (c.started == 1) {
            EXPECT_NE(texts[0].find("portopening"), std::string::npos) << c.name;
        }
        EXPECT_EQ(LogLines().size(), c.add ? 0u : c.started) << c.name;
        CheckReleased(c.name);
    }
}

TEST_F(FirewallTest, ClosesOnlyTheFirstWindowOfTheApplicationsClass)
{
    struct Window {
        const char *className;
        bool unreadable;
    };
    struct Case {
        const char *name;
        std::vector<Window> windows;
        DWORD pause;
        int closed;                 // index of the window that gets WM_DESTROY, -1: none
        size_t classNamesRead;      // GetClassNameA calls before the enumeration ended
    };
    const Case cases[] = {
        {"no window at all", {}, 2000, -1, 0},
        {"no window of the class", {{"Shell_TrayWnd", false}, {"Progman", false}}, 2000, -1, 2},
        {"one window", {{"Shell_TrayWnd", false}, {VELODAR_NAME, false}, {"Progman", false}}, 2000, 1, 2},
        {"two windows: the first only", {{VELODAR_NAME, false}, {VELODAR_NAME, false}}, 2000, 0, 1},
        {"the uninstaller's call: no pause", {{VELODAR_NAME, false}}, 0, 0, 1},
        {"near misses are not touched",
         {{"velodar", false}, {"VELODAR", false}, {"Velodar2", false}, {"Velo", false}, {"Velodar ", false},
          {"", false}},
         2000, -1, 6},
        {"an unreadable class name is passed over", {{VELODAR_NAME, true}, {VELODAR_NAME, false}}, 2000, 1, 2},
    };
    for (const Case &c : cases) {
        Fresh(6, 1);
        std::vector<HWND> handles;
        for (const Window &window : c.windows)
            handles.push_back(sim::AddTopLevelWindow(window.className, window.unreadable));

        CloseRunningInstance(c.pause);

        Lines expected = {"EnumWindows(proc, " + std::to_string(c.pause) + ")"};
        for (size_t i = 0; i < c.classNamesRead; ++i)
            expected.push_back("GetClassNameA(" + sim::Hex((UINT_PTR)handles[i]) + ", buffer, 260)");
        if (c.closed >= 0) {
            expected.push_back("PostMessageA(" + sim::Hex((UINT_PTR)handles[(size_t)c.closed]) +
                               ", WM_DESTROY, 0, 0)");
            if (c.pause != 0)
                expected.push_back("Sleep(" + std::to_string(c.pause) + ")");
        }
        EXPECT_EQ(sim::TraceOf(), expected) << c.name;
        ASSERT_EQ(sim::PostedMessages().size(), c.closed >= 0 ? 1u : 0u) << c.name;
        if (c.closed >= 0) {
            EXPECT_EQ(sim::PostedMessages()[0].time, 0u) << c.name;  // posted before the pause
            EXPECT_EQ(sim::PostedMessages()[0].message, (UINT)WM_DESTROY) << c.name;
        }
        EXPECT_EQ(sim::Now(), c.closed >= 0 ? c.pause : 0u) << c.name;
        CheckReleased(c.name);
    }
}

}  // namespace
