#include "app/controller/layout_applier.h"

#include "app/controller/focus_border.h"
#include "app/controller/summary_publisher.h"

#include <algorithm>
#include <cmath>

namespace morvanta {

namespace {
std::string whole(double value) {
    return std::to_string(static_cast<long long>(std::trunc(value)));
}

// "(x, y w×h)" in truncated whole points, or "?" for a frame that could not be read.
std::string frameText(const std::optional<Rect>& frame) {
    if (!frame)
        return "?";
    // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) about a chain of `+` here.
    std::string text(1, '(');
    for (const auto& [value, after] :
         {std::pair{frame->x, ", "}, std::pair{frame->y, " "}, std::pair{frame->width, "×"},
          std::pair{frame->height, ")"}}) {
        text += whole(value);
        text += after;
    }
    return text;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const auto& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}
} // namespace

std::map<std::string, Screen> LayoutApplier::screensByDisplay() {
    std::map<std::string, Screen> screens;
    for (const auto& screen : state_.screenSnapshot.screens())
        screens.emplace(screen.identity, screen); // the first screen wins
    return screens;
}

LayoutPlan LayoutApplier::plan(const std::map<std::string, Screen>& screens) {
    std::map<DisplayID, Rect> frames;
    for (const auto& [identity, screen] : screens)
        frames.emplace(DisplayID{identity}, ScreenGeometry::axVisibleFrame(screen));
    return state_.manager.plan(frames, state_.frames.minimums(), state_.settings.layoutOptions());
}

LayoutPlan LayoutApplier::currentPlan() {
    return plan(screensByDisplay());
}

LayoutApplier::~LayoutApplier() {
    if (checkTask_ != 0)
        state_.loop.cancel(checkTask_);
    if (strandedRetryTask_ != 0)
        state_.loop.cancel(strandedRetryTask_);
}

void LayoutApplier::apply(bool isRetry) {
    // Every earlier check first (and the retry's check when one learned a minimum): their
    // results may change this plan, and a check read after this apply's requests would compare
    // its windows with targets they no longer have.
    finishCheck();
    if (!state_.isRunning.get() || state_.isPaused.get()) {
        summaries_.publish();
        return;
    }
    const auto held = state_.screenSnapshot.hold();
    const auto screens = screensByDisplay();
    const LayoutPlan layout = plan(screens);
    // The summaries come from the model alone: published before anything is sent, their reads
    // (the pointer, when no display is known) are answered without waiting for the moves.
    summaries_.publish();
    Check check;
    check.isRetry = isRetry;
    // The frames of the windows to hide are asked for first, so their answers come back with
    // the reads of the windows to show instead of after the server has moved those.
    check.parking = prepareParking(layout, screens);
    check.placed = placeVisible(layout);
    restoreFloating(layout);
    state_.parker.sendParking(check.parking);
    if (check.placed.empty() && check.parking.jobs.empty()) {
        border_.update(state_.focus.focused());
        return;
    }
    // The border follows once the moves are done, with the check. Nothing is pending here:
    // finishCheck above ran every earlier check.
    check_ = std::move(check);
    if (state_.system.windowAccess().readsBackAtOnce()) {
        finishCheck();
        return;
    }
    checkTask_ = state_.loop.after(RunLoop::Duration::zero(), [this] {
        checkTask_ = 0;
        finishCheck();
    });
}

void LayoutApplier::focusMoved() {
    summaries_.publish();
    // The border's focus tracker has already moved it to the window now focused.
    if (!border_.followsFocus() && state_.isRunning.get() && !state_.isPaused.get())
        border_.update(state_.focus.focused());
}

void LayoutApplier::finishCheck() {
    // A check that learns a minimum lays out once more, and that retry leaves a check of its
    // own: run until none is left, so no check is ever dropped.
    while (check_)
        runCheck();
}

void LayoutApplier::runCheck() {
    if (checkTask_ != 0) {
        state_.loop.cancel(checkTask_);
        checkTask_ = 0;
    }
    const Check check = std::move(*check_);
    check_.reset();
    const auto held = state_.screenSnapshot.hold();
    state_.system.windowAccess().settle();
    bool stranded = false;
    const auto learned = learnMinimums(check.placed, stranded);
    reportUnhidden(check.parking);
    if (!learned.empty()) {
        state_.log.append("Learned minimum sizes: " + joined(learned) + ".");
        if (!check.isRetry) {
            apply(true); // its own check places the border
            return;
        }
    }
    if (stranded && !check.isRetry)
        retryStranded();
    border_.update(state_.focus.focused());
}

void LayoutApplier::retryStranded() {
    // A window manager that is starting (one replacing another) drops requests for windows it
    // does not manage yet; it has usually taken them over half a second later.
    constexpr auto strandedRetryDelay = std::chrono::milliseconds(500);
    if (strandedRetryTask_ != 0)
        return;
    strandedRetryTask_ = state_.loop.after(strandedRetryDelay, [this] {
        strandedRetryTask_ = 0;
        apply(true);
    });
}

int LayoutApplier::bringBackStranded() {
    if (!state_.isRunning.get() || state_.isPaused.get())
        return 0;
    const auto held = state_.screenSnapshot.hold();
    std::vector<AXWindow> windows;
    std::vector<Rect> targets;
    for (const auto& [id, target] : currentPlan().visible)
        if (const auto window = state_.registry.windowFor(id);
            window && !state_.parker.isParked(*window)) {
            windows.push_back(*window);
            targets.push_back(target);
        }
    const auto frames = state_.system.windowAccess().frames(windows);
    const auto screens = state_.screenSnapshot.screens();
    std::vector<std::pair<AXWindow, Rect>> requests;
    for (std::size_t i = 0; i < windows.size(); ++i)
        if (frames[i] && ScreenGeometry::isOffEveryScreen(screens, *frames[i]))
            requests.emplace_back(windows[i], targets[i]);
    if (!requests.empty())
        state_.system.windowAccess().setFrames(requests);
    return static_cast<int>(requests.size());
}

std::vector<LayoutApplier::Placement> LayoutApplier::placeVisible(const LayoutPlan& layout) {
    std::vector<Placement> toSet, toCheck;
    std::vector<AXWindow> shownAgain;
    for (const auto& [id, target] : layout.visible) {
        const auto window = state_.registry.windowFor(id);
        if (!window)
            continue;
        if (state_.parker.isParked(*window)) {
            // Shown from where it is: its frame is set below, then the parker lets it go.
            shownAgain.push_back(*window);
            toSet.push_back({id, *window, target});
            continue;
        }
        if (state_.frames.isApplied(id, target))
            toCheck.push_back({id, *window, target});
        else
            toSet.push_back({id, *window, target});
    }

    std::vector<std::pair<WindowID, AXWindow>> placed;
    for (const auto& list : {&toSet, &toCheck})
        for (const auto& p : *list)
            placed.emplace_back(p.id, p.window);
    state_.frames.readIncrements(placed);

    // A window whose last target is still its target is set again only when it moved away.
    std::vector<AXWindow> checked;
    for (const auto& p : toCheck)
        checked.push_back(p.window);
    const auto current = state_.system.windowAccess().frames(checked);
    for (std::size_t i = 0; i < toCheck.size(); ++i) {
        const auto& p = toCheck[i];
        if (!current[i] || !state_.frames.atTarget(p.id, p.window, *current[i], p.target))
            toSet.push_back(p);
    }

    std::vector<std::pair<AXWindow, Rect>> requests;
    for (const auto& p : toSet)
        requests.emplace_back(p.window, p.target);
    state_.system.windowAccess().sendFrames(requests);
    // Frames first, then shown: a window manager that animates restoring may drop a frame set
    // while the animation runs, but keeps one set while the window was still minimised.
    state_.parker.forgetAll(shownAgain);
    for (const auto& p : toSet)
        state_.frames.setApplied(p.id, p.target);
    return toSet;
}

std::vector<std::string> LayoutApplier::learnMinimums(const std::vector<Placement>& placed,
                                                      bool& stranded) {
    std::vector<AXWindow> windows;
    for (const auto& p : placed)
        windows.push_back(p.window);
    const auto after = state_.system.windowAccess().frames(windows);
    // A window still to answer refused nothing: its old frame is no minimum.
    const auto answered = state_.system.windowAccess().framesAnswered(windows);
    const auto screens = state_.screenSnapshot.screens();
    std::vector<std::string> learned;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        if (!after[i] || !answered[i])
            continue;
        const auto& p = placed[i];
        if (ScreenGeometry::isOffEveryScreen(screens, *after[i])) {
            stranded = true;
            continue;
        }
        const auto minimum = state_.frames.learnMinimum(p.id, p.window, p.target, *after[i]);
        if (!minimum)
            continue;
        learned.push_back(p.window.description() + " " + whole(minimum->width) + "×" +
                          whole(minimum->height));
    }
    return learned;
}

