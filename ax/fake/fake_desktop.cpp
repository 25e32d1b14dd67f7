#include "ax/fake/fake_desktop.h"

#include "ax/fake/fake_focus_tracker.h"
#include "ax/fake/fake_window_observer.h"
#include "ax/fake/fake_window_system.h"
#include "ax/screen_geometry.h"

#include <algorithm>

namespace morvanta {

namespace {

// Calls `fn` for every listener registered now that is still registered when its turn comes:
// a callback may start or stop listeners.
template <typename T, typename Fn> void forEachListener(std::vector<T*>& listeners, Fn fn) {
    const auto snapshot = listeners;
    for (T* listener : snapshot) {
        if (std::find(listeners.begin(), listeners.end(), listener) != listeners.end())
            fn(*listener);
    }
}

} // namespace

FakeDesktop::FakeDesktop(WindowManagerMode mode)
    : manager_(mode), system_(std::make_unique<FakeWindowSystem>(*this, morvantaPid)) {}

FakeDesktop::~FakeDesktop() = default;

std::unique_ptr<FakeWindowSystem> FakeDesktop::newProcess(std::int32_t ownPid) {
    return std::make_unique<FakeWindowSystem>(*this, ownPid);
}

// --- Screens ---------------------------------------------------------------------------------

Screen FakeDesktop::makeScreen(const std::string& identity, const Rect& frame,
                               std::optional<Rect> visibleFrame) {
    return Screen{frame, visibleFrame.value_or(frame), identity, identity};
}

void FakeDesktop::addScreen(const Screen& screen) {
    screens_.push_back(screen);
    notifyScreens();
}

void FakeDesktop::removeScreen(const std::string& identity) {
    const auto removed =
        std::erase_if(screens_, [&](const Screen& s) { return s.identity == identity; });
    if (removed > 0)
        notifyScreens();
}

void FakeDesktop::changeScreen(const std::string& identity, const Screen& screen) {
    const auto it = std::find_if(screens_.begin(), screens_.end(),
                                 [&](const Screen& s) { return s.identity == identity; });
    if (it == screens_.end())
        return;
    *it = screen;
    notifyScreens();
}

// --- Applications and windows ----------------------------------------------------------------

std::int32_t FakeDesktop::addApp(const std::string& name, const std::string& windowClass) {
    const std::int32_t pid = nextPid_++;
    apps_[pid] = App{name, windowClass, 0};
    return pid;
}

void FakeDesktop::quitApp(std::int32_t pid) {
    std::vector<std::uint32_t> ids;
    for (const auto& [id, w] : windows_) {
        if (w.pid == pid)
            ids.push_back(id);
    }
    if (ids.empty())
        return;
    for (const auto id : ids)
        removeWindow(id);
    notifyWindows(ids.front(), pid, Change::closed);
    if (focused_ && std::find(ids.begin(), ids.end(), *focused_) != ids.end())
        refocusAfterLoss(*focused_, true);
}

AXWindow FakeDesktop::openWindow(std::int32_t pid, const std::string& title, const Rect& frame,
                                 const FakeWindowOptions& options) {
    FakeWindow w;
    w.id = nextWindow_++;
    w.pid = pid;
    w.title = title;
    w.options = options;
    w.frame = frame;
    w.iconified = options.minimised;
    w.fullScreen = false;
    auto& app = apps_[pid];
    if (app.launchOrder == 0)
        app.launchOrder = nextLaunch_++;
    const auto id = w.id;
    windows_[id] = w;
    stacking_.push_back(id);
    if (options.fullScreen) {
        auto& stored = windows_[id];
        stored.fullScreen = true;
        stored.frameBeforeFullScreen = frame;
        if (const auto s = ScreenGeometry::screen(screens_, frame))
            stored.frame = s->frame;
    }
    notifyWindows(id, pid, Change::opened);
    if (options.activate && !options.minimised && windows_.contains(id))
        setFocus(id, true);
    return system_->handle(id);
}

void FakeDesktop::closeWindow(const AXWindow& window) {
    const auto id = window.id();
    const auto* w = find(id);
    if (!w)
        return;
    const auto pid = w->pid;
    removeWindow(id);
    notifyWindows(id, pid, Change::closed);
    if (focused_ == id)
        refocusAfterLoss(id, true);
}

void FakeDesktop::minimise(const AXWindow& window) {
    if (const auto* w = find(window.id()); w && !w->iconified)
        iconifyWindow(window.id(), true);
}

void FakeDesktop::unminimise(const AXWindow& window) {
    if (const auto* w = find(window.id()); w && w->iconified)
        deiconifyWindow(window.id(), true);
}

void FakeDesktop::setFullScreen(const AXWindow& window, bool fullScreen) {
    auto* w = find(window.id());
    if (!w || w->fullScreen == fullScreen)
        return;
    const Rect before = w->frame;
    w->fullScreen = fullScreen;
    if (fullScreen) {
        w->frameBeforeFullScreen = w->frame;
        if (const auto s = ScreenGeometry::screen(screens_, w->frame))
            w->frame = s->frame;
    } else {
        w->frame = w->frameBeforeFullScreen;
    }
    notifyWindows(w->id, w->pid, Change::fullScreen);
    frameChanged(window.id(), before);
}

void FakeDesktop::setTitle(const AXWindow& window, const std::string& title) {
    if (auto* w = find(window.id()))
        w->title = title;
}

void FakeDesktop::focus(const AXWindow& window) {
    auto* w = find(window.id());
    if (!w)
        return;
    if (w->iconified)
        deiconifyWindow(w->id, true);
    raiseWindow(window.id());
    setFocus(window.id(), true);
}

void FakeDesktop::clearFocus() {
    setFocus(std::nullopt, true);
}

void FakeDesktop::userMove(const AXWindow& window, Point origin) {
    if (auto* w = find(window.id())) {
        const Rect before = w->frame;
        applyPosition(*w, origin);
        frameChanged(window.id(), before);
    }
}

void FakeDesktop::userResize(const AXWindow& window, Size size) {
    if (auto* w = find(window.id())) {
        const Rect before = w->frame;
        applySize(*w, size);
        frameChanged(window.id(), before);
    }
}

void FakeDesktop::userSetFrame(const AXWindow& window, const Rect& frame) {
    if (auto* w = find(window.id())) {
        const Rect before = w->frame;
        applySize(*w, frame.size());
        applyPosition(*w, frame.origin());
        frameChanged(window.id(), before);
    }
}

// --- Faults ----------------------------------------------------------------------------------

void FakeDesktop::vanishAfter(const AXWindow& window, int calls) {
    if (auto* w = find(window.id()))
        w->callsBeforeVanish = std::max(0, calls);
}

void FakeDesktop::setFrameReadable(const AXWindow& window, bool readable) {
    if (auto* w = find(window.id()))
        w->frameReadable = readable;
}

void FakeDesktop::setTypeReadable(const AXWindow& window, bool readable) {
    if (auto* w = find(window.id()))
        w->typeReadable = readable;
}

void FakeDesktop::setMinimisedReadable(const AXWindow& window, bool readable) {
    if (auto* w = find(window.id()))
        w->minimisedReadable = readable;
}

void FakeDesktop::setMoveFault(const AXWindow& window, MoveFault fault) {
    if (auto* w = find(window.id()))
        w->moveFault = fault;
}

// --- Inspection ------------------------------------------------------------------------------

std::optional<Rect> FakeDesktop::frameOf(const AXWindow& window) const {
    const auto* w = find(window.id());
    return w ? std::optional<Rect>(w->frame) : std::nullopt;
}

bool FakeDesktop::isIconified(const AXWindow& window) const {
    const auto* w = find(window.id());
    return w && w->iconified;
}

std::optional<Rect> FakeDesktop::parkMarkOf(const AXWindow& window) const {
    const auto* w = find(window.id());
    return w ? w->parkMark : std::nullopt;
}

std::optional<AXWindow> FakeDesktop::focusedWindow() const {
    if (!focused_)
        return std::nullopt;
    return system_->handle(*focused_);
}

std::vector<AXWindow> FakeDesktop::stackingOrder() const {
    std::vector<AXWindow> order;
    for (const auto id : stacking_)
        order.push_back(system_->handle(id));
    return order;
}

int FakeDesktop::count(const AXWindow& window, FakeOperation::Kind kind) const {
    return static_cast<int>(
        std::count_if(operations_.begin(), operations_.end(),
                      [&](const auto& op) { return op.window == window.id() && op.kind == kind; }));
}

// --- Internals -------------------------------------------------------------------------------

FakeWindow* FakeDesktop::find(std::uint32_t id) {
    const auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
}

const FakeWindow* FakeDesktop::find(std::uint32_t id) const {
    const auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
}

FakeWindow* FakeDesktop::touch(std::uint32_t id) {
    auto* w = find(id);
    if (!w || !w->callsBeforeVanish)
        return w;
    if (*w->callsBeforeVanish > 0) {
        --*w->callsBeforeVanish;
        return w;
    }
    // Its application closed it just before this call.
    closeWindow(system_->handle(id));
    return nullptr;
}

const FakeDesktop::App* FakeDesktop::runningApp(std::int32_t pid) const {
    const auto it = apps_.find(pid);
    return (it == apps_.end() || it->second.launchOrder == 0) ? nullptr : &it->second;
}

void FakeDesktop::record(FakeOperation::Kind kind, std::uint32_t id, std::optional<Rect> requested,
                         bool succeeded) {
    operations_.push_back(FakeOperation{kind, id, requested, succeeded});
}

void FakeDesktop::applySize(FakeWindow& window, Size size) {
    const Size placed = manager_.placeSize(window, size);
    window.frame.width = placed.width;
    window.frame.height = placed.height;
}

void FakeDesktop::applyPosition(FakeWindow& window, Point origin) {
    const Point placed = manager_.placePosition(window.frame.size(), origin, screens_);
    window.frame.x = placed.x;
    window.frame.y = placed.y;
}

void FakeDesktop::frameChanged(std::uint32_t id, const Rect& before) {
    const auto* w = find(id);
    if (!w || w->frame == before || focused_ != id)
        return;
    forEachListener(trackers_, [](FakeFocusTracker& t) { t.focusedWindowMoved(); });
}

void FakeDesktop::raiseWindow(std::uint32_t id) {
    const auto it = std::find(stacking_.begin(), stacking_.end(), id);
    if (it == stacking_.end())
        return;
    stacking_.erase(it);
    stacking_.push_back(id);
}

void FakeDesktop::setFocus(std::optional<std::uint32_t> id, bool tellObservers) {
    if (focused_ == id)
        return;
    focused_ = id;
    notifyFocus(tellObservers);
}

void FakeDesktop::refocusAfterLoss(std::uint32_t lost, bool tellObservers) {
    std::optional<std::uint32_t> next;
    for (auto it = stacking_.rbegin(); it != stacking_.rend(); ++it) {
        const auto* w = find(*it);
        if (*it != lost && w && !w->iconified) {
            next = *it;
            break;
        }
    }
    focused_.reset();
    if (next)
        focused_ = next;
    notifyFocus(tellObservers);
}

void FakeDesktop::removeWindow(std::uint32_t id) {
    const auto pid = windows_.at(id).pid;
    windows_.erase(id);
    std::erase(stacking_, id);
    const bool lastOfApp = std::none_of(windows_.begin(), windows_.end(),
                                        [&](const auto& entry) { return entry.second.pid == pid; });
    if (lastOfApp)
        apps_[pid].launchOrder = 0;
    for (auto* observer : observers_)
        observer->forgetWindow(id);
}

void FakeDesktop::iconifyWindow(std::uint32_t id, bool tellObservers) {
    auto* w = find(id);
    w->iconified = true;
    if (tellObservers)
        notifyWindows(id, w->pid, Change::minimised);
    if (focused_ == id)
        refocusAfterLoss(id, tellObservers);
}

void FakeDesktop::deiconifyWindow(std::uint32_t id, bool tellObservers) {
    auto* w = find(id);
    w->iconified = false;
    if (tellObservers)
        notifyWindows(id, w->pid, Change::restored);
}

void FakeDesktop::notifyWindows(std::uint32_t id, std::int32_t pid, Change change) {
    const bool needsWatch = change == Change::minimised || change == Change::fullScreen;
    forEachListener(observers_, [&](FakeWindowObserver& o) {
        if (pid == o.ownPid())
            return;
        if (needsWatch && !o.watches(id))
            return;
        o.deliver(WindowObserver::Event::windowsChanged);
    });
}

void FakeDesktop::notifyFocus(bool tellObservers) {
    if (tellObservers) {
        forEachListener(observers_, [](FakeWindowObserver& o) {
            o.deliver(WindowObserver::Event::focusChanged);
        });
    }
    forEachListener(trackers_, [](FakeFocusTracker& t) { t.focusChanged(); });
}

void FakeDesktop::notifyScreens() {
    forEachListener(views_, [](FakeWindowSystem& v) {
        if (v.onScreensChanged)
            v.onScreensChanged();
    });
}

} // namespace morvanta
