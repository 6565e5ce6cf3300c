// studio-bench.mjs - how long the page takes for what a user waits on,
// measured in Debian's Chromium with the browser's own clock (numbers
// reported, nothing asserted):
//
//   open      a drawing opened with a full settings store (361 values), and
//             the page reloaded with it;
//   move      per mouse move of a stretch on a drawing of 10,052 figures:
//             from the pointer event to the engine's next request with the
//             picture drawn (the page's own clock, so no driver round trip);
//   large     a 100,000-figure DXF: open time (with the frames painted
//             and progress texts shown while it is read), then frames
//             while panning and zooming (requestAnimationFrame intervals
//             and long tasks from the performance timeline).
//
//   node studio/bench/studio-bench.mjs [SITE] [--only open,move,large]
//
// SITE defaults to build/studio/site (tools/studio.sh --build).  To
// compare with an earlier page, build that one's site elsewhere and give
// its folder.  Prints one JSON object.
import { writeFileSync, mkdirSync } from 'node:fs';
import { join, resolve, dirname } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { startServer } from '../serve.mjs';
import { bigStore, gridDxf } from '../test/drawings.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const args = process.argv.slice(2);
const onlyAt = args.indexOf('--only');
const only = onlyAt >= 0 ? new Set(args.splice(onlyAt, 2)[1].split(',')) : null;
const site = resolve(args[0] || join(here, '../../build/studio/site'));
const out = resolve(join(here, '../../build/studio/bench'));
mkdirSync(out, { recursive: true });

const stats = (xs) => {
  const s = [...xs].sort((a, b) => a - b);
  const q = (p) => s[Math.min(s.length - 1, Math.floor(p * s.length))];
  return { n: s.length, median: +q(0.5).toFixed(2), p90: +q(0.9).toFixed(2), max: +s[s.length - 1].toFixed(2),
           mean: +(s.reduce((a, b) => a + b, 0) / s.length).toFixed(2) };
};

async function ready(page) {
  await page.waitForFunction(() => window.nerolit && window.nerolit.request()?.kind === 'command', null, { timeout: 120000 });
}

/* Opens a file by the page's file chooser; resolves with the page's time
   from the choice to the engine's next command request. */
async function openTimed(page, path, name) {
  const chooser = page.waitForEvent('filechooser');
  await page.getByRole('button', { name: '開く', exact: true }).click();
  const t0 = await page.evaluate(() => performance.now());
  await (await chooser).setFiles(path);
  await page.waitForFunction((name) => window.nerolit.session().includes(`# drawing: ${name}\n`) &&
    window.nerolit.request()?.kind === 'command', name, { timeout: 180000, polling: 20 });
  return (await page.evaluate(() => performance.now())) - t0;
}

async function benchOpen(browser, url) {
  const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
  await page.goto(url);
  await ready(page);
  await page.evaluate((ini) => localStorage.setItem('nerolit.settings', ini), bigStore());
  const reloads = [];
  for (let k = 0; k < 3; k++) {
    const t0 = Date.now();
    await page.reload();
    await ready(page);
    reloads.push(Date.now() - t0);
  }
  const path = join(out, 'room.drawing');
  writeFileSync(path, 'line 0 0 4000 0\nline 4000 0 4000 3000\nline 4000 3000 0 3000\nline 0 3000 0 0\n');
  const opens = [];
  for (let k = 0; k < 3; k++) opens.push(await openTimed(page, path, 'room.drawing'));
  const settingLines = (await page.evaluate(() => window.nerolit.session())).split('\n').filter((l) => l.startsWith('setting ')).length;
  await page.close();
  return { storeValues: 361, settingLines, reloadMs: stats(reloads), openMs: stats(opens) };
}

