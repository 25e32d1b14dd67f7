// The two run loops: the virtual clock's exact ordering, and Qt's real one keeping the same
// promises (cancellation from inside a task, repeating timers, descriptor watches).
#include "app/controller/manual_run_loop.h"
#include "app/shell/qt_run_loop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <unistd.h>

namespace morvanta {
namespace {

using namespace std::chrono_literals;

TEST(ManualRunLoop, RunsDueTasksInTimeThenSchedulingOrder) {
    ManualRunLoop loop;
    std::vector<std::string> ran;
    loop.after(20ms, [&] { ran.push_back("b"); });
    loop.after(10ms, [&] { ran.push_back("a"); });
    loop.after(20ms, [&] { ran.push_back("c"); });
    loop.advance(19ms);
    EXPECT_EQ(ran, std::vector<std::string>{"a"});
    loop.advance(1ms);
    EXPECT_EQ(ran, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST(ManualRunLoop, DebounceByCancellingGivesOneRunAfterTheLastEvent) {
    ManualRunLoop loop;
    RunLoop::TaskID pending = 0;
    std::vector<RunLoop::TimePoint> runs;
    auto event = [&] {
        loop.cancel(pending);
        pending = loop.after(60ms, [&] { runs.push_back(loop.now()); });
    };
    const auto start = loop.now();
    for (int i = 0; i < 5; ++i) {
        event();
        loop.advance(10ms);
    }
    loop.advance(1s);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0] - start, 40ms + 60ms);
}

TEST(ManualRunLoop, RepeatingTimerCanCancelItselfAndTasksCanScheduleMore) {
    ManualRunLoop loop;
    int ticks = 0;
    RunLoop::TaskID timer = 0;
    timer = loop.every(1s, [&] {
        if (++ticks == 3)
            loop.cancel(timer);
    });
    int chained = 0;
    loop.after(0ms, [&] { loop.after(0ms, [&] { ++chained; }); });
    loop.runDue();
    EXPECT_EQ(chained, 1);
    loop.advance(10s);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(loop.pendingCount(), 0u);
    loop.cancel(timer); // again: ignored
    loop.cancel(12345);
}

TEST(ManualRunLoop, WatchesReadableDescriptors) {
    ManualRunLoop loop;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    int reads = 0;
    const auto id = loop.watch(fds[0], [&] {
        char c;
        ASSERT_EQ(read(fds[0], &c, 1), 1);
        ++reads;
    });
    EXPECT_EQ(loop.pollDescriptors(), 0);
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    EXPECT_EQ(loop.pollDescriptors(), 1);
    EXPECT_EQ(reads, 1);
    loop.cancel(id);
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    EXPECT_EQ(loop.pollDescriptors(), 0);
    close(fds[0]);
    close(fds[1]);
}

class QtRunLoopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "run_loop_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }
    // Processes events until `done` holds or five seconds pass.
    static bool spinUntil(const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return done();
    }
};

TEST_F(QtRunLoopTest, OneShotsRunOnceAndCancelledOnesNever) {
    QtRunLoop loop;
    int ran = 0, cancelled = 0;
    loop.after(1ms, [&] { ++ran; });
    const auto id = loop.after(1ms, [&] { ++cancelled; });
    loop.cancel(id);
    ASSERT_TRUE(spinUntil([&] { return ran == 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(cancelled, 0);
    EXPECT_EQ(loop.activeCount(), 0u);
}

TEST_F(QtRunLoopTest, RepeatingTimerCancelledFromInside) {
    QtRunLoop loop;
    int ticks = 0;
    RunLoop::TaskID timer = 0;
    timer = loop.every(1ms, [&] {
        if (++ticks == 3)
            loop.cancel(timer);
    });
    ASSERT_TRUE(spinUntil([&] { return ticks >= 3; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(loop.activeCount(), 0u);
}

TEST_F(QtRunLoopTest, WatchFiresWhenDataArrives) {
    QtRunLoop loop;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    int reads = 0;
    const auto id = loop.watch(fds[0], [&] {
        char c;
        if (read(fds[0], &c, 1) == 1)
            ++reads;
    });
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    ASSERT_TRUE(spinUntil([&] { return reads == 1; }));
    loop.cancel(id);
    EXPECT_EQ(loop.activeCount(), 0u);
    close(fds[0]);
    close(fds[1]);
}

} // namespace
} // namespace morvanta
