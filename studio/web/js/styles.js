// styles.js - how a figure looks: its colour and line type as the host
// holds them (the figure's own number, or its layer's when it says
// BYLAYER), turned into what a canvas strokes.  The colours are the
// CAD's 255 numbered colours; white (7) is drawn dark and yellow a little
// darker, as on paper, because the view's background is light.  Line type patterns come from
// the drawing's own line type table (in stored units, so that they scale
// with the drawing as the CAD draws them); a figure list, which has no
// table, gets the host's numbered line types as fixed screen patterns.

/* The colour numbered `aci` (1..255) as '#rrggbb'.  1..9 are the named
   ones; 10..249 run round the hue circle in steps of 15 degrees, ten
   shades each (even: full, odd: half saturation, darker pair by pair);
   250..255 are greys. */
export function aciColour(aci) {
  const hex = (r, g, b) => '#' + [r, g, b].map((v) => Math.round(v).toString(16).padStart(2, '0')).join('');
  const named = { 1: [255, 0, 0], 2: [255, 255, 0], 3: [0, 255, 0], 4: [0, 255, 255], 5: [0, 0, 255], 6: [255, 0, 255],
                  7: [27, 27, 27], 8: [128, 128, 128], 9: [192, 192, 192] };
  if (named[aci]) return hex(...onPaper(named[aci]));
  if (aci >= 250 && aci <= 255) {
    if (aci === 255) return hex(27, 27, 27); // white, on a light page
    const grey = [51, 80, 105, 130, 190][aci - 250];
    return hex(grey, grey, grey);
  }
  if (!(aci >= 10 && aci <= 249)) return hex(27, 27, 27);
  const hue = Math.floor((aci - 10) / 10) * 15;
  const shade = aci % 10;
  const value = [1, 1, 0.8, 0.8, 0.6, 0.6, 0.5, 0.5, 0.3, 0.3][shade];
  const saturation = shade % 2 === 0 ? 1 : 0.5;
  // HSV to RGB.
  const c = value * saturation;
  const h = hue / 60;
  const x = c * (1 - Math.abs((h % 2) - 1));
  const [r, g, b] = h < 1 ? [c, x, 0] : h < 2 ? [x, c, 0] : h < 3 ? [0, c, x] : h < 4 ? [0, x, c] : h < 5 ? [x, 0, c] : [c, 0, x];
  const m = value - c;
  return hex(...onPaper([(r + m) * 255, (g + m) * 255, (b + m) * 255]));
}

/* A colour too light to read on the view's light background (yellow and
   its pale neighbours) darkened, as a plot on paper shows it. */
function onPaper([r, g, b]) {
  const luminance = (0.2126 * r + 0.7152 * g + 0.0722 * b) / 255;
  if (luminance <= 0.85) return [r, g, b];
  const k = 0.72;
  return [r * k, g * k, b * k];
}

/* Screen patterns (pixels) of the host's numbered line types for a
   drawing without a line type table: 1 solid, 2 dashed, 3 dotted, 4 dash
   dot, 5 long dash, 6 dash dot dot; others solid. */
const NUMBERED = { 2: [8, 4], 3: [1.5, 3], 4: [10, 3, 1.5, 3], 5: [16, 5], 6: [10, 3, 1.5, 3, 1.5, 3] };

/* The line type table's dashes (stored units; negative a gap, 0 a dot)
   as a canvas dash list in stored units, or null for a solid line. */
function tableDashes(dashes) {
  if (!dashes || !dashes.length || dashes.every((d) => d >= 0)) return null;
  const out = dashes.map((d) => Math.abs(d));
  if (out.every((d) => d === 0)) return null;
  return out.length % 2 ? out.concat(out) : out;
}

/* Resolves the figures' attributes against the drawing's names ({ layers,
   lineTypes, fromDxf } from the engine).  Returns styleOf(figure) ->
   { key, colour, dashes, unit } where `dashes` is null (solid) or a list
   in stored units (unit 'drawing') or pixels (unit 'screen'); `key` is the
   same for figures drawn alike. */
export function createStyler(names) {
  const layers = (names && names.layers) || [];
  const lineTypes = (names && names.lineTypes) || [];
  const fromDxf = !!(names && names.fromDxf);
  const byName = new Map(lineTypes.map((t, k) => [t.name.toUpperCase(), k]));
  const cache = new Map();
  const lineTypeOf = (f) => {
    let t = f.ltype;
    if (t === 0 && fromDxf) {
      const layer = layers[f.layer];
      t = layer ? byName.get(String(layer.lineType).toUpperCase()) ?? 1 : 1;
    }
    return t;
  };
  const colourOf = (f) => {
    let c = f.color;
    if (c === 0 || c < 0) {
      const layer = layers[f.layer];
      c = layer ? layer.color : 7;
    }
    return c;
  };
  return function styleOf(f) {
    const c = colourOf(f);
    const t = lineTypeOf(f);
    const key = `${c}|${t}`;
    let s = cache.get(key);
    if (!s) {
      let dashes = null;
      let unit = 'screen';
      if (fromDxf) {
        dashes = tableDashes(lineTypes[t] && lineTypes[t].dashes);
        unit = 'drawing';
      } else {
        dashes = NUMBERED[t] || null;
      }
      s = { key, colour: aciColour(c), aci: c, lineType: t, dashes, unit };
      cache.set(key, s);
    }
    return s;
  };
}

/* The layer names for the layer field's list: [{ number, name }] (a
   drawing without a layer table lists the layers its figures use). */
export function layerChoices(names, figures) {
  if (names && names.layers && names.layers.length) return names.layers.map((l, k) => ({ number: k, name: l.name }));
  const used = new Set(figures.map((f) => f.layer));
  return [...used].sort((a, b) => a - b).map((n) => ({ number: n, name: `レイヤ ${n}` }));
}

/* The unit the status bar shows coordinates in, from the drawing's
   $INSUNITS: millimetres for the metric units and unitless drawings (the
   host stores 1/100 mm for them), else the drawing's own unit. */
export function unitName(names) {
  if (!names || !names.fromDxf) return 'mm';
  const own = { 1: 'in', 2: 'ft', 3: 'mi', 7: 'km', 8: 'µin', 9: 'mil', 10: 'yd', 11: 'Å', 12: 'nm', 13: 'µm', 15: 'dam',
                16: 'hm', 17: 'Gm', 18: 'AU', 19: 'ly', 20: 'pc' };
  return own[names.insUnits] || 'mm';
}
