// The simulated machine's own sharp edges that product tests rely on.
#include <string.h>

#include "files.h"
#include "sim_test.h"
#include "codepage.h"

namespace {

class MachineTest : public SimTest {};

TEST_F(MachineTest, NamesFoldAsciiOnlyOutsideDoubleByteCharacters)
{
    // ア is 0x83 0x41 and ヂ is 0x83 0x61: a byte-wise fold would make them one name.
    EXPECT_EQ(std::string("ア"), "\x83\x41");
    EXPECT_EQ(std::string("ヂ"), "\x83\x61");
    EXPECT_NE(sim::FoldCase("C:\\ア"), sim::FoldCase("C:\\ヂ"));
    EXPECT_EQ(sim::FoldCase("c:\\program files\\velodar"), sim::FoldCase("C:\\Program Files\\Velodar"));

    sim::PutFile("C:\\ア.txt", "a");
    sim::PutFile("C:\\ヂ.txt", "di");
    std::string bytes;
    ASSERT_TRUE(sim::GetFile("c:\\ア.TXT", &bytes));
    EXPECT_EQ(bytes, "a");
    ASSERT_TRUE(sim::GetFile("C:\\ヂ.txt", &bytes));
    EXPECT_EQ(bytes, "di");
}

TEST_F(MachineTest, PathsSplitAtWholeCharacters)
{
    // 表 and ソ end in 0x5C, the byte of a backslash.
    sim::PutFile("C:\\ソフト表\\licence.txt", "terms");
    EXPECT_TRUE(sim::DirExists("C:\\ソフト表"));
    EXPECT_EQ(sim::ListDir("C:\\ソフト表"), std::vector<std::string>{"licence.txt"});
    EXPECT_EQ(sim::ListDir("C:\\"), std::vector<std::string>{"ソフト表"});

    const char *path = "C:\\表\\ソ";
    const char *end = path + strlen(path);
    EXPECT_EQ(CharPrevA(path, end), end - 2);
    EXPECT_EQ(CharPrevA(path, end - 2), end - 3);  // the backslash, not the trail byte of 表
    EXPECT_EQ(CharNextA(path + 3), path + 5);
}

TEST_F(MachineTest, AnsiToWideUsesCodePage932)
{
    WCHAR wide[8];
    int n = MultiByteToWideChar(CP_ACP, 0, "iアプリへ", -1, wide, 8);
    ASSERT_EQ(n, 6);
    EXPECT_EQ(std::u16string(wide, 5), u"iアプリへ");
    EXPECT_EQ(wide[5], 0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "iアプリへ", -1, wide, 5), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
}

TEST_F(MachineTest, SharingAndAccessAsWindowsDecidesThem)
{
    sim::PutFile("C:\\app\\Velodar.exe", "old");
    sim::HoldFile("C:\\app\\Velodar.exe", FILE_SHARE_READ, true);
    HANDLE write = CreateFileA("C:\\app\\Velodar.exe", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    EXPECT_EQ(write, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(DeleteFileA("C:\\app\\Velodar.exe"));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    HANDLE read = CreateFileA("C:\\app\\Velodar.exe", GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(read, INVALID_HANDLE_VALUE);
    CloseHandle(read);
    std::string bytes;
    ASSERT_TRUE(sim::GetFile("C:\\app\\Velodar.exe", &bytes));
    EXPECT_EQ(bytes, "old");

    EXPECT_EQ(CreateFileA("C:\\missing\\x", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(RemoveDirectoryA("C:\\app\\"));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DIR_NOT_EMPTY);
}

TEST_F(MachineTest, LeakCheckNamesWhatWasLeftOpen)
{
    sim::MakeDirs("C:\\tmp");
    HANDLE file = CreateFileA("C:\\tmp\\a.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    HKEY key = NULL;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\x", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL), 0);

    std::vector<std::string> leaks = sim::Leaks();
    ASSERT_EQ(leaks.size(), 2u);
    EXPECT_NE(leaks[0].find("C:\\tmp\\a.txt"), std::string::npos);
    EXPECT_NE(leaks[1].find("HKCU\\Software\\x"), std::string::npos);

    CloseHandle(file);
    RegCloseKey(key);
    EXPECT_TRUE(sim::Leaks().empty());
}

TEST_F(MachineTest, ModulePathThatDoesNotFitIsCutAsEachGenerationCutsIt)
{
    sim::SetModulePath("C:\\abcdefgh.exe");
    char buffer[8];
    memset(buffer, 'x', sizeof(buffer));
    sim::SetWindowsVersion(5, 1);
    EXPECT_EQ(GetModuleFileNameA(NULL, buffer, 8), 8u);
    EXPECT_EQ(std::string(buffer, 8), "C:\\abcde");  // no terminator before Vista
    sim::SetWindowsVersion(6, 1);
    EXPECT_EQ(GetModuleFileNameA(NULL, buffer, 8), 8u);
    EXPECT_STREQ(buffer, "C:\\abcd");
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
}

TEST_F(MachineTest, SleepAdvancesTheVirtualClock)
{
    Sleep(500);
    Sleep(1500);
    EXPECT_EQ(sim::Now(), 2000u);
    EXPECT_EQ(sim::Trace()[1].time, 500u);
}

}  // namespace
