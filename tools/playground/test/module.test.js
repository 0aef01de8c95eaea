// The playground module under node: load, hover, a point drag with its pick, undo and redo, a bad
// scenario refused with its message, the export round trip, and memory and time over many steps;
// any action played from its JSON, what lies under the pointer, and a second view.
// Also the page's session links (link.js), which need only node's own streams.
// PLAYGROUND_MODULE names the built module; ILLSXMK_REPLAY, when set, names a native
// illsxmk-replay that must play the exported session green as well.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');
const { execFileSync } = require('node:child_process');
const { wrapPlayground } = require('../page/api.js');
const { encodeSessionLink, decodeSessionLink } = require('../page/link.js');

const modulePath = path.resolve(
  process.env.PLAYGROUND_MODULE ||
    path.join(__dirname, '../../../build/wasm/tools/playground/illsxmk-playground.js'),
);

async function open() {
  const createPlayground = require(modulePath);
  return wrapPlayground(await createPlayground());
}

const line = (pg, id) => pg.state().centerLines.find((l) => l.id === id);

// The native illsxmk-replay, when given, plays an exported session with every check holding
// (it exits 1 on a failed check).
function replayNatively(exported) {
  if (!process.env.ILLSXMK_REPLAY) return;
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'playground-'));
  const file = path.join(dir, 'session.json');
  fs.writeFileSync(file, exported);
  try {
    execFileSync(process.env.ILLSXMK_REPLAY, [file, '--out', path.join(dir, 'out')], {
      stdio: 'ignore',
    });
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}
const at = (p) => [Math.round(p[0]), Math.round(p[1])];

// cl1's end point, dropped over the bracket of the default session.
function dropEndPointOnBracket(pg) {
  const [x, y] = at(line(pg, 'cl1').handles.endPoint);
  assert.match(pg.press(x, y).headline, /grabbed cl1 end-point sphere/);
  pg.move(x + 60, y);
  pg.move(625, 345);
  const released = pg.release();
  assert.match(released.details.join('\n'), /pick requested at 625,345/);
  assert.equal(pg.state().pendingPicks.length, 1);
  return pg.pick();
}

test('loads the default session with its handles and draws it', async () => {
  const pg = await open();
  const state = pg.state();
  assert.equal(state.name, 'default session');
  assert.deepEqual(state.viewport, [800, 600]);
  assert.deepEqual(
    state.centerLines.map((l) => l.id),
    ['cl1', 'cl2'],
  );
  assert.deepEqual(Object.keys(line(pg, 'cl2').handles).sort(), [
    'endExtension',
    'endPoint',
    'jog',
    'startExtension',
    'startPoint',
  ]);
  const svg = pg.frame();
  assert.match(svg, /^<\?xml[^]*<svg [^]*<\/svg>\s*$/);
  assert.match(svg, /the scene as set up/);
  assert.match(pg.scene(), /<g class="parts"[^]*>bracket</);
  assert.ok(pg.describe().some((l) => l.startsWith('part bracket')));
});

// The parts are drawn once per session: what a hover hands the page (its frame and the state)
// is the same size with 5,000 parts as with none. A scene over the limit is refused.
test('a big scene is drawn once and each action costs what it does without it', async () => {
  const pg = await open();
  const base = JSON.parse(pg.defaultText());
  const withParts = (n) => {
    const parts = Array.from({ length: n }, (_, i) => ({
      id: 'p' + i, min: [i % 10, 20, 0], max: [i % 10 + 0.5, 21, 0.5], instance: '/p' + i,
    }));
    return JSON.stringify({ ...base, scene: { ...base.scene, parts }, actions: [] });
  };
  const hovered = () => {
    const [x, y] = at(line(pg, 'cl1').handles.endPoint);
    pg.hover(x, y);
    return pg.frame().length + JSON.stringify(pg.state()).length;
  };
  assert.equal(pg.load(withParts(0)), null);
  const without = hovered();
  assert.equal(pg.load(withParts(5000)), null);
  assert.ok(pg.scene().length > 100 * 5000);
  assert.equal(hovered(), without);
  assert.match(pg.load(withParts(10000)), /scene: 10001 parts and labels; a scene holds at most/);
});

