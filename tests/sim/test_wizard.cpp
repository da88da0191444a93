// The installer's entry: the version gate, the staged terms text and the walk
// through the two pages.
#include <string.h>

#include <algorithm>

#include "dialogs.h"
#include "modules.h"
#include "files.h"
#include "install.h"
#include "installer.h"
#include "names.h"
#include "payload.h"
#include "resource.h"
#include "resources.h"
#include "sim_test.h"

namespace {

const char kRefusal[] =
    "申し訳ございませんが、このVelodar は、Windows 7/Vista/XP専用です。\n"
    "インストールすることができません。ご了承下さい。";
const char kDownloads[] = "C:\\Users\\user\\Downloads\\";
const std::string kStaged = std::string(kDownloads) + "licence.txt";

class WizardTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        terms_ = "第1条 利用許諾\r\n本ソフトウェアは…";
        sim::AddResource(PAYLOAD_TYPE_TEXT, IDR_TERMS_TEXT, 1041, terms_);
        sim::MakeDirs(kDownloads);
    }
    int Run() { return InstallerMain(sim::ModuleInstance(), NULL, (LPSTR) "", SW_SHOW); }
    // The template ids of the pages shown, in order, and each page's result.
    static std::vector<std::pair<int, long>> Pages()
    {
        std::vector<std::pair<int, long>> pages;
        for (const sim::DialogShown &dialog : sim::Dialogs())
            pages.push_back({dialog.templateId, (long)dialog.result});
        return pages;
    }
    std::string terms_;
};

TEST_F(WizardTest, VersionGate)
{
    struct Case {
        DWORD major, minor;
        bool supported;
    };
    const Case cases[] = {{4, 0, false}, {4, 90, false}, {5, 0, false}, {5, 1, true}, {5, 2, true},
                          {6, 0, true},  {6, 1, true},   {6, 3, true},  {7, 0, false}, {10, 0, false}};
    for (const Case &c : cases) {
        SetUp();
        sim::SetWindowsVersion(c.major, c.minor);
        sim::ScriptDialog({sim::Command(IDCANCEL)});
        EXPECT_EQ(Run(), 0);
        std::string label = std::to_string(c.major) + "." + std::to_string(c.minor);
        if (c.supported) {
            EXPECT_TRUE(sim::MessageBoxes().empty()) << label;
            EXPECT_TRUE(sim::FileExists(kStaged)) << label;
            EXPECT_EQ(Pages().size(), 1u) << label;
        } else {
            ASSERT_EQ(sim::MessageBoxes().size(), 1u) << label;
            const sim::MessageBoxShown &box = sim::MessageBoxes()[0];
            EXPECT_EQ(box.owner, nullptr);
            EXPECT_EQ(box.text, kRefusal);
            EXPECT_TRUE(box.nullCaption);
            EXPECT_EQ(box.style, (UINT)MB_ICONERROR);
            EXPECT_TRUE(sim::ListDir(kDownloads).empty()) << label;
            EXPECT_EQ(sim::FindCall("CreateFileA"), -1) << label;
            EXPECT_TRUE(Pages().empty()) << label;
        }
        TearDown();
    }
}

TEST_F(WizardTest, WalkEndings)
{
    struct Case {
        const char *name;
        std::vector<std::vector<sim::DialogAction>> showings;
        std::vector<std::pair<int, long>> pages;
    };
    const Case cases[] = {
        {"cancel on the welcome page", {{sim::Command(IDCANCEL)}}, {{IDD_WELCOME, IDCANCEL}}},
        {"decline", {{sim::Command(IDOK)}, {sim::Command(IDCANCEL)}}, {{IDD_WELCOME, IDOK}, {IDD_TERMS, IDCANCEL}}},
        {"back, then cancel",
         {{sim::Command(IDOK)}, {sim::Command(IDC_BACK)}, {sim::Command(IDCANCEL)}},
         {{IDD_WELCOME, IDOK}, {IDD_TERMS, IDC_BACK}, {IDD_WELCOME, IDCANCEL}}},
        {"notifications other than clicks change nothing",
         {{sim::Command(IDOK, 5), sim::Command(IDOK)}, {sim::Command(IDC_TERMS_TEXT, 0x0300), sim::Command(IDCANCEL)}},
         {{IDD_WELCOME, IDOK}, {IDD_TERMS, IDCANCEL}}},
    };
    for (const Case &c : cases) {
        SetUp();
        for (const auto &showing : c.showings)
            sim::ScriptDialog(showing);
        EXPECT_EQ(Run(), 0) << c.name;
        EXPECT_EQ(Pages(), c.pages) << c.name;
        EXPECT_FALSE(sim::DirExists("C:\\Program Files\\Velodar")) << c.name;
        EXPECT_TRUE(sim::StartedPrograms().empty()) << c.name;
        std::string staged;
        EXPECT_TRUE(sim::GetFile(kStaged, &staged)) << c.name;  // stays beside the installer
        EXPECT_EQ(staged, terms_) << c.name;
        for (const sim::DialogShown &dialog : sim::Dialogs()) {
            EXPECT_EQ(dialog.owner, nullptr);
            EXPECT_EQ(dialog.param, 0);
        }
        TearDown();  // every page's brush was deleted
    }
}

