// The playground page in Debian's headless Chromium, opened from disk: a real mouse hovers and
// drags cl1's end point onto the bracket, the page casts the pick, and the record shows the
// drop; undo through the button, and a bad pasted scenario refused with its message. The page's
// Copy link, opened in a fresh page, gives the same session; a damaged link is refused with its
// message and leaves the default session, and markup ids named like the page's elements change
// nothing it finds. A link of 100,000 actions plays while the page draws, and stops when told; a
// touch drag that the browser cancels ends; the chooser holds examples/. A right-button or Alt
// drag turns the camera; a second view switched on takes input; a record field edited is the
// viewer's edit; Shift-clicked lines move together when one is grabbed.
// PLAYGROUND_PAGE names the built page, CHROMIUM the browser, SCREENSHOT where the picture of the
// playground goes (default: next to the page; a long play under way beside it, as -playing.png).
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const pagePath = path.resolve(
  process.env.PLAYGROUND_PAGE ||
    path.join(__dirname, '../../../build/wasm/tools/playground/playground.html'),
);
const screenshot = process.env.SCREENSHOT || path.join(path.dirname(pagePath), 'playground.png');

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'playground-chromium-'));
let browser = null;

test.before(async () => {
  browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: [
      '--headless',
      '--no-sandbox',
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      `--user-data-dir=${profile}`,
    ],
  });
});
test.after(async () => {
  if (browser) await browser.close();
  fs.rmSync(profile, { recursive: true, force: true });
});

// A new page at the address, once the module runs and any link in the address is opened; its
// script errors are gathered in page.errors.
async function open(address) {
  const page = await browser.newPage();
  page.errors = [];
  page.on('pageerror', (e) => page.errors.push(String(e)));
  await page.setViewport({ width: 1500, height: 900 });
  await page.goto(address);
  await page.waitForFunction(() => window.playground && window.playground.ready, {
    timeout: 20000,
  });
  return page;
}
const pageAddress = 'file://' + pagePath;
const stateOf = (page) => page.evaluate(() => window.playground.state());
const textOf = (page, selector) => page.$eval(selector, (e) => e.textContent);
const settled = (page) =>
  page.evaluate(() => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0))));
// Where a window pixel of a view (the first by default) lies on the page: two views are placed
// side by side in the frame, each an SVG of class "view".
const clientOf = (page, [x, y], view = 0) =>
  page.evaluate(([x, y, view]) => {
    const svg = document.querySelector('#view svg');
    const placed = svg.querySelectorAll(':scope > svg.view')[view];
    const left = placed ? placed.x.baseVal.value : 0;
    const [r, box] = [svg.getBoundingClientRect(), svg.viewBox.baseVal];
    return [
      r.left + ((left + x + 0.5) * r.width) / box.width,
      r.top + ((y + 0.5) * r.height) / box.height,
    ];
  }, [x, y, view]);
// What a session is, without its script (a link's is the actions played) and the count of actions
// played (a session played from a link has fewer: hovers in a row are kept as the last one).
const sessionOf = async (page) => {
  const { actionsPlayed, scriptLength, ...rest } = await stateOf(page);
  return rest;
};

