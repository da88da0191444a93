// The Windows-generation test and the registry wrappers: each wrapper makes
// exactly one system call with the documented arguments.
#include "log_registry.h"
#include "names.h"
#include "registry.h"
#include "sim_test.h"

namespace {

class GenerationRegistryTest : public SimTest {};

TEST_F(GenerationRegistryTest, PreVistaMeansMajorVersionBelowSix)
{
    struct Case {
        DWORD major, minor;
        BOOL preVista;
    };
    const Case cases[] = {{4, 0, TRUE}, {5, 0, TRUE}, {5, 1, TRUE}, {5, 2, TRUE},
                          {6, 0, FALSE}, {6, 1, FALSE}, {6, 3, FALSE}, {10, 0, FALSE}};
    for (const Case &c : cases) {
        sim::Reset();
        sim::SetWindowsVersion(c.major, c.minor);
        EXPECT_EQ(IsPreVistaWindows(), c.preVista) << c.major << "." << c.minor;
        EXPECT_EQ(sim::TraceOf({"GetVersionExA"}), std::vector<std::string>{"GetVersionExA(size=148)"});
    }
}

TEST_F(GenerationRegistryTest, UnreadableVersionCountsAsVistaOrLater)
{
    sim::SetWindowsVersion(5, 1);
    sim::FailVersionQuery(true);
    EXPECT_EQ(IsPreVistaWindows(), FALSE);
}

TEST_F(GenerationRegistryTest, OpenCreatesMissingKeysWithOneCall)
{
    HKEY key = OpenRegistryKey(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", KEY_ALL_ACCESS);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(sim::RegKeyExists(HKEY_CURRENT_USER, "software\\microsoft\\WINDOWS\\CurrentVersion\\Run"));
    CloseRegistryKey(key);

    HKEY machine = OpenMachineRegistryKey(VELODAR_UNINSTALL_KEY, KEY_ALL_ACCESS);
    ASSERT_NE(machine, nullptr);
    CloseRegistryKey(machine);
    CloseRegistryKey(NULL);

    EXPECT_EQ(sim::TraceOf(), (std::vector<std::string>{
                                  "RegCreateKeyExA(HKCU, \"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\", 0, "
                                  "NULL, 0, 0xF003F, NULL, &key, NULL)",
                                  "RegCloseKey(" + sim::Hex((UINT_PTR)key) + ")",
                                  "RegCreateKeyExA(HKLM, \"" VELODAR_UNINSTALL_KEY "\", 0, NULL, 0, 0xF003F, NULL, "
                                  "&key, NULL)",
                                  "RegCloseKey(" + sim::Hex((UINT_PTR)machine) + ")",
                              }));
}

TEST_F(GenerationRegistryTest, OpenWithoutAdministratorRightsGivesNull)
{
    sim::SetAdministrator(false);
    EXPECT_EQ(OpenMachineRegistryKey(VELODAR_UNINSTALL_KEY, KEY_ALL_ACCESS), nullptr);
    EXPECT_FALSE(sim::RegKeyExists(HKEY_LOCAL_MACHINE, VELODAR_UNINSTALL_KEY));
}

TEST_F(GenerationRegistryTest, SetStringStoresTheTerminator)
{
    struct Case {
        const char *name, *value;
        std::string stored;
    };
    const Case cases[] = {{"DisplayName", "Velodar Server", std::string("Velodar Server\0", 15)},
                          {"Empty", "", std::string("\0", 1)},
                          {"UninstallString", "C:\\ソフト表\\uninstall_Velodar.exe",
                           std::string("C:\\ソフト表\\uninstall_Velodar.exe") + '\0'}};
    HKEY key = OpenMachineRegistryKey(VELODAR_UNINSTALL_KEY, KEY_ALL_ACCESS);
    ASSERT_NE(key, nullptr);
    for (const Case &c : cases) {
        EXPECT_EQ(SetRegistryString(key, c.name, c.value), ERROR_SUCCESS);
        DWORD type = 0;
        std::string bytes;
        ASSERT_TRUE(sim::RegGetValue(HKEY_LOCAL_MACHINE, VELODAR_UNINSTALL_KEY, c.name, &type, &bytes));
        EXPECT_EQ(type, REG_SZ);
        EXPECT_EQ(bytes, c.stored);
    }
    CloseRegistryKey(key);
    EXPECT_EQ(sim::TraceOf({"RegSetValueExA"})[1],
              "RegSetValueExA(" + sim::Hex((UINT_PTR)key) + ", \"Empty\", 0, 1, \"\", 1)");
}

TEST_F(GenerationRegistryTest, DeletionsReturnTheSystemStatus)
{
    const char *run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    sim::RegPutString(HKEY_CURRENT_USER, run, "Velodar", "C:\\old\\Velodar.exe");
    sim::RegMakeKey(HKEY_CURRENT_USER, "Software\\Classes\\VirtualStore\\Machine\\Software\\Osterlund\\Velodar\\Sub");

    HKEY key = OpenRegistryKey(HKEY_CURRENT_USER, run, KEY_ALL_ACCESS);
    EXPECT_EQ(DeleteRegistryValue(key, "velodar"), ERROR_SUCCESS);
    EXPECT_EQ(DeleteRegistryValue(key, "Velodar"), ERROR_FILE_NOT_FOUND);
    CloseRegistryKey(key);

    const char *store = "Software\\Classes\\VirtualStore\\Machine\\Software\\Osterlund\\Velodar";
    EXPECT_EQ(DeleteRegistryKey(HKEY_CURRENT_USER, store), ERROR_ACCESS_DENIED);  // it still has a subkey
    EXPECT_TRUE(sim::RegKeyExists(HKEY_CURRENT_USER, store));
    EXPECT_EQ(DeleteRegistryKey(HKEY_CURRENT_USER, (std::string(store) + "\\Sub").c_str()), ERROR_SUCCESS);
    EXPECT_EQ(DeleteRegistryKey(HKEY_CURRENT_USER, store), ERROR_SUCCESS);
    EXPECT_FALSE(sim::RegKeyExists(HKEY_CURRENT_USER, store));
    EXPECT_EQ(DeleteRegistryKey(HKEY_LOCAL_MACHINE, VELODAR_UNINSTALL_KEY), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(sim::TraceOf({"RegDeleteKeyA"}).back(), "RegDeleteKeyA(HKLM, \"" VELODAR_UNINSTALL_KEY "\")");
}

}  // namespace
