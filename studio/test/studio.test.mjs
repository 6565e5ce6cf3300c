// Browser tests: a person's use of each command through the page only
// (clicks, mouse moves, keys, the file chooser), read back through
// window.nerolit.  Each scenario downloads the recorded session, replays
// it in the native nerolit-host from the same drawing and checks that the
// figure lists are the same, and saves a screenshot (NEROLIT_STUDIO_OUT).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import {
  EXAMPLES, OUT, clickAt, countKinds, dragFrom, emptySession, inStudio, moveTo, openFile, press, replayNative,
  request, sameAsNative, save, screen, screenshot, settled, wheelAt,
} from './harness.mjs';

/* A scenario that takes longer has hung. */
const LIMIT = { timeout: 180000 };

/* Backs out of the running command the way a person does: the right
   button at each request, Esc at the panel. */
async function leaveCommand(page) {
  for (let i = 0; i < 10; i++) {
    const r = await request(page);
    if (r.kind === 'command') return;
    if (r.kind === 'panel' || r.kind === 'message') await page.keyboard.press('Escape');
    else await page.mouse.click(640, 400, { button: 'right' });
    await settled(page);
  }
  assert.fail('the command did not end');
}

/* Pixels of the view in the preview's blue. */
async function bluePixels(page) {
  return page.evaluate(() => {
    const c = document.getElementById('view');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) if (d[i] < 80 && d[i + 1] > 70 && d[i + 1] < 130 && d[i + 2] > 180) n++;
    return n;
  });
}

test('clouds: a rectangle cloud, and a trail cloud that follows the mouse and closes itself', LIMIT, () => inStudio(async (page) => {
  const drawing = join(EXAMPLES, 'cloud-trail-arcs.drawing');
  await openFile(page, drawing);
  const before = countKinds(await page.evaluate(() => window.nerolit.figureList()));
  // Zoom out about the part's centre with the wheel: the clouds go round it.
  const centre = await screen(page, 200, 150);
  const span = (await screen(page, 300, 150)).x - centre.x;
  await page.mouse.move(centre.x, centre.y);
  await page.mouse.wheel(0, 400);
  await page.waitForFunction(([x, y]) => Math.abs(window.nerolit.toScreen(300, 150).x - x) > 1, [centre.x + span, 0]);
  const after = await screen(page, 200, 150);
  assert.ok(Math.abs(after.x - centre.x) < 1 && Math.abs(after.y - centre.y) < 1, 'the wheel zooms about the cursor');
  const zoomed = (await screen(page, 300, 150)).x - after.x;
  assert.ok(zoomed > 0.4 * span && zoomed < 0.7 * span, `zoomed out: ${span} to ${zoomed} pixels per 100 units`);

  await press(page, '雲マーク');
  assert.equal((await request(page)).kind, 'panel');
  await page.getByRole('radio', { name: /矩形指定（ 凹型）/ }).check();
  await settled(page);
  await page.getByRole('button', { name: 'OK', exact: true }).click();
  assert.equal((await request(page)).kind, 'point');
  await clickAt(page, 360, 40);
  await clickAt(page, 460, 140);
  const boxed = countKinds(await page.evaluate(() => window.nerolit.figureList()));
  assert.equal((boxed.arc || 0) - (before.arc || 0), 12, 'a rectangle cloud is twelve arcs');

  // Back to the panel with the right button: the trail mode, chord 40, Enter.
  await page.mouse.click(640, 400, { button: 'right' });
  await settled(page);
  if ((await request(page)).kind !== 'panel') {
    await page.mouse.click(640, 400, { button: 'right' });
    await settled(page);
  }
  assert.equal((await request(page)).kind, 'panel');
  await page.getByRole('radio', { name: /マウス軌跡（時計周凹型）/ }).check();
  await settled(page);
  // A chord of zero: the module's message, answered Cancel, is back at the panel.
  const chord = page.getByRole('spinbutton', { name: '弦の長さ' });
  await chord.fill('0');
  await chord.press('Enter');
  await settled(page);
  assert.equal((await request(page)).kind, 'message');
  assert.match(await page.getByRole('dialog').textContent(), /弦の長さが\[ 0 \]です/);
  await page.getByRole('button', { name: 'キャンセル' }).click();
  await settled(page);
  assert.equal((await request(page)).kind, 'panel');
  await chord.fill('40');
  await chord.press('Enter');
  await settled(page);
  assert.equal((await request(page)).kind, 'point');

  // Clockwise around the part, a little past the start.
  await clickAt(page, 10, 150);
  const steps = 140;
  for (let k = 1; k <= steps; k++) {
    const t = Math.PI - (2 * Math.PI * k) / 130;
    await moveTo(page, 200 + 190 * Math.cos(t), 150 + 130 * Math.sin(t));
    if (k === 60) await screenshot(page, 'cloud-trail-growing');
  }
  assert.equal((await request(page)).kind, 'cursor', 'the trail waits for Enter');
  await page.keyboard.press('Enter');
  await settled(page);
  const trailed = countKinds(await page.evaluate(() => window.nerolit.figureList()));
  assert.ok(trailed.arc - boxed.arc >= 25, `the trail cloud has ${trailed.arc - boxed.arc} arcs`);

  await leaveCommand(page);
  await page.getByRole('button', { name: '全体表示' }).click();
  await screenshot(page, 'cloud');
  const r = await sameAsNative(page, 'cloud', drawing);
  assert.match(r.session, /^run kumo1$/m);
  assert.match(r.session, /^confirm$/m);

  // The settings outlive the visit: the next session starts from them
  // (as setting lines), until they are reset.
  await page.reload();
  await page.waitForFunction(() => window.nerolit && window.nerolit.request()?.kind === 'command');
  assert.match(await page.evaluate(() => window.nerolit.session()), /^setting kumo1 KumoGen 40$/m);
  page.once('dialog', (d) => d.accept());
  await page.getByRole('button', { name: '設定リセット' }).click();
  await page.waitForFunction(() => !/^setting /m.test(window.nerolit.session()) && window.nerolit.request()?.kind === 'command');
  await page.reload();
  await page.waitForFunction(() => window.nerolit && window.nerolit.request()?.kind === 'command');
  assert.doesNotMatch(await page.evaluate(() => window.nerolit.session()), /^setting /m);
}));