test('a mouse drag of a handle through the page changes the record', async () => {
  const page = await open(pageAddress);
  const pageErrors = page.errors;

  const state = () => stateOf(page);
  const client = (p) => clientOf(page, p);
  const text = (selector) => textOf(page, selector);
  const settle = () => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => r())));

  const before = (await state()).centerLines.find((l) => l.id === 'cl1');
  const handle = before.handles.endPoint.map(Math.round);
  const [hx, hy] = await client(handle);
  await page.mouse.move(hx - 30, hy - 30);
  await page.mouse.move(hx, hy, { steps: 4 });
  await settle();
  assert.match(await text('#log'), /over cl1 end-point sphere/);
  assert.equal((await state()).touched, 'cl1');

  // Step keeps the focus through the press: Enter during the drag plays no scripted action.
  await page.focus('#step');
  await page.mouse.down();
  const [tx, ty] = await client([625, 345]);
  await page.mouse.move(tx, ty, { steps: 12 });
  await settle();
  const playedInDrag = (await state()).actionsPlayed;
  await page.keyboard.press('Enter');
  await settle();
  assert.equal((await state()).actionsPlayed, playedInDrag);
  await page.mouse.up();
  await settle();

  const after = (await state()).centerLines.find((l) => l.id === 'cl1');
  assert.ok(Math.abs(after.end[0] - 8.46982) < 1e-3, `end ${after.end}`);
  assert.equal(after.endPointItem, 'instance:/asm/bracket');
  assert.deepEqual((await state()).undo, ['Move End Point']);
  assert.equal((await state()).pendingPicks.length, 0);
  const record = await text('#record');
  assert.match(record, /instance:\/asm\/bracket/);
  assert.match(record, /8\.46982/);
  assert.match(await text('#log'), /pick: ray cast at 625,345/);

  // Hover the moved handle for the picture, with the record and the log beside it.
  const moved = after.handles.endPoint.map(Math.round);
  const [mx, my] = await client(moved);
  await page.mouse.move(mx, my, { steps: 3 });
  await settle();
  await page.screenshot({ path: screenshot });

  // Copy link, with a stand-in clipboard: the test needs no permission from the browser.
  await page.evaluate(() => {
    window.copied = [];
    const clipboard = { writeText: async (t) => void window.copied.push(t) };
    Object.defineProperty(navigator, 'clipboard', { value: clipboard });
  });
  await page.click('#copyLink');
  await page.waitForFunction(() => document.getElementById('linkNote').textContent !== '');
  const address = await page.$eval('#link', (e) => e.value);
  assert.match(address, /^file:\/\/.*\/playground\.html#session=[A-Za-z0-9_-]+$/);
  assert.deepEqual(await page.evaluate(() => window.copied), [address]);
  assert.match(await text('#linkNote'), /^copied/);
  console.log(`a link to the default session after one drag: ${address.length} characters`);

  // The address in a fresh page: the same session, which exports the same scenario.
  const linked = await open(address);
  assert.deepEqual(await sessionOf(linked), await sessionOf(page));
  assert.equal(await textOf(linked, '#record'), await text('#record'));
  const exported = (p) => p.evaluate(() => window.playground.api.exportScenario());
  assert.equal(await exported(linked), await exported(page));
  assert.match(await textOf(linked, '#log'), /loaded the session from the link/);
  assert.equal(await linked.$eval('#chooser', (e) => e.selectedOptions[0].text), 'session from a link');
  assert.equal(await textOf(linked, '#error'), '');
  // Without a clipboard the link is in the field to copy by hand; the same session makes the
  // same link.
  await linked.evaluate(() => Object.defineProperty(navigator, 'clipboard', { value: undefined }));
  await linked.click('#copyLink');
  await linked.waitForFunction(() => document.getElementById('linkNote').textContent !== '');
  assert.equal(await linked.$eval('#link', (e) => e.value), address);
  assert.match(await textOf(linked, '#linkNote'), /copy it from the field/);
  assert.deepEqual(linked.errors, []);
  await linked.close();

  await page.click('#undo');
  const undone = (await state()).centerLines.find((l) => l.id === 'cl1');
  assert.deepEqual(undone.points, before.points);
  assert.deepEqual((await state()).redo, ['Move End Point']);

  // A bad scenario pasted into the box: the parser's message, and the session stays.
  const kept = await state();
  await page.$eval('#scenario', (e) => {
    e.value = '{"view": {"viewport": [800, 600]}, "actions": []}';
  });
  await page.click('#load');
  assert.match(await text('#error'), /view\.camera: missing/);
  assert.deepEqual(await state(), kept);

  assert.deepEqual(pageErrors, []);
});

