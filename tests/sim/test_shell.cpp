// Special folders, shortcut files and the SendTo shortcut of every profile.
#include "accounts.h"
#include "com_shell.h"
#include "files.h"
#include "logged_test.h"
#include "modules.h"
#include "names.h"
#include "shell.h"
#include "codepage.h"

namespace {

typedef std::vector<std::string> Lines;

class ShellTest : public LoggedTest {};

// ---------------------------------------------------------------------------
// GetSpecialFolderPath

TEST_F(ShellTest, SpecialFolderFreesTheListAndReleasesTheAllocatorOnEveryPath)
{
    enum Setup { kPath, kWithoutPath, kFolderFails, kNoAllocator };
    struct Case {
        const char *name;
        Setup setup;
        int csidl;
        HWND owner;
        BOOL result;
        std::string buffer;
        Lines trace;
    };
    const std::string csidl = "CSIDL_PROGRAM_FILES";
    const Case cases[] = {
        {"a folder with a path", kPath, CSIDL_PROGRAM_FILES, NULL, 1, "C:\\Program Files",
         {"SHGetMalloc(&malloc)", "SHGetSpecialFolderLocation(NULL, CSIDL_PROGRAM_FILES, &pidl)",
          "SHGetPathFromIDListA(item-ID list of CSIDL_PROGRAM_FILES, buffer)",
          "IMalloc::Free(item-ID list of CSIDL_PROGRAM_FILES)", "IMalloc::Release()"}},
        {"the owner is passed on", kPath, CSIDL_SENDTO, (HWND)(UINT_PTR)0x4A2, 1,
         "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\SendTo",
         {"SHGetMalloc(&malloc)", "SHGetSpecialFolderLocation(0x4A2, CSIDL_SENDTO, &pidl)",
          "SHGetPathFromIDListA(item-ID list of CSIDL_SENDTO, buffer)", "IMalloc::Free(item-ID list of CSIDL_SENDTO)",
          "IMalloc::Release()"}},
        {"a folder without a file-system path", kWithoutPath, CSIDL_DRIVES, NULL, 0, "untouched",
         {"SHGetMalloc(&malloc)", "SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &pidl)",
          "SHGetPathFromIDListA(item-ID list of CSIDL_DRIVES, buffer)", "IMalloc::Free(item-ID list of CSIDL_DRIVES)",
          "IMalloc::Release()"}},
        {"a folder the shell cannot locate", kFolderFails, CSIDL_WINDOWS, NULL, 0, "untouched",
         {"SHGetMalloc(&malloc)", "SHGetSpecialFolderLocation(NULL, CSIDL_WINDOWS, &pidl)", "IMalloc::Release()"}},
        {"no allocator", kNoAllocator, CSIDL_WINDOWS, NULL, 0, "untouched", {"SHGetMalloc(&malloc)"}},
    };
    for (const Case &c : cases) {
        Fresh(6, 1);
        if (c.setup == kWithoutPath)
            sim::SetFolderWithoutPath(c.csidl);
        if (c.setup == kFolderFails)
            sim::FailSpecialFolder(c.csidl, E_FAIL);
        if (c.setup == kNoAllocator)
            sim::FailShellMalloc(E_OUTOFMEMORY);
        char path[MAX_PATH] = "untouched";
        EXPECT_EQ(GetSpecialFolderPath(c.owner, path, c.csidl), c.result) << c.name;
        EXPECT_EQ(std::string(path), c.buffer) << c.name;
        EXPECT_EQ(sim::TraceOf(), c.trace) << c.name;
        CheckReleased(c.name);
    }
}

// ---------------------------------------------------------------------------
// CreateShortcut

// The calls CreateShortcut makes when everything works, Save's path as given.
Lines ShortcutTrace(const std::string &link, const Lines &setters)
{
    Lines trace = {"CoInitialize(NULL)",
                   "CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, &object)",
                   "IShellLinkA::QueryInterface(IID_IPersistFile, &object)"};
    trace.insert(trace.end(), setters.begin(), setters.end());
    trace.push_back("MultiByteToWideChar(0, 0x0, " + sim::Quote(link.c_str()) + ", -1, buffer, 260)");
    trace.push_back("IPersistFile::Save(L" + sim::Quote(link.c_str()) + ", TRUE)");
    trace.push_back("IPersistFile::Release()");
    trace.push_back("IShellLinkA::Release()");
    trace.push_back("CoUninitialize()");
    return trace;
}

TEST_F(ShellTest, ShortcutCarriesTheSixPropertiesInOrderAsGiven)
{
    struct Case {
        const char *link, *target, *description, *arguments, *folder, *icon;
        int iconIndex, show;
        Lines setters;
        sim::Shortcut expected;
    };
    const Case cases[] = {
        {"C:\\Users\\Public\\Desktop\\" VELODAR_SHORTCUT_FILE, "C:\\Program Files\\Velodar\\Velodar.exe",
         VELODAR_SERVER_NAME, NULL, NULL, NULL, 0, SW_SHOWNORMAL,
         {"IShellLinkA::SetPath(\"C:\\Program Files\\Velodar\\Velodar.exe\")",
          "IShellLinkA::SetDescription(\"Velodar Server\")", "IShellLinkA::SetArguments(NULL)",
          "IShellLinkA::SetWorkingDirectory(NULL)", "IShellLinkA::SetIconLocation(NULL, 0)",
          "IShellLinkA::SetShowCmd(1)"},
         {"\"C:\\Program Files\\Velodar\\Velodar.exe\"", "\"Velodar Server\"", "NULL", "NULL", "NULL", 0, 1}},
        {"C:\\Users\\Public\\Desktop\\" VELODAR_SENDTO_FILE, "C:\\ソフト表\\Velodar.exe", "Velodar iアプリへ",
         "/x \"a b\"", "C:\\ソフト表", "C:\\ソフト表\\Velodar.exe", 3, SW_SHOWMINNOACTIVE,
         {"IShellLinkA::SetPath(\"C:\\ソフト表\\Velodar.exe\")", "IShellLinkA::SetDescription(\"Velodar iアプリへ\")",
          "IShellLinkA::SetArguments(\"/x \"a b\"\")", "IShellLinkA::SetWorkingDirectory(\"C:\\ソフト表\")",
          "IShellLinkA::SetIconLocation(\"C:\\ソフト表\\Velodar.exe\", 3)", "IShellLinkA::SetShowCmd(7)"},
         {"\"C:\\ソフト表\\Velodar.exe\"", "\"Velodar iアプリへ\"", "\"/x \"a b\"\"", "\"C:\\ソフト表\"",
          "\"C:\\ソフト表\\Velodar.exe\"", 3, 7}},
        {"C:\\Users\\Public\\Desktop\\empty.lnk", NULL, NULL, NULL, NULL, NULL, 0, 0,
         {"IShellLinkA::SetPath(NULL)", "IShellLinkA::SetDescription(NULL)", "IShellLinkA::SetArguments(NULL)",
          "IShellLinkA::SetWorkingDirectory(NULL)", "IShellLinkA::SetIconLocation(NULL, 0)",
          "IShellLinkA::SetShowCmd(0)"},
         {"NULL", "NULL", "NULL", "NULL", "NULL", 0, 0}},
    };
    for (const Case &c : cases) {
        Fresh(6, 1);
        sim::MakeDirs("C:\\Users\\Public\\Desktop");
        EXPECT_EQ(CreateShortcut(c.link, c.target, c.description, c.arguments, c.folder, c.icon, c.iconIndex, c.show),
                  S_OK)
            << sim::ToUtf8(c.link);
        EXPECT_EQ(sim::TraceOf(), ShortcutTrace(c.link, c.setters)) << sim::ToUtf8(c.link);
        sim::Shortcut saved;
        ASSERT_TRUE(sim::ReadShortcut(c.link, &saved)) << sim::ToUtf8(c.link);
        EXPECT_EQ(saved.target, c.expected.target);
        EXPECT_EQ(saved.description, c.expected.description);
        EXPECT_EQ(saved.arguments, c.expected.arguments);
        EXPECT_EQ(saved.workingDirectory, c.expected.workingDirectory);
        EXPECT_EQ(saved.iconPath, c.expected.iconPath);
        EXPECT_EQ(saved.iconIndex, c.expected.iconIndex);
        EXPECT_EQ(saved.showCommand, c.expected.showCommand);
        EXPECT_EQ(sim::ComInitializations(), 0);
        CheckReleased(sim::ToUtf8(c.link));
    }
}

TEST_F(ShellTest, ShortcutIntoAMissingFolderFailsInSaveAndCreatesNothing)
{
    const std::string link =
        "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Velodar\\" VELODAR_SHORTCUT_FILE;
    sim::MakeDirs("C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");

    HRESULT result = CreateShortcut(link.c_str(), "C:\\Program Files\\Velodar\\Velodar.exe", VELODAR_SERVER_NAME,
                                    NULL, NULL, NULL, 0, SW_SHOWNORMAL);

    EXPECT_EQ(result, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(sim::DirExists("C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Velodar"));
    EXPECT_FALSE(sim::FileExists(link));
    Lines trace = sim::TraceOf();
    ASSERT_GE(trace.size(), 4u);
    EXPECT_EQ(trace[trace.size() - 4], "IPersistFile::Save(L" + sim::Quote(link.c_str()) + ", TRUE)");
    EXPECT_EQ(trace.back(), "CoUninitialize()");
    EXPECT_EQ(sim::ComInitializations(), 0);
}

TEST_F(ShellTest, ShortcutReturnsTheFailingComCallAndStillUninitialises)
{
    struct Case {
        const char *name;
        HRESULT createFailure, queryFailure, result;
        Lines trace;
    };
    const Case cases[] = {
        {"no shell link object", REGDB_E_CLASSNOTREG, S_OK, REGDB_E_CLASSNOTREG,
         {"CoInitialize(NULL)",
          "CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, &object)",
          "CoUninitialize()"}},
        {"no IPersistFile", S_OK, E_NOINTERFACE, E_NOINTERFACE,
         {"CoInitialize(NULL)",
          "CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, &object)",
          "IShellLinkA::QueryInterface(IID_IPersistFile, &object)", "IShellLinkA::Release()", "CoUninitialize()"}},
    };
    for (const Case &c : cases) {
        Fresh(6, 1);
        sim::MakeDirs("C:\\Users\\Public\\Desktop");
        sim::FailCreateInstance(c.createFailure);
        sim::FailQueryInterface(c.queryFailure);
        EXPECT_EQ(CreateShortcut("C:\\Users\\Public\\Desktop\\a.lnk", "C:\\a.exe", "a", NULL, NULL, NULL, 0,
                                 SW_SHOWNORMAL),
                  c.result)
            << c.name;
        EXPECT_EQ(sim::TraceOf(), c.trace) << c.name;
        EXPECT_TRUE(sim::ListDir("C:\\Users\\Public\\Desktop").empty()) << c.name;
        CheckReleased(c.name);
    }
}

TEST_F(ShellTest, LinkPathMustFitTwoHundredSixtyWideCharacters)
{
    const std::string folder = "C:\\L";
    struct Case {
        std::string fileName;  // after "C:\L\"
        bool saved;
    };
    // "C:\L\" is 5 characters; a name of n characters and ".lnk" make n + 9.
    const Case cases[] = {
        {std::string(250, 'a') + ".lnk", true},    // 259 characters and the terminator: 260
        {std::string(251, 'a') + ".lnk", false},   // 260 characters
        {std::string(600, 'a') + ".lnk", false},   // far too long
        // 250 double-byte characters: 500 bytes, but 259 wide characters
        {[] {
             std::string name;
             for (int i = 0; i < 250; ++i)
                 name += "表";
             return name + ".lnk";
         }(),
         true},
    };
    for (const Case &c : cases) {
        Fresh(6, 1);
        sim::MakeDirs(folder);
        std::string link = folder + "\\" + c.fileName;
        HRESULT result = CreateShortcut(link.c_str(), "C:\\a.exe", "a", NULL, NULL, NULL, 0, SW_SHOWNORMAL);
        EXPECT_EQ(result, c.saved ? S_OK : HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)) << link.size();
        EXPECT_EQ(sim::FileExists(link), c.saved) << link.size();
        EXPECT_EQ(sim::FindCall("IPersistFile::Save") >= 0, c.saved) << link.size();
        EXPECT_EQ(sim::TraceOf().back(), "CoUninitialize()");
        CheckReleased(std::to_string(link.size()));
    }
}

// ---------------------------------------------------------------------------
// The SendTo fan-out

// The calls that show which files the fan-out touched and how it enumerated.
const Lines kFanOutCalls = {"SHGetSpecialFolderLocation", "GetSystemDirectoryA", "LoadLibraryExA", "GetProcAddress",
                            "NetUserEnum", "NetApiBufferFree", "IPersistFile::Save", "DeleteFileA", "FreeLibrary"};

std::string SaveOf(const std::string &path) { return "IPersistFile::Save(L" + sim::Quote(path.c_str()) + ", TRUE)"; }
std::string DeleteOf(const std::string &path) { return "DeleteFileA(" + sim::Quote(path.c_str()) + ")"; }

TEST_F(ShellTest, FanOutReachesEveryAccountAndTheDefaultProfileOnXpAndSeven)
{
    struct Case {
        const char *name;
        DWORD major, minor;
        std::string system;       // the system folder
        std::string root;         // where the link paths start
        const char *defaultName;  // the default profile's folder
    };
    const Case cases[] = {
        {"Windows XP", 5, 1, "C:\\WINDOWS\\system32", "C:\\Documents and Settings", "Default User"},
        {"Windows 7", 6, 1, "C:\\Windows\\system32", "C:\\Users", "Default"},
    };
    const std::string file = VELODAR_SENDTO_FILE;
    for (const Case &c : cases) {
        Fresh(c.major, c.minor);
        sim::MakeProfile("user");
        for (const char *profile : {"A", "B", c.defaultName})
            sim::MakeProfile(profile);
        sim::AddAccount("A");
        sim::AddAccount("B");
        const std::string links[] = {c.root + "\\A\\SendTo\\" + file, c.root + "\\B\\SendTo\\" + file,
                                     c.root + "\\" + c.defaultName + "\\SendTo\\" + file};
        const Lines enumeration = {
            "SHGetSpecialFolderLocation(0x77, CSIDL_SENDTO, &pidl)",
            "GetSystemDirectoryA(buffer, 260)",
            "LoadLibraryExA(\"" + c.system + "\\netapi32.dll\", NULL, LOAD_WITH_ALTERED_SEARCH_PATH)",
            "GetProcAddress(netapi32, \"NetUserEnum\")",
            "GetProcAddress(netapi32, \"NetApiBufferFree\")",
            "NetUserEnum(NULL, 0, FILTER_NORMAL_ACCOUNT, &buffer, MAX_PREFERRED_LENGTH, &read, &total, resume=0)",
            "NetApiBufferFree(buffer 1)"};
        const Lines logged = {"SendToShortcuts " + links[0], "SendToShortcuts " + links[1]};

        EXPECT_EQ(AddSendToShortcuts((HWND)(UINT_PTR)0x77, VELODAR_SENDTO_FILE,
                                     "C:\\Program Files\\Velodar\\Velodar.exe", "Velodar iアプリへ"),
                  1)
            << c.name;
        Lines expected = {enumeration[0], enumeration[1], enumeration[2], enumeration[3], enumeration[4],
                          enumeration[5], SaveOf(links[0]), SaveOf(links[1]), enumeration[6], SaveOf(links[2]),
                          "FreeLibrary(netapi32)"};
        EXPECT_EQ(sim::TraceOf(kFanOutCalls), expected) << c.name;
        EXPECT_EQ(LogLines(), logged) << c.name;
        // Each shortcut is in the profile's real SendTo folder (from Vista on,
        // reached through the profile's SendTo link).
        for (const char *profile : {"A", "B", c.defaultName}) {
            sim::Shortcut saved;
            std::string real = sim::SendToFolder(profile) + "\\" + file;
            ASSERT_TRUE(sim::ReadShortcut(real, &saved)) << c.name << " " << profile;
            EXPECT_EQ(saved.target, "\"C:\\Program Files\\Velodar\\Velodar.exe\"");
            EXPECT_EQ(saved.description, sim::Quote("Velodar iアプリへ"));
            EXPECT_EQ(saved.showCommand, SW_SHOWNORMAL);
        }
        EXPECT_TRUE(sim::ListDir(sim::SendToFolder("user")).empty()) << c.name;
        CheckReleased(c.name);

        // Remove deletes exactly what add wrote, with the same log lines.
        sim::PutFile(sim::SendToFolder("user") + "\\" + file, "the running user's own, not the fan-out's");
        StartLog();
        EXPECT_EQ(RemoveSendToShortcuts((HWND)(UINT_PTR)0x77, VELODAR_SENDTO_FILE), 1) << c.name;
        Lines removeTrace = sim::TraceOf(kFanOutCalls);
        removeTrace.erase(removeTrace.begin(), removeTrace.begin() + (long)expected.size());
        expected[6] = DeleteOf(links[0]);
        expected[7] = DeleteOf(links[1]);
        expected[9] = DeleteOf(links[2]);
        for (std::string &call : expected)
            if (call == "NetApiBufferFree(buffer 1)")
                call = "NetApiBufferFree(buffer 2)";
        EXPECT_EQ(removeTrace, expected) << c.name;
        EXPECT_EQ(LogLines(), logged) << c.name;
        for (const char *profile : {"A", "B", c.defaultName})
            EXPECT_TRUE(sim::ListDir(sim::SendToFolder(profile)).empty()) << c.name << " " << profile;
        EXPECT_EQ(sim::ListDir(sim::SendToFolder("user")), Lines{file}) << c.name;
        CheckReleased(c.name);
    }
}

TEST_F(ShellTest, FanOutFollowsTheEnumerationThroughBatchesAndFailures)
{
    struct Case {
        const char *name;
        DWORD batch;            // entries per call, 0: all
        int refusedCall;        // the first refused call, 0: none
        bool refusalBuffer;     // the refused call still hands out a buffer
        bool netapi32;          // the system folder has netapi32.dll
        BOOL result;
        Lines accounts;         // whose shortcut was written, in order
        Lines enumeration;      // NetUserEnum and NetApiBufferFree calls
    };
    const std::string call = "NetUserEnum(NULL, 0, FILTER_NORMAL_ACCOUNT, &buffer, MAX_PREFERRED_LENGTH, &read, "
                             "&total, resume=";
    const Case cases[] = {
        {"all at once", 0, 0, false, true, 1, {"A", "B", "C", "D", "E"},
         {call + "0)", "NetApiBufferFree(buffer 1)"}},
        {"batches of two", 2, 0, false, true, 1, {"A", "B", "C", "D", "E"},
         {call + "0)", "NetApiBufferFree(buffer 1)", call + "2)", "NetApiBufferFree(buffer 2)", call + "4)",
          "NetApiBufferFree(buffer 3)"}},
        {"refused at once", 0, 1, false, true, 0, {}, {call + "0)"}},
        {"refused in the second batch, with a buffer", 2, 2, true, true, 0, {"A", "B"},
         {call + "0)", "NetApiBufferFree(buffer 1)", call + "2)", "NetApiBufferFree(buffer 2)"}},
        {"netapi32 missing", 0, 0, false, false, 0, {}, {}},
    };
    for (const Case &c : cases) {
        Fresh(6, 1);
        sim::MakeProfile("user");
        for (const char *name : {"A", "B", "C", "D", "E"}) {
            sim::AddAccount(name);
            sim::MakeProfile(name);
        }
        sim::MakeProfile("Default");
        sim::SetAccountBatchSize(c.batch);
        if (c.refusedCall != 0)
            sim::RefuseAccountEnumeration(ERROR_ACCESS_DENIED, c.refusedCall, c.refusalBuffer);
        sim::SetNetapi32Present(c.netapi32);

        EXPECT_EQ(AddSendToShortcuts(NULL, "s.lnk", "C:\\a.exe", "a"), c.result) << c.name;

        Lines written, logged;
        for (const std::string &account : c.accounts) {
            written.push_back(SaveOf("C:\\Users\\" + account + "\\SendTo\\s.lnk"));
            logged.push_back("SendToShortcuts C:\\Users\\" + account + "\\SendTo\\s.lnk");
        }
        written.push_back(SaveOf("C:\\Users\\Default\\SendTo\\s.lnk"));  // in every case, without a log line
        EXPECT_EQ(sim::TraceOf({"IPersistFile::Save"}), written) << c.name;
        EXPECT_EQ(LogLines(), logged) << c.name;
        EXPECT_EQ(sim::TraceOf({"NetUserEnum", "NetApiBufferFree"}), c.enumeration) << c.name;
        EXPECT_EQ(sim::TraceOf({"FreeLibrary"}).size(), c.netapi32 ? 1u : 0u) << c.name;
        CheckReleased(c.name);
    }
}

TEST_F(ShellTest, FanOutSplitsTheSendToPathAtWholeCharacters)
{
    enum Setup { kPath, kWithoutPath, kFails };
    struct Case {
        const char *name;
        Setup setup;
        std::string sendTo;
        BOOL result;
        Lines links;  // A's, then the default profile's; none: nothing touched
    };
    const Case cases[] = {
        {"XP layout", kPath, "C:\\Documents and Settings\\user\\SendTo", 1,
         {"C:\\Documents and Settings\\A\\SendTo\\s.lnk", "C:\\Documents and Settings\\Default User\\SendTo\\s.lnk"}},
        {"one backslash: the whole path is the root", kPath, "X:\\SendTo", 1,
         {"X:\\SendTo\\A\\SendTo\\s.lnk", "X:\\SendTo\\Default User\\SendTo\\s.lnk"}},
        // 表 is 0x95 0x5C: a byte-wise scan would cut the root inside it.
        {"a root whose last character ends in 0x5C", kPath, "D:\\ユーザ表\\user\\送る", 1,
         {"D:\\ユーザ表\\A\\送る\\s.lnk", "D:\\ユーザ表\\Default User\\送る\\s.lnk"}},
        // ソ is 0x83 0x5C: a byte-wise scan would take its trail byte for the last backslash.
        {"a folder name that ends in 0x5C", kPath, "X:\\ソ", 1,
         {"X:\\ソ\\A\\ソ\\s.lnk", "X:\\ソ\\Default User\\ソ\\s.lnk"}},
        {"no backslash", kPath, "SendTo", 0, {}},
        {"nothing after the last backslash", kPath, "C:\\", 0, {}},
        {"a folder without a path", kWithoutPath, "", 0, {}},
        {"a folder the shell cannot locate", kFails, "", 0, {}},
    };
    for (const Case &c : cases) {
        Fresh(5, 1);
        if (c.setup == kPath)
            sim::SetSpecialFolder(CSIDL_SENDTO, c.sendTo);
        if (c.setup == kWithoutPath)
            sim::SetFolderWithoutPath(CSIDL_SENDTO);
        if (c.setup == kFails)
            sim::FailSpecialFolder(CSIDL_SENDTO, E_FAIL);
        sim::AddAccount("A");

        EXPECT_EQ(RemoveSendToShortcuts(NULL, "s.lnk"), c.result) << c.name;

        Lines deleted, logged;
        for (const std::string &link : c.links)
            deleted.push_back(DeleteOf(link));
        if (!c.links.empty())
            logged.push_back("SendToShortcuts " + c.links[0]);
        EXPECT_EQ(sim::TraceOf({"DeleteFileA"}), deleted) << c.name;
        EXPECT_EQ(LogLines(), logged) << c.name;
        if (c.links.empty()) {
            EXPECT_EQ(sim::FindCall("LoadLibraryExA"), -1) << c.name;
        }
        CheckReleased(c.name);
    }
}

TEST_F(ShellTest, FanOutReachesAnAccountWhoseNameHasA5CTrailByte)
{
    // ソフト表 in code page 932 carries 0x5C as the trail byte of ソ and of 表.
    const std::u16string wide = u"ソフト表";
    const std::string ansi = "ソフト表";
    ASSERT_NE(ansi.find('\\'), std::string::npos);
    struct Case {
        DWORD major, minor;
        std::string link;
    };
    const Case cases[] = {{5, 1, "C:\\Documents and Settings\\ソフト表\\SendTo\\" VELODAR_SENDTO_FILE},
                          {6, 1, "C:\\Users\\ソフト表\\SendTo\\" VELODAR_SENDTO_FILE}};
    for (const Case &c : cases) {
        Fresh(c.major, c.minor);
        sim::MakeProfile("user");
        sim::MakeProfile(ansi);
        sim::AddWideAccount(wide);

        EXPECT_EQ(AddSendToShortcuts(NULL, VELODAR_SENDTO_FILE, "C:\\a.exe", "a"), 1);

        EXPECT_EQ(LogLines(), Lines{"SendToShortcuts " + c.link}) << c.major;
        EXPECT_EQ(sim::ListDir(sim::SendToFolder(ansi)), Lines{VELODAR_SENDTO_FILE}) << c.major;
        CheckReleased(std::to_string(c.major));

        StartLog();
        EXPECT_EQ(RemoveSendToShortcuts(NULL, VELODAR_SENDTO_FILE), 1);
        EXPECT_EQ(LogLines(), Lines{"SendToShortcuts " + c.link}) << c.major;
        EXPECT_TRUE(sim::ListDir(sim::SendToFolder(ansi)).empty()) << c.major;
        CheckReleased(std::to_string(c.major));
    }
}

TEST_F(ShellTest, FanOutLeavesAloneWhatDoesNotFitItsBuffers)
{
    sim::SetWindowsVersion(6, 1);
    sim::MakeProfile("user");
    sim::MakeProfile("A");
    sim::AddWideAccount(std::u16string(1100, u'n'));  // more than wsprintfA writes
    sim::AddAccount("A");
    const std::string longName = std::string(2100, 'x') + ".lnk";  // no link path of 2048 holds it

    EXPECT_EQ(AddSendToShortcuts(NULL, longName.c_str(), "C:\\a.exe", "a"), 1);
    EXPECT_EQ(AddSendToShortcuts(NULL, "s.lnk", "C:\\a.exe", "a"), 1);

    EXPECT_EQ(LogLines(), Lines{"SendToShortcuts C:\\Users\\A\\SendTo\\s.lnk"});
    EXPECT_EQ(sim::TraceOf({"IPersistFile::Save"}),
              (Lines{SaveOf("C:\\Users\\A\\SendTo\\s.lnk"), SaveOf("C:\\Users\\Default\\SendTo\\s.lnk")}));
}

}  // namespace
