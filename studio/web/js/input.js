// input.js - the mouse on the view, turned into the session language's
// actions for the request the engine has pending, as in desktop CAD:
//   point requests  left button: `point X Y` at the snapped point (snap.js)
//                   or the whole drawing unit under the cursor; mouse
//                   moves: `move X Y` (the trail cloud grows, the stretch
//                   preview follows); a trail gets every point the browser
//                   saw during a fast move, so a quick circle stays round;
//                   a click on a region's first point closes the region
//   selections      a window by two clicks or by a drag (`select window`),
//                   or figures clicked one by one and Enter (`select I J`)
//   right button    Enter (keys.js decides what Enter means for the request)
//   always          middle-drag or Space-drag pans, the wheel zooms about
//                   the cursor, a double middle-click shows everything
// The keyboard is keys.js's.  Points off a snap are whole drawing units:
// the figure tables store whole units, and a session of whole numbers reads
// as what the user did; a snapped point is the stored point as it is.
import { pan, render, toCanvas, toDrawing, zoomAt } from './view.js';
import { caughtBy, touchesWindow } from './select.js';
import { pointAction } from './language.js';

const CLICK_SLOP = 4; // pixels a press may move and still be a click
const CLOSE_PIXELS = 8; // a click this near the region's first point closes it
const PICK_PIXELS = 6; // a click this near a figure picks it
const DOUBLE_MS = 400; // two middle presses this close are a double click

/* `ctl`: { request() the pending request, or the last one while the
   engine works (null before any), send(action, keep) (a line, or a
   point's pointAction; keep: a move that must not be merged with the one
   before), pick(x, y, tolerance) the index of the figure there or -1,
   changed() the scene changed, cursorMoved(x, y), snaps (snap.js),
   enter() the right button, extents() zoom to everything }. */