test('a damaged link is refused with its message and the default session loads', async () => {
  const page = await open(pageAddress);
  const fresh = await stateOf(page);
  // A session with a drop, made through the module, and links in the page's own encoding.
  const links = await page.evaluate(async () => {
    const pg = window.playground.api;
    const end = pg.state().centerLines[0].handles.endPoint.map(Math.round);
    pg.press(end[0], end[1]);
    pg.move(625, 345);
    pg.release();
    pg.pick();
    return {
      good: await encodeSessionLink(pg.exportScenario()),
      refused: await encodeSessionLink('{"view": {"viewport": [800, 600]}, "actions": []}'),
    };
  });
  await page.close();
  // One character changed in the middle of the compressed text: the checksum catches it.
  const at = Math.floor(links.good.length / 2);
  const changed = links.good[at] === 'A' ? 'B' : 'A';
  const damaged = links.good.slice(0, at) + changed + links.good.slice(at + 1);
  const cases = [
    [damaged, /^Link not loaded: the session in the link does not decompress/],
    [links.good.slice(0, -1) + '*', /^Link not loaded: the session in the link is not base64url/],
    [links.refused, /^Link not loaded: .*view\.camera: missing/],
  ];
  let last = null;
  for (const [fragment, message] of cases) {
    if (last) await last.close();
    last = await open(pageAddress + '#' + fragment);
    assert.match(await textOf(last, '#error'), message, fragment);
    assert.deepEqual(await stateOf(last), fresh, fragment);
    assert.equal(await last.$eval('#chooser', (e) => e.value), '0');
    assert.deepEqual(last.errors, []);
  }

  // A good link pasted over the address of the open page changes only its fragment.
  const pasted = (fragment) =>
    last.evaluate(async (f) => {
      await new Promise((resolve) => {
        window.addEventListener('hashchange', resolve, { once: true });
        location.hash = f;
      });
      await window.playground.linked();
    }, fragment);
  await pasted(links.good);
  assert.equal(await textOf(last, '#error'), '');
  assert.deepEqual((await stateOf(last)).undo, ['Move End Point']);
  assert.equal((await stateOf(last)).centerLines[0].endPointItem, 'instance:/asm/bracket');
  // And a damaged one over it: the default session again.
  await pasted(damaged);
  assert.match(await textOf(last, '#error'), cases[0][1]);
  assert.deepEqual(await stateOf(last), fresh);

  // Markup ids are the frame's element ids: named like the page's own elements, they do not
  // stand in for them.
  await last.evaluate(() => {
    const scenario = { ...JSON.parse(window.playground.api.defaultText()), actions: [] };
    const ids = ['record', 'log', 'session', 'recordTitle', 'error', 'scenario'];
    scenario.markups = ids.map((id, i) => ({ ...scenario.markups[i % 2], id }));
    window.playground.load(JSON.stringify(scenario), 'loaded ids');
  });
  const end = (await stateOf(last)).centerLines[0].handles.endPoint.map(Math.round);
  await last.mouse.move(...(await clientOf(last, end)), { steps: 3 });
  await settled(last);
  assert.equal(await textOf(last, '#recordTitle'), 'Centre line record');
  assert.match(await textOf(last, '#log'), /loaded ids[^]*over record end-point sphere/);
  assert.deepEqual(last.errors, []);
});

