// The KWin bridge script on fake workspaces of both script API generations: hello, news, batches
// carried out in order and acknowledged by one Poll, strict reading, resync and heartbeats.
"use strict";

const {describe, test} = require("node:test");
const assert = require("node:assert");
const {startBridge, createBridge} = require("./fake_kwin.js");

const changedIds = (poll) => poll.events.filter((e) => e.type === "changed").map((e) => e.window.id);

for (const api of [5, 6]) {
    describe(`Plasma ${api}`, () => {
        test("hello: every managed window, special ones too, the screens and the active window", () => {
            const {bus, bridge, started, logs, windows, workspace} = startBridge(api, [
                {caption: "~ — xterm", basicUnit: {width: 6, height: 13}},
                {dock: true, normalWindow: false, skipTaskbar: true},
                {dialog: true, normalWindow: false, transient: true, desktopFileName: "kate"},
                {popupWindow: true}, {managed: false}]);
            assert.deepStrictEqual([started, logs, bus.calls.length], [true, [], 1]);
            const {method, message} = bus.calls[0];
            assert.deepStrictEqual([method, message.script, message.ack], ["Poll", bridge.token, 0]);
            assert.match(message.script, /^[0-9a-z]{16}$/);
            const [hello] = message.events;
            assert.deepStrictEqual([hello.type, hello.api, hello.active], ["hello", api, null]);
            const [xterm, panel, dialog] = windows;
            assert.deepStrictEqual(hello.windows.map((w) => w.id), [xterm.id, panel.id, dialog.id]);
            assert.deepStrictEqual(hello.windows[0], {id: xterm.id, pid: xterm.pid,
                caption: "~ — xterm", resourceClass: "xterm", resourceName: "xterm", desktopFile: "",
                normal: true, dialog: false, transient: false, skipTaskbar: false, special: false,
                minimized: false, fullScreen: false, frame: [10, 20, 300, 200],
                sizeIncrement: [6, 13], stacking: xterm.stackingOrder});
            assert.deepStrictEqual([hello.windows[1].special, "sizeIncrement" in hello.windows[1]],
                [true, false]);
            const d = hello.windows[2];
            assert.deepStrictEqual([d.special, d.dialog, d.normal, d.transient, d.desktopFile],
                [false, true, false, true, "kate"]);
            const screen = {name: api === 5 ? "0" : "Virtual-1", geometry: [0, 0, 1600, 1000],
                area: [0, 0, 1600, 960]};
            if (api === 6) Object.assign(screen, {serial: "A1", manufacturer: "Acme", model: "Flat 1"});
            assert.deepStrictEqual(hello.screens, [screen]);
            workspace[workspace.names.active] = dialog;
            assert.deepStrictEqual(bus.reportedSince(1), [{type: "activated", id: dialog.id}]);
        });

        test("news: added, changed only when the record changes, user moves, activation, removed", () => {
            const {bus, workspace, windows: [other]} = startBridge(api);
            const activate = (window) => { workspace[workspace.names.active] = window; };
            const window = workspace.newWindow({caption: "new"});
            workspace.add(window);
            workspace.add(workspace.newWindow({popupWindow: true}));
            window.setCaption("renamed");
            window.frameGeometry = window.frameGeometry;
            window[workspace.names.moveStarted].emit();
            window.frameGeometry = {x: 50, y: 60, width: 300, height: 200};
            window[workspace.names.moveFinished].emit();
            activate(window);
            activate(window);
            activate(other);
            workspace.remove(window);
            activate(null);
            window.setCaption("after close");
            const events = bus.reportedSince(1);
            assert.deepStrictEqual(events.map((e) => e.type), ["added", "changed", "moveResizeStarted",
                "changed", "moveResizeFinished", "activated", "activated", "removed", "activated"]);
            assert.deepStrictEqual([events[0].window.caption, events[1].window.caption],
                ["new", "renamed"]);
            assert.deepStrictEqual(events[3].window.frame, [50, 60, 300, 200]);
            assert.deepStrictEqual([2, 4, 5, 6, 7, 8].map((i) => events[i].id),
                [window.id, window.id, window.id, other.id, window.id, null]);
            for (const signal of Object.values(window).filter((v) => v && v.handlers))
                assert.strictEqual(signal.handlers.length, 0, "a closed window's signals let go");
        });

        test("screens news: a screen that comes, a panel that takes room as it comes or moves", () => {
            const {bus, workspace} = startBridge(api, []);
            const second = {name: "Virtual-2", geometry: {x: 1600, y: 0, width: 1280, height: 1024},
                area: {x: 1600, y: 0, width: 1280, height: 1024}};
            workspace.changeScreens([workspace.outputs[0], second]);
            let events = bus.reportedSince(1);
            assert.deepStrictEqual(events[0].screens.map((s) => s.name),
                api === 5 ? ["0", "1"] : ["Virtual-1", "Virtual-2"]);
            assert.deepStrictEqual(events[0].screens[1],
                {name: events[0].screens[1].name, geometry: [1600, 0, 1280, 1024],
                    area: [1600, 0, 1280, 1024]});
            second.area = {x: 1600, y: 0, width: 1280, height: 980};
            const panel = workspace.newWindow({dock: true});
            workspace.add(panel);
            second.area = {x: 1600, y: 40, width: 1280, height: 984};
            panel.frameGeometry = {x: 1600, y: 0, width: 1280, height: 40};
            events = bus.reportedSince(2);
            assert.deepStrictEqual(events.map((e) => e.type), ["added", "screens", "changed", "screens"]);
            assert.deepStrictEqual([events[1].screens[1].area, events[3].screens[1].area],
                [[1600, 0, 1280, 980], [1600, 40, 1280, 984]]);
        });

        test("a batch runs in order, holds back news of its windows, and one Poll acks it", () => {
            const {bus, workspace, windows: [one, two, three]} = startBridge(api, [{}, {}, {}]);
            one.beforeFrameSet = () => three.setCaption("renamed meanwhile");
            const mark = bus.calls.length;
            const poll = bus.answer({batch: 1, commands: [
                {op: "frame", id: one.id, frame: [0, 0, 800, 1000]},
                {op: "position", id: one.id, point: [800, 40]},
                {op: "minimize", id: two.id, on: true},
                {op: "activate", id: two.id}]});
            assert.deepStrictEqual(one.frameGeometry, {x: 800, y: 40, width: 800, height: 1000});
            assert.deepStrictEqual([two.minimized, workspace.current], [true, two]);
            assert.deepStrictEqual(bus.calls.slice(mark).map((c) => c.method), ["Report", "Poll"]);
            assert.deepStrictEqual(bus.reportedSince(mark).map((e) => e.window.id), [three.id]);
            assert.deepStrictEqual([poll.ack, changedIds(poll)], [1, [one.id, two.id]]);
            assert.deepStrictEqual(poll.events[0].window.frame, [800, 40, 800, 1000]);
            assert.strictEqual(poll.events[1].window.minimized, true);
            assert.deepStrictEqual(poll.events.slice(2), [{type: "activated", id: two.id}]);
            one.beforeFrameSet = null;
            one.setCaption("later");
            assert.deepStrictEqual(bus.reportedSince(mark + 2).map((e) => e.window.caption), ["later"]);
            // Nothing active afterwards, and the answer says so.
            const none = bus.answer({batch: 2, commands: [{op: "deactivate"}]});
            assert.deepStrictEqual([workspace.current, none.ack, none.events],
                [null, 2, [{type: "activated", id: null}]]);
        });

        test("malformed answers and commands are dropped with a log line; the rest stand", () => {
            const {bus, logs, windows: [one, two]} = startBridge(api);
            for (const bad of ["not json", "null", {commands: []}, {batch: "4", commands: []},
                {batch: 1.5, commands: []}, {batch: 4, commands: {op: "resync"}}])
                assert.deepStrictEqual(bus.answer(bad), {script: bus.calls[0].message.script, ack: 0,
                    events: []});
            assert.strictEqual(logs.length, 6);
            one.beforeFrameSet = () => { throw new Error("frame refused"); };
            const poll = bus.answer({batch: 7, commands: [
                {op: "frame", id: "{no-such-window}", frame: [0, 0, 10, 10]},
                {op: "frame", id: two.id, frame: "0 0 10 10"}, {op: "frame", id: two.id, frame: [0, 0, 10]},
                {op: "frame", id: two.id, frame: [0, 0, 0, 10]}, {op: "position", id: two.id},
                {op: "minimize", id: two.id, on: "yes"}, {op: "minimize", id: 12, on: true},
                {op: "close", id: two.id}, null, [two.id],
                {op: "frame", id: one.id, frame: [0, 0, 50, 50]},
                {op: "position", id: two.id, point: [5, 6]}]});
            assert.deepStrictEqual(two.frameGeometry, {x: 5, y: 6, width: 300, height: 200});
            assert.strictEqual(two.minimized, false);
            assert.deepStrictEqual([poll.ack, changedIds(poll)], [7, [two.id]]);
            assert.strictEqual(logs.length, 6 + 11, logs.join("\n"));
            assert.match(logs[6], /command 0 dropped: frame names an unknown window/);
            assert.match(logs[16], /frame on .* failed: Error: frame refused/);
        });

        test("heartbeats keep the ack; resync sends hello again as the windows are now", () => {
            const {bus, bridge, logs, workspace, windows: [one, two]} = startBridge(api);
            bus.answer({batch: 5, commands: []});
            assert.deepStrictEqual(bus.answer({batch: 0, commands: []}).ack, 5);
            const odd = bus.answer({batch: 0, commands: [{op: "minimize", id: one.id, on: true}]});
            assert.deepStrictEqual([odd.ack, odd.events, one.minimized, logs.length], [5, [], false, 1]);
            // One window KWin lists though its added signal was missed, one it no longer lists.
            const missed = workspace.newWindow();
            workspace.windows = [one, missed];
            const poll = bus.answer({batch: 6, commands: [{op: "resync"}]});
            assert.deepStrictEqual([poll.script, poll.ack], [bridge.token, 6]);
            assert.deepStrictEqual(poll.events.map((e) => e.type), ["hello"]);
            assert.deepStrictEqual(poll.events[0].windows.map((w) => w.id), [one.id, missed.id]);
            const mark = bus.calls.length;
            missed.setCaption("watched now");
            two.setCaption("forgotten");
            assert.deepStrictEqual(bus.reportedSince(mark).map((e) => e.window.id), [missed.id]);
        });
    });
}

