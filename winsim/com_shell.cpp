// The simulated shell and COM: special folders, the task allocator, COM
// start-up, the shell link object and ShellExecuteA.
#include "com_shell.h"

#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <set>

#include "accounts.h"
#include "files.h"
#include "modules.h"
#include "codepage.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IMalloc = {0x00000002, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IPersist = {0x0000010C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IShellLinkA = {0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const CLSID CLSID_ShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace sim {
namespace {

bool SameGuid(const GUID &a, const GUID &b) { return memcmp(&a, &b, sizeof(GUID)) == 0; }

std::string GuidName(const GUID &guid)
{
    static const struct {
        const GUID *guid;
        const char *name;
    } known[] = {{&IID_IUnknown, "IID_IUnknown"},       {&IID_IMalloc, "IID_IMalloc"},
                 {&IID_IPersist, "IID_IPersist"},       {&IID_IPersistFile, "IID_IPersistFile"},
                 {&IID_IShellLinkA, "IID_IShellLinkA"}, {&CLSID_ShellLink, "CLSID_ShellLink"}};
    for (const auto &entry : known)
        if (SameGuid(guid, *entry.guid))
            return entry.name;
    char text[64];
    snprintf(text, sizeof(text), "{%08X-%04X-%04X-...}", guid.Data1, guid.Data2, guid.Data3);
    return text;
}

enum FolderKind { kFolderPath, kFolderWithoutPath, kFolderFails };

struct Folder {
    FolderKind kind = kFolderFails;
    std::string path;
    HRESULT failure = E_INVALIDARG;
};

struct Block {
    SIZE_T size;
    std::string what;
};

class ShellLink;

struct Shell {
    std::map<int, Folder> folders;  // settings of the test; the rest resolve by default
    HRESULT mallocFailure = S_OK;
    long mallocReferences = 0;
    std::map<void *, Block> blocks;  // allocated through the task allocator, not yet freed
    int comInitializations = 0;
    HRESULT createFailure = S_OK;
    HRESULT queryFailure = S_OK;
    std::set<ShellLink *> links;  // shell link objects still referenced
    std::vector<std::string> problems;  // misuse seen by the shell, reported by the leak check
    std::vector<ShellExecution> executions;
    std::vector<UINT_PTR> scriptedResults;
};

Shell g;

Folder DefaultFolder(int csidl)
{
    bool xp = WindowsMajor() < 6;
    Folder folder;
    folder.kind = kFolderPath;
    switch (csidl) {
    case CSIDL_SENDTO:
        folder.path = SendToFolder("user");
        break;
    case CSIDL_DESKTOP:
        folder.path = ProfilesRoot() + "\\user\\Desktop";
        break;
    case CSIDL_PROGRAM_FILES:
        folder.path = "C:\\Program Files";
        break;
    case CSIDL_WINDOWS:
        folder.path = xp ? "C:\\WINDOWS" : "C:\\Windows";
        break;
    case CSIDL_SYSTEM:
        folder.path = SystemFolder();
        break;
    case CSIDL_COMMON_PROGRAMS:
        folder.path = xp ? "C:\\Documents and Settings\\All Users\\Start Menu\\Programs"
                         : "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
        break;
    case CSIDL_COMMON_DESKTOPDIRECTORY:
        folder.path = xp ? "C:\\Documents and Settings\\All Users\\Desktop" : "C:\\Users\\Public\\Desktop";
        break;
    case CSIDL_CONTROLS:
    case CSIDL_DRIVES:
    case CSIDL_NETWORK:
        folder.kind = kFolderWithoutPath;
        break;
    default:
        folder.kind = kFolderFails;
        break;
    }
    return folder;
}

Folder FolderOf(int csidl)
{
    auto it = g.folders.find(csidl);
    return it != g.folders.end() ? it->second : DefaultFolder(csidl);
}

void *Allocate(SIZE_T size, const std::string &what)
{
    void *block = ::operator new(size == 0 ? 1 : size);
    memset(block, 0, size == 0 ? 1 : size);
    g.blocks[block] = {size, what};
    return block;
}

// The task allocator. There is one; SHGetMalloc hands out references to it.
class TaskAllocator : public IMalloc {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override
    {
        Record("IMalloc::QueryInterface", "%s, &object", GuidName(riid).c_str());
        if (object == nullptr)
            return E_POINTER;
        if (SameGuid(riid, IID_IUnknown) || SameGuid(riid, IID_IMalloc)) {
            ++g.mallocReferences;
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        Record("IMalloc::AddRef", "");
        return (ULONG)++g.mallocReferences;
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        Record("IMalloc::Release", "");
        if (g.mallocReferences == 0) {
            g.problems.push_back("IMalloc::Release without a reference");
            return 0;
        }
        return (ULONG)--g.mallocReferences;
    }
    void *STDMETHODCALLTYPE Alloc(SIZE_T size) override
    {
        Record("IMalloc::Alloc", "%zu", size);
        return Allocate(size, "block of " + std::to_string(size) + " bytes");
    }
    void *STDMETHODCALLTYPE Realloc(void *block, SIZE_T size) override
    {
        Record("IMalloc::Realloc", "block, %zu", size);
        g.problems.push_back("IMalloc::Realloc is not simulated");
        (void)block;
        return nullptr;
    }
    void STDMETHODCALLTYPE Free(void *block) override
    {
        auto it = g.blocks.find(block);
        Record("IMalloc::Free", "%s", block == nullptr ? "NULL" : it != g.blocks.end() ? it->second.what.c_str() : "?");
        if (block == nullptr)
            return;
        if (it == g.blocks.end()) {
            g.problems.push_back("IMalloc::Free of a block the allocator did not hand out");
            return;
        }
        g.blocks.erase(it);
        ::operator delete(block);
    }
    SIZE_T STDMETHODCALLTYPE GetSize(void *block) override
    {
        auto it = g.blocks.find(block);
        return it == g.blocks.end() ? (SIZE_T)-1 : it->second.size;
    }
    int STDMETHODCALLTYPE DidAlloc(void *block) override { return g.blocks.count(block) != 0 ? 1 : 0; }
    void STDMETHODCALLTYPE HeapMinimize() override {}
};

TaskAllocator g_allocator;

// The item-ID list the simulation hands out: one item holding the CSIDL value.
struct FolderIdList {
    USHORT cb;
    USHORT unused;
    int csidl;
    USHORT end;
};

// The IUnknown methods of each interface under their own names, so that the
// trace tells through which interface the product released the object.
struct LinkInterface : public IShellLinkA {
    virtual HRESULT LinkQuery(REFIID riid, void **object) = 0;
    virtual ULONG LinkAddRef() = 0;
    virtual ULONG LinkRelease() = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override { return LinkQuery(riid, object); }
    ULONG STDMETHODCALLTYPE AddRef() override { return LinkAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return LinkRelease(); }
};
struct PersistInterface : public IPersistFile {
    virtual HRESULT PersistQuery(REFIID riid, void **object) = 0;
    virtual ULONG PersistAddRef() = 0;
    virtual ULONG PersistRelease() = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override
    {
        return PersistQuery(riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return PersistAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return PersistRelease(); }
};

// One shell link object, reached through its two interfaces with one count.
class ShellLink final : public LinkInterface, public PersistInterface {
public:
    ULONG references = 1;
    std::string values[5] = {"(unset)", "(unset)", "(unset)", "(unset)", "(unset)"};
    int iconIndex = 0;
    int showCommand = 0;

