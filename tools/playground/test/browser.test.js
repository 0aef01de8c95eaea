// The playground page in Debian's headless Chromium, opened from disk: a real mouse hovers and
// drags cl1's end point onto the bracket, the page casts the pick, and the record shows the
// drop; undo through the button, and a bad pasted scenario refused with its message.
// PLAYGROUND_PAGE names the built page, CHROMIUM the browser, SCREENSHOT where the picture of the
// playground goes (default: next to the page).
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

test('a mouse drag of a handle through the page changes the record', async (t) => {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'playground-chromium-'));
  const browser = await puppeteer.launch({
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
  t.after(async () => {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  });
  const page = await browser.newPage();
  const pageErrors = [];
  page.on('pageerror', (e) => pageErrors.push(String(e)));
  await page.setViewport({ width: 1500, height: 900 });
  await page.goto('file://' + pagePath);
  await page.waitForFunction(() => window.playground && window.playground.ready, {
    timeout: 20000,
  });

  const state = () => page.evaluate(() => window.playground.state());
  // Where a window pixel of the view lies on the page.
  const client = (p) =>
    page.evaluate(([x, y]) => {
      const svg = document.querySelector('#view svg');
      const r = svg.getBoundingClientRect();
      const box = svg.viewBox.baseVal;
      return [r.left + ((x + 0.5) * r.width) / box.width, r.top + ((y + 0.5) * r.height) / box.height];
    }, p);
  const text = (selector) => page.$eval(selector, (e) => e.textContent);
  const settle = () => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => r())));

  const before = (await state()).centerLines.find((l) => l.id === 'cl1');
  const handle = before.handles.endPoint.map(Math.round);
  const [hx, hy] = await client(handle);
  await page.mouse.move(hx - 30, hy - 30);
  await page.mouse.move(hx, hy, { steps: 4 });
  await settle();
  assert.match(await text('#log'), /over cl1 end-point sphere/);
  assert.equal((await state()).touched, 'cl1');

  await page.mouse.down();
  const [tx, ty] = await client([625, 345]);
  await page.mouse.move(tx, ty, { steps: 12 });
  await settle();
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
