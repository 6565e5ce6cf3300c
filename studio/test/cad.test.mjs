// Browser tests of the drafting aids, driven as a person drives the page
// (mouse, keys, the bar's buttons): object snaps, ortho and typed points,
// undo and redo, the desktop conventions (right button, Space, Escape,
// double middle-click, help), a command button during a command, and the
// trail's look.  Each downloads its session and requires that the native
// nerolit-host replays it to the same figure list.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { copyFileSync, mkdirSync, writeFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import {
  EXAMPLES, OUT, clickAt, countKinds, dragFrom, inStudio, moveTo, openFile, press, request, sameAsNative, screen,
  screenshot, settled,
} from './harness.mjs';

const LIMIT = { timeout: 180000 };
const DOCS = resolve(EXAMPLES, '../docs'); // the README's pictures

const figureList = (page) => page.evaluate(() => window.nerolit.figureList());
const session = (page) => page.evaluate(() => window.nerolit.session());
const recorded = (text) => text.split('\n').filter((l) => l && !l.startsWith('#'));

/* A drawing with two crossing lines (their crossing is not a whole unit),
   a circle and an arc. */
function snapDrawing() {
  mkdirSync(OUT, { recursive: true });
  const path = join(OUT, 'snaps.drawing');
  writeFileSync(path, [
    '# two crossing lines, a circle and an arc',
    'line 0 0 1000 400',
    'line 0 300 1000 0',
    'circle 1400 200 150',
    'arc 700 700 200 180 360',
    '',
  ].join('\n'));
  return path;
}

/* The rectangle cloud's point request (kumo1 with its rectangle mode). */
async function rectangleCloud(page) {
  await press(page, '雲マーク');
  assert.equal((await request(page)).kind, 'panel');
  await page.getByRole('radio', { name: /矩形指定（ 凹型）/ }).check();
  await settled(page);
  await page.getByRole('button', { name: 'OK', exact: true }).click();
  assert.equal((await request(page)).kind, 'point');
}

/* Hovers a few pixels off a drawing point and returns the snap tooltip. */
async function hover(page, x, y, dx = 4, dy = -3) {
  const p = await screen(page, x, y);
  await page.mouse.move(p.x + dx, p.y + dy);
  await settled(page);
  const tip = page.locator('#snap-tip');
  return (await tip.isVisible()) ? tip.textContent() : null;
}

test('snaps: end, middle, centre, intersection and nearest, each with its marker and tooltip, recorded as the stored point', LIMIT, () => inStudio(async (page) => {
  const drawing = snapDrawing();
  await openFile(page, drawing);
  await rectangleCloud(page);
  // The crossing of y = 0.4 x and y = 300 - 0.3 x: (3000/7, 1200/7).
  assert.equal(await hover(page, 428.57, 171.43), '交点');
  await screenshot(page, 'snap-intersection');
  copyFileSync(join(OUT, 'snap-intersection.png'), join(DOCS, 'studio-snap.png'));
  // The marker is drawn on the cursor layer in the marker's green.
  const green = await page.evaluate(() => {
    const c = document.getElementById('cursor-layer');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i + 3] > 200 && d[i] < 40 && d[i + 1] > 110 && d[i + 2] < 70) n++;
    return n;
  });
  assert.ok(green > 20, `the snap marker is drawn (${green} pixels)`);
  const p = await screen(page, 428.57, 171.43);
  await page.mouse.click(p.x + 4, p.y - 3);
  await settled(page);
  assert.equal(await hover(page, 1000, 400, -3, 2), '端点');
  const q = await screen(page, 1000, 400);
  await page.mouse.click(q.x - 3, q.y + 2);
  await settled(page);
  const text = await session(page);
  assert.match(text, /^point 428\.571428571428\d* 171\.428571428571\d*$/m, 'the crossing as computed, not rounded');
  assert.match(text, /^point 1000 400$/m);

  // The other kinds, hovered at the next cloud's first point.
  assert.equal(await hover(page, 500, 200), '中点');
  assert.equal(await hover(page, 1400, 200, 3, 3), '中心');
  assert.equal(await hover(page, 700, 900, 3, -2), '中点'); // the arc's middle: the host's 270 degrees, above its centre
  assert.equal(await hover(page, 1400, 50, 3, 2), '中心', 'on the circle: its centre');
  // Kinds switched off in the bar: the circle gives its nearest point.
  await page.getByRole('button', { name: 'スナップ 中心' }).click();
  await page.getByRole('button', { name: 'スナップ 近接' }).click();
  assert.equal(await page.getByRole('button', { name: 'スナップ 近接' }).getAttribute('aria-pressed'), 'true');
  assert.equal(await hover(page, 1400 + 150 * Math.cos(1), 200 + 150 * Math.sin(1), 2, 2), '近接');
  await screenshot(page, 'snap-nearest');
  assert.match(await page.locator('#modes').textContent(), /スナップ オン \(端点・中点・交点・近接\)/);
  // F3: no snap; the click is the whole unit under the cursor.
  await page.keyboard.press('F3');
  assert.match(await page.locator('#modes').textContent(), /スナップ オフ/);
  assert.equal(await hover(page, 1000, 400, -3, 2), null);
  await page.keyboard.press('F3');
  assert.equal(await hover(page, 1000, 400, -3, 2), '端点');
  await page.keyboard.press('Escape');
  assert.equal((await request(page)).kind, 'command');
  const after = countKinds(await figureList(page));
  assert.ok(after.arc > 1, 'the cloud was drawn');
  await sameAsNative(page, 'snaps', drawing);
}));

