// main.js - the page's wiring.  The engine (engine.js: the module and its
// host in WebAssembly) owns the drawing, the settings and the session, and
// each part of the page does one thing with them: the view shows, the
// mouse, keys and dialogs gather actions, actions.js sends them, the
// player replays a file.  What is left is to join the parts, and that is
// this file: the engine's requests go to the view, the dialogs and the
// player; the buttons, keys and files go to the queue.
import { BAND, createEngine } from './engine.js';
import { automationInterface, createActions } from './actions.js';
import { figureAt, boxOf } from './figures.js';
import { createView, render, fit, fitBox, toCanvas, toDrawing, drawingChanged } from './view.js';
import { setUpInput } from './input.js';
import { askGroup, askMessage, askPanel, closeDialogs, setUpDialogs, showFailure, showPrompt } from './dialogs.js';
import { loadSettings, resetSettings, storeSettings } from './settings.js';
import { createSessionLog, downloadName, resetSessionLog, resultName, sessionLogText, updateSessionLog } from './session.js';
import { textAction, verbOf } from './language.js';
import { createPlayer, nextLine, playerFailed, showPlayer } from './player.js';
import { download, readFile } from './files.js';
import { showNotices } from './notices.js';
import { japanese } from './messages.js';
import { showDrawingFacts, showCoordinates, showWorking, titleUntitledPanel } from './status.js';
import { createSnaps, mirrorAxis, SNAP_KINDS } from './snap.js';
import { createCommands } from './commands.js';
import { setUpKeys } from './keys.js';
import { createUndo, replayEngine, sessionLines } from './undo.js';
import { setUpHelp } from './help.js';
import { createFeedback } from './feedback.js';

const $ = (id) => document.getElementById(id);

const HINTS = {
  command: 'Space/右: 直前のコマンド  F1: ヘルプ',
  point: '左: 点指示  右/Enter: 戻る  Esc: 終了  F3: スナップ  F8: 直交',
  cursor: '左: 点指示  右/Enter: 確定  Backspace: 取り消し  Esc: 終了',
  region: '左: 点指示  始点/右/Enter: 閉じる  Backspace: 1辺戻る  Esc: 終了',
  select: '窓: 2点指示かドラッグ  図形: クリックして右/Enter  Esc: 終了',
  panel: 'Enter: OK  Esc: キャンセル',
  group: 'Enter: OK  Esc: キャンセル',
  message: 'Enter: OK  Esc: キャンセル',
};

const state = {
  engine: null,
  lastRequest: null, // the last request asked
  lastPoint: null, // the last point given, [x, y]
  lastSent: '', // the verb of the last line sent
  opened: null, // the file the session started from ({ kind, name, text | bytes }), null for an empty drawing
  player: null, // { name, steps, pos, running } a loaded session played step by step
  fromSessionFile: false, // the engine's settings are a session file's, not the user's
  log: createSessionLog($('session-text'), $('session-count')),
  windowPoints: [], // the points given since the command's panel (the stretch's window)
};

const view = createView($('view'));

function redraw() {
  render(view);
}

/* The drawing as the engine has it now (read again only when it changed,
   and once at the start of each session). */
function refreshDrawing() {
  const changed = state.engine.changedDrawing();
  if (!changed) return;
  view.scene.drawing = changed.figures;
  if (changed.names) view.scene.names = changed.names;
  drawingChanged(view);
  showDrawingFacts(view.scene.names, changed.figures);
}

function showDisplay(display) {
  view.scene.shown = display.shown;
  view.scene.hidden = display.hidden;
  view.scene.dragLines = display.dragLines;
  redraw();
}

function commandButtons(running) {
  for (const b of document.querySelectorAll('#commands button')) {
    b.setAttribute('aria-pressed', String(running && running.toLowerCase() === b.dataset.command.toLowerCase()));
  }
}

function drawingName() {
  return state.opened ? state.opened.name : 'drawing';
}

function sessionHeader() {
  const name = drawingName();
  return [
    '# Nerolit Studio session',
    state.opened ? `# drawing: ${name}` : '# drawing: none (an empty drawing)',
    `# replay: nerolit-host ${state.opened ? `--drawing ${name} ` : ''}--dump result.txt THIS.session`,
  ];
}

/* The recorded session: a header that says how to replay it, then the
   engine's record of what the user did (the settings the session started
   from come first, as setting lines). */
function sessionText() {
  return sessionLogText(state.log);
}

/* Shows the lines recorded since the last look. */
function showSession() {
  updateSessionLog(state.log, state.engine.sessionSince(state.log.lines.length));
}