TEST_F(WizardTest, EachShowingHasItsOwnWhiteBrushAndRereadsTheTerms)
{
    std::vector<INT_PTR> colours;
    sim::ScriptDialog({sim::Message(WM_CTLCOLORDLG), sim::Message(WM_CTLCOLORSTATIC), sim::Command(IDOK)});
    sim::ScriptDialog({sim::Message(WM_CTLCOLORBTN), sim::Message(WM_CTLCOLOREDIT),
                       sim::Do([] { sim::PutFile(kStaged, "改訂された規約"); }), sim::Command(IDC_BACK)});
    sim::ScriptDialog({sim::Message(WM_CTLCOLORSTATIC), sim::Command(IDOK)});
    sim::ScriptDialog({sim::Command(IDCANCEL)});
    EXPECT_EQ(Run(), 0);

    const std::vector<sim::DialogShown> &pages = sim::Dialogs();
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(pages[1].itemTexts.at(IDC_TERMS_TEXT), terms_);
    EXPECT_EQ(pages[3].itemTexts.at(IDC_TERMS_TEXT), "改訂された規約");
    // WM_INITDIALOG: the welcome page sets no focus, the terms page asks for the default one.
    EXPECT_EQ(pages[0].returned[0], FALSE);
    EXPECT_EQ(pages[1].returned[0], TRUE);
    std::vector<std::string> brushes = sim::TraceOf({"CreateSolidBrush"});
    EXPECT_EQ(brushes, std::vector<std::string>(4, "CreateSolidBrush(0xFFFFFF)"));
    std::vector<std::string> created;
    for (const sim::Call &call : sim::Trace())
        if (call.name == "CreateSolidBrush")
            created.push_back(call.result);
    EXPECT_EQ(sim::Hex((UINT_PTR)pages[0].returned[1]), created[0]);
    EXPECT_EQ(pages[0].returned[1], pages[0].returned[2]);
    EXPECT_EQ(sim::Hex((UINT_PTR)pages[1].returned[1]), created[1]);
    EXPECT_EQ(pages[1].returned[2], 0);  // WM_CTLCOLOREDIT is left to the system
    EXPECT_EQ(sim::Hex((UINT_PTR)pages[2].returned[1]), created[2]);
    EXPECT_EQ(sim::TraceOf({"DeleteObject"}).size(), 4u);
}

TEST_F(WizardTest, TermsTextIsCappedAt5120Bytes)
{
    struct Case {
        std::string file;
        std::string shown;
    };
    std::string full(5120, 'a');
    // Cut inside "表": the page shows its lead byte alone, as Windows would.
    std::string cut = std::string(5119, 'b') + "表";
    const Case cases[] = {{"", ""}, {full, full}, {full + "overflow", full}, {cut, cut.substr(0, 5120)}};
    for (const Case &c : cases) {
        SetUp();
        sim::Reset();
        sim::AddResource(PAYLOAD_TYPE_TEXT, IDR_TERMS_TEXT, 1041, c.file);
        sim::MakeDirs(kDownloads);
        sim::ScriptDialog({sim::Command(IDOK)});
        sim::ScriptDialog({sim::Command(IDCANCEL)});
        Run();
        ASSERT_EQ(sim::Dialogs().size(), 2u);
        EXPECT_EQ(sim::Dialogs()[1].itemTexts.at(IDC_TERMS_TEXT), c.shown);
        EXPECT_EQ(strlen(g_termsText), c.shown.size());
        TearDown();
    }
}

