// Tests of the services keep the program's files (lists, log) in a scratch
// folder of their own, with the event log switched on.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "harness/support.h"
#include "memory_controls.h"
#include "services/logger.h"
#include "services/program.h"

namespace tidvex::services {

class ServicesTest : public ::testing::Test {
protected:
    void SetUp() override { gLogger().SetSwitch(&logSwitch_); }
    void TearDown() override { gLogger().SetSwitch(nullptr); }
    std::string Log() { return test::ReadFileBytes(LogFilePath()).value_or(""); }

    ScopedAppPath appPath_{test::ScratchFolder("program")};
    controls::MemoryCheckBox logSwitch_{-1};
};

}  // namespace tidvex::services