test('hatch: a drawn region filled with pattern slot 2 after its element 5 is changed in the editor', LIMIT, () => inStudio(async (page) => {
  const drawing = join(EXAMPLES, 'cloud-box-concave.drawing');
  await openFile(page, drawing);
  await page.getByLabel('選択モード').selectOption('0');
  await press(page, '新ハッチング');
  assert.equal((await request(page)).kind, 'panel');
  await page.getByRole('combobox', { name: '<=ﾊﾟﾀｰﾝ' }).selectOption({ label: '2' });
  await settled(page);
  await page.getByRole('combobox', { name: '<=個目' }).selectOption({ label: '5' });
  await settled(page);
  await page.getByRole('combobox', { name: '図形=>' }).selectOption({ label: '○' });
  await settled(page);
  // The editor's preview shows the cell as it is edited.
  await page.getByRole('spinbutton', { name: '⊿X:ｒ' }).fill('15');
  await page.getByRole('spinbutton', { name: '⊿X:ｒ' }).press('Tab');
  await settled(page);
  for (const name of ['ﾋﾟｯﾁ X', 'ﾋﾟｯﾁ Y']) {
    await page.getByRole('spinbutton', { name }).fill('60');
    await page.getByRole('spinbutton', { name }).press('Tab');
    await settled(page);
  }
  assert.ok(await page.locator('#panel-grid canvas.panel-picture').count() === 1, 'the editor draws its preview');
  await screenshot(page, 'hatch-editor');
  await page.getByRole('button', { name: 'OK', exact: true }).click();
  assert.equal((await request(page)).prompt, 'ハッチング領域開始点');

  for (const [x, y] of [[40, 40], [560, 40], [560, 360], [300, 300], [40, 360]]) await clickAt(page, x, y);
  await clickAt(page, 40, 40); // on the first point: the region closes
  const list = await page.evaluate(() => window.nerolit.figureList());
  const kinds = countKinds(list);
  assert.ok(kinds.circle > 20, `the region is filled with circles (${kinds.circle})`);
  for (const m of list.matchAll(/circle (-?\d+) (-?\d+) (\d+)/g)) {
    if (m[3] !== '15') continue;
    assert.ok(Number(m[1]) >= 40 && Number(m[1]) <= 560 && Number(m[2]) >= 40 && Number(m[2]) <= 360);
  }
  await leaveCommand(page);
  await screenshot(page, 'hatch');
  const r = await sameAsNative(page, 'hatch', drawing);
  assert.match(r.session, /^set selectMode 0$/m);
  assert.match(r.session, /^panel pick 3 "2"$/m);
  assert.match(r.session, /^close$/m);
}));

