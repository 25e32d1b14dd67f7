#include "ax/x11/x11_window_system.h"

#include "ax/x11/x11_focus_tracker.h"
#include "ax/x11/x11_window_observer.h"

namespace morvanta {

std::unique_ptr<X11WindowSystem> X11WindowSystem::open(const X11Options& options) {
    auto connection = X11Connection::open(options.display);
    if (!connection)
        return nullptr;
    return std::unique_ptr<X11WindowSystem>(new X11WindowSystem(std::move(connection), options));
}

X11WindowSystem::X11WindowSystem(std::shared_ptr<X11Connection> connection,
                                 const X11Options& options)
    : connection_(std::move(connection)), access_(std::make_shared<X11WindowAccess>(connection_)),
      ownPid_(options.ownPid), accessibility_(connection_, options.waylandSession),
      list_(access_, options.ownPid), numbers_(access_), screens_(access_) {}

std::unique_ptr<WindowObserver> X11WindowSystem::makeWindowObserver() {
    return std::make_unique<X11WindowObserver>(access_);
}

std::unique_ptr<FocusTracker> X11WindowSystem::makeFocusTracker() {
    return std::make_unique<X11FocusTracker>(access_, ownPid_);
}

void X11WindowSystem::sendTogether(const std::function<void()>& work) {
    connection_->holdFlushes();
    work();
    connection_->releaseFlushes();
}

} // namespace morvanta
