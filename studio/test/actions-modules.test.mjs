// The page's action queue (actions.js) on the engine itself, without a
// browser: engine.js and the engine as the built site serves them, so that
// what the queue sends and holds back is judged by the engine's own
// requests and refusals rather than by a rule restated here.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { SITE } from './harness.mjs';
import { createActions } from '../web/js/actions.js';
import { DIRECTIVE_VERBS, answers, isDirective, pointAction, verbOf } from '../web/js/language.js';

const { createEngine } = await import(pathToFileURL(join(SITE, 'js/engine.js')).href);

// A line of every verb of the session language.
const SAMPLES = [
  'run Hatch', 'point 1 2', 'cancel', 'move 1 2', 'repaint', 'confirm', 'close', 'select all', 'panel ok',
  'group 1', 'message ok', 'set orthoMode 0', 'setting Hatch Probe 1', 'seed 7', 'key esc after 3',
  'snapshot probe.svg',
];

/* The page's queue on a fresh engine with an empty drawing, as main.js
   joins them.  At every request the engine asks, each sample line is
   tried: the queue would pass it (it answers the request, or it is a
   directive) exactly when the engine's check takes it; where they differ
   is kept in `disagreements`. */
async function pageOnEngine() {
  const page = { sent: [], asked: [], disagreements: [], refused: [], failures: [], engine: null };
  page.actions = createActions({
    sending: (req, action) => page.sent.push({ kind: req.kind, ...action }),
    send: (line) => {
      const why = page.engine.send(line);
      if (why) page.refused.push(`${line}: ${why}`);
    },
  });
  page.engine = await createEngine({
    request: (r) => {
      page.asked.push(r.kind);
      for (const line of SAMPLES) {
        const passes = answers(r, line) || isDirective(line);
        if (passes !== (page.engine.check(line) === null)) page.disagreements.push(`${r.kind}: ${line}`);
      }
      page.actions.asked(r);
      page.actions.pump();
    },
    display: () => {},
    failure: (m) => page.failures.push(m),
  });
  await page.engine.open({ kind: 'drawing', name: 'drawing', text: '' }, '');
  await page.actions.settled();
  return page;
}

test('actions wait for a request that takes them, as the engine says, and the session records what went', async () => {
  const page = await pageOnEngine();
  const { actions, engine } = page;
  assert.equal(actions.request.kind, 'command');
  assert.deepEqual(DIRECTIVE_VERBS.map((v) => isDirective(`${v} x`)), [true, true, true, true, true]);

  // Sent at once: the engine asks.  Then it works, and the rest waits.
  actions.send('set selectMode 0');
  assert.equal(actions.request, null);
  assert.equal(page.sent.length, 1);
  actions.send('run Hatch');
  actions.send('move 5 5'); // the panel that comes next takes no move: dropped
  actions.send('panel ok');
  actions.send(pointAction(0, 0));
  actions.send(pointAction(800, 0));
  actions.send('move 400 300');
  actions.send('move 500 300'); // merged into the move before
  actions.send('move 2 2', true); // kept apart (a trail's path)
  actions.send(pointAction(800, 500));
  actions.send('snapshot probe.svg'); // every directive goes to whatever is asked
  actions.send('close');
  actions.send('run Hatch'); // the hatch's panel comes again: not taken there
  actions.send('panel cancel');
  assert.ok(actions.queued());
  assert.equal(actions.request, null);
  await actions.settled();

  assert.deepEqual(page.failures, []);
  assert.deepEqual(page.refused, []);
  assert.equal(actions.request.kind, 'command');
  assert.equal(actions.queued(), false);
  assert.deepEqual(page.sent.map((s) => `${s.kind}: ${s.line}`), [
    'command: set selectMode 0', 'command: run Hatch', 'panel: panel ok', 'point: point 0 0',
    'region: point 800 0', 'region: move 500 300', 'region: move 2 2',
    'region: point 800 500', 'region: snapshot probe.svg', 'region: close', 'panel: panel cancel',
  ]);
  // The points went with their actions, as given.
  assert.deepEqual(page.sent.filter((s) => s.point).map((s) => s.point), [[0, 0], [800, 0], [800, 500]]);
  assert.ok(page.sent.every((s) => (s.point !== null) === (verbOf(s.line) === 'point')));
  // The engine recorded exactly what the queue sent.
  const recorded = engine.sessionSince(0).lines.split('\n').filter((l) => l);
  assert.deepEqual(recorded, page.sent.map((s) => s.line));

  // The page and the engine agree on every request met on the way.
  assert.deepEqual([...new Set(page.asked)].sort(), ['command', 'panel', 'point', 'region']);
  assert.deepEqual(page.disagreements, []);
});

test('a selection and a trail: the page takes the engine\'s word at each request', async () => {
  const page = await pageOnEngine();
  const { actions, engine } = page;
  // A mirror asks for a selection; a trail cloud for its points along the
  // mouse (cursor requests).
  for (const line of ['run C66', 'panel ok', 'cancel', 'panel cancel']) actions.send(line);
  await actions.settled();
  actions.send('run kumo1');
  await actions.settled();
  const trail = actions.request.panel.items.find((it) => it.kind === 'radio' && it.caption.includes('マウス軌跡'));
  for (const line of [`panel choose "${trail.caption}"`, 'panel ok']) actions.send(line);
  actions.send(pointAction(10, 150));
  for (const line of ['move 60 150', 'move 60 200', 'cancel', 'cancel', 'panel cancel']) actions.send(line);
  await actions.settled();
  assert.deepEqual(page.failures, []);
  assert.deepEqual(page.refused, []);
  assert.equal(actions.request.kind, 'command');
  for (const kind of ['select', 'cursor']) assert.ok(page.asked.includes(kind), `a ${kind} request was met`);
  assert.deepEqual(page.disagreements, []);
  assert.equal(engine.sessionSince(0).lines.split('\n').filter((l) => l).length, page.sent.length);
});