/* A new session on the engine: the drawing read in full, the session's
   header and settings shown.  The settings are the lines before those the
   engine recorded (none on an engine that replayed a session for undo:
   its setting lines were answers it recorded). */
function newSession() {
  const all = state.engine.session().split('\n').filter((l) => l && !l.startsWith('#'));
  const recorded = state.engine.sessionSince(0).lines.split('\n').filter((l) => l).length;
  resetSessionLog(state.log, sessionHeader(), all.slice(0, all.length - recorded));
  refreshDrawing();
  showSession();
}

/* What the page keeps of an action as it goes to the engine: the
   region's points, the verb sent. */
function sending(req, action) {
  const v = verbOf(action.line);
  if (action.point) {
    state.lastPoint = action.point;
    // The stretch's first two points are its window.
    if (/^vec92$/i.test(req.command) && state.windowPoints.push(state.lastPoint) === 2) input.markWindow(...state.windowPoints);
    if (req.kind === 'region') view.scene.marks.push(state.lastPoint);
  } else if (req.kind === 'region' && v === 'cancel') {
    view.scene.marks.pop();
  }
  if (v !== 'move' && v !== 'repaint') view.scene.band = null;
  state.lastSent = v;
  feedback.sent(req, action.line);
}

const actions = createActions({ sending, send: (line) => state.engine.send(line) });
const send = actions.send;

/* The engine asks: show the request, then send what is queued or what the
   player has next. */
function onRequest(req) {
  actions.asked(req);
  state.lastRequest = req;
  closeDialogs();
  showPrompt(req.kind === 'command' ? 'コマンドを選んでください' : req.prompt || '', HINTS[req.kind] || '');
  commandButtons(req.kind === 'command' ? null : req.command);
  // A region's corners: its first point was given to the point request
  // before the region's own requests.
  if (req.kind !== 'region') view.scene.marks = [];
  else if (!view.scene.marks.length && state.lastPoint) view.scene.marks = [state.lastPoint];
  // The drawing as it stands now: a command changes it between its
  // requests (a mirror's copies before the next selection), and picked
  // figures are named by their index in it.  Mouse moves only change the
  // display, so a request after one keeps the drawing read before.
  if (state.lastSent !== 'move' && state.lastSent !== 'repaint') refreshDrawing();
  // The store is the user's: a session file played in the page brings its
  // own settings, which stay out of it.
  if (req.kind === 'command' && !state.fromSessionFile) storeSettings(state.engine.settings());
  showWorking(null);
  const band = req.bandKind;
  view.scene.band = null;
  if (band === BAND.fromLast || band === BAND.line) view.scene.band = { kind: 'line', x1: req.baseX, y1: req.baseY, x2: req.cursorX, y2: req.cursorY };
  if (band === BAND.box) view.scene.band = { kind: 'box', x1: req.baseX, y1: req.baseY, x2: req.cursorX, y2: req.cursorY };
  if (req.kind === 'command' || req.kind === 'panel') state.windowPoints = [];
  snaps.axis = mirrorAxis(req, req.kind === 'point' ? state.engine.settings() : '');
  snaps.draw();
  input.reset(req.kind);
  view.scene.pending = req.kind === 'cursor';
  showSession();
  redraw();
  showModes();
  feedback.requested(req);
  if (commands.leaving) actions.drop(); // on the way out of a command
  if (commands.onRequest(req)) return;
  if (req.kind === 'panel') {
    askPanel(req.panel, send);
    titleUntitledPanel(req.command);
  }
  if (req.kind === 'message') askMessage(req.prompt);
  if (req.kind === 'group') askGroup(req.prompt, req.group);
  if (!actions.queued() && state.player && state.player.running) playStep();
  else actions.pump(); // the next action, or the page has settled
}

function onFailure(message) {
  showWorking(null);
  feedback.requested({});
  const p = state.player;
  if (p) {
    const at = p.steps[Math.max(0, p.pos - 1)];
    playerFailed(p, `${p.name}:${at ? at.line : 0}: ${japanese(message)}`);
  }
  showFailure(`セッションを続けられません:\n${japanese(message)}`);
  actions.failed();
}

/* A new session starts with the host's fields as nerolit-host starts
   them (orthogonal mode off, select mode 1) and the drawing's own current
   layer and colour, which the page does not know: their fields are left
   empty until the user sets them. */
function resetHostControls() {
  $('ortho-mode').checked = false;
  $('select-mode').value = '1';
  $('current-layer').value = '';
  $('current-color').value = '';
}

