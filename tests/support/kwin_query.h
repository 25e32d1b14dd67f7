// KWinQuery: one question a test puts to a running KWin through a script of its own: the script
// optionally changes one window (its frame, minimised state, activation), then reports every
// window KWin manages and every output, as one JSON text over the bus. This file writes that
// script and reads its report; HeadlessKWin loads, runs and unloads it.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace morvanta::testing {

struct KWinRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const KWinRect&) const = default;
    bool contains(const KWinRect& other) const {
        return other.x >= x && other.y >= y && other.x + other.width <= x + width &&
               other.y + other.height <= y + height;
    }
};
std::ostream& operator<<(std::ostream& out, const KWinRect& rect);

// One window as KWin sees it.
struct KWinWindow {
    std::string id; // KWin's internalId, "{…}"
    std::int64_t pid = 0;
    std::string caption;
    std::string resourceClass; // the X11 class, or a Wayland client's app id
    KWinRect frame;            // frameGeometry: decorations included
    bool minimized = false;
    bool active = false;
    bool normal = false; // an ordinary application window (not a dock, panel, pop-up…)
};
std::ostream& operator<<(std::ostream& out, const KWinWindow& window);

// One output: its geometry, and its maximise area (panels left out).
struct KWinScreen {
    KWinRect geometry;
    KWinRect area;
};

struct KWinState {
    std::vector<KWinWindow> windows;
    std::vector<KWinScreen> screens;
};

class KWinQuery {
public:
    enum class Op { read, frame, minimize, activate };

    // A query that only reads.
    explicit KWinQuery(std::uint64_t token) : token_(token) {}
    static KWinQuery setFrame(std::uint64_t token, const std::string& id, const KWinRect& frame);
    static KWinQuery minimize(std::uint64_t token, const std::string& id, bool on);
    static KWinQuery activate(std::uint64_t token, const std::string& id);

    std::uint64_t token() const { return token_; }
    // The script's text, for KWin 5.27's scripting API (and KWin 6's where the names differ).
    std::string script() const;
    // Whether `report` is this query's (reports of earlier queries may arrive late).
    bool isMine(const std::string& report) const;
    // The state in this query's report; nullopt with `error` set when the script failed (for
    // example, the window named is gone) or the report is malformed.
    std::optional<KWinState> read(const std::string& report, std::string& error) const;

private:
    std::uint64_t token_;
    Op op_ = Op::read;
    std::string id_;
    KWinRect frame_;
    bool on_ = false;
};

} // namespace morvanta::testing