test('mirror: a copy flipped up and down, with its texts and their origins flipped', LIMIT, () => inStudio(async (page) => {
  const drawing = join(EXAMPLES, 'mirror-updown.drawing');
  await openFile(page, drawing);
  const before = await page.evaluate(() => window.nerolit.figureList());
  await press(page, 'ミラー');
  await page.getByRole('combobox', { name: '方向' }).selectOption({ label: '上下' });
  await settled(page);
  await page.getByRole('checkbox', { name: '元データを残す' }).check();
  await settled(page);
  await page.getByRole('checkbox', { name: '文字原点を反転する' }).check();
  await settled(page);
  await page.keyboard.press('Enter');
  await settled(page);
  assert.equal((await request(page)).kind, 'select');
  // A window dragged around everything.
  await dragFrom(page, 40, -60, 360, 340);
  assert.equal((await request(page)).kind, 'point');
  await clickAt(page, 0, -20); // the axis: the horizontal line through it
  const after = await page.evaluate(() => window.nerolit.figureList());
  const texts = (list) => [...list.matchAll(/text (-?\d+) (-?\d+) "([^"]*)" origin=(\d+)/g)];
  assert.equal(texts(after).length, 2 * texts(before).length, 'the originals stay, the copies are added');
  const flag = texts(after).filter((m) => m[3] === '旗');
  assert.deepEqual(flag.map((m) => [m[2], m[4]]).sort(), [['-330', '8'], ['290', '0']],
    'the copy of 旗 lies mirrored about y = -20 with its origin flipped from top to bottom');

  // The next selection by clicking figures: the sun and the pole, then Enter.
  assert.equal((await request(page)).kind, 'select');
  await clickAt(page, 330, 120);
  await clickAt(page, 100, 60);
  assert.equal((await request(page)).kind, 'select', 'clicked figures wait for Enter');
  await page.keyboard.press('Enter');
  await settled(page);
  assert.equal((await request(page)).kind, 'point');
  await clickAt(page, 0, 300);
  const again = await page.evaluate(() => window.nerolit.figureList());
  assert.match(again, /circle 300 480 30 /, 'the sun mirrored about y = 300');
  assert.match(again, /line 100 600 100 300 /, 'the pole mirrored about y = 300');
  assert.match(await page.evaluate(() => window.nerolit.session()), /^select \d+ \d+$/m);
  await leaveCommand(page);
  await page.getByRole('button', { name: '全体表示' }).click();
  await screenshot(page, 'mirror');
  await sameAsNative(page, 'mirror', drawing);
}));

