// The dialog framework's edges that no window test reaches: a missing
// template, and thread objects that delete themselves. (Timers, reflected
// owner-draw and notify messages and commands run in every window test.)
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "framework/dialog.h"
#include "framework/win_thread.h"
#include "support/test_support.h"

namespace {

class CountingThread : public CWinThread {
public:
    CountingThread(std::atomic<int>& runs, HANDLE destroyed) : m_runs(runs), m_destroyed(destroyed) {}
    ~CountingThread() override { SetEvent(m_destroyed); }

protected:
    int Run() override
    {
        ++m_runs;
        return 7;
    }

private:
    std::atomic<int>& m_runs;
    HANDLE m_destroyed;
};

}  // namespace

TEST(Framework, MissingTemplateGivesMinusOne)
{
    CDialog missing(9999);
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST(Framework, ThreadObjectsDeleteThemselvesWhenTheirThreadEnds)
{
    std::atomic<int> runs{0};
    std::vector<KernelHandle> destroyed;
    for (int i = 0; i < 20; ++i) {
        destroyed.emplace_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        auto* thread = new CountingThread(runs, destroyed.back().Get());
        ASSERT_TRUE(thread->CreateThread());
    }
    for (auto& event : destroyed) EXPECT_EQ(WaitForSingleObject(event.Get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(runs.load(), 20);
}
