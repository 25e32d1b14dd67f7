// The command interface on the real single-instance socket, served on the Qt run loop over a
// fake controller: `morvanta msg` end to end (output and exit statuses), callers that send
// garbage, too much, nothing, or come a hundred at once, and a subscriber that stops reading.
// None of them holds the loop or changes the state.
#include "app/ipc/ipc_request.h"
#include "app/shell/socket/ipc_service.h"
#include "app/shell/socket/msg_client.h"
#include "app/shell/socket/single_instance.h"
#include "tests/ipc/fake_ipc_target.h"
#include "tests/shell/socket/socket_test_fixture.h"

#include <cstring>
#include <filesystem>
#include <future>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace morvanta {
namespace {

using namespace std::chrono_literals;
using json = nlohmann::json;

class IpcSocketTest : public testing::SocketTest {
protected:
    void SetUp() override {
        SocketTest::SetUp();
        ASSERT_EQ(instance.claim(path), SingleInstance::Claim::claimed);
        instance.serve(loop, [this](SocketLineClient& client, const std::string& line) {
            return service.answer(client, line);
        });
        loop.every(10ms, [this] { ticks.push_back(loop.now()); });
    }
    void TearDown() override {
        instance.stopServing();
        SocketTest::TearDown();
    }

    struct Run {
        int status;
        std::string out, err;
    };
    // `morvanta msg ARGUMENTS` in another thread, as a separate process would, while this
    // thread runs the loop.
    Run msg(std::vector<std::string> arguments, std::optional<std::filesystem::path> at = {}) {
        auto run = std::async(std::launch::async, [this, arguments, at] {
            std::ostringstream out, err;
            const int status = MsgClient(at ? at : std::optional(path), out, err).run(arguments);
            return Run{status, out.str(), err.str()};
        });
        spinUntil([&] { return run.wait_for(0s) == std::future_status::ready; }, 10s);
        return run.get();
    }
    static std::string request() { return IpcRequest{"state", std::nullopt}.toLine() + "\n"; }
    RunLoop::Duration longestTurn() const {
        RunLoop::Duration longest{};
        for (std::size_t i = 1; i < ticks.size(); ++i)
            longest = std::max(longest, ticks[i] - ticks[i - 1]);
        return longest;
    }