/* Opens a drawing: a new session on it, from the settings the engine has
   (recorded as its first lines).  Only between commands; a drawing the
   engine cannot read is reported and the drawing shown stays. */
async function openDrawing(file) {
  if (!actions.request || actions.request.kind !== 'command') {
    showPrompt('コマンドの実行中は図面を開けません', 'コマンドを終えてから開いてください');
    return;
  }
  // The drawing shown and its session are replaced: ask first when a
  // command has changed them since they were opened.
  if (/^run /m.test(state.engine.session()) &&
      !window.confirm('いまの図面とセッションは破棄されます (保存はDXF保存・セッション保存で)。開きますか?')) return;
  actions.restart();
  showWorking(`${file.name} を開いています…  (Escで中止)`);
  // The message shows before the engine takes the page's thread.
  await new Promise((done) => requestAnimationFrame(() => setTimeout(done, 0)));
  try {
    // The user's own settings again after a session file played.
    const notices = await state.engine.open(file, state.fromSessionFile ? loadSettings() : undefined, true);
    state.fromSessionFile = false;
    showNotices($('notices'), file.name, notices);
    state.opened = file;
    resetHostControls();
    showFailure('');
    newSession();
    showWorking(null);
    showPrompt(`${file.name}: ${state.engine.figureCount()} 図形`, '');
    fit(view);
  } catch (e) {
    showWorking(null);
    if (e.stopped) showFailure('');
    else showFailure(`開けませんでした: ${japanese(e.message)}`);
    actions.asked(state.engine.request());
    showPrompt(e.stopped ? `${file.name} を開くのを中止しました` : 'コマンドを選んでください', HINTS.command);
  }
  redraw();
}

/* Forgets the stored settings and starts again from the drawing as it was
   opened, on an engine whose store is empty: the commands take their
   defaults, and the session records none. */
async function resetAll() {
  if (actions.request && actions.request.kind !== 'command') {
    showPrompt('コマンドの実行中はリセットできません', '');
    return;
  }
  resetSettings();
  state.fromSessionFile = false;
  actions.restart();
  state.engine = await createEngine(engineEvents);
  if (state.opened) await state.engine.open(state.opened, '');
  resetHostControls();
  newSession();
  redraw();
  showPrompt('設定を既定値に戻しました', '');
}

/* A session file in the player: played as nerolit-host plays it, from the
   drawing opened (or an empty one) with an empty store, so that only the
   session's own setting lines count.  A file nerolit-host would not read
   is shown with its bad line marked and is not played. */
async function loadSessionFile(f) {
  if (!actions.request || actions.request.kind !== 'command') {
    showPrompt('コマンドの実行中はセッションを読み込めません', 'コマンドを終えてから読み込んでください');
    return;
  }
  if (/^run /m.test(state.engine.session()) &&
      !window.confirm('いまの作業は破棄され、開いた図面からセッションを再生します。読み込みますか?')) return;
  actions.restart();
  const base = state.opened || { kind: 'drawing', name: 'drawing', text: '' };
  state.fromSessionFile = true;
  await state.engine.open(base, '');
  resetHostControls();
  newSession();
  fit(view);
  redraw();
  const bad = state.engine.parseSession(f.text, f.name);
  state.player = createPlayer(f.name, f.text, bad ? japanese(bad) : null);
  if (bad) state.player.stopped = true;
  // A session recorded on another drawing plays on the one opened, as
  // nerolit-host plays it on the drawing it is given: say so.
  const recorded = /^# drawing: (.+)$/m.exec(f.text);
  if (recorded && !/^none\b/.test(recorded[1]) && recorded[1].trim() !== drawingName()) {
    showPrompt(`このセッションは ${recorded[1].trim()} で記録されました (いまの図面: ${drawingName()})`, '');
  }
}

/* Sends the player's next line for the pending request; a line the
   engine refuses stops the player there with its file:line message, as
   nerolit-host stops. */
function playStep() {
  const p = state.player;
  if (!p || !actions.request || p.stopped) return;
  const at = p.steps[p.pos];
  const line = nextLine(p, actions.request);
  if (line === null) return;
  const why = state.engine.check(line);
  if (why) {
    // The engine names the line "page:N"; the player names it by the file.
    playerFailed(p, `${p.name}:${at ? at.line : p.steps.length}: ${japanese(why.replace(/^page:\d+: /, ''))}`);
    return;
  }
  send(textAction(line));
}

/* --- set-up --- */

