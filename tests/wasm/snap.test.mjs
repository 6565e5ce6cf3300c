// The engine's object snaps (snap()): each kind on the figures the host
// holds, which kind wins where several are near, the aperture and the kinds
// asked, and figures a command has just written.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { engineModule } from './support.mjs';

const DRAWING = [
  'line 0 0 1000 400',
  'line 0 300 1000 0',
  'circle 1400 200 150',
  'arc 700 700 200 180 360', // the host's angles turn from +x toward -y: this half lies above its centre
  'point 2000 2000',
  'text 1500 1500 "文字" height=50 width=50',
  '',
].join('\n');

test('snaps: end, middle, centre, intersection and nearest on the host\'s figures', async () => {
  const { createEngine } = await engineModule();
  const e = await createEngine();
  await e.loadDrawing(DRAWING, 'snaps.drawing');
  const near = (x, y, kinds, aperture = 10) => e.snap(x, y, aperture, kinds);

  // The crossing of y = 0.4 x and y = 300 - 0.3 x, as computed (not rounded).
  const x = near(430, 170);
  assert.equal(x.kind, 'intersection');
  assert.ok(Math.abs(x.x - 3000 / 7) < 1e-9 && Math.abs(x.y - 1200 / 7) < 1e-9, JSON.stringify(x));
  assert.deepEqual([x.index, x.other].sort(), [0, 1]);
  assert.deepEqual(near(996, 403), { kind: 'end', x: 1000, y: 400, index: 0, other: -1 });
  assert.deepEqual(near(503, 198), { kind: 'middle', x: 500, y: 200, index: 0, other: -1 });
  // The arc: its ends (host angles 180 and 360) and its middle (270: above the centre).
  assert.equal(near(502, 701).kind, 'end');
  const top = near(701, 897);
  assert.equal(top.kind, 'middle');
  assert.ok(Math.abs(top.x - 700) < 1e-9 && Math.abs(top.y - 900) < 1e-9);
  // A centre hovered, and a centre given for the curve under the cursor.
  assert.deepEqual(near(1403, 198), { kind: 'centre', x: 1400, y: 200, index: 2, other: -1 });
  assert.equal(near(1400, 53).kind, 'centre');
  // Nearest only when asked; the projection onto the curve.
  const onCircle = near(1400 + 152 * Math.cos(1), 200 + 152 * Math.sin(1), ['nearest']);
  assert.equal(onCircle.kind, 'nearest');
  assert.ok(Math.abs(Math.hypot(onCircle.x - 1400, onCircle.y - 200) - 150) < 1e-9);
  // A point figure snaps as an end; texts give nothing; out of the aperture nothing.
  assert.equal(near(2004, 1997).kind, 'end');
  assert.equal(near(1510, 1520), null);
  assert.equal(near(996, 403, undefined, 2), null);
  assert.equal(near(996, 403, ['middle', 'centre']), null);
  assert.equal(near(996, 403, []), null);
  // The nearer of two end points wins.
  assert.deepEqual(near(3, 296), { kind: 'end', x: 0, y: 300, index: 1, other: -1 });
});

test('snaps see what a command has just written', async () => {
  const { createEngine } = await engineModule();
  const e = await createEngine();
  await e.loadDrawing('line 0 0 100 0\n', 'one.drawing');
  assert.equal(e.snap(1000, 1000, 10), null);
  // A rectangle cloud from (900, 900) to (1100, 1100): its arcs end on the box.
  for (const line of ['run kumo1', 'panel choose "矩形指定（ 凹型）"', 'panel ok', 'point 900 900', 'point 1100 1100']) {
    await e.answer(line);
    if (e.request && e.request.kind === 'group') await e.answer('group 0');
  }
  const arc = e.figures().find((f) => f.kind === 'arc');
  assert.ok(arc, 'the cloud wrote arcs');
  const a = (arc.start * Math.PI) / 180;
  const [sx, sy] = [arc.cx + arc.r * Math.cos(a), arc.cy - arc.r * Math.sin(a)];
  const hit = e.snap(sx + 0.5, sy - 0.5, 3, ['end']);
  assert.ok(hit && hit.kind === 'end' && Math.hypot(hit.x - sx, hit.y - sy) < 1e-6, JSON.stringify({ hit, sx, sy }));
});