test('hover highlights the handle under the pointer and leaving clears it', async () => {
  const pg = await open();
  const plain = pg.frame();
  const [x, y] = at(line(pg, 'cl1').handles.endExtension);
  const log = pg.hover(x, y);
  assert.match(log.headline, /over cl1 end-extension arrow/);
  assert.ok(log.details.some((d) => d.startsWith('PreselectHighlight(cl1 end-extension arrow)')));
  // The view above the caption changes: the arrow is drawn in the preselection colour.
  const view = (svg) => svg.split('<rect y="600"')[0];
  assert.notEqual(view(pg.frame()), view(plain));
  assert.equal(pg.state().touched, 'cl1');
  assert.match(pg.hover(5, 5).details.join('\n'), /preselection cleared/);
});

test('a point drag is finished by the pick cast along the pointer ray, then undone and redone', async () => {
  const pg = await open();
  const before = line(pg, 'cl1');
  const picked = dropEndPointOnBracket(pg);
  assert.match(picked.headline, /pick: ray cast at 625,345/);
  assert.ok(picked.details.includes('viewer: cl1 shadow rebuilt from its record (MarkupChanged)'));
  const after = line(pg, 'cl1');
  assert.ok(Math.abs(after.end[0] - 8.46982) < 1e-4, String(after.end));
  assert.equal(after.endPointItem, 'instance:/asm/bracket');
  assert.equal(after.endExtension, 0);
  assert.deepEqual(pg.state().undo, ['Move End Point']);
  assert.equal(pg.state().busy, false);

  assert.match(pg.undo().headline, /undo "Move End Point"/);
  assert.deepEqual(line(pg, 'cl1').points, before.points);
  assert.deepEqual(pg.state().redo, ['Move End Point']);
  assert.match(pg.redo().headline, /redo "Move End Point"/);
  assert.deepEqual(line(pg, 'cl1').points, after.points);
  assert.match(pg.undo().headline, /undo/);
  assert.match(pg.undo().headline, /nothing to undo/);
});

// Every handle kind of the default session, and the callout, can be grabbed and dragged; each
// drag ends as one undo entry named by its operation, and is undone before the next.
test('every handle kind of the default session drags to one undo entry', async () => {
  const pg = await open();
  const grabs = [];
  for (const id of ['cl1', 'cl2']) {
    for (const [name, pixel] of Object.entries(line(pg, id).handles)) grabs.push([id, name, pixel]);
  }
  assert.equal(grabs.length, 9); // a straight line has no jog
  grabs.push(['c1', 'callout', [80, 55]]);
  const expected = {
    startPoint: 'Move End Point', // the library names both point drops with one key
    endPoint: 'Move End Point',
    startExtension: 'Move Extension',
    endExtension: 'Move Extension',
    jog: 'Move Jog',
    callout: 'Move Callout',
  };
  for (const [id, name] of grabs) {
    const pixel = name === 'callout' ? [80, 55] : line(pg, id).handles[name];
    const [x, y] = at(pixel);
    const undoBefore = pg.state().undo.length;
    assert.match(pg.press(x, y).headline, new RegExp(`grabbed ${id}`), `${id} ${name}`);
    // A dropped point lands on what the pick finds (here the base part); dropped on nothing it
    // springs back without an operation.
    const point = name === 'startPoint' || name === 'endPoint';
    pg.move(x + 20, point ? 440 : y + 15);
    pg.release();
    if (pg.state().pendingPicks.length > 0) pg.pick();
    const undo = pg.state().undo;
    assert.equal(undo.length, undoBefore + 1, `${id} ${name}: ${undo}`);
    assert.equal(undo[undo.length - 1], expected[name], `${id} ${name}`);
    assert.equal(pg.state().busy, false);
    // Back to the scene as set up, so that no moved handle covers the next one.
    assert.match(pg.undo().headline, new RegExp(`undo "${expected[name]}"`));
  }
});

test('a bad scenario is refused with the parser message and the session stays', async () => {
  const pg = await open();
  dropEndPointOnBracket(pg);
  const kept = pg.state();
  const cases = [
    ['{"view": {"viewport": [800, 600]}, "actions": []}', 'view.camera: missing'],
    ['{"view": 1', 'not valid JSON'],
    // The parser throws and catches inside the module: without exceptions this would abort it.
    [
      '{"view": {"kind": "plain", "viewport": [10, 10]}, "actions": [], "colour": 1}',
      'colour: unknown field',
    ],
    [
      '{"view": {"kind": "plain", "viewport": [10, 10]}, "actions": [{"action": "jump"}]}',
      'actions[0].action: unknown action "jump"',
    ],
  ];
  for (const [text, message] of cases) {
    const error = pg.load(text);
    assert.ok(error && error.includes(message), `${error} should name ${message}`);
    assert.deepEqual(pg.state(), kept);
  }
});