test('ortho by F8 and typed points at the prompt line, absolute and relative, without a click on it', LIMIT, () => inStudio(async (page) => {
  const drawing = snapDrawing();
  await openFile(page, drawing);
  await page.keyboard.press('F8');
  await settled(page);
  assert.equal(await page.locator('#ortho-mode').isChecked(), true);
  assert.match(await page.locator('#modes').textContent(), /直交 オン/);
  await page.keyboard.press('F8');
  await settled(page);
  assert.match(await page.locator('#modes').textContent(), /直交 オフ/);
  assert.match(await session(page), /^set orthoMode 1\nset orthoMode 0$/m);

  await rectangleCloud(page);
  await page.keyboard.type('100,50');
  assert.equal(await page.locator('#typed').inputValue(), '100,50', 'the prompt line took the keys');
  await page.keyboard.press('Enter');
  await settled(page);
  await page.keyboard.type('@300,200');
  await page.keyboard.press('Enter');
  await settled(page);
  await page.keyboard.type('@x,1');
  await page.keyboard.press('Enter');
  assert.match(await page.locator('#prompt').textContent(), /X,Y または @dX,dY/);
  await page.keyboard.press('Escape'); // the bad text goes first
  assert.equal(await page.locator('#typed').inputValue(), '');
  const text = await session(page);
  assert.match(text, /^point 100 50\npoint 400 250$/m);
  await page.keyboard.press('Escape');
  assert.equal((await request(page)).kind, 'command');
  // A command name typed between commands starts it.
  await page.keyboard.type('kumo1');
  await page.keyboard.press('Enter');
  assert.equal((await request(page)).command.toLowerCase(), 'kumo1');
  await page.keyboard.press('Escape');
  assert.equal((await request(page)).kind, 'command');
  await sameAsNative(page, 'typed', drawing);
}));

