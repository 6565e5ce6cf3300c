// harness.mjs - what the browser tests share: the built page served on
// 127.0.0.1, Debian's Chromium driven headless by playwright-core, the
// user's actions at drawing points (through window.nerolit.toScreen), the
// downloads, and the native nerolit-host replaying a downloaded session.
//
// Environment: NEROLIT_STUDIO_SITE (the built page, default
// ../build/studio/site), NEROLIT_HOST (the native nerolit-host, default
// ../build/native/nerolit-host), NEROLIT_STUDIO_OUT (screenshots and
// downloads, default ../build/studio/test-out), CHROMIUM (default
// /usr/bin/chromium).
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { basename, dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { promisify } from 'node:util';
import { chromium } from 'playwright-core';
import { startServer } from '../serve.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const repo = resolve(here, '../..');
export const SITE = resolve(here, '..', process.env.NEROLIT_STUDIO_SITE || '../build/studio/site');
export const HOST = resolve(process.env.NEROLIT_HOST || join(repo, 'build/native/nerolit-host'));
export const OUT = resolve(process.env.NEROLIT_STUDIO_OUT || join(repo, 'build/studio/test-out'));
export const EXAMPLES = join(repo, 'examples');

/* A served page in a fresh browser (empty local storage): { page, url,
   errors, close() }.  Errors of the page (uncaught exceptions, console
   errors) are collected; a test checks that there are none. */
export async function openStudio() {
  mkdirSync(OUT, { recursive: true });
  const { server, url } = await startServer(SITE);
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true });
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 }, acceptDownloads: true });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('console', (m) => {
    if (m.type() === 'error') errors.push(m.text());
  });
  await page.goto(url);
  try {
    await page.waitForFunction(() => window.nerolit && window.nerolit.request() && window.nerolit.request().kind === 'command');
  } catch (e) {
    await browser.close();
    await new Promise((done) => server.close(done));
    throw new Error(`the page did not start (${e.message}); its errors: ${errors.join(' | ') || 'none'}`);
  }
  return {
    page,
    url,
    errors,
    async close() {
      await browser.close();
      await new Promise((done) => server.close(done));
    },
  };
}

/* Waits until the page has sent everything and the engine asks again. */
export async function settled(page) {
  const done = await page.evaluate(() => Promise.race([
    window.nerolit.settled().then(() => true),
    new Promise((resolve) => setTimeout(() => resolve(false), 20000)),
  ]));
  if (!done) {
    const state = await page.evaluate(() => ({ request: window.nerolit.request(), session: window.nerolit.session(), failure: document.getElementById('failure').textContent }));
    throw new Error(`the page did not settle in 20 s: ${JSON.stringify(state.request)} ${state.failure}; session:\n${state.session}`);
  }
}

/* The request the page waits for: { kind, prompt, command }. */
export async function request(page) {
  await settled(page);
  return page.evaluate(() => window.nerolit.request());
}

/* Page coordinates of a drawing point. */
export async function screen(page, x, y) {
  return page.evaluate(([x, y]) => window.nerolit.toScreen(x, y), [x, y]);
}

/* A left click at a drawing point (the mouse moves there first, as a
   hand does). */
export async function clickAt(page, x, y) {
  const p = await screen(page, x, y);
  await page.mouse.move(p.x, p.y);
  await page.mouse.click(p.x, p.y);
  await settled(page);
}

/* Drags with the left button from one drawing point to another (a
   window around figures), as a hand does: press, move in steps, release. */
export async function dragFrom(page, x1, y1, x2, y2) {
  const a = await screen(page, x1, y1);
  const b = await screen(page, x2, y2);
  await page.mouse.move(a.x, a.y);
  await page.mouse.down();
  await page.mouse.move(b.x, b.y, { steps: 5 });
  await page.mouse.up();
  await settled(page);
}

/* Moves the mouse to a drawing point in `steps` steps. */
export async function moveTo(page, x, y, steps = 1) {
  const p = await screen(page, x, y);
  await page.mouse.move(p.x, p.y, { steps });
  await settled(page);
}

/* Turns the wheel with the mouse at a drawing point (positive: zoom out)
   and waits until the view has changed. */