    static std::string Text(LPCSTR text) { return Quote(text); }

    // `scripted`: a failure set by the test applies (to the product's own calls).
    HRESULT Query(const char *via, REFIID riid, void **object, bool scripted)
    {
        if (via != nullptr)
            Record(via, "%s, &object", GuidName(riid).c_str());
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (scripted && g.queryFailure != S_OK)
            return g.queryFailure;
        if (SameGuid(riid, IID_IUnknown) || SameGuid(riid, IID_IShellLinkA))
            *object = static_cast<IShellLinkA *>(this);
        else if (SameGuid(riid, IID_IPersist) || SameGuid(riid, IID_IPersistFile))
            *object = static_cast<IPersistFile *>(this);
        else
            return E_NOINTERFACE;
        ++references;
        return S_OK;
    }
    ULONG Grab(const char *via)
    {
        Record(via, "");
        return ++references;
    }
    ULONG Drop(const char *via)
    {
        Record(via, "");
        if (--references == 0) {
            g.links.erase(this);
            delete this;
            return 0;
        }
        return references;
    }
    HRESULT LinkQuery(REFIID riid, void **object) override
    {
        return Query("IShellLinkA::QueryInterface", riid, object, true);
    }
    ULONG LinkAddRef() override { return Grab("IShellLinkA::AddRef"); }
    ULONG LinkRelease() override { return Drop("IShellLinkA::Release"); }
    HRESULT PersistQuery(REFIID riid, void **object) override
    {
        return Query("IPersistFile::QueryInterface", riid, object, true);
    }
    ULONG PersistAddRef() override { return Grab("IPersistFile::AddRef"); }
    ULONG PersistRelease() override { return Drop("IPersistFile::Release"); }

