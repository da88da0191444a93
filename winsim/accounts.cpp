// The simulated local accounts (NetUserEnum, NetApiBufferFree as the system's
// netapi32 exports them) and the profile folders.
#include "accounts.h"

#include <string.h>

#include <map>
#include <type_traits>

#include "files.h"
#include "codepage.h"

namespace sim {
namespace {

struct Buffer {
    int number;  // 1 for the first buffer handed out, for readable traces
    std::vector<char16_t> storage;
};

struct Accounts {
    std::vector<std::u16string> names;
    DWORD batchSize = 0;
    NET_API_STATUS refusal = NERR_Success;
    int refusedCall = 0;
    bool refusalBuffer = false;
    int calls = 0;
    int nextBuffer = 1;
    std::map<void *, Buffer *> buffers;  // handed out, not yet freed
    std::vector<std::string> problems;
};

Accounts g;

std::string StatusText(NET_API_STATUS status)
{
    switch (status) {
    case NERR_Success:
        return "NERR_Success";
    case ERROR_MORE_DATA:
        return "ERROR_MORE_DATA";
    case ERROR_ACCESS_DENIED:
        return "ERROR_ACCESS_DENIED";
    case ERROR_INVALID_LEVEL:
        return "ERROR_INVALID_LEVEL";
    default:
        return std::to_string(status);
    }
}

std::string FilterText(DWORD filter)
{
    return filter == FILTER_NORMAL_ACCOUNT ? "FILTER_NORMAL_ACCOUNT" : Hex(filter);
}

// One block as netapi32 hands it out: the USER_INFO_0 entries, then their names.
void *HandOut(size_t first, size_t count)
{
    Buffer *buffer = new Buffer();
    buffer->number = g.nextBuffer++;
    size_t entryUnits = (count * sizeof(USER_INFO_0) + sizeof(char16_t) - 1) / sizeof(char16_t) + 1;
    size_t total = entryUnits;
    for (size_t i = 0; i < count; ++i)
        total += g.names[first + i].size() + 1;
    // Storage of pointer-aligned units, so that the entries at its start are aligned.
    buffer->storage.assign(total + sizeof(void *), 0);
    char *base = reinterpret_cast<char *>(buffer->storage.data());
    base += (sizeof(void *) - (reinterpret_cast<uintptr_t>(base) % sizeof(void *))) % sizeof(void *);
    USER_INFO_0 *entries = reinterpret_cast<USER_INFO_0 *>(base);
    char16_t *text = reinterpret_cast<char16_t *>(base) + entryUnits;
    for (size_t i = 0; i < count; ++i) {
        const std::u16string &name = g.names[first + i];
        memcpy(text, name.c_str(), (name.size() + 1) * sizeof(char16_t));
        entries[i].usri0_name = text;
        text += name.size() + 1;
    }
    g.buffers[base] = buffer;
    return base;
}

NET_API_STATUS WINAPI SimNetUserEnum(LPCWSTR server, DWORD level, DWORD filter, LPBYTE *bufptr, DWORD preferred,
                                     LPDWORD read, LPDWORD total, PDWORD resume)
{
    Record("NetUserEnum", "%s, %u, %s, &buffer, %s, &read, &total, resume=%s",
           server == nullptr ? "NULL" : ("L" + Quote(ToAnsi(server).c_str())).c_str(), level,
           FilterText(filter).c_str(),
           preferred == MAX_PREFERRED_LENGTH ? "MAX_PREFERRED_LENGTH" : std::to_string(preferred).c_str(),
           resume == nullptr ? "NULL" : std::to_string(*resume).c_str());
    ++g.calls;
    if (bufptr == nullptr || read == nullptr || total == nullptr)
        return ERROR_INVALID_PARAMETER;
    *bufptr = nullptr;
    *read = 0;
    *total = 0;
    NET_API_STATUS status = NERR_Success;
    if (server != nullptr) {
        status = NERR_InvalidComputer;
    } else if (level != 0) {
        status = ERROR_INVALID_LEVEL;
    } else if (g.refusedCall != 0 && g.calls >= g.refusedCall) {
        status = g.refusal;
        if (g.refusalBuffer)
            *bufptr = static_cast<LPBYTE>(HandOut(0, 0));
    }
    if (status != NERR_Success) {
        RecordResult("%s", StatusText(status).c_str());
        return status;
    }
    size_t first = resume != nullptr ? *resume : 0;
    if (first > g.names.size())
        first = g.names.size();
    size_t count = g.names.size() - first;
    if (g.batchSize != 0 && count > g.batchSize)
        count = g.batchSize;
    *bufptr = static_cast<LPBYTE>(HandOut(first, count));
    *read = (DWORD)count;
    *total = (DWORD)g.names.size();
    bool more = first + count < g.names.size();
    if (resume != nullptr)
        *resume = more ? (DWORD)(first + count) : 0;
    status = more ? (NET_API_STATUS)ERROR_MORE_DATA : NERR_Success;
    RecordResult("%s, buffer %d, read=%zu", StatusText(status).c_str(), g.buffers[*bufptr]->number, count);
    return status;
}

NET_API_STATUS WINAPI SimNetApiBufferFree(LPVOID block)
{
    auto it = g.buffers.find(block);
    Record("NetApiBufferFree", "%s",
           block == nullptr ? "NULL" : it != g.buffers.end() ? ("buffer " + std::to_string(it->second->number)).c_str()
                                                             : "?");
    if (block == nullptr)
        return NERR_Success;
    if (it == g.buffers.end()) {
        g.problems.push_back("NetApiBufferFree of a block netapi32 did not hand out");
        return ERROR_INVALID_PARAMETER;
    }
    delete it->second;
    g.buffers.erase(it);
    return NERR_Success;
}

// The simulated functions have exactly the types the product resolves.
static_assert(std::is_same<decltype(&SimNetUserEnum), WINSIM_NETUSERENUM>::value, "NetUserEnum type");
static_assert(std::is_same<decltype(&SimNetApiBufferFree), WINSIM_NETAPIBUFFERFREE>::value, "NetApiBufferFree type");

void ResetAccounts()
{
    for (auto &entry : g.buffers)
        delete entry.second;
    g = Accounts();
}

void AccountLeaks(std::vector<std::string> *out)
{
    for (const auto &entry : g.buffers)
        out->push_back("NetUserEnum buffer " + std::to_string(entry.second->number) + " not freed");
    for (const std::string &problem : g.problems)
        out->push_back(problem);
}

bool registered = RegisterArea({"accounts", ResetAccounts, AccountLeaks});

}  // namespace

void AddAccount(const std::string &ansiName) { g.names.push_back(ToWide(ansiName)); }
void AddWideAccount(const std::u16string &name) { g.names.push_back(name); }
void SetAccountBatchSize(DWORD entries) { g.batchSize = entries; }

void RefuseAccountEnumeration(NET_API_STATUS status, int call, bool withBuffer)
{
    g.refusal = status;
    g.refusedCall = call;
    g.refusalBuffer = withBuffer;
}

std::string ProfilesRoot() { return WindowsMajor() < 6 ? "C:\\Documents and Settings" : "C:\\Users"; }

std::string SendToFolder(const std::string &profile)
{
    std::string folder = ProfilesRoot() + "\\" + profile;
    return WindowsMajor() < 6 ? folder + "\\SendTo" : folder + "\\AppData\\Roaming\\Microsoft\\Windows\\SendTo";
}

std::string MakeProfile(const std::string &profile)
{
    std::string sendTo = SendToFolder(profile);
    MakeDirs(sendTo);
    if (WindowsMajor() >= 6)
        LinkFolder(ProfilesRoot() + "\\" + profile + "\\SendTo", sendTo);
    return sendTo;
}

FARPROC NetApiExport(const char *name)
{
    // Cast through void (*)(void), the type GCC accepts for any function.
    if (strcmp(name, "NetUserEnum") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(&SimNetUserEnum));
    if (strcmp(name, "NetApiBufferFree") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(&SimNetApiBufferFree));
    return nullptr;
}

}  // namespace sim
