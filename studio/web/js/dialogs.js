// dialogs.js - the prompt line, the module's messages as a dialog with OK
// and Cancel, the group number dialog and the option panel's dialog.  Each
// dialog is modal while its request is pending; Enter is OK, Esc is
// cancel.  Answers go out as session lines through `send`.
import { renderPanel } from './panel.js';

const $ = (id) => document.getElementById(id);

export function showPrompt(text, hint = '') {
  $('prompt').textContent = text;
  $('hint').textContent = hint;
}

export function showCursor(x, y) {
  $('cursor').textContent = Number.isFinite(x) ? `X ${x.toFixed(2)}  Y ${y.toFixed(2)}` : '';
}

/* Shows a failure of the engine (the session cannot go on). */
export function showFailure(text) {
  const el = $('failure');
  el.textContent = text;
  el.hidden = !text;
}

let modal = true; // dialogs keep the page's other controls inert

/* While a session file plays, dialogs leave the player's buttons usable. */
export function setModal(on) {
  modal = on;
}

function openModal(dialog) {
  if (dialog.open) return;
  if (modal) dialog.showModal();
  else dialog.show();
}

/* Closes every dialog that is open without answering anything (the
   request it answered is over). */
let panelFocus = -1; // the panel's field that had the focus when the panel closed for the engine's answer

export function closeDialogs() {
  const fields = [...$('panel-grid').querySelectorAll('input, select')];
  panelFocus = $('panel').open ? fields.indexOf(document.activeElement) : -1;
  for (const id of ['panel', 'message', 'group']) {
    const d = $(id);
    if (d.open) d.close('closed');
  }
}

/* Wires the dialogs' buttons and keys once.  `send(line)` takes a session
   line. */
export function setUpDialogs(send) {
  $('failure').addEventListener('click', () => showFailure(''));
  const answer = (dialog, line) => {
    dialog.close('answered');
    send(line);
  };
  $('message-form').addEventListener('submit', (e) => {
    e.preventDefault();
    answer($('message'), 'message ok');
  });
  $('message-cancel').addEventListener('click', () => answer($('message'), 'message cancel'));
  $('message').addEventListener('cancel', (e) => {
    e.preventDefault();
    answer($('message'), 'message cancel');
  });

  $('group-form').addEventListener('submit', (e) => {
    e.preventDefault();
    const v = $('group-number').valueAsNumber;
    if (!Number.isInteger(v)) return;
    answer($('group'), `group ${v}`);
  });
  $('group-cancel').addEventListener('click', () => answer($('group'), 'cancel'));
  $('group').addEventListener('cancel', (e) => {
    e.preventDefault();
    answer($('group'), 'cancel');
  });

  // The panel: a change in a field is sent when it happens (change event);
  // Enter in a number field sends the field's change first, then OK.
  const panelOk = () => {
    const focused = document.activeElement;
    if (focused && focused.type === 'number' && $('panel').contains(focused)) focused.dispatchEvent(new Event('change'));
    answer($('panel'), 'panel ok');
  };
  $('panel-form').addEventListener('submit', (e) => {
    e.preventDefault();
    panelOk();
  });
  // Enter in a field is OK at once: the form's own implicit submission
  // would be lost when the field's change makes the module rebuild the
  // panel under it.
  $('panel').addEventListener('keydown', (e) => {
    if (e.key !== 'Enter' || !(e.target.tagName === 'INPUT' || e.target.tagName === 'SELECT')) return;
    e.preventDefault();
    panelOk();
  });
  $('panel-cancel').addEventListener('click', () => answer($('panel'), 'panel cancel'));
  $('panel').addEventListener('cancel', (e) => {
    e.preventDefault();
    answer($('panel'), 'panel cancel');
  });
}

/* The message request: the module's text with OK and Cancel. */
export function askMessage(text) {
  // The hatch's write limit: the page says how to raise it.
  const limit = /制限値を越えました/.test(text)
    ? '\n\n上限 (figureLimit) を上げるには、コマンドを終えてからプロンプト行に\n  set figureLimit 200000\nと入力して Enter を押し、もう一度ハッチングしてください。'
    : '';
  $('message-text').textContent = text + limit;
  openModal($('message'));
  $('message-ok').focus();
}

/* The group number request. */
export function askGroup(prompt, value) {
  $('group-text').textContent = prompt || 'グループ番号';
  $('group-number').value = Number.isFinite(value) ? String(value) : '';
  openModal($('group'));
  $('group-number').focus();
  $('group-number').select();
}

/* The panel request: the form drawn from the panel's items; the element
   that had the focus keeps it when the panel is drawn again (the same
   item by its position), so Tab goes on from there. */
export function askPanel(panel, send) {
  const grid = $('panel-grid');
  const before = [...grid.querySelectorAll('input, select')];
  const focusedAt = before.indexOf(document.activeElement) >= 0 ? before.indexOf(document.activeElement) : panelFocus;
  panelFocus = -1;
  $('panel-title').textContent = panel.caption || '';
  renderPanel(grid, panel, send);
  openModal($('panel'));
  const after = [...grid.querySelectorAll('input, select')];
  const target = focusedAt >= 0 ? after[focusedAt] : after[0] || $('panel-ok');
  if (target) target.focus();
}