    HRESULT NotSimulated(const char *name)
    {
        Record(name, "...");
        g.problems.push_back(std::string(name) + " is not simulated");
        return E_FAIL;
    }
    HRESULT SetText(const char *name, int which, LPCSTR text)
    {
        Record(name, "%s", Text(text).c_str());
        values[which] = Text(text);
        return S_OK;
    }

    // IShellLinkA
    HRESULT STDMETHODCALLTYPE GetPath(LPSTR, int, WIN32_FIND_DATAA *, DWORD) override
    {
        return NotSimulated("IShellLinkA::GetPath");
    }
    HRESULT STDMETHODCALLTYPE GetIDList(LPITEMIDLIST *) override { return NotSimulated("IShellLinkA::GetIDList"); }
    HRESULT STDMETHODCALLTYPE SetIDList(LPCITEMIDLIST) override { return NotSimulated("IShellLinkA::SetIDList"); }
    HRESULT STDMETHODCALLTYPE GetDescription(LPSTR, int) override
    {
        return NotSimulated("IShellLinkA::GetDescription");
    }
    HRESULT STDMETHODCALLTYPE SetDescription(LPCSTR text) override
    {
        return SetText("IShellLinkA::SetDescription", 1, text);
    }
    HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPSTR, int) override
    {
        return NotSimulated("IShellLinkA::GetWorkingDirectory");
    }
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCSTR text) override
    {
        return SetText("IShellLinkA::SetWorkingDirectory", 3, text);
    }
    HRESULT STDMETHODCALLTYPE GetArguments(LPSTR, int) override { return NotSimulated("IShellLinkA::GetArguments"); }
    HRESULT STDMETHODCALLTYPE SetArguments(LPCSTR text) override
    {
        return SetText("IShellLinkA::SetArguments", 2, text);
    }
    HRESULT STDMETHODCALLTYPE GetHotkey(WORD *) override { return NotSimulated("IShellLinkA::GetHotkey"); }
    HRESULT STDMETHODCALLTYPE SetHotkey(WORD) override { return NotSimulated("IShellLinkA::SetHotkey"); }
    HRESULT STDMETHODCALLTYPE GetShowCmd(int *) override { return NotSimulated("IShellLinkA::GetShowCmd"); }
    HRESULT STDMETHODCALLTYPE SetShowCmd(int show) override
    {
        Record("IShellLinkA::SetShowCmd", "%d", show);
        showCommand = show;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIconLocation(LPSTR, int, int *) override
    {
        return NotSimulated("IShellLinkA::GetIconLocation");
    }
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCSTR path, int index) override
    {
        Record("IShellLinkA::SetIconLocation", "%s, %d", Text(path).c_str(), index);
        values[4] = Text(path);
        iconIndex = index;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetRelativePath(LPCSTR, DWORD) override
    {
        return NotSimulated("IShellLinkA::SetRelativePath");
    }
    HRESULT STDMETHODCALLTYPE Resolve(HWND, DWORD) override { return NotSimulated("IShellLinkA::Resolve"); }
    HRESULT STDMETHODCALLTYPE SetPath(LPCSTR text) override { return SetText("IShellLinkA::SetPath", 0, text); }

    // IPersistFile
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID *id) override
    {
        Record("IPersistFile::GetClassID", "&clsid");
        if (id == nullptr)
            return E_POINTER;
        *id = CLSID_ShellLink;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return NotSimulated("IPersistFile::IsDirty"); }
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR, DWORD) override { return NotSimulated("IPersistFile::Load"); }
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR wideName, BOOL remember) override;
    HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR) override { return NotSimulated("IPersistFile::SaveCompleted"); }
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR *) override { return NotSimulated("IPersistFile::GetCurFile"); }
};