async function benchMove(browser, url) {
  const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
  await page.goto(url);
  await ready(page);
  const path = join(out, 'grid-10052.dxf');
  writeFileSync(path, gridDxf(10052));
  const openMs = await openTimed(page, path, 'grid-10052.dxf');
  // A stretch: the panel's defaults, a window over the first rows, a base point.
  await page.getByRole('button', { name: 'パラメトリック変形', exact: true }).click();
  await page.waitForFunction(() => window.nerolit.request()?.kind === 'panel');
  // Dragging on: every move shows the stretched figures (the costly case).
  await page.getByRole('checkbox', { name: 'ドラッグ' }).check();
  await page.evaluate(() => window.nerolit.settled());
  await page.getByRole('button', { name: 'OK', exact: true }).click();
  await page.waitForFunction(() => window.nerolit.request() && window.nerolit.request().kind !== 'panel');
  const at = (x, y) => page.evaluate(([x, y]) => window.nerolit.toScreen(x, y), [x, y]);
  const settle = () => page.evaluate(() => window.nerolit.settled());
  const click = async (x, y) => {
    const p = await at(x, y);
    await page.mouse.move(p.x, p.y);
    await settle();
    await page.mouse.click(p.x, p.y);
    await settle();
  };
  // The grid's rooms are 3000 x 2500 mm (300000 x 250000 stored units).
  // A window across one row of rooms: its walls stretched, in preview.
  await click(-100000, 1200000);
  await click(30000000, 1300000);
  const kind = await page.evaluate(() => window.nerolit.request()?.kind);
  await click(1500000, 1250000);
  // The base point given, the moves drag the stretched figures' preview.
  if (/始点/.test(await page.evaluate(() => window.nerolit.request()?.prompt || ''))) await click(1500000, 1250000);
  const prompt = await page.evaluate(() => window.nerolit.request()?.prompt);
  // Each move timed in the page: from the pointer event's dispatch (a
  // capturing listener, before the page's) to the engine's next request
  // with the picture drawn (settled() asked after the page's own listener
  // has sent the move).
  await page.evaluate(() => {
    window.__moves = [];
    let t0 = 0;
    window.addEventListener('pointermove', () => { t0 = performance.now(); }, true);
    window.addEventListener('pointermove', () => {
      const start = t0;
      window.nerolit.settled().then(() => window.__moves.push(performance.now() - start));
    });
    performance.clearMeasures();
  });
  for (let k = 0; k < 120; k++) {
    const p = await at(1500000 + k * 20000, 1250000 + k * 9000);
    await page.mouse.move(p.x, p.y);
    await settle();
  }
  const moves = await page.evaluate(() => window.__moves);
  const blue = await page.evaluate(() => {
    const c = document.getElementById('view');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i] < 80 && d[i + 1] > 70 && d[i + 1] < 130 && d[i + 2] > 180) n++;
    return n;
  });
  const afterBase = await page.evaluate(() => window.nerolit.request()?.kind);
  await page.screenshot({ path: join(out, 'stretch-10052.png') });
  const lines = (await page.evaluate(() => window.nerolit.session())).split('\n').length;
  const parts = await page.evaluate(() => ['nerolit engine', 'nerolit render'].map((n) =>
    performance.getEntriesByName(n).map((e) => e.duration)));
  await page.close();
  return { figures: 10052, openMs: +openMs.toFixed(1), requestAfterWindow: kind, requestWhileMoving: afterBase, promptWhileMoving: prompt, previewPixels: blue, sessionLines: lines, perMoveMs: stats(moves.slice(10)),
           engineMs: parts[0].length ? stats(parts[0]) : null, renderMs: parts[1].length ? stats(parts[1]) : null };
}

