// What a page reads from the engine to stay fast on long sessions and
// large drawings: the figures as numbers (the same as figures() gives),
// the session's new lines only, a stamp that changes with the drawing,
// the names behind layer, colour and line type numbers, settings given
// with the drawing (recorded once), and a session file checked as
// nerolit-host reads it.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { readFileSync } from 'node:fs';

import { engineModule, example, read, replay } from './support.mjs';

const { createEngine } = await engineModule();

test('figures as numbers equal figures(); the stamp changes only when the drawing does', async () => {
  const engine = await createEngine();
  await engine.loadDxf(readFileSync(example('plan-revision.dxf')), 'plan-revision.dxf');
  const fast = engine.drawingFigures();
  assert.deepEqual(fast, engine.figures());
  assert.ok(fast.some((f) => f.kind === 'text') && fast.some((f) => f.kind === 'arc') && fast.some((f) => f.kind === 'line'));
  const stamp = engine.drawingStamp();
  assert.equal(engine.drawingStamp(), stamp, 'reading changes nothing');
  assert.equal(engine.figureCount(), fast.length);

  // A rectangle cloud adds arcs: the stamp moves, the numbers follow.
  await engine.answer('run kumo1');
  await engine.answer('panel choose "矩形指定（ 凸型） "');
  await engine.answer('panel ok');
  await engine.answer('point 100000 100000');
  await engine.answer('point 300000 200000');
  assert.notEqual(engine.drawingStamp(), stamp);
  assert.deepEqual(engine.drawingFigures(), engine.figures());
  assert.ok(engine.figureCount() > fast.length);
});

test('names: the plan\'s layers with their colours and line types, dashes in stored units', async () => {
  const engine = await createEngine();
  await engine.loadDxf(readFileSync(example('plan-revision.dxf')), 'plan-revision.dxf');
  const names = engine.names();
  assert.equal(names.unitFactor, 0.01);
  assert.equal(names.insUnits, 4);
  assert.equal(names.fromDxf, true);
  const axis = names.layers.find((l) => l.name === '通り芯');
  assert.deepEqual(axis, { name: '通り芯', color: 6, off: false, lineType: '一点鎖線' });
  const dashDot = names.lineTypes.find((t) => t.name === '一点鎖線');
  assert.deepEqual(dashDot.dashes, [1200, -300, 0, -300]); // 12, -3, 0, -3 mm in 1/100 mm
  // A figure list has no table: the unit only.
  const list = await createEngine();
  await list.loadDrawing('line 0 0 10 0 layer=3\n', 'a.drawing');
  assert.deepEqual(list.names(), { unitFactor: 1, insUnits: 4, fromDxf: false, layers: [], lineTypes: [] });
});

test('the session\'s new lines: only those after the last one read', async () => {
  const engine = await createEngine();
  await engine.loadDrawing(read(example('stretch-drag.drawing')), 'stretch-drag.drawing', '[kumo1]\nKumoGen=40\n');
  // The settings given with the drawing: recorded once, before the lines.
  assert.equal(engine.session().split('\n').filter((l) => l.startsWith('setting ')).length, 1);
  assert.deepEqual(engine.sessionSince(0), { from: 0, lines: '' });
  await engine.answer('set currentLayer 2');
  await engine.answer('run kumo1');
  let read1 = engine.sessionSince(0);
  assert.deepEqual(read1, { from: 0, lines: 'set currentLayer 2\nrun kumo1\n' });
  await engine.answer('panel cancel');
  assert.deepEqual(engine.sessionSince(2), { from: 2, lines: 'panel cancel\n' });
  assert.deepEqual(engine.sessionSince(3), { from: 3, lines: '' });
  // All the lines read in pieces make the session's body.
  const body = engine.session().split('\n').filter((l) => l && !l.startsWith('#') && !l.startsWith('setting '));
  assert.deepEqual(body, ['set currentLayer 2', 'run kumo1', 'panel cancel']);
});

test('a session file is checked as nerolit-host reads it; a line that fits nothing now is named', async () => {
  const engine = await createEngine();
  assert.equal(engine.parseSession('# fine\nrun kumo1\npanel cancel\n', 'ok.session'), null);
  assert.equal(engine.parseSession('run kumo1\n\npoint 10\n', 'bad.session'),
               'bad.session:3: expected point X Y / move X Y: point 10');
  assert.match(engine.parseSession('hello world\n', 'h.session'), /^h\.session:1: unknown action 'hello'/);
  // The same text as nerolit-host's refusal.
  assert.throws(() => replay('native', 'run kumo1\n\npoint 10\n'), /play\.session:3: expected point X Y \/ move X Y: point 10/);
  assert.equal(engine.check('run kumo1'), null);
  assert.match(engine.check('run kumo2'), /no command 'kumo2'/);
  assert.match(engine.check('point 1 2'), /between commands/);
});

/* A DXF of `count` lines on one layer. */
function linesDxf(count) {
  const out = ['0', 'SECTION', '2', 'ENTITIES'];
  for (let k = 0; k < count; k++) out.push('0', 'LINE', '8', '0', '10', String(k), '20', '0', '11', String(k), '21', '50');
  out.push('0', 'ENDSEC', '0', 'EOF', '');
  return out.join('\n');
}

test('a large DXF is read in steps the caller hears; Escape stops it and the drawing and session stay', async () => {
  const engine = await createEngine();
  await engine.loadDxf(readFileSync(example('plan-revision.dxf')), 'plan-revision.dxf');
  await engine.answer('set currentLayer 2');
  const list = engine.figureList();
  const session = engine.session();
  const big = linesDxf(150000);

  // Read to the end: the share read grows, then the figures made do.
  const told = [];
  const second = await createEngine();
  second.on('opening', (o) => told.push(o));
  await second.loadDxf(big, 'big.dxf');
  assert.equal(second.figureCount(), 150000);
  assert.ok(told.length >= 3, `told ${told.length} times`);
  for (let k = 1; k < told.length; k++) {
    assert.ok(told[k].read >= told[k - 1].read && told[k].figures >= told[k - 1].figures, JSON.stringify(told));
  }
  assert.ok(told.every((o) => o.read > 0 && o.read <= 1 && (o.read === 1 || o.figures === 0)), JSON.stringify(told));

  // Escape at the first word of progress: the read stops, nothing changes.
  engine.on('opening', () => engine.escape());
  await assert.rejects(engine.loadDxf(big, 'big.dxf'), (e) => e.stopped === true && /big\.dxf: reading stopped/.test(e.message));
  assert.equal(engine.figureList(), list);
  assert.equal(engine.session(), session);
  assert.equal(engine.request.kind, 'command');
  // The session goes on where it was.
  await engine.answer('run kumo1');
  assert.equal(engine.request.kind, 'panel');
});
