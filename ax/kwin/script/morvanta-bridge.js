// morvanta-bridge.js: Morvanta's KWin script. Under KWin (Plasma 5.27 or 6) it does all window
// work on Morvanta's behalf and talks to Morvanta over the session bus, as docs/kwin-bridge.md
// lays down: news goes out with Report, and exactly one Poll waits at all times for Morvanta's
// commands, whose results ride on the next Poll.
//
// The two script API generations differ in names only (clients or windows, screen indices or
// Output objects); a small adapter chosen by what the workspace object offers hides them, so the
// rest of the file is shared. Under node the file only exports createBridge, for the tests.

const BUS_NAME = "org.morvanta.KWinBridge";
const BUS_PATH = "/org/morvanta/KWinBridge";
const BUS_INTERFACE = "org.morvanta.KWinBridge";

// The window signals after which a window's record may read differently.
const WINDOW_CHANGE_SIGNALS = [
    "frameGeometryChanged", "minimizedChanged", "fullScreenChanged", "captionChanged",
    "skipTaskbarChanged", "transientChanged", "desktopFileNameChanged", "windowClassChanged",
];

function isSignal(value) {
    return value !== null && value !== undefined && typeof value.connect === "function";
}

// Connects handler when signal exists; returns what undoes it (a no-op when it did not).
function connectSignal(signal, handler) {
    if (!isSignal(signal)) return function () {};
    signal.connect(handler);
    return function () {
        try {
            signal.disconnect(handler);
        } catch (error) {
            // The sender may already be gone (a closed window); nothing is left to undo.
        }
    };
}

function rectArray(rect) {
    return [Math.round(rect.x), Math.round(rect.y), Math.round(rect.width), Math.round(rect.height)];
}

// Plasma 6: windows, Output objects with names, interactiveMoveResize* signals.
function plasma6Adapter(workspace, kwin) {
    return {
        api: 6,
        windows: function () { return workspace.windowList(); },
        active: function () { return workspace.activeWindow; },
        activate: function (window) { workspace.activeWindow = window; },
        raise: typeof workspace.raiseWindow === "function"
            ? function (window) { workspace.raiseWindow(window); } : null,
        added: workspace.windowAdded,
        removed: workspace.windowRemoved,
        activated: workspace.windowActivated,
        moveResizeStarted: function (window) { return window.interactiveMoveResizeStarted; },
        moveResizeFinished: function (window) { return window.interactiveMoveResizeFinished; },
        screenSignals: ["screensChanged", "screenOrderChanged", "virtualScreenGeometryChanged",
            "currentDesktopChanged"],
        screens: function () {
            const outputs = workspace.screenOrder || workspace.screens || [];
            const list = [];
            for (let i = 0; i < outputs.length; ++i) {
                const output = outputs[i];
                const screen = {
                    name: String(output.name),
                    geometry: rectArray(output.geometry),
                    area: rectArray(workspace.clientArea(kwin.MaximizeArea, output,
                        workspace.currentDesktop)),
                };
                if (typeof output.serialNumber === "string") screen.serial = output.serialNumber;
                if (typeof output.manufacturer === "string") screen.manufacturer = output.manufacturer;
                if (typeof output.model === "string") screen.model = output.model;
                list.push(screen);
            }
            return list;
        },
    };
}

// Plasma 5.27: clients, screens as indices (no names: the index stands in for one),
// clientStart/FinishUserMovedResized, no way to raise a window without activating it.
function plasma5Adapter(workspace, kwin) {
    return {
        api: 5,
        windows: function () { return workspace.clientList(); },
        active: function () { return workspace.activeClient; },
        activate: function (window) { workspace.activeClient = window; },
        raise: typeof workspace.raiseClient === "function"
            ? function (window) { workspace.raiseClient(window); } : null,
        added: workspace.clientAdded,
        removed: workspace.clientRemoved,
        activated: workspace.clientActivated,
        moveResizeStarted: function (window) { return window.clientStartUserMovedResized; },
        moveResizeFinished: function (window) { return window.clientFinishUserMovedResized; },
        screenSignals: ["numberScreensChanged", "screenResized", "virtualScreenGeometryChanged",
            "virtualScreenSizeChanged", "currentDesktopChanged"],
        screens: function () {
            const list = [];
            for (let i = 0; i < workspace.numScreens; ++i) {
                const desktop = workspace.currentDesktop;
                list.push({
                    name: String(i),
                    geometry: rectArray(workspace.clientArea(kwin.ScreenArea, i, desktop)),
                    area: rectArray(workspace.clientArea(kwin.MaximizeArea, i, desktop)),
                });
            }
            return list;
        },
    };
}