const char *const kShortcutHeader = "[simulated shell link]\n";
const char *const kShortcutKeys[5] = {"Path", "Description", "Arguments", "WorkingDirectory", "IconLocation"};

// The folder part of a full path, split at its last backslash between whole
// characters; "" when there is none.
std::string ParentOf(const std::string &path)
{
    const char *start = path.c_str();
    const char *last = nullptr;
    for (const char *p = start; *p != '\0'; p = CharNextA(p))
        if (*p == '\\')
            last = p;
    return last == nullptr ? std::string() : std::string(start, last);
}

HRESULT ShellLink::Save(LPCOLESTR wideName, BOOL remember)
{
    std::u16string wide;
    for (LPCOLESTR w = wideName; w != nullptr && *w != 0; ++w)
        wide.push_back(*w);
    std::string name = ToAnsi(wide);
    Record("IPersistFile::Save", "%s, %s", wideName == nullptr ? "NULL" : ("L" + Quote(name.c_str())).c_str(),
           remember ? "TRUE" : "FALSE");
    if (wideName == nullptr)
        return E_FAIL;  // the object has no current file yet
    std::string parent = ParentOf(name);
    if (parent.empty() || !DirExists(parent)) {
        RecordResult("folder not found");
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    }
    if (DirExists(name))
        return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    std::string text = kShortcutHeader;
    for (int i = 0; i < 5; ++i)
        text += std::string(kShortcutKeys[i]) + "=" + values[i] + "\n";
    text += "IconIndex=" + std::to_string(iconIndex) + "\n";
    text += "ShowCommand=" + std::to_string(showCommand) + "\n";
    PutFile(name, text);
    return S_OK;
}

void ResetShell()
{
    for (ShellLink *link : g.links)
        delete link;
    for (auto &block : g.blocks)
        ::operator delete(block.first);
    g = Shell();
}

void ShellLeaks(std::vector<std::string> *out)
{
    if (g.mallocReferences != 0)
        out->push_back("shell allocator still referenced " + std::to_string(g.mallocReferences) + " time(s)");
    for (const auto &block : g.blocks)
        out->push_back("task allocator " + block.second.what + " not freed");
    if (g.comInitializations > 0)
        out->push_back("COM still initialised " + std::to_string(g.comInitializations) + " time(s)");
    for (ShellLink *link : g.links)
        out->push_back("shell link object still referenced " + std::to_string(link->references) + " time(s)");
    for (const std::string &problem : g.problems)
        out->push_back(problem);
}

bool registered = RegisterArea({"shell", ResetShell, ShellLeaks});

}  // namespace

void SetSpecialFolder(int csidl, const std::string &path)
{
    Folder folder;
    folder.kind = kFolderPath;
    folder.path = path;
    g.folders[csidl] = folder;
}

void SetFolderWithoutPath(int csidl)
{
    Folder folder;
    folder.kind = kFolderWithoutPath;
    g.folders[csidl] = folder;
}

void FailSpecialFolder(int csidl, HRESULT result)
{
    Folder folder;
    folder.kind = kFolderFails;
    folder.failure = result;
    g.folders[csidl] = folder;
}

