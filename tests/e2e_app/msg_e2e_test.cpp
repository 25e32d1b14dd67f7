// `morvanta msg` against the real program on a private Xvfb under Openbox with real windows:
// the state lists them, commands hide and show them, a subscriber sees each switch, garbage on
// the socket leaves Morvanta running and answering, and the status-bar example follows it.
#include "tests/e2e_app/app_fixture.h"
#include "tests/support/line_process.h"

#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <set>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace morvanta::testing {
namespace {

using json = nlohmann::json;

class MsgE2E : public AppE2E {
protected:
    // `morvanta msg ARGUMENTS`: exit status and what it printed.
    std::pair<int, std::string> msg(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "msg");
        return runToEnd(arguments);
    }
    json state() {
        const auto [status, output] = msg({"state"});
        EXPECT_EQ(status, 0) << output;
        return json::parse(output, nullptr, false);
    }
    std::filesystem::path socketFile() {
        for (const auto& entry : std::filesystem::directory_iterator(sandbox.root() / "runtime"))
            if (entry.path().filename().string().starts_with("morvanta-"))
                return entry.path();
        return {};
    }
    // The event lines a subscriber printed so far.
    static std::vector<json> events(const MorvantaProcess& subscriber) {
        std::vector<json> lines;
        std::istringstream text(subscriber.output());
        for (std::string line; std::getline(text, line);)
            lines.push_back(json::parse(line, nullptr, false));
        return lines;
    }
    // What bash's completion offers for `morvanta WORDS` (the last word being typed).
    std::string complete(const std::vector<std::string>& words) {
        std::string script =
            "source \"" MORVANTA_COMPLETION "\"; COMP_WORDS=(\"" MORVANTA_BINARY "\"";
        for (const auto& word : words)
            script += " \"" + word + "\"";
        script += "); COMP_CWORD=" + std::to_string(words.size()) +
                  "; _morvanta; echo \"${COMPREPLY[*]}\"";
        FILE* shell = popen(
            ("DISPLAY='" + desktop.server().display() + "' bash -c '" + script + "'").c_str(), "r");
        std::string out;
        char chunk[4096];
        while (shell && fgets(chunk, sizeof chunk, shell))
            out += chunk;
        if (shell)
            pclose(shell);
        if (!out.empty() && out.back() == '\n')
            out.pop_back();
        return out;
    }
    static int switches(const std::vector<json>& lines) {
        return static_cast<int>(std::ranges::count_if(lines, [](const json& line) {
            return line.contains("changes") && std::ranges::count(line["changes"], "workspace") > 0;
        }));
    }
};

