// The four commands driven through the engine's JavaScript interface as a
// person at a page drives them; each checks what the page is shown on the
// way, that the drawing equals the native host's on the same session, and
// that the session the engine recorded replays byte-identically in the
// native nerolit-host and under Wine with the real DLL.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { User, engineModule, example, findItem, haveWine, read, replay } from './support.mjs';

const { createEngine } = await engineModule();
const wine = haveWine();

// (a) the person's own session in the native host gives the engine's
// drawing and settings; (b) the recorded session says exactly what the
// person did and replays the same natively and under Wine.
function checkReplays(t, engine, user, { drawing, settings = '', dxf = false } = {}) {
  const mine = replay('native', user.session(), { drawing, settings, dxfOut: dxf });
  assert.deepEqual(dxf ? Buffer.from(engine.dxf()) : engine.figureList(), mine.figures,
                   'figures as the native host on the same session');
  assert.equal(engine.settings(), mine.settings, 'settings as the native host writes them');
  assert.equal(engine.svg(), mine.svg, 'picture as the native host draws it');

  const recorded = engine.session();
  const lines = recorded.split('\n').filter((l) => l && !l.startsWith('#') && !l.startsWith('setting '));
  assert.deepEqual(lines, user.lines.filter((l) => !l.startsWith('setting ')), 'the recording says what the user did');
  const native = replay('native', recorded, { drawing, settings, dxfOut: dxf });
  assert.deepEqual(native.figures, mine.figures, 'the recorded session replays natively');
  assert.equal(native.settings, mine.settings);
  if (!wine) {
    t.diagnostic('SKIPPED under Wine: build/windows/Nerolit.dll or wine is missing');
    return;
  }
  const windows = replay('windows', recorded, { drawing, settings, dxfOut: dxf });
  assert.deepEqual(windows.figures, mine.figures, 'the recorded session replays under Wine with the DLL');
  assert.equal(windows.settings, mine.settings);
}

test('a trail cloud follows the mouse until it closes, then is confirmed', async (t) => {
  const drawing = example('cloud-trail-arcs.drawing');
  const engine = await createEngine();
  await engine.loadDrawing(read(drawing), 'cloud-trail-arcs.drawing');
  const user = new User(engine);
  let display = null;
  engine.on('display', (d) => { display = d; });

  let r = await user.do('run kumo1');
  assert.equal(r.kind, 'panel');
  const trail = findItem(engine.panel(), 'radio', 'マウス軌跡（時計周凹型）');
  assert.equal(trail.checked, false);
  await user.do({ verb: 'panel', choose: trail.caption });
  assert.equal(findItem(engine.panel(), 'radio', 'マウス軌跡（時計周凹型）').checked, true);
  const chord = findItem(engine.panel(), 'number', '弦の長さ');
  assert.ok(chord.lowest <= 40 && chord.highest >= 40 && Number.isInteger(chord.decimals));
  await user.do({ verb: 'panel', set: chord.caption, value: 40 });
  assert.equal(findItem(engine.panel(), 'number', '弦の長さ').value, 40);
  r = await user.do({ verb: 'panel', ok: true });
  assert.equal(r.kind, 'point');
  assert.equal(r.prompt, '雲マーク=> マウス軌跡 始点/終了');

  r = await user.do({ verb: 'point', x: 10, y: 150 });
  assert.equal(r.kind, 'cursor');
  assert.ok(r.accepts.includes('confirm') && r.accepts.includes('move'));
  // Round a circle through the start, on and on, until the trail stops
  // growing: it has closed near its start.
  const counts = [];
  for (let step = 1; step <= 300; ++step) {
    const a = Math.PI - (step * Math.PI) / 90;
    r = await user.do({ verb: 'move', x: Math.round((200 + 190 * Math.cos(a)) * 100) / 100,
                        y: Math.round((150 + 190 * Math.sin(a)) * 100) / 100 });
    assert.equal(r.kind, 'cursor', 'a mouse move leaves the request pending');
    counts.push(display.work.length);
    if (step > 190 && counts.at(-1) === counts.at(-40)) break;
  }
  const arcs = counts.at(-1);
  assert.ok(arcs >= 20, `the trail grew under the mouse (${arcs} figures shown)`);
  assert.ok(counts.length < 300, 'the trail closed');
  assert.ok(display.work.every((f) => f.kind === 'arc'), 'the trail is arcs');
  assert.ok(counts.some((n, k) => k > 0 && n > counts[k - 1]), 'it grew move by move');

  r = await user.do('confirm');
  assert.equal(r.kind, 'point');
  const before = read(drawing).split('\n').filter((l) => l && !l.startsWith('#')).length;
  assert.equal(engine.figures().length, before + arcs, 'the closed trail went into the drawing');
  await user.do('cancel');
  r = await user.do('panel cancel');
  assert.equal(r.kind, 'command');
    checkReplays(t, engine, user, { drawing });
});

