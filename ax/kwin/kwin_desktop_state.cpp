#include "ax/kwin/kwin_desktop_state.h"

#include <algorithm>
#include <type_traits>

namespace morvanta {

std::uint32_t KWinDesktopState::numberFor(const std::string& internalId) {
    const auto [it, added] = numbers_.try_emplace(internalId, nextNumber_);
    if (added) {
        internalIds_.emplace(nextNumber_, internalId);
        ++nextNumber_;
    }
    return it->second;
}

const std::string* KWinDesktopState::internalIdOf(std::uint32_t number) const {
    const auto it = internalIds_.find(number);
    return it == internalIds_.end() ? nullptr : &it->second;
}

const KWinDesktopState::Window* KWinDesktopState::find(const std::string& internalId) const {
    const auto it = windows_.find(internalId);
    return it == windows_.end() ? nullptr : &it->second;
}

const KWinDesktopState::Window* KWinDesktopState::findNumber(std::uint32_t number) const {
    const std::string* id = internalIdOf(number);
    return id ? find(*id) : nullptr;
}

const KWinDesktopState::Window* KWinDesktopState::active() const {
    return active_ ? find(*active_) : nullptr;
}

std::vector<Screen> KWinDesktopState::axScreens() const {
    std::vector<Screen> screens;
    for (const auto& s : screens_) {
        // Two monitors of one model may report one serial: a shared identity would merge them.
        const auto sharing =
            std::count_if(screens_.begin(), screens_.end(),
                          [&](const auto& other) { return other.serial == s.serial; });
        const bool bySerial = !s.serial.empty() && sharing == 1;
        screens.push_back({s.geometry, s.area, bySerial ? s.serial : s.name, s.name});
    }
    return screens;
}

void KWinDesktopState::upsert(const KWinWindowRecord& record) {
    const auto [order, first] = appeared_.try_emplace(record.id, nextAppearance_);
    if (first)
        ++nextAppearance_;
    Window& window = windows_[record.id];
    window.record = record;
    window.number = numberFor(record.id);
    window.appeared = order->second;
}

void KWinDesktopState::remove(const std::string& internalId) {
    windows_.erase(internalId);
    moving_.erase(internalId);
    if (active_ == internalId)
        active_.reset();
}

std::optional<std::string> KWinDesktopState::sameWindowKey(std::int32_t pid,
                                                           const std::string& resourceClass,
                                                           const std::string& caption) {
    if (pid <= 0)
        return std::nullopt;
    return std::to_string(pid) + '\n' + resourceClass + '\n' + caption;
}

KWinDesktopState::Renames KWinDesktopState::inherit(const KWinHello& hello) {
    // Each key with the windows on each side: one gone, one new.
    std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>> sides;
    std::set<std::string> listed;
    for (const auto& r : hello.windows) {
        listed.insert(r.id);
        if (!numbers_.contains(r.id))
            if (const auto key = sameWindowKey(r.pid, r.resourceClass, r.caption))
                sides[*key].second.push_back(r.id);
    }
    for (const auto& [id, w] : windows_)
        if (!listed.contains(id))
            if (const auto key =
                    sameWindowKey(w.record.pid, w.record.resourceClass, w.record.caption))
                sides[*key].first.push_back(id);
    Renames renames;
    for (const auto& [key, side] : sides) {
        if (side.first.size() != 1 || side.second.size() != 1)
            continue;
        const auto& [from, to] = std::pair(side.first.front(), side.second.front());
        const std::uint32_t number = numbers_.at(from);
        numbers_.erase(from);
        numbers_[to] = number;
        internalIds_[number] = to;
        appeared_[to] = appeared_.at(from);
        appeared_.erase(from);
        renames.emplace_back(from, to);
    }
    return renames;
}

KWinDesktopState::Renames KWinDesktopState::replace(const KWinHello& hello) {
    auto renames = inherit(hello);
    windows_.clear();
    moving_.clear();
    for (const auto& record : hello.windows)
        upsert(record);
    active_ = hello.active;
    screens_ = hello.screens;
    return renames;
}

void KWinDesktopState::apply(const KWinEvent& event) {
    std::visit(
        [this](const auto& e) {
            using E = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<E, KWinHello>)
                replace(e);
            else if constexpr (std::is_same_v<E, KWinAdded> || std::is_same_v<E, KWinChanged>)
                upsert(e.window);
            else if constexpr (std::is_same_v<E, KWinRemoved>)
                remove(e.id);
            else if constexpr (std::is_same_v<E, KWinActivated>)
                active_ = e.id;
            else if constexpr (std::is_same_v<E, KWinMoveResize>) {
                if (e.finished)
                    moving_.erase(e.id);
                else if (windows_.contains(e.id))
                    moving_.insert(e.id);
            } else if constexpr (std::is_same_v<E, KWinScreens>)
                screens_ = e.screens;
        },
        event);
}

} // namespace morvanta
