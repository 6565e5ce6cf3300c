// session.js - session files on the page: the lines of a loaded session,
// played one step at a time through the same door as the user's own
// actions, and the file names of a download.
//
// A step is one line of the file.  The page's player follows the rules of
// nerolit-host's session user: a `run` line while the previous command
// still asks is preceded by cancels until that command returns (its lines
// ran out), and a message that the next line does not answer is answered
// ok, as a person clicks it away.

/* The lines of a session text that do something: no comments (a `#`
   outside quotes), no blank lines; each { text, line } with its line
   number in the file. */
export function sessionSteps(text) {
  const out = [];
  text.split(/\r?\n/).forEach((raw, k) => {
    let quoted = false;
    let end = raw.length;
    for (let i = 0; i < raw.length; i++) {
      const c = raw[i];
      if (c === '\\' && quoted) i++;
      else if (c === '"') quoted = !quoted;
      else if (c === '#' && !quoted) {
        end = i;
        break;
      }
    }
    const line = raw.slice(0, end).trim();
    if (line) out.push({ text: line, line: k + 1 });
  });
  return out;
}

/* The verb of a session line ("run", "point", "panel", ...). */
export function verbOf(line) {
  return line.split(/\s+/, 1)[0].toLowerCase();
}

const DIRECTIVES = new Set(['set', 'setting', 'seed', 'key', 'snapshot']);

export function isDirective(line) {
  return DIRECTIVES.has(verbOf(line));
}

/* Which request kinds a line's verb answers (the host's answersRequest). */
export function answers(kind, line) {
  const v = verbOf(line);
  if (v === 'cancel') return kind !== 'command' && kind !== 'poll';
  switch (kind) {
    case 'command': return v === 'run';
    case 'point': return v === 'point' || v === 'move' || v === 'repaint';
    case 'cursor': return v === 'point' || v === 'move' || v === 'repaint' || v === 'confirm';
    case 'region': return v === 'point' || v === 'move' || v === 'repaint' || v === 'close';
    case 'select': return v === 'select';
    case 'panel': return v === 'panel';
    case 'group': return v === 'group';
    case 'message': return v === 'message';
    default: return false;
  }
}

/* The action for the next step of `steps` from `pos` while the engine asks
   a request of `kind`: { line, advance } where `line` is what to send and
   `advance` whether it used the step (a cancel or an ok the player adds
   does not). */
export function nextAction(steps, pos, kind) {
  const step = steps[pos];
  if (!step) return kind === 'command' ? null : { line: 'cancel', advance: false };
  if (isDirective(step.text)) return { line: step.text, advance: true };
  if (verbOf(step.text) === 'run' && kind !== 'command') return { line: 'cancel', advance: false };
  if (kind === 'message' && !answers(kind, step.text)) return { line: 'message ok', advance: false };
  return { line: step.text, advance: true };
}

/* A file name for a download: the drawing's name without its extension,
   and the extension given. */
export function downloadName(drawingName, ext) {
  const base = (drawingName || 'drawing').replace(/\.[^./]*$/, '') || 'drawing';
  return `${base}.${ext}`;
}