test('undo and redo of whole commands replay the session; Backspace takes back the trail', LIMIT, () => inStudio(async (page) => {
  const drawing = snapDrawing();
  await openFile(page, drawing);
  await page.keyboard.press('F3'); // free points
  const l0 = await figureList(page);
  await rectangleCloud(page);
  await clickAt(page, 100, 500);
  await clickAt(page, 300, 650);
  await page.keyboard.press('Escape');
  assert.equal((await request(page)).kind, 'command');
  const l1 = await figureList(page);
  const s1 = recorded(await session(page));
  await page.keyboard.press('Space'); // the same command again
  assert.equal((await request(page)).kind, 'panel');
  await page.getByRole('button', { name: 'OK', exact: true }).click();
  await clickAt(page, 1200, 500);
  await clickAt(page, 1500, 650);
  await page.keyboard.press('Escape');
  assert.equal((await request(page)).kind, 'command');
  const l2 = await figureList(page);
  assert.notEqual(l1, l0);
  assert.notEqual(l2, l1);

  await page.keyboard.press('Control+z');
  await page.waitForFunction((n) => window.nerolit.request()?.kind === 'command' && window.nerolit.session().split('\n').filter((l) => /^run /.test(l)).length === n, 1);
  assert.equal(await figureList(page), l1, 'undo gives the drawing after the first cloud');
  assert.deepEqual(recorded(await session(page)), s1, 'the session is the first cloud\'s');
  await screenshot(page, 'undo');
  copyFileSync(join(OUT, 'undo.png'), join(DOCS, 'studio-undo.png'));
  await sameAsNative(page, 'undo', drawing);

  await page.keyboard.press('Control+y');
  await page.waitForFunction(() => window.nerolit.session().split('\n').filter((l) => /^run /.test(l)).length === 2);
  await settled(page);
  assert.equal(await figureList(page), l2, 'redo gives the second cloud again');
  await page.getByRole('button', { name: '元に戻す' }).click();
  await page.waitForFunction(() => window.nerolit.session().split('\n').filter((l) => /^run /.test(l)).length === 1);
  await page.getByRole('button', { name: '元に戻す' }).click();
  await page.waitForFunction(() => !/^run /m.test(window.nerolit.session()));
  await settled(page);
  assert.equal(await figureList(page), l0);
  assert.equal(await page.getByRole('button', { name: '元に戻す' }).isDisabled(), true);
  await page.getByRole('button', { name: 'やり直し' }).click();
  await page.waitForFunction(() => window.nerolit.session().split('\n').filter((l) => /^run /.test(l)).length === 1);
  await settled(page);
  assert.equal(await figureList(page), l1);

  // Backspace inside a trail takes the trail back; the command goes on.
  await press(page, '雲マーク');
  await page.getByRole('radio', { name: /マウス軌跡（時計周凹型）/ }).check();
  await settled(page);
  await page.getByRole('button', { name: 'OK', exact: true }).click();
  await clickAt(page, 100, 100);
  for (let k = 1; k <= 20; k++) await moveTo(page, 100 + 20 * k, 100 + 8 * k);
  assert.equal((await request(page)).kind, 'cursor');
  await page.keyboard.press('Backspace');
  assert.equal((await request(page)).kind, 'point', 'back to the trail\'s first point');
  await page.keyboard.press('Escape');
  assert.equal((await request(page)).kind, 'command');
  assert.equal(await figureList(page), l1, 'the trail taken back left nothing');
  await sameAsNative(page, 'undo-redo', drawing);
}));

test('conventions: right button repeats and confirms, Escape leaves at once, a command button switches, double middle-click fits, F1 helps', LIMIT, () => inStudio(async (page) => {
  const drawing = snapDrawing();
  await openFile(page, drawing);
  await rectangleCloud(page);
  // Escape at the cloud's first point leaves the command at once.
  await page.keyboard.press('Escape');
  assert.equal((await request(page)).kind, 'command');
  // The right button with nothing pending repeats the last command.
  await page.mouse.click(640, 400, { button: 'right' });
  const r = await request(page);
  assert.equal(r.kind, 'panel');
  assert.equal(r.command.toLowerCase(), 'kumo1');
  await page.getByRole('button', { name: 'OK', exact: true }).click();
  assert.equal((await request(page)).kind, 'point');
  // A command button during a command ends it and starts its own.
  await page.getByRole('button', { name: 'ミラー', exact: true }).click();
  const m = await request(page);
  assert.equal(m.command, 'C66');
  assert.equal(await page.getByRole('button', { name: 'ミラー', exact: true }).getAttribute('aria-pressed'), 'true');
  await page.keyboard.press('Escape');
  assert.equal((await request(page)).kind, 'command');

  // The crosshair replaces the system cursor; the status line shows the modes.
  assert.equal(await page.locator('#view').evaluate((v) => getComputedStyle(v).cursor), 'none');
  await moveTo(page, 500, 300);
  const dark = await page.evaluate(() => {
    const c = document.getElementById('cursor-layer');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 3; i < d.length; i += 4) if (d[i] > 200) n++;
    return n;
  });
  assert.ok(dark > 60, `the crosshair and aperture are drawn (${dark} pixels)`);
  assert.match(await page.locator('#modes').textContent(), /スナップ オン.*直交 オフ/);

  // Double middle-click: everything in view after zooming in.
  const before = await screen(page, 1400, 200);
  const c = await screen(page, 200, 100);
  await page.mouse.move(c.x, c.y);
  for (let i = 0; i < 3; i++) await page.mouse.wheel(0, -400);
  await page.waitForFunction(([x]) => Math.abs(window.nerolit.toScreen(1400, 200).x - x) > 50, [before.x]);
  await page.mouse.click(c.x, c.y, { button: 'middle', clickCount: 1 });
  await page.mouse.click(c.x, c.y, { button: 'middle', clickCount: 2 });
  await page.waitForFunction(([x]) => Math.abs(window.nerolit.toScreen(1400, 200).x - x) < 1, [before.x]);

  // F1 and ? show the keys; Escape closes the panel.
  await page.keyboard.press('F1');
  const help = page.getByRole('dialog', { name: 'キーとマウスの操作' });
  assert.equal(await help.isVisible(), true);
  assert.match(await help.textContent(), /Ctrl\+Z.*F3.*F8/s);
  await page.keyboard.press('Escape');
  assert.equal(await help.isVisible(), false);
  await page.keyboard.press('?');
  assert.equal(await help.isVisible(), true);
  await page.getByRole('button', { name: '閉じる' }).click();
  assert.equal(await help.isVisible(), false);
  assert.equal((await request(page)).kind, 'command');
  await sameAsNative(page, 'conventions', drawing);
}));