std::string SpecialFolder(int csidl)
{
    Folder folder = FolderOf(csidl);
    return folder.kind == kFolderPath ? folder.path : std::string();
}

std::string CsidlName(int csidl)
{
    static const struct {
        int csidl;
        const char *name;
    } names[] = {{CSIDL_DESKTOP, "CSIDL_DESKTOP"},
                 {CSIDL_CONTROLS, "CSIDL_CONTROLS"},
                 {CSIDL_SENDTO, "CSIDL_SENDTO"},
                 {CSIDL_DRIVES, "CSIDL_DRIVES"},
                 {CSIDL_NETWORK, "CSIDL_NETWORK"},
                 {CSIDL_COMMON_PROGRAMS, "CSIDL_COMMON_PROGRAMS"},
                 {CSIDL_COMMON_DESKTOPDIRECTORY, "CSIDL_COMMON_DESKTOPDIRECTORY"},
                 {CSIDL_WINDOWS, "CSIDL_WINDOWS"},
                 {CSIDL_SYSTEM, "CSIDL_SYSTEM"},
                 {CSIDL_PROGRAM_FILES, "CSIDL_PROGRAM_FILES"}};
    for (const auto &entry : names)
        if (entry.csidl == csidl)
            return entry.name;
    return std::to_string(csidl);
}

void FailShellMalloc(HRESULT result) { g.mallocFailure = result; }
int ComInitializations() { return g.comInitializations; }
void FailCreateInstance(HRESULT result) { g.createFailure = result; }
void FailQueryInterface(HRESULT result) { g.queryFailure = result; }

bool ReadShortcut(const std::string &path, Shortcut *out)
{
    std::string text;
    if (!GetFile(path, &text) || text.compare(0, strlen(kShortcutHeader), kShortcutHeader) != 0)
        return false;
    std::map<std::string, std::string> values;
    size_t at = strlen(kShortcutHeader);
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
        at = end == std::string::npos ? text.size() : end + 1;
    }
    out->target = values["Path"];
    out->description = values["Description"];
    out->arguments = values["Arguments"];
    out->workingDirectory = values["WorkingDirectory"];
    out->iconPath = values["IconLocation"];
    out->iconIndex = atoi(values["IconIndex"].c_str());
    out->showCommand = atoi(values["ShowCommand"].c_str());
    return true;
}

const std::vector<ShellExecution> &ShellExecutions() { return g.executions; }
void ScriptShellExecute(const std::vector<UINT_PTR> &results) { g.scriptedResults = results; }

}  // namespace sim

using sim::g;

HRESULT WINAPI CoInitialize(LPVOID reserved)
{
    sim::Record("CoInitialize", "%s", reserved == nullptr ? "NULL" : "reserved");
    if (reserved != nullptr)
        return E_INVALIDARG;
    // A second initialisation on the thread succeeds with S_FALSE and must be
    // balanced all the same.
    return g.comInitializations++ == 0 ? S_OK : S_FALSE;
}

void WINAPI CoUninitialize(void)
{
    sim::Record("CoUninitialize", "");
    if (g.comInitializations == 0) {
        g.problems.push_back("CoUninitialize without CoInitialize");
        return;
    }
    --g.comInitializations;
}

