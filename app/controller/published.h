// Published: a value the user interface watches (the menu's workspace number, the running and
// paused switches, the per-display summaries). Observers hear of a write only when it changes
// the value; writing the same value again is silent.
#pragma once

#include <functional>
#include <map>
#include <utility>

namespace morvanta {

template <class T> class Published {
public:
    using Observer = std::function<void(const T&)>;

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
        const auto observers = observers_; // an observer may remove itself
        for (const auto& [token, observer] : observers)
            if (observers_.contains(token))
                observer(value_);
    }

    // Answers a token for removeObserver (never 0).
    int addObserver(Observer observer) {
        const int token = nextToken_++;
        observers_.emplace(token, std::move(observer));
        return token;
    }
    void removeObserver(int token) { observers_.erase(token); }

private:
    T value_{};
    std::map<int, Observer> observers_;
    int nextToken_ = 1;
};

} // namespace morvanta
