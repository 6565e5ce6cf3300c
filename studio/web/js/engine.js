// engine.js - the page's side of the engine (nerolit.mjs, the module and
// its host in WebAssembly): the engine's requests, display and failures in
// the forms the page shows, and the page's calls.  Nothing here decides
// anything about a command: the engine owns the drawing, the settings and
// the session, and says with each request which lines answer it.
//
// The page asks only for what changed: the drawing's figures again when
// the engine's stamp of them changed, the session's lines from the last
// one shown, the display once per request.  So a mouse move costs the same
// on a long session and a large drawing as on a short one.
import { createEngine as createNerolit } from './nerolit.mjs';

/* The rubber bands a point request asks for (the host's bandKind): none,
   from the last point given, a box from its anchor, a line from its anchor,
   the stretch's drag. */
export const BAND = Object.freeze({ none: 0, fromLast: 1, box: 2, line: 6, drag: 13 });

/* The request as the page uses it: { kind, accepts, prompt, command,
   bandKind, baseX, baseY, cursorX, cursorY, panel }; `accepts` the verbs of
   the lines that answer it, as the engine lists them (language.js). */
function pageRequest(r, engine) {
  return {
    kind: r.kind,
    accepts: r.accepts,
    prompt: r.prompt || '',
    command: r.command || '',
    bandKind: r.band ? r.band.kind : 0,
    baseX: r.band ? r.band.x : 0,
    baseY: r.band ? r.band.y : 0,
    cursorX: r.cursor ? r.cursor.x : 0,
    cursorY: r.cursor ? r.cursor.y : 0,
    panel: r.kind === 'panel' ? engine.panel() : null,
  };
}

/* What the display shows besides the drawing: { shown: [{ figure,
   preview }], hidden: Set of drawing indices, dragLines }. */
function pageDisplay(d) {
  const shown = (d.previews || []).map((figure) => ({ figure, preview: true }))
    .concat((d.work || []).map((figure) => ({ figure, preview: false })));
  return { shown, hidden: new Set(d.erased || []), dragLines: d.dragLine ? [d.dragLine] : [] };
}

/* A new engine with an empty drawing and store.  `on`: { request(r),
   display(d), failure(message), working({ figures }), opening({ name,
   read, figures, stoppable }) while a DXF is read }. */
export async function createEngine(on) {
  const e = await createNerolit();
  // The display the engine told last, for the request that follows it
  // (the engine tells the display just before each request).
  let lastDisplay = null;
  // The engine tells a request just before it starts to wait for the
  // answer; the page acts on it once the engine waits.
  // The engine's time per answer goes on the browser's performance
  // timeline (measure "nerolit engine"), for the benchmarks.
  let sentAt = -1;
  e.on('request', (r) => queueMicrotask(() => {
    if (sentAt >= 0) {
      performance.measure('nerolit engine', { start: sentAt, end: performance.now() });
      sentAt = -1;
    }
    if (e.request !== r) return; // answered meanwhile (the settings' lines)
    on.display(lastDisplay || pageDisplay(e.display()));
    lastDisplay = null;
    on.request(pageRequest(r, e));
  }));
  e.on('display', (d) => {
    lastDisplay = pageDisplay(d);
  });
  e.on('failed', (f) => on.failure(f.message));
  if (on.working) e.on('working', (w) => on.working(w));
  let opening = null; // { name, stoppable } while a drawing opens
  if (on.opening) e.on('opening', (o) => on.opening({ ...o, ...opening }));
  // The first request came before anyone listened: told once the caller
  // has the engine in hand (after its await), unless answered by then.
  if (e.request) {
    const first = e.request;
    setTimeout(() => {
      if (e.request !== first) return;
      on.display(pageDisplay(e.display()));
      on.request(pageRequest(first, e));
    }, 0);
  }
  let stamp = null; // the drawing's stamp when its figures were last read
  return {
    /* Sends a line of the session language for the pending request.  A
       line the engine refuses (it does not fit) is reported and the
       request stays; returns the reason, or null when sent. */
    send(line) {
      try {
        sentAt = performance.now();
        e.answer(line).catch(() => {}); // a failure comes as the 'failed' event
        return null;
      } catch (err) {
        console.warn(`nerolit studio: the engine refused "${line}": ${err.message}`);
        if (e.request) on.request(pageRequest(e.request, e));
        return err.message;
      }
    },
    /* Why the engine would refuse `line` for the pending request, or null. */
    check: (line) => e.check(line),
    /* null, or "name:line: what" for the first line nerolit-host would
       refuse to read. */
    parseSession: (text, name) => e.parseSession(text, name),
    /* Escape for the running pass, or to stop a stoppable open. */
    escape: () => {
      if (!opening || opening.stoppable) e.escape();
    },
    /* A new session on a drawing ({ kind: 'dxf', bytes } or { kind:
       'drawing', text }, with its name) from the settings `ini` (the
       store the engine has when not given), each setting recorded once as
       one of the session's first lines, so that the session replays from
       the drawing alone.  Resolves with the reader's notices (DXF); throws
       with name:line: what on bad input, or, when `stoppable`, an error
       marked `stopped` when escape() stopped a DXF's read (the drawing and
       session stay). */
    async open(file, ini, stoppable = false) {
      const t0 = performance.now();
      opening = { name: file.name, stoppable };
      // A new session: its drawing is read in full, with its names, at its
      // first request; a file not opened leaves the drawing as it was read.
      const before = stamp;
      stamp = null;
      try {
        if (file.kind === 'dxf') return (await e.loadDxf(file.bytes, file.name, ini)) || [];
        await e.loadDrawing(file.text, file.name, ini);
        return [];
      } catch (err) {
        stamp = before;
        throw err;
      } finally {
        opening = null;
        performance.measure('nerolit open', { start: t0, end: performance.now() });
      }
    },
    request: () => (e.request ? pageRequest(e.request, e) : null),
    figures: () => e.figures(),
    /* The drawing when its figures changed since the last call: {
       figures, names }, names (the engine's names()) only at the first
       call on a new session, when the drawing's names may have changed
       too; else null. */
    changedDrawing() {
      const now = e.drawingStamp();
      if (now === stamp) return null;
      const names = stamp === null ? e.names() : null;
      stamp = now;
      const t0 = performance.now();
      const figures = e.drawingFigures();
      performance.measure('nerolit figures', { start: t0, end: performance.now() });
      return { figures, names };
    },
    figureList: () => e.figureList(),
    figureCount: () => e.figureCount(),
    svg: () => e.svg(),
    dxf: () => e.dxf(),
    settings: () => e.settings(),
    session: () => e.session(),
    sessionSince: (from) => e.sessionSince(from),
    /* The object snap at (x, y) (nerolit.mjs snap). */
    snap: (x, y, aperture, kinds) => e.snap(x, y, aperture, kinds),
  };
}