HRESULT WINAPI CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid, LPVOID *object)
{
    std::string contextText = context == CLSCTX_INPROC_SERVER ? "CLSCTX_INPROC_SERVER" : sim::Hex(context);
    sim::Record("CoCreateInstance", "%s, %s, %s, %s, &object", sim::GuidName(clsid).c_str(),
                outer == nullptr ? "NULL" : "outer", contextText.c_str(), sim::GuidName(riid).c_str());
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (g.comInitializations == 0) {
        sim::RecordResult("CO_E_NOTINITIALIZED");
        return CO_E_NOTINITIALIZED;
    }
    if (g.createFailure != S_OK) {
        sim::RecordResult("0x%08X", (unsigned)g.createFailure);
        return g.createFailure;
    }
    if (!sim::SameGuid(clsid, CLSID_ShellLink) || !(context & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;
    if (outer != nullptr)
        return (HRESULT)0x80040110;  // CLASS_E_NOAGGREGATION
    sim::ShellLink *link = new sim::ShellLink();
    g.links.insert(link);
    void *wanted = nullptr;
    HRESULT result = link->Query(nullptr, riid, &wanted, false);
    // Drop the creation reference; the interface asked for holds its own.
    link->references--;
    if (FAILED(result)) {
        g.links.erase(link);
        delete link;
        return result;
    }
    *object = wanted;
    return S_OK;
}

HRESULT WINAPI SHGetMalloc(LPMALLOC *allocator)
{
    sim::Record("SHGetMalloc", "&malloc");
    if (allocator == nullptr)
        return E_INVALIDARG;
    if (g.mallocFailure != S_OK) {
        *allocator = nullptr;
        return g.mallocFailure;
    }
    ++g.mallocReferences;
    *allocator = &sim::g_allocator;
    return S_OK;
}

HRESULT WINAPI SHGetSpecialFolderLocation(HWND owner, int csidl, LPITEMIDLIST *idList)
{
    sim::Record("SHGetSpecialFolderLocation", "%s, %s, &pidl",
                owner == nullptr ? "NULL" : sim::Hex((UINT_PTR)owner).c_str(), sim::CsidlName(csidl).c_str());
    if (idList == nullptr)
        return E_INVALIDARG;
    *idList = nullptr;
    sim::Folder folder = sim::FolderOf(csidl);
    if (folder.kind == sim::kFolderFails) {
        sim::RecordResult("0x%08X", (unsigned)folder.failure);
        return folder.failure;
    }
    sim::FolderIdList *list = static_cast<sim::FolderIdList *>(
        sim::Allocate(sizeof(sim::FolderIdList), "item-ID list of " + sim::CsidlName(csidl)));
    list->cb = (USHORT)offsetof(sim::FolderIdList, end);
    list->csidl = csidl;
    list->end = 0;
    *idList = reinterpret_cast<LPITEMIDLIST>(list);
    return S_OK;
}

BOOL WINAPI SHGetPathFromIDListA(LPCITEMIDLIST idList, LPSTR path)
{
    auto it = g.blocks.find(const_cast<ITEMIDLIST *>(idList));
    sim::Record("SHGetPathFromIDListA", "%s, buffer",
                idList == nullptr ? "NULL" : it != g.blocks.end() ? it->second.what.c_str() : "?");
    if (idList == nullptr || path == nullptr || it == g.blocks.end()) {
        g.problems.push_back("SHGetPathFromIDListA without a live item-ID list and a buffer");
        return FALSE;
    }
    const sim::FolderIdList *list = reinterpret_cast<const sim::FolderIdList *>(idList);
    sim::Folder folder = sim::FolderOf(list->csidl);
    // A folder outside the file system has no path; the buffer is left as it was.
    if (folder.kind != sim::kFolderPath || folder.path.size() >= MAX_PATH) {
        sim::RecordResult("FALSE");
        return FALSE;
    }
    memcpy(path, folder.path.c_str(), folder.path.size() + 1);
    sim::RecordResult("%s", sim::Quote(folder.path.c_str()).c_str());
    return TRUE;
}

HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show)
{
    sim::Record("ShellExecuteA", "%s, %s, %s, %s, %s, %d",
                owner == nullptr ? "NULL" : sim::Hex((UINT_PTR)owner).c_str(), sim::Quote(verb).c_str(),
                sim::Quote(file).c_str(), sim::Quote(parameters).c_str(), sim::Quote(directory).c_str(), show);
    UINT_PTR result = 42;
    if (!g.scriptedResults.empty()) {
        result = g.scriptedResults.front();
        g.scriptedResults.erase(g.scriptedResults.begin());
    }
    sim::RecordResult("%s", sim::Hex(result).c_str());
    g.executions.push_back({sim::Now(), owner, sim::Quote(verb), sim::Quote(file), sim::Quote(parameters),
                            sim::Quote(directory), show, result});
    return (HINSTANCE)result;
}