test('a hatch on a region drawn point by point', async (t) => {
  const engine = await createEngine();
  const settings = read(example('hatch-kinds.ini')); // one cell of every element kind
  await engine.loadSettings(settings);
  const user = new User(engine);
  await user.do('set selectMode 0');
  let r = await user.do('run Hatch');
  assert.equal(r.kind, 'panel');
  const panel = engine.panel();
  assert.ok(panel.shapes.length > 0, 'the editor shows its preview of the cell');
  const element = panel.items.find((it) => it.kind === 'list' && it.row === 8);
  assert.ok(element && element.entries.length >= 8 && element.selected !== null);
  await user.do({ verb: 'panel', pick: 8, entry: '3' });
  assert.equal(engine.panel().items.find((it) => it.kind === 'list' && it.row === 8).selected,
               element.entries.indexOf('3'), 'the pick rebuilt the panel on element 3');
  r = await user.do({ verb: 'panel', ok: true });
  assert.equal(r.kind, 'point', 'the first corner');
  for (const [x, y] of [[0, 0], [800, 0], [800, 500], [550, 250], [400, 600], [250, 250], [0, 500], [0, 0]]) {
    r = await user.do({ verb: 'point', x, y });
    assert.equal(r.kind, 'region', 'the next corner, or the click that closes the region');
    assert.ok(r.accepts.includes('close'));
  }
  r = await user.do('close');
  assert.equal(r.kind, 'panel', 'after the pass the panel opens again');
  const figures = engine.figures();
  assert.ok(figures.length > 50, `the region is hatched (${figures.length} figures)`);
  for (const f of figures.filter((g) => g.kind === 'line'))
    for (const [x, y] of [[f.x1, f.y1], [f.x2, f.y2]])
      assert.ok(x >= -1 && x <= 801 && y >= -1 && y <= 601, `a hatch line stays in the region's box: ${x} ${y}`);
  r = await user.do('panel cancel');
  assert.equal(r.kind, 'command');
  assert.match(engine.settings(), /\[Hatch\]/);
  checkReplays(t, engine, user, { settings });
});

