#include "ax/kwin/sd_bus_kwin_channel.h"
#include "tests/kwin_bus/fake_kwin_peer.h"
#include "tests/support/session_bus.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>

namespace morvanta {
namespace {

using namespace std::chrono_literals;
using testing::FakeKWinPeer;
using Clock = std::chrono::steady_clock;

bool readable(int fd, std::chrono::milliseconds within = 0ms) {
    pollfd watched{fd, POLLIN, 0};
    return poll(&watched, 1, static_cast<int>(within.count())) > 0;
}

class KWinBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus->ok());
        std::ofstream(scriptPath) << "// the bridge script as KWin would load it\n";
    }
    void TearDown() override { std::remove(scriptPath.c_str()); }

    std::unique_ptr<SdBusKWinChannel> open(KWinBridgeTimings timings = {}) {
        auto channel = std::make_unique<SdBusKWinChannel>(
            SdBusKWinChannel::Options{scriptPath, bus->address(), timings,
                                      [this](const std::string& line) { log.push_back(line); }});
        channel->onMessage = [this](const std::string& text) { messages.push_back(text); };
        channel->onScriptLost = [this] { ++lost; };
        return channel;
    }

    // Runs the channel and the peers until `done`, for at most `timeout`.
    bool pumpUntil(SdBusKWinChannel& channel, std::vector<FakeKWinPeer*> peers,
                   const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
        auto deadline = Clock::now() + timeout;
        while (!done()) {
            if (Clock::now() >= deadline)
                return false;
            std::vector<pollfd> watched{{channel.eventDescriptor(), POLLIN, 0}};
            for (auto* peer : peers)
                watched.push_back({peer->descriptor(), POLLIN, 0});
            poll(watched.data(), watched.size(), 20);
            channel.dispatchPending();
            for (auto* peer : peers)
                peer->process();
        }
        return true;
    }
    void pumpFor(SdBusKWinChannel& channel, std::vector<FakeKWinPeer*> peers,
                 std::chrono::milliseconds span) {
        pumpUntil(
            channel, std::move(peers), [] { return false; }, span);
    }

    std::unique_ptr<testing::SessionBus> bus = std::make_unique<testing::SessionBus>();
    std::string scriptPath = ::testing::TempDir() + "morvanta-bridge-test.js";
    std::vector<std::string> messages;
    std::vector<std::string> log;
    int lost = 0;
};

class KWinBusLoadTest : public KWinBusTest,
                        public ::testing::WithParamInterface<FakeKWinPeer::Plasma> {};

TEST_P(KWinBusLoadTest, LoadsTheScriptAndCarriesMessagesInOrderBothWays) {
    FakeKWinPeer kwin(bus->address(), GetParam());
    ASSERT_TRUE(kwin.ok());
    auto channel = open();
    ASSERT_TRUE(channel->isOpen()) << channel->failure();
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.runs == 1; }));
    std::string run = GetParam() == FakeKWinPeer::Plasma::six ? "run /Scripting/Script0" : "run /0";
    EXPECT_EQ(kwin.calls,
              (std::vector<std::string>{"unloadScript morvanta-bridge",
                                        "loadScript " + scriptPath + " morvanta-bridge", run}));

    kwin.report("r1");
    kwin.poll("p1");
    kwin.report("r2");
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return messages.size() == 3; }));
    EXPECT_EQ(messages, (std::vector<std::string>{"r1", "p1", "r2"}));
    channel->answer(R"({"batch": 1, "commands": []})");
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.answers.size() == 1; }));
    EXPECT_EQ(kwin.answers[0], R"({"batch": 1, "commands": []})");

    // waitForMessage blocks on the bus alone, up to its deadline.
    kwin.report("r3");
    EXPECT_TRUE(channel->waitForMessage(2s));
    EXPECT_EQ(messages.back(), "r3");
    auto before = Clock::now();
    EXPECT_FALSE(channel->waitForMessage(150ms));
    EXPECT_GE(Clock::now() - before, 150ms);
    EXPECT_EQ(lost, 0);
}

INSTANTIATE_TEST_SUITE_P(Plasma, KWinBusLoadTest,
                         ::testing::Values(FakeKWinPeer::Plasma::five, FakeKWinPeer::Plasma::six));

TEST_F(KWinBusTest, UnloadsTheScriptAtClose) {
    FakeKWinPeer kwin(bus->address());
    auto channel = open();
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.runs == 1; }));
    kwin.poll("hello");
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return messages.size() == 1; }));
    // Closing waits for KWin's reply, so KWin answers from a thread of its own meanwhile.
    std::atomic<bool> closed = false;
    std::thread kwinThread([&] {
        while (!closed) {
            readable(kwin.descriptor(), 20ms);
            kwin.process();
        }
    });
    channel.reset();
    closed = true;
    kwinThread.join();
    kwin.process();
    EXPECT_EQ(kwin.calls.back(), "unloadScript morvanta-bridge");
    // The held Poll was answered, not left to KWin's timeout.
    EXPECT_EQ(kwin.answers, std::vector<std::string>{SdBusKWinChannel::heartbeatAnswer});
}