test('a quick trail keeps every point the mouse passed and looks unconfirmed until Enter', LIMIT, () => inStudio(async (page) => {
  const drawing = join(EXAMPLES, 'cloud-trail-arcs.drawing');
  await openFile(page, drawing);
  await page.keyboard.press('F3');
  // Zoomed out about the part's centre: the trail goes round it.
  const centre = await screen(page, 200, 150);
  const far = await screen(page, 400, 150);
  await page.mouse.move(centre.x, centre.y);
  await page.mouse.wheel(0, 400);
  await page.waitForFunction(([x]) => Math.abs(window.nerolit.toScreen(400, 150).x - x) > 1, [far.x]);
  await press(page, '雲マーク');
  await page.getByRole('radio', { name: /マウス軌跡（時計周凹型）/ }).check();
  await settled(page);
  const chord = page.getByRole('spinbutton', { name: '弦の長さ' });
  await chord.fill('40');
  await chord.press('Enter');
  assert.equal((await request(page)).kind, 'point');
  await clickAt(page, 10, 150);
  // A fast circle: the moves come faster than the engine answers them.
  const pts = [];
  for (let k = 1; k <= 140; k++) {
    const t = Math.PI - (2 * Math.PI * k) / 130;
    pts.push(await screen(page, 200 + 190 * Math.cos(t), 150 + 130 * Math.sin(t)));
  }
  // The first half by the mouse; the second as the burst of events a
  // busy page receives at once (the engine answers none in between).
  for (const p of pts.slice(0, 70)) await page.mouse.move(p.x, p.y);
  await page.evaluate((burst) => {
    const v = document.getElementById('view');
    for (const p of burst) v.dispatchEvent(new PointerEvent('pointermove', { clientX: p.x, clientY: p.y, bubbles: true, pointerType: 'mouse' }));
  }, pts.slice(70));
  const last = pts[pts.length - 1];
  await page.mouse.move(last.x, last.y);
  await settled(page);
  const moves = recorded(await session(page)).filter((l) => l.startsWith('move ')).length;
  assert.ok(moves >= 135, `every mouse position went to the trail (${moves} moves)`);
  // Unconfirmed: dashed orange, not the drawing's black.
  const orange = () => page.evaluate(() => {
    const c = document.getElementById('view');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i] > 170 && d[i + 1] > 60 && d[i + 1] < 130 && d[i + 2] < 60) n++;
    return n;
  });
  assert.equal((await request(page)).kind, 'cursor');
  assert.ok(await orange() > 100, 'the pending trail is orange');
  await screenshot(page, 'trail-pending');
  await page.mouse.click(640, 400, { button: 'right' }); // the right button confirms the trail
  await settled(page);
  assert.equal((await request(page)).kind, 'point');
  assert.ok(await orange() < 10, 'the confirmed cloud is the drawing\'s');
  await page.keyboard.press('Escape');
  assert.equal((await request(page)).kind, 'command');
  const r = await sameAsNative(page, 'trail-fast', drawing);
  assert.match(r.session, /^confirm$/m);
}));