// Chooses the adapter by what the workspace offers, not by a version number.
function chooseAdapter(workspace, kwin) {
    if (typeof workspace.windowList === "function" && isSignal(workspace.windowAdded))
        return plasma6Adapter(workspace, kwin);
    if (typeof workspace.clientList === "function" && isSignal(workspace.clientAdded))
        return plasma5Adapter(workspace, kwin);
    return null;
}

function windowId(window) {
    return String(window.internalId);
}

// Menus, tooltips and override-redirect windows come and go with every click and are never
// placed by a window manager: they are no part of the picture Morvanta keeps.
function isListed(window) {
    return window.managed !== false && window.deleted !== true && window.popupWindow !== true;
}

// A window of Morvanta's own, named by its process and the start of its caption. The process
// decides: no other program's window is ever taken for one of Morvanta's.
function isOwnWindow(window, pid, caption) {
    return typeof window.pid === "number" && window.pid === pid &&
        String(window.caption || "").indexOf(caption) === 0;
}

// The ring window's properties: above every ordinary window, in no task bar, switcher or pager,
// on every desktop.
const BORDER_PROPERTIES = {keepAbove: true, skipTaskbar: true, skipSwitcher: true,
    skipPager: true, onAllDesktops: true};

// How long a placement waits for its window to appear, in milliseconds.
const PLACEMENT_WAIT = 2000;

function isSpecial(window) {
    return Boolean(window.specialWindow || window.desktopWindow || window.dock ||
        window.onScreenDisplay || window.notification || window.criticalNotification ||
        window.splash || window.appletPopup || window.outline || window.lockScreen ||
        window.inputMethod || /^kwin(_wayland|_x11)?$/.test(String(window.resourceClass || "")));
}

function windowRecord(window) {
    const record = {
        id: windowId(window),
        pid: typeof window.pid === "number" ? window.pid : 0,
        caption: String(window.caption || ""),
        resourceClass: String(window.resourceClass || ""),
        resourceName: String(window.resourceName || ""),
        desktopFile: String(window.desktopFileName || ""),
        normal: Boolean(window.normalWindow),
        dialog: Boolean(window.dialog),
        transient: Boolean(window.transient),
        skipTaskbar: Boolean(window.skipTaskbar),
        special: isSpecial(window),
        minimized: Boolean(window.minimized),
        fullScreen: Boolean(window.fullScreen),
        frame: rectArray(window.frameGeometry),
    };
    const unit = window.basicUnit;
    if (unit && (unit.width > 1 || unit.height > 1)) record.sizeIncrement = [unit.width, unit.height];
    record.stacking = typeof window.stackingOrder === "number" ? window.stackingOrder : 0;
    return record;
}

function isFiniteNumber(value) {
    return typeof value === "number" && isFinite(value);
}

function isNumberArray(value, length) {
    return Array.isArray(value) && value.length === length && value.every(isFiniteNumber);
}

function isFrame(value) {
    return isNumberArray(value, 4) && value[2] > 0 && value[3] > 0;
}

