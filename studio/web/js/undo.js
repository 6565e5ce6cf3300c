// undo.js - undo and redo of whole commands, over the session.  The
// session is the truth: undo starts a fresh engine on the drawing as it was
// opened and replays the recorded lines without the last command, so each
// state is exactly what a fresh replay of that session gives (in the page
// and in nerolit-host alike); redo sends the taken-back lines again.  The
// engine keeps no history of its own and the page keeps no copy of the
// drawing: nothing can drift from what the session says.
import { isDirective } from './language.js';

/* The lines of a session text that do something (no comments, no blank
   lines). */
export function sessionLines(text) {
  return text.split('\n').map((l) => l.trim()).filter((l) => l && !l.startsWith('#'));
}

/* The last command of `lines`: { at, end } where `at` is its `run` line and
   `end` one past its last line; directives after the command's last answer
   (a checkbox changed between commands) stay.  null when no command ran. */
export function lastCommand(lines) {
  let at = -1;
  for (let i = lines.length - 1; i >= 0; i--) {
    if (/^run\s/i.test(lines[i])) {
      at = i;
      break;
    }
  }
  if (at < 0) return null;
  let end = lines.length;
  while (end > at + 1 && isDirective(lines[end - 1])) end--;
  return { at, end };
}

/* A fresh page engine (engine.js's createEngine) on `file` (null: an empty
   drawing) with an empty store, the `lines` answered one by one while its
   events go nowhere; then attach(events) hands its events to the page and
   tells the request it waits for.  Rejects with the line that failed. */
export async function replayEngine(createEngine, file, lines) {
  let target = null;
  let waiter = null;
  const wake = (what) => {
    const w = waiter;
    waiter = null;
    if (w) w(what);
  };
  const events = {
    request: (r) => (target ? target.request(r) : wake({ request: r })),
    display: (d) => target && target.display(d),
    failure: (m) => (target ? target.failure(m) : wake({ failure: m })),
  };
  const engine = await createEngine(events);
  if (file) await engine.open(file, '');
  // Let the first request's late notice pass before answering anything.
  await new Promise((done) => setTimeout(done, 0));
  for (const line of lines) {
    const next = new Promise((done) => { waiter = done; });
    engine.send(line);
    const got = await next;
    if (got.failure) throw new Error(`${line}: ${got.failure}`);
  }
  return {
    engine,
    attach(pageEvents) {
      target = pageEvents;
      const r = engine.request();
      if (r) pageEvents.request(r);
    },
  };
}

/* `ctl`: { lines() the session's lines now, between() whether the engine
   is between commands, rebuild(lines) a Promise: the page on a fresh
   engine that replayed these lines, send(line), say(text) }. */
export function createUndo(ctl) {
  const u = {
    redo: [], // taken-back commands, the last taken back last: [lines]
    after: null, // the session's lines right after the last undo or redo
    busy: false,
  };

  const same = (a, b) => a && b && a.length === b.length && a.every((l, i) => l === b[i]);

  /* Redo is offered only while the session is as undo or redo left it. */
  u.canRedo = () => u.redo.length > 0 && same(ctl.lines(), u.after);
  u.canUndo = () => !u.busy && ctl.between() && lastCommand(ctl.lines()) !== null;

  u.undo = async () => {
    if (u.busy) return false;
    if (!ctl.between()) {
      ctl.say('コマンドの実行中は元に戻せません (Escで終えてから)');
      return false;
    }
    const lines = ctl.lines();
    const last = lastCommand(lines);
    if (!last) {
      ctl.say('元に戻すコマンドがありません');
      return false;
    }
    if (!same(lines, u.after)) u.redo = [];
    u.busy = true;
    try {
      const kept = lines.slice(0, last.at).concat(lines.slice(last.end));
      await ctl.rebuild(kept);
      u.redo.push(lines.slice(last.at, last.end));
      u.after = ctl.lines();
    } finally {
      u.busy = false;
    }
    return true;
  };

  /* Sends the last taken-back command's lines again; resolves once the
     page has sent them all (`settled`). */
  u.redoLast = async (settled) => {
    if (u.busy || !ctl.between()) return false;
    if (!u.canRedo()) {
      ctl.say('やり直すコマンドがありません');
      return false;
    }
    const lines = u.redo.pop();
    u.busy = true;
    try {
      for (const line of lines) ctl.send(line);
      await settled();
      u.after = ctl.lines();
    } finally {
      u.busy = false;
    }
    return true;
  };

  return u;
}
