// panel.js - the module's option panel as an HTML form.  The module builds
// its panel out of items on a grid of character cells (row, first..last
// column); the engine reports them as data and the form lays them out on
// the same grid.  Every change becomes one panel line of the session
// language, sent through `send`; the engine answers with the panel as the
// module left it (the hatch editor rebuilds its panel after a pick), and
// the form is drawn again from that.  Enter is OK, Esc is cancel.
//
// An item (the engine's panel data): { kind: 'check'|'radio'|'caption'|
// 'value'|'number'|'list'|'header'|'layer'|'linetype'|'color'|'group'|
// 'groupchoice', row, first, last, caption, value, checked (check, radio),
// stores (radio), lowest, highest (number and value items), decimals,
// entries, firstValue, selected (lists), mode, modes (group items) }.
// A shape of the panel's picture: { circle, x1, y1, x2, y2, r, colour,
// option ('B' box, 'BF' filled box, '' line) } in the host's panel pixels.

const CELL_W = 8; // the host's panel cell in pixels (charWidth x charHeight)
const CELL_H = 16;
const SCALE = 1.5; // the page's cell is this much larger
const TYPING_PAUSE_MS = 600; // a pause this long in typing a number sends it

const COLOURS = ['black', 'maroon', 'green', 'olive', 'navy', 'purple', 'teal', 'silver',
  'grey', 'red', 'lime', 'yellow', 'blue', 'fuchsia', 'aqua', 'white'];

