// figures.js - geometry of the figures the engine reports (its figures()
// and display), for drawing them, fitting the view and picking them with
// the mouse.  The engine owns the drawing; the page only shows it.
//
// A figure: { kind: 'line'|'arc'|'circle'|'point'|'text', index, x1, y1,
// x2, y2 (line), cx, cy, r, start, end (arc, degrees), x, y (point, text),
// text, origin, height, width, angle, slant (text) }.

/* The point of an arc at `deg` degrees.  The host's angles turn from +x
   toward -y (Figures.h), so the point lies at (cx + r cos, cy - r sin). */
export function arcPoint(f, deg) {
  const a = (deg * Math.PI) / 180;
  return [f.cx + f.r * Math.cos(a), f.cy - f.r * Math.sin(a)];
}

/* The text's length in half-width cells: the bytes of its Shift-JIS form
   (full-width characters take two). */
export function textCells(text) {
  let n = 0;
  for (const ch of text) {
    const c = ch.codePointAt(0);
    n += c < 0x80 || (c >= 0xff61 && c <= 0xff9f) ? 1 : 2;
  }
  return n;
}

/* Axis-aligned box {x1, y1, x2, y2} of figures, or null when there are
   none.  Texts count with their extent along their direction. */
export function boxOf(figures) {
  let b = null;
  const grow = (x, y) => {
    if (!Number.isFinite(x) || !Number.isFinite(y)) return;
    if (!b) b = { x1: x, y1: y, x2: x, y2: y };
    else {
      b.x1 = Math.min(b.x1, x);
      b.y1 = Math.min(b.y1, y);
      b.x2 = Math.max(b.x2, x);
      b.y2 = Math.max(b.y2, y);
    }
  };
  for (const f of figures) {
    if (f.kind === 'line') {
      grow(f.x1, f.y1);
      grow(f.x2, f.y2);
    } else if (f.kind === 'arc' || f.kind === 'circle') {
      grow(f.cx - f.r, f.cy - f.r);
      grow(f.cx + f.r, f.cy + f.r);
    } else if (f.kind === 'point') {
      grow(f.x, f.y);
    } else if (f.kind === 'text') {
      const len = textCells(f.text) * Math.max(f.width, f.height / 2, 1);
      const a = (f.angle * Math.PI) / 180;
      grow(f.x, f.y);
      grow(f.x + len * Math.cos(a), f.y + len * Math.sin(a));
      grow(f.x - f.height * Math.sin(a), f.y + f.height * Math.cos(a));
    }
  }
  return b;
}

/* Distance from (x, y) to figure f in drawing units: to a line's segment,
   to an arc's curve (its end points where the angle lies outside the arc),
   to a point, and to a text's insertion point or the box its characters
   cover along its direction. */
export function distanceTo(f, x, y) {
  if (f.kind === 'line') {
    const dx = f.x2 - f.x1;
    const dy = f.y2 - f.y1;
    const len2 = dx * dx + dy * dy;
    const t = len2 > 0 ? Math.max(0, Math.min(1, ((x - f.x1) * dx + (y - f.y1) * dy) / len2)) : 0;
    return Math.hypot(x - (f.x1 + t * dx), y - (f.y1 + t * dy));
  }
  if (f.kind === 'circle' || f.kind === 'arc') {
    const onCircle = Math.abs(Math.hypot(x - f.cx, y - f.cy) - f.r);
    if (f.kind === 'circle') return onCircle;
    // The host's angle of (x, y): turning from +x toward -y.
    let a = (Math.atan2(-(y - f.cy), x - f.cx) * 180) / Math.PI;
    let sweep = f.end - f.start;
    while (sweep <= 0) sweep += 360;
    a = (((a - f.start) % 360) + 360) % 360;
    if (a <= sweep) return onCircle;
    const [sx, sy] = arcPoint(f, f.start);
    const [ex, ey] = arcPoint(f, f.end);
    return Math.min(Math.hypot(x - sx, y - sy), Math.hypot(x - ex, y - ey));
  }
  if (f.kind === 'point') return Math.hypot(x - f.x, y - f.y);
  if (f.kind === 'text') {
    const a = (f.angle * Math.PI) / 180;
    const u = (x - f.x) * Math.cos(a) + (y - f.y) * Math.sin(a);
    const v = -(x - f.x) * Math.sin(a) + (y - f.y) * Math.cos(a);
    const len = textCells(f.text) * Math.max(f.width, 1);
    const h = f.origin % 4;
    const vt = Math.floor(f.origin / 4);
    const u0 = h === 1 ? -len / 2 : h === 2 ? -len : 0;
    const v0 = vt === 0 ? -f.height : vt === 1 ? -f.height / 2 : 0;
    const du = Math.max(u0 - u, 0, u - (u0 + len));
    const dv = Math.max(v0 - v, 0, v - (v0 + f.height));
    return Math.min(Math.hypot(du, dv), Math.hypot(x - f.x, y - f.y));
  }
  return Infinity;
}

/* Index (the figure list's) of the figure nearest to (x, y) within
   `tolerance`, or -1. */
export function figureAt(figures, x, y, tolerance) {
  let best = -1;
  let bestD = tolerance;
  for (const f of figures) {
    const d = distanceTo(f, x, y);
    if (d <= bestD) {
      bestD = d;
      best = f.index;
    }
  }
  return best;
}