export function setUpInput(view, ctl) {
  const canvas = view.canvas;
  const scene = view.scene;
  const snaps = ctl.snaps;
  let space = false; // Space held: the left button pans
  let spacePanned = false; // the view was panned while Space was held
  let panning = null; // { x, y } last position while panning
  let press = null; // { x, y, button } a left press on the view
  let windowStart = null; // first corner of a selection window, drawing units
  const picks = []; // figures clicked in the pending selection
  let selected = null; // { picked, window } the selection given (figures clicked, or a window), shown until the command asks for another or ends
  let last = null; // last point sent as a move
  let middleAt = 0; // time of the last middle press

  const local = (e) => {
    const r = canvas.getBoundingClientRect();
    return [e.clientX - r.left, e.clientY - r.top];
  };
  const unitsAt = (px, py) => toDrawing(view, px, py).map((v) => Math.round(v) + 0);
  const kind = () => ctl.request()?.kind ?? null;
  const isPoint = (k) => k === 'point' || k === 'cursor' || k === 'region';
  /* The point a point request gets at canvas (px, py): the snap there, or
     the whole unit under the cursor. */
  const pointAt = (px, py) => {
    const hit = isPoint(kind()) ? snaps.query(px, py) : null;
    return hit ? [hit.x + 0, hit.y + 0] : unitsAt(px, py);
  };

  /* Forgets the half-made window and picks (a new request came, of
     `next` kind); the selection given stays highlighted, its window
     marked, until the command asks for a new one or ends. */
  function reset(next) {
    if (next === 'command' || next === 'select') selected = null;
    windowStart = null;
    picks.length = 0;
    scene.window = selected ? selected.window : null;
    // A window's catch is worked out on the drawing as it is now: the
    // command may have moved the figures it took to other entries.
    scene.picked = !selected ? new Set() : selected.window ? caughtBy(scene.drawing, selected.window) : new Set(selected.picked);
    // What the command took out of the drawing and shows itself (the
    // mirror's selection in its work area) is highlighted by the window too.
    const win = selected && selected.window;
    scene.catches = win ? (f) => touchesWindow(f, win) : null;
  }

  function clickAt(px, py, asKind) {
    const k = asKind || kind();
    if (isPoint(k)) {
      if (k === 'region' && scene.marks.length >= 3) {
        const [fx, fy] = toCanvas(view, ...scene.marks[0]);
        if (Math.hypot(fx - px, fy - py) <= CLOSE_PIXELS) {
          closeRegion();
          return;
        }
      }
      const [x, y] = pointAt(px, py);
      ctl.send(pointAction(x, y));
    } else if (k === 'select') {
      const [x, y] = unitsAt(px, py);
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
    if (lx !== fx || ly !== fy) ctl.send(pointAction(fx, fy));
    ctl.send('close');
  }

  function finishWindow(a, b) {
    const [x1, x2] = [Math.min(a[0], b[0]), Math.max(a[0], b[0])];
    const [y1, y2] = [Math.min(a[1], b[1]), Math.max(a[1], b[1])];
    const win = { x1, y1, x2, y2 };
    selected = { picked: null, window: win };
    reset();
    ctl.changed();
    ctl.send(`select window ${x1} ${y1} ${x2} ${y2}`);
  }

  /* The selection the user has made so far, sent (Enter): the figures
     clicked; false when there is none. */
  function confirmPicks() {
    if (!picks.length) return false;
    const line = `select ${picks.join(' ')}`;
    selected = { picked: new Set(picks), window: null };
    reset();
    ctl.changed();
    ctl.send(line);
    return true;
  }

  /* Drops a half-made window or picks; false when there was none. */
  function dropSelection() {
    if (!windowStart && !picks.length) return false;
    reset();
    ctl.changed();
    return true;
  }

  canvas.addEventListener('pointerdown', (e) => {
    const [px, py] = local(e);
    if (e.button === 1 || (e.button === 0 && space)) {
      if (e.button === 1) {
        if (e.timeStamp - middleAt < DOUBLE_MS) {
          middleAt = 0;
          ctl.extents();
          e.preventDefault();
          return;
        }
        middleAt = e.timeStamp;
      }
      panning = { x: px, y: py };
      if (space) spacePanned = true;
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

  function moveTo(px, py, keep) {
    const [x, y] = pointAt(px, py);
    if (!(last && last[0] === x && last[1] === y)) ctl.send(`move ${x} ${y}`, keep);
    last = [x, y];
  }

  canvas.addEventListener('pointermove', (e) => {
    const [px, py] = local(e);
    snaps.cursor = [px, py];
    if (panning) {
      pan(view, px - panning.x, py - panning.y);
      panning = { x: px, y: py };
      ctl.changed();
      snaps.draw();
      return;
    }
    const [ux, uy] = unitsAt(px, py);
    ctl.cursorMoved(...toDrawing(view, px, py));
    const k = kind();
    if (k === 'select' && (windowStart || (press && Math.hypot(px - press.x, py - press.y) > CLICK_SLOP))) {
      const a = windowStart || unitsAt(press.x, press.y);
      scene.window = { x1: a[0], y1: a[1], x2: ux, y2: uy };
      ctl.changed();
    }
    if (isPoint(k)) {
      // A trail is drawn by the mouse's path: every point the browser
      // coalesced into this event is a move of its own.
      if (k === 'cursor' && e.getCoalescedEvents) {
        for (const c of e.getCoalescedEvents().slice(0, -1)) moveTo(...local(c), true);
      }
      moveTo(px, py, k === 'cursor');
    } else {
      snaps.hit = null;
    }
    if (scene.band && last && isPoint(k)) {
      scene.band.x2 = last[0];
      scene.band.y2 = last[1];
      ctl.changed();
    }
    snaps.draw();
  });

  canvas.addEventListener('pointerleave', () => {
    snaps.cursor = null;
    snaps.draw();
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
    ctl.enter();
  });

  canvas.addEventListener('wheel', (e) => {
    e.preventDefault();
    const [px, py] = local(e);
    const steps = e.deltaMode === 1 ? e.deltaY * 16 : e.deltaY;
    zoomAt(view, px, py, Math.exp(-steps * 0.0015));
    ctl.changed();
    snaps.draw();
  }, { passive: false });

  window.addEventListener('resize', () => {
    render(view);
    snaps.draw();
  });

  return {
    reset,
    closeRegion,
    confirmPicks,
    dropSelection,
    /* Space held or let go: while held the left button pans; the return
       says whether the view was panned during the hold. */
    setSpace(on) {
      space = on;
      if (on) spacePanned = false;
      return spacePanned;
    },
    /* The stretch's window given by two points (a box band): marked, and
       the figures it catches highlighted, until the command ends. */
    markWindow(a, b) {
      const win = { x1: Math.min(a[0], b[0]), y1: Math.min(a[1], b[1]), x2: Math.max(a[0], b[0]), y2: Math.max(a[1], b[1]) };
      selected = { picked: null, window: win };
    },
  };
}
