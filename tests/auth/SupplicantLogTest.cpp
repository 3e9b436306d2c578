// The driver's control path for the supplicant stand-in: its calls enter the
// request log in one sequence with the OID requests, and a bad record is
// refused or bounded.
#include "auth/AuthFixture.h"

namespace {

using kqtest::AuthTest;

class SupplicantLogTest : public AuthTest {};

TEST_F(SupplicantLogTest, CallsAndRequestsShareOneSequence)
{
    DWORD mark = Mark();
    int slot = m_adapter->Slot();
    ASSERT_TRUE(m_sim.LogSupplicantCall(slot, -32, "acPortAuth h=7"));
    DWORD status = 0;
    ASSERT_TRUE(QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &status, 4, nullptr));
    ASSERT_TRUE(m_sim.LogSupplicantCall(-1, 0, "acInit"));
    std::vector<kqsim::LogEntry> log;
    ASSERT_TRUE(m_sim.ReadLog(log, mark));
    std::vector<std::string> seen;
    for (const auto& e : log) {
        if (e.IsSupplicantCall()) seen.push_back(e.text + "/" + std::to_string((long)e.status) + "/" + std::to_string(e.adapter));
        else if (e.IsRequest()) seen.push_back("query");
    }
    std::vector<std::string> want = {"acPortAuth h=7/-32/" + std::to_string(slot), "query", "acInit/0/-1"};
    EXPECT_EQ(want, seen);
    EXPECT_NE(std::string::npos, kqsim::DescribeLogEntry(log.front()).find("AC"));
}

TEST_F(SupplicantLogTest, ShortOrUnterminatedRecordsAreRefusedOrCut)
{
    HANDLE h = CreateFileA(KQSIM_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    KQSIM_CALL_RECORD r;
    std::memset(&r, 'A', sizeof(r));
    r.adapter = 12345;   // no such slot: no adapter
    r.status = 1;
    DWORD got = 0;
    EXPECT_FALSE(DeviceIoControl(h, KQSIM_IOCTL_LOG_CALL, &r, sizeof(r) - 1, nullptr, 0, &got, nullptr));
    DWORD mark = Mark();
    EXPECT_TRUE(DeviceIoControl(h, KQSIM_IOCTL_LOG_CALL, &r, sizeof(r), nullptr, 0, &got, nullptr));
    CloseHandle(h);
    auto calls = Calls(mark);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(std::string(KQSIM_LOG_DATA - 1, 'A'), calls[0].text);
    EXPECT_EQ(-1, calls[0].adapter);
}

}  // namespace
