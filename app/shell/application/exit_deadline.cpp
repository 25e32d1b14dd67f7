#include "app/shell/application/exit_deadline.h"

#include <unistd.h>

namespace morvanta {

ExitDeadline::ExitDeadline(std::chrono::milliseconds limit, int status) {
    watcher_ = std::thread([this, limit, status] {
        std::unique_lock lock(mutex_);
        if (done_.wait_for(lock, limit, [this] { return finished_; }))
            return;
        static constexpr char message[] =
            "morvanta: every window is back, but quitting did not finish in time; ending now.\n";
        [[maybe_unused]] const auto written = ::write(STDERR_FILENO, message, sizeof message - 1);
        ::_exit(status);
    });
}

ExitDeadline::~ExitDeadline() {
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    done_.notify_one();
    watcher_.join();
}

} // namespace morvanta
