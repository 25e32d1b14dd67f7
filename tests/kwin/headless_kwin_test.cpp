// The headless KWin session the KWin tests run on: proven ready, windows of an Xwayland and a
// native Wayland client read and arranged through KWin's own scripting, KWin restarted on the
// same bus, two outputs, a failed start explained by KWin's output, and nothing of the session
// left running once it ends, not even when the test process is killed.
#include "tests/support/headless_kwin.h"
#include "tests/support/process_group.h"
#include "tests/support/xdg_sandbox.h"
#include "tests/support/xvfb_server.h"

#include <dirent.h>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace morvanta::testing {
namespace {

namespace fs = std::filesystem;

// The command names of the live processes of process group `group`.
std::vector<std::string> commandsInGroup(pid_t group) {
    std::vector<std::string> names;
    DIR* proc = opendir("/proc");
    while (const dirent* entry = proc ? readdir(proc) : nullptr) {
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string text;
        if (!std::getline(stat, text) || text.rfind(')') == std::string::npos)
            continue;
        const auto open = text.find('('), close = text.rfind(')');
        std::istringstream fields(text.substr(close + 1));
        char state = 0;
        pid_t parent = 0, processGroup = 0;
        if (fields >> state >> parent >> processGroup && processGroup == group && state != 'Z')
            names.push_back(text.substr(open + 1, close - open - 1));
    }
    if (proc)
        closedir(proc);
    return names;
}

// Every window on a line of its own, for failure messages.
std::string listed(const std::vector<KWinWindow>& windows) {
    std::ostringstream text;
    for (const auto& window : windows)
        text << window << "\n";
    return text.str();
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class KWinSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HeadlessKWin::available())
            GTEST_SKIP() << "kwin_wayland is not installed";
    }

    // An xterm under Xwayland and a window of the native test client, as KWin lists them. The
    // native one opens once the xterm shows, so it is the last to appear (and KWin's active one).
    struct TwoWindows {
        pid_t xtermPid = -1;
        std::unique_ptr<LineProcess> client;
        std::optional<KWinWindow> xterm, native;
    };
    static TwoWindows openTwoWindows(HeadlessKWin& session) {
        TwoWindows opened;
        opened.xtermPid = session.spawn({"xterm", "-T", "morvanta-xterm"});
        opened.xterm = session.waitForWindow([](auto& w) { return w.caption == "morvanta-xterm"; });
        opened.client = session.startLineProcess(
            LineProcess::besideThisTest("morvanta-wayland-testclient"), {}, {});
        EXPECT_EQ(opened.client->command("open native-one 400 300"), "window native-one");
        opened.native = session.waitForWindow([](auto& w) { return w.caption == "native-one"; });
        return opened;
    }
};

TEST_F(KWinSessionTest, ReadsXwaylandAndNativeWindowsWhateverTheTestsEnvironment) {
    // A test's own environment (a sandbox, a display of its own, Qt's offscreen platform) must
    // reach neither KWin nor the programs started in its session.
    XdgSandbox sandbox;
    sandbox.set("DISPLAY", ":4242");
    sandbox.set("WAYLAND_DISPLAY", "wayland-of-the-test");
    sandbox.set("QT_QPA_PLATFORM", "offscreen");
    HeadlessKWin session;
    ASSERT_TRUE(session.ok()) << session.error();
    EXPECT_TRUE(fs::exists(session.runtimeDir() / session.waylandDisplay()));
    EXPECT_EQ(fs::status(session.runtimeDir()).permissions() & fs::perms::all,
              fs::perms::owner_all);
    EXPECT_EQ(session.x11Display().rfind(':', 0), 0u) << session.x11Display();
    const auto screens = session.screens();
    ASSERT_EQ(screens.size(), 1u) << session.error();
    EXPECT_EQ(screens[0].geometry, (KWinRect{0, 0, 1600, 1000}));
    EXPECT_TRUE(screens[0].geometry.contains(screens[0].area)) << screens[0].area;

    const auto opened = openTwoWindows(session);
    ASSERT_TRUE(opened.xterm && opened.native) << session.error();
    const auto& x = *opened.xterm;
    EXPECT_EQ(x.pid, opened.xtermPid);
    // KWin 5 answers the class in lower case, KWin 6 as the program set it.
    EXPECT_TRUE(x.resourceClass == "xterm" || x.resourceClass == "XTerm") << x.resourceClass;
    EXPECT_TRUE(x.normal);
    EXPECT_TRUE(screens[0].geometry.contains(x.frame) && x.frame.width > 100) << x;
    const auto& native = *opened.native;
    EXPECT_EQ(native.pid, opened.client->pid());
    EXPECT_EQ(native.resourceClass, "morvanta-wayland-testclient");
    EXPECT_TRUE(native.active) << native;
    EXPECT_GE(native.frame.width, 400) << native;
    EXPECT_GE(native.frame.height, 300) << native;

    EXPECT_EQ(opened.client->command("title native-one renamed"), "ok");
    EXPECT_TRUE(session.waitForWindow([&](auto& w) { return w.caption == "renamed"; }));
    EXPECT_EQ(opened.client->command("close native-one"), "ok");
    EXPECT_TRUE(waitFor([&] {
        const auto now = session.state();
        return now && std::none_of(now->windows.begin(), now->windows.end(),
                                   [&](auto& w) { return w.id == native.id; });
    }));
}

