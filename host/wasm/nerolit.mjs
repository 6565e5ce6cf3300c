// nerolit.mjs - the Nerolit engine for pages, scripts and tests: the module
// and the reference host in WebAssembly, with a user whose actions come from
// JavaScript (README, "JavaScript interface").
//
// The engine owns the session; the page only shows what the engine reports
// (requests, display, panel, messages, drawing) and sends the user's actions
// in the session language, so the recorded session is exactly what the user
// did.  A command runs to its end inside the host's call: each request waits
// (Asyncify) for the Promise that answer() resolves.
import createNerolitEngine from './nerolit-engine.mjs';

const OUTPUTS = { figureList: 0, svg: 1, dxf: 2, displaySvg: 3, panelSvg: 4, settings: 5, session: 6,
                  figures: 7, display: 8, panel: 9, trace: 10, names: 11 };
const SNAP_BITS = { end: 1, middle: 2, centre: 4, nearest: 8, intersection: 16 };
const SNAP_KINDS = Object.keys(SNAP_BITS);
const YIELD_MS = 50; // a long pass lets the page run this often (for Escape)

let compiled = null; // the compiled WebAssembly module, shared by every engine

// Lets the page run (its events, a frame) before the engine goes on.
const pageTurn = () => new Promise((resolve) => setTimeout(resolve, 0));

async function compiledModule(options) {
  if (options.wasmBinary) return WebAssembly.compile(options.wasmBinary);
  if (compiled) return compiled;
  const url = new URL('nerolit-engine.wasm', import.meta.url);
  if (typeof process === 'object' && process.versions && process.versions.node) {
    const { readFile } = await import('node:fs/promises');
    compiled = WebAssembly.compile(await readFile(url));
  } else {
    compiled = WebAssembly.compileStreaming ? WebAssembly.compileStreaming(fetch(url))
                                            : fetch(url).then((r) => r.arrayBuffer()).then((b) => WebAssembly.compile(b));
  }
  return compiled;
}

