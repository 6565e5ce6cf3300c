// drawings.mjs - large inputs made for the tests and the benchmarks: an
// ASCII DXF (R12 form, millimetres) of a grid of rooms, `count` figures in
// all, on four layers of their own colours (one dash-dot), and a settings
// store of many keys.  The same arguments always give the same bytes.

/* The DXF text of a grid with `count` LINE entities (and a few circles
   and texts among them, counted in). */
export function gridDxf(count) {
  const out = [];
  const pair = (code, value) => out.push(String(code), String(value));
  pair(0, 'SECTION'); pair(2, 'HEADER');
  pair(9, '$ACADVER'); pair(1, 'AC1009');
  pair(9, '$INSUNITS'); pair(70, 4);
  pair(0, 'ENDSEC');
  pair(0, 'SECTION'); pair(2, 'TABLES');
  pair(0, 'TABLE'); pair(2, 'LTYPE'); pair(70, 2);
  pair(0, 'LTYPE'); pair(2, 'CONTINUOUS'); pair(70, 0); pair(3, 'Solid line'); pair(72, 65); pair(73, 0); pair(40, 0);
  pair(0, 'LTYPE'); pair(2, 'DASHDOT'); pair(70, 0); pair(3, '__ . __'); pair(72, 65); pair(73, 4); pair(40, 400);
  pair(49, 250); pair(49, -70); pair(49, 0); pair(49, -80);
  pair(0, 'ENDTAB');
  pair(0, 'TABLE'); pair(2, 'LAYER'); pair(70, 4);
  for (const [name, colour, ltype] of [['0', 7, 'CONTINUOUS'], ['WALL', 7, 'CONTINUOUS'], ['DOOR', 3, 'CONTINUOUS'], ['AXIS', 6, 'DASHDOT']]) {
    pair(0, 'LAYER'); pair(2, name); pair(70, 0); pair(62, colour); pair(6, ltype);
  }
  pair(0, 'ENDTAB');
  pair(0, 'ENDSEC');
  pair(0, 'SECTION'); pair(2, 'ENTITIES');
  // Rooms 3000 x 2500 mm, each four walls, a door swing (line + arc
  // counted as two) and now and then an axis line.
  const side = Math.ceil(Math.sqrt(count / 4));
  let n = 0;
  for (let row = 0; n < count; row++) {
    for (let col = 0; col < side && n < count; col++) {
      const x = col * 3000;
      const y = row * 2500;
      const walls = [[x, y, x + 3000, y], [x + 3000, y, x + 3000, y + 2500], [x + 3000, y + 2500, x, y + 2500], [x, y + 2500, x, y]];
      for (const [x1, y1, x2, y2] of walls) {
        if (n >= count) break;
        pair(0, 'LINE'); pair(8, (n % 23) === 7 ? 'DOOR' : (n % 97) === 5 ? 'AXIS' : 'WALL');
        pair(10, x1); pair(20, y1); pair(30, 0); pair(11, x2); pair(21, y2); pair(31, 0);
        n++;
      }
      if (n < count && (row + col) % 5 === 0) {
        pair(0, 'CIRCLE'); pair(8, 'DOOR'); pair(10, x + 1500); pair(20, y + 1250); pair(30, 0); pair(40, 400);
        n++;
      }
    }
  }
  pair(0, 'ENDSEC');
  pair(0, 'EOF');
  return out.join('\n') + '\n';
}

/* A store of many settings: every hatch slot's pitch and element. */
export function bigStore() {
  const lines = ['[Hatch]'];
  for (let slot = 0; slot < 20; slot++) {
    lines.push(`HatchPx[${slot}]=${10 + slot}`, `HatchPy[${slot}]=${10 + slot}`);
    for (let e = 0; e < 8; e++) lines.push(`HatchR[${slot}][${e}]=${e + 1}`, `Hsw[${slot}][${e}]=0`);
  }
  lines.push('[kumo1]', 'KumoGen=40');
  return lines.join('\n') + '\n';
}
