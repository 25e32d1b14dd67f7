#include "app/shell/selftest/self_test_session.h"

namespace morvanta {

namespace {

// Wipes the domain before the settings read it, so nothing of an earlier run takes part.
FilePreferencesDomain& wiped(FilePreferencesDomain& domain) {
    domain.removeDomain();
    return domain;
}

} // namespace

SelfTestSession::SelfTestSession(DesktopBackend& desktop, QtRunLoop& loop, DiagnosticsLog& log)
    : desktop_(desktop), loop_(loop), log_(log),
      domain_(std::string(FilePreferencesDomain::selfTestDomainName), &log) {
    settings_ = std::make_unique<AppSettings>(wiped(domain_));
    controller_ = std::make_unique<TilingController>(desktop.windowSystem(), loop, log, *settings_,
                                                     desktop.controllerDevices(loop));
    selfTest_ = std::make_unique<SelfTest>(*controller_, *settings_, loop, log);
    eventWatch_ = desktop.deliverEvents(loop);
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