function quote(text) {
  return '"' + String(text).replace(/[\\"]/g, (c) => '\\' + c) + '"';
}

// An action object as its line of the session language.
function actionText(a) {
  switch (a.verb) {
    case 'run': return `run ${a.name}`;
    case 'point': case 'move': return `${a.verb} ${a.x} ${a.y}`;
    case 'repaint': case 'confirm': case 'close': case 'cancel': return a.verb;
    case 'select':
      if (a.all) return 'select all';
      if (a.window) return `select window ${a.window.join(' ')}`;
      return `select ${(a.indices || []).join(' ')}`;
    case 'panel':
      if (a.ok) return 'panel ok';
      if (a.cancel) return 'panel cancel';
      if (a.choose !== undefined) return `panel choose ${quote(a.choose)}`;
      if (a.pick !== undefined) return `panel pick ${a.pick} ${quote(a.entry)}`;
      if (a.set !== undefined) return `panel set ${a.set.startsWith('@') ? a.set : quote(a.set)} ${a.value}`;
      break;
    case 'group': return `group ${a.n}`;
    case 'message': return `message ${a.ok === false || a.cancel ? 'cancel' : 'ok'}`;
    case 'set': return `set ${a.name} ${a.value}`;
    case 'setting': return `setting ${a.section} ${a.key} ${a.value}`;
    case 'seed': return `seed ${a.n}`;
    case 'key': return a.after !== undefined ? `key esc after ${a.after}` : 'key esc';
    case 'snapshot': return a.panel ? `snapshot panel ${a.file}` : `snapshot ${a.file}`;
  }
  throw new Error(`not an action: ${JSON.stringify(a)}`);
}

class Engine {
  constructor(options) {
    this._options = options;
    this._handlers = new Map();
    this.request = null;
    this.failure = null;
  }

  // Event handlers: request, display, panel, message, drawing, failed, warning.
  on(type, fn) {
    if (!this._handlers.has(type)) this._handlers.set(type, new Set());
    this._handlers.get(type).add(fn);
    return this;
  }

  off(type, fn) {
    this._handlers.get(type)?.delete(fn);
    return this;
  }

  _emit(type, data) {
    for (const fn of this._handlers.get(type) || []) {
      try {
        fn(data);
      } catch (e) {
        console.error(`nerolit: a '${type}' handler failed:`, e);
      }
    }
  }

  // A fresh WebAssembly instance and session: the drawing loaded by `load`
  // (a function of the instance that returns the loader's JSON), the store
  // given as INI text.
  async _session(load, settingsIni) {
    const mod = await compiledModule(this._options);
    const m = await createNerolitEngine({
      instantiateWasm: (imports, done) => {
        WebAssembly.instantiate(mod, imports).then((instance) => done(instance, mod));
        return {};
      },
      print: (t) => this._emit('output', t),
      printErr: (t) => this._emit('output', t),
      nerolitEvent: (type, json) => this._event(type, JSON.parse(json)),
      nerolitNextAction: () => this._nextAction(),
      nerolitPoll: () => this._poll(),
      nerolitYield: () => {
        // A long pass lets the page run: it hears how far the pass is.
        if (this._handlers.has('working')) this._emit('working', { figures: m._nerolit_figure_count() });
        return pageTurn().then(() => { this._lastYield = Date.now(); });
      },
      nerolitOpeningPoll: () => this._openingPoll(),
      nerolitOpeningYield: (read, figures) => {
        // A DXF's read lets the page run: it hears how far the read is.
        this._emit('opening', { read, figures });
        return pageTurn().then(() => { this._opening.since = Date.now(); });
      },
    });
    m._nerolit_create(this._options.trace ? 1 : 0);
    let result = {};
    if (settingsIni) this._json(m, 'nerolit_load_settings', settingsIni, 'settings.ini');
    if (load) result = await load(m);
    // From here on this instance is the engine's.
    this._m = m;
    this.request = null;
    this.failure = null;
    this._line = null;       // an action given before the engine waited for it
    this._wake = null;       // resolves the engine's wait
    this._after = null;      // { resolve, reject } of the answer() in flight
    this._escape = false;
    this._lastYield = Date.now();
    const first = new Promise((resolve, reject) => { this._after = { resolve, reject }; });
    m.ccall('nerolit_run', null, [], [], { async: true }).catch((e) => {
      if (m === this._m) this._fail({ code: 3, message: `the module trapped: ${e && e.message ? e.message : e}` });
    });
    await first;
    return result;
  }

  // Calls an export of instance m directly (ccall would wait for the
  // session, which is always waiting); strings in, the text it returns out.
  _call(m, fn, ...args) {
    const owned = [];
    const cArgs = args.map((a) => {
      if (typeof a !== 'string') return a;
      const n = m.lengthBytesUTF8(a) + 1;
      const p = m._malloc(n);
      m.stringToUTF8(a, p, n);
      owned.push(p);
      return p;
    });
    try {
      return this._string(m, m['_' + fn](...cArgs));
    } finally {
      owned.forEach((p) => m._free(p));
    }
  }

  _json(m, fn, text, name) {
    const out = JSON.parse(this._call(m, fn, text, name));
    if (out.error) throw new Error(out.error);
    return out;
  }

  _string(m, ptr) {
    if (!ptr) return null;
    const s = m.UTF8ToString(ptr);
    m._free(ptr);
    return s;
  }

  // The bytes of a zero-terminated text the engine returned (not UTF-8).
  _bytes(m, ptr) {
    const end = m.HEAPU8.indexOf(0, ptr);
    const out = m.HEAPU8.slice(ptr, end);
    m._free(ptr);
    return out;
  }

  _event(type, data) {
    if (type === 'request') {
      this.request = data;
      this._lastYield = Date.now();
      const after = this._after;
      this._after = null;
      this._emit('request', data);
      if (after) after.resolve(data);
      return;
    }
    if (type === 'failed') return this._fail(data);
    this._emit(type, data);
  }

  _fail(failure) {
    this.failure = failure;
    this.request = null;
    this._emit('failed', failure);
    const after = this._after;
    this._after = null;
    if (after) after.reject(Object.assign(new Error(failure.message), { code: failure.code }));
  }

  _nextAction() {
    if (this._line !== null) {
      const line = this._line;
      this._line = null;
      return Promise.resolve(line);
    }
    return new Promise((resolve) => { this._wake = resolve; });
  }

  // While a DXF is read (nerolit_load_dxf): 1 when Escape stopped the
  // read, 2 when the page is to run, else 0.
  _openingPoll() {
    const o = this._opening;
    if (o.stop) return 1;
    return Date.now() - o.since >= YIELD_MS ? 2 : 0;
  }

  _poll() {
    if (this._escape) {
      this._escape = false;
      return 1;
    }
    return Date.now() - this._lastYield >= YIELD_MS ? 2 : 0;
  }

  // The user's action (a line of the session language, or an object that
  // says the same); resolves with the next request.  An action that does not
  // answer the pending request throws, and the request stays.
  answer(action) {
    if (this.failure) throw new Error(`the session has failed: ${this.failure.message}`);
    const line = typeof action === 'string' ? action.trim() : actionText(action);
    if (this.request === null) {
      if (/^key\s+esc$/.test(line)) { // while a command works: Escape at the next poll
        this.escape();
        return Promise.resolve(null);
      }
      throw new Error('the engine is working: answer its next request');
    }
    const why = this._call(this._m, 'nerolit_check', line);
    if (why) throw new Error(why);
    const next = new Promise((resolve, reject) => { this._after = { resolve, reject }; });
    this.request = null;
    this._lastYield = Date.now(); // the pass starts now: the page had its turn while the engine waited
    if (this._wake) {
      const wake = this._wake;
      this._wake = null;
      wake(line);
    } else {
      this._line = line;
    }
    return next;
  }

  // Why answer(line) would refuse the line now, or null.
  check(line) {
    if (this.failure) return `the session has failed: ${this.failure.message}`;
    if (this.request === null) return 'the engine is working: answer its next request';
    return this._call(this._m, 'nerolit_check', String(line).trim()) || null;
  }

  // Whether a session text reads as nerolit-host reads it: null, or
  // "name:line: what" for its first bad line.
  parseSession(text, name = 'session') {
    return this._call(this._m, 'nerolit_parse_session', text, name) || null;
  }

  // Escape for the next poll of the keyboard; while a DXF is read, stops
  // the read (loadDxf then rejects with { stopped: true } and the drawing
  // and session stay as they were).
  escape() {
    if (this._opening) this._opening.stop = true;
    else this._escape = true;
  }

  _betweenCommands(what) {
    if (this.failure === null && (!this.request || this.request.kind !== 'command'))
      throw new Error(`${what}: only between commands`);
  }

  // A figure list: a new session from this drawing (the store kept, or
  // the INI text `settings` when given: each value recorded once, as the
  // session's first lines).
  async loadDrawing(text, name = 'drawing', settings = undefined) {
    this._betweenCommands('loadDrawing');
    await this._session((m) => this._json(m, 'nerolit_load_drawing', text, name), settings ?? this.settings());
  }

  // A DXF drawing: a new session from it (the store as loadDrawing's);
  // resolves with the reader's notices.  A large file's read lets the
  // caller run every 50 ms, telling it { read (0 to 1, the share of the
  // file read), figures (made so far) } as an 'opening' event; escape()
  // meanwhile stops it.
  async loadDxf(bytes, name = 'drawing.dxf', settings = undefined) {
    this._betweenCommands('loadDxf');
    if (this._opening) throw new Error('loadDxf: a drawing is being opened');
    const data = typeof bytes === 'string' ? new TextEncoder().encode(bytes) : new Uint8Array(bytes);
    this._opening = { stop: false, since: Date.now() };
    try {
      const out = await this._session(async (m) => {
        const p = m._malloc(data.length + 1);
        m.HEAPU8.set(data, p);
        try {
          const r = JSON.parse(this._string(m, await m.ccall('nerolit_load_dxf', 'number', ['number', 'number', 'string'],
                                                             [p, data.length, name], { async: true })));
          if (r.error) throw Object.assign(new Error(r.error), this._opening.stop ? { stopped: true } : {});
          return r;
        } finally {
          m._free(p);
        }
      }, settings ?? this.settings());
      return out.notices;
    } finally {
      this._opening = null;
    }
  }

  // Sets every value of an INI text in the store, each by a recorded
  // `setting` line.
  async loadSettings(text, name = 'settings.ini') {
    this._betweenCommands('loadSettings');
    const { lines } = this._json(this._m, 'nerolit_setting_lines', text, name);
    for (const line of lines.split('\n')) if (line) await this.answer(line);
  }

  _output(what) {
    return this._call(this._m, 'nerolit_output', OUTPUTS[what]);
  }

  figureList() { return this._output('figureList'); }
  figures() { return JSON.parse(this._output('figures')); }
  svg() { return this._output('svg'); }
  // Bytes: the DXF's texts are code page 932 (ANSI_932).
  dxf() { return this._bytes(this._m, this._m._nerolit_output(OUTPUTS.dxf)); }
  displaySvg() { return this._output('displaySvg'); }
  panelSvg() { return this._output('panelSvg'); }
  display() { return JSON.parse(this._output('display')); }
  panel() { return JSON.parse(this._output('panel')); }
  settings() { return this._m ? this._output('settings') : ''; }
  session() { return this._output('session'); }
  // The names behind the figures' layer, colour and line type numbers,
  // and the unit: { unitFactor, insUnits, fromDxf, layers, lineTypes }.
  names() { return JSON.parse(this._output('names')); }
  // The session's recorded lines from line `from` on (0 the first after
  // the settings): { from, lines }, `from` earlier than asked when an
  // Escape went in among lines already read.  Costs the same whatever the
  // session's length.
  sessionSince(from) { return JSON.parse(this._string(this._m, this._m._nerolit_session_since(from))); }
  // A number that changes when the drawing's figures change.
  drawingStamp() { return this._m._nerolit_drawing_stamp() >>> 0; }
  // The same figures as figures(), read as numbers from the engine's
  // memory (a large drawing's figures in a fraction of the time).
  drawingFigures() {
    const m = this._m;
    const p = m._nerolit_figures_packed();
    const n = m.HEAPF64[p >> 3];
    const v = m.HEAPF64.subarray((p >> 3) + 1, (p >> 3) + 1 + 13 * n);
    const texts = new Map();
    const out = new Array(n);
    let textsRead = false;
    for (let k = 0, o = 0; k < n; k++, o += 13) {
      const kind = v[o + 1];
      let f;
      if (kind === 2) f = { index: v[o], kind: 'line', x1: v[o + 2], y1: v[o + 3], x2: v[o + 4], y2: v[o + 5] };
      else if (kind === 7) f = { index: v[o], kind: 'circle', cx: v[o + 2], cy: v[o + 3], r: v[o + 4] };
      else if (kind === 3) f = { index: v[o], kind: 'arc', cx: v[o + 2], cy: v[o + 3], r: v[o + 4], start: v[o + 6], end: v[o + 7] };
      else if (kind === 4) f = { index: v[o], kind: 'point', x: v[o + 2], y: v[o + 3] };
      else {
        if (!textsRead) {
          for (const t of JSON.parse(this._string(m, m._nerolit_text_figures()))) texts.set(t.index, t);
          textsRead = true;
        }
        out[k] = texts.get(v[o]);
        continue;
      }
      f.layer = v[o + 8];
      f.group = v[o + 9];
      f.color = v[o + 10];
      f.ltype = v[o + 11];
      f.link = v[o + 12];
      out[k] = f;
    }
    m._free(p);
    return out;
  }

  // The figures before the table's end marker.
  figureCount() { return this._m._nerolit_figure_count(); }
  trace() { return this._output('trace'); }

  // The object snap for the cursor (x, y) within `aperture` drawing units,
  // among `kinds` (names: end, middle, centre, nearest, intersection):
  // { kind, x, y, index, other } with the point exactly as the tables give
  // it, or null.
  snap(x, y, aperture, kinds = SNAP_KINDS) {
    let mask = 0;
    for (const k of kinds) mask |= SNAP_BITS[k] || 0;
    if (!mask) return null;
    return JSON.parse(this._string(this._m, this._m._nerolit_snap(x, y, aperture, mask)));
  }
}

// A new engine with an empty drawing and store, waiting for its first
// command.  options: { wasmBinary, trace }.
export async function createEngine(options = {}) {
  const engine = new Engine(options);
  await engine._session(null, '');
  return engine;
}

export { actionText };
