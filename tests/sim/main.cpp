// Test runner of the simulation tests. Besides the fixture's own check, a
// listener checks the machine after every test, so that a test written without
// the fixture cannot leak unnoticed: the run then fails.
#include <stdio.h>

#include <string.h>

#include "install.h"
#include "installer.h"
#include "log_registry.h"
#include "payload.h"
#include "sim_test.h"

namespace simtest {

void ResetProductState()
{
    if (g_setupLog != NULL)
        fclose(g_setupLog);
    g_setupLog = NULL;
    g_instance = NULL;
    memset(g_installerDir, 0, sizeof(g_installerDir));
    memset(g_termsText, 0, sizeof(g_termsText));
    g_welcomeBrush = NULL;
    g_termsBrush = NULL;
    memset(g_appPath, 0, sizeof(g_appPath));
    memset(g_uninstallerPath, 0, sizeof(g_uninstallerPath));
}

std::string JoinLines(const std::vector<std::string> &lines)
{
    std::string out;
    for (const std::string &line : lines)
        out += "  " + line + "\n";
    return out;
}

}  // namespace simtest

namespace {

bool g_leaked = false;

class LeakListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo &) override { sim::Reset(); }
    void OnTestEnd(const ::testing::TestInfo &info) override
    {
        std::vector<std::string> leaks = sim::Leaks();
        if (!leaks.empty()) {
            g_leaked = true;
            fprintf(stderr, "%s.%s left open:\n%s", info.test_suite_name(), info.name(),
                    simtest::JoinLines(leaks).c_str());
        }
        sim::Reset();
    }
};

}  // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new LeakListener);
    int result = RUN_ALL_TESTS();
    return result != 0 || g_leaked ? 1 : 0;
}