// A link of a few thousand characters holds 100,000 actions, its texts written as markup: the page
// plays them while it goes on drawing, shows the texts as text, and stops when told.
test('a long session from a link plays while the page draws, and stops when told', async () => {
  const maker = await open(pageAddress);
  const { fragment, total } = await maker.evaluate(async () => {
    const markup = '<img src=x onerror="window.ran = 1">';
    const scenario = JSON.parse(window.playground.api.defaultText());
    scenario.name = scenario.scene.labels[0].note = markup;
    for (let i = 0; i < 100000; i++) scenario.actions.push({ action: 'undo' });
    scenario.actions[scenario.actions.length - 1].comment = markup;
    const text = JSON.stringify(scenario);
    return { fragment: await encodeSessionLink(text), total: scenario.actions.length };
  });
  await maker.close();
  const played = (page) => stateOf(page).then((s) => s.actionsPlayed);
  const page = await browser.newPage();
  await page.setViewport({ width: 1500, height: 900 });
  await page.evaluateOnNewDocument(() => {
    let last = performance.now();
    window.longestWait = 0; // without a frame drawn
    requestAnimationFrame(function frame(now) {
      window.longestWait = Math.max(window.longestWait, now - last);
      last = now;
      requestAnimationFrame(frame);
    });
  });
  await page.goto(pageAddress + '#' + fragment);
  await page.waitForFunction(() => /^playing its actions: [1-9]/.test(
    document.getElementById('progressText').textContent), { timeout: 20000 });
  await page.screenshot({ path: screenshot.replace(/(\.png)?$/, '-playing.png') });
  // From here on the actions play; the page's one step before, reading the link, is not timed.
  await page.evaluate(() => (window.longestWait = 0));
  await page.waitForFunction(() => window.playground.ready, { timeout: 120000 });
  const longest = await page.evaluate(() => window.longestWait);
  console.log(`${total} actions, a link of ${fragment.length} characters: ${longest.toFixed(0)} ms unpainted while they play`);
  assert.ok(longest < 1000, `the page stalled for ${longest} ms`);
  assert.equal(await played(page), total);
  assert.equal(await page.$$eval('#log div', (l) => l.length), 600);
  assert.match(await textOf(page, '#log'), /# <img src=x onerror=/);
  assert.match(await textOf(page, '#view'), /<img src=x onerror=/);
  assert.deepEqual(await page.evaluate(() => ['ran' in window, document.images.length]), [false, 0]);
  await page.close();

  // Stopped on the way, the play stays where it is; Step or Play all goes on from there.
  const stopped = await browser.newPage();
  await stopped.goto(pageAddress + '#' + fragment);
  await stopped.waitForFunction(() => window.playground.state().actionsPlayed > 1000);
  await stopped.click('#stop');
  await stopped.waitForFunction(() => window.playground.ready);
  const at = await played(stopped);
  await stopped.evaluate(() => new Promise((r) => setTimeout(r, 300)));
  assert.ok(at < total && (await played(stopped)) === at, `${at} played`);
  assert.match(await textOf(stopped, '#log'), new RegExp(`stopped before action ${at + 1} of `));
  assert.equal(await stopped.$eval('#playAll', (e) => e.disabled), false);
  await stopped.close();
});

// A touch screen that takes over a gesture cancels the pointer: the drag ends, and undo works.
test('a touch drag that the browser cancels ends as a release', async () => {
  const page = await open(pageAddress);
  const jog = (await stateOf(page)).centerLines[1].handles.jog;
  const [x, y] = await clientOf(page, jog.map(Math.round));
  const cdp = await page.createCDPSession();
  const touch = (type, touchPoints) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints });
  await touch('touchStart', [{ x, y, id: 1 }]);
  for (let i = 1; i <= 6; i++) await touch('touchMove', [{ x: x + 10 * i, y, id: 1 }]);
  await settled(page);
  assert.equal(await textOf(page, '#status'), 'drag open');
  await touch('touchCancel', []);
  await settled(page);
  assert.deepEqual((await stateOf(page)).undo, ['Move Jog']);
  await page.click('#undo');
  assert.deepEqual((await stateOf(page)).redo, ['Move Jog']);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('the chooser offers every scenario of examples/', async () => {
  const page = await open(pageAddress);
  const examples = fs.readdirSync(path.join(__dirname, '../../../examples'));
  const offered = await page.$$eval('#chooser option', (o) => o.map((e) => e.textContent));
  assert.deepEqual(offered.slice(1), examples.filter((n) => n.endsWith('.json')).sort());
  // An example whose scene the host's pool cannot set up is refused; the chooser still names the
  // session that plays.
  await page.evaluate(() => window.playground.api.failAllocation(1));
  await page.select('#chooser', '1');
  assert.match(await textOf(page, '#error'), /could not be set up/);
  assert.equal(await page.$eval('#chooser', (c) => c.value), '0');
  await page.close();
});

// A drag with the right button, or with Alt and the left, turns the camera of the view: the
// parts are drawn again from there, no handle is dragged, and the turns are kept for Save.
test('a right-button or Alt drag turns the camera', async () => {
  const page = await open(pageAddress);
  const eyeOf = async () => (await stateOf(page)).views[0].camera.eye;
  const scene = () => page.$eval('#sceneLayer', (e) => e.innerHTML);
  const [eye, drawn] = [await eyeOf(), await scene()];
  const [x, y] = await clientOf(page, [400, 300]);
  const drag = async (button) => {
    await page.mouse.move(x, y);
    await page.mouse.down({ button });
    await page.mouse.move(x + 60, y + 20, { steps: 4 });
    await page.mouse.up({ button });
    await settled(page);
  };
  await drag('right');
  const turned = await eyeOf();
  assert.notDeepEqual(turned, eye);
  assert.notEqual(await scene(), drawn);
  await page.keyboard.down('Alt');
  await drag('left');
  await page.keyboard.up('Alt');
  assert.notDeepEqual(await eyeOf(), turned);
  assert.deepEqual((await stateOf(page)).undo, []);
  const saved = await page.evaluate(() => window.playground.api.exportScenario());
  assert.match(saved, /"action":"camera","orbit":\[-/);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// The second view is the first one turned a quarter: both are drawn, a drag in the second
// reaches its shadow, and switching it off keeps the markups as they stand.
test('a second view is drawn beside the first and takes input', async () => {
  const page = await open(pageAddress);
  await page.click('#secondView');
  await page.evaluate(() => window.playground.switched());
  const drag = async ([x, y], button) => {
    await page.mouse.move(x, y);
    await page.mouse.down({ button });
    await page.mouse.move(x + 100, y, { steps: 4 });
    await page.mouse.up({ button });
    await settled(page);
  };
  const state = await stateOf(page);
  assert.equal(state.views.length, 2);
  assert.equal(await page.$$eval('#frameLayer svg.view', (v) => v.length), 2);
  // Seen from the side, cl2's jog moves along the line of sight: the view is turned first.
  await drag(await clientOf(page, [400, 300], 1), 'right');
  const turned = await stateOf(page);
  assert.deepEqual(turned.views[0].camera, state.views[0].camera);
  assert.notDeepEqual(turned.views[1].camera, state.views[1].camera);
  await drag(await clientOf(page, turned.centerLines[1].handlesByView[1].jog.map(Math.round), 1));
  assert.match(await textOf(page, '#log'), /press \d+,\d+ in view 2: grabbed cl2 jog arrow/);
  const moved = (await stateOf(page)).centerLines[1];
  assert.notEqual(moved.ratio, state.centerLines[1].ratio);
  assert.deepEqual((await stateOf(page)).undo, ['Move Jog']);

  await page.click('#secondView');
  await page.evaluate(() => window.playground.switched());
  const single = await stateOf(page);
  assert.equal(single.views.length, 1);
  assert.equal(single.centerLines[1].ratio, moved.ratio);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// A field of the record edited in the panel is the viewer's own edit of the line: one undo step,
// "Edit"; a value the parser refuses is said under the record.
test('an edited record field is the viewer edit, undone as Edit', async () => {
  const page = await open(pageAddress);
  const edit = async (field, text) => {
    await page.click(`#record td[data-field=${field}]`, { clickCount: 3 });
    await page.keyboard.type(text);
    await page.keyboard.press('Enter');
  };
  await edit('startExtension', '2.5');
  const cl1 = (await stateOf(page)).centerLines[0];
  assert.equal(cl1.startExtension, 2.5);
  assert.deepEqual(cl1.points[0], [-2.5, 0, 0]);
  assert.deepEqual((await stateOf(page)).undo, ['Edit']);
  assert.equal(await page.$eval('#undo', (e) => e.title), 'Undo "Edit" (Ctrl+Z)');
  assert.equal(await textOf(page, '#record td[data-field=startExtension]'), '2.5');
  await edit('ratio', 'half');
  assert.match(await textOf(page, '#actionError'), /^Not played: action\.ratio: expected a number/);
  await page.click('#undo');
  assert.equal((await stateOf(page)).centerLines[0].startExtension, 1);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// Shift-clicks select two lines; grabbing one of them by its line moves both, as one "Move".
test('a line grabbed moves the whole selection as one undo step', async () => {
  const page = await open(pageAddress);
  const [cl1, cl2] = (await stateOf(page)).centerLines;
  const onLine = (l, dx) => [Math.round(l.handles.startPoint[0] + dx), Math.round(l.handles.startPoint[1])];
  await page.keyboard.down('Shift');
  for (const p of [onLine(cl1, 100), onLine(cl2, 30)]) await page.mouse.click(...(await clientOf(page, p)));
  await page.keyboard.up('Shift');
  assert.deepEqual((await stateOf(page)).selection, ['cl1', 'cl2']);
  const [x, y] = await clientOf(page, onLine(cl1, 100));
  await page.mouse.move(x, y);
  await page.mouse.down();
  await page.mouse.move(x + 30, y + 30, { steps: 3 });
  await page.mouse.up();
  await settled(page);
  const state = await stateOf(page);
  const shift = (a, b) => a.start.map((v, i) => v - b.start[i]);
  const moved = shift(state.centerLines[0], cl1);
  assert.ok(Math.hypot(...moved) > 0.1, String(moved));
  shift(state.centerLines[1], cl2).forEach((v, i) => assert.ok(Math.abs(v - moved[i]) < 1e-9));
  assert.deepEqual(state.undo, ['Move']);
  assert.deepEqual(state.operations, ['Move']);
  assert.deepEqual(page.errors, []);
  await page.close();
});
