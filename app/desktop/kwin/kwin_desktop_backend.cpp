#include "app/desktop/kwin/kwin_desktop_backend.h"

#include "app/controller/run_loop_frame_timer.h"
#include "ax/kwin/kwin_border_overlay.h"
#include "ax/kwin/kwin_mouse_monitor.h"
#include "ax/kwin/kwin_own_window_placer.h"
#include "ax/kwin/kwin_window_system.h"
#include "ax/kwin/sd_bus_kwin_channel.h"
#include "shortcuts/kwin/kglobalaccel_hot_keys.h"

#include <cstdlib>
#include <poll.h>
#include <system_error>

namespace morvanta {

namespace {

// Lines kept for a sink that has not come yet; the rest of a flood is dropped.
constexpr std::size_t maxEarlyLines = 200;

} // namespace

std::filesystem::path KWinDesktopBackend::installedScriptPath() {
    if (const char* chosen = std::getenv(scriptVariable); chosen && *chosen)
        return chosen;
    std::error_code failed;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", failed);
    if (failed)
        return {};
    return (program.parent_path() / ".." / "share" / "morvanta" / "kwin" / "morvanta-bridge.js")
        .lexically_normal();
}

std::unique_ptr<KWinDesktopBackend> KWinDesktopBackend::open(const KWinDesktopOptions& options,
                                                             std::string& error) {
    std::error_code failed;
    if (options.scriptPath.empty() ||
        !std::filesystem::is_regular_file(options.scriptPath, failed)) {
        error = "Morvanta's KWin script is missing" +
                (options.scriptPath.empty() ? std::string()
                                            : " (looked for " + options.scriptPath.string() + ")");
        return nullptr;
    }
    std::unique_ptr<KWinDesktopBackend> backend(new KWinDesktopBackend);
    auto* self = backend.get();
    const auto log = [self](const std::string& line) { self->write(line); };
    SdBusKWinChannel::Options channel;
    channel.scriptPath = options.scriptPath.string();
    channel.log = log;
    backend->channel_ = std::make_unique<SdBusKWinChannel>(std::move(channel));
    if (!backend->channel_->isOpen()) {
        error = backend->channel_->failure();
        return nullptr;
    }
    backend->kwinPresent_ = backend->channel_->kwinPresent();
    KWinOptions system;
    system.stateFile = options.stateFile;
    system.log = log;
    backend->system_ = std::make_unique<KWinWindowSystem>(*backend->channel_, std::move(system));
    backend->placer_ = std::make_unique<KWinOwnWindowPlacer>(*backend->system_);
    if (backend->kwinPresent_ && !backend->waitForHello(options.helloDeadline))
        backend->write("KWin bridge: no hello from the script within " +
                       std::to_string(options.helloDeadline.count()) + " ms; still waiting");
    return backend;
}

KWinDesktopBackend::~KWinDesktopBackend() {
    placer_.reset();
    system_.reset();
    channel_.reset();
}

bool KWinDesktopBackend::waitForHello(std::chrono::milliseconds deadline) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + deadline;
    while (!system_->checkTrust(false)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0)
            return false;
        // The descriptor is readable while messages or queued commands wait, and when one of
        // the channel's deadlines (a reload, a lost script) has come.
        pollfd watched{system_->eventDescriptor(), POLLIN, 0};
        ::poll(&watched, 1, static_cast<int>(left.count()) + 1);
        system_->dispatchPending();
    }
    return true;
}

bool KWinDesktopBackend::live() {
    return system_->checkTrust(false);
}

WindowSystem& KWinDesktopBackend::windowSystem() {
    return *system_;
}

std::unique_ptr<FrameTimer> KWinDesktopBackend::makeFrameTimer(RunLoop& loop) {
    // KWin's scripts do not tell an output's refresh rate: the timer's own 60 Hz it is.
    return std::make_unique<RunLoopFrameTimer>(loop, nullptr);
}

std::unique_ptr<BorderOverlay> KWinDesktopBackend::makeBorderOverlay() {
    if (!borderSurface_)
        return nullptr;
    return std::make_unique<KWinBorderOverlay>(*system_, *borderSurface_);
}

std::unique_ptr<MouseMonitor> KWinDesktopBackend::makeMouseMonitor() {
    return std::make_unique<KWinMouseMonitor>(*system_);
}

std::unique_ptr<GlobalHotKeys> KWinDesktopBackend::makeHotKeys() {
    // KDE's global shortcut service, on its own bus connection: its blocking calls never read
    // the script's messages off the channel's connection.
    return std::make_unique<KGlobalAccelHotKeys>();
}

void KWinDesktopBackend::setLog(LogSink sink) {
    sink_ = std::move(sink);
    if (!sink_)
        return;
    for (const auto& line : std::exchange(early_, {}))
        sink_(line);
}

void KWinDesktopBackend::write(const std::string& line) {
    if (sink_)
        sink_(line);
    else if (early_.size() < maxEarlyLines)
        early_.push_back(line);
}

} // namespace morvanta
