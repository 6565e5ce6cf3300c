// feedback.js - words for what would otherwise pass in silence: a long
// pass shows that it runs (with the time it has taken and Escape to stop
// it), and a hatch pass that wrote nothing says so and why it may have
// (the pattern's element is empty as it is by default, or no cell fits the
// region), instead of leaving the user to wonder.

const BUSY_AFTER_MS = 300; // a pass this long shows the busy sign

/* `el` the busy sign; `ctl`: { count() figures in the drawing, say(text) a
   word on the hint line }. */
export function createFeedback(el, ctl) {
  let timer = null;
  let since = 0;
  let hatchFrom = null; // figures before the hatch's region or selection (its points add marks of their own)
  let hatchRan = false; // a hatch pass runs (a region closed, a selection given)
  let notice = ''; // said until the user's next line

  const show = () => {
    el.hidden = false;
    el.textContent = `処理中… ${((performance.now() - since) / 1000).toFixed(1)} 秒  Esc: 中止`;
    timer = setTimeout(show, 200);
  };

  return {
    /* A line went to the engine for request `req`. */
    sent(req, line) {
      clearTimeout(timer);
      notice = '';
      since = performance.now();
      timer = setTimeout(show, BUSY_AFTER_MS);
      const verb = line.split(/\s+/, 1)[0];
      if (!/^hatch$/i.test(req.command)) {
        hatchFrom = null;
        hatchRan = false;
        return;
      }
      if (line === 'panel ok' || verb === 'select' || (verb === 'point' && req.kind === 'point')) hatchFrom = ctl.count();
      hatchRan = verb === 'close' || verb === 'select';
    },
    /* The engine asks again. */
    requested() {
      clearTimeout(timer);
      el.hidden = true;
      if (hatchRan && hatchFrom !== null && ctl.count() <= hatchFrom) {
        notice = 'ハッチングは何も描きませんでした: パターンの要素 (図形=>) が空か、領域に入るセルがありません。パネルでパターンを確かめてください';
      }
      hatchRan = false;
      if (notice) ctl.say(notice);
    },
  };
}
