// view.js - the drawing's view: the transform between drawing units and
// the canvas (pan, zoom about a point, fit), and the picture of what the
// engine reports: the drawing in black, the figures a command shows in the
// work area or as a preview in blue, the host's drag line in red, and the
// band of the pending point request (rubber line or box) and a selection
// window in grey.  Drawing y points up, the canvas's down.
import { arcPoint, boxOf, textCells } from './figures.js';

const MIN_SCALE = 1e-6;
const MAX_SCALE = 1e4;

/* A view on `canvas`: { canvas, scale (pixels per drawing unit), ox, oy
   (the drawing point at the canvas's top left corner), scene }. */
export function createView(canvas) {
  return { canvas, scale: 1, ox: -20, oy: 500, scene: emptyScene() };
}

export function emptyScene() {
  return {
    drawing: [], // figures of the drawing
    shown: [], // { figure, preview } the command drew outside the drawing, or as a preview
    hidden: new Set(), // drawing indices the command took off the display (a selection)
    dragLines: [], // [{ x1, y1, x2, y2 }] the host's drag line
    band: null, // { kind: 'line'|'box', x1, y1, x2, y2 } the pending request's band
    window: null, // { x1, y1, x2, y2 } a selection window being dragged
    marks: [], // [[x, y]] points given so far (a region being drawn)
    picked: new Set(), // drawing indices clicked for a selection
    pending: false, // what the command shows is not yet confirmed (a trail)
    catches: null, // (figure) => whether a selection window given caught this figure the command shows
  };
}

/* Canvas pixel position of a drawing point. */
export function toCanvas(view, x, y) {
  return [(x - view.ox) * view.scale, (view.oy - y) * view.scale];
}

/* Drawing point under a canvas pixel position. */
export function toDrawing(view, px, py) {
  return [view.ox + px / view.scale, view.oy - py / view.scale];
}

/* Moves the view by a canvas distance (the drawing follows the mouse). */
export function pan(view, dx, dy) {
  view.ox -= dx / view.scale;
  view.oy += dy / view.scale;
}

/* Zooms by `factor` keeping the drawing point under canvas (px, py)
   where it is. */
export function zoomAt(view, px, py, factor) {
  const [x, y] = toDrawing(view, px, py);
  view.scale = Math.min(MAX_SCALE, Math.max(MIN_SCALE, view.scale * factor));
  view.ox = x - px / view.scale;
  view.oy = y + py / view.scale;
}

/* Fits the box {x1, y1, x2, y2} into the canvas with a margin; an empty
   or degenerate box is shown around its centre at 1:1. */
export function fitBox(view, box) {
  const w = view.canvas.clientWidth || view.canvas.width;
  const h = view.canvas.clientHeight || view.canvas.height;
  const margin = 24;
  if (!box) box = { x1: 0, y1: 0, x2: 0, y2: 0 };
  const bw = box.x2 - box.x1;
  const bh = box.y2 - box.y1;
  let s = 1;
  if (bw > 0 || bh > 0) s = Math.min((w - 2 * margin) / Math.max(bw, 1e-9), (h - 2 * margin) / Math.max(bh, 1e-9));
  view.scale = Math.min(MAX_SCALE, Math.max(MIN_SCALE, s));
  view.ox = (box.x1 + box.x2) / 2 - w / 2 / view.scale;
  view.oy = (box.y1 + box.y2) / 2 + h / 2 / view.scale;
}

/* Fits everything the scene shows. */
export function fit(view) {
  const s = view.scene;
  fitBox(view, boxOf(s.drawing.concat(s.shown.map((e) => e.figure))));
}

function strokeFigure(ctx, view, f) {
  const s = view.scale;
  ctx.beginPath();
  if (f.kind === 'line') {
    ctx.moveTo(...toCanvas(view, f.x1, f.y1));
    ctx.lineTo(...toCanvas(view, f.x2, f.y2));
    ctx.stroke();
  } else if (f.kind === 'circle' || f.kind === 'arc') {
    const [cx, cy] = toCanvas(view, f.cx, f.cy);
    let sweep = f.kind === 'circle' ? 360 : f.end - f.start;
    while (sweep <= 0) sweep += 360;
    // The host's angles turn clockwise on the screen, as the canvas's do.
    const start = f.kind === 'circle' ? 0 : f.start;
    const a = (start * Math.PI) / 180;
    ctx.moveTo(...toCanvas(view, ...arcPoint(f, start)));
    ctx.arc(cx, cy, Math.max(f.r * s, 0), a, a + (sweep * Math.PI) / 180, false);
    ctx.stroke();
  } else if (f.kind === 'point') {
    const [px, py] = toCanvas(view, f.x, f.y);
    ctx.arc(px, py, 2, 0, 2 * Math.PI);
    ctx.fill();
  } else if (f.kind === 'text') {
    drawText(ctx, view, f);
  }
}

