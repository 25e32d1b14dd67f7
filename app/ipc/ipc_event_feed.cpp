#include "app/ipc/ipc_event_feed.h"

#include "app/ipc/ipc_reply.h"

#include <utility>

namespace morvanta {

IpcEventFeed::IpcEventFeed(IpcTarget& target, RunLoop& loop, Sink sink)
    : target_(target), loop_(loop), sink_(std::move(sink)) {
    watch_ = target_.watch([this] { changed(); });
    changed();
}

IpcEventFeed::~IpcEventFeed() {
    if (pending_ != 0)
        loop_.cancel(pending_);
}

void IpcEventFeed::changed() {
    if (pending_ == 0)
        pending_ = loop_.after(RunLoop::Duration::zero(), [this] {
            pending_ = 0;
            publish();
        });
}

void IpcEventFeed::publish() {
    IpcState now = target_.state();
    std::vector<std::string> changes;
    if (last_) {
        changes = now.changesSince(*last_);
        if (changes.empty())
            return;
    }
    const std::string line = IpcReply::event(changes, now);
    last_ = std::move(now);
    sink_(line);
}

} // namespace morvanta
