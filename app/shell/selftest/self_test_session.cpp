#include "app/shell/selftest/self_test_session.h"

#include "app/controller/run_loop_frame_timer.h"
#include "ax/x11/x11_border_overlay.h"
#include "ax/x11/x11_mouse_monitor.h"
#include "ax/x11/x11_refresh_rate.h"

namespace morvanta {

namespace {

// Wipes the domain before the settings read it, so nothing of an earlier run takes part.
FilePreferencesDomain& wiped(FilePreferencesDomain& domain) {
    domain.removeDomain();
    return domain;
}

} // namespace

SelfTestSession::SelfTestSession(X11WindowSystem& system, QtRunLoop& loop, DiagnosticsLog& log)
    : system_(system), loop_(loop), log_(log),
      domain_(std::string(FilePreferencesDomain::selfTestDomainName), &log) {
    settings_ = std::make_unique<AppSettings>(wiped(domain_));
    ControllerDevices devices;
    devices.border = X11BorderOverlay::create(system);
    devices.mouse = X11MouseMonitor::create(system.sharedConnection());
    auto connection = system.sharedConnection();
    devices.frameTimer = std::make_unique<RunLoopFrameTimer>(
        loop, [connection] { return X11RefreshRate::primaryHz(*connection); });
    controller_ =
        std::make_unique<TilingController>(system, loop, log, *settings_, std::move(devices));
    selfTest_ = std::make_unique<SelfTest>(*controller_, *settings_, loop, log);
    eventWatch_ = loop.watch(system.eventDescriptor(), [&system] { system.dispatchPending(); });
}

SelfTestSession::~SelfTestSession() {
    if (eventWatch_ != 0)
        loop_.cancel(eventWatch_);
    selfTest_.reset();
    if (controller_ && controller_->isRunning().get())
        controller_->stop();
}

void SelfTestSession::start(std::function<void(int status)> finished) {
    selfTest_->run([this, finished = std::move(finished)] {
        const bool clean = selfTest_->completed() && selfTest_->failed() == 0;
        if (finished)
            finished(clean ? 0 : 1);
    });
}

} // namespace morvanta
