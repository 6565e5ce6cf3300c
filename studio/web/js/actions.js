// actions.js - the user's actions on their way to the engine, and the
// automation interface that watches them (window.nerolit).
//
// The engine takes one line at a time, and only while it asks: the user
// acts faster than that (a mouse move each frame, clicks while a hatch
// works), so the actions wait here in order and the first goes out when a
// request it answers is pending (the engine's accepts, language.js).  What
// a script or a test must wait for is the same fact, that nothing is left
// here and the engine asks again, so settled() belongs with the queue.
import { answers, isDirective, verbOf } from './language.js';
import { fit, render, toCanvas } from './view.js';

/* `ctl`: { sending(request, action) what the page keeps of an action as it
   goes out, send(line) to the engine }.  An action is a line of the
   session language, or { line, point } (language.js). */
export function createActions(ctl) {
  const q = {
    request: null, // what the engine asks now, null while it works
  };
  let queue = []; // actions waiting for a request they answer
  let settledWaiters = [];

  function settle() {
    const waiters = settledWaiters;
    settledWaiters = [];
    for (const w of waiters) w();
  }

  /* Sends the first action when a request it answers is pending.  Actions
     that no longer fit (a move after the request changed) are dropped;
     when nothing is left the waiters of settled() are told. */
  q.pump = () => {
    while (q.request && queue.length) {
      const action = queue.shift();
      if (!answers(q.request, action.line) && !isDirective(action.line)) continue;
      const req = q.request;
      q.request = null;
      ctl.sending(req, action);
      ctl.send(action.line);
      return;
    }
    if (q.request && !queue.length) settle();
  };

  /* Queues an action of the user's; `keep`: a move that must not be merged
     into the one queued before it (a trail's path, a redo). */
  q.send = (action, keep = false) => {
    const a = typeof action === 'string' ? { line: action, point: null } : action;
    const last = queue[queue.length - 1];
    if (verbOf(a.line) === 'move' && !keep && last && verbOf(last.line) === 'move') queue[queue.length - 1] = a;
    else queue.push(a);
    q.pump();
  };

  /* The engine asks `request`. */
  q.asked = (request) => {
    q.request = request;
  };

  q.queued = () => queue.length > 0;

  /* Forgets the actions not sent yet. */
  q.drop = () => {
    queue = [];
  };

  /* A new engine or session: nothing queued, and nothing asked until the
     engine asks `request`. */
  q.restart = (request = null) => {
    queue = [];
    q.request = request;
  };

  /* The session failed: nothing will be asked again. */
  q.failed = () => {
    q.request = null;
    settle();
  };

  /* Resolves when everything the user did has been sent and the engine
     waits for the user again. */
  q.settled = () => new Promise((done) => {
    if (q.request && !queue.length) done();
    else settledWaiters.push(done);
  });

  return q;
}

/* The automation interface: the same door as the user's, read-only.
   `page`: { view, engine() the engine now, session() the recorded
   session's text }. */
export function automationInterface(actions, page) {
  const { view } = page;
  return {
    /* Page (viewport) coordinates of the drawing point (x, y). */
    toScreen(x, y) {
      const r = view.canvas.getBoundingClientRect();
      const [px, py] = toCanvas(view, x, y);
      return { x: r.left + px, y: r.top + py };
    },
    /* The drawing in the figure-list format. */
    figureList: () => page.engine().figureList(),
    /* The session recorded so far. */
    session: () => page.session(),
    /* What the page waits for: { kind, prompt, command } of the pending
       request, or null while the engine works. */
    request: () => {
      const r = actions.request;
      return r ? { kind: r.kind, prompt: r.prompt, command: r.command } : null;
    },
    settled: actions.settled,
    /* How the view drew itself so far (for the benchmarks): { full: the
       drawing drawn in full, moved: its picture moved while the view
       panned or zoomed, overlay: frames drawn, lastFullMs }. */
    viewStats: () => ({ ...view.stats }),
    /* Fits the view to the drawing and to what the command shows. */
    fit: () => {
      fit(view);
      render(view);
    },
  };
}