test('a slanted mirror keeps the originals and groups the copy', async (t) => {
  const drawing = example('mirror-slant.drawing');
  const engine = await createEngine();
  await engine.loadDrawing(read(drawing), 'mirror-slant.drawing');
  const before = engine.figures();
  const user = new User(engine);
  let r = await user.do('run C66');
  const direction = engine.panel().items.find((it) => it.kind === 'list' && it.entries.includes('斜め'));
  await user.do({ verb: 'panel', pick: direction.row, entry: '斜め' });
  await user.do({ verb: 'panel', set: '元データを残す', value: 1 });
  assert.equal(findItem(engine.panel(), 'check', '元データを残す').checked, true);
  await user.do({ verb: 'panel', set: '@groupmode', value: 2 });
  await user.do({ verb: 'panel', set: '@group', value: 1 });
  r = await user.do({ verb: 'panel', ok: true });
  assert.equal(r.kind, 'select');
  r = await user.do({ verb: 'select', all: true });
  assert.equal(r.kind, 'point');
  assert.equal(r.prompt, '基準点 １');
  r = await user.do({ verb: 'point', x: 300, y: -40 });
  assert.equal(r.prompt, '基準点 ２');
  assert.notEqual(r.band.kind, 0, 'a rubber line from the first point');
  assert.deepEqual([r.band.x, r.band.y], [300, -40]);
  r = await user.do({ verb: 'move', x: 400, y: 60 });
  assert.deepEqual(r.cursor, { x: 400, y: 60 });
  r = await user.do({ verb: 'point', x: 500, y: 160 });
  assert.equal(r.kind, 'select', 'the next selection');
  const after = engine.figures();
  assert.equal(after.length, 2 * before.length, 'originals kept, a mirror image of each added');
  // A point (x, y) mirrored about the 45° line through (300, -40) is
  // (y + 340, x - 340).
  const pole = after.find((f) => f.kind === 'line' && f.x1 === 100 && f.y1 === 0 && f.x2 === 100 && f.y2 === 300);
  assert.ok(pole, 'the pole stays');
  assert.ok(after.some((f) => f.kind === 'line' && f.x1 === 340 && f.y1 === -240 && f.x2 === 640 && f.y2 === -240),
            'its mirror image lies across the axis');
  await user.do('cancel');
  await user.do('panel cancel');
  checkReplays(t, engine, user, { drawing });
});

test('a stretch dragged with its preview, from settings loaded as INI', async (t) => {
  const drawing = example('stretch-drag.drawing');
  const engine = await createEngine();
  await engine.loadDrawing(read(drawing), 'stretch-drag.drawing');
  const settings = '[VeC92]\nc251_kakunin=0\n';
  await engine.loadSettings(settings);
  const user = new User(engine);
  let display = null;
  engine.on('display', (d) => { display = d; });
  await user.do('set orthoMode 1');
  let r = await user.do('run VeC92');
  await user.do({ verb: 'panel', set: 'ドラッグ', value: 1 });
  await user.do({ verb: 'panel', choose: 'リンクを更新する' });
  r = await user.do({ verb: 'panel', ok: true });
  assert.equal(r.prompt, 'パラメトリック範囲 始点');
  r = await user.do({ verb: 'point', x: -500, y: 2000 });
  assert.equal(r.prompt, 'パラメトリック範囲 終点');
  assert.equal(r.band.kind, 2, 'a box from the first corner');
  r = await user.do({ verb: 'point', x: 4500, y: 3500 });
  assert.equal(r.prompt, '移動 始点');
  r = await user.do({ verb: 'point', x: 2000, y: 3000 });
  assert.equal(r.prompt, '移動 終点');
  assert.equal(r.band.kind, 13, 'the drag band');
  r = await user.do({ verb: 'move', x: 2100, y: 3200 });
  r = await user.do({ verb: 'move', x: 2150, y: 3450 });
  assert.ok(display.previews.length > 0, 'the stretch is shown while the end point is dragged');
  assert.ok(display.previews.some((f) => f.kind === 'line' && f.y1 === 3450 && f.y2 === 3450),
            'the top wall follows the mouse up, orthogonally');
  assert.ok(display.dragLine, 'the drag line');
  r = await user.do({ verb: 'point', x: 2150, y: 3600 });
  assert.equal(display.previews.length, 0, 'the preview is taken off when the point is given');
  assert.ok(engine.figures().some((f) => f.kind === 'line' && f.y1 === 3600 && f.y2 === 3600 && f.x1 === 4000),
            'the top wall moved up 600 (orthogonal mode kept x)');
  await user.do('cancel');
  await user.do('panel cancel');
  assert.match(engine.session(), /^setting VeC92 c251_kakunin 0$/m, 'the loaded settings are in the session');
  checkReplays(t, engine, user, { drawing, settings });
});
