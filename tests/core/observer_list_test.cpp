// Observation that is safe whichever side ends first: a subscription outliving its subject ends
// quietly, an observer may end itself or another while being told, and a subscription that is
// replaced or moved ends exactly once. A callback holding its object weakly does nothing once
// the object has ended it.
#include "core/observer_list.h"
#include "core/weak_self.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

namespace morvanta {
namespace {

TEST(ObserverList, SubscriptionsEndSafelyWhicheverSideGoesFirst) {
    Subscription outlives;
    {
        ObserverList<int> subject;
        std::vector<int> heard;
        outlives = subject.add([&](int value) { heard.push_back(value); });
        subject.notify(1);
        EXPECT_EQ(heard, std::vector<int>{1});
    }
    EXPECT_TRUE(outlives.active());
    outlives.cancel(); // the subject is gone: nothing to touch
    EXPECT_FALSE(outlives.active());

    ObserverList<int> subject;
    int calls = 0;
    {
        const auto scoped = subject.add([&](int) { ++calls; });
        subject.notify(1);
    }
    subject.notify(2);
    EXPECT_EQ(calls, 1) << "an ended observer is not told";
    EXPECT_TRUE(subject.empty());
}

TEST(ObserverList, ObserversMayEndThemselvesOthersOrTheSubjectWhileTold) {
    auto subject = std::make_unique<ObserverList<>>();
    std::vector<std::string> told;
    Subscription second;
    Subscription first = subject->add([&] {
        told.push_back("first");
        second.cancel(); // ends the one not yet told
        first.cancel();  // and itself
    });
    second = subject->add([&] { told.push_back("second"); });
    Subscription third = subject->add([&] {
        told.push_back("third");
        subject.reset(); // the subject itself ends inside its own notify
    });
    subject->notify();
    EXPECT_EQ(told, (std::vector<std::string>{"first", "third"}));
    EXPECT_EQ(subject, nullptr);
    third.cancel();

    ObserverList<> list;
    int a = 0;
    int b = 0;
    Subscription held = list.add([&] { ++a; });
    held = list.add([&] { ++b; }); // the replaced subscription ends
    Subscription moved = std::move(held);
    list.notify();
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    EXPECT_FALSE(held.active());
}

struct Counter {
    Counter() : self(this) {}
    void bump() { ++count; }
    int count = 0;
    WeakSelf<Counter> self;
};

TEST(WeakSelf, CallbacksReachTheObjectOnlyUntilItEnds) {
    std::function<void()> bound;
    WeakSelf<Counter>::Ref ref;
    {
        Counter counter;
        bound = counter.self.bind(&Counter::bump);
        ref = counter.self.ref();
        bound();
        EXPECT_EQ(counter.count, 1);
        EXPECT_EQ(ref.get(), &counter);
        counter.self.end(); // as a destructor does first
        bound();
        EXPECT_EQ(counter.count, 1);
        EXPECT_EQ(ref.get(), nullptr);
    }
    bound(); // the object is gone: nothing to touch
    EXPECT_TRUE(ref.expired());
    EXPECT_TRUE(WeakSelf<Counter>::Ref().expired());
}

} // namespace
} // namespace morvanta