void LayoutApplier::restoreFloating(const LayoutPlan& layout) {
    std::vector<AXWindow> floating;
    for (const auto id : layout.floating)
        if (const auto window = state_.registry.windowFor(id);
            window && state_.parker.isParked(*window))
            floating.push_back(*window);
    state_.parker.restoreMany(floating);
}

WindowParker::ParkBatch
LayoutApplier::prepareParking(const LayoutPlan& layout,
                              const std::map<std::string, Screen>& screens) {
    std::vector<WindowParker::ParkRequest> requests;
    for (const auto& [id, display] : layout.hidden) {
        const auto window = state_.registry.windowFor(id);
        if (!window || state_.parker.isParked(*window))
            continue;
        std::optional<Screen> screen;
        if (const auto it = screens.find(display.raw); it != screens.end())
            screen = it->second;
        requests.emplace_back(*window, screen);
        state_.frames.forgetApplied(id);
    }
    return state_.parker.prepareParking(requests);
}

void LayoutApplier::reportUnhidden(const WindowParker::ParkBatch& parking) {
    const auto after = state_.parker.confirmParking(parking);
    std::vector<const WindowParker::ParkJob*> answered;
    std::vector<std::pair<AXWindow, Rect>> landed;
    for (const auto& job : parking.jobs) {
        if (after[job.slot]) {
            answered.push_back(&job);
            landed.emplace_back(job.window, *after[job.slot]);
        }
    }
    const auto hidden = state_.parker.areInParkedPosition(landed);
    for (std::size_t k = 0; k < answered.size(); ++k) {
        if (hidden[k])
            continue;
        // The frame read just before parking is the window's saved frame.
        state_.log.append("⚠️ " + answered[k]->window.description() +
                          " didn't hide: " + frameText(answered[k]->before) + " → " +
                          frameText(landed[k].second) + ".");
    }
}

} // namespace morvanta
