// input.js - the mouse and the keyboard on the view, turned into the
// session language's actions for the request the engine has pending, as
// in the CAD host:
//   point requests  left button: `point X Y`; mouse moves: `move X Y` (the
//                   trail cloud grows, the stretch preview follows);
//                   Enter: `confirm` (a trail); a click on a region's first
//                   point, or Enter, closes the region (`point` at the
//                   first point for its last edge, then `close`)
//   selections      a window by two clicks or by a drag (`select window`),
//                   or figures clicked one by one and Enter (`select I J`)
//   any request     right button or Esc: `cancel` (one stage back); Esc
//                   while a command works: Escape at its next poll
//   always          middle-drag or Space-drag pans, the wheel zooms about
//                   the cursor
// Points are whole drawing units: the figure tables store whole units, and
// a session with whole numbers reads as what the user did.
import { pan, render, toCanvas, toDrawing, zoomAt } from './view.js';

const CLICK_SLOP = 4; // pixels a press may move and still be a click
const CLOSE_PIXELS = 8; // a click this near the region's first point closes it
const PICK_PIXELS = 6; // a click this near a figure picks it

/* `ctl`: { request() the pending request, or the last one while the
   engine works (null before any), busy() whether the engine works,
   send(line), escape(),
   pick(x, y, tolerance) the index of the figure there or -1, changed() the
   scene changed, cursorMoved(x, y) }. */