test('feedback after selecting: the stretch window stays marked and what it caught is highlighted', LIMIT, () => inStudio(async (page) => {
  const drawing = join(EXAMPLES, 'stretch-drag.drawing');
  await openFile(page, drawing);
  await page.keyboard.press('F3');
  const c = await screen(page, 2000, 1500);
  const far = await screen(page, 4000, 1500);
  await page.mouse.move(c.x, c.y);
  await page.mouse.wheel(0, 200);
  await page.waitForFunction(([x]) => Math.abs(window.nerolit.toScreen(4000, 1500).x - x) > 1, [far.x]);
  const highlighted = () => page.evaluate(() => {
    const v = document.getElementById('view');
    const d = v.getContext('2d').getImageData(0, 0, v.width, v.height).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i] > 200 && d[i + 1] > 90 && d[i + 1] < 140 && d[i + 2] < 40) n++;
    return n;
  });
  await press(page, 'パラメトリック変形');
  await page.getByRole('button', { name: 'OK', exact: true }).click();
  assert.match((await request(page)).kind, /^(point|cursor)$/);
  await clickAt(page, -500, 2000);
  await clickAt(page, 4500, 3500);
  assert.match((await request(page)).kind, /^(point|cursor)$/, 'the base point is asked');
  const lit = await highlighted();
  assert.ok(lit > 300, `the top wall and the side walls' upper ends are highlighted (${lit} pixels)`);
  await screenshot(page, 'stretch-window');
  copyFileSync(join(OUT, 'stretch-window.png'), join(DOCS, 'studio-select.png'));
  await page.keyboard.press('Escape');
  assert.equal((await request(page)).kind, 'command');
  assert.ok(await highlighted() < 10, 'the highlight ends with the command');
  await sameAsNative(page, 'stretch-window', drawing);
}));

test('hatch: nothing drawn is said, the cell preview follows a typed size, a long pass shows it runs and Escape stops it', { timeout: 300000 }, () => inStudio(async (page) => {
  const drawing = join(EXAMPLES, 'cloud-box-concave.drawing');
  await openFile(page, drawing);
  await page.keyboard.press('F3');
  await page.getByLabel('選択モード').selectOption('0');
  const region = async () => {
    for (const [x, y] of [[40, 40], [560, 40], [560, 360], [40, 360]]) await clickAt(page, x, y);
    await clickAt(page, 40, 40);
  };
  // The defaults: the pattern's element is empty, so the pass writes nothing; the page says so.
  await press(page, '新ハッチング');
  await page.getByRole('button', { name: 'OK', exact: true }).click();
  assert.equal((await request(page)).prompt, 'ハッチング領域開始点');
  const before = await figureList(page);
  await region();
  assert.equal(await figureList(page), before);
  assert.match(await page.locator('#hint').textContent(), /何も描きませんでした/);
  await page.keyboard.press('Escape');
  assert.equal((await request(page)).kind, 'command');

  // A circle element; its size typed without Tab or Enter reaches the module (and its preview) after a pause.
  await press(page, '新ハッチング');
  await page.getByRole('combobox', { name: '図形=>' }).selectOption({ label: '○' });
  await settled(page);
  const radius = page.getByRole('spinbutton', { name: '⊿X:ｒ' });
  await radius.fill('');
  await radius.pressSequentially('25', { delay: 60 });
  await page.waitForFunction(() => /^panel set "⊿X:ｒ" 25$/m.test(window.nerolit.session()));
  await settled(page);
  assert.doesNotMatch(await session(page), /^panel set "⊿X:ｒ" 2$/m, 'a pause sends the number, not each key');
  assert.equal(await page.getByRole('spinbutton', { name: '⊿X:ｒ' }).evaluate((e) => e === document.activeElement), true, 'the field keeps the focus');
  // A pitch of 1 over the region: more than the write limit.
  for (const name of ['ﾋﾟｯﾁ X', 'ﾋﾟｯﾁ Y']) {
    await page.getByRole('spinbutton', { name }).fill('1');
    await page.getByRole('spinbutton', { name }).press('Tab');
    await settled(page);
  }
  await page.getByRole('button', { name: 'OK', exact: true }).click();
  assert.equal((await request(page)).prompt, 'ハッチング領域開始点');
  await region();
  for (let i = 0; i < 3 && (await request(page)).kind !== 'message'; i++) await settled(page);
  assert.equal((await request(page)).kind, 'message');
  assert.match(await page.locator('#message-text').textContent(), /制限値を越えました.*set figureLimit 200000/s, 'the write limit says how to raise it');
  await page.keyboard.press('Enter');
  await page.keyboard.press('Escape');
  await settled(page);
  await page.keyboard.press('Escape');
  assert.equal((await request(page)).kind, 'command');
  await page.keyboard.type('set figureLimit 400000');
  await page.keyboard.press('Enter');
  await settled(page);
  assert.match(await session(page), /^set figureLimit 400000$/m);
  // Now the long pass runs: the busy sign shows until Escape stops it.
  await press(page, '新ハッチング');
  await page.getByRole('button', { name: 'OK', exact: true }).click();
  assert.equal((await request(page)).prompt, 'ハッチング領域開始点');
  for (const [x, y] of [[40, 40], [560, 40], [560, 360], [40, 360]]) await clickAt(page, x, y);
  const first = await screen(page, 40, 40);
  await page.mouse.click(first.x, first.y);
  await page.locator('#busy').waitFor({ state: 'visible', timeout: 20000 });
  assert.match(await page.locator('#busy').textContent(), /処理中.*Esc: 中止/);
  await screenshot(page, 'hatch-busy');
  await page.keyboard.press('Escape');
  await settled(page);
  assert.equal(await page.locator('#busy').isVisible(), false);
  for (let i = 0; i < 6 && (await request(page)).kind !== 'command'; i++) {
    if ((await request(page)).kind === 'message') await page.keyboard.press('Enter');
    else await page.keyboard.press('Escape');
    await settled(page);
  }
  assert.equal((await request(page)).kind, 'command');
  await sameAsNative(page, 'hatch-feedback', drawing);
}));

