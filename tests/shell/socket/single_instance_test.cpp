// The single-instance socket served on the Qt run loop: callers that say nothing, say it
// slowly, send garbage or never read their answers must not hold the loop, while a well-behaved
// caller is still answered; only the same user is answered at all.
#include "app/shell/socket/single_instance.h"
#include "socket_test_fixture.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace morvanta {
namespace {

using namespace std::chrono_literals;
using Answer = SingleInstance::Answer;

class SingleInstanceTest : public testing::SocketTest {
protected:
    // Claims the socket and serves it with a handler that counts "open settings".
    void serve(SingleInstance& instance) {
        ASSERT_EQ(instance.claim(path), SingleInstance::Claim::claimed);
        instance.serve(loop, [this](const std::string& request) -> std::string {
            if (request != SingleInstance::openSettingsRequest)
                return "unknown request";
            ++reopened;
            return "ok";
        });
    }
    // Asks from another thread, as a second launch does, while this one runs the loop.
    Answer askWhileServing(const std::string& request) {
        auto answer = std::async(
            std::launch::async, [this, request] { return SingleInstance::ask(path, request, 3s); });
        spinUntil([&] { return answer.wait_for(0s) == std::future_status::ready; });
        return answer.get();
    }

    QtRunLoop loop;
    int reopened = 0;
};

TEST_F(SingleInstanceTest, IdleSlowAndGarbageCallersNeverHoldTheLoop) {
    SingleInstance instance;
    serve(instance);
    // Other work on the same loop: a timer that must keep its pace throughout.
    std::vector<RunLoop::TimePoint> ticks;
    loop.every(10ms, [&] { ticks.push_back(loop.now()); });

    for (int i = 0; i < 20; ++i) // hung second launches: connected, silent
        ASSERT_GE(connectRaw(), 0);
    const int slow = connectRaw();
    const int garbage = connectRaw();
    const int partial = connectRaw();
    say(slow, "pi");
    say(garbage, std::string(70000, 'x')); // no line feed, beyond any request
    say(partial, "open sett");
    spinUntil([] { return false; }, 100ms);
    say(slow, "ng\n");

    const auto reopen = askWhileServing(SingleInstance::openSettingsRequest);
    EXPECT_TRUE(reopen.reached);
    EXPECT_EQ(reopen.reply, std::optional<std::string>("ok"));
    EXPECT_EQ(reopened, 1);
    EXPECT_EQ(askWhileServing("ping").reply, std::optional<std::string>("pong"));
    EXPECT_EQ(askWhileServing("close everything").reply,
              std::optional<std::string>("unknown request"));
    std::string slowAnswer;
    EXPECT_TRUE(spinUntil([&] {
        readClosed(slow, &slowAnswer);
        return slowAnswer == "pong\n";
    }));
    EXPECT_TRUE(spinUntil([&] { return readClosed(garbage); }));
    spinUntil([] { return false; }, 200ms);
    EXPECT_FALSE(readClosed(partial));      // still within its time
    EXPECT_EQ(instance.clientCount(), 22u); // the silent ones, the unfinished line, the slow one

    ASSERT_GE(ticks.size(), 20u);
    RunLoop::Duration longest{};
    for (std::size_t i = 1; i < ticks.size(); ++i)
        longest = std::max(longest, ticks[i] - ticks[i - 1]);
    EXPECT_LT(longest, 150ms)
        << "the loop was held for "
        << std::chrono::duration_cast<std::chrono::milliseconds>(longest).count() << " ms";
}

TEST_F(SingleInstanceTest, LinesAreAnsweredInOrderAndStuckCallersAreDropped) {
    SingleInstance instance({.maxOutputBytes = 64 * 1024, .idle = 300ms, .tooLongReply = {}});
    serve(instance);
    const int quiet = connectRaw();
    const int talker = connectRaw();
    say(talker, "ping\r\nopen settings\nping\n");
    std::string answers;
    EXPECT_TRUE(spinUntil([&] {
        readClosed(talker, &answers);
        return answers.size() >= 13;
    }));
    EXPECT_EQ(answers, "pong\nok\npong\n");
    // Silent past the idle limit: dropped.
    const auto since = loop.now();
    EXPECT_TRUE(spinUntil([&] { return readClosed(quiet); }));
    EXPECT_GE(loop.now() - since, 200ms);
    EXPECT_TRUE(spinUntil([&] { return instance.clientCount() == 0; }));

    // A caller that asks and asks without ever reading its answers is dropped once they pile up.
    const int greedy = connectRaw();
    std::string requests;
    for (int i = 0; i < 1000; ++i)
        requests += "ping\n";
    EXPECT_TRUE(spinUntil([&] {
        send(greedy, requests.data(), requests.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        return instance.clientCount() == 0;
    }));

    // More callers than it keeps: the oldest make room, the newest is answered.
    std::vector<int> crowd;
    for (std::size_t i = 0; i < SingleInstance::maxClients + 2; ++i)
        crowd.push_back(connectRaw());
    EXPECT_TRUE(spinUntil([&] { return readClosed(crowd[0]) && readClosed(crowd[1]); }));
    EXPECT_LE(instance.clientCount(), SingleInstance::maxClients);
    EXPECT_EQ(askWhileServing("ping").reply, std::optional<std::string>("pong"));
}

TEST_F(SingleInstanceTest, AnotherUserIsNotAnswered) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to connect as another user";
    SingleInstance instance;
    serve(instance);
    // Open the file to everyone, so only the server's own check stands in the way.
    chmod(folder.c_str(), 0755);
    chmod(path.c_str(), 0777);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        const auto answer = SingleInstance::ask(path, "ping", 2s);
        _exit(!answer.reached ? 2 : answer.reply ? 1 : 0);
    }
    int status = -1;
    EXPECT_TRUE(spinUntil([&] { return waitpid(child, &status, WNOHANG) == child; }));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: answered, 2: not reached, 3: no other user";
    EXPECT_EQ(instance.clientCount(), 0u);
}

} // namespace
} // namespace morvanta
