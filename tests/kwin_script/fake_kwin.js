// Fake KWin for the bridge script's tests: a workspace of either script API generation (Plasma
// 5.27's clients and screen indices, Plasma 6's windows and Output objects), windows whose setters
// emit their change signals at once as KWin's do, and a session bus that records the script's
// calls, fails the test on a second waiting Poll, and lets the test answer the one that waits.
"use strict";

const assert = require("node:assert");
const {createBridge} = require("../../ax/kwin/script/morvanta-bridge.js");

class Signal {
    constructor() { this.handlers = []; }
    connect(handler) { this.handlers.push(handler); }
    disconnect(handler) {
        assert.ok(this.handlers.includes(handler), "disconnect: not connected");
        this.handlers.splice(this.handlers.indexOf(handler), 1);
    }
    emit(...args) { for (const handler of this.handlers.slice()) handler(...args); }
}

const NAMES = {
    5: {list: "clientList", added: "clientAdded", removed: "clientRemoved",
        activated: "clientActivated", active: "activeClient", screens: "numberScreensChanged",
        moveStarted: "clientStartUserMovedResized", moveFinished: "clientFinishUserMovedResized"},
    6: {list: "windowList", added: "windowAdded", removed: "windowRemoved",
        activated: "windowActivated", active: "activeWindow", screens: "screensChanged",
        moveStarted: "interactiveMoveResizeStarted", moveFinished: "interactiveMoveResizeFinished"},
};
const KWIN = {MaximizeArea: 2, ScreenArea: 7};
let serial = 0;

function fakeWindow(api, props) {
    const n = ++serial;
    // internalId is a QUuid: an object that prints as braced text.
    const uuid = `{00000000-0000-0000-0000-${String(n).padStart(12, "0")}}`;
    const window = {internalId: {toString: () => uuid}, id: uuid, pid: 1000 + n,
        caption: `window ${n}`, resourceClass: "xterm", resourceName: "xterm", normalWindow: true,
        managed: true, stackingOrder: n, basicUnit: {width: 1, height: 1}, beforeFrameSet: null,
        frame: {x: 10, y: 20, width: 300, height: 200}, min: false};
    for (const name of ["frameGeometryChanged", "minimizedChanged", "fullScreenChanged",
        "captionChanged", NAMES[api].moveStarted, NAMES[api].moveFinished])
        window[name] = new Signal();
    Object.defineProperties(window, {
        frameGeometry: {get: () => Object.assign({}, window.frame), set: (rect) => {
            if (window.beforeFrameSet) window.beforeFrameSet();
            window.frame = {x: rect.x, y: rect.y, width: rect.width, height: rect.height};
            window.frameGeometryChanged.emit();
        }},
        minimized: {get: () => window.min, set: (on) => {
            window.min = on;
            window.minimizedChanged.emit();
        }},
    });
    window.setCaption = (caption) => {
        window.caption = caption;
        window.captionChanged.emit();
    };
    return Object.assign(window, props);
}

function fakeWorkspace(api) {
    const names = NAMES[api];
    const workspace = {api, names, windows: [], current: null, raised: [], cursorPos: {x: 5, y: 5},
        currentDesktop: api === 5 ? 1 : {id: "desktop-1"},
        outputs: [{name: "Virtual-1", manufacturer: "Acme", model: "Flat 1", serialNumber: "A1",
            geometry: {x: 0, y: 0, width: 1600, height: 1000},
            area: {x: 0, y: 0, width: 1600, height: 960}}]};
    for (const name of [names.added, names.removed, names.activated, names.screens])
        workspace[name] = new Signal();
    workspace[names.list] = () => workspace.windows.slice();
    Object.defineProperty(workspace, names.active, {get: () => workspace.current, set: (window) => {
        workspace.current = window;
        workspace[names.activated].emit(window);
    }});
    workspace.clientArea = (option, screen, desktop) => {
        assert.strictEqual(desktop, workspace.currentDesktop);
        const output = api === 5 ? workspace.outputs[screen] : screen;
        assert.ok(workspace.outputs.includes(output), "clientArea takes a screen of the workspace");
        return Object.assign({}, option === KWIN.MaximizeArea ? output.area : output.geometry);
    };
    if (api === 5) {
        Object.defineProperty(workspace, "numScreens", {get: () => workspace.outputs.length});
    } else {
        Object.defineProperty(workspace, "screens", {get: () => workspace.outputs});
        workspace.raiseWindow = (window) => {
            workspace.raised.push(window);
            window.stackingOrder = 1 + Math.max(...workspace.windows.map((w) => w.stackingOrder));
        };
    }
    workspace.newWindow = (props) => fakeWindow(api, props);
    workspace.add = (window) => {
        workspace.windows.push(window);
        workspace[names.added].emit(window);
    };
    workspace.remove = (window) => {
        workspace.windows.splice(workspace.windows.indexOf(window), 1);
        workspace[names.removed].emit(window);
    };
    workspace.changeScreens = (outputs) => {
        workspace.outputs = outputs;
        workspace[names.screens].emit();
    };
    return workspace;
}

class FakeBus {
    constructor() {
        this.calls = [];
        this.waiting = null;
    }
    callDBus(service, objectPath, iface, method, argument, callback) {
        assert.deepStrictEqual([service, objectPath, iface], ["org.morvanta.KWinBridge",
            "/org/morvanta/KWinBridge", "org.morvanta.KWinBridge"]);
        const message = JSON.parse(argument);
        this.calls.push({method, message});
        if (method === "Poll") {
            assert.strictEqual(this.waiting, null, "a second Poll while one waits");
            this.waiting = callback;
        } else {
            assert.strictEqual(method, "Report");
            assert.ok(!("ack" in message), "a Report carries no ack");
        }
    }
    // Answers the waiting Poll (an object as JSON, a string as it is); returns the next Poll.
    answer(reply) {
        const callback = this.waiting;
        assert.ok(callback, "no Poll waits");
        this.waiting = null;
        callback(typeof reply === "string" ? reply : JSON.stringify(reply));
        assert.ok(this.waiting, "no new Poll after the answer");
        return this.calls[this.calls.length - 1].message;
    }
    // The events of the Reports sent since the call count `mark`.
    reportedSince(mark) {
        return this.calls.slice(mark).filter((call) => call.method === "Report")
            .flatMap((call) => call.message.events);
    }
}

// A started bridge on a fresh workspace; `windows` are the props of the windows it starts with.
function startBridge(api, windows = [{}, {}]) {
    const workspace = fakeWorkspace(api);
    workspace.windows = windows.map((props) => workspace.newWindow(props));
    const bus = new FakeBus();
    const logs = [];
    const bridge = createBridge({workspace, KWin: KWIN, callDBus: bus.callDBus.bind(bus),
        print: (text) => logs.push(text)});
    const started = bridge.start();
    return {bridge, workspace, bus, logs, started, windows: workspace.windows};
}

module.exports = {startBridge, createBridge};
