// view.js - the drawing's view: the transform between drawing units and
// the canvas (pan, zoom about a point, fit), and the picture of what the
// engine reports: the drawing in its colours and line types, the figures
// a command shows in the work area or as a preview in blue, the host's
// drag line in red, and the band of the pending point request (rubber line
// or box) and a selection window in grey.  Drawing y points up, the
// canvas's down.
//
// Speed on large drawings: the drawing is kept as one path per colour and
// line type (Path2D in drawing units, built when the drawing or what the
// command hides changes), stroked through the view's transform, and its
// picture is kept in a second canvas.  A mouse move redraws only what the
// command shows over that picture; a pan or zoom first moves the picture
// it has (one image copy) and draws the drawing again once the view rests.
import { arcPoint, boxOf, textCells } from './figures.js';
import { createStyler } from './styles.js';

const MIN_SCALE = 1e-6;
const MAX_SCALE = 1e4;
const REST_MS = 90; // a view that has not moved for this long is drawn again in full
const BACKGROUND = '#fbfbf8';

/* A view on `canvas`: { canvas, scale (pixels per drawing unit), ox, oy
   (the drawing point at the canvas's top left corner), scene }. */
export function createView(canvas) {
  return {
    canvas, scale: 1, ox: -20, oy: 500, scene: emptyScene(),
    layers: null, // the drawing's paths by style, see batches()
    picture: null, // { canvas, scale, ox, oy, w, h, layers } the drawing as last drawn in full
    restTimer: 0,
    stats: { full: 0, moved: 0, overlay: 0, lastFullMs: 0 }, // for the benchmarks
  };
}