TEST_F(WizardTest, EnteringTheTermsBoxSelectsNothing)
{
    sim::ScriptDialog({sim::Command(IDOK)});
    sim::ScriptDialog({sim::Command(IDC_TERMS_TEXT, EN_SETFOCUS), sim::Command(IDOK, EN_SETFOCUS),
                       sim::Command(IDCANCEL)});
    Run();
    HWND terms = sim::Dialogs()[1].window;
    std::string expected = "SendDlgItemMessageA(" + sim::Hex((UINT_PTR)terms) + ", 1002, 0xB1, -1, -1)";
    EXPECT_EQ(sim::TraceOf({"SendDlgItemMessageA"}), std::vector<std::string>(2, expected));
    EXPECT_EQ(sim::Dialogs()[1].returned[1], 0);
}

TEST_F(WizardTest, StagesBesideAnInstallerInADoubleByteFolder)
{
    // 表 and ソ end in the byte 0x5C: the folder ends at the last real backslash.
    struct Case {
        const char *module;
        const char *folder;
    };
    const Case cases[] = {{"C:\\ソフト表\\VelodarInstaller.exe", "C:\\ソフト表\\"},
                          {"C:\\dl\\ソフト表.exe", "C:\\dl\\"}};
    for (const Case &c : cases) {
        SetUp();
        sim::MakeDirs(c.folder);
        sim::SetModulePath(c.module);
        sim::ScriptDialog({sim::Command(IDCANCEL)});
        Run();
        EXPECT_STREQ(g_installerDir, c.folder);
        EXPECT_EQ(sim::ListDir(c.folder).back(), "licence.txt") << c.module;
        TearDown();
    }
}

TEST_F(WizardTest, UnwritableFolderShowsAnOlderTermsFileOrNothing)
{
    struct Case {
        const char *name;
        void (*prepare)();
        const char *shown;
    };
    const Case cases[] = {
        {"folder refuses new files", [] { sim::DenyAccess(kDownloads); }, ""},
        {"older file is read-only",
         [] {
             sim::PutFile(kStaged, "以前の規約");
             sim::MakeReadOnly(kStaged);
         },
         "以前の規約"},
        {"older file open in another program",
         [] {
             sim::PutFile(kStaged, "以前の規約");
             sim::HoldFile(kStaged, FILE_SHARE_READ);
         },
         "以前の規約"},
    };
    for (const Case &c : cases) {
        SetUp();
        c.prepare();
        sim::ScriptDialog({sim::Command(IDOK)});
        sim::ScriptDialog({sim::Command(IDCANCEL)});
        EXPECT_EQ(Run(), 0);
        ASSERT_EQ(sim::Dialogs().size(), 2u) << c.name;
        EXPECT_EQ(sim::Dialogs()[1].itemTexts.at(IDC_TERMS_TEXT), c.shown) << c.name;
        TearDown();
    }
}

TEST_F(WizardTest, PagesThatFailToShowEndTheInstaller)
{
    sim::FailDialog();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Pages(), (std::vector<std::pair<int, long>>{{IDD_WELCOME, -1}}));

    SetUp();
    sim::ScriptDialog({sim::Command(IDOK)});
    sim::FailDialog();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Pages(), (std::vector<std::pair<int, long>>{{IDD_WELCOME, IDOK}, {IDD_TERMS, -1}}));
}

TEST_F(WizardTest, InstallerPathThatDoesNotFitWritesNothing)
{
    struct Case {
        DWORD major;
        size_t folderLength;
    };
    // A module path of 260 characters or more; a folder whose staged file would not fit.
    const Case cases[] = {{5, 250}, {6, 250}, {6, 245}};
    for (const Case &c : cases) {
        SetUp();
        sim::SetWindowsVersion(c.major, 1);
        std::string folder = "C:\\" + std::string(c.folderLength, 'f') + "\\";
        sim::MakeDirs(folder);
        sim::SetModulePath(folder + "VelodarInstaller.exe");
        EXPECT_EQ(Run(), 0);
        EXPECT_TRUE(sim::ListDir(folder).empty());
        EXPECT_TRUE(Pages().empty());
        TearDown();
    }
}