const snaps = createSnaps($('cursor-layer'), $('snap-tip'), {
  snap: (x, y, aperture, kinds) => state.engine.snap(x, y, aperture, kinds),
  toCanvas: (x, y) => toCanvas(view, x, y),
  toDrawing: (px, py) => toDrawing(view, px, py),
  scale: () => view.scale,
  changed: showModes,
});
const input = setUpInput(view, {
  request: () => actions.request || state.lastRequest,
  send,
  pick: (x, y, tolerance) => figureAt(view.scene.drawing, x, y, tolerance),
  changed: redraw,
  cursorMoved: (x, y) => showCoordinates(x, y, view.scene.names),
  snaps,
  enter: () => commands.enter(),
  extents: () => {
    fit(view);
    redraw();
  },
});
const commands = createCommands({
  request: () => actions.request,
  send,
  escape: () => state.engine.escape(),
  input,
  marks: () => view.scene.marks,
  lastPoint: () => state.lastPoint,
  commandNames: () => [...document.querySelectorAll('#commands button')].map((b) => b.dataset.command),
  say: (text) => showPrompt(text, ''),
  // Typed points are in the unit the status line shows them in.
  unitFactor: () => (view.scene.names && view.scene.names.unitFactor > 0 ? view.scene.names.unitFactor : 1),
});
const undo = createUndo({
  lines: () => sessionLines(sessionText()),
  between: () => !!actions.request && actions.request.kind === 'command' && !actions.queued(),
  rebuild: rebuildSession,
  send: (line) => send(textAction(line), true),
  say: (text) => showPrompt(text, ''),
});
const feedback = createFeedback($('busy'), {
  count: () => view.scene.drawing.length,
  say: (text) => { $('hint').textContent = text; },
});
setUpDialogs(send);

/* The page on a fresh engine that replayed `lines` from the drawing as it
   was opened (undo.js). */
async function rebuildSession(lines) {
  actions.restart();
  showPrompt('元に戻しています…', '');
  const { engine, attach } = await replayEngine(createEngine, state.opened, lines);
  state.engine = engine;
  view.scene.marks = [];
  state.lastSent = '';
  newSession();
  attach(engineEvents);
}

/* The status line's drafting modes. */
function showModes() {
  const flag = (name, on) => `<span class="${on ? 'on' : 'off'}">${name} ${on ? 'オン' : 'オフ'}</span>`;
  const kinds = SNAP_KINDS.filter((k) => snaps.kinds.has(k.kind)).map((k) => k.label).join('・');
  $('modes').innerHTML = `${flag('スナップ', snaps.on)}${snaps.on && kinds ? ` (${kinds})` : ''}  ${flag('直交', $('ortho-mode').checked)}`;
  $('snap-all').setAttribute('aria-pressed', String(snaps.on));
  for (const b of document.querySelectorAll('#snap-kinds button')) {
    b.setAttribute('aria-pressed', String(snaps.on && snaps.kinds.has(b.dataset.snap)));
  }
  // Undo and redo work between commands only: the session is read then,
  // not at every request of a command (a trail asks at every mouse move).
  const between = !!actions.request && actions.request.kind === 'command';
  $('undo').disabled = !between || !undo.canUndo();
  $('redo').disabled = !between || !undo.canRedo();
}

function toggleOrtho() {
  $('ortho-mode').checked = !$('ortho-mode').checked;
  $('ortho-mode').dispatchEvent(new Event('change'));
}

function wireDrafting() {
  for (const k of SNAP_KINDS) {
    const b = document.createElement('button');
    b.type = 'button';
    b.className = 'snap-kind';
    b.dataset.snap = k.kind;
    b.textContent = k.label;
    b.setAttribute('aria-label', `スナップ ${k.label}`);
    b.addEventListener('click', () => snaps.toggle(k.kind));
    $('snap-kinds').append(b);
  }
  $('snap-all').addEventListener('click', () => snaps.toggleAll());
  $('undo').addEventListener('click', () => undo.undo().then(showModes));
  $('redo').addEventListener('click', () => undo.redoLast(actions.settled).then(showModes));
  const help = setUpHelp($('help'), $('help-keys'));
  $('help-open').addEventListener('click', help);
  setUpKeys({
    commands,
    input,
    typed: $('typed'),
    help,
    snaps: () => snaps.toggleAll(),
    ortho: toggleOrtho,
    undo: () => undo.undo().then(showModes),
    redo: () => undo.redoLast(actions.settled).then(showModes),
  });
}

async function openFile(file) {
  const f = await readFile(file);
  if (f.kind === 'session') await loadSessionFile(f);
  else await openDrawing(f);
}