test("raise: Plasma 6 raises without activating; 5.27 cannot, and logs it", () => {
    const six = startBridge(6);
    const poll = six.bus.answer({batch: 1, commands: [{op: "raise", id: six.windows[0].id}]});
    assert.deepStrictEqual([six.workspace.raised, six.workspace.current], [[six.windows[0]], null]);
    assert.ok(poll.events[0].window.stacking > six.windows[1].stackingOrder);
    const five = startBridge(5);
    const ack = five.bus.answer({batch: 1, commands: [{op: "raise", id: five.windows[0].id}]});
    assert.deepStrictEqual([ack.ack, ack.events], [1, []]);
    assert.match(five.logs[0], /raise is not available/);
});

test("a workspace that offers neither generation's window list starts nothing", () => {
    const calls = [];
    const logs = [];
    const bridge = createBridge({workspace: {}, KWin: {}, callDBus: (...args) => calls.push(args),
        print: (text) => logs.push(text)});
    assert.deepStrictEqual([bridge.start(), calls, logs.length], [false, [], 1]);
});

// Morvanta's own windows: the focus border's ring window and the placement of its panels.
const MORVANTA = 4242;
const RING = "Morvanta focus border";
const grown = (f, o) => ({x: f.x - o, y: f.y - o, width: f.width + 2 * o, height: f.height + 2 * o});