// A scene the host cannot set up (its pool has no memory for one of its objects) is refused with
// what went wrong, and the session in play stays, with its operations and undo.
test('a scene that cannot be set up is refused and the session stays', async () => {
  const pg = await open();
  dropEndPointOnBracket(pg);
  const file = path.join(__dirname, '../../../examples/straight-end-point-on-part.json');
  const scenario = fs.readFileSync(file, 'utf8');
  pg.failAllocation(1);
  assert.match(pg.load(scenario), /^the session could not be set up: .*no memory for an instance/);
  pg.failAllocation(0);
  assert.deepEqual(pg.state().operations, ['Move End Point']);
  assert.match(pg.undo().headline, /undo "Move End Point"/);
  // Each allocation of the scene in turn fails, up to the first count past them all.
  const kept = pg.state();
  for (let nth = 1; nth < 100; nth++) {
    pg.failAllocation(nth);
    const error = pg.load(scenario);
    pg.failAllocation(0);
    if (error === null) break;
    assert.match(error, /^the session could not be set up: /, `allocation ${nth}`);
    assert.deepEqual(pg.state(), kept, `allocation ${nth}`);
  }
  assert.equal(pg.state().name, JSON.parse(scenario).name);
});

test('an exported session reads back, and replays with every expectation holding', async () => {
  const pg = await open();
  dropEndPointOnBracket(pg);
  const [jx, jy] = at(line(pg, 'cl2').handles.jog);
  pg.press(jx, jy);
  pg.move(jx + 120, jy);
  pg.release();
  pg.undo();
  pg.preferences(0x00ff00);
  const exported = pg.exportScenario();
  const expects = exported.match(/"action":"expect"/g) || [];
  assert.ok(expects.length >= 3, exported);

  // The module reads its own export and plays it green.
  assert.equal(pg.load(exported), null);
  const script = pg.state().scriptLength;
  let failed = 0;
  let passed = 0;
  for (let i = 0; i < script; i++) {
    const log = pg.playScript(i);
    failed += log.checksFailed;
    passed += log.checksPassed;
  }
  assert.equal(failed, 0);
  assert.ok(passed > 10);
  // Played again, the session exports the same text.
  assert.equal(pg.exportScenario(), exported);

  replayNatively(exported);
});

// Any action goes in as a scenario's action: the parser reads it against the session (its
// message when it refuses, and nothing played), and the state shows what it changed.
test('any action plays from its JSON, a bad one gives the parser message', async () => {
  const pg = await open();
  const camera = pg.state().views[0].camera;
  assert.match(pg.action({ action: 'camera', orbit: [90, 0] }).headline, /camera: eye/);
  const turned = pg.state().views[0];
  assert.notDeepEqual(turned.camera.eye, camera.eye);
  assert.deepEqual(turned.camera.target, camera.target);
  assert.equal(turned.projection, 'perspective');
  // The state's camera is a scenario's: set again, it is the view as loaded.
  pg.action({ action: 'camera', camera });
  assert.deepEqual(pg.state().views[0].camera, camera);

  const refused = [
    ['{"action": "camera", "orbit": [0, 400]}', 'action.orbit[1]: out of range'],
    ['{"action": "hover", "x": 1, "y": 1, "view": 1}', 'action.view: out of range'],
    ['{"action": "edit", "markup": "c1", "ratio": 0.2}', 'action.markup: no centre line "c1"'],
    ['{"action": "select"', 'not valid JSON'],
  ];
  const before = pg.state();
  for (const [text, message] of refused) {
    const log = pg.action(text);
    assert.ok(log.error && log.error.includes(message), `${log.error} should name ${message}`);
  }
  assert.deepEqual(pg.state(), before);

  pg.action({ action: 'select', markups: ['cl2', 'c1'] });
  pg.action({ action: 'viewer', controller: 'snap', grid: 0.5, picks: 'at-once' });
  pg.action({ action: 'edit', markup: 'cl2', ratio: 0.25 });
  const state = pg.state();
  assert.deepEqual(state.selection, ['cl2', 'c1']);
  assert.deepEqual(state.viewer, { controller: 'snap', grid: 0.5, rebuild: false, picks: 'at-once' });
  assert.equal(line(pg, 'cl2').ratio, 0.25);
  assert.deepEqual(state.undo, ['Edit']);

  // What lies under the pointer, as a press finds it.
  const [sx, sy] = at(line(pg, 'cl1').handles.startPoint);
  const [ex] = at(line(pg, 'cl1').handles.endPoint);
  assert.deepEqual(pg.hit(sx, sy), { markup: 'cl1', kind: 'sphere', handle: 'startPoint' });
  assert.deepEqual(pg.hit((sx + ex) >> 1, sy), { markup: 'cl1', kind: 'line' });
  assert.equal(pg.hit(5, 595), null);
  assert.equal(pg.hit(sx, sy, 1), null); // no second view
});