    QtRunLoop loop;
    testing::FakeIpcTarget target;
    int reopened = 0;
    IpcService service{target, loop, [this] { ++reopened; }};
    SingleInstance instance{IpcService::limits()};
    std::vector<RunLoop::TimePoint> ticks;
};

TEST_F(IpcSocketTest, MsgPrintsAnswersAndExitsWithItsStatus) {
    const auto state = msg({"state"});
    EXPECT_EQ(state.status, 0) << state.err;
    EXPECT_EQ(json::parse(state.out), target.current.toJson());
    EXPECT_EQ(std::ranges::count(state.out, '\n'), 1);

    const auto actions = msg({"actions"});
    EXPECT_EQ(actions.out, "switchToWorkspace1\nswitchToWorkspace2\nmoveToWorkspace1\nnextLayout\n"
                           "togglePause\n");
    for (const auto& command : std::vector<std::vector<std::string>>{{"run", "switchToWorkspace2"},
                                                                     {"workspace", "1"},
                                                                     {"layout", "columns"},
                                                                     {"pause", "toggle"},
                                                                     {"move-window", "A"}}) {
        const auto done = msg(command);
        EXPECT_EQ(done.status, 0) << command[0] << ": " << done.err;
        EXPECT_EQ(done.out + done.err, "");
    }
    EXPECT_EQ(target.calls.size(), 5u);
    EXPECT_TRUE(target.current.paused);

    const auto unknown = msg({"run", "fly"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "morvanta: unknown action 'fly'; 'morvanta msg actions' lists them\n");
    EXPECT_EQ(msg({"workspace", "Q"}).err, "morvanta: workspace Q does not exist\n");
    const auto usage = msg({"pause"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.err, "morvanta msg: 'pause' needs an argument: on|off|toggle; try 'morvanta "
                         "msg --help'.\n");
    EXPECT_EQ(msg({}).status, 2);
    EXPECT_EQ(msg({"frobnicate"}).status, 2);
    EXPECT_EQ(msg({"--help"}).status, 0);
    const auto absent = msg({"state"}, folder / "nobody.socket");
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.err, "morvanta: Morvanta is not running on this display.\n");
    EXPECT_EQ(target.calls.size(), 5u);

    // A second launch still opens the settings window.
    auto reopen = std::async(std::launch::async, [this] {
        return SingleInstance::ask(path, SingleInstance::openSettingsRequest, 3s);
    });
    spinUntil([&] { return reopen.wait_for(0s) == std::future_status::ready; });
    EXPECT_EQ(reopen.get().reply, std::optional<std::string>("ok"));
    EXPECT_EQ(reopened, 1);
}

TEST_F(IpcSocketTest, BadCallersAreToldAndDroppedWhileOthersAreAnswered) {
    const int silent = connectRaw();
    const int endless = connectRaw();
    const int huge = connectRaw();
    const int broken = connectRaw();
    say(endless, std::string(30000, 'x')); // garbage without a line feed, still coming
    say(huge, std::string(IpcRequest::maxLineBytes + 100, '{') + "\n");
    say(broken, "{\"protocol\":1,\"command\":\"state\"\n" + request());

    std::string hugeAnswer, brokenAnswer;
    EXPECT_TRUE(spinUntil([&] { return readClosed(huge, &hugeAnswer); }));
    EXPECT_EQ(json::parse(hugeAnswer)["error"], "request longer than 65536 bytes");
    EXPECT_TRUE(spinUntil([&] { return readClosed(broken, &brokenAnswer); }));
    EXPECT_EQ(
        brokenAnswer,
        R"({"protocol":1,"ok":false,"code":"bad-request","error":"request is not valid JSON"})"
        "\n"); // and nothing after it: the second request was never read

    // A hundred callers at once, each asking for the state: every one is answered.
    std::vector<int> crowd;
    for (int i = 0; i < 100; ++i) {
        crowd.push_back(connectRaw());
        say(crowd.back(), request());
    }
    std::vector<std::string> answers(crowd.size());
    EXPECT_TRUE(spinUntil([&] {
        bool all = true;
        for (std::size_t i = 0; i < crowd.size(); ++i) {
            readClosed(crowd[i], &answers[i]);
            all = all && answers[i].find('\n') != std::string::npos;
        }
        return all;
    }));
    for (const auto& answer : answers)
        EXPECT_EQ(json::parse(answer.substr(0, answer.find('\n')))["ok"], true);

    // The silent caller and the endless line are dropped at the idle limit.
    EXPECT_TRUE(spinUntil([&] { return readClosed(silent) && readClosed(endless); }));
    EXPECT_EQ(msg({"state"}).status, 0);
    EXPECT_TRUE(target.calls.empty());
    EXPECT_LT(longestTurn(), 250ms);
}

TEST_F(IpcSocketTest, ASubscriberThatStopsReadingIsDroppedAtOneMebibyte) {
    // A state of some 40 KB, so that a few dozen changes fill a mebibyte.
    for (int i = 0; i < 200; ++i)
        target.current.workspaces[2].windows.push_back({static_cast<std::uint32_t>(0x800000 + i),
                                                        "App",
                                                        std::string(150, 't'),
                                                        {},
                                                        false,
                                                        false});
    const int slow = connectRaw();
    const int reader = connectRaw();
    say(slow, IpcRequest{"subscribe", std::nullopt}.toLine() + "\n");
    say(reader, IpcRequest{"subscribe", std::nullopt}.toLine() + "\n");
    std::string read;
    const auto lines = [&] { return std::ranges::count(read, '\n'); };
    ASSERT_TRUE(spinUntil([&] {
        readClosed(reader, &read);
        return lines() == 2; // the reply and the first state
    }));

    // One switch at a time, each seen by the reader before the next.
    int switches = 0;
    while (instance.clientCount() == 2 && switches < 100) {
        target.show(std::to_string(1 + (++switches % 2)));
        ASSERT_TRUE(spinUntil([&] {
            readClosed(reader, &read);
            return lines() == switches + 2;
        }));
    }
    EXPECT_GT(switches, 20);
    EXPECT_LT(switches, 60);
    // The one that reads has every line; the other is told nothing more, the rest is gone.
    target.show("3");
    EXPECT_TRUE(spinUntil([&] {
        readClosed(reader, &read);
        return lines() == switches + 3;
    }));
    std::string slowRead;
    EXPECT_TRUE(spinUntil([&] { return readClosed(slow, &slowRead); }));
    EXPECT_LT(slowRead.size(), 1024u * 1024u);
    EXPECT_LT(longestTurn(), 250ms);
}

} // namespace
} // namespace morvanta
