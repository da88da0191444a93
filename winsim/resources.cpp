// Resources of the running module and the kernel32 functions that find them.
#include "resources.h"

#include <list>

#include "codepage.h"

namespace sim {
namespace {

struct Resource {
    std::string type;  // folded: resource type names are compared case-insensitively
    WORD id;
    WORD language;
    std::string bytes;
};

// A list, so that every resource keeps its address while others are added.
std::list<Resource> resources;

void ResetResources() { resources.clear(); }

bool registered = RegisterArea({"resources", ResetResources, nullptr});

std::string NameText(LPCSTR name)
{
    if (name == nullptr)
        return "NULL";
    if (IS_INTRESOURCE(name))
        return "#" + std::to_string((unsigned)(UINT_PTR)name);
    return Quote(name);
}

Resource *Lookup(LPCSTR name, LPCSTR type)
{
    if (name == nullptr || type == nullptr || !IS_INTRESOURCE(name) || IS_INTRESOURCE(type))
        return nullptr;
    std::string folded = FoldCase(type);
    for (Resource &resource : resources)
        if (resource.type == folded && resource.id == (WORD)(UINT_PTR)name)
            return &resource;
    return nullptr;
}

}  // namespace

void AddResource(const std::string &type, WORD id, WORD language, const std::string &bytes)
{
    resources.push_back({FoldCase(type), id, language, bytes});
}

const void *ResourceData(const std::string &type, WORD id)
{
    Resource *resource = Lookup(MAKEINTRESOURCEA(id), type.c_str());
    return resource != nullptr ? resource->bytes.data() : nullptr;
}

}  // namespace sim

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type)
{
    sim::Record("FindResourceA", "%s, %s, %s", module == nullptr ? "NULL" : sim::Hex((UINT_PTR)module).c_str(),
                sim::NameText(name).c_str(), sim::NameText(type).c_str());
    sim::Resource *resource = module == sim::ModuleInstance() ? sim::Lookup(name, type) : nullptr;
    if (resource == nullptr) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    return (HRSRC)resource;
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC info)
{
    sim::Record("LoadResource", "%s", module == nullptr ? "NULL" : sim::Hex((UINT_PTR)module).c_str());
    return info != nullptr ? (HGLOBAL)info : nullptr;
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC info)
{
    sim::Record("SizeofResource", "%s", module == nullptr ? "NULL" : sim::Hex((UINT_PTR)module).c_str());
    return info != nullptr ? (DWORD)((sim::Resource *)info)->bytes.size() : 0;
}

LPVOID WINAPI LockResource(HGLOBAL data)
{
    sim::Record("LockResource", "");
    return data != nullptr ? (LPVOID)((sim::Resource *)data)->bytes.data() : nullptr;
}