// The fields every command on one of Morvanta's own windows needs; a text when one is wrong.
function checkOwnWindow(command) {
    const op = command.op;
    if (!Number.isInteger(command.pid) || command.pid <= 0) return op + " needs a positive pid";
    if (typeof command.caption !== "string" || command.caption === "")
        return op + " needs a caption";
    if (op === "place")
        return isFiniteNumber(command.top) && command.top >= 0 && command.top <= 1 ? null
            : "place needs a top from 0 to 1";
    if (command.frame !== null && !isFrame(command.frame))
        return "border needs a frame [x, y, w, h] with a positive size, or null";
    if (command.around !== null && typeof command.around !== "string")
        return "border needs a text around, or null";
    if (!isFiniteNumber(command.outset) || command.outset < 0)
        return "border needs an outset of 0 or more";
    return null;
}

// Reads one command strictly: {op, id, …} with every field of its op of the right type and the
// window known. Returns the command or a text saying why it is dropped.
function checkCommand(command, known) {
    if (command === null || typeof command !== "object" || Array.isArray(command))
        return "not an object";
    const op = command.op;
    if (op === "resync" || op === "deactivate") return command;
    if (op === "border" || op === "place") return checkOwnWindow(command) || command;
    if (["frame", "position", "minimize", "activate", "raise"].indexOf(op) < 0)
        return "unknown op " + JSON.stringify(op);
    if (typeof command.id !== "string") return op + " without a text id";
    if (!known(command.id)) return op + " names an unknown window " + command.id;
    if (op === "frame" && !isFrame(command.frame))
        return "frame needs [x, y, w, h] with a positive size";
    if (op === "position" && !isNumberArray(command.point, 2)) return "position needs [x, y]";
    if (op === "minimize" && typeof command.on !== "boolean") return "minimize needs a boolean on";
    return command;
}

function makeToken(random) {
    const digits = "0123456789abcdefghijklmnopqrstuvwxyz";
    let token = "";
    for (let i = 0; i < 16; ++i) token += digits[Math.floor(random() * digits.length)];
    return token;
}