function wireButtons() {
  for (const b of document.querySelectorAll('#commands button')) {
    b.addEventListener('click', () => {
      $('notices').hidden = true; // read by now; it would cover the drawing the command points at
      commands.run(b.dataset.command);
    });
  }
  // The host's state fields the commands read: a `set` line each, given
  // before the answer to whatever is asked next (README, "Session contract").
  $('ortho-mode').addEventListener('change', () => {
    send(`set orthoMode ${$('ortho-mode').checked ? 1 : 0}`);
    showModes();
  });
  $('select-mode').addEventListener('change', () => send(`set selectMode ${$('select-mode').value}`));
  for (const [id, field] of [['current-layer', 'currentLayer'], ['current-color', 'currentColor']]) {
    $(id).addEventListener('change', () => {
      const v = $(id).valueAsNumber;
      if (Number.isInteger(v) && v >= Number($(id).min) && v <= Number($(id).max)) send(`set ${field} ${v}`);
    });
  }
  $('open').addEventListener('click', () => $('open-file').click());
  $('open-file').addEventListener('change', async () => {
    const file = $('open-file').files[0];
    $('open-file').value = '';
    if (file) await openFile(file);
  });
  // The drawing's downloads are named after the result (the commands that
  // made it), never the same name as the file opened.
  const result = (ext) => resultName(drawingName(), ext, state.log.lines);
  $('save-dxf').addEventListener('click', () => download(result('dxf'), state.engine.dxf(), 'application/dxf'));
  $('save-list').addEventListener('click', () => download(result('txt'), state.engine.figureList()));
  $('save-svg').addEventListener('click', () => download(result('svg'), state.engine.svg(), 'image/svg+xml'));
  $('fit').addEventListener('click', () => {
    fit(view);
    redraw();
  });
  $('reset-settings').addEventListener('click', () => {
    if (window.confirm('保存された設定を消去し、図面を開いたときの状態からやり直します。')) resetAll();
  });
  $('download-session').addEventListener('click', () =>
    download(downloadName(drawingName(), 'session'), sessionText()));
  $('player-step').addEventListener('click', () => {
    if (state.player) playStep();
  });
  $('player-run').addEventListener('click', () => {
    if (!state.player || state.player.stopped) return;
    state.player.running = true;
    playStep();
  });
  $('player-stop').addEventListener('click', () => {
    state.player = null;
    showPlayer(null);
  });

  const viewport = $('viewport');
  viewport.addEventListener('dragover', (e) => {
    e.preventDefault();
    $('drop-hint').hidden = false;
  });
  viewport.addEventListener('dragleave', () => {
    $('drop-hint').hidden = true;
  });
  viewport.addEventListener('drop', async (e) => {
    e.preventDefault();
    $('drop-hint').hidden = true;
    const file = e.dataTransfer.files[0];
    if (file) await openFile(file);
  });
}

// The automation interface (README, "Nerolit Studio").
window.nerolit = automationInterface(actions, { view, engine: () => state.engine, session: sessionText });

const engineEvents = {
  request: onRequest,
  display: showDisplay,
  failure: onFailure,
  working: ({ figures }) => showWorking(`実行中… ${figures} 図形  (Escで中止)`),
  // How far a DXF's read has come: the share of the file read, then the
  // figures made.
  opening: ({ name, read, figures, stoppable }) => showWorking(`${name} を開いています… ${Math.floor(read * 100)}%` +
    `${figures ? `  ${figures} 図形` : ''}${stoppable ? '  (Escで中止)' : ''}`),
};

async function start() {
  wireButtons();
  wireDrafting();
  showPrompt('読み込み中…', '');
  state.engine = await createEngine(engineEvents);
  await state.engine.open({ kind: 'drawing', name: 'drawing', text: '' }, loadSettings());
  newSession();
  fitBox(view, boxOf(view.scene.drawing) || { x1: 0, y1: 0, x2: 800, y2: 500 });
  redraw();
  // A window resized shows the whole drawing again in its new size.  The
  // view also changes size when a bar wraps or unwraps (a longer prompt,
  // the busy sign): then it is only drawn again, at the user's zoom.
  let seen = null;
  let windowSize = [window.innerWidth, window.innerHeight];
  new ResizeObserver(([entry]) => {
    const { width, height } = entry.contentRect;
    const first = seen === null;
    if (!first && seen.width === width && seen.height === height) return;
    seen = { width, height };
    if (first) return;
    const now = [window.innerWidth, window.innerHeight];
    if (now[0] !== windowSize[0] || now[1] !== windowSize[1]) fit(view);
    windowSize = now;
    redraw();
  }).observe($('viewport'));
}

start().catch((e) => onFailure(e && e.stack ? e.stack : String(e)));