test('stretch: the top wall dragged up with the preview following the mouse', LIMIT, () => inStudio(async (page) => {
  const drawing = join(EXAMPLES, 'stretch-drag.drawing');
  await openFile(page, drawing);
  await wheelAt(page, 2000, 1500, 200); // room around the walls for the window
  await page.getByLabel('直交').check();
  await press(page, 'パラメトリック変形');
  await page.getByRole('checkbox', { name: 'ドラッグ' }).check();
  await settled(page);
  await page.getByRole('radio', { name: 'リンクを更新する' }).check();
  await settled(page);
  await page.getByRole('button', { name: 'OK', exact: true }).click();
  await settled(page);
  await clickAt(page, -500, 2000);
  await clickAt(page, 4500, 3500);
  assert.equal(await bluePixels(page), 0);
  // Press at the base point, drag up, look mid-drag, release.
  const base = await screen(page, 2000, 3000);
  await page.mouse.move(base.x, base.y);
  await page.mouse.down();
  await settled(page);
  const mid = await screen(page, 2100, 3300);
  await page.mouse.move(mid.x, mid.y, { steps: 6 });
  await settled(page);
  const blue = await bluePixels(page);
  assert.ok(blue > 200, `the stretched preview is shown mid-drag (${blue} blue pixels)`);
  await screenshot(page, 'stretch-drag');
  const end = await screen(page, 2150, 3600);
  await page.mouse.move(end.x, end.y, { steps: 4 });
  await page.mouse.up();
  await settled(page);
  assert.equal(await bluePixels(page), 0, 'the preview is gone when the end point is given');
  const list = await page.evaluate(() => window.nerolit.figureList());
  assert.match(list, /line 4000 3600 0 3600/, 'the top wall moved up (orthogonal: straight up)');
  await leaveCommand(page);
  await screenshot(page, 'stretch');
  await sameAsNative(page, 'stretch', drawing);
}));

test('a DXF plan opened, clouded and saved as DXF, figure list and SVG', LIMIT, () => inStudio(async (page) => {
  // A figure list the host cannot read: file:line and the reason, and
  // the drawing shown stays.
  const bad = join(OUT, 'bad.drawing');
  writeFileSync(bad, 'line 0 0 100 0\nline 0 0 x 5\n');
  await openFile(page, bad);
  assert.match(await page.locator('#failure').textContent(), /bad\.drawing:2/);
  assert.equal(await page.evaluate(() => window.nerolit.figureList()), '');
  await page.locator('#failure').click();

  const drawing = join(EXAMPLES, 'plan-revision.dxf');
  await openFile(page, drawing);
  const opened = countKinds(await page.evaluate(() => window.nerolit.figureList()));
  assert.ok(opened.line > 10 && opened.text > 3, 'the plan is read');
  // Zoomed far in, then 全体表示 brings the whole plan (its LDK corners) back.
  const inside = async () => {
    const view = await page.locator('#view').boundingBox();
    for (const [x, y] of [[0, 0], [546000, 637000]]) {
      const p = await screen(page, x, y);
      if (p.x < view.x || p.x > view.x + view.width || p.y < view.y || p.y > view.y + view.height) return false;
    }
    return true;
  };
  assert.ok(await inside(), 'the opened plan is fitted to the view');
  await wheelAt(page, 273000, 318500, -1500);
  assert.ok(!(await inside()), 'zoomed in');
  await page.getByRole('button', { name: '全体表示' }).click();
  assert.ok(await inside(), 'fitted again');
  // A middle-button drag moves the drawing with the mouse.
  const o = await screen(page, 0, 0);
  await page.mouse.move(o.x, o.y);
  await page.mouse.down({ button: 'middle' });
  await page.mouse.move(o.x + 120, o.y - 60, { steps: 4 });
  await page.mouse.up({ button: 'middle' });
  const moved = await screen(page, 0, 0);
  assert.ok(Math.abs(moved.x - o.x - 120) < 0.5 && Math.abs(moved.y - o.y + 60) < 0.5, 'panned with the middle button');
  await page.getByRole('button', { name: '全体表示' }).click();
  const cursor = await screen(page, 100000, 200000);
  await page.mouse.move(cursor.x, cursor.y);
  // The status bar in millimetres, as the plan is measured (1/100 mm stored).
  const shown = (await page.locator('#cursor').textContent()).match(/X (-?[\d.]+) +Y (-?[\d.]+) mm/);
  assert.ok(Math.abs(shown[1] - 1000) < 20 && Math.abs(shown[2] - 2000) < 20, `the cursor in millimetres: ${shown[0]}`);
  await page.getByLabel('書込レイヤ').fill('6');
  await page.getByLabel('書込レイヤ').press('Tab');
  await press(page, '雲マーク');
  await page.getByRole('radio', { name: /矩形指定（ 凸型）/ }).check();
  await settled(page);
  await page.keyboard.press('Enter');
  await settled(page);
  await clickAt(page, 940000, 390000);
  await clickAt(page, 710000, -30000);
  await leaveCommand(page);
  const list = await page.evaluate(() => window.nerolit.figureList());
  assert.equal((countKinds(list).arc || 0) - (opened.arc || 0), 12);
  assert.match(list, /arc [^\n]* layer=6 /, 'the cloud is on layer 6 (改訂)');
  await screenshot(page, 'plan');

  await sameAsNative(page, 'plan', drawing);
  const dxf = await save(page, 'DXF保存', 'plan-saved.dxf');
  const text = readFileSync(dxf, 'latin1');
  assert.match(text, /^ {2}0\r?\nSECTION/);
  assert.match(text, /AC1015/);
  // nerolit-host reads the saved DXF back into the same figures.
  const again = await replayNative(emptySession(), dxf);
  assert.equal(again, list);
  const saved = readFileSync(await save(page, '図形リスト保存', 'plan-saved.txt'), 'utf8');
  assert.equal(saved, list);
  const svg = readFileSync(await save(page, 'SVG保存', 'plan-saved.svg'), 'utf8');
  assert.match(svg, /^<svg /);
  assert.match(svg, /浴室|洗面|LDK|居間/);
}));