export async function wheelAt(page, x, y, deltaY) {
  const p = await screen(page, x, y);
  const far = await screen(page, x + 1000, y);
  await page.mouse.move(p.x, p.y);
  await page.mouse.wheel(0, deltaY);
  await page.waitForFunction(([x, y, fx]) => Math.abs(window.nerolit.toScreen(x + 1000, y).x - fx) > 1, [x, y, far.x]);
  await settled(page);
}

/* Clicks the button with this accessible name. */
export async function press(page, name) {
  await page.getByRole('button', { name, exact: true }).click();
  await settled(page);
}

/* Opens a file through the page's open button and its file chooser, and
   waits until the page has taken it: a drawing opened (its name heads the
   session), a session file in the player, or the reason the page refused
   it (the failure box); with waitForCommand false, only chooses it. */
export async function openFile(page, path, { waitForCommand = true } = {}) {
  const chooser = page.waitForEvent('filechooser');
  await page.getByRole('button', { name: '開く', exact: true }).click();
  await (await chooser).setFiles(path);
  if (!waitForCommand) return;
  const name = basename(path);
  await page.waitForFunction((name) => {
    const failed = !document.getElementById('failure').hidden;
    const playing = document.getElementById('player-name').textContent === name;
    const opened = window.nerolit.session().includes(`# drawing: ${name}\n`);
    return (failed || playing || opened) && window.nerolit.request()?.kind === 'command';
  }, name);
}

/* Clicks a save button and returns the downloaded file's path and text. */
export async function save(page, buttonName, fileName) {
  const dl = page.waitForEvent('download');
  await page.getByRole('button', { name: buttonName, exact: true }).click();
  const d = await dl;
  const path = join(OUT, fileName || d.suggestedFilename());
  await d.saveAs(path);
  return path;
}

export async function screenshot(page, name) {
  const path = join(OUT, `${name}.png`);
  await page.screenshot({ path });
  return path;
}

const run = promisify(execFile);

/* Replays a session in the native nerolit-host from `drawing` (or an empty
   drawing) and returns its figure list (written, with the session's
   snapshots, into the tests' output folder, never beside the session:
   examples/ stays as it is). */
export async function replayNative(sessionPath, drawing) {
  const dump = join(OUT, basename(sessionPath).replace(/\.session$/, '') + '.native.txt');
  const args = ['--dump', dump, '--snapshot-dir', OUT, sessionPath];
  if (drawing) args.unshift('--drawing', drawing);
  await run(HOST, args, { timeout: 120000 });
  return readFileSync(dump, 'utf8');
}

/* Downloads the page's session, replays it natively and returns both
   figure lists: { page, native, session }. */
export async function compareWithNative(page, name, drawing) {
  const path = await save(page, 'セッション保存', `${name}.session`);
  const session = readFileSync(path, 'utf8');
  const native = await replayNative(path, drawing);
  const list = await page.evaluate(() => window.nerolit.figureList());
  writeFileSync(join(OUT, `${name}.page.txt`), list);
  return { page: list, native, session };
}

/* Requires that the downloaded session replays natively to the page's
   figure list; returns what compareWithNative does. */
export async function sameAsNative(page, name, drawing) {
  const r = await compareWithNative(page, name, drawing);
  assert.equal(r.page, r.native, `${name}: the page and nerolit-host differ on the downloaded session`);
  return r;
}

/* Runs scenario(page, studio) in a fresh page; the page must have made no
   error by its end, and the browser closes however the scenario ends. */
export async function inStudio(scenario) {
  const s = await openStudio();
  try {
    await scenario(s.page, s);
    assert.deepEqual(s.errors, []);
  } finally {
    await s.close();
  }
}

/* Figures of a figure list by kind: { line: n, arc: n, ... }. */
export function countKinds(list) {
  const out = {};
  for (const line of list.split('\n')) {
    const kind = line.split(' ')[1];
    if (kind) out[kind] = (out[kind] || 0) + 1;
  }
  return out;
}

/* A session that does nothing: nerolit-host only reads the drawing and
   writes it back. */
export function emptySession() {
  const path = join(OUT, 'empty.session');
  writeFileSync(path, '# nothing: the drawing read and written back\n');
  return path;
}
