// The setup log: silent while off, its line formats, and the echo to standard output.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "log_registry.h"
#include "sim_test.h"

namespace {

std::string ReadRealFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class SetupLogTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        char folder[] = "/tmp/setuplogXXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
        path_ = folder_ + "/setup.log";
    }
    void TearDown() override
    {
        SimTest::TearDown();
        unlink(path_.c_str());
        rmdir(folder_.c_str());
    }
    // Starts the log on path_ and returns what the LogStart line must read.
    std::string StartOnPath()
    {
        StartSetupLog(path_.c_str());
        char expected[512];
        snprintf(expected, sizeof(expected), "LogStart: %X, %s\n", (unsigned)(UINT_PTR)g_setupLog, path_.c_str());
        return expected;
    }
    std::string folder_;
    std::string path_;
};

TEST_F(SetupLogTest, OffLogWritesNothingAnywhere)
{
    const char *const starts[] = {nullptr, "/nonexistent-folder/setup.log"};
    for (const char *start : starts) {
        testing::internal::CaptureStdout();
        StartSetupLog(start);
        WriteSetupLog("DeleteFile: %s,%d,%d\t", "C:\\x", 0, 2);
        WriteSetupLogTimestamp();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << (start ? start : "NULL");
        EXPECT_EQ(g_setupLog, nullptr);
    }
    EXPECT_EQ(access("/nonexistent-folder/setup.log", F_OK), -1);
}

TEST_F(SetupLogTest, StartEmptiesTheFileAndWritesLogStart)
{
    FILE *old = fopen(path_.c_str(), "w");
    fputs("an older, much longer log that must not survive\n", old);
    fclose(old);

    testing::internal::CaptureStdout();
    std::string expected = StartOnPath();
    std::string echoed = testing::internal::GetCapturedStdout();

    EXPECT_EQ(ReadRealFile(path_), expected);
    EXPECT_EQ(echoed, expected);
}

TEST_F(SetupLogTest, PercentSignsInArgumentsArePrintedUnchanged)
{
    std::string start = StartOnPath();
    testing::internal::CaptureStdout();
    WriteSetupLog("SendToShortcuts %s\n", "C:\\100%d %s %n\\SendTo\\x.lnk");
    std::string echoed = testing::internal::GetCapturedStdout();

    EXPECT_EQ(echoed, "SendToShortcuts C:\\100%d %s %n\\SendTo\\x.lnk\n");
    EXPECT_EQ(ReadRealFile(path_), start + echoed);
}

TEST_F(SetupLogTest, DeleteRecordAndTimestampFormOneLine)
{
    std::string start = StartOnPath();
    SYSTEMTIME tuesday = {2010, 3, 2, 2, 9, 5, 7, 42};
    sim::SetLocalTime(tuesday);
    WriteSetupLog("DeleteFile: %s,%d,%d\t", "C:\\Program Files\\Velodar\\mov.dat", 0, 2);
    WriteSetupLogTimestamp();

    EXPECT_EQ(ReadRealFile(path_), start + "DeleteFile: C:\\Program Files\\Velodar\\mov.dat,0,2\t2010/03/02(TSU) 09:05:07.42\n");
}

TEST_F(SetupLogTest, TimestampDayNamesAndUnpaddedMilliseconds)
{
    struct Case {
        WORD dayOfWeek;
        WORD milliseconds;
        const char *line;
    };
    const Case cases[] = {
        {0, 5, "2026/12/06(SUN) 23:59:01.5\n"},   {1, 0, "2026/12/06(MON) 23:59:01.0\n"},
        {2, 999, "2026/12/06(TSU) 23:59:01.999\n"}, {3, 40, "2026/12/06(WED) 23:59:01.40\n"},
        {4, 7, "2026/12/06(THR) 23:59:01.7\n"},   {5, 100, "2026/12/06(FRI) 23:59:01.100\n"},
        {6, 9, "2026/12/06(SAT) 23:59:01.9\n"},
    };
    StartSetupLog(path_.c_str());
    for (const Case &c : cases) {
        SYSTEMTIME time = {2026, 12, c.dayOfWeek, 6, 23, 59, 1, c.milliseconds};
        sim::SetLocalTime(time);
        testing::internal::CaptureStdout();
        WriteSetupLogTimestamp();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.line);
    }
}

TEST_F(SetupLogTest, OverlongLineIsCutToWholeCharacters)
{
    std::string start = StartOnPath();
    // 4094 ASCII bytes and then "表" (0x95 0x5C): its trail byte would be the
    // 4096th byte, so the whole character goes.
    std::string ascii(4094, 'a');
    std::string withKanji = ascii + "表" + "tail";
    testing::internal::CaptureStdout();
    WriteSetupLog("%s", withKanji.c_str());
    WriteSetupLog("%s", (ascii + "bcdef").c_str());
    std::string echoed = testing::internal::GetCapturedStdout();

    EXPECT_EQ(echoed, ascii + ascii + "b");
    EXPECT_EQ(ReadRealFile(path_), start + echoed);
}

}  // namespace
