// SelfTestSession: the program in self-test mode. It wipes the self-test preferences domain so
// every run starts from the defaults, builds the settings over it and the tiling controller
// over the given desktop (with its focus border, mouse monitor and frame timer), runs the
// self-test and reports its outcome. No shortcuts, updater or crash reporting
// take part. The application's "--self-test" start and the morvanta-selftest program both use it.
#pragma once

#include "app/controller/tiling_controller.h"
#include "app/desktop/desktop_backend.h"
#include "app/diagnostics/diagnostics_log.h"
#include "app/selftest/self_test.h"
#include "app/settings/app_settings.h"
#include "app/settings/file_preferences_domain.h"
#include "app/shell/run_loop/qt_run_loop.h"

#include <functional>
#include <memory>

namespace morvanta {

class SelfTestSession {
public:
    SelfTestSession(DesktopBackend& desktop, QtRunLoop& loop, DiagnosticsLog& log);
    ~SelfTestSession();
    SelfTestSession(const SelfTestSession&) = delete;
    SelfTestSession& operator=(const SelfTestSession&) = delete;

    // Runs the script; `finished` gets the exit status: 0 when it ran to its end with no
    // failed check, 1 otherwise.
    void start(std::function<void(int status)> finished);

    SelfTest& selfTest() { return *selfTest_; }

private:
    DesktopBackend& desktop_;
    QtRunLoop& loop_;
    DiagnosticsLog& log_;
    FilePreferencesDomain domain_;
    std::unique_ptr<AppSettings> settings_;
    std::unique_ptr<TilingController> controller_;
    std::unique_ptr<SelfTest> selfTest_;
    RunLoop::TaskID eventWatch_ = 0;
};

} // namespace morvanta
