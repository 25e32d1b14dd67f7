// KWinDesktopState: Morvanta's mirror of what the KWin script reported: the windows keyed by
// KWin's internalId, the active window, the screens (the primary first), and the windows the user
// is moving or resizing, with the script's events applied in order. Each internalId gets a small
// numeric id (AXWindow::id) the first time it is seen and keeps it for the life of this object,
// also across script instances, so a reloaded script's hello names the same windows again.
// Numbers are never reused. Plain data: no transport, no news.
#pragma once

#include "ax/kwin/kwin_messages.h"
#include "ax/screen.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace morvanta {

class KWinDesktopState {
public:
    struct Window {
        KWinWindowRecord record;
        std::uint32_t number = 0;
        std::uint64_t appeared = 0; // order of first appearance: older windows lower
    };

    // The window's number, given now if the internalId was never seen.
    std::uint32_t numberFor(const std::string& internalId);
    // Whether the internalId was ever seen.
    bool knows(const std::string& internalId) const { return numbers_.contains(internalId); }
    // The internalId behind a number, whether or not the window still exists.
    const std::string* internalIdOf(std::uint32_t number) const;

    const Window* find(const std::string& internalId) const;
    const Window* findNumber(std::uint32_t number) const;
    const std::map<std::string, Window>& windows() const { return windows_; }
    const Window* active() const;
    const std::vector<KWinScreenRecord>& screens() const { return screens_; }
    // The screens as the controller sees them: the frame is KWin's geometry, the visible frame
    // its maximise area, the identity the serial when there is one that no other screen of the
    // list shares, else the name.
    std::vector<Screen> axScreens() const;
    bool isUserMoving(const std::string& internalId) const { return moving_.contains(internalId); }

    // A hello: the whole truth. Every window, the active one and the screens are replaced;
    // windows seen before keep their numbers and their place in the order of appearance.
    //
    // KWin gives every window a new internalId when it restarts itself. A window the hello no
    // longer lists whose process, class and caption one new window, and only one, shares on
    // each side is taken to be that window: it keeps its number (the controller's workspaces
    // and parked windows follow it). Answers those (old internalId, new internalId) pairs.
    using Renames = std::vector<std::pair<std::string, std::string>>;
    Renames replace(const KWinHello& hello);
    // Any other event; a hello goes to replace. A change of a window not known adds it.
    void apply(const KWinEvent& event);

    // What identifies a window across a KWin restart, when its process is known.
    static std::optional<std::string>
    sameWindowKey(std::int32_t pid, const std::string& resourceClass, const std::string& caption);

private:
    void upsert(const KWinWindowRecord& record);
    Renames inherit(const KWinHello& hello);
    void remove(const std::string& internalId);

    std::map<std::string, Window> windows_;
    std::optional<std::string> active_;
    std::vector<KWinScreenRecord> screens_;
    std::set<std::string> moving_;

    std::unordered_map<std::string, std::uint32_t> numbers_;
    std::unordered_map<std::uint32_t, std::string> internalIds_;
    std::unordered_map<std::string, std::uint64_t> appeared_;
    std::uint32_t nextNumber_ = 1;
    std::uint64_t nextAppearance_ = 1;
};

} // namespace morvanta
