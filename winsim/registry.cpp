// The simulated registry and the advapi32 registry functions over it.
#include "registry.h"

#include <string.h>

#include <algorithm>
#include <map>

#include "codepage.h"

namespace sim {
namespace {

struct Value {
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
    unsigned long long order = 0;
};

struct Key {
    std::string path;  // as created, e.g. "HKLM\SOFTWARE\Velodar"
    std::map<std::string, Value> values;  // by folded name
};

struct OpenKey {
    std::string key;  // folded full path
    REGSAM access = 0;
};

struct Registry {
    std::map<std::string, Key> keys;  // by folded full path
    std::map<UINT_PTR, OpenKey> handles;
    UINT_PTR nextHandle = 0x1000;
    unsigned long long nextOrder = 0;
};

Registry reg;

const char *RootName(HKEY root)
{
    if (root == HKEY_LOCAL_MACHINE)
        return "HKLM";
    if (root == HKEY_CURRENT_USER)
        return "HKCU";
    return nullptr;
}

// Key paths are split at backslashes between whole characters.
std::vector<std::string> SplitKey(const std::string &path)
{
    std::vector<std::string> parts;
    std::string current;
    const char *p = path.c_str();
    while (*p != '\0') {
        const char *next = CharNextA(p);
        if (next == p + 1 && *p == '\\') {
            if (!current.empty())
                parts.push_back(current);
            current.clear();
        } else {
            current.append(p, next);
        }
        p = next;
    }
    if (!current.empty())
        parts.push_back(current);
    return parts;
}

// The full path (as given) of a subkey below a root or open key; false when the
// base is neither.
bool Resolve(HKEY base, const char *subKey, std::string *full)
{
    const char *root = RootName(base);
    if (root != nullptr) {
        *full = root;
    } else {
        auto it = reg.handles.find((UINT_PTR)base);
        if (it == reg.handles.end())
            return false;
        *full = reg.keys[it->second.key].path;
    }
    if (subKey != nullptr)
        for (const std::string &part : SplitKey(subKey))
            *full += "\\" + part;
    return true;
}

bool UnderMachine(const std::string &full) { return full.compare(0, 4, "HKLM") == 0; }

Key *FindKey(const std::string &full)
{
    auto it = reg.keys.find(FoldCase(full));
    return it == reg.keys.end() ? nullptr : &it->second;
}

Key &CreateKeyPath(const std::string &full)
{
    std::vector<std::string> parts = SplitKey(full);
    std::string path;
    Key *key = nullptr;
    for (const std::string &part : parts) {
        path += path.empty() ? part : "\\" + part;
        Key &entry = reg.keys[FoldCase(path)];
        if (entry.path.empty())
            entry.path = path;
        key = &entry;
    }
    return *key;
}

bool HasSubkeys(const std::string &folded)
{
    std::string prefix = folded + "\\";
    auto it = reg.keys.lower_bound(prefix);
    return it != reg.keys.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

OpenKey *FindOpen(HKEY key)
{
    auto it = reg.handles.find((UINT_PTR)key);
    return it == reg.handles.end() ? nullptr : &it->second;
}

// The key behind a handle opened for setting values, or why it cannot be changed.
LONG KeyToChange(HKEY key, Key **out)
{
    OpenKey *open = FindOpen(key);
    if (open == nullptr)
        return ERROR_INVALID_HANDLE;
    if (!(open->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    auto it = reg.keys.find(open->key);
    if (it == reg.keys.end())
        return ERROR_KEY_DELETED;
    *out = &it->second;
    return ERROR_SUCCESS;
}

std::string KeyText(HKEY key)
{
    const char *root = RootName(key);
    if (root != nullptr)
        return root;
    return Hex((UINT_PTR)key);
}

void ResetRegistry()
{
    reg = Registry();
    CreateKeyPath("HKLM");
    CreateKeyPath("HKCU");
}

void RegistryLeaks(std::vector<std::string> *out)
{
    for (const auto &entry : reg.handles)
    {
        auto key = reg.keys.find(entry.second.key);
        out->push_back("registry key " + Hex(entry.first) +
                       " still open: " + (key != reg.keys.end() ? key->second.path : entry.second.key));
    }
}

bool registered = RegisterArea({"registry", ResetRegistry, RegistryLeaks});

void StoreValue(Key &key, const std::string &name, DWORD type, const std::string &data)
{
    Value &value = key.values[FoldCase(name)];
    if (value.name.empty() && value.order == 0)
        value.order = ++reg.nextOrder;
    value.name = name;
    value.type = type;
    value.data = data;
}

}  // namespace

void RegMakeKey(HKEY root, const std::string &path)
{
    std::string full;
    if (Resolve(root, path.c_str(), &full))
        CreateKeyPath(full);
}

bool RegKeyExists(HKEY root, const std::string &path)
{
    std::string full;
    return Resolve(root, path.c_str(), &full) && FindKey(full) != nullptr;
}

void RegPutString(HKEY root, const std::string &path, const std::string &name, const std::string &value)
{
    std::string full;
    if (Resolve(root, path.c_str(), &full))
        StoreValue(CreateKeyPath(full), name, REG_SZ, std::string(value.c_str(), value.size() + 1));
}

bool RegGetValue(HKEY root, const std::string &path, const std::string &name, DWORD *type, std::string *bytes)
{
    std::string full;
    if (!Resolve(root, path.c_str(), &full))
        return false;
    Key *key = FindKey(full);
    if (key == nullptr)
        return false;
    auto it = key->values.find(FoldCase(name));
    if (it == key->values.end())
        return false;
    if (type != nullptr)
        *type = it->second.type;
    if (bytes != nullptr)
        *bytes = it->second.data;
    return true;
}

std::vector<std::string> RegValueNames(HKEY root, const std::string &path)
{
    std::vector<std::string> names;
    std::string full;
    Key *key = Resolve(root, path.c_str(), &full) ? FindKey(full) : nullptr;
    if (key == nullptr)
        return names;
    std::vector<const Value *> values;
    for (const auto &entry : key->values)
        values.push_back(&entry.second);
    std::sort(values.begin(), values.end(), [](const Value *a, const Value *b) { return a->order < b->order; });
    for (const Value *value : values)
        names.push_back(value->name);
    return names;
}

}  // namespace sim

using sim::reg;

LONG WINAPI RegCreateKeyExA(HKEY base, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
                            LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition)
{
    sim::Record("RegCreateKeyExA", "%s, %s, %u, %s, %u, 0x%X, %s, %s, %s", sim::KeyText(base).c_str(),
                sim::Quote(subKey).c_str(), reserved, sim::Quote(keyClass).c_str(), options, access,
                security == nullptr ? "NULL" : "sa", result == nullptr ? "NULL" : "&key",
                disposition == nullptr ? "NULL" : "&disposition");
    std::string full;
    if (result == nullptr || subKey == nullptr || reserved != 0) {
        sim::RecordResult("%d", (int)ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }
    if (!sim::Resolve(base, subKey, &full)) {
        sim::RecordResult("%d", (int)ERROR_INVALID_HANDLE);
        return ERROR_INVALID_HANDLE;
    }
    if (sim::UnderMachine(full) && !sim::IsAdministrator() && (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY))) {
        sim::RecordResult("%d", (int)ERROR_ACCESS_DENIED);
        return ERROR_ACCESS_DENIED;
    }
    bool existed = sim::FindKey(full) != nullptr;
    sim::CreateKeyPath(full);
    UINT_PTR id = reg.nextHandle;
    reg.nextHandle += 4;
    reg.handles[id] = {sim::FoldCase(full), access};
    *result = (HKEY)id;
    if (disposition != nullptr)
        *disposition = existed ? 2 : 1;  // REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY
    sim::RecordResult("0 %s", sim::Hex(id).c_str());
    return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size)
{
    sim::Record("RegSetValueExA", "%s, %s, %u, %u, %s, %u", sim::KeyText(key).c_str(), sim::Quote(name).c_str(),
                reserved, type, type == REG_SZ && data != nullptr ? sim::Quote((const char *)data).c_str() : "data",
                size);
    sim::Key *target = nullptr;
    LONG status = sim::KeyToChange(key, &target);
    if (status != ERROR_SUCCESS)
        return status;
    sim::StoreValue(*target, name != nullptr ? name : "", type,
                    data != nullptr ? std::string((const char *)data, size) : std::string());
    return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR name)
{
    sim::Record("RegDeleteValueA", "%s, %s", sim::KeyText(key).c_str(), sim::Quote(name).c_str());
    sim::Key *target = nullptr;
    LONG status = sim::KeyToChange(key, &target);
    if (status != ERROR_SUCCESS)
        return status;
    if (target->values.erase(sim::FoldCase(name != nullptr ? name : "")) == 0)
        return ERROR_FILE_NOT_FOUND;
    return ERROR_SUCCESS;
}

// Like RegDeleteKey on Windows: a key that still has subkeys is refused with
// ERROR_ACCESS_DENIED.
LONG WINAPI RegDeleteKeyA(HKEY base, LPCSTR subKey)
{
    sim::Record("RegDeleteKeyA", "%s, %s", sim::KeyText(base).c_str(), sim::Quote(subKey).c_str());
    std::string full;
    if (subKey == nullptr || !sim::Resolve(base, subKey, &full))
        return ERROR_INVALID_HANDLE;
    std::string folded = sim::FoldCase(full);
    if (sim::FindKey(full) == nullptr)
        return ERROR_FILE_NOT_FOUND;
    if (sim::SplitKey(full).size() < 2 || sim::HasSubkeys(folded) || (sim::UnderMachine(full) && !sim::IsAdministrator()))
        return ERROR_ACCESS_DENIED;
    reg.keys.erase(folded);
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key)
{
    sim::Record("RegCloseKey", "%s", sim::KeyText(key).c_str());
    if (sim::RootName(key) != nullptr)
        return ERROR_SUCCESS;
    if (reg.handles.erase((UINT_PTR)key) == 0)
        return ERROR_INVALID_HANDLE;
    return ERROR_SUCCESS;
}
