// The drafting aids' logic that needs no browser: points typed at the
// prompt line, the last command of a session that undo takes back, and
// the answers that leave a command.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { cancelLine, parsePoint, toStoredUnits } from '../web/js/commands.js';
import { lastCommand, sessionLines } from '../web/js/undo.js';

test('typed points: absolute, relative to the last point, and refused with a reason', () => {
  assert.deepEqual(parsePoint('100,50', null), { x: 100, y: 50 });
  assert.deepEqual(parsePoint(' -12.5 , 3e2 ', null), { x: -12.5, y: 300 });
  assert.deepEqual(parsePoint('100，50', null), { x: 100, y: 50 }); // a full-width comma, as a Japanese IME gives it
  assert.deepEqual(parsePoint('@100,-50', [1000, 2000]), { x: 1100, y: 1950 });
  assert.deepEqual(parsePoint('@0,0', [7, 8]), { x: 7, y: 8 });
  assert.match(parsePoint('@1,2', null).error, /基準になる点/);
  for (const bad of ['100', '100,', ',5', '1,2,3', 'abc', '1e999,0']) assert.ok(parsePoint(bad, null).error, bad);
  assert.equal(Object.is(parsePoint('-0,0', null).x, -0), false, 'no negative zero reaches a session line');

  // Typed in the unit the status line shows: a DXF's stored hundredths of
  // a millimetre are the typed millimetres scaled exactly, digit by digit.
  assert.deepEqual(parsePoint('12.34,4.35', null, 0.01), { x: 1234, y: 435 });
  assert.deepEqual(parsePoint('@-1.5e1,0.07', [100, 200], 0.01), { x: -1400, y: 207 });
  assert.equal(0.29 / 0.01 === 29, false, 'plain division would not give the stored unit');
  assert.equal(toStoredUnits('0.29', 0.01), 29);
  assert.equal(toStoredUnits('2.3', 0.01), 230);
  assert.equal(toStoredUnits('3', 0.25), 12);
  assert.equal(toStoredUnits('1', 0.3), 1 / 0.3, 'a factor that is no whole fraction divides');
  assert.ok(parsePoint('1e999,0', null, 0.01).error);
  assert.equal(Object.is(parsePoint('-0,0', null, 0.01).x, -0), false);
});

test('undo takes back the last command and keeps the directives given after it', () => {
  const text = [
    '# Nerolit Studio session', 'setting Kumo Mode 1', 'run kumo1', 'panel ok', 'point 0 0', 'point 10 10',
    'cancel', 'panel cancel', '', 'run C66', 'panel cancel', 'set orthoMode 1', 'set selectMode 0',
  ].join('\n');
  const lines = sessionLines(text);
  assert.equal(lines.length, 11);
  const last = lastCommand(lines);
  assert.deepEqual(last, { at: 7, end: 9 });
  const kept = lines.slice(0, last.at).concat(lines.slice(last.end));
  assert.deepEqual(kept.slice(-3), ['panel cancel', 'set orthoMode 1', 'set selectMode 0']);
  assert.deepEqual(lastCommand(kept), { at: 1, end: 7 });
  assert.equal(lastCommand(['setting Kumo Mode 1', 'set orthoMode 1']), null);
  // A command whose last line is a directive given while it asked keeps it.
  assert.deepEqual(lastCommand(['run VeC92', 'set orthoMode 1', 'point 1 2', 'set orthoMode 0']), { at: 0, end: 3 });
});

test('leaving a command answers each request with its own cancel', () => {
  assert.equal(cancelLine('panel'), 'panel cancel');
  assert.equal(cancelLine('message'), 'message cancel');
  for (const k of ['point', 'cursor', 'region', 'select', 'group']) assert.equal(cancelLine(k), 'cancel');
});