// Two views of one scene: each has its camera and its handle pixels, a drag in the second view
// changes the record, and the export plays back green, also in the native replay.
test('a second view takes input, and its session replays', async () => {
  const pg = await open();
  const { view, ...scenario } = JSON.parse(pg.defaultText());
  const side = { ...view, camera: { ...view.camera, eye: [18, 3, 14] } };
  assert.equal(pg.load(JSON.stringify({ ...scenario, views: [view, side], actions: [] })), null);
  const state = pg.state();
  assert.equal(state.views.length, 2);
  assert.deepEqual(state.views[1].camera.eye, [18, 3, 14]);
  const cl1 = line(pg, 'cl1');
  assert.equal(cl1.handlesByView.length, 2);
  assert.deepEqual(cl1.handlesByView[0], cl1.handles);
  assert.notDeepEqual(cl1.handlesByView[1].endPoint, cl1.handles.endPoint);

  const [x, y] = at(cl1.handlesByView[1].endExtension);
  assert.match(pg.press(x, y, 1).headline, /grabbed cl1 end-extension arrow/);
  pg.move(x, y - 40, 1);
  pg.release();
  assert.notEqual(line(pg, 'cl1').endExtension, cl1.endExtension);
  assert.deepEqual(pg.state().undo, ['Move Extension']);
  const exported = pg.exportScenario();
  assert.match(exported, /"action":"press","view":1/);
  assert.equal(pg.load(exported), null);
  let failed = 0;
  for (let i = 0; i < pg.state().scriptLength; i++) failed += pg.playScript(i).checksFailed;
  assert.equal(failed, 0);
  replayNatively(exported);
});

// Heap and time over 20,000 drag steps. The session holds nothing per step; the export keeps
// each step as one line of JSON, so the heap grows by that and no more.
test('memory over many drag steps and the time per action', async () => {
  const pg = await open();
  const [x, y] = at(line(pg, 'cl2').handles.jog);
  pg.press(x, y);
  const step = (i) => pg.move(300 + ((i * 7) % 400), 90 + ((i * 3) % 40));
  for (let i = 0; i < 1000; i++) step(i);
  const heapBefore = pg.heapUsed();
  const steps = 20000;
  for (let i = 1000; i < steps; i++) step(i);
  const heapAfter = pg.heapUsed();
  const perStep = (heapAfter - heapBefore) / (steps - 1000);
  pg.release();
  const kept = pg.state().actionsKept;
  assert.equal(kept, steps + 3); // press, moves, release, the expectation after the drag

  // What the page does per pointer event: the action, then the frame, then the state.
  pg.press(x, y);
  const timed = 2000;
  const time = (each) => {
    const start = process.hrtime.bigint();
    for (let i = 0; i < timed; i++) each(i);
    return Number(process.hrtime.bigint() - start) / timed / 1000;
  };
  const stepUs = time(step);
  const frameUs = time((i) => {
    step(i);
    pg.frame();
  });
  const pageUs = time((i) => {
    step(i);
    pg.frame();
    pg.state();
  });
  pg.release();
  console.log(
    `heap: ${heapBefore} bytes after 1000 drag steps, ${heapAfter} after ${steps} ` +
      `(${perStep.toFixed(1)} bytes per step, kept for the export)`,
  );
  console.log(
    `time per drag step: ${stepUs.toFixed(1)} us; with the SVG frame: ${frameUs.toFixed(1)} us; ` +
      `with the frame and the state as the page reads them: ${pageUs.toFixed(1)} us`,
  );
  // A kept move is one short line of JSON; anything more per step is a leak.
  assert.ok(perStep < 120, `${perStep} bytes per step`);
});