async function benchLarge(browser, url) {
  const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
  await page.goto(url);
  await ready(page);
  const path = join(out, 'grid-100000.dxf');
  writeFileSync(path, gridDxf(100000));
  await page.evaluate(() => {
    performance.clearMeasures();
    // Frames the page paints while the file is read, and the progress
    // texts it shows.
    window.__openFrames = [];
    window.__openTexts = [];
    const frame = (t) => {
      window.__openFrames.push(t);
      window.__openRaf = requestAnimationFrame(frame);
    };
    window.__openRaf = requestAnimationFrame(frame);
    const el = document.getElementById('working');
    new MutationObserver(() => window.__openTexts.push(el.textContent))
      .observe(el, { childList: true, characterData: true, subtree: true });
  });
  const openMs = await openTimed(page, path, 'grid-100000.dxf');
  const during = await page.evaluate(() => {
    cancelAnimationFrame(window.__openRaf);
    const f = window.__openFrames;
    return { frames: f.length, longestGapMs: Math.max(0, ...f.slice(1).map((t, k) => t - f[k])),
             progressTexts: window.__openTexts.filter((t) => /%/.test(t)).length };
  });
  await page.waitForTimeout(300);
  // The open's parts: the engine reading the DXF, the figures read out,
  // the first full picture.
  const parts = await page.evaluate(() => Object.fromEntries(['nerolit open', 'nerolit figures', 'nerolit render'].map((n) =>
    [n, Math.max(0, ...performance.getEntriesByName(n).map((e) => e.duration))])));
  const c = await page.locator('#view').boundingBox();
  const cx = c.x + c.width / 2;
  const cy = c.y + c.height / 2;
  // Frames while a person pans (middle button) and zooms (wheel).
  await page.evaluate(() => {
    window.__frames = [];
    window.__long = [];
    const frame = (t) => {
      window.__frames.push(t);
      if (window.__frames.length < 100000) window.__raf = requestAnimationFrame(frame);
    };
    window.__raf = requestAnimationFrame(frame);
    try {
      new PerformanceObserver((l) => { for (const e of l.getEntries()) window.__long.push(e.duration); })
        .observe({ type: 'longtask', buffered: false });
    } catch { /* no long task timing */ }
    window.__statsBefore = window.nerolit.viewStats();
    performance.mark('pan-start');
  });
  await page.mouse.move(cx, cy);
  await page.mouse.down({ button: 'middle' });
  for (let k = 0; k < 60; k++) await page.mouse.move(cx + 4 * k, cy + 2 * k);
  await page.mouse.up({ button: 'middle' });
  await page.evaluate(() => performance.mark('zoom-start'));
  for (let k = 0; k < 30; k++) await page.mouse.wheel(0, k < 15 ? -60 : 60);
  await page.waitForTimeout(400);
  const r = await page.evaluate(() => {
    cancelAnimationFrame(window.__raf);
    const f = window.__frames;
    const gaps = f.slice(1).map((t, k) => t - f[k]);
    return { gaps, long: window.__long, seconds: (f[f.length - 1] - f[0]) / 1000, frames: f.length,
             stats: Object.fromEntries(Object.entries(window.nerolit.viewStats()).map(([k, v]) =>
               [k, k === 'lastFullMs' ? +v.toFixed(1) : v - window.__statsBefore[k]])) };
  });
  await page.close();
  return {
    figures: 100000, openMs: +openMs.toFixed(1), openPartsMs: parts, whileOpening: during,
    frameGapMs: stats(r.gaps), fps: +(r.frames / r.seconds).toFixed(1),
    longTasks: r.long.length, longestTaskMs: r.long.length ? Math.max(...r.long) : 0, view: r.stats,
  };
}

const { server, url } = await startServer(site);
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true,
  args: ['--no-sandbox', '--disable-gpu'] });
const result = { site, when: new Date().toISOString() };
try {
  if (!only || only.has('open')) result.open = await benchOpen(browser, url);
  if (!only || only.has('move')) result.move = await benchMove(browser, url);
  if (!only || only.has('large')) result.large = await benchLarge(browser, url);
} finally {
  await browser.close();
  await new Promise((done) => server.close(done));
}
console.log(JSON.stringify(result, null, 2));
