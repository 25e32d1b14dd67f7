// ObserverList: the subject's end of an observation. `add` hands back a Subscription that
// removes the observer when it ends; the list's table is shared with those subscriptions only
// weakly, so a subscription that outlives the subject ends quietly instead of touching freed
// memory. Observers may add or remove observers (themselves included) while being told.
#pragma once

#include "core/subscription.h"

#include <functional>
#include <map>
#include <memory>

namespace morvanta {

template <class... Args> class ObserverList {
public:
    using Observer = std::function<void(const Args&...)>;

    ObserverList() = default;
    ObserverList(const ObserverList&) = delete;
    ObserverList& operator=(const ObserverList&) = delete;

    [[nodiscard]] Subscription add(Observer observer) {
        const int token = table_->nextToken++;
        table_->observers.emplace(token, std::move(observer));
        return Subscription([weak = std::weak_ptr<Table>(table_), token] {
            if (const auto table = weak.lock())
                table->observers.erase(token);
        });
    }

    // Tells every observer present now and still present when its turn comes.
    void notify(const Args&... args) const {
        const auto table = table_; // an observer may end the subject's owner
        const auto observers = table->observers;
        for (const auto& [token, observer] : observers)
            if (table->observers.contains(token))
                observer(args...);
    }

    bool empty() const { return table_->observers.empty(); }

private:
    struct Table {
        std::map<int, Observer> observers;
        int nextToken = 1;
    };
    std::shared_ptr<Table> table_ = std::make_shared<Table>();
};

} // namespace morvanta
