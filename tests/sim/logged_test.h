// A simulation fixture with the setup log on: the log goes to a temporary file
// that the test reads back line by line.
#ifndef TESTS_SIM_LOGGED_TEST_H
#define TESTS_SIM_LOGGED_TEST_H

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "log_registry.h"
#include "sim_test.h"

class LoggedTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        char folder[] = "/tmp/simlogXXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
        path_ = folder_ + "/setup.log";
        StartLog();
    }
    void TearDown() override
    {
        SimTest::TearDown();
        unlink(path_.c_str());
        rmdir(folder_.c_str());
    }
    // (Re)starts the log on the temporary file, empty.
    void StartLog()
    {
        simtest::ResetProductState();
        testing::internal::CaptureStdout();  // the log's echo
        StartSetupLog(path_.c_str());
        testing::internal::GetCapturedStdout();
    }
    // Starts a case of a table on a fresh machine of the given Windows
    // version, with the log on again.
    void Fresh(DWORD major, DWORD minor)
    {
        sim::Reset();
        StartLog();
        sim::SetWindowsVersion(major, minor);
    }
    // Ends a case of a table: nothing may be left open.
    void CheckReleased(const std::string &what)
    {
        std::vector<std::string> leaks = sim::Leaks();
        EXPECT_TRUE(leaks.empty()) << what << " left open:\n" << simtest::JoinLines(leaks);
    }
    // The lines written since the log was started, LogStart line left out.
    std::vector<std::string> LogLines()
    {
        std::ifstream in(path_, std::ios::binary);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(in, line))
            lines.push_back(line);
        if (!lines.empty())
            lines.erase(lines.begin());
        return lines;
    }
    std::string folder_;
    std::string path_;
};

#endif
