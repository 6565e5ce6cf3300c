// commands.js - the conventions of desktop CAD over the engine's requests:
// what Enter (and the right button) means for the request that is pending,
// Escape leaving the running command at once, a command button during a
// command, repeating the last command, Backspace, and points typed at the
// prompt line.  Everything is sent as session lines, so all of it is
// recorded as the points and answers it produced.
//
// Leaving a command is a run of cancels: the page answers each request the
// command asks on the way out (`cancel`, `panel cancel`, `message cancel`)
// until the engine is between commands again; the module decides its own
// way back, so nothing is skipped that a replay would not also do.

import { pointAction } from './language.js';

const LEAVE_LIMIT = 12; // requests answered on the way out before giving up

/* The answer that cancels a request of this kind. */
export function cancelLine(kind) {
  if (kind === 'panel') return 'panel cancel';
  if (kind === 'message') return 'message cancel';
  return 'cancel';
}

/* A number typed in the unit the status line shows (stored units times
   `factor`, the drawing's unit factor) as stored units.  When 1/factor is
   a whole number (a DXF's hundredths: 100) the typed decimal is scaled
   exactly, digit by digit, so that 12.34 mm is 1234 and not
   1233.9999999999998; any other factor gives the nearest double of
   text / factor. */
export function toStoredUnits(text, factor = 1) {
  const v = Number(text);
  if (factor === 1 || !(factor > 0) || !Number.isFinite(v)) return v;
  const n = Math.round(1 / factor);
  const m = /^\s*([-+]?)(\d*)(?:\.(\d*))?(?:e([-+]?\d+))?\s*$/i.exec(text);
  if (n < 1 || Math.abs(1 / factor - n) > 1e-9 * n || !m) return v / factor;
  const fraction = m[3] || '';
  const scaled = BigInt((m[2] || '') + fraction || '0') * BigInt(n);
  return Number(`${m[1]}${scaled}e${Number(m[4] || 0) - fraction.length}`);
}

/* A point typed at the prompt line: `X,Y` absolute or `@DX,DY` relative
   to `last` ([x, y] in stored units, or null), typed in the unit the
   status line shows (stored units times `factor`); { x, y } in stored
   units, or { error }. */
export function parsePoint(text, last, factor = 1) {
  const m = /^\s*(@?)\s*([-+]?(?:\d+\.?\d*|\.\d+)(?:e[-+]?\d+)?)\s*[,，]\s*([-+]?(?:\d+\.?\d*|\.\d+)(?:e[-+]?\d+)?)\s*$/i.exec(text);
  if (!m) return { error: `点は X,Y または @dX,dY で入力してください: ${text}` };
  let x = toStoredUnits(m[2], factor);
  let y = toStoredUnits(m[3], factor);
  if (m[1]) {
    if (!last) return { error: '相対座標 (@) の基準になる点がまだありません' };
    x += last[0];
    y += last[1];
  }
  if (!Number.isFinite(x) || !Number.isFinite(y)) return { error: `点が大きすぎます: ${text}` };
  return { x: x + 0, y: y + 0 };
}

/* `ctl`: { request() the pending request or null while the engine works,
   send(action) (a line, or a point's pointAction), escape() Escape for the
   running pass, input (input.js), marks() the region's points,
   lastPoint(), commandNames() the bar's commands, say(text) a word on the
   prompt line, unitFactor() the drawing's stored units to the unit the
   status line shows }. */
export function createCommands(ctl) {
  const c = {
    last: null, // the last command run
    leaving: 0, // requests still allowed on the way out of a command
    then: null, // the command to start once out
  };

  const kind = () => ctl.request()?.kind ?? null;

  /* Enter, the right button, an empty prompt line. */
  c.enter = () => {
    const k = kind();
    if (k === null) return false;
    if (k === 'command') return c.repeat();
    if (k === 'cursor') ctl.send('confirm');
    else if (k === 'region' && ctl.marks().length >= 3) ctl.input.closeRegion();
    else if (k === 'select') {
      if (!ctl.input.confirmPicks() && !ctl.input.dropSelection()) ctl.send('cancel');
    } else if (k === 'point' || k === 'region') ctl.send('cancel');
    else return false;
    return true;
  };

  /* Escape: a long pass stops at its next poll; a half-made selection
     goes; otherwise the command is left at once. */
  c.escape = () => {
    const k = kind();
    if (k === null) {
      ctl.escape();
      return true;
    }
    if (k === 'select' && ctl.input.dropSelection()) return true;
    if (k === 'command') return false;
    c.leave(null);
    return true;
  };

  /* Leaves the running command, then starts `then` (a command name) or
     stays between commands. */
  c.leave = (then) => {
    c.then = then;
    c.leaving = LEAVE_LIMIT;
    const k = kind();
    if (k === null) ctl.escape(); // a pass runs: stop it, then go on leaving
    else c.onRequest(ctl.request());
  };

  /* A command chosen on the bar or typed: at once between commands, or
     after leaving the one that runs. */
  c.run = (name) => {
    if (kind() === 'command') {
      c.last = name;
      ctl.send(`run ${name}`);
    } else c.leave(name);
  };

  c.repeat = () => {
    if (!c.last || kind() !== 'command') return false;
    ctl.send(`run ${c.last}`);
    return true;
  };

  /* Backspace: takes back what the command itself allows to take back:
     a region's last edge, the trail drawn so far. */
  c.back = () => {
    const k = kind();
    if (k === 'region' && ctl.marks().length >= 1) ctl.send('cancel');
    else if (k === 'cursor') ctl.send('cancel');
    else return false;
    return true;
  };

  /* The page got a request: answers it on the way out of a command;
     true when it did. */
  c.onRequest = (req) => {
    if (req.command) c.last = req.command;
    if (!c.leaving) return false;
    if (req.kind === 'command') {
      c.leaving = 0;
      const then = c.then;
      c.then = null;
      if (then) c.run(then);
      return !!then;
    }
    c.leaving -= 1;
    ctl.send(cancelLine(req.kind));
    return true;
  };

  /* A line typed at the prompt line: a point, a command name, a host
     field set by `set NAME VALUE` (the drawing's sizes, such as
     figureLimit when a hatch reaches the write limit), or nothing (Enter). */
  c.typed = (text) => {
    const t = text.trim();
    if (!t) return c.enter();
    const k = kind();
    if (/^set\s+\w+\s+-?\d+(\.\d+)?$/i.test(t)) {
      if (k !== 'command') {
        ctl.say('set はコマンドの外で入力してください');
        return false;
      }
      ctl.send(t.replace(/^set/i, 'set').replace(/\s+/g, ' '));
      ctl.say(`${t.split(/\s+/)[1]} を ${t.split(/\s+/)[2]} にしました`);
      return true;
    }
    const name = ctl.commandNames().find((n) => n.toLowerCase() === t.toLowerCase());
    if (name) {
      c.run(name);
      return true;
    }
    if (k !== 'point' && k !== 'cursor' && k !== 'region') {
      ctl.say(k === 'command' ? `コマンド名ではありません: ${t}` : 'いまは点を入力できません');
      return false;
    }
    const p = parsePoint(t, ctl.lastPoint(), ctl.unitFactor ? ctl.unitFactor() : 1);
    if (p.error) {
      ctl.say(p.error);
      return false;
    }
    ctl.send(pointAction(p.x, p.y));
    return true;
  };

  return c;
}