TEST_F(MsgE2E, DrivesAndWatchesTheRunningMorvanta) {
    const auto [absent, message] = msg({"state"});
    EXPECT_EQ(absent, 1);
    EXPECT_EQ(message, "morvanta: Morvanta is not running on this display.\n");

    openBefore();
    const auto morvanta = start();
    ASSERT_TRUE(waitTiled(windows())) << described();

    // The state lists every open window, on workspace 1, shown on the one display.
    std::set<std::uint32_t> open, listed;
    for (const auto& w : windows())
        open.insert(w.id());
    ASSERT_TRUE(waitFor([&] {
        const json now = state();
        listed.clear();
        for (const auto& workspace : now["workspaces"])
            for (const auto& window : workspace["windows"])
                listed.insert(window["id"].get<std::uint32_t>());
        return listed == open && now["workspaces"][0]["windows"].size() == open.size();
    })) << state().dump(2);
    const json first = state();
    EXPECT_EQ(first["protocol"], 1);
    EXPECT_EQ(first["paused"], false);
    ASSERT_EQ(first["displays"].size(), 1u);
    EXPECT_EQ(first["displays"][0]["workspace"], "1");
    EXPECT_EQ(first["workspaces"][0]["label"], "1");

    const auto subscriber = launch({"msg", "subscribe"});
    ASSERT_TRUE(waitFor([&] { return events(*subscriber).size() == 1; }));
    EXPECT_EQ(events(*subscriber)[0]["event"], "state");

    EXPECT_EQ(msg({"run", "switchToWorkspace2"}), std::make_pair(0, std::string()));
    EXPECT_TRUE(allHidden(4)) << described();
    EXPECT_TRUE(waitFor([&] { return switches(events(*subscriber)) == 1; }));
    EXPECT_EQ(events(*subscriber).back()["state"]["displays"][0]["workspace"], "2");

    EXPECT_EQ(msg({"workspace", "1"}), std::make_pair(0, std::string()));
    EXPECT_TRUE(waitTiled(windows())) << described();
    EXPECT_TRUE(waitFor([&] { return switches(events(*subscriber)) == 2; }));
    EXPECT_TRUE(logged("Workspace 2 on ") && logged("Workspace 1 on "));

    EXPECT_EQ(msg({"run", "leapLeft"}),
              std::make_pair(1, std::string("morvanta: unknown action 'leapLeft'; 'morvanta msg "
                                            "actions' lists them\n")));
    EXPECT_EQ(msg({"workspace", "K"}).first, 1);
    EXPECT_EQ(msg({"workspace"}).first, 2);

    // Garbage on the socket: told off and dropped; Morvanta runs on and answers.
    const auto path = socketFile();
    for (const std::string& garbage :
         {std::string("\x01\xff{{{\n"), std::string(70000, 'z'), std::string("no line feed")}) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path.c_str());
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        send(fd, garbage.data(), garbage.size(), MSG_NOSIGNAL);
        close(fd);
    }
    EXPECT_EQ(state()["displays"][0]["workspace"], "1");
    EXPECT_FALSE(morvanta->waitExit(0ms));
    EXPECT_EQ(switches(events(*subscriber)), 2);
    EXPECT_FALSE(subscriber->waitExit(0ms)); // still following
}

TEST_F(MsgE2E, TheStatusBarExampleFollowsTheWorkspaces) {
    const auto morvanta = start();
    sandbox.set("MORVANTA", MORVANTA_BINARY);
    LineProcess waybar("/bin/sh", {MORVANTA_BAR_SCRIPT, "--waybar"}, desktop.server().display());
    LineProcess text("/bin/sh", {MORVANTA_BAR_SCRIPT}, desktop.server().display());
    const json shown = json::parse(waybar.command(""), nullptr, false);
    EXPECT_EQ(shown["text"], "[1]");
    EXPECT_EQ(shown["class"], "tiling");
    EXPECT_EQ(shown["alt"], "mainStack");
    EXPECT_EQ(text.command(""), "[1]");

    EXPECT_EQ(msg({"workspace", "3"}).first, 0);
    EXPECT_EQ(json::parse(waybar.command(""), nullptr, false)["text"], "[3]");
    EXPECT_EQ(text.command(""), "[3]");
    EXPECT_EQ(msg({"pause", "on"}).first, 0);
    const json paused = json::parse(waybar.command(""), nullptr, false);
    EXPECT_EQ(paused["text"], "[3] (paused)");
    EXPECT_EQ(paused["class"], "paused");
    EXPECT_EQ(text.command(""), "[3] (paused)");

    // Bash completes action names and workspaces from the running Morvanta.
    EXPECT_EQ(complete({"msg", "run", "switchToWorkspace"}),
              "switchToWorkspace1 switchToWorkspace2 switchToWorkspace3 switchToWorkspace4 "
              "switchToWorkspace5 switchToWorkspace6 switchToWorkspace7 switchToWorkspace8 "
              "switchToWorkspace9");
    EXPECT_EQ(complete({"msg", "move-window", ""}), "1 2 3 4 5 6 7 8 9");
    EXPECT_EQ(complete({"msg", "p"}), "pause");

    // Morvanta quits: the bar empties once and waits for the next one.
    morvanta->signal(SIGTERM);
    EXPECT_TRUE(morvanta->waitExit());
    EXPECT_EQ(json::parse(waybar.command(""), nullptr, false)["class"], "stopped");
    EXPECT_EQ(text.command(""), "");
}

} // namespace
} // namespace morvanta::testing
