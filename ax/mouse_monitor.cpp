#include "ax/mouse_monitor.h"

#include <vector>

namespace morvanta {

int MouseMonitor::addListener(Listener listener) {
    const bool first = listeners_.empty();
    const int id = nextId_++;
    listeners_[id] = std::move(listener);
    if (first)
        setWatching(true);
    return id;
}

void MouseMonitor::removeListener(int id) {
    if (listeners_.erase(id) > 0 && listeners_.empty())
        setWatching(false);
}

void MouseMonitor::deliver(MouseEvent event) {
    std::vector<int> ids;
    for (const auto& entry : listeners_)
        ids.push_back(entry.first);
    for (const int id : ids) {
        const auto it = listeners_.find(id);
        if (it == listeners_.end())
            continue;
        const Listener listener = it->second; // the listener may remove itself
        listener(event);
    }
}

} // namespace morvanta
