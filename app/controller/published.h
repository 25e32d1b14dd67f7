// Published: a value the user interface watches (the menu's workspace number, the running and
// paused switches, the per-display summaries). Observers hear of a write only when it changes
// the value; writing the same value again is silent. An observer holds the Subscription it is
// given: ending it stops the calls, and it stays safe to end after the value itself is gone.
#pragma once

#include "core/observer_list.h"

#include <utility>

namespace morvanta {

template <class T> class Published {
public:
    using Observer = typename ObserverList<T>::Observer;

    Published() = default;
    explicit Published(T value) : value_(std::move(value)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }

    // Stores the value; observers present now are told when it differs from the old one.
    void set(T value) {
        if (value == value_)
            return;
        value_ = std::move(value);
        observers_.notify(value_);
    }

    [[nodiscard]] Subscription addObserver(Observer observer) {
        return observers_.add(std::move(observer));
    }

private:
    T value_{};
    ObserverList<T> observers_;
};

} // namespace morvanta