/* A panel line's quoted text. */
export function quote(s) {
  return '"' + String(s).replace(/\\/g, '\\\\').replace(/"/g, '\\"') + '"';
}

/* A number as the session language writes it: plain decimals. */
export function numberText(v) {
  return String(Number(v));
}

/* The panel line that sets `item` to `value`, or null when the item takes
   no value. */
export function setLine(item, value) {
  switch (item.kind) {
    case 'check':
    case 'number':
    case 'value':
      return `panel set ${quote(item.caption)} ${numberText(value)}`;
    case 'radio':
      return `panel choose ${quote(item.caption)}`;
    case 'list':
      return `panel pick ${item.row} ${quote(item.entries[value])}`;
    case 'layer':
    case 'color':
    case 'linetype':
      return `panel set @${item.kind} ${numberText(value)}`;
    default:
      return null;
  }
}

function place(el, item, columns) {
  const first = Math.max(0, Math.min(item.first ?? 0, columns - 1));
  const last = Math.max(first, Math.min(item.last ?? first, columns - 1));
  el.style.gridRow = `${(item.row ?? 0) + 1}`;
  el.style.gridColumn = `${first + 1} / ${last + 2}`;
  return el;
}

function numberInput(value, { lowest, highest, decimals, label }) {
  const input = document.createElement('input');
  input.type = 'number';
  if (Number.isFinite(lowest)) input.min = String(lowest);
  if (Number.isFinite(highest)) input.max = String(highest);
  const d = Math.max(0, Math.min(15, decimals ?? 0));
  input.step = d > 0 ? String(10 ** -d) : '1';
  input.value = Number.isFinite(value) ? value.toFixed(d) : '';
  input.dataset.sent = input.value;
  if (label) input.setAttribute('aria-label', label);
  return input;
}

/* Calls `commit` with the field's number when it holds a new one: a
   change is sent once, also when Enter both changes the field and closes
   the panel. */
function onNewNumber(input, commit) {
  const send = () => {
    clearTimeout(input.pause);
    if (input.value === '' || input.value === input.dataset.sent) return;
    input.dataset.sent = input.value;
    commit(Number(input.value));
  };
  input.addEventListener('change', send);
  // While a number is typed, a pause sends it (the preview follows the
  // value as it is typed) when it is a number the field takes.
  input.addEventListener('input', () => {
    clearTimeout(input.pause);
    input.pause = setTimeout(() => {
      if (input.isConnected && input.validity.valid && input.value !== '') send();
    }, TYPING_PAUSE_MS);
  });
}

/* An accessible name for an item without a caption of its own (the hatch
   editor's lists and their selectors): the captions on its row. */
function rowName(panel, item) {
  const near = panel.items
    .filter((o) => o !== item && (o.kind === 'caption' || o.kind === 'value') && o.row === item.row && o.caption)
    .map((o) => o.caption);
  return near.join(' ') || `${item.kind} ${item.row}`;
}

/* Builds the form's items inside `grid`.  `send(line)` gets each panel
   line the user's changes make. */
export function renderPanel(grid, panel, send) {
  const columns = Math.max(1, panel.columns || 40);
  const rows = Math.max(1, panel.rows || 1);
  grid.replaceChildren();
  grid.style.gridTemplateColumns = `repeat(${columns}, ${CELL_W * SCALE}px)`;
  grid.style.gridTemplateRows = `repeat(${rows}, ${CELL_H * SCALE}px)`;
  for (const item of panel.items) {
    let el = null;
    const commit = (value) => {
      const line = setLine(item, value);
      if (line) send(line);
    };
    switch (item.kind) {
      case 'header':
        el = document.createElement('hr');
        break;
      case 'caption':
        if (!item.caption) continue;
        el = document.createElement('span');
        el.className = 'caption';
        el.textContent = item.caption;
        break;
      case 'check':
      case 'radio': {
        el = document.createElement('label');
        const input = document.createElement('input');
        input.type = item.kind === 'check' ? 'checkbox' : 'radio';
        if (item.kind === 'radio') input.name = `radio${item.group ?? ''}`;
        input.checked = item.checked ?? (item.kind === 'check' ? item.value !== 0 : item.value === item.stores);
        input.addEventListener('change', () => commit(item.kind === 'check' ? (input.checked ? 1 : 0) : 1));
        el.append(input, document.createTextNode(item.caption));
        break;
      }
      case 'number':
      case 'value': {
        el = document.createElement('label');
        el.className = 'field';
        const input = numberInput(item.value, {
          lowest: item.lowest, highest: item.highest,
          decimals: item.kind === 'value' ? 0 : item.decimals,
          label: item.caption || `${rowName(panel, item)} 番号`,
        });
        onNewNumber(input, commit);
        const text = document.createElement('span');
        text.textContent = item.caption;
        el.append(text, input);
        break;
      }
      case 'list': {
        el = document.createElement('select');
        el.setAttribute('aria-label', item.caption || rowName(panel, item));
        (item.entries || []).forEach((entry, k) => {
          const o = document.createElement('option');
          o.value = String(k);
          o.textContent = entry;
          el.append(o);
        });
        el.value = String(item.selected ?? item.value - (item.firstValue ?? 0));
        el.addEventListener('change', () => commit(Number(el.value)));
        break;
      }
      case 'layer':
      case 'color':
      case 'linetype': {
        el = document.createElement('label');
        el.className = 'field';
        const names = { layer: 'レイヤ', color: '線色', linetype: '線種' };
        const input = numberInput(item.value, { decimals: 0, label: names[item.kind] });
        onNewNumber(input, commit);
        const text = document.createElement('span');
        text.textContent = names[item.kind];
        el.append(text, input);
        break;
      }
      case 'group':
      case 'groupchoice': {
        el = document.createElement('span');
        el.className = 'field';
        const text = document.createElement('span');
        text.textContent = 'グループ';
        el.append(text);
        // The group mode: 0..modes for the attribute item, 1..modes for the
        // group choice; shown when the panel data tells the mode.
        if (Number.isFinite(item.mode) && Number.isFinite(item.modes)) {
          const mode = document.createElement('select');
          mode.setAttribute('aria-label', 'グループモード');
          const lo = item.kind === 'group' ? 0 : 1;
          for (let m = lo; m <= item.modes; m++) {
            const o = document.createElement('option');
            o.value = String(m);
            o.textContent = `モード ${m}`;
            mode.append(o);
          }
          mode.value = String(item.mode);
          mode.addEventListener('change', () => send(`panel set @groupmode ${mode.value}`));
          el.append(mode);
        }
        const number = numberInput(item.value, { decimals: 0, label: 'グループ' });
        onNewNumber(number, (v) => send(`panel set @group ${numberText(v)}`));
        el.append(number);
        break;
      }
      default:
        continue;
    }
    el.dataset.kind = item.kind;
    grid.append(place(el, item, columns));
  }
  if (panel.shapes && panel.shapes.length) grid.append(shapesCanvas(panel, columns, rows));
}

/* The module's picture on the panel (the hatch editor's preview of its
   cell) on a canvas over the whole grid, in the host's panel pixels scaled
   to the page's cells. */
function shapesCanvas(panel, columns, rows) {
  const canvas = document.createElement('canvas');
  canvas.className = 'panel-picture';
  canvas.width = columns * CELL_W * SCALE;
  canvas.height = rows * CELL_H * SCALE;
  canvas.style.gridRow = `1 / ${rows + 1}`;
  canvas.style.gridColumn = `1 / ${columns + 1}`;
  const ctx = canvas.getContext('2d');
  ctx.scale(SCALE, SCALE);
  ctx.lineWidth = 1 / SCALE;
  for (const s of panel.shapes) {
    const colour = COLOURS[s.colour] || 'black';
    ctx.strokeStyle = ctx.fillStyle = colour;
    ctx.beginPath();
    if (s.circle) {
      ctx.arc(s.x1, s.y1, Math.max(0, s.r), 0, 2 * Math.PI);
      ctx.stroke();
    } else if (s.option === 'BF') {
      ctx.fillRect(Math.min(s.x1, s.x2), Math.min(s.y1, s.y2), Math.abs(s.x2 - s.x1), Math.abs(s.y2 - s.y1));
    } else if (s.option === 'B') {
      ctx.strokeRect(Math.min(s.x1, s.x2), Math.min(s.y1, s.y2), Math.abs(s.x2 - s.x1), Math.abs(s.y2 - s.y1));
    } else {
      ctx.moveTo(s.x1, s.y1);
      ctx.lineTo(s.x2, s.y2);
      ctx.stroke();
    }
  }
  return canvas;
}
