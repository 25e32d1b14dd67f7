#include "ax/x11/x11_facts_memo.h"

namespace morvanta {

void X11FactsMemo::observe(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7f) {
    case XCB_PROPERTY_NOTIFY: {
        const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        const auto entry = entries_.find(property.window);
        if (entry != entries_.end() && textAtoms_.contains(property.atom))
            entry->second.texts.changed();
        if (entry != entries_.end() && hintAtoms_.contains(property.atom))
            entry->second.hints.changed();
        if (!atoms_.contains(property.atom))
            break;
        if (property.atom == markAtom_ && entry != entries_.end() && entry->second.ownMarkNews > 0)
            --entry->second.ownMarkNews; // told already by wroteMark
        else
            changed(property.window);
        break;
    }
    case XCB_MAP_NOTIFY:
        changed(reinterpret_cast<const xcb_map_notify_event_t&>(event).window);
        break;
    case XCB_UNMAP_NOTIFY:
        changed(reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window);
        break;
    case XCB_REPARENT_NOTIFY:
        changed(reinterpret_cast<const xcb_reparent_notify_event_t&>(event).window);
        break;
    case XCB_DESTROY_NOTIFY:
        // A later window may reuse the id; it is watched again when its news is selected.
        entries_.erase(reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window);
        break;
    default:
        break;
    }
}

std::uint64_t X11FactsMemo::news(xcb_window_t window) const {
    const auto entry = entries_.find(window);
    return entry == entries_.end() ? 0 : entry->second.news;
}

void X11FactsMemo::learn(xcb_window_t window, const X11WindowFacts& facts,
                         std::uint64_t newsWhenAsked) {
    const auto entry = entries_.find(window);
    if (entry == entries_.end() || entry->second.news != newsWhenAsked || !facts.exists)
        return;
    entry->second.facts = facts;
    entry->second.known = true;
}

void X11FactsMemo::wroteMark(xcb_window_t window, const std::optional<Rect>& mark) {
    const auto entry = entries_.find(window);
    if (entry == entries_.end())
        return;
    auto& e = entry->second;
    ++e.news;
    // Deleting a mark that is not there brings no news; with the facts unknown, whether it is
    // there is unknown too, and they are read anyway.
    if (!e.known)
        return;
    if (mark || e.facts.mark)
        ++e.ownMarkNews;
    e.facts.mark = mark;
}

const X11WindowFacts* X11FactsMemo::known(xcb_window_t window) const {
    const auto entry = entries_.find(window);
    return entry != entries_.end() && entry->second.known ? &entry->second.facts : nullptr;
}

void X11FactsMemo::changed(xcb_window_t window) {
    const auto entry = entries_.find(window);
    if (entry == entries_.end())
        return;
    ++entry->second.news;
    entry->second.known = false;
    entry->second.ownMarkNews = 0;
}

template <typename Value>
std::uint64_t X11FactsMemo::newsOf(xcb_window_t window, Kept<Value> Entry::*kept) const {
    const auto entry = entries_.find(window);
    return entry == entries_.end() ? 0 : (entry->second.*kept).news;
}

template <typename Value>
void X11FactsMemo::learnKept(xcb_window_t window, Kept<Value> Entry::*kept, const Value& value,
                             std::uint64_t newsWhenAsked) {
    const auto entry = entries_.find(window);
    if (entry == entries_.end() || (entry->second.*kept).news != newsWhenAsked)
        return;
    (entry->second.*kept).value = value;
    (entry->second.*kept).known = true;
}

template <typename Value>
const Value* X11FactsMemo::knownKept(xcb_window_t window, Kept<Value> Entry::*kept) const {
    const auto entry = entries_.find(window);
    if (entry == entries_.end() || !(entry->second.*kept).known)
        return nullptr;
    return &(entry->second.*kept).value;
}

std::uint64_t X11FactsMemo::textsNews(xcb_window_t window) const {
    return newsOf(window, &Entry::texts);
}

void X11FactsMemo::learnTexts(xcb_window_t window, const X11WindowTexts& texts,
                              std::uint64_t newsWhenAsked) {
    learnKept(window, &Entry::texts, texts, newsWhenAsked);
}

const X11WindowTexts* X11FactsMemo::knownTexts(xcb_window_t window) const {
    return knownKept(window, &Entry::texts);
}

std::uint64_t X11FactsMemo::hintsNews(xcb_window_t window) const {
    return newsOf(window, &Entry::hints);
}

void X11FactsMemo::learnHints(xcb_window_t window, const X11WindowHints& hints,
                              std::uint64_t newsWhenAsked) {
    learnKept(window, &Entry::hints, hints, newsWhenAsked);
}

const X11WindowHints* X11FactsMemo::knownHints(xcb_window_t window) const {
    return knownKept(window, &Entry::hints);
}

} // namespace morvanta