TEST_F(KWinBusTest, AnswersQueuedBeforeAPollGoToTheNextPollsInOrder) {
    FakeKWinPeer kwin(bus->address());
    auto channel = open();
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.runs == 1; }));
    channel->answer("a1");
    channel->answer("a2");
    kwin.poll("p1");
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.answers.size() == 1; }));
    kwin.poll("p2");
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.answers.size() == 2; }));
    kwin.poll("p3");
    pumpFor(*channel, {&kwin}, 200ms);
    EXPECT_EQ(kwin.answers.size(), 2u) << "the third Poll waits for an answer";
    channel->answer("a3");
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.answers.size() == 3; }));
    EXPECT_EQ(kwin.answers, (std::vector<std::string>{"a1", "a2", "a3"}));
    EXPECT_EQ(messages, (std::vector<std::string>{"p1", "p2", "p3"}));
}

TEST_F(KWinBusTest, AHeldPollGetsTheHeartbeatWhenThereIsNothingToSay) {
    FakeKWinPeer kwin(bus->address());
    auto channel = open({.heartbeat = 300ms});
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.runs == 1; }));
    kwin.poll("hello");
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return messages.size() == 1; }));
    auto held = Clock::now();
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.answers.size() == 1; }));
    EXPECT_GE(Clock::now() - held, 250ms);
    EXPECT_EQ(kwin.answers[0], R"({"batch": 0, "commands": []})");
    kwin.poll("again");
    pumpFor(*channel, {&kwin}, 100ms);
    EXPECT_EQ(lost, 0);
}

TEST_F(KWinBusTest, AnAnswerTheBusRefusesStillEndsThePollAndIsLogged) {
    FakeKWinPeer kwin(bus->address());
    auto channel = open();
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.runs == 1; }));
    kwin.poll("hello");
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return messages.size() == 1; }));
    channel->answer("{\"caption\": \"\xff\xfe\"}");
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.answers.size() == 1; }));
    EXPECT_EQ(kwin.answers[0], SdBusKWinChannel::heartbeatAnswer);
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
        return line.find("could not be sent") != std::string::npos;
    }));
}

TEST_F(KWinBusTest, AScriptThatStopsPollingIsLostAndReloadedWithoutItsAnswers) {
    FakeKWinPeer kwin(bus->address());
    auto beforeFirstLoad = Clock::now();
    auto channel = open({.pollGap = 300ms, .reloadInterval = 800ms});
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.runs == 1; }));
    kwin.poll("hello");
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return messages.size() == 1; }));
    channel->answer("a1");
    channel->answer("never taken");
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return lost == 1; }));
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.runs == 2; }));
    EXPECT_GE(Clock::now() - beforeFirstLoad, 800ms) << "loads are kept apart";
    EXPECT_EQ(std::count(kwin.calls.begin(), kwin.calls.end(), "unloadScript morvanta-bridge"), 2);

    kwin.poll("hello again");
    pumpFor(*channel, {&kwin}, 150ms);
    EXPECT_EQ(kwin.answers, std::vector<std::string>{"a1"}) << "the lost script's answers go too";
    EXPECT_EQ(lost, 1);
}

TEST_F(KWinBusTest, AScriptThatNeverSpeaksIsLostAndReloaded) {
    FakeKWinPeer kwin(bus->address());
    auto channel = open({.firstMessage = 300ms, .reloadInterval = 100ms});
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.runs == 2; }));
    EXPECT_GE(lost, 1);
}

TEST_F(KWinBusTest, AKWinRestartIsNoticedAndTheScriptReloaded) {
    auto kwin = std::make_unique<FakeKWinPeer>(bus->address());
    auto channel = open();
    ASSERT_TRUE(pumpUntil(*channel, {kwin.get()}, [&] { return kwin->runs == 1; }));
    kwin->poll("hello");
    ASSERT_TRUE(pumpUntil(*channel, {kwin.get()}, [&] { return messages.size() == 1; }));
    kwin.reset();
    ASSERT_TRUE(pumpUntil(*channel, {}, [&] { return lost == 1; }));
    auto restarted = std::make_unique<FakeKWinPeer>(bus->address());
    ASSERT_TRUE(restarted->ok());
    ASSERT_TRUE(pumpUntil(*channel, {restarted.get()}, [&] { return restarted->runs == 1; }));
    restarted->poll("hello from the new KWin");
    ASSERT_TRUE(pumpUntil(*channel, {restarted.get()}, [&] { return messages.size() == 2; }));
    EXPECT_EQ(lost, 1);
}

