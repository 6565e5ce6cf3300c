// engine.js - the page's side of the engine (nerolit.mjs, the module and
// its host in WebAssembly): the engine's requests, display and failures in
// the forms the page shows, and the page's calls.  Nothing here decides
// anything about a command: the engine owns the drawing, the settings and
// the session.
import { createEngine as createNerolit } from './nerolit.mjs';

/* The request as the page uses it: { kind, prompt, command, bandKind,
   baseX, baseY, cursorX, cursorY, panel }. */
function pageRequest(r, engine) {
  return {
    kind: r.kind,
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
   display(d), failure(message) }. */
export async function createEngine(on) {
  const e = await createNerolit();
  // The engine tells a request just before it starts to wait for the
  // answer; the page acts on it once the engine waits.
  e.on('request', (r) => queueMicrotask(() => {
    if (e.request !== r) return; // answered meanwhile (the settings' lines)
    on.display(pageDisplay(e.display()));
    on.request(pageRequest(r, e));
  }));
  e.on('display', (d) => on.display(pageDisplay(d)));
  e.on('failed', (f) => on.failure(f.message));
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
  return {
    /* Sends a line of the session language for the pending request.  A
       line the engine refuses (it does not fit) is reported and the
       request stays. */
    send(line) {
      try {
        e.answer(line).catch(() => {}); // a failure comes as the 'failed' event
      } catch (err) {
        console.warn(`nerolit studio: the engine refused "${line}": ${err.message}`);
        if (e.request) on.request(pageRequest(e.request, e));
      }
    },
    escape: () => e.escape(),
    /* A new session on a drawing ({ kind: 'dxf', bytes } or { kind:
       'drawing', text }, with its name) from the settings `ini`, each
       setting a recorded line, so that the session replays from the
       drawing alone.  Throws with name:line: what on bad input. */
    async open(file, ini) {
      if (file.kind === 'dxf') await e.loadDxf(file.bytes, file.name);
      else await e.loadDrawing(file.text, file.name);
      const store = ini === undefined ? e.settings() : ini;
      if (store.trim()) await e.loadSettings(store);
    },
    request: () => (e.request ? pageRequest(e.request, e) : null),
    figures: () => e.figures(),
    figureList: () => e.figureList(),
    svg: () => e.svg(),
    dxf: () => e.dxf(),
    settings: () => e.settings(),
    session: () => e.session(),
    /* The object snap at (x, y) (nerolit.mjs snap). */
    snap: (x, y, aperture, kinds) => e.snap(x, y, aperture, kinds),
  };
}