export function setUpInput(view, ctl) {
  const canvas = view.canvas;
  const scene = view.scene;
  let space = false; // Space held: the left button pans
  let panning = null; // { x, y } last position while panning
  let press = null; // { x, y, button } a left press on the view
  let windowStart = null; // first corner of a selection window, drawing units
  const picks = []; // figures clicked in the pending selection
  let last = null; // last cursor position in whole drawing units

  const local = (e) => {
    const r = canvas.getBoundingClientRect();
    return [e.clientX - r.left, e.clientY - r.top];
  };
  const unitsAt = (px, py) => toDrawing(view, px, py).map((v) => Math.round(v) + 0);
  const kind = () => ctl.request()?.kind ?? null;
  const isPoint = (k) => k === 'point' || k === 'cursor' || k === 'region';

  /* Forgets the half-made window and picks (a new request came). */
  function reset() {
    windowStart = null;
    picks.length = 0;
    scene.window = null;
    scene.picked = new Set();
  }

  function clickAt(px, py, asKind) {
    const k = asKind || kind();
    const [x, y] = unitsAt(px, py);
    if (isPoint(k)) {
      if (k === 'region' && scene.marks.length >= 3) {
        const [fx, fy] = toCanvas(view, ...scene.marks[0]);
        if (Math.hypot(fx - px, fy - py) <= CLOSE_PIXELS) {
          closeRegion();
          return;
        }
      }
      ctl.send(`point ${x} ${y}`);
    } else if (k === 'select') {
      if (windowStart) {
        finishWindow(windowStart, [x, y]);
        return;
      }
      const [dx, dy] = toDrawing(view, px, py);
      const i = ctl.pick(dx, dy, PICK_PIXELS / view.scale);
      if (i >= 0) {
        const at = picks.indexOf(i);
        if (at >= 0) picks.splice(at, 1);
        else picks.push(i);
        scene.picked = new Set(picks);
        ctl.changed();
      } else {
        windowStart = [x, y];
        scene.window = { x1: x, y1: y, x2: x, y2: y };
        ctl.changed();
      }
    }
  }

  /* Closes the region being drawn: its last edge back to the first point
     (the command adds none of its own), then the click that completes it. */
  function closeRegion() {
    const [fx, fy] = scene.marks[0];
    const [lx, ly] = scene.marks[scene.marks.length - 1];
    if (lx !== fx || ly !== fy) ctl.send(`point ${fx} ${fy}`);
    ctl.send('close');
  }

  function finishWindow(a, b) {
    const [x1, x2] = [Math.min(a[0], b[0]), Math.max(a[0], b[0])];
    const [y1, y2] = [Math.min(a[1], b[1]), Math.max(a[1], b[1])];
    reset();
    ctl.changed();
    ctl.send(`select window ${x1} ${y1} ${x2} ${y2}`);
  }

  canvas.addEventListener('pointerdown', (e) => {
    canvas.focus();
    const [px, py] = local(e);
    if (e.button === 1 || (e.button === 0 && space)) {
      panning = { x: px, y: py };
      canvas.classList.add('panning');
      canvas.setPointerCapture(e.pointerId);
      e.preventDefault();
    } else if (e.button === 0) {
      // A point request takes the point when the button goes down, as in
      // the CAD host; a selection waits for the button to come up.
      press = { x: px, y: py, kind: kind() };
      canvas.setPointerCapture(e.pointerId);
      if (isPoint(press.kind)) clickAt(px, py);
    }
  });

  canvas.addEventListener('pointermove', (e) => {
    const [px, py] = local(e);
    if (panning) {
      pan(view, px - panning.x, py - panning.y);
      panning = { x: px, y: py };
      ctl.changed();
      return;
    }
    const [x, y] = unitsAt(px, py);
    ctl.cursorMoved(...toDrawing(view, px, py));
    const k = kind();
    if (k === 'select' && (windowStart || (press && Math.hypot(px - press.x, py - press.y) > CLICK_SLOP))) {
      const a = windowStart || unitsAt(press.x, press.y);
      scene.window = { x1: a[0], y1: a[1], x2: x, y2: y };
      ctl.changed();
    }
    if (scene.band) {
      scene.band.x2 = x;
      scene.band.y2 = y;
      ctl.changed();
    }
    if (isPoint(k) && !(last && last[0] === x && last[1] === y)) ctl.send(`move ${x} ${y}`);
    last = [x, y];
  });

  canvas.addEventListener('pointerup', (e) => {
    const [px, py] = local(e);
    if (panning && (e.button === 1 || e.button === 0)) {
      panning = null;
      canvas.classList.remove('panning');
      return;
    }
    if (e.button !== 0 || !press) return;
    const p = press;
    press = null;
    const dragged = Math.hypot(px - p.x, py - p.y) > CLICK_SLOP;
    if (isPoint(p.kind)) {
      // A drag gives a second point where the button comes up: the end
      // of a stretch dragged from its base point.
      if (dragged) clickAt(px, py, 'point');
    } else if (p.kind === 'select') {
      if (!dragged) clickAt(p.x, p.y);
      else finishWindow(windowStart || unitsAt(p.x, p.y), unitsAt(px, py));
    }
  });

  canvas.addEventListener('auxclick', (e) => e.preventDefault());
  canvas.addEventListener('contextmenu', (e) => {
    e.preventDefault();
    if (windowStart || picks.length) {
      reset(); // the half-made selection goes first
      ctl.changed();
    } else if (kind()) ctl.send('cancel');
  });

  canvas.addEventListener('wheel', (e) => {
    e.preventDefault();
    const [px, py] = local(e);
    const steps = e.deltaMode === 1 ? e.deltaY * 16 : e.deltaY;
    zoomAt(view, px, py, Math.exp(-steps * 0.0015));
    ctl.changed();
  }, { passive: false });

  window.addEventListener('keydown', (e) => {
    if (document.querySelector('dialog[open]')) return; // the dialog has the keys
    if (e.target instanceof HTMLInputElement || e.target instanceof HTMLSelectElement) return;
    const k = kind();
    if (e.code === 'Space') {
      space = true;
      e.preventDefault();
    } else if (e.key === 'Escape') {
      e.preventDefault();
      if (windowStart || picks.length) {
        reset();
        ctl.changed();
      } else if (ctl.busy()) ctl.escape(); // the command works: Escape at its next poll
      else if (k && k !== 'command') ctl.send('cancel');
    } else if (e.key === 'Enter') {
      if (k === 'cursor') ctl.send('confirm');
      else if (k === 'region' && scene.marks.length >= 3) closeRegion();
      else if (k === 'select' && picks.length) {
        const line = `select ${picks.join(' ')}`;
        reset();
        ctl.changed();
        ctl.send(line);
      } else return;
      e.preventDefault();
    }
  });
  window.addEventListener('keyup', (e) => {
    if (e.code === 'Space') space = false;
  });
  window.addEventListener('resize', () => render(view));

  return { reset };
}