test('a session file played in the page step by step gives what nerolit-host gives', LIMIT, () => inStudio(async (page) => {
  const drawing = join(EXAMPLES, 'cloud-attributes.drawing');
  const session = join(EXAMPLES, 'cloud-attributes.session');
  await openFile(page, drawing);
  // The session file dropped on the view, as from a file manager.
  const text = readFileSync(session, 'utf8');
  await page.evaluate((text) => {
    const data = new DataTransfer();
    data.items.add(new File([text], 'cloud-attributes.session'));
    const view = document.getElementById('viewport');
    view.dispatchEvent(new DragEvent('dragover', { dataTransfer: data, bubbles: true, cancelable: true }));
    view.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
  }, text);
  await page.locator('#player-lines li.next').waitFor();
  assert.ok(await page.locator('#drop-hint').isHidden());
  await expectNext(page, 'set currentLayer 1');
  await press(page, '1行進む');
  await press(page, '1行進む');
  await press(page, '1行進む');
  await expectNext(page, 'panel choose "矩形指定（ 凸型） "');
  assert.equal((await request(page)).kind, 'panel');
  assert.ok(await page.locator('#panel').evaluate((d) => d.open), 'the panel is shown while the session plays');
  await press(page, '1行進む');
  assert.ok(await page.getByRole('radio', { name: /矩形指定（ 凸型）/ }).isChecked());
  // The rest, with the group numbers asked for and the message-free cancel.
  await page.getByRole('button', { name: '最後まで再生', exact: true }).click();
  await page.waitForFunction(() => !document.querySelector('#player-lines li.next') && window.nerolit.request()?.kind === 'command');
  const list = await page.evaluate(() => window.nerolit.figureList());
  assert.equal(list, await replayNative(session, drawing), 'the same figures as the example played natively');
  assert.match(list, /group=12/);
  assert.match(list, /group=13/);
  await screenshot(page, 'player');
  await sameAsNative(page, 'player', drawing);
}));

/* The player's next line. */
async function expectNext(page, text) {
  assert.equal(await page.locator('#player-lines li.next').textContent(), text);
}