// A session of many drags (a link brings one): what an action costs, and what the page reads
// after it, does not grow with the undo stack and the operations recorded.
test('an action and the state cost the same however many drags came before', async () => {
  const pg = await open();
  // The fastest of five batches of moves in a drag of the callout, per move.
  const moveUs = () => {
    pg.press(80, 55);
    const us = [0, 1, 2, 3, 4].map(() => {
      const start = process.hrtime.bigint();
      for (let i = 0; i < 100; i++) pg.move(80 + (i % 2), 55);
      return Number(process.hrtime.bigint() - start) / 1e5;
    });
    pg.release();
    return Math.min(...us);
  };
  const fresh = Math.min(moveUs(), moveUs()); // the first warms the module up
  const drag = (x) => [{ action: 'press', x, y: 55 }, { action: 'move', x: 161 - x, y: 55 }];
  const scenario = { ...JSON.parse(pg.defaultText()), actions: [] };
  for (let i = 0; i < 4000; i++) scenario.actions.push(...drag(80 + (i % 2)), { action: 'release' });
  assert.equal(pg.load(JSON.stringify(scenario)), null);
  const stateAfter = (end) => {
    for (let i = pg.state().actionsPlayed; i < end; i++) pg.playScript(i);
    return JSON.stringify(pg.state()).length;
  };
  const after1000 = stateAfter(3 * 1000);
  assert.ok(stateAfter(3 * 4000) < after1000 + 10, 'the state grows with the stack');
  assert.equal(pg.state().undoCount, 4000);
  const deep = moveUs();
  assert.ok(deep < 3 * fresh, `${deep} us per move after 4000 drags, ${fresh} us before`);
});

// Links are zlib's format in base64url: what the page writes zlib reads, and what zlib writes
// the page reads, so that a link can be opened (or made) without a browser.
test('a session link carries a scenario text in zlib format and base64url', async () => {
  const pg = await open();
  dropEndPointOnBracket(pg);
  const texts = [pg.exportScenario(), '{"name": "Ünïcödé ✓ 😀"}', ''];
  for (const text of texts) {
    const fragment = await encodeSessionLink(text);
    assert.match(fragment, /^session=[A-Za-z0-9_-]*$/);
    const body = Buffer.from(fragment.slice('session='.length), 'base64url');
    assert.equal(zlib.inflateSync(body).toString('utf8'), text);
    assert.equal(await decodeSessionLink('#' + fragment), text);
    assert.equal(await decodeSessionLink(fragment), text);
    const made = 'session=' + zlib.deflateSync(text, { level: 9 }).toString('base64url');
    assert.equal(await decodeSessionLink(made), text);
  }
  // The round trip of the real session: the module loads what the link carries.
  assert.equal(pg.load(await decodeSessionLink(await encodeSessionLink(texts[0]))), null);
});

test('a damaged session link is refused with what is wrong with it', async () => {
  const link = (bytes) => 'session=' + Buffer.from(bytes).toString('base64url');
  const good = zlib.deflateSync('{"view": 1}');
  const lastFlipped = Buffer.from(good);
  lastFlipped[lastFlipped.length - 1] ^= 1; // the checksum of the text
  const bodyFlipped = Buffer.from(good);
  bodyFlipped[4] ^= 0x10;
  const limit = 16 * 1024 * 1024;
  const cases = [
    ['', 'does not start with "session="'],
    ['#sesion=' + link(good).slice(8), 'does not start with "session="'],
    [link(good) + '=', 'not base64url'],
    [link(good).replace(/^(session=.{4})/, '$1+'), 'not base64url'],
    ['session=' + 'A'.repeat(17), 'not base64url'], // 4n+1 characters hold no whole byte
    [link(lastFlipped), 'does not decompress'],
    [link(bodyFlipped), 'does not decompress'],
    [link(good.subarray(0, good.length - 4)), 'does not decompress'],
    [link(Buffer.from('{"view": 1}')), 'does not decompress'],
    [link(zlib.deflateSync(Buffer.from([0x7b, 0xff, 0xfe, 0x7d]))), 'not UTF-8 text'],
    [link(zlib.deflateSync(Buffer.alloc(limit + 1, 0x20))), 'expands to more than 16 MiB'],
  ];
  for (const [fragment, message] of cases) {
    await assert.rejects(decodeSessionLink(fragment), (e) => {
      assert.ok(e.message.includes(message), `${fragment.slice(0, 40)}: ${e.message}`);
      return true;
    });
  }
  // Up to the limit is fine.
  const largest = await decodeSessionLink(link(zlib.deflateSync(Buffer.alloc(limit, 0x20))));
  assert.equal(largest.length, limit);
  // Nor does the page make a link over it (counted in UTF-8 bytes).
  await assert.rejects(encodeSessionLink('é'.repeat(limit / 2 + 1)), /16\.0 MiB, more than the 16/);
});
