// The engine's interface where a page can go wrong or a session ends
// early: actions that do not fit, set-up at the wrong time, bad files, a
// failing session, Escape pressed while a pass works, and a DXF drawing.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { User, engineModule, example, read, replay } from './support.mjs';

const { createEngine, actionText } = await engineModule();

test('an action that does not fit is refused and the request stays', async () => {
  const engine = await createEngine();
  const first = engine.request;
  assert.equal(first.kind, 'command');
  assert.deepEqual(first.accepts, ['run']);
  assert.throws(() => engine.answer('point 1 2'), /between commands the host asks for a command or directive, not 'point 1 2'/);
  assert.throws(() => engine.answer('bogus'), /page:1: unknown action 'bogus'/);
  assert.throws(() => engine.answer('point 1'), /point X Y/);
  assert.throws(() => engine.answer('run kumo2'), /the module has no command 'kumo2'/);
  assert.equal(engine.request, first, 'still waiting for the same request');
  const user = new User(engine);
  let r = await user.do('run C66');
  assert.equal(r.kind, 'panel');
  assert.throws(() => engine.answer({ verb: 'select', all: true }), /C66 asks for a panel event \(WaitPanelEvent\), not 'select all'/);
  await assert.rejects(engine.loadDrawing('line 0 0 1 1\n'), /loadDrawing: only between commands/);
  await assert.rejects(engine.loadSettings('[a]\nb=1\n'), /loadSettings: only between commands/);
  r = await user.do('seed 5'); // a directive fits any request, and the request is asked again
  assert.equal(r.kind, 'panel');
  await user.do('panel cancel');
  assert.equal(engine.session().split('\n').filter((l) => l && !l.startsWith('#')).join('|'), 'run C66|seed 5|panel cancel');
  // The objects say what the lines say.
  assert.equal(actionText({ verb: 'panel', set: 'ピッチ X', value: 2.5 }), 'panel set "ピッチ X" 2.5');
  assert.equal(actionText({ verb: 'panel', pick: 3, entry: 'a"b' }), 'panel pick 3 "a\\"b"');
  assert.equal(actionText({ verb: 'select', window: [0, 1, 2, 3] }), 'select window 0 1 2 3');
  assert.equal(actionText({ verb: 'message', ok: false }), 'message cancel');
  assert.throws(() => actionText({ verb: 'jump' }), /not an action/);
});

test('bad files are refused with file:line and change nothing', async () => {
  const engine = await createEngine();
  await engine.loadDrawing('line 0 0 100 0\n', 'one.figures');
  await assert.rejects(engine.loadDrawing('line 0 0 100 0\nline 5\n', 'bad.figures'), /^Error: bad\.figures:2: /);
  await assert.rejects(engine.loadDxf('0\nSECTION\n', 'cut.dxf'), /cut\.dxf/);
  await assert.rejects(engine.loadSettings('[Hatch]\nHatchNo=two\n', 'bad.ini'), /bad\.ini:2: the value is not a number/);
  await assert.rejects(engine.loadSettings('[Hatch]\nmy key=2\n', 'spaced.ini'),
                       /\[Hatch\] my key: a session cannot set this setting/);
  assert.equal(engine.figureList(), '0 line 0 0 100 0 layer=0 group=0 color=1 ltype=1\n');
  assert.equal(engine.settings(), '');
  assert.match(engine.session(), /--drawing one\.figures SESSION/);
});

test('a failing session says why, keeps its outputs, and a new drawing starts again', async () => {
  const engine = await createEngine();
  const failures = [];
  engine.on('failed', (f) => failures.push(f));
  await engine.loadDrawing(read(example('mirror-leftright.drawing')), 'mirror-leftright.drawing');
  const drawn = engine.figureList();
  await engine.answer('run C66');
  await assert.rejects(engine.answer('set figureLimit 100'), (e) => e.code === 2 && /only between commands/.test(e.message));
  assert.equal(failures.length, 1);
  assert.equal(engine.failure.code, 2);
  assert.equal(engine.request, null);
  assert.throws(() => engine.answer('panel ok'), /the session has failed/);
  assert.equal(engine.figureList(), drawn, 'the outputs can still be read');
  await engine.loadDrawing('line 0 0 100 0\n', 'again.figures');
  assert.equal(engine.failure, null);
  assert.equal(engine.request.kind, 'command');
  assert.equal((await engine.answer('run kumo1')).kind, 'panel');
});

test('Escape pressed while a hatch pass works abandons the pass, recorded at its poll', async () => {
  const settings = read(example('hatch-kinds.ini'));
  const engine = await createEngine();
  await engine.loadSettings(settings);
  const user = new User(engine);
  await user.do('set selectMode 0');
  await user.do('run Hatch');
  await user.do('panel ok');
  for (const [x, y] of [[0, 0], [800, 0], [800, 500], [0, 500], [0, 0]]) await user.do({ verb: 'point', x, y });
  // The page queues Escape while the pass works: the first poll takes it.
  const next = engine.answer('close');
  assert.equal(engine.request, null, 'the engine works');
  await engine.answer('key esc');
  const r = await next;
  user.lines.push('close');
  assert.equal(r.kind, 'panel');
  assert.equal(engine.figureList(), '', 'the abandoned pass left the drawing as it was');
  await user.do('panel cancel');
  const recorded = engine.session();
  assert.match(recorded, /^key esc after \d+\nclose$/m, 'Escape recorded just before the line it came after');
  const native = replay('native', recorded, { settings });
  assert.equal(native.figures, '');
  assert.equal(native.settings, engine.settings());
});

test('a DXF plan: notices, a cloud on a layer, and the DXF written as the native host writes it', async () => {
  const drawing = example('plan-revision.dxf');
  const engine = await createEngine();
  const notices = await engine.loadDxf(new Uint8Array(await import('node:fs').then((fs) => fs.readFileSync(drawing))),
                                       'plan-revision.dxf');
  assert.ok(Array.isArray(notices));
  const user = new User(engine);
  await user.do('set currentLayer 6');
  await user.do('run kumo1');
  await user.do({ verb: 'panel', choose: '矩形指定（ 凸型） ' });
  await user.do('panel ok');
  await user.do({ verb: 'point', x: 940000, y: 390000 });
  await user.do({ verb: 'point', x: 710000, y: -30000 });
  await user.do('cancel');
  await user.do('panel cancel');
  const added = engine.figures().filter((f) => f.layer === 6);
  assert.equal(added.length, 12, 'twelve arcs on the revision layer');
  const native = replay('native', engine.session(), { drawing, dxfOut: true });
  const dxf = Buffer.from(engine.dxf());
  assert.deepEqual(dxf, native.figures, 'the DXF as the native host writes it, byte for byte');
  assert.ok(dxf.includes(Buffer.from('2\n\x89\xfc\x92\xf9\n', 'latin1')), 'the layer 改訂 in code page 932');
});
