#include "tests/kwin/fake_kwin_script.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <set>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

namespace morvanta::testing {

using nlohmann::json;

namespace {
json rect(const Rect& r) {
    return json::array({r.x, r.y, r.width, r.height});
}
} // namespace

FakeKWinScript::FakeKWinScript() : readable_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

FakeKWinScript::~FakeKWinScript() {
    ::close(readable_);
}

json FakeKWinScript::record(const FakeKWinWindow& w) const {
    json r = {{"id", w.id},
              {"pid", w.pid},
              {"caption", w.caption},
              {"resourceClass", w.resourceClass},
              {"resourceName", w.resourceClass},
              {"desktopFile", ""},
              {"normal", w.normal},
              {"dialog", w.dialog},
              {"transient", w.transient},
              {"skipTaskbar", w.skipTaskbar},
              {"special", w.special},
              {"minimized", w.minimized},
              {"fullScreen", w.fullScreen},
              {"frame", rect(w.frame)},
              {"stacking", w.stacking}};
    if (w.sizeIncrement)
        r["sizeIncrement"] = {w.sizeIncrement->width, w.sizeIncrement->height};
    return r;
}

json FakeKWinScript::screenList() const {
    json list = json::array();
    for (const auto& s : screens_) {
        json screen = {{"name", s.name}, {"geometry", rect(s.geometry)}, {"area", rect(s.area)}};
        if (!s.serial.empty())
            screen["serial"] = s.serial;
        list.push_back(screen);
    }
    return list;
}

void FakeKWinScript::send(json events, std::optional<std::uint64_t> ack) {
    if (!running())
        return;
    if (helloDue_) {
        helloDue_ = false;
        json windows = json::array();
        for (const auto& id : order_)
            windows.push_back(record(windows_.at(id)));
        events.insert(events.begin(), json{{"type", "hello"},
                                           {"api", 6},
                                           {"screens", screenList()},
                                           {"windows", windows},
                                           {"active", active_ ? json(*active_) : json(nullptr)}});
    }
    json message = {{"script", token_}, {"events", std::move(events)}};
    if (ack)
        message["ack"] = *ack;
    inbox_.push_back(message.dump());
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(readable_, &one, sizeof one);
}

void FakeKWinScript::sendRaw(std::string text) {
    inbox_.push_back(std::move(text));
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(readable_, &one, sizeof one);
}

void FakeKWinScript::start() {
    token_ = "token-" + std::to_string(++instances_);
    helloDue_ = true;
    held_.clear();
    send(json::array(), 0);
}

void FakeKWinScript::loseScript() {
    token_.clear();
    held_.clear();
    inbox_.clear();
    if (onScriptLost)
        onScriptLost();
}

std::map<std::string, std::string> FakeKWinScript::restartKWin(bool newIds) {
    loseScript();
    std::map<std::string, std::string> renamed;
    for (auto& id : order_) {
        const std::string fresh = newIds ? "{window-" + std::to_string(nextWindow_++) + "}" : id;
        renamed[id] = fresh;
        auto node = windows_.extract(id);
        node.key() = fresh;
        node.mapped().id = fresh;
        windows_.insert(std::move(node));
        if (active_ == id)
            active_ = fresh;
        id = fresh;
    }
    start();
    return renamed;
}

void FakeKWinScript::addScreen(FakeKWinScreen screen) {
    screens_.push_back(std::move(screen));
    send(json::array({{{"type", "screens"}, {"screens", screenList()}}}));
}

void FakeKWinScript::setScreens(std::vector<FakeKWinScreen> screens) {
    screens_ = std::move(screens);
    send(json::array({{{"type", "screens"}, {"screens", screenList()}}}));
}

std::string FakeKWinScript::openWindow(FakeKWinWindow w, bool activate) {
    if (w.id.empty())
        w.id = "{window-" + std::to_string(nextWindow_++) + "}";
    w.stacking = ++topStacking_;
    const std::string id = w.id;
    windows_[id] = w;
    order_.push_back(id);
    json events = json::array({{{"type", "added"}, {"window", record(w)}}});
    if (activate) {
        active_ = id;
        events.push_back({{"type", "activated"}, {"id", id}});
    }
    send(std::move(events));
    return id;
}

void FakeKWinScript::closeWindow(const std::string& id) {
    windows_.erase(id);
    std::erase(order_, id);
    json events = json::array({{{"type", "removed"}, {"id", id}}});
    if (active_ == id) {
        active_.reset();
        events.push_back({{"type", "activated"}, {"id", nullptr}});
    }
    send(std::move(events));
}

void FakeKWinScript::userMove(const std::string& id, const Rect& frame) {
    auto& w = windows_.at(id);
    w.frame = frame;
    followWithRing();
    send(json::array({{{"type", "moveResizeStarted"}, {"id", id}},
                      {{"type", "changed"}, {"window", record(w)}},
                      {{"type", "moveResizeFinished"}, {"id", id}}}));
}

void FakeKWinScript::userMoveStart(const std::string& id, Point pointer) {
    cursor = pointer;
    send(json::array(
        {{{"type", "moveResizeStarted"}, {"id", id}, {"cursor", {pointer.x, pointer.y}}}}));
}

void FakeKWinScript::userMoveStep(const std::string& id, const Rect& frame, Point pointer) {
    auto& w = windows_.at(id);
    w.frame = frame;
    cursor = pointer;
    followWithRing();
    send(json::array(
        {{{"type", "changed"}, {"window", record(w)}, {"cursor", {pointer.x, pointer.y}}}}));
}

void FakeKWinScript::userMoveEnd(const std::string& id, Point pointer) {
    cursor = pointer;
    send(json::array(
        {{{"type", "moveResizeFinished"}, {"id", id}, {"cursor", {pointer.x, pointer.y}}}}));
}

std::optional<std::string> FakeKWinScript::findOwn(const json& c) const {
    const std::string caption = c.at("caption");
    for (const auto& id : order_) {
        const auto& w = windows_.at(id);
        if (w.pid == c.at("pid").get<std::int32_t>() && w.caption.starts_with(caption))
            return id;
    }
    return std::nullopt;
}

void FakeKWinScript::followWithRing() {
    const auto it = windows_.find(ringAround_);
    if (!ring_ || it == windows_.end())
        return;
    const Rect& f = it->second.frame;
    ring_->frame = {f.x - ringOutset_, f.y - ringOutset_, f.width + 2 * ringOutset_,
                    f.height + 2 * ringOutset_};
}

void FakeKWinScript::executeOwn(const json& c, json& events) {
    const auto own = findOwn(c);
    if (c.at("op") == "place") {
        if (!own || screens_.empty())
            return;
        const FakeKWinScreen* under = &screens_.front();
        for (const auto& s : screens_)
            if (s.geometry.contains(cursor))
                under = &s;
        auto& w = windows_.at(*own);
        w.frame.x = std::round(under->area.x + (under->area.width - w.frame.width) / 2);
        w.frame.y = std::round(under->area.y + c.at("top").get<double>() * under->area.height);
        raise(w);
        active_ = *own;
        events.push_back({{"type", "changed"}, {"window", record(w)}});
        return;
    }
    if (!ring_ && own) {
        ring_ = windows_.at(*own);
        windows_.erase(*own);
        std::erase(order_, *own);
        events.push_back({{"type", "removed"}, {"id", *own}});
    }
    ringAround_ = c.at("around").is_string() ? c.at("around").get<std::string>() : "";
    ringOutset_ = c.at("outset").get<double>();
    const auto& f = c.at("frame");
    if (ring_ && f.is_array())
        ring_->frame = {f[0].get<double>(), f[1].get<double>(), f[2].get<double>(),
                        f[3].get<double>()};
    followWithRing();
}

void FakeKWinScript::userActivate(const std::optional<std::string>& id) {
    active_ = id;
    json events = json::array();
    if (id) {
        auto& w = windows_.at(*id);
        raise(w); // KWin raises what it activates: a change of the window's stacking
        events.push_back({{"type", "changed"}, {"window", record(w)}});
    }
    events.push_back({{"type", "activated"}, {"id", id ? json(*id) : json(nullptr)}});
    send(std::move(events));
}

void FakeKWinScript::userMinimize(const std::string& id, bool on) {
    auto& w = windows_.at(id);
    w.minimized = on;
    send(json::array({{{"type", "changed"}, {"window", record(w)}}}));
}

void FakeKWinScript::raise(FakeKWinWindow& window) {
    window.stacking = ++topStacking_;
}

void FakeKWinScript::answer(std::string message) {
    if (!running())
        return; // a dead script takes nothing; its answers go with it
    json batch = json::parse(message, nullptr, false);
    EXPECT_TRUE(batch.is_object() && batch["batch"].is_number_unsigned() &&
                batch["commands"].is_array())
        << message;
    if (!batch["commands"].empty())
        batches.push_back(batch);
    held_.push_back(std::move(batch));
    if (mode == Mode::prompt)
        carryOut();
}

void FakeKWinScript::carryOut() {
    while (running() && !held_.empty()) {
        const json batch = std::move(held_.front());
        held_.pop_front();
        execute(batch);
    }
}

void FakeKWinScript::execute(const json& batch) {
    json events = json::array();
    std::vector<std::string> named;
    const auto before = active_;
    for (const auto& c : batch["commands"]) {
        const std::string op = c.at("op");
        if (op == "resync") {
            helloDue_ = true;
            continue;
        }
        if (op == "border" || op == "place") {
            executeOwn(c, events);
            continue;
        }
        if (op == "deactivate") {
            active_.reset();
            continue;
        }
        const std::string id = c.at("id");
        const auto it = windows_.find(id);
        if (it == windows_.end())
            continue; // skipped, as the script skips windows it does not know
        auto& w = it->second;
        if (std::ranges::find(named, id) == named.end())
            named.push_back(id);
        if (op == "frame") {
            const auto& f = c.at("frame");
            const Rect frame{f[0].get<double>(), f[1].get<double>(), f[2].get<double>(),
                             f[3].get<double>()};
            const bool asking =
                std::ranges::any_of(asked_, [&](const Ask& a) { return a.id == id; });
            if (w.placedAfterFirstFrame)
                w.frame = *std::exchange(w.placedAfterFirstFrame, std::nullopt);
            else if (w.resizesLater &&
                     (asking || frame.width != w.frame.width || frame.height != w.frame.height))
                asked_.push_back({id, frame, now_ + w.answerDelay});
            else
                w.frame = frame;
        } else if (op == "position") {
            w.frame.x = c.at("point")[0].get<double>();
            w.frame.y = c.at("point")[1].get<double>();
        } else if (op == "minimize") {
            w.minimized = c.at("on").get<bool>();
        } else if (op == "activate") {
            w.minimized = false;
            raise(w);
            active_ = id;
        } else if (op == "raise") {
            raise(w);
        } else {
            ADD_FAILURE() << "unknown command " << c.dump();
        }
    }
    followWithRing();
    for (const auto& id : named)
        events.push_back({{"type", "changed"}, {"window", record(windows_.at(id))}});
    if (active_ != before)
        events.push_back({{"type", "activated"}, {"id", active_ ? json(*active_) : json(nullptr)}});
    send(std::move(events), batch["batch"].get<std::uint64_t>());
}

void FakeKWinScript::deliverAll() {
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(readable_, &count, sizeof count);
    while (!inbox_.empty()) {
        const std::string text = std::move(inbox_.front());
        inbox_.pop_front();
        if (onMessage)
            onMessage(text);
    }
}

void FakeKWinScript::dispatchPending() {
    deliverAll();
}

void FakeKWinScript::answerResizes() {
    json events = json::array();
    std::vector<Ask> due;
    std::erase_if(asked_, [&](Ask& ask) {
        if (ask.due > now_)
            return false;
        due.push_back(std::move(ask));
        return true;
    });
    for (const auto& ask : due) {
        const auto it = windows_.find(ask.id);
        if (it == windows_.end())
            continue;
        auto& w = it->second;
        const Rect taken{ask.frame.x, ask.frame.y, std::max(ask.frame.width, w.smallest.width),
                         std::max(ask.frame.height, w.smallest.height)};
        // A program that keeps its size answers nothing KWin reports.
        if (taken == w.frame)
            continue;
        w.frame = taken;
        events.push_back({{"type", "changed"}, {"window", record(w)}});
    }
    if (!events.empty())
        send(std::move(events));
}

void FakeKWinScript::passTime(std::chrono::milliseconds time) {
    now_ += time;
    if (running())
        answerResizes();
}

bool FakeKWinScript::waitForMessage(std::chrono::milliseconds timeout) {
    if (inbox_.empty() && mode == Mode::lazy)
        carryOut();
    if (inbox_.empty() && running())
        answerResizes();
    // A program answers within the wait: the clock moves on to its answer.
    const auto next = std::ranges::min_element(asked_, {}, &Ask::due);
    if (inbox_.empty() && running() && next != asked_.end() && next->due <= now_ + timeout) {
        const auto until = next->due - now_;
        now_ += std::chrono::ceil<std::chrono::milliseconds>(until);
        waited += std::chrono::ceil<std::chrono::milliseconds>(until);
        answerResizes();
    }
    if (inbox_.empty()) {
        // Nothing will come: the whole timeout passes.
        now_ += timeout;
        waited += timeout;
        return false;
    }
    const auto latency = std::chrono::milliseconds(2);
    now_ += latency;
    waited += latency;
    deliverAll();
    return true;
}

} // namespace morvanta::testing
