#include "product_machine.h"

#include "accounts.h"
#include "com_shell.h"
#include "files.h"
#include "machine.h"
#include "payload.h"
#include "resource.h"
#include "resources.h"

namespace simtest {

const std::string kApplicationBytes = "MZ application of the payload";
const std::string kUninstallerBytes = "MZ uninstaller of the payload";
const std::string kTermsBytes = "第1条\r\n本規約は…";
const std::string kMovieBytes = std::string("RIFF\x10\x0b\0\0AVI ", 12) + std::string(3060, '\0');

void PrepareWindows(DWORD major, DWORD minor)
{
    sim::Reset();
    sim::SetWindowsVersion(major, minor);
    const int folders[] = {CSIDL_PROGRAM_FILES, CSIDL_WINDOWS, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY};
    for (int csidl : folders)
        sim::MakeDirs(sim::SpecialFolder(csidl));
    sim::MakeDirs("C:\\Users\\user\\Downloads");
    sim::MakeProfile("user");
    sim::MakeProfile("guest");
    sim::MakeProfile(major < 6 ? "Default User" : "Default");
    sim::AddAccount("user");
    sim::AddAccount("guest");
}

void AddInstallerPayload()
{
    sim::AddResource(PAYLOAD_TYPE_APPLICATION, IDR_APP_EXE, 1041, kApplicationBytes);
    sim::AddResource(PAYLOAD_TYPE_APPLICATION, IDR_UNINSTALLER_EXE, 1041, kUninstallerBytes);
    sim::AddResource(PAYLOAD_TYPE_TEXT, IDR_TERMS_TEXT, 1041, kTermsBytes);
    sim::AddResource(PAYLOAD_TYPE_MOVIE, IDR_MOVIE_DATA, 1041, kMovieBytes);
}

std::string Folder(int csidl) { return sim::SpecialFolder(csidl); }

}  // namespace simtest