// The bridge over the given globals: {workspace, callDBus, KWin, print[, random]}.
function createBridge(globals) {
    const workspace = globals.workspace;
    const callDBus = globals.callDBus;
    const log = function (text) { globals.print("morvanta-bridge: " + text); };
    const adapter = chooseAdapter(workspace, globals.KWin);
    const token = makeToken(globals.random || Math.random);

    const tracked = new Map(); // id → {window, undo: [functions]}
    const lastSent = new Map(); // id → the record text Morvanta has last seen
    let lastScreens = "";
    let lastActive = null;
    let activeBefore = null; // the window active before lastActive: the ring may have been that
    let ack = 0;
    let polling = false;
    let helloDue = true;
    let suppressed = null; // ids named by the batch being carried out
    const moving = new Set(); // ids of the windows the user moves or resizes now
    let border = null; // the last border command: {pid, caption, frame, around, outset}
    let borderWindow = null; // Morvanta's ring window, once found
    let placements = []; // place commands waiting for their window: {pid, caption, top, until}

    function send(method, message, callback) {
        const text = JSON.stringify(message);
        if (callback) callDBus(BUS_NAME, BUS_PATH, BUS_INTERFACE, method, text, callback);
        else callDBus(BUS_NAME, BUS_PATH, BUS_INTERFACE, method, text);
    }

    function report(event) {
        send("Report", {script: token, events: [event]});
    }

    function cursor() {
        const point = workspace.cursorPos;
        if (!point || !isFiniteNumber(point.x) || !isFiniteNumber(point.y)) return null;
        return [Math.round(point.x), Math.round(point.y)];
    }

    // With the pointer where the script can read it.
    function withCursor(event) {
        const point = cursor();
        if (point) event.cursor = point;
        return event;
    }

    // Morvanta's ring window is its own business: it is placed here, never reported.
    function isBorder(window) {
        return (borderWindow !== null && windowId(window) === windowId(borderWindow)) ||
            (border !== null && isOwnWindow(window, border.pid, border.caption));
    }

    function isReported(window) {
        return isListed(window) && !isBorder(window);
    }

    function recordNow(id) {
        const record = windowRecord(tracked.get(id).window);
        lastSent.set(id, JSON.stringify(record));
        return record;
    }

    function activeId() {
        const window = adapter.active();
        if (!window) return null;
        const id = windowId(window);
        return tracked.has(id) ? id : null;
    }

    function track(window) {
        const id = windowId(window);
        if (tracked.has(id) || !isReported(window)) return null;
        const undo = WINDOW_CHANGE_SIGNALS.map(function (name) {
            return connectSignal(window[name], function () { onWindowChanged(id); });
        });
        undo.push(connectSignal(adapter.moveResizeStarted(window),
            function () { onUserMoveResize("moveResizeStarted", id); }));
        undo.push(connectSignal(adapter.moveResizeFinished(window),
            function () { onUserMoveResize("moveResizeFinished", id); }));
        tracked.set(id, {window: window, undo: undo});
        return id;
    }

    function untrack(id) {
        tracked.get(id).undo.forEach(function (undo) { undo(); });
        tracked.delete(id);
        lastSent.delete(id);
    }

    function hello() {
        const present = new Set();
        const listed = adapter.windows();
        for (let i = 0; i < listed.length; ++i) {
            if (!isReported(listed[i])) continue;
            track(listed[i]);
            present.add(windowId(listed[i]));
        }
        Array.from(tracked.keys()).forEach(function (id) { if (!present.has(id)) untrack(id); });
        const screens = adapter.screens();
        lastScreens = JSON.stringify(screens);
        lastActive = activeId();
        return {type: "hello", api: adapter.api, screens: screens,
            windows: Array.from(tracked.keys()).map(recordNow), active: lastActive};
    }

    function poll(events) {
        if (polling) throw new Error("a Poll is already waiting");
        if (helloDue) {
            events.push(hello());
            helloDue = false;
        }
        polling = true;
        send("Poll", {script: token, ack: ack, events: events}, onAnswer);
    }

    function onWindowChanged(id) {
        if (!tracked.has(id)) return;
        followWithBorder(id);
        if (suppressed && suppressed.has(id)) return;
        const record = windowRecord(tracked.get(id).window);
        const text = JSON.stringify(record);
        if (lastSent.get(id) === text) return;
        lastSent.set(id, text);
        const event = {type: "changed", window: record};
        report(moving.has(id) ? withCursor(event) : event);
        if (record.special) checkScreens();
    }

    function onUserMoveResize(type, id) {
        if (type === "moveResizeStarted") moving.add(id);
        else moving.delete(id);
        if (tracked.has(id) && !(suppressed && suppressed.has(id)))
            report(withCursor({type: type, id: id}));
    }

    function placeBorder() {
        if (!borderWindow || !border || !border.frame) return;
        const f = border.frame;
        const now = borderWindow.frameGeometry;
        if (now && now.x === f[0] && now.y === f[1] && now.width === f[2] && now.height === f[3])
            return;
        borderWindow.frameGeometry = {x: f[0], y: f[1], width: f[2], height: f[3]};
    }

    // The ring stays on the window it surrounds, in the same frame as the window moves.
    function followWithBorder(id) {
        if (!border || border.around !== id) return;
        const f = tracked.get(id).window.frameGeometry;
        const o = border.outset;
        border.frame = [f.x - o, f.y - o, f.width + 2 * o, f.height + 2 * o];
        placeBorder();
    }

    // Takes the window as Morvanta's ring: out of the reported windows (told as removed, into
    // `events`), above the others, out of every list, and never the active window.
    function adoptBorder(window, events) {
        const id = windowId(window);
        if (tracked.has(id)) {
            untrack(id);
            events.push({type: "removed", id: id});
        }
        borderWindow = window;
        Object.keys(BORDER_PROPERTIES).forEach(function (name) {
            try {
                window[name] = BORDER_PROPERTIES[name];
            } catch (error) {
                log("the ring window keeps its " + name + ": " + error);
            }
        });
        const active = adapter.active();
        if (active && windowId(active) === id) giveActivationBack();
    }

    // KWin activates a window that appears, the ring too (perhaps before Morvanta's command
    // made it the ring, when it was still reported): the ring must never keep the activation.
    function giveActivationBack() {
        const back = [lastActive, activeBefore].filter(function (id) {
            return id !== null && tracked.has(id);
        })[0];
        if (back !== undefined) adapter.activate(tracked.get(back).window);
    }

    function findOwnWindows(pid, caption) {
        return adapter.windows().filter(function (window) {
            return isListed(window) && isOwnWindow(window, pid, caption);
        });
    }

    // A placement never takes the ring, whatever caption it names.
    function findPlaceable(pid, caption) {
        return findOwnWindows(pid, caption).filter(function (window) { return !isBorder(window); });
    }

    function setBorder(command, events) {
        border = {pid: command.pid, caption: command.caption, frame: command.frame,
            around: tracked.has(command.around) ? command.around : null, outset: command.outset};
        if (!borderWindow) {
            const found = findOwnWindows(command.pid, command.caption);
            if (found.length > 0) adoptBorder(found[0], events);
        }
        if (border.around !== null && border.frame) followWithBorder(border.around);
        else placeBorder();
    }

    function screenUnderPointer() {
        const screens = adapter.screens();
        const point = cursor();
        const under = point && screens.filter(function (screen) {
            const g = screen.geometry;
            return point[0] >= g[0] && point[0] < g[0] + g[2] && point[1] >= g[1] &&
                point[1] < g[1] + g[3];
        })[0];
        return under || screens[0] || null;
    }

    // Qt on Wayland can neither place, raise nor focus its window: the panel goes where it
    // belongs, above the others, with the keyboard.
    function placeOwnWindow(window, top) {
        const screen = screenUnderPointer();
        if (!screen) return;
        const area = screen.area;
        const now = window.frameGeometry;
        window.frameGeometry = {x: Math.round(area[0] + (area[2] - now.width) / 2),
            y: Math.round(area[1] + top * area[3]), width: now.width, height: now.height};
        window.keepAbove = true;
        adapter.activate(window);
    }

    // Places the window now when it is there, and once more should it appear a moment later.
    function setPlacement(command) {
        findPlaceable(command.pid, command.caption).forEach(function (window) {
            placeOwnWindow(window, command.top);
        });
        const now = Date.now();
        placements = placements.filter(function (p) { return p.until > now; });
        placements.push({pid: command.pid, caption: command.caption, top: command.top,
            until: now + PLACEMENT_WAIT});
    }

    function placeIfWaited(window) {
        const now = Date.now();
        placements = placements.filter(function (p) { return p.until > now; });
        const index = placements.findIndex(function (p) {
            return isOwnWindow(window, p.pid, p.caption);
        });
        if (index < 0) return;
        placeOwnWindow(window, placements[index].top);
        placements.splice(index, 1);
    }

    function onAdded(window) {
        if (isListed(window) && isBorder(window)) {
            if (!borderWindow) adoptBorder(window, []);
            placeBorder();
            return;
        }
        placeIfWaited(window);
        const id = track(window);
        if (id === null) return;
        report({type: "added", window: recordNow(id)});
        checkScreens();
    }

    function onRemoved(window) {
        if (borderWindow !== null && windowId(window) === windowId(borderWindow))
            borderWindow = null;
        const id = windowId(window);
        if (!tracked.has(id)) return;
        untrack(id);
        report({type: "removed", id: id});
        checkScreens();
    }

    // Activation during a batch is told in the batch's answer, after its changed records.
    function onActivated() {
        const window = adapter.active();
        if (window && isBorder(window)) {
            giveActivationBack();
            return;
        }
        if (suppressed) return;
        const id = activeId();
        if (id === lastActive) return;
        activeBefore = lastActive;
        lastActive = id;
        report({type: "activated", id: id});
    }

    // A panel that comes, goes or moves changes the usable area without a screen signal.
    function checkScreens() {
        const screens = adapter.screens();
        const text = JSON.stringify(screens);
        if (text === lastScreens) return;
        lastScreens = text;
        report({type: "screens", screens: screens});
    }

    function carryOut(command) {
        const window = tracked.get(command.id).window;
        if (command.op === "frame") {
            const f = command.frame;
            window.frameGeometry = {x: f[0], y: f[1], width: f[2], height: f[3]};
        } else if (command.op === "position") {
            const now = window.frameGeometry;
            window.frameGeometry = {x: command.point[0], y: command.point[1],
                width: now.width, height: now.height};
        } else if (command.op === "minimize") {
            window.minimized = command.on;
        } else if (command.op === "activate") {
            adapter.activate(window);
        } else if (command.op === "raise") {
            if (!adapter.raise) return false;
            adapter.raise(window);
        }
        return true;
    }

    // Carries out one batch's commands in order and returns the events of its answer.
    function applyBatch(commands) {
        const valid = [];
        commands.forEach(function (command, index) {
            const checked = checkCommand(command, function (id) { return tracked.has(id); });
            if (typeof checked === "string") log("command " + index + " dropped: " + checked);
            else valid.push(checked);
        });
        suppressed = new Set(valid.map(function (command) { return command.id; }));
        const named = [];
        const own = []; // events of Morvanta's own windows: the ring leaving the reported ones
        valid.forEach(function (command) {
            if (command.op === "resync") {
                helloDue = true;
                return;
            }
            if (command.op === "deactivate") {
                try {
                    adapter.activate(null);
                } catch (error) {
                    log("deactivate failed: " + error);
                }
                return;
            }
            if (command.op === "border" || command.op === "place") {
                try {
                    if (command.op === "border") setBorder(command, own);
                    else setPlacement(command);
                } catch (error) {
                    log(command.op + " failed: " + error);
                }
                return;
            }
            if (!tracked.has(command.id)) return;
            try {
                if (!carryOut(command)) {
                    log(command.op + " is not available in this KWin; " + command.id + " left as is");
                    return;
                }
            } catch (error) {
                log(command.op + " on " + command.id + " failed: " + error);
                return;
            }
            if (named.indexOf(command.id) < 0) named.push(command.id);
        });
        suppressed = null;
        const events = own.concat(named.filter(function (id) { return tracked.has(id); })
            .map(function (id) { return {type: "changed", window: recordNow(id)}; }));
        const active = activeId();
        if (active !== lastActive) {
            activeBefore = lastActive;
            lastActive = active;
            events.push({type: "activated", id: active});
        }
        return events;
    }

    // Reads an answer strictly and carries out its commands; returns the events of the next Poll
    // (none when the whole answer is dropped).
    function readAnswer(text) {
        let answer;
        try {
            answer = JSON.parse(text);
        } catch (error) {
            log("answer dropped: not JSON");
            return [];
        }
        if (answer === null || typeof answer !== "object" || !Number.isInteger(answer.batch) ||
            answer.batch < 0 || !Array.isArray(answer.commands)) {
            log("answer dropped: it needs a batch number and a list of commands");
            return [];
        }
        if (answer.batch === 0) {
            if (answer.commands.length > 0) log("heartbeat with commands: commands dropped");
            return [];
        }
        const events = applyBatch(answer.commands);
        ack = answer.batch;
        return events;
    }

    // Whatever goes wrong with one answer, the next Poll still goes out: without it Morvanta
    // would take the script for lost.
    function onAnswer(text) {
        polling = false;
        let events = [];
        try {
            events = readAnswer(text);
        } catch (error) {
            suppressed = null;
            log("answer failed: " + error);
        }
        poll(events);
    }

    function start() {
        if (!adapter) {
            log("this KWin offers neither windowList nor clientList; not started");
            return false;
        }
        connectSignal(adapter.added, onAdded);
        connectSignal(adapter.removed, onRemoved);
        connectSignal(adapter.activated, onActivated);
        adapter.screenSignals.forEach(function (name) {
            connectSignal(workspace[name], checkScreens);
        });
        poll([]);
        return true;
    }

    return {start: start, token: token, api: adapter ? adapter.api : 0};
}

if (typeof module !== "undefined" && module.exports) {
    module.exports = {createBridge: createBridge};
} else {
    createBridge({workspace: workspace, callDBus: callDBus, KWin: KWin, print: print}).start();
}
