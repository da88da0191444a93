// Payload extraction and the two file operations under it.
#include "files.h"
#include "names.h"
#include "payload.h"
#include "resource.h"
#include "resources.h"
#include "sim_test.h"

namespace {

class PayloadTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        g_instance = sim::ModuleInstance();
        movie_ = std::string("RIFF\x10\x0b\0\0AVI ", 12) + std::string(3060, '\0');
        sim::AddResource(PAYLOAD_TYPE_MOVIE, IDR_MOVIE_DATA, 1041, movie_);
        sim::AddResource(PAYLOAD_TYPE_APPLICATION, IDR_APP_EXE, 1041, "MZ new application");
        sim::MakeDirs("C:\\Program Files\\Velodar");
    }
    std::string movie_;
};

TEST_F(PayloadTest, WritesTheResourceStraightFromItsLockedBytes)
{
    ASSERT_TRUE(ExtractPayload(IDR_MOVIE_DATA, "MPEG", "C:\\Program Files\\Velodar\\", VELODAR_MOVIE_FILE));

    std::string written;
    ASSERT_TRUE(sim::GetFile("C:\\Program Files\\Velodar\\mov.dat", &written));
    EXPECT_EQ(written.size(), 3072u);
    EXPECT_EQ(written, movie_);
    ASSERT_EQ(sim::Writes().size(), 1u);
    EXPECT_EQ(sim::Writes()[0].data, sim::ResourceData("MPEG", IDR_MOVIE_DATA));  // no copy
    EXPECT_EQ(sim::Writes()[0].size, 3072u);
    EXPECT_EQ(sim::TraceOf({"FindResourceA", "CreateFileA", "SetFilePointer", "WriteFile", "CloseHandle"}),
              (std::vector<std::string>{
                  "FindResourceA(0x400000, #136, \"MPEG\")",
                  "CreateFileA(\"C:\\Program Files\\Velodar\\mov.dat\", GENERIC_WRITE, 0x0, NULL, CREATE_ALWAYS, "
                  "0x80, NULL)",
                  "SetFilePointer(0x100, 0, NULL, 0)",
                  "WriteFile(0x100, data, 3072, &written, NULL)",
                  "CloseHandle(0x100)",
              }));
}

TEST_F(PayloadTest, ReplacesALongerFileEntirely)
{
    sim::PutFile("C:\\Program Files\\Velodar\\Velodar.exe", std::string(100000, 'x'));
    ASSERT_TRUE(ExtractPayload(IDR_APP_EXE, "APPL", "C:\\Program Files\\Velodar\\", VELODAR_APP_FILE));
    std::string written;
    ASSERT_TRUE(sim::GetFile("C:\\Program Files\\Velodar\\Velodar.exe", &written));
    EXPECT_EQ(written, "MZ new application");
}

TEST_F(PayloadTest, RefusedWritesLeaveNoFileOrTheOldOne)
{
    struct Case {
        const char *name;
        WORD id;
        const char *folder;
        void (*prepare)();
        bool fileAfter;
        const char *contentAfter;
        bool createAttempted;
    };
    const Case cases[] = {
        {"held open without write sharing", IDR_APP_EXE, "C:\\Program Files\\Velodar\\",
         [] {
             sim::PutFile("C:\\Program Files\\Velodar\\Velodar.exe", "running");
             sim::HoldFile("C:\\Program Files\\Velodar\\Velodar.exe", FILE_SHARE_READ, true);
         },
         true, "running", true},
        {"resource missing", IDR_UNINSTALLER_EXE, "C:\\Program Files\\Velodar\\", [] {}, false, "", false},
        {"folder missing", IDR_APP_EXE, "C:\\Program Files\\Other\\", [] {}, false, "", true},
        {"path does not fit", IDR_APP_EXE, nullptr, [] {}, false, "", false},
        {"disk full", IDR_APP_EXE, "C:\\Program Files\\Velodar\\",
         [] {
             sim::PutFile("C:\\Program Files\\Velodar\\Velodar.exe", "old");
             sim::FailWrites("C:\\Program Files\\Velodar\\Velodar.exe");
         },
         true, "", true},
    };
    // A folder of 250 characters: with "Velodar.exe" the path needs 262 bytes.
    std::string longFolder = "C:\\" + std::string(246, 'd') + "\\";
    for (const Case &c : cases) {
        sim::Reset();
        g_instance = sim::ModuleInstance();
        sim::AddResource(PAYLOAD_TYPE_APPLICATION, IDR_APP_EXE, 1041, "MZ new application");
        sim::MakeDirs("C:\\Program Files\\Velodar");
        sim::MakeDirs(longFolder);
        c.prepare();
        const char *folder = c.folder != nullptr ? c.folder : longFolder.c_str();

        EXPECT_FALSE(ExtractPayload(c.id, "APPL", folder, VELODAR_APP_FILE)) << c.name;
        std::string path = std::string(folder) + VELODAR_APP_FILE;
        std::string content;
        EXPECT_EQ(sim::GetFile(path, &content), c.fileAfter) << c.name;
        EXPECT_EQ(content, c.contentAfter) << c.name;
        EXPECT_EQ(sim::FindCall("CreateFileA") >= 0, c.createAttempted) << c.name;
        EXPECT_TRUE(sim::Leaks().empty()) << c.name;
    }
}

TEST_F(PayloadTest, ReadsAtMostTheCapacityWithOneCall)
{
    struct Case {
        std::string content;
        DWORD capacity;
        int expected;
    };
    const Case cases[] = {{"", 5120, 0}, {"short", 5120, 5}, {std::string(5120, 't'), 5120, 5120},
                          {std::string(6000, 'u'), 5120, 5120}};
    for (const Case &c : cases) {
        sim::Reset();
        sim::PutFile("C:\\dl\\licence.txt", c.content);
        std::string buffer(6000, '#');
        EXPECT_EQ(ReadFileToBuffer("C:\\dl\\licence.txt", &buffer[0], c.capacity), c.expected);
        EXPECT_EQ(buffer.substr(0, (size_t)c.expected), c.content.substr(0, (size_t)c.expected));
        EXPECT_EQ(buffer[(size_t)c.expected], '#');  // not terminated, nothing past the count
        EXPECT_EQ(sim::TraceOf({"CreateFileA", "SetFilePointer", "ReadFile"}),
                  (std::vector<std::string>{
                      "CreateFileA(\"C:\\dl\\licence.txt\", GENERIC_READ, 0x1, NULL, OPEN_EXISTING, 0x80, NULL)",
                      "SetFilePointer(0x100, 0, NULL, 2)",
                      "SetFilePointer(0x100, 0, NULL, 0)",
                      "ReadFile(0x100, buffer, " + std::to_string(c.expected) + ", &read, NULL)",
                  }));
    }
    sim::Reset();
    char buffer[8];
    EXPECT_EQ(ReadFileToBuffer("C:\\dl\\missing.txt", buffer, sizeof(buffer)), 0);
}

}  // namespace
