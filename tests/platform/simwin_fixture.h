// Every platform test starts and ends with a fresh simulated machine.
#pragma once

#include <gtest/gtest.h>

#include "simwin/control.h"

class SimwinTest : public ::testing::Test {
  protected:
    void SetUp() override { simwin::Reset(); }
    void TearDown() override { simwin::Reset(); }
};
