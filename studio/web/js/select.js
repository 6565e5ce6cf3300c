// select.js - which figures a selection window catches, for the feedback
// after selecting: the host takes every figure with any point in the closed
// window (as its touchesWindow does), so the page highlights the same ones:
// a line that crosses the window, an arc or circle with a point of its
// curve inside, a point or text whose insertion point is inside.
import { arcPoint } from './figures.js';

const inside = (w, x, y) => x >= w.x1 && x <= w.x2 && y >= w.y1 && y <= w.y2;

/* Whether segment (ax, ay)-(bx, by) has a point in window w (Liang-Barsky). */
function segmentTouches(w, ax, ay, bx, by) {
  let t0 = 0;
  let t1 = 1;
  const dx = bx - ax;
  const dy = by - ay;
  for (const [p, q] of [[-dx, ax - w.x1], [dx, w.x2 - ax], [-dy, ay - w.y1], [dy, w.y2 - ay]]) {
    if (p === 0) {
      if (q < 0) return false;
    } else {
      const r = q / p;
      if (p < 0) t0 = Math.max(t0, r);
      else t1 = Math.min(t1, r);
      if (t0 > t1) return false;
    }
  }
  return true;
}

/* Whether figure f has a point in window w ({x1, y1, x2, y2}, x1 <= x2,
   y1 <= y2).  Curves are followed in steps of at most a degree and their
   chords tested, which can only miss a point the curve bulges into by less
   than a thousandth of its radius. */
export function touchesWindow(f, w) {
  if (f.kind === 'line') return segmentTouches(w, f.x1, f.y1, f.x2, f.y2);
  if (f.kind === 'circle' || f.kind === 'arc') {
    let sweep = f.kind === 'circle' ? 360 : f.end - f.start;
    while (sweep <= 0) sweep += 360;
    const start = f.kind === 'circle' ? 0 : f.start;
    const n = Math.max(8, Math.ceil(sweep));
    let [px, py] = arcPoint(f, start);
    for (let k = 1; k <= n; k++) {
      const [qx, qy] = arcPoint(f, start + (sweep * k) / n);
      if (segmentTouches(w, px, py, qx, qy)) return true;
      [px, py] = [qx, qy];
    }
    return false;
  }
  if (f.kind === 'point' || f.kind === 'text') return inside(w, f.x, f.y);
  return false;
}

/* Indices of the figures window w catches. */
export function caughtBy(figures, w) {
  const out = new Set();
  for (const f of figures) if (touchesWindow(f, w)) out.add(f.index);
  return out;
}