TEST_F(WizardTest, LaunchQuotesTheApplicationPath)
{
    strcpy(g_appPath, "C:\\Program Files\\Velodar\\Velodar.exe");
    EXPECT_EQ(LaunchApplication(), 33u);
    EXPECT_EQ(sim::TraceOf({"WinExec"}),
              std::vector<std::string>{"WinExec(\"\"C:\\Program Files\\Velodar\\Velodar.exe\"\", 5)"});
    EXPECT_STREQ(g_appPath, "C:\\Program Files\\Velodar\\Velodar.exe");  // the plain path stays

    memset(g_appPath, 'p', MAX_PATH - 1);
    g_appPath[MAX_PATH - 1] = '\0';
    EXPECT_EQ(LaunchApplication(), 33u);  // 259 characters and the quotes still fit
    EXPECT_EQ(sim::StartedPrograms().back().size(), 261u);
}

}  // namespace

namespace {

TEST_F(WizardTest, DllSearchIsRestrictedBeforeAnythingShows)
{
    struct Case {
        const char *name;
        DWORD major, minor;
        bool setDefault, setDirectory;
        std::vector<std::string> changes;
        std::vector<std::string> loaded;
    };
    const Case cases[] = {
        {"Windows 7 with SetDefaultDllDirectories", 6, 1, true, true, {"SetDefaultDllDirectories(0x800)"}, {}},
        {"Vista without it", 6, 0, false, true, {"SetDllDirectoryA(\"\")"},
         {"LoadLibraryExA(\"C:\\Windows\\system32\\uxtheme.dll\", NULL, LOAD_WITH_ALTERED_SEARCH_PATH)",
          "LoadLibraryExA(\"C:\\Windows\\system32\\dwmapi.dll\", NULL, LOAD_WITH_ALTERED_SEARCH_PATH)"}},
        {"XP SP1 and later", 5, 1, false, true, {"SetDllDirectoryA(\"\")"},
         {"LoadLibraryExA(\"C:\\WINDOWS\\system32\\uxtheme.dll\", NULL, LOAD_WITH_ALTERED_SEARCH_PATH)"}},
        {"XP RTM", 5, 1, false, false, {},
         {"LoadLibraryExA(\"C:\\WINDOWS\\system32\\uxtheme.dll\", NULL, LOAD_WITH_ALTERED_SEARCH_PATH)"}},
        {"refused Windows 2000", 5, 0, false, true, {"SetDllDirectoryA(\"\")"},
         {"LoadLibraryExA(\"C:\\WINDOWS\\system32\\uxtheme.dll\", NULL, LOAD_WITH_ALTERED_SEARCH_PATH)"}},
    };
    for (const Case &c : cases) {
        SetUp();
        sim::SetWindowsVersion(c.major, c.minor);
        sim::SetDllSearchExports(c.setDefault, c.setDirectory);
        int shownAt = -1;
        std::vector<int> loadedWhileShown;
        sim::WhileMessageBoxShown([&](const sim::MessageBoxShown &) {
            loadedWhileShown.push_back(sim::LoadedModuleCount("uxtheme.dll"));
        });
        sim::ScriptDialog({sim::Do([&] { loadedWhileShown.push_back(sim::LoadedModuleCount("uxtheme.dll")); }),
                           sim::Command(IDCANCEL)});
        Run();
        EXPECT_EQ(sim::DllSearchChanges(), c.changes) << c.name;
        EXPECT_EQ(sim::TraceOf({"LoadLibraryExA"}), c.loaded) << c.name;
        // Everything is in place before the first page or message shows.
        shownAt = std::max(sim::FindCall("DialogBoxParamA"), sim::FindCall("MessageBoxA"));
        ASSERT_GE(shownAt, 0) << c.name;
        for (const std::string &prefix : {std::string("SetD"), std::string("LoadLibraryExA")}) {
            int at = sim::FindCall(prefix);
            EXPECT_TRUE(at == -1 || at < shownAt) << c.name << ": " << prefix;
        }
        ASSERT_EQ(loadedWhileShown.size(), 1u) << c.name;
        EXPECT_EQ(loadedWhileShown[0], c.loaded.empty() ? 0 : 1) << c.name;
        TearDown();  // and freed once the wizard has ended
    }
}

}  // namespace