test('mirror: the figures a window caught are highlighted and the axis follows the cursor while the base point is asked', LIMIT, () => inStudio(async (page) => {
  const drawing = join(EXAMPLES, 'mirror-updown.drawing');
  await openFile(page, drawing);
  await page.keyboard.press('F3');
  await press(page, 'ミラー');
  await page.getByRole('combobox', { name: '方向' }).selectOption({ label: '上下' });
  await settled(page);
  await page.keyboard.press('Enter');
  assert.equal((await request(page)).kind, 'select');
  await dragFrom(page, 40, -60, 360, 340);
  const r = await request(page);
  assert.equal(r.prompt, '基準点');
  await moveTo(page, 0, -20);
  // A horizontal dash-dot line in the axis's magenta across the cursor layer.
  const row = await page.evaluate(([y]) => {
    const c = document.getElementById('cursor-layer');
    const dpr = window.devicePixelRatio || 1;
    const top = c.getBoundingClientRect().top;
    const d = c.getContext('2d').getImageData(0, Math.round((y - top) * dpr), c.width, 1).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i + 3] > 100 && d[i] > 120 && d[i + 1] < 60 && d[i + 2] > 120) n++;
    return n / c.width;
  }, [(await screen(page, 0, -20)).y]);
  assert.ok(row > 0.5, `the axis crosses the view (${(row * 100).toFixed(0)}% of the row)`);
  const lit = await page.evaluate(() => {
    const v = document.getElementById('view');
    const d = v.getContext('2d').getImageData(0, 0, v.width, v.height).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i] > 200 && d[i + 1] > 90 && d[i + 1] < 140 && d[i + 2] < 40) n++;
    return n;
  });
  assert.ok(lit > 300, `the selection is highlighted (${lit} pixels)`);
  await screenshot(page, 'mirror-axis');
  copyFileSync(join(OUT, 'mirror-axis.png'), join(DOCS, 'studio-mirror-axis.png'));
  await clickAt(page, 0, -20);
  assert.equal((await request(page)).kind, 'select');
  await page.keyboard.press('Escape');
  assert.equal((await request(page)).kind, 'command');
  await sameAsNative(page, 'mirror-axis', drawing);
}));