/* A text at its insertion point, aligned by its origin code (4 x vertical
   + horizontal: vertical 0 top, 1 middle, 2 bottom; horizontal 0 left,
   1 centre, 2 right), turned by its direction and stretched so that it
   spans its cells at the host's character width. */
function drawText(ctx, view, f) {
  const size = f.height * view.scale;
  if (!(size >= 1) || !f.text) return;
  const [px, py] = toCanvas(view, f.x, f.y);
  ctx.save();
  ctx.translate(px, py);
  ctx.rotate((-f.angle * Math.PI) / 180);
  if (f.slant) ctx.transform(1, 0, -Math.tan((f.slant * Math.PI) / 180), 1, 0, 0);
  ctx.font = `${size}px "IPAGothic", "IPAexGothic", sans-serif`;
  const natural = ctx.measureText(f.text).width;
  const wanted = textCells(f.text) * f.width * view.scale;
  if (natural > 0 && wanted > 0) ctx.scale(wanted / natural, 1);
  const h = f.origin % 4;
  const v = Math.floor(f.origin / 4);
  ctx.textAlign = h === 1 ? 'center' : h === 2 ? 'right' : 'left';
  ctx.textBaseline = v === 0 ? 'top' : v === 1 ? 'middle' : 'alphabetic';
  ctx.fillText(f.text, 0, 0);
  ctx.restore();
}

function strokeRect(ctx, view, r) {
  const [ax, ay] = toCanvas(view, r.x1, r.y1);
  const [bx, by] = toCanvas(view, r.x2, r.y2);
  ctx.strokeRect(Math.min(ax, bx), Math.min(ay, by), Math.abs(bx - ax), Math.abs(by - ay));
}

function strokeSegment(ctx, view, l) {
  ctx.beginPath();
  ctx.moveTo(...toCanvas(view, l.x1, l.y1));
  ctx.lineTo(...toCanvas(view, l.x2, l.y2));
  ctx.stroke();
}

/* Draws the scene. */
export function render(view) {
  const { canvas, scene } = view;
  const dpr = window.devicePixelRatio || 1;
  const w = canvas.clientWidth;
  const h = canvas.clientHeight;
  if (canvas.width !== Math.round(w * dpr) || canvas.height !== Math.round(h * dpr)) {
    canvas.width = Math.round(w * dpr);
    canvas.height = Math.round(h * dpr);
  }
  const ctx = canvas.getContext('2d');
  ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
  ctx.fillStyle = '#fbfbf8';
  ctx.fillRect(0, 0, w, h);
  ctx.lineWidth = 1;
  ctx.setLineDash([]);

  ctx.strokeStyle = ctx.fillStyle = '#1b1b1b';
  for (const f of scene.drawing) {
    if (scene.hidden.has(f.index) || scene.picked.has(f.index)) continue;
    strokeFigure(ctx, view, f);
  }
  // The selection: figures clicked, or caught by a window given (also
  // those the command took off the display); what the command shows comes
  // over it (the stretch's preview), its own caught figures highlighted too.
  ctx.strokeStyle = ctx.fillStyle = '#e07000';
  ctx.lineWidth = 2;
  for (const f of scene.drawing) if (scene.picked.has(f.index)) strokeFigure(ctx, view, f);
  ctx.lineWidth = 1;
  for (const { figure, preview } of scene.shown) {
    const caught = !preview && scene.catches && scene.catches(figure);
    ctx.strokeStyle = ctx.fillStyle = caught ? '#e07000' : preview ? '#1f5fd6' : scene.pending ? '#c05800' : '#1b1b1b';
    // A trail not yet confirmed: dashed orange, not yet the drawing's.
    ctx.setLineDash(scene.pending && !preview ? [6, 3] : []);
    strokeFigure(ctx, view, figure);
  }
  ctx.setLineDash([]);
  ctx.strokeStyle = ctx.fillStyle = '#d62828';
  ctx.setLineDash([5, 4]);
  for (const l of scene.dragLines) strokeSegment(ctx, view, l);
  ctx.strokeStyle = '#7a7a7a';
  if (scene.band && scene.band.kind === 'line') strokeSegment(ctx, view, scene.band);
  if (scene.band && scene.band.kind === 'box') strokeRect(ctx, view, scene.band);
  if (scene.window) strokeRect(ctx, view, scene.window);
  ctx.setLineDash([]);
  ctx.fillStyle = '#d62828';
  for (const [x, y] of scene.marks) {
    const [px, py] = toCanvas(view, x, y);
    ctx.fillRect(px - 2.5, py - 2.5, 5, 5);
  }
}