for (const api of [5, 6]) {
    describe(`Plasma ${api}: Morvanta's own windows`, () => {
        test("border: the ring window is found by process and caption, placed, kept on its window, never reported", () => {
            const {bus, workspace, windows: [target, other, impostor, ring]} = startBridge(api, [
                {}, {}, {caption: RING, pid: 999}, {caption: `${RING} — Morvanta`, pid: MORVANTA}]);
            const activate = (window) => { workspace[workspace.names.active] = window; };
            activate(target);
            let poll = bus.answer({batch: 1, commands: [{op: "border", pid: MORVANTA, caption: RING,
                frame: [1, 2, 30, 40], around: target.id, outset: 4}]});
            assert.deepStrictEqual([poll.ack, poll.events], [1, [{type: "removed", id: ring.id}]]);
            assert.deepStrictEqual(ring.frameGeometry, grown(target.frame, 4));
            assert.deepStrictEqual([ring.keepAbove, ring.skipTaskbar, ring.skipSwitcher, ring.skipPager,
                ring.onAllDesktops], [true, true, true, true, true]);
            assert.deepStrictEqual([impostor.frameGeometry, impostor.keepAbove],
                [{x: 10, y: 20, width: 300, height: 200}, undefined]);

            // The user drags the window: the ring follows in the same frame; the news carries the
            // pointer; nothing is said of the ring.
            const mark = bus.calls.length;
            workspace.cursorPos = {x: 400, y: 300};
            target[workspace.names.moveStarted].emit();
            workspace.cursorPos = {x: 450.4, y: 320};
            target.frameGeometry = {x: 60, y: 40, width: 300, height: 200};
            assert.deepStrictEqual(ring.frameGeometry, {x: 56, y: 36, width: 308, height: 208});
            target[workspace.names.moveFinished].emit();
            ring.setCaption(`${RING} (renamed)`);
            activate(ring); // KWin activates a window that appears: the ring gives it back
            assert.strictEqual(workspace.current, target);
            const events = bus.reportedSince(mark);
            assert.deepStrictEqual(events.map((e) => [e.type, e.cursor]), [
                ["moveResizeStarted", [400, 300]], ["changed", [450, 320]],
                ["moveResizeFinished", [450, 320]]]);

            // Hidden: the ring stays put and follows nothing; a frame without a window to
            // surround is placed as it is.
            poll = bus.answer({batch: 2, commands: [{op: "border", pid: MORVANTA, caption: RING,
                frame: null, around: null, outset: 4}]});
            target.frameGeometry = {x: 0, y: 0, width: 300, height: 200};
            assert.deepStrictEqual([poll.events, ring.frameGeometry.x], [[], 56]);
            bus.answer({batch: 3, commands: [{op: "border", pid: MORVANTA, caption: RING,
                frame: [5, 6, 70, 80], around: "{gone}", outset: 2}]});
            other.frameGeometry = {x: 1, y: 1, width: 10, height: 10};
            assert.deepStrictEqual(ring.frameGeometry, {x: 5, y: 6, width: 70, height: 80});
            // A placement whose caption the ring's also starts with leaves the ring alone.
            bus.answer({batch: 4, commands: [{op: "place", pid: MORVANTA, caption: "Morvanta", top: 0}]});
            assert.deepStrictEqual([ring.frameGeometry.x, workspace.current], [5, target]);
        });

        test("border: a ring window that appears after the command is placed and never reported", () => {
            const {bus, workspace, windows: [target]} = startBridge(api, [{}]);
            bus.answer({batch: 1, commands: [{op: "border", pid: MORVANTA, caption: RING,
                frame: [1, 2, 30, 40], around: target.id, outset: 3}]});
            const mark = bus.calls.length;
            const ring = workspace.newWindow({caption: RING, pid: MORVANTA});
            workspace.add(ring);
            workspace.add(workspace.newWindow({caption: RING, pid: 77}));
            assert.deepStrictEqual(ring.frameGeometry, grown(target.frame, 3));
            assert.strictEqual(ring.keepAbove, true);
            assert.deepStrictEqual(bus.reportedSince(mark).map((e) => [e.type, e.window.pid]),
                [["added", 77]]);
            workspace.remove(ring);
            assert.deepStrictEqual(bus.reportedSince(mark).length, 1);
        });

        test("border: a ring KWin activated before it was known as the ring gives the activation back", () => {
            const {bus, workspace, windows: [target, ring]} = startBridge(api, [
                {}, {caption: RING, pid: MORVANTA}]);
            const activate = (window) => { workspace[workspace.names.active] = window; };
            activate(target);
            activate(ring); // still an ordinary window to the script: reported
            const poll = bus.answer({batch: 1, commands: [{op: "border", pid: MORVANTA, caption: RING,
                frame: null, around: null, outset: 4}]});
            assert.strictEqual(workspace.current, target);
            assert.deepStrictEqual(poll.events, [{type: "removed", id: ring.id},
                {type: "activated", id: target.id}]);
        });

        test("place: centred on the screen under the pointer, now or when the window appears", () => {
            const {bus, workspace, windows: [panel, foreign]} = startBridge(api, [
                {caption: "Morvanta command panel", pid: MORVANTA,
                    frame: {x: 0, y: 0, width: 620, height: 420}},
                {caption: "Morvanta command panel", pid: 31}]);
            workspace.changeScreens([workspace.outputs[0], {name: "Virtual-2",
                geometry: {x: 1600, y: 0, width: 1280, height: 1024},
                area: {x: 1600, y: 24, width: 1280, height: 1000}}]);
            workspace.cursorPos = {x: 2000, y: 500};
            const poll = bus.answer({batch: 1, commands: [{op: "place", pid: MORVANTA,
                caption: "Morvanta command panel", top: 0.18}]});
            assert.deepStrictEqual(panel.frameGeometry, {x: 1930, y: 204, width: 620, height: 420});
            assert.deepStrictEqual([panel.keepAbove, workspace.current], [true, panel]);
            assert.deepStrictEqual([foreign.frameGeometry, foreign.keepAbove],
                [{x: 10, y: 20, width: 300, height: 200}, undefined]);
            assert.deepStrictEqual([poll.ack, poll.events], [1, [{type: "activated", id: panel.id}]]);
            // Qt may show the window after the command arrives: it is placed as it appears.
            workspace.cursorPos = {x: -50, y: -50}; // under no screen: the first one
            bus.answer({batch: 2, commands: [{op: "place", pid: MORVANTA, caption: "Morvanta key",
                top: 0.5}]});
            const late = workspace.newWindow({caption: "Morvanta key", pid: MORVANTA,
                frame: {x: 0, y: 0, width: 200, height: 100}});
            workspace.add(late);
            assert.deepStrictEqual(late.frameGeometry, {x: 700, y: 480, width: 200, height: 100});
            assert.strictEqual(workspace.current, late);
        });

        test("commands on Morvanta's windows are read strictly", () => {
            const {bus, logs, windows: [ring]} = startBridge(api, [{caption: RING, pid: MORVANTA}]);
            const border = {op: "border", pid: MORVANTA, caption: RING, frame: [0, 0, 9, 9],
                around: null, outset: 1};
            const poll = bus.answer({batch: 1, commands: [
                Object.assign({}, border, {pid: 0}), Object.assign({}, border, {pid: "4242"}),
                Object.assign({}, border, {caption: ""}), Object.assign({}, border, {frame: [0, 0, 0, 9]}),
                Object.assign({}, border, {around: 5}), Object.assign({}, border, {outset: -1}),
                Object.assign({}, border, {frame: undefined}),
                {op: "place", pid: MORVANTA, caption: RING, top: 1.5},
                {op: "place", pid: MORVANTA, caption: RING}]});
            assert.deepStrictEqual([poll.ack, poll.events, logs.length], [1, [], 9]);
            assert.deepStrictEqual(ring.frameGeometry, {x: 10, y: 20, width: 300, height: 200});
        });
    });
}
