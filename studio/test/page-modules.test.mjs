// The page's own logic that needs no browser: reading figure lists (as
// nerolit-host writes them), picking figures, the session player's steps
// and the settings carried into a recorded session.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { arcPoint, boxOf, figureAt, textCells } from '../web/js/figures.js';
import { downloadName, nextAction, sessionSteps } from '../web/js/session.js';
import { quote, setLine } from '../web/js/panel.js';

test('figures are found where the view draws them', () => {
  // As the engine's figures() gives them.
  const f = [
    { index: 0, kind: 'line', x1: 0, y1: 0, x2: 600, y2: 0 },
    { index: 1, kind: 'arc', cx: 300, cy: 200, r: 100, start: 0, end: 90 },
    { index: 3, kind: 'circle', cx: 150, cy: 200, r: 60 },
    { index: 5, kind: 'point', x: 10, y: 20 },
    { index: 6, kind: 'text', x: 100, y: 50, text: '居間 "A"', origin: 0, height: 30, width: 15, angle: 0, slant: 0 },
  ];
  assert.equal(textCells(f[4].text), 8); // two full-width characters, four ASCII ones

  // The host's angles turn from +x toward -y: 90 degrees lies below the centre.
  const [x90, y90] = arcPoint(f[1], 90);
  assert.ok(Math.abs(x90 - 300) < 1e-9 && Math.abs(y90 - 100) < 1e-9);
  assert.equal(figureAt(f, 300, 102, 5), 1); // on the arc's sweep
  assert.equal(figureAt(f, 300, 298, 5), -1); // on its circle, outside the sweep
  assert.equal(figureAt(f, 210, 200, 5), 3);
  assert.equal(figureAt(f, 590, 3, 5), 0);
  assert.equal(figureAt(f, 140, 35, 1), 6); // inside the text's characters, below-right of its origin
  assert.equal(figureAt(f, 11, 21, 2), 5);

  const b = boxOf(f);
  assert.equal(b.x1, 0);
  assert.equal(b.y1, 0);
  assert.equal(b.x2, 600);
  assert.equal(b.y2, 300);
  assert.equal(boxOf([]), null);
});

test('a loaded session plays step by step as nerolit-host plays it', () => {
  const steps = sessionSteps([
    '# a cloud, then a mirror',
    'setting kumo1 KumoMode 1   # concave',
    'run kumo1',
    'panel choose "矩形指定（ 凹型） "',
    'panel ok',
    'point 100 "#" 50', // a '#' inside quotes is no comment
    'run C66',
    '',
  ].join('\n'));
  assert.deepEqual(steps.map((s) => [s.line, s.text]), [
    [2, 'setting kumo1 KumoMode 1'], [3, 'run kumo1'], [4, 'panel choose "矩形指定（ 凹型） "'],
    [5, 'panel ok'], [6, 'point 100 "#" 50'], [7, 'run C66'],
  ]);
  // Requests as engine.js gives them, with the verbs the engine lists as
  // answering each (actions-modules.test.mjs checks those lists against the
  // engine's own refusals).
  const asks = (kind, ...accepts) => ({ kind, accepts, prompt: '', command: 'kumo1' });
  const command = asks('command', 'run');
  const point = asks('point', 'point', 'cancel', 'move', 'repaint');
  const panel = asks('panel', 'cancel', 'panel');
  const message = asks('message', 'cancel', 'message');
  // Directives go first whatever is asked; a run waits for the command to end.
  assert.deepEqual(nextAction(steps, 0, command), { line: 'setting kumo1 KumoMode 1', advance: true });
  assert.deepEqual(nextAction(steps, 0, message), { line: 'setting kumo1 KumoMode 1', advance: true });
  assert.deepEqual(nextAction(steps, 5, point), { line: 'cancel', advance: false });
  assert.deepEqual(nextAction(steps, 5, command), { line: 'run C66', advance: true });
  assert.deepEqual(nextAction(steps, 4, point), { line: 'point 100 "#" 50', advance: true });
  // A message the next line does not answer is clicked away; a line that
  // answers it (here a cancel) is the answer.
  assert.deepEqual(nextAction(steps, 3, message), { line: 'message ok', advance: false });
  const cancels = sessionSteps('run kumo1\ncancel\n');
  assert.deepEqual(nextAction(cancels, 1, message), { line: 'cancel', advance: true });
  assert.deepEqual(nextAction(steps, 3, panel), { line: 'panel ok', advance: true });
  // Past the end: requests are cancelled until the command returns.
  assert.deepEqual(nextAction(steps, 6, panel), { line: 'cancel', advance: false });
  assert.equal(nextAction(steps, 6, command), null);

  assert.equal(downloadName('plan-revision.dxf', 'session'), 'plan-revision.session');
  assert.equal(downloadName('', 'svg'), 'drawing.svg');
});

test('panel changes become panel lines', () => {
  assert.equal(quote('a"b\\c'), '"a\\"b\\\\c"');
  assert.equal(setLine({ kind: 'number', caption: '弦の長さ' }, 40), 'panel set "弦の長さ" 40');
  assert.equal(setLine({ kind: 'check', caption: '印刷' }, 0), 'panel set "印刷" 0');
  assert.equal(setLine({ kind: 'radio', caption: '斜め' }, 1), 'panel choose "斜め"');
  assert.equal(setLine({ kind: 'list', row: 3, entries: ['1', '2', '3'] }, 1), 'panel pick 3 "2"');
  assert.equal(setLine({ kind: 'color' }, 5), 'panel set @color 5');
  assert.equal(setLine({ kind: 'caption', caption: 'x' }, 1), null);
});
