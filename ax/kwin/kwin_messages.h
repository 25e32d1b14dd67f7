// KWinMessages: the texts the KWin script and Morvanta exchange (docs/kwin-bridge.md) as plain
// values. Reading is strict and never throws: a message that is not a JSON object with a script
// token is dropped whole; an event with a wrong type, a missing field or a value out of range
// (not finite, beyond a million points, a negative size) is dropped whole and the rest of the
// message stands. Every drop is one line to `log`.
#pragma once

#include "core/geometry.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace morvanta {

using KWinLog = std::function<void(const std::string&)>;

// One window as the script reports it: KWin's `internalId`, its kind, state and frame.
struct KWinWindowRecord {
    std::string id;
    std::int32_t pid = 0;
    std::string caption;
    std::string resourceClass;
    std::string resourceName;
    std::string desktopFile;
    bool normal = true;
    bool dialog = false;
    bool transient = false;
    bool skipTaskbar = false;
    bool special = false;
    bool minimized = false;
    bool fullScreen = false;
    Rect frame;
    std::optional<Size> sizeIncrement;
    std::int64_t stacking = 0; // larger in front

    bool operator==(const KWinWindowRecord&) const = default;
};

struct KWinScreenRecord {
    std::string name;
    Rect geometry;
    Rect area;                               // the maximise area: panels left out
    std::string serial, manufacturer, model; // empty when the script does not give them

    bool operator==(const KWinScreenRecord&) const = default;
};

struct KWinHello {
    int api = 0;
    std::vector<KWinScreenRecord> screens; // the primary first
    std::vector<KWinWindowRecord> windows;
    std::optional<std::string> active;
};
struct KWinAdded {
    KWinWindowRecord window;
};
struct KWinRemoved {
    std::string id;
};
struct KWinChanged {
    KWinWindowRecord window;
    std::optional<Point> cursor{}; // the pointer, while the user moves or resizes this window
};
struct KWinActivated {
    std::optional<std::string> id;
};
struct KWinMoveResize {
    std::string id;
    bool finished = false;         // moveResizeFinished; else moveResizeStarted
    std::optional<Point> cursor{}; // the pointer then, when the script could read it
};
struct KWinScreens {
    std::vector<KWinScreenRecord> screens;
};
using KWinEvent = std::variant<KWinHello, KWinAdded, KWinRemoved, KWinChanged, KWinActivated,
                               KWinMoveResize, KWinScreens>;

struct KWinMessage {
    std::string script;
    std::optional<std::uint64_t> ack; // a Poll's last batch carried out
    std::vector<KWinEvent> events;    // the events that could be read, in order
};

// The largest coordinate or size read; beyond it a value is taken as garbage.
inline constexpr double kwinMaxCoordinate = 1'000'000;
// The largest message read; a longer text is dropped unread.
inline constexpr std::size_t kwinMaxMessageBytes = 16u << 20;

std::optional<KWinMessage> readKWinMessage(std::string_view text, const KWinLog& log);

// One command of a batch. `frame` holds the frame of a frame command and the point of a
// position command (x, y).
//
// The commands on Morvanta's own windows name them by process and caption prefix (KWin gives a
// window of Morvanta's no id Morvanta could know before the script reports it):
// - border: `frame` is the ring window's frame, shown when `on` (else none: the ring is hidden);
//   `id` the window it surrounds (empty: none), whose frame changes the script follows itself,
//   `amount` beyond it on every side;
// - place: the window goes centred on the screen under the pointer, its top `amount` of the
//   usable height below the usable area's top.
struct KWinCommand {
    enum class Op { frame, position, minimize, activate, deactivate, raise, resync, border, place };
    Op op = Op::resync;
    std::string id;
    Rect frame;
    bool on = false;
    std::int32_t pid = 0;
    std::string caption{};
    double amount = 0;

    bool operator==(const KWinCommand&) const = default;
};

// The answer to a Poll: {"batch": n, "commands": [...]}. Frames and points go out in whole
// points, as the X11 backend sends them.
std::string writeKWinBatch(std::uint64_t batch, const std::vector<KWinCommand>& commands);

} // namespace morvanta
