// status.js - what the page tells about the drawing and the engine's work
// outside the prompt line: the cursor's coordinates in millimetres (or the
// drawing's own unit), the drawing's layer names for the layer field, and
// a sign that the engine works (opening a file, a long pass) with the
// figures it holds so far.
import { layerChoices, unitName } from './styles.js';

const $ = (id) => document.getElementById(id);

/* The cursor at drawing point (x, y) in stored units, shown in the unit
   the drawing is measured in (stored units times the unit factor). */
export function showCoordinates(x, y, names) {
  const el = $('cursor');
  if (!Number.isFinite(x) || !Number.isFinite(y)) {
    el.textContent = '';
    return;
  }
  const k = names && names.unitFactor > 0 ? names.unitFactor : 1;
  el.textContent = `X ${(x * k).toFixed(2)}  Y ${(y * k).toFixed(2)} ${unitName(names)}`;
}

/* The drawing's layer names as the layer field's choices. */
export function showDrawingFacts(names, figures) {
  const list = $('layer-names');
  list.replaceChildren(...layerChoices(names, figures).map(({ number, name }) => {
    const o = document.createElement('option');
    o.value = String(number);
    o.label = name;
    o.textContent = name;
    return o;
  }));
}

/* Shows that the engine works (`text`), or nothing (null). */
export function showWorking(text) {
  const el = $('working');
  el.textContent = text || '';
  el.hidden = !text;
}

/* A panel the module opened without a caption is titled with its
   command's name, as its button says it. */
export function titleUntitledPanel(command) {
  const title = $('panel-title');
  if (title.textContent.trim()) return;
  const button = [...document.querySelectorAll('#commands button')]
    .find((b) => b.dataset.command.toLowerCase() === String(command).toLowerCase());
  title.textContent = button ? button.getAttribute('aria-label') : command;
}