TEST_F(KWinBusTest, ASecondChannelCannotTakeTheName) {
    FakeKWinPeer kwin(bus->address());
    auto first = open();
    ASSERT_TRUE(pumpUntil(*first, {&kwin}, [&] { return kwin.runs == 1; }));
    auto calls = kwin.calls;
    {
        auto second = open();
        EXPECT_FALSE(second->isOpen());
        EXPECT_NE(second->failure().find("org.morvanta.KWinBridge"), std::string::npos);
        EXPECT_FALSE(second->waitForMessage(50ms));
        second->answer("ignored");
        second->dispatchPending();
        EXPECT_FALSE(readable(second->eventDescriptor()));
    }
    pumpFor(*first, {&kwin}, 100ms);
    EXPECT_EQ(kwin.calls, calls) << "the second channel leaves the first one's script alone";
    EXPECT_TRUE(first->isOpen());
}

TEST_F(KWinBusTest, CallsOfTheWrongKindOrFromStrangersGetErrorReplies) {
    FakeKWinPeer kwin(bus->address());
    FakeKWinPeer stranger(bus->address(), FakeKWinPeer::Plasma::five, false);
    auto channel = open();
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return kwin.runs == 1; }));
    kwin.callWithNumber("Report");
    kwin.callWithNumber("Poll");
    stranger.report("invented news");
    stranger.poll("invented poll");
    ASSERT_TRUE(pumpUntil(*channel, {&kwin, &stranger},
                          [&] { return kwin.errors.size() == 2 && stranger.errors.size() == 2; }));
    EXPECT_EQ(kwin.errors, (std::vector<std::string>(2, "org.freedesktop.DBus.Error.InvalidArgs")));
    EXPECT_EQ(stranger.errors,
              (std::vector<std::string>(2, "org.freedesktop.DBus.Error.AccessDenied")));
    kwin.report("fine");
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] { return !messages.empty(); }));
    EXPECT_EQ(messages, std::vector<std::string>{"fine"});
}

TEST_F(KWinBusTest, EventDescriptorIsReadableExactlyWhileMessagesWait) {
    FakeKWinPeer kwin(bus->address());
    auto channel = open();
    // Until KWin's last reply to the load has been read, nothing else is on the way.
    ASSERT_TRUE(pumpUntil(*channel, {&kwin}, [&] {
        return !log.empty() && log.back() == "KWin bridge: KWin runs the script";
    }));
    int fd = channel->eventDescriptor();
    EXPECT_FALSE(readable(fd));

    kwin.report("r1");
    EXPECT_TRUE(readable(fd, 2000ms));
    EXPECT_TRUE(messages.empty()) << "nothing is handed out before dispatchPending";
    channel->dispatchPending();
    EXPECT_EQ(messages, std::vector<std::string>{"r1"});
    EXPECT_FALSE(readable(fd));

    // More than one dispatch handles: what is left, in the socket or already in memory, keeps
    // the descriptor readable until every message is handed out.
    constexpr std::size_t flood = 300;
    for (std::size_t i = 0; i < flood; ++i)
        kwin.report("f" + std::to_string(i));
    int dispatches = 0;
    while (messages.size() < flood + 1) {
        ASSERT_TRUE(readable(fd, 2000ms)) << messages.size() << " messages so far";
        channel->dispatchPending();
        ++dispatches;
    }
    EXPECT_GT(dispatches, 1);
    EXPECT_EQ(messages.back(), "f" + std::to_string(flood - 1));
    kwin.process();
    EXPECT_FALSE(readable(fd, 50ms));
}

TEST_F(KWinBusTest, LosingTheBusClosesTheChannelQuietly) {
    auto kwin = std::make_unique<FakeKWinPeer>(bus->address());
    auto channel = open();
    ASSERT_TRUE(pumpUntil(*channel, {kwin.get()}, [&] { return kwin->runs == 1; }));
    kwin->poll("hello");
    ASSERT_TRUE(pumpUntil(*channel, {kwin.get()}, [&] { return messages.size() == 1; }));
    bus.reset();
    ASSERT_TRUE(pumpUntil(*channel, {}, [&] { return !channel->isOpen(); }));
    EXPECT_FALSE(channel->failure().empty());
    EXPECT_EQ(lost, 1);
    channel->answer("nobody listens");
    EXPECT_FALSE(channel->waitForMessage(50ms));
    EXPECT_FALSE(readable(channel->eventDescriptor()));
}

} // namespace
} // namespace morvanta
