// FakeKWinScript: the KWin script and its channel in memory, for the KWin backend's tests. It
// holds windows and screens as KWin would, says hello when it starts, carries out each batch it
// is answered with the way the script does (commands in order, unknown windows skipped), and
// acknowledges it with a `changed` event for every window a command named. It runs on a virtual
// clock the backend reads: waiting for a message that never comes moves the clock by the whole
// timeout, so a test can tell exactly how long the backend would have waited.
//
// Morvanta's own windows (`border`, `place`) are found by process and caption prefix as the
// script finds them: the ring window leaves the reported windows (a `removed` event) and follows
// the window it surrounds; a placed window goes centred on the screen under `cursor`.
//
// How it answers: `prompt` carries a batch out when answered; `lazy` only when the backend waits
// for a message (so a backend that does not wait sees nothing done); `dead` never (a script that
// hangs, or whose KWin froze).
#pragma once

#include "ax/kwin/kwin_channel.h"
#include "core/geometry.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace morvanta::testing {

struct FakeKWinWindow {
    std::string id{};
    std::int32_t pid = 0;
    std::string caption{};
    std::string resourceClass = "app";
    bool normal = true, dialog = false, transient = false, skipTaskbar = false, special = false;
    bool minimized = false, fullScreen = false;
    Rect frame{};
    std::optional<Size> sizeIncrement{};
    std::int64_t stacking = 0;
    // A Wayland window: a new size asked of it is taken when its program answers, after the
    // batch's acknowledgement (on the backend's next wait), reported as a change of its own.
    // `smallest` is the least its program accepts. Its program answers each request in order,
    // `answerDelay` after the batch on the virtual clock (a loaded machine).
    bool resizesLater = false;
    Size smallest{};
    std::chrono::milliseconds answerDelay{0};
    // KWin places a window that has just appeared once more after the first frame asked of it:
    // that request is dropped, and the window goes here (its own frame: nothing moves at all).
    std::optional<Rect> placedAfterFirstFrame{};
};

struct FakeKWinScreen {
    std::string name;
    Rect geometry, area;
    std::string serial;
};

class FakeKWinScript final : public KWinChannel {
public:
    enum class Mode { prompt, lazy, dead };

    FakeKWinScript();
    ~FakeKWinScript() override;

    // The desktop. Changes made while the script runs are reported as the script would.
    void addScreen(FakeKWinScreen screen);
    void setScreens(std::vector<FakeKWinScreen> screens);
    std::string openWindow(FakeKWinWindow window, bool activate = true);
    void closeWindow(const std::string& id);
    // A whole move in one message, or one step at a time (each a message, as the script's
    // Reports are); the pointer goes with each step.
    void userMove(const std::string& id, const Rect& frame);
    void userMoveStart(const std::string& id, Point pointer);
    void userMoveStep(const std::string& id, const Rect& frame, Point pointer);
    void userMoveEnd(const std::string& id, Point pointer);
    void userActivate(const std::optional<std::string>& id);
    void userMinimize(const std::string& id, bool on);
    FakeKWinWindow& window(const std::string& id) { return windows_.at(id); }
    const std::map<std::string, FakeKWinWindow>& windows() const { return windows_; }
    std::optional<std::string> active() const { return active_; }
    // Morvanta's ring window once a border command found it; its frame follows the window named.
    const std::optional<FakeKWinWindow>& ring() const { return ring_; }
    Point cursor{};

    // The script's life: start sends hello with a new token. A loss tells the backend
    // (onScriptLost) as the channel does, dropping what was not read yet. A KWin restart is a
    // loss and a new start; the windows keep their internalIds, or, as when KWin itself restarts,
    // get new ones (answered: each old id with its new one).
    void start();
    void loseScript();
    std::map<std::string, std::string> restartKWin(bool newIds = false);
    Mode mode = Mode::prompt;
    bool open = true;

    // Sends a raw text as the script's message (hostile input).
    void sendRaw(std::string text);
    // Carries out the batches waiting in lazy mode.
    void carryOut();
    // Time passes with no one waiting: programs answer the sizes that fall due meanwhile.
    void passTime(std::chrono::milliseconds time);

    // What the backend sent: every answer with commands, in order.
    std::vector<nlohmann::json> batches;
    std::chrono::steady_clock::time_point now() const { return now_; }
    std::chrono::milliseconds waited{0}; // in waitForMessage, on the virtual clock
    std::string token() const { return token_; }

    void answer(std::string message) override;
    void dispatchPending() override;
    bool waitForMessage(std::chrono::milliseconds timeout) override;
    int eventDescriptor() const override { return readable_; }
    bool isOpen() const override { return open; }

private:
    nlohmann::json record(const FakeKWinWindow& window) const;
    nlohmann::json screenList() const;
    void send(nlohmann::json events, std::optional<std::uint64_t> ack = std::nullopt);
    void execute(const nlohmann::json& batch);
    void raise(FakeKWinWindow& window);
    void executeOwn(const nlohmann::json& command, nlohmann::json& events);
    std::optional<std::string> findOwn(const nlohmann::json& command) const;
    void followWithRing();
    bool running() const { return !token_.empty() && mode != Mode::dead; }
    void deliverAll();
    // The programs' answers to the sizes asked of resizesLater windows.
    void answerResizes();

    std::map<std::string, FakeKWinWindow> windows_;
    std::vector<std::string> order_; // the windows' ids, oldest first, as KWin lists them
    std::vector<FakeKWinScreen> screens_;
    std::optional<std::string> active_;
    std::optional<FakeKWinWindow> ring_;
    std::string ringAround_;
    double ringOutset_ = 0;
    std::string token_;
    int instances_ = 0;
    int nextWindow_ = 1;
    std::int64_t topStacking_ = 0;
    bool helloDue_ = false;
    std::deque<nlohmann::json> held_; // batches answered, not yet carried out
    // A frame asked of a resizesLater window, not yet taken, and when its program answers.
    struct Ask {
        std::string id;
        Rect frame;
        std::chrono::steady_clock::time_point due;
    };
    std::deque<Ask> asked_;         // in the order asked
    std::deque<std::string> inbox_; // messages sent, not yet read by the backend
    int readable_ = -1;
    std::chrono::steady_clock::time_point now_{};
};

} // namespace morvanta::testing
