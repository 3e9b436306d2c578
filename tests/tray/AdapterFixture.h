// A test on the installed default adapter: its state and the air are put
// back after the test, whatever the test changed.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "sim/client/SimTestSupport.h"

namespace kqtest {

class DefaultAdapterTest : public ::testing::Test {
protected:
    const std::string kGuid = kqsim::kDefaultAdapterGuid;

    void SetUp() override
    {
        ASSERT_TRUE(m_sim.Open(5000));
        ASSERT_TRUE(m_sim.ResetAdapter(kGuid));
        ASSERT_TRUE(m_sim.Return(kGuid));
        m_air.reset(new kqsim::AirGuard(m_sim));
        ASSERT_TRUE(m_air->ok());
    }
    void TearDown() override
    {
        m_sim.ClearFaults(kGuid);
        m_sim.Return(kGuid);
        m_sim.ResetAdapter(kGuid);
        m_air.reset();
    }

    kqsim::SimClient m_sim;
    std::unique_ptr<kqsim::AirGuard> m_air;
};

}  // namespace kqtest