TEST_F(KWinSessionTest, ArrangesWindowsThroughKWin) {
    HeadlessKWin session;
    ASSERT_TRUE(session.ok()) << session.error();
    const auto opened = openTwoWindows(session);
    ASSERT_TRUE(opened.xterm && opened.native) << session.error();
    const auto& x = *opened.xterm;
    const auto& native = *opened.native;

    // An X11 client sizes in character steps, so the xterm is only moved; the native window
    // takes a whole frame once it has drawn at the size KWin asked for.
    const KWinRect moved{100, 120, x.frame.width, x.frame.height};
    ASSERT_TRUE(session.setFrame(x.id, moved)) << session.error();
    EXPECT_TRUE(session.waitForWindow([&](auto& w) { return w.id == x.id && w.frame == moved; }))
        << session.error();
    const KWinRect target{700, 200, 500, 400};
    ASSERT_TRUE(session.setFrame(native.id, target)) << session.error();
    EXPECT_TRUE(session.waitForWindow([&](auto& w) {
        return w.id == native.id && w.frame == target;
    })) << listed(session.windows());
    ASSERT_TRUE(session.minimize(native.id)) << session.error();
    EXPECT_TRUE(session.waitForWindow([&](auto& w) { return w.id == native.id && w.minimized; }));
    ASSERT_TRUE(session.activate(x.id)) << session.error();
    EXPECT_TRUE(session.waitForWindow([&](auto& w) { return w.id == x.id && w.active; }));

    // A window that is not there fails the arrangement instead of passing unnoticed, whatever
    // the id holds.
    EXPECT_FALSE(session.setFrame("{00000000-0000-0000-0000-000000000000}", target));
    EXPECT_TRUE(contains(session.error(), "no window")) << session.error();
    EXPECT_FALSE(session.minimize("\"); workspace.activeClient = null; //"));
    EXPECT_TRUE(contains(session.error(), "no window")) << session.error();
}

TEST_F(KWinSessionTest, RestartsKWinOnTheSameBusAndLeavesNothingRunning) {
    std::vector<pid_t> groups;
    fs::path runtime;
    {
        HeadlessKWinOptions twoOutputs;
        twoOutputs.width = 800;
        twoOutputs.height = 600;
        twoOutputs.outputs = 2;
        HeadlessKWin session(twoOutputs);
        ASSERT_TRUE(session.ok()) << session.error();
        const auto screens = session.screens();
        ASSERT_EQ(screens.size(), 2u) << session.error();
        EXPECT_EQ(screens[0].geometry, (KWinRect{0, 0, 800, 600}));
        EXPECT_EQ(screens[1].geometry, (KWinRect{800, 0, 800, 600}));
        const pid_t first = session.kwinPid();
        const std::string bus = session.busAddress();

        // KWin gone (a crash): queries fail and say so rather than answer an empty desktop.
        kill(-first, SIGKILL);
        EXPECT_TRUE(waitFor([&] { return !session.state(); }));
        EXPECT_TRUE(session.windows().empty());
        EXPECT_TRUE(contains(session.error(), "not running")) << session.error();

        ASSERT_TRUE(session.restartKWin()) << session.error();
        EXPECT_NE(session.kwinPid(), first);
        EXPECT_FALSE(ProcessGroup::anyAlive(first));
        EXPECT_EQ(session.busAddress(), bus);
        const pid_t clock = session.spawn({"xclock", "-title", "morvanta-clock"});
        const auto window = session.waitForWindow([&](auto& w) { return w.pid == clock; });
        ASSERT_TRUE(window) << session.error();
        EXPECT_EQ(window->caption, "morvanta-clock");
        // Xwayland runs in KWin's group, so ending the group ends it too. (KWin 6 starts it
        // only when the first X client connects.)
        const auto kwinGroup = commandsInGroup(session.kwinPid());
        EXPECT_NE(std::find(kwinGroup.begin(), kwinGroup.end(), "Xwayland"), kwinGroup.end());
        groups = session.processGroups();
        runtime = session.runtimeDir();
    }
    EXPECT_EQ(groups.size(), 3u); // the bus, KWin, xclock
    for (const pid_t group : groups)
        EXPECT_TRUE(commandsInGroup(group).empty()) << "left running in group " << group;
    EXPECT_FALSE(fs::exists(runtime));
}

