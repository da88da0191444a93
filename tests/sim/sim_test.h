// The fixture of every simulation test: a fresh machine before the test, and
// after it the leak check (every handle, key and other object the product
// opened must be released) and the product's process-wide state put back.
#ifndef TESTS_SIM_SIM_TEST_H
#define TESTS_SIM_SIM_TEST_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine.h"

namespace simtest {

// Puts back what the product keeps process-wide (the setup log and the like).
void ResetProductState();
std::string JoinLines(const std::vector<std::string> &lines);

}  // namespace simtest

class SimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        simtest::ResetProductState();
        sim::Reset();
    }
    void TearDown() override
    {
        std::vector<std::string> leaks = sim::Leaks();
        EXPECT_TRUE(leaks.empty()) << "left open:\n" << simtest::JoinLines(leaks);
        simtest::ResetProductState();
    }
};

#endif
