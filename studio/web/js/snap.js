// snap.js - object snaps and the cursor layer.  The snaps are asked of the
// engine (it reads the figure tables the commands work on), never worked
// out from the page's copy of the drawing, so a snapped point is the stored
// point itself and goes into the session as the engine gives it.  The
// cursor layer is a canvas over the view that holds only what follows the
// mouse: the crosshair with the snap aperture, the snap marker (a shape per
// kind, as desktop CAD draws them) and its tooltip.  Redrawing it costs
// nothing of the drawing's redraw.

import { fitCanvas } from './view.js';

export const SNAP_KINDS = [
  { kind: 'end', label: '端点' },
  { kind: 'middle', label: '中点' },
  { kind: 'centre', label: '中心' },
  { kind: 'intersection', label: '交点' },
  { kind: 'nearest', label: '近接' },
];
const LABELS = Object.fromEntries(SNAP_KINDS.map((k) => [k.kind, k.label]));
const APERTURE = 10; // pixels: the box around the crosshair's centre that catches a snap
const ARM = 14; // pixels: the crosshair's arms beyond the aperture
const MARK = 7; // pixels: half the marker's size
const MARK_COLOUR = '#0a8a2a';
const AXIS_COLOUR = '#b000b0';

/* The mirror's axis while it asks its base point: 'horizontal' (上下, the
   copy flips over a horizontal line), 'vertical' (左右), or null (a slanted
   axis is given by two points, with the host's own rubber line). */
export function mirrorAxis(req, settingsIni) {
  if (!req || req.kind !== 'point' || !/^c66$/i.test(req.command) || req.prompt !== '基準点') return null;
  const m = /^c66_Direction\s*=\s*(\d+)/mi.exec(settingsIni || '');
  const direction = m ? Number(m[1]) : 1;
  return direction === 1 ? 'horizontal' : direction === 2 ? 'vertical' : null;
}

/* `ctl`: { snap(x, y, aperture, kinds) the engine's answer or null,
   toCanvas(x, y), toDrawing(px, py), scale() pixels per drawing unit,
   changed() the bar's state changed }.  Snaps start on for end, middle,
   centre and intersection; nearest is off (it would catch every click near
   a figure). */
export function createSnaps(overlay, tip, ctl) {
  const s = {
    on: true,
    kinds: new Set(['end', 'middle', 'centre', 'intersection']),
    hit: null, // the snap shown: { kind, x, y, index, other }
    cursor: null, // [px, py] on the view, null when the mouse is out
    axis: null, // 'horizontal' | 'vertical': the mirror's axis through the cursor, while its base point is asked
  };

  /* The snap for canvas point (px, py), or null; remembered for drawing. */
  s.query = (px, py) => {
    s.hit = null;
    if (s.on && s.kinds.size) {
      const [x, y] = ctl.toDrawing(px, py);
      s.hit = ctl.snap(x, y, APERTURE / ctl.scale(), [...s.kinds]) || null;
    }
    return s.hit;
  };

  s.toggle = (kind) => {
    if (s.kinds.has(kind)) s.kinds.delete(kind);
    else s.kinds.add(kind);
    if (!s.kinds.size) s.on = false;
    else s.on = true;
    ctl.changed();
  };

  s.toggleAll = () => {
    s.on = !s.on;
    if (s.on && !s.kinds.size) SNAP_KINDS.forEach((k) => k.kind !== 'nearest' && s.kinds.add(k.kind));
    if (!s.on) s.hit = null;
    ctl.changed();
    s.draw();
  };

  s.label = (kind) => LABELS[kind] || kind;

  /* Draws the cursor layer: the crosshair (when `crosshair`) and the
     marker of the snap found last. */
  s.draw = (crosshair = true) => {
    const { w, h, dpr } = fitCanvas(overlay);
    const g = overlay.getContext('2d');
    g.setTransform(dpr, 0, 0, dpr, 0, 0);
    g.clearRect(0, 0, w, h);
    if (s.cursor && crosshair) {
      const [cx, cy] = s.cursor.map((v) => Math.round(v) + 0.5);
      g.strokeStyle = '#303030';
      g.lineWidth = 1;
      g.beginPath();
      for (const [dx, dy] of [[1, 0], [-1, 0], [0, 1], [0, -1]]) {
        g.moveTo(cx + dx * APERTURE, cy + dy * APERTURE);
        g.lineTo(cx + dx * (APERTURE + ARM), cy + dy * (APERTURE + ARM));
      }
      g.stroke();
      if (s.on) g.strokeRect(cx - APERTURE, cy - APERTURE, 2 * APERTURE, 2 * APERTURE);
    }
    if (s.axis && s.cursor) {
      // The mirror's axis where the base point would put it, dash-dot.
      const [ax, ay] = s.hit ? ctl.toCanvas(s.hit.x, s.hit.y) : s.cursor;
      g.strokeStyle = AXIS_COLOUR;
      g.lineWidth = 1;
      g.setLineDash([12, 4, 2, 4]);
      g.beginPath();
      if (s.axis === 'horizontal') {
        g.moveTo(0, Math.round(ay) + 0.5);
        g.lineTo(w, Math.round(ay) + 0.5);
      } else {
        g.moveTo(Math.round(ax) + 0.5, 0);
        g.lineTo(Math.round(ax) + 0.5, h);
      }
      g.stroke();
      g.setLineDash([]);
    }
    if (s.hit && s.cursor) {
      const [mx, my] = ctl.toCanvas(s.hit.x, s.hit.y);
      g.strokeStyle = MARK_COLOUR;
      g.lineWidth = 2;
      drawMarker(g, s.hit.kind, mx, my);
      tip.textContent = s.label(s.hit.kind);
      tip.style.left = `${mx + MARK + 6}px`;
      tip.style.top = `${my + MARK + 4}px`;
      tip.hidden = false;
    } else {
      tip.hidden = true;
    }
  };

  return s;
}

/* A marker of its own shape per kind: end a square, middle a triangle,
   centre a circle, intersection a cross, nearest an hourglass. */
function drawMarker(g, kind, x, y) {
  const m = MARK;
  g.beginPath();
  if (kind === 'end') g.rect(x - m, y - m, 2 * m, 2 * m);
  else if (kind === 'middle') {
    g.moveTo(x, y - m);
    g.lineTo(x + m, y + m);
    g.lineTo(x - m, y + m);
    g.closePath();
  } else if (kind === 'centre') g.arc(x, y, m, 0, 2 * Math.PI);
  else if (kind === 'intersection') {
    g.moveTo(x - m, y - m);
    g.lineTo(x + m, y + m);
    g.moveTo(x + m, y - m);
    g.lineTo(x - m, y + m);
  } else {
    g.moveTo(x - m, y - m);
    g.lineTo(x + m, y - m);
    g.lineTo(x - m, y + m);
    g.lineTo(x + m, y + m);
    g.closePath();
  }
  g.stroke();
}
