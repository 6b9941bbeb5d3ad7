// The retirable main-dialog pointer, natively and under the sanitizers:
// after Retire returns true no thread can still be using the object.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "base/retirable_pointer.h"

namespace {
struct Dialog {
    std::atomic<int> uses{0};
    int mode = 1;
};
}  // namespace

TEST(RetirablePointer, LeaseSeesPublishedValueAndNothingAfterRetire)
{
    RetirablePointer<Dialog> pointer;
    Dialog dialog;
    EXPECT_FALSE(RetirablePointer<Dialog>::Lease(pointer));
    pointer.Publish(&dialog);
    {
        RetirablePointer<Dialog>::Lease lease(pointer);
        ASSERT_TRUE(lease);
        EXPECT_EQ(lease->mode, 1);
    }
    EXPECT_TRUE(pointer.Retire(std::chrono::milliseconds(100)));
    EXPECT_FALSE(RetirablePointer<Dialog>::Lease(pointer));
}

TEST(RetirablePointer, RetireWaitsForAHeldLeaseAndGivesUpAfterItsTimeout)
{
    RetirablePointer<Dialog> pointer;
    Dialog dialog;
    pointer.Publish(&dialog);
    RetirablePointer<Dialog>::Lease held(pointer);
    EXPECT_FALSE(pointer.Retire(std::chrono::milliseconds(20)));
    EXPECT_EQ(held.Get(), &dialog) << "a lease taken before the retirement keeps its object";
}

TEST(RetirablePointer, ObjectDestroyedAfterRetireIsNeverTouched)
{
    // Threads hammer the pointer while the owner retires and deletes the
    // object; AddressSanitizer reports any use after the delete.
    for (int round = 0; round < 50; ++round) {
        RetirablePointer<Dialog> pointer;
        auto dialog = std::make_unique<Dialog>();
        pointer.Publish(dialog.get());
        std::atomic<bool> stop{false};
        std::vector<std::thread> users;
        for (int t = 0; t < 4; ++t)
            users.emplace_back([&] {
                while (!stop.load()) {
                    RetirablePointer<Dialog>::Lease lease(pointer);
                    if (lease) lease->uses.fetch_add(lease->mode);
                }
            });
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        ASSERT_TRUE(pointer.Retire(std::chrono::seconds(5)));
        dialog.reset();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        stop = true;
        for (auto& user : users) user.join();
    }
}
