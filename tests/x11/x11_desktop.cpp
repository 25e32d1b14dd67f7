#include "tests/x11/x11_desktop.h"

#include "ax/screen_geometry.h"
#include "core/layout_presets.h"

namespace morvanta::testing {

X11Desktop::X11Desktop(XvfbOptions options) : server_(std::move(options)) {
    if (!server_.ok())
        return;
    system_ = openSystem();
    client_ = std::make_unique<TestClient>(server_.display());
}

std::unique_ptr<X11WindowSystem> X11Desktop::openSystem(pid_t ownPid) {
    X11Options options;
    options.display = server_.display();
    options.waylandSession = false;
    options.ownPid = ownPid;
    return X11WindowSystem::open(options);
}

std::string X11Desktop::error() const {
    if (!server_.ok())
        return server_.error();
    if (!system_)
        return "could not connect to " + server_.display();
    return "test client did not start";
}

AXWindow X11Desktop::open(const std::string& name, int x, int y, int w, int h) {
    const auto id = client_->open(name, x, y, w, h);
    if (id == 0)
        return {};
    AXWindow window = handle(id);
    if (managed()) {
        // Managed once the window manager has listed it and given it frame extents. Each round
        // also sends the window manager a request: an Openbox that has just started can sit on
        // an event it already read until another one arrives.
        auto& access = system_->x11Access();
        waitFor([&] {
            system_->connection().syncWithWindowManager();
            const auto all = system_->windowList().all();
            return std::find(all.begin(), all.end(), window) != all.end() &&
                   access.frame(window).has_value();
        });
    }
    return window;
}

bool X11Desktop::waitForFrame(const AXWindow& window, const Rect& frame) {
    return waitFor([&] { return window.frame() == frame; });
}

Rect X11Desktop::visibleFrame() {
    return system_->screenSource().screens().front().visibleFrame;
}

bool X11Desktop::isHidden(const AXWindow& window) {
    const auto frame = window.frame();
    if (frame && ScreenGeometry::isParkedPosition(system_->screenSource().screens(), *frame))
        return true;
    auto& access = system_->x11Access();
    return access.parkMark(window) && access.isIconified(window);
}

bool X11Desktop::fillsSlots(const std::vector<AXWindow>& windows, LayoutKind kind) {
    const auto slots = LayoutPresets::frames(static_cast<int>(windows.size()), kind, {}, {},
                                             visibleFrame(), LayoutOptions{});
    std::vector<bool> used(slots.size(), false);
    for (const auto& w : windows) {
        const auto frame = w.frame();
        if (!frame || isHidden(w))
            return false;
        bool found = false;
        for (std::size_t i = 0; i < slots.size() && !found; ++i)
            if (!used[i] && frameMatches(*frame, slots[i], w.sizeIncrement()))
                used[i] = found = true;
        if (!found)
            return false;
    }
    return true;
}

} // namespace morvanta::testing