// Tests run side by side (ctest -j): each session has its own compositor, Xwayland and bus.
TEST_F(KWinSessionTest, SessionsSideBySideSeeOnlyTheirOwnWindows) {
    HeadlessKWin first;
    HeadlessKWin second;
    ASSERT_TRUE(first.ok()) << first.error();
    ASSERT_TRUE(second.ok()) << second.error();
    EXPECT_NE(first.x11Display(), second.x11Display());
    EXPECT_NE(first.busAddress(), second.busAddress());
    const pid_t xterm = first.spawn({"xterm", "-T", "only-in-the-first"});
    ASSERT_TRUE(first.waitForWindow([&](auto& w) { return w.pid == xterm; })) << first.error();
    const auto others = second.state();
    ASSERT_TRUE(others) << second.error();
    EXPECT_TRUE(others->windows.empty()) << listed(others->windows);
}

// The test process killed (a crash, ctest's timeout) runs no destructor; the session's groups
// end all the same.
TEST_F(KWinSessionTest, ATestKilledMidwayLeavesNothingRunning) {
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t test = fork();
    if (test == 0) {
        close(report[0]);
        HeadlessKWin session;
        std::string groups = (session.ok() ? "ready " : "failed ") + session.runtimeDir().string();
        for (const pid_t group : session.processGroups())
            groups += " " + std::to_string(group);
        groups += "\n";
        [[maybe_unused]] const auto written = write(report[1], groups.data(), groups.size());
        pause();
        _exit(0);
    }
    close(report[1]);
    std::string line;
    char c = 0;
    while (read(report[0], &c, 1) == 1 && c != '\n')
        line += c;
    close(report[0]);
    kill(test, SIGKILL);
    waitpid(test, nullptr, 0);

    std::istringstream words(line);
    std::string verdict;
    fs::path runtime;
    words >> verdict >> runtime;
    std::error_code ignored;
    fs::remove_all(runtime.parent_path(), ignored); // what only the destructor would remove
    ASSERT_EQ(verdict, "ready") << line;
    int count = 0;
    for (pid_t group = 0; words >> group; ++count)
        EXPECT_TRUE(
            waitFor([group] { return commandsInGroup(group).empty(); }, std::chrono::seconds(5)))
            << "left running in group " << group;
    EXPECT_EQ(count, 2); // the bus and KWin
}

TEST_F(KWinSessionTest, AFailedStartSaysWhatKWinPrinted) {
    HeadlessKWinOptions badOption;
    badOption.extraArguments = {"--no-such-option"};
    badOption.startDeadline = std::chrono::seconds(10);
    HeadlessKWin rejected(badOption);
    EXPECT_FALSE(rejected.ok());
    EXPECT_TRUE(contains(rejected.error(), "exited")) << rejected.error();
    EXPECT_TRUE(contains(rejected.error(), "no-such-option")) << rejected.error();

    HeadlessKWinOptions missing;
    missing.program = "morvanta-no-such-compositor";
    HeadlessKWin absent(missing);
    EXPECT_FALSE(absent.ok());
    EXPECT_TRUE(contains(absent.error(), "morvanta-no-such-compositor")) << absent.error();
    EXPECT_FALSE(absent.windows().size()) << "no windows without KWin";

    HeadlessKWinOptions unmadeRoot;
    unmadeRoot.systemRoot = fs::temp_directory_path(); // holds no KWin
    HeadlessKWin unmade(unmadeRoot);
    EXPECT_FALSE(unmade.ok());
    EXPECT_TRUE(contains(unmade.error(), "scripts/plasma6-root")) << unmade.error();
}

} // namespace
} // namespace morvanta::testing
