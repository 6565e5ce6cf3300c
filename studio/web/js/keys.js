// keys.js - the keyboard, as desktop CAD users expect it:
//   Enter          confirms what the request waits for (commands.js)
//   Esc            leaves the command at once; stops a long pass
//   Space          repeats the last command between commands (held with
//                  the left button it pans, as before)
//   Backspace      takes back the region's last edge or the trail
//   Ctrl+Z, Ctrl+Y undo and redo whole commands (Ctrl+Shift+Z redoes too)
//   F1 or ?        the help panel;  F3 snaps on/off;  F8 ortho on/off
//   typing         goes to the prompt line without a click: `100,50`,
//                  `@100,50` or a command name, then Enter
// Keys typed in the bar's fields and in dialogs stay theirs.

/* `ctl`: { commands (commands.js), input (input.js), typed (the prompt
   line's input), help() toggles the help panel, snaps() toggles snaps,
   ortho() toggles ortho, undo(), redo() }. */
export function setUpKeys(ctl) {
  const typed = ctl.typed;
  const isField = (t) => t instanceof HTMLInputElement || t instanceof HTMLSelectElement || t instanceof HTMLTextAreaElement;
  let spaceDown = false;

  typed.addEventListener('keydown', (e) => {
    if (e.key === 'Enter') {
      e.preventDefault();
      const text = typed.value;
      if (ctl.commands.typed(text)) typed.value = '';
    } else if (e.key === 'Escape') {
      e.preventDefault();
      if (typed.value) typed.value = '';
      else ctl.commands.escape();
    } else if (e.key === 'Backspace' && !typed.value) {
      e.preventDefault();
      ctl.commands.back();
    } else if (e.key === 'F1' || e.key === 'F3' || e.key === 'F8' || ((e.ctrlKey || e.metaKey) && /^[zy]$/i.test(e.key))) {
      // the page's keys work from the prompt line too
      global(e);
    }
  });

  function global(e) {
    const ctrl = e.ctrlKey || e.metaKey;
    if (e.key === 'F1' || (e.key === '?' && !ctrl)) ctl.help();
    else if (e.key === 'F3') ctl.snaps();
    else if (e.key === 'F8') ctl.ortho();
    else if (ctrl && !e.shiftKey && (e.key === 'z' || e.key === 'Z')) ctl.undo();
    else if (ctrl && (e.key === 'y' || e.key === 'Y' || (e.shiftKey && (e.key === 'z' || e.key === 'Z')))) ctl.redo();
    else return false;
    e.preventDefault();
    return true;
  }

  window.addEventListener('keydown', (e) => {
    if (document.querySelector('dialog[open]')) {
      if (e.key === 'F1' || (e.key === 'Escape' && document.getElementById('help').open)) {
        e.preventDefault();
        if (document.getElementById('help').open) ctl.help();
      }
      return; // the dialog has the keys
    }
    if (e.target === typed) return;
    if (isField(e.target)) {
      if (e.key.startsWith('F') && e.key.length > 1) global(e);
      return;
    }
    if (global(e)) return;
    if (e.code === 'Space') {
      e.preventDefault();
      if (!spaceDown) ctl.input.setSpace(true);
      spaceDown = true;
    } else if (e.key === 'Escape') {
      e.preventDefault();
      ctl.commands.escape();
    } else if (e.key === 'Enter') {
      if (ctl.commands.enter()) e.preventDefault();
    } else if (e.key === 'Backspace') {
      if (ctl.commands.back()) e.preventDefault();
    } else if (e.key.length === 1 && !e.ctrlKey && !e.metaKey && !e.altKey) {
      // A character: the prompt line takes it (and the ones after it).
      typed.focus();
    }
  });
  window.addEventListener('keyup', (e) => {
    if (e.code !== 'Space' || !spaceDown) return;
    e.preventDefault(); // a bar button with the focus is not pressed by it as well
    spaceDown = false;
    const panned = ctl.input.setSpace(false);
    if (!panned && !isField(e.target) && !document.querySelector('dialog[open]')) ctl.commands.repeat();
  });
}
