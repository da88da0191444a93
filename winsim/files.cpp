// The simulated file system and the kernel32 file functions over it.
#include "files.h"

#include <string.h>

#include <algorithm>
#include <map>

#include "codepage.h"

namespace sim {
namespace {

struct Node {
    bool dir = false;
    std::string path;  // as created
    std::string parent;  // the folder's key
    std::string name;    // the last component, as created
    std::string data;
    bool denied = false;
    bool readOnly = false;
    bool failWrites = false;
    unsigned long long order = 0;
};

struct Open {
    std::string key;
    DWORD access = 0;
    DWORD share = 0;
    DWORD position = 0;
    bool runningImage = false;
};

struct FileSystem {
    std::map<std::string, Node> nodes;
    std::map<UINT_PTR, Open> handles;   // opened by the product
    std::vector<Open> holds;            // opened by other processes
    std::vector<WriteCall> writes;
    std::vector<PendingOperation> pending;
    std::vector<std::pair<std::string, std::string>> links;  // folded link path, target as given
    UINT_PTR nextHandle = 0x100;
    unsigned long long nextOrder = 0;
};

FileSystem fs;

// Splits a path into its drive ("C:") and its components, at character
// boundaries only. False for a path without a drive letter.
bool SplitPath(const std::string &path, std::string *drive, std::vector<std::string> *parts)
{
    if (path.size() < 2 || path[1] != ':' || !((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        return false;
    drive->assign(path, 0, 2);
    parts->clear();
    std::string current;
    const char *p = path.c_str() + 2;
    while (*p != '\0') {
        const char *next = CharNextA(p);
        if (next == p + 1 && (*p == '\\' || *p == '/')) {
            if (!current.empty())
                parts->push_back(current);
            current.clear();
        } else {
            current.append(p, next);
        }
        p = next;
    }
    if (!current.empty())
        parts->push_back(current);
    return true;
}

std::string Join(const std::string &drive, const std::vector<std::string> &parts, size_t count)
{
    std::string out = drive;
    for (size_t i = 0; i < count; ++i)
        out += "\\" + parts[i];
    return out;
}

std::string KeyOf(const std::string &path) { return FoldCase(path); }

bool Locate(const std::string &path, std::string *key, std::string *parentKey, std::string *display)
{
    std::string drive;
    std::vector<std::string> parts;
    if (!SplitPath(path, &drive, &parts))
        return false;
    *display = Join(drive, parts, parts.size());
    // A path through a folder link names the place below the link's target.
    // Both keys end at a whole character, so a match ends at one too.
    std::string folded = KeyOf(*display);
    for (const auto &link : fs.links) {
        if (folded.compare(0, link.first.size(), link.first) == 0 &&
            (folded.size() == link.first.size() || folded[link.first.size()] == '\\')) {
            std::string rest = display->substr(link.first.size());
            if (!SplitPath(link.second + rest, &drive, &parts))
                return false;
            *display = Join(drive, parts, parts.size());
            break;
        }
    }
    *key = KeyOf(*display);
    *parentKey = parts.empty() ? std::string() : KeyOf(Join(drive, parts, parts.size() - 1));
    return true;
}

// Locate for a path argument of a file function: a null or relative path
// fails with ERROR_PATH_NOT_FOUND, as Windows reports it here.
bool LocateArgument(const char *name, std::string *key, std::string *parentKey, std::string *display)
{
    if (name != nullptr && Locate(name, key, parentKey, display))
        return true;
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
}

Node *Find(const std::string &key)
{
    auto it = fs.nodes.find(key);
    return it == fs.nodes.end() ? nullptr : &it->second;
}

bool HasChildren(const std::string &key)
{
    for (const auto &entry : fs.nodes)
        if (entry.second.parent == key)
            return true;
    return false;
}

bool Conflicts(DWORD access, DWORD share, const Open &other)
{
    if ((access & GENERIC_WRITE) && !(other.share & FILE_SHARE_WRITE))
        return true;
    if ((access & GENERIC_READ) && !(other.share & FILE_SHARE_READ))
        return true;
    if ((other.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE))
        return true;
    if ((other.access & GENERIC_READ) && !(share & FILE_SHARE_READ))
        return true;
    return false;
}

template <typename Fn> bool AnyOpen(const std::string &key, Fn test)
{
    for (const auto &entry : fs.handles)
        if (entry.second.key == key && test(entry.second))
            return true;
    for (const Open &hold : fs.holds)
        if (hold.key == key && test(hold))
            return true;
    return false;
}

Node &AddNode(const std::string &key, const std::string &display, bool dir)
{
    std::string drive;
    std::vector<std::string> parts;
    SplitPath(display, &drive, &parts);
    Node &node = fs.nodes[key];
    node.dir = dir;
    node.path = display;
    node.parent = parts.empty() ? std::string() : KeyOf(Join(drive, parts, parts.size() - 1));
    node.name = parts.empty() ? drive : parts.back();
    node.order = fs.nextOrder++;
    return node;
}

std::string AccessText(DWORD access)
{
    std::string out;
    if (access & GENERIC_READ)
        out += "GENERIC_READ";
    if (access & GENERIC_WRITE)
        out += out.empty() ? "GENERIC_WRITE" : "|GENERIC_WRITE";
    return out.empty() ? Hex(access) : out;
}

const char *DispositionText(DWORD disposition)
{
    static const char *const names[] = {"0", "CREATE_NEW", "CREATE_ALWAYS", "OPEN_EXISTING", "OPEN_ALWAYS",
                                        "TRUNCATE_EXISTING"};
    return disposition <= 5 ? names[disposition] : "?";
}

Open *FindHandle(HANDLE handle)
{
    auto it = fs.handles.find((UINT_PTR)handle);
    return it == fs.handles.end() ? nullptr : &it->second;
}

void ResetFiles()
{
    fs = FileSystem();
    AddNode(KeyOf("C:"), "C:", true);
}

void FileLeaks(std::vector<std::string> *out)
{
    for (const auto &entry : fs.handles)
        out->push_back("file handle " + Hex(entry.first) + " still open: " + Find(entry.second.key)->path);
}

bool registered = RegisterArea({"files", ResetFiles, FileLeaks});

}  // namespace

std::string PathKey(const std::string &path)
{
    std::string key, parent, display;
    return Locate(path, &key, &parent, &display) ? key : std::string();
}

void MakeDirs(const std::string &path)
{
    std::string drive;
    std::vector<std::string> parts;
    if (!SplitPath(path, &drive, &parts))
        return;
    for (size_t i = 0; i <= parts.size(); ++i) {
        std::string display = Join(drive, parts, i);
        if (Find(KeyOf(display)) == nullptr)
            AddNode(KeyOf(display), display, true);
    }
}

void LinkFolder(const std::string &link, const std::string &target)
{
    std::string drive;
    std::vector<std::string> parts;
    if (SplitPath(link, &drive, &parts))
        fs.links.push_back({KeyOf(Join(drive, parts, parts.size())), target});
}

void PutFile(const std::string &path, const std::string &bytes)
{
    std::string key, parent, display;
    if (!Locate(path, &key, &parent, &display))
        return;
    std::string drive;
    std::vector<std::string> parts;
    SplitPath(display, &drive, &parts);
    MakeDirs(Join(drive, parts, parts.size() - 1));
    Node *node = Find(key);
    if (node == nullptr)
        node = &AddNode(key, display, false);
    node->data = bytes;
}

bool GetFile(const std::string &path, std::string *bytes)
{
    Node *node = Find(PathKey(path));
    if (node == nullptr || node->dir)
        return false;
    *bytes = node->data;
    return true;
}

bool FileExists(const std::string &path)
{
    Node *node = Find(PathKey(path));
    return node != nullptr && !node->dir;
}

bool DirExists(const std::string &path)
{
    Node *node = Find(PathKey(path));
    return node != nullptr && node->dir;
}

std::vector<std::string> ListDir(const std::string &path)
{
    std::string key = PathKey(path);
    std::vector<std::pair<unsigned long long, std::string>> found;
    for (const auto &entry : fs.nodes)
        if (entry.second.parent == key && !key.empty())
            found.push_back({entry.second.order, entry.second.name});
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (const auto &item : found)
        names.push_back(item.second);
    return names;
}

void HoldFile(const std::string &path, DWORD shareMode, bool runningImage)
{
    Open hold;
    hold.key = PathKey(path);
    hold.access = GENERIC_READ;
    hold.share = shareMode;
    hold.runningImage = runningImage;
    fs.holds.push_back(hold);
}

void ReleaseFile(const std::string &path)
{
    std::string key = PathKey(path);
    for (size_t i = fs.holds.size(); i-- > 0;)
        if (fs.holds[i].key == key)
            fs.holds.erase(fs.holds.begin() + (long)i);
}

void DenyAccess(const std::string &path)
{
    Node *node = Find(PathKey(path));
    if (node != nullptr)
        node->denied = true;
}

void MakeReadOnly(const std::string &path)
{
    Node *node = Find(PathKey(path));
    if (node != nullptr)
        node->readOnly = true;
}

void FailWrites(const std::string &path)
{
    Node *node = Find(PathKey(path));
    if (node != nullptr)
        node->failWrites = true;
}

const std::vector<WriteCall> &Writes() { return fs.writes; }
const std::vector<PendingOperation> &PendingOperations() { return fs.pending; }

void Restart()
{
    fs.holds.clear();
    for (const PendingOperation &operation : fs.pending) {
        std::string key = PathKey(operation.source);
        Node *node = Find(key);
        if (node == nullptr || !operation.target.empty())
            continue;
        if (!node->dir || !HasChildren(key))
            fs.nodes.erase(key);
    }
    fs.pending.clear();
}

}  // namespace sim

using sim::fs;

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                          DWORD flags, HANDLE templateFile)
{
    sim::Record("CreateFileA", "%s, %s, 0x%X, %s, %s, 0x%X, %s", sim::Quote(name).c_str(),
                sim::AccessText(access).c_str(), share, security == nullptr ? "NULL" : "sa",
                sim::DispositionText(disposition), flags, templateFile == nullptr ? "NULL" : "template");
    std::string key, parentKey, display;
    if (!sim::LocateArgument(name, &key, &parentKey, &display))
        return INVALID_HANDLE_VALUE;
    sim::Node *parent = parentKey.empty() ? nullptr : sim::Find(parentKey);
    sim::Node *node = sim::Find(key);
    if (parent == nullptr || !parent->dir) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (node != nullptr && (node->dir || node->denied || (node->readOnly && (access & GENERIC_WRITE)))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    bool mustExist = disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING;
    if (node == nullptr && mustExist) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (node != nullptr && disposition == CREATE_NEW) {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
    }
    if (node == nullptr && parent->denied) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (node != nullptr &&
        sim::AnyOpen(key, [&](const sim::Open &other) { return sim::Conflicts(access, share, other); })) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    bool existed = node != nullptr;
    if (node == nullptr)
        node = &sim::AddNode(key, display, false);
    if (existed && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING))
        node->data.clear();
    sim::Open open;
    open.key = key;
    open.access = access;
    open.share = share;
    UINT_PTR id = fs.nextHandle;
    fs.nextHandle += 4;
    fs.handles[id] = open;
    SetLastError(existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                         : ERROR_SUCCESS);
    sim::RecordResult("%s", sim::Hex(id).c_str());
    return (HANDLE)id;
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped)
{
    sim::Record("ReadFile", "%s, buffer, %u, %s, %s", sim::Hex((UINT_PTR)file).c_str(), count,
                read == nullptr ? "NULL" : "&read", overlapped == nullptr ? "NULL" : "overlapped");
    sim::Open *open = sim::FindHandle(file);
    if (read != nullptr)
        *read = 0;
    if (open == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!(open->access & GENERIC_READ)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const std::string &data = sim::Find(open->key)->data;
    DWORD available = open->position < data.size() ? (DWORD)(data.size() - open->position) : 0;
    DWORD n = count < available ? count : available;
    if (n > 0)
        memcpy(buffer, data.data() + open->position, n);
    open->position += n;
    if (read != nullptr)
        *read = n;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID data, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    sim::Record("WriteFile", "%s, data, %u, %s, %s", sim::Hex((UINT_PTR)file).c_str(), count,
                written == nullptr ? "NULL" : "&written", overlapped == nullptr ? "NULL" : "overlapped");
    sim::Open *open = sim::FindHandle(file);
    if (written != nullptr)
        *written = 0;
    if (open == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    sim::Node *node = sim::Find(open->key);
    fs.writes.push_back({node->path, data, count});
    if (!(open->access & GENERIC_WRITE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (node->failWrites) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    if (node->data.size() < open->position + (size_t)count)
        node->data.resize(open->position + (size_t)count, '\0');
    if (count > 0)
        memcpy(&node->data[open->position], data, count);
    open->position += count;
    if (written != nullptr)
        *written = count;
    return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method)
{
    sim::Record("SetFilePointer", "%s, %d, %s, %u", sim::Hex((UINT_PTR)file).c_str(), distance,
                distanceHigh == nullptr ? "NULL" : "&high", method);
    sim::Open *open = sim::FindHandle(file);
    if (open == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    long long base = method == FILE_BEGIN ? 0
                     : method == FILE_CURRENT ? (long long)open->position
                                              : (long long)sim::Find(open->key)->data.size();
    long long target = base + distance;
    if (target < 0 || method > FILE_END) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    open->position = (DWORD)target;
    if (distanceHigh != nullptr)
        *distanceHigh = 0;
    SetLastError(ERROR_SUCCESS);
    return open->position;
}

BOOL WINAPI CloseHandle(HANDLE handle)
{
    sim::Record("CloseHandle", "%s", sim::Hex((UINT_PTR)handle).c_str());
    if (fs.handles.erase((UINT_PTR)handle) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR name)
{
    sim::Record("DeleteFileA", "%s", sim::Quote(name).c_str());
    std::string key, parentKey, display;
    if (!sim::LocateArgument(name, &key, &parentKey, &display))
        return FALSE;
    sim::Node *node = sim::Find(key);
    if (node == nullptr) {
        sim::Node *parent = parentKey.empty() ? nullptr : sim::Find(parentKey);
        SetLastError(parent != nullptr && parent->dir ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (node->dir || node->denied || node->readOnly ||
        sim::AnyOpen(key, [](const sim::Open &other) { return other.runningImage; })) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (sim::AnyOpen(key, [](const sim::Open &other) { return !(other.share & FILE_SHARE_DELETE); })) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    fs.nodes.erase(key);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES security)
{
    sim::Record("CreateDirectoryA", "%s, %s", sim::Quote(name).c_str(), security == nullptr ? "NULL" : "sa");
    std::string key, parentKey, display;
    if (!sim::LocateArgument(name, &key, &parentKey, &display))
        return FALSE;
    if (sim::Find(key) != nullptr) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    sim::Node *parent = parentKey.empty() ? nullptr : sim::Find(parentKey);
    if (parent == nullptr || !parent->dir) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (parent->denied) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    sim::AddNode(key, display, true);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR name)
{
    sim::Record("RemoveDirectoryA", "%s", sim::Quote(name).c_str());
    std::string key, parentKey, display;
    if (!sim::LocateArgument(name, &key, &parentKey, &display))
        return FALSE;
    sim::Node *node = sim::Find(key);
    if (node == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (!node->dir) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    if (node->denied || parentKey.empty()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (sim::HasChildren(key)) {
        SetLastError(ERROR_DIR_NOT_EMPTY);
        return FALSE;
    }
    fs.nodes.erase(key);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

// Only the deferred forms are modelled: a restart-time deletion or rename,
// which Windows accepts from an administrator only.
BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags)
{
    sim::Record("MoveFileExA", "%s, %s, 0x%X", sim::Quote(existing).c_str(), sim::Quote(newName).c_str(), flags);
    if (existing == nullptr || !(flags & MOVEFILE_DELAY_UNTIL_REBOOT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!sim::IsAdministrator()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    fs.pending.push_back({existing, newName != nullptr ? newName : ""});
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
