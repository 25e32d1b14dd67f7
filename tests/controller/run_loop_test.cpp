// The two run loops: the virtual clock's exact ordering, and Qt's real one keeping the same
// promises (cancellation from inside a task, repeating timers, descriptor watches for reading
// and for writing).
#include "app/controller/manual_run_loop.h"
#include "tests/support/qt_run_loop_fixture.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

namespace morvanta {
namespace {

using namespace std::chrono_literals;
using testing::QtRunLoopTest;

// Fills the socket's send buffer (non-blocking) until it takes no more.
void fill(int fd) {
    const std::string block(4096, 'x');
    while (send(fd, block.data(), block.size(), MSG_DONTWAIT) > 0) {
    }
}

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

    // A writable watch runs while there is room, and not once the peer stops reading.
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    int writable = 0;
    const auto room = loop.watchWritable(fds[0], [&] { ++writable; });
    EXPECT_EQ(loop.pollDescriptors(), 1);
    fill(fds[0]);
    EXPECT_EQ(loop.pollDescriptors(), 0);
    EXPECT_EQ(writable, 1);
    loop.cancel(room);
    close(fds[0]);
    close(fds[1]);
}

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

TEST_F(QtRunLoopTest, TimersRunInDueOrderNeverEarlyAndAPushedBackOneOnlyAtItsNewTime) {
    QtRunLoop loop;
    std::vector<std::string> ran;
    const auto start = loop.now();
    RunLoop::TimePoint debounced{};
    // A debounce pushed back twice, the way bursts of news push it.
    auto pending = loop.after(10ms, [&] { ran.push_back("stale"); });
    loop.cancel(pending);
    pending = loop.after(20ms, [&] { ran.push_back("stale"); });
    loop.cancel(pending);
    loop.after(40ms, [&] {
        debounced = loop.now();
        ran.push_back("debounce");
    });
    loop.after(5ms, [&] { ran.push_back("first"); });
    loop.after(5ms, [&] { ran.push_back("second"); });
    ASSERT_TRUE(spinUntil([&] { return ran.size() >= 3; }));
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "second", "debounce"}));
    EXPECT_GE(debounced - start, 40ms);
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

    // Writable: fires once the full socket's peer reads, and can cancel itself.
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fds), 0);
    fill(fds[0]);
    int writable = 0;
    RunLoop::TaskID room = 0;
    room = loop.watchWritable(fds[0], [&] {
        ++writable;
        loop.cancel(room);
    });
    spinUntil([] { return false; }, 50ms);
    EXPECT_EQ(writable, 0);
    char sink[65536];
    while (read(fds[1], sink, sizeof sink) > 0) {
    }
    ASSERT_TRUE(spinUntil([&] { return writable == 1; }));
    EXPECT_EQ(loop.activeCount(), 0u);
    close(fds[0]);
    close(fds[1]);
}

} // namespace
} // namespace morvanta
