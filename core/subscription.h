// Subscription: the observer's end of an observation. Destroying it (or calling cancel) stops
// the calls; when the observed object has already ended, it does nothing. Windows and views
// hold their subscriptions as members, so whichever of observer and subject ends first, no one
// is left calling into freed memory.
#pragma once

#include <functional>
#include <utility>

namespace morvanta {

class Subscription {
public:
    Subscription() = default;
    // `cancel` ends the observation; it must itself be safe once the subject is gone.
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { cancel(); }

    // Stops the calls now; later calls do nothing.
    void cancel() {
        if (auto cancel = std::exchange(cancel_, {}))
            cancel();
    }
    bool active() const { return static_cast<bool>(cancel_); }

private:
    std::function<void()> cancel_;
};

} // namespace morvanta