export function emptyScene() {
  return {
    drawing: [], // figures of the drawing
    names: null, // the engine's names() for the drawing's attributes
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

/* The drawing changed (its figures or their names): its paths are made
   again at the next render. */
export function drawingChanged(view) {
  view.layers = null;
}

/* Adds figure f to path p in drawing units less the origin (ax, ay), so
   that large coordinates keep their precision in the canvas's floats. */
function addToPath(p, f, ax, ay) {
  if (f.kind === 'line') {
    p.moveTo(f.x1 - ax, f.y1 - ay);
    p.lineTo(f.x2 - ax, f.y2 - ay);
  } else if (f.kind === 'circle' || f.kind === 'arc') {
    let sweep = f.kind === 'circle' ? 360 : f.end - f.start;
    while (sweep <= 0) sweep += 360;
    const start = f.kind === 'circle' ? 0 : f.start;
    const [sx, sy] = arcPoint(f, start);
    const a = (start * Math.PI) / 180;
    // The host's angles turn from +x toward -y: in drawing units (y up)
    // that is the canvas's anticlockwise sense.
    p.moveTo(sx - ax, sy - ay);
    p.arc(f.cx - ax, f.cy - ay, Math.max(f.r, 0), -a, -a - (sweep * Math.PI) / 180, true);
  }
}

/* The drawing's paths: [{ style, path, points: [figures], texts:
   [figures] }] by colour and line type, without what the command hides,
   around the origin { ax, ay }. */
function batches(view) {
  const { scene } = view;
  // What the command hides comes as a new set with every display: the
  // paths are made again only when it holds other figures.
  if (view.layers && view.layers.hiddenSet === scene.hidden) return view.layers;
  const hiddenKey = [...scene.hidden].sort((a, b) => a - b).join(',');
  if (view.layers && view.layers.hiddenKey === hiddenKey) {
    view.layers.hiddenSet = scene.hidden;
    return view.layers;
  }
  const styleOf = createStyler(scene.names);
  const box = boxOf(scene.drawing) || { x1: 0, y1: 0, x2: 0, y2: 0 };
  const ax = Math.round((box.x1 + box.x2) / 2);
  const ay = Math.round((box.y1 + box.y2) / 2);
  const groups = new Map();
  const byIndex = new Map();
  for (const f of scene.drawing) {
    byIndex.set(f.index, f);
    if (scene.hidden.has(f.index)) continue;
    const style = styleOf(f);
    let g = groups.get(style.key);
    if (!g) {
      g = { style, path: new Path2D(), points: [], texts: [] };
      groups.set(style.key, g);
    }
    if (f.kind === 'point') g.points.push(f);
    else if (f.kind === 'text') g.texts.push(f);
    else addToPath(g.path, f, ax, ay);
  }
  view.layers = { hiddenKey, hiddenSet: scene.hidden, ax, ay, groups: [...groups.values()], styleOf, byIndex };
  view.picture = null;
  return view.layers;
}

const MIN_PERIOD_PX = 18; // a line type's pattern is never drawn finer than this

/* The dash list for a style at the view's scale, in the units the
   context draws in (drawing units): [] for solid.  A pattern that the
   zoom makes finer than MIN_PERIOD_PX is drawn at that period, so that a
   dash-dot axis stays a dash-dot line at every zoom and never looks like
   a wall. */
function dashFor(style, scale) {
  if (!style.dashes) return [];
  if (style.unit === 'screen') return style.dashes.map((d) => d / scale);
  const period = style.dashes.reduce((a, b) => a + b, 0);
  const k = period * scale < MIN_PERIOD_PX ? MIN_PERIOD_PX / (period * scale) : 1;
  return style.dashes.map((d) => (d === 0 ? 1.5 / scale : d * k));
}

/* Draws the drawing (not what the command shows) into ctx, whose
   transform is the canvas's pixels times dpr. */
function drawDrawing(ctx, view, w, h, dpr) {
  const layers = batches(view);
  const s = view.scale;
  ctx.save();
  // Drawing units (around the origin) to device pixels: y up.
  ctx.setTransform(s * dpr, 0, 0, -s * dpr, (layers.ax - view.ox) * s * dpr, (view.oy - layers.ay) * s * dpr);
  ctx.lineWidth = 1 / s;
  for (const g of layers.groups) {
    ctx.strokeStyle = g.style.colour;
    ctx.setLineDash(dashFor(g.style, s));
    ctx.stroke(g.path);
  }
  ctx.restore();
  // Points and texts at their pixel sizes, those in the view only.
  ctx.save();
  ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
  const [vx1, vy2] = toDrawing(view, 0, 0);
  const [vx2, vy1] = toDrawing(view, w, h);
  for (const g of layers.groups) {
    ctx.fillStyle = g.style.colour;
    for (const f of g.points) {
      if (f.x < vx1 || f.x > vx2 || f.y < vy1 || f.y > vy2) continue;
      const [px, py] = toCanvas(view, f.x, f.y);
      ctx.fillRect(px - 1.5, py - 1.5, 3, 3);
    }
    for (const f of g.texts) {
      if (f.height * s < 1) continue;
      const reach = (textCells(f.text) * Math.max(f.width, 1) + f.height) * 1.5;
      if (f.x + reach < vx1 || f.x - reach > vx2 || f.y + reach < vy1 || f.y - reach > vy2) continue;
      drawText(ctx, view, f);
    }
  }
  ctx.restore();
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

/* The drawing's picture for the view now: drawn in full when the drawing
   changed, or moved (one image copy) while the view pans or zooms, and
   drawn in full once it rests. */
function drawingPicture(view, w, h, dpr, ctx) {
  const pw = Math.round(w * dpr);
  const ph = Math.round(h * dpr);
  batches(view);
  const p = view.picture;
  const same = p && p.w === pw && p.h === ph && p.layers === view.layers;
  if (same && p.scale === view.scale && p.ox === view.ox && p.oy === view.oy) {
    ctx.drawImage(p.canvas, 0, 0);
    return;
  }
  if (same) {
    // The picture as it was, where the view puts it now; in full at rest.
    const k = view.scale / p.scale;
    const [dx, dy] = toCanvas(view, p.ox, p.oy);
    ctx.save();
    ctx.setTransform(1, 0, 0, 1, 0, 0);
    ctx.imageSmoothingEnabled = k < 1;
    ctx.drawImage(p.canvas, dx * dpr, dy * dpr, pw * k, ph * k);
    ctx.restore();
    view.stats.moved++;
    clearTimeout(view.restTimer);
    view.restTimer = setTimeout(() => {
      view.picture = null;
      render(view);
    }, REST_MS);
    return;
  }
  const t0 = performance.now();
  const canvas = (p && p.canvas) || document.createElement('canvas');
  canvas.width = pw;
  canvas.height = ph;
  const pc = canvas.getContext('2d');
  pc.setTransform(1, 0, 0, 1, 0, 0);
  pc.clearRect(0, 0, pw, ph);
  drawDrawing(pc, view, w, h, dpr);
  view.picture = { canvas, w: pw, h: ph, scale: view.scale, ox: view.ox, oy: view.oy, layers: view.layers };
  ctx.drawImage(canvas, 0, 0);
  view.stats.full++;
  view.stats.lastFullMs = performance.now() - t0;
}

/* Draws the scene; its time goes on the performance timeline (measure
   "nerolit render"). */
export function render(view) {
  const t0 = performance.now();
  draw(view);
  performance.measure('nerolit render', { start: t0, end: performance.now() });
}

/* Gives a canvas as many pixels as the screen shows of it (its bitmap is
   resized only when that changed, which clears it); returns its size in CSS
   pixels and the device pixel ratio: { w, h, dpr }. */
export function fitCanvas(canvas) {
  const dpr = window.devicePixelRatio || 1;
  const w = canvas.clientWidth;
  const h = canvas.clientHeight;
  if (canvas.width !== Math.round(w * dpr) || canvas.height !== Math.round(h * dpr)) {
    canvas.width = Math.round(w * dpr);
    canvas.height = Math.round(h * dpr);
  }
  return { w, h, dpr };
}

function draw(view) {
  const { canvas, scene } = view;
  const { w, h, dpr } = fitCanvas(canvas);
  const ctx = canvas.getContext('2d');
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.fillStyle = BACKGROUND;
  ctx.fillRect(0, 0, canvas.width, canvas.height);
  drawingPicture(view, w, h, dpr, ctx);
  view.stats.overlay++;
  ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
  ctx.lineWidth = 1;
  ctx.setLineDash([]);

  // The selection, over the drawing: figures clicked, or caught by a
  // window given (also those the command took off the display); what the
  // command shows comes over it (the stretch's preview), its own caught
  // figures highlighted too.
  if (scene.picked.size) {
    ctx.strokeStyle = ctx.fillStyle = '#e07000';
    ctx.lineWidth = 2;
    for (const i of scene.picked) {
      const f = view.layers.byIndex.get(i);
      if (f) strokeFigure(ctx, view, f);
    }
    ctx.lineWidth = 1;
  }
  const styleOf = view.layers.styleOf;
  for (const { figure, preview } of scene.shown) {
    // A preview in blue; what a command put in the work area as it will
    // be, or dashed orange while it is not yet confirmed (a trail).
    const caught = !preview && scene.catches && scene.catches(figure);
    ctx.strokeStyle = ctx.fillStyle = caught ? '#e07000' : preview ? '#1f5fd6' : scene.pending ? '#c05800' : styleOf(figure).colour;
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
