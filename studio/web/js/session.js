// session.js - session files on the page: the lines of a loaded session,
// played one step at a time through the same door as the user's own
// actions, and the file names of a download.
//
// A step is one line of the file, and the page's player follows the rules
// of nerolit-host's session user: a `run` line while the previous command
// still asks is preceded by cancels until that command returns (its lines
// ran out), and a message that the next line does not answer is answered
// ok, as a person clicks it away.  Whether the next line answers the
// request, the engine says (the request's accepts, language.js).
import { answers, isDirective, verbOf } from './language.js';

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

/* The action for the next step of `steps` from `pos` while the engine asks
   `request` (as engine.js gives it): { line, advance } where `line` is what
   to send and `advance` whether it used the step (a cancel or an ok the
   player adds does not). */
export function nextAction(steps, pos, request) {
  const kind = request.kind;
  const step = steps[pos];
  if (!step) return kind === 'command' ? null : { line: 'cancel', advance: false };
  if (isDirective(step.text)) return { line: step.text, advance: true };
  if (verbOf(step.text) === 'run' && kind !== 'command') return { line: 'cancel', advance: false };
  if (kind === 'message' && !answers(request, step.text)) return { line: 'message ok', advance: false };
  return { line: step.text, advance: true };
}

/* A file name for a download: the drawing's name without its extension,
   and the extension given. */
export function downloadName(drawingName, ext) {
  const base = (drawingName || 'drawing').replace(/\.[^./]*$/, '') || 'drawing';
  return `${base}.${ext}`;
}

/* The recorded session as the page shows it: a header that says how to
   replay it, the settings the session started from (setting lines), then
   the engine's record of what the user did, read as it grows.  `pre` shows
   the text, `count` the number of lines that do something.  Reading the
   new lines and showing them costs the same whatever the session's length
   (the engine gives only the lines after those shown). */
export function createSessionLog(pre, count) {
  const log = { header: [], settings: [], lines: [], pre, count };
  return log;
}

/* A new session: its header comments and its setting lines. */
export function resetSessionLog(log, header, settingLines) {
  log.header = header;
  log.settings = settingLines;
  log.lines = [];
  log.pre.textContent = header.concat(settingLines).map((l) => `${l}\n`).join('');
  showCount(log);
}

function showCount(log) {
  log.count.textContent = `${log.settings.length + log.lines.length} 行`;
}

/* Adds what the engine recorded since the last look ({ from, lines } of
   its sessionSince). */
export function updateSessionLog(log, since) {
  const added = since.lines ? since.lines.replace(/\n$/, '').split('\n') : [];
  if (since.from < log.lines.length) {
    // An Escape went in among the lines shown: show them again from there.
    log.lines.length = since.from;
    log.lines.push(...added);
    log.pre.textContent = log.header.concat(log.settings, log.lines).map((l) => `${l}\n`).join('');
  } else if (added.length) {
    log.lines.push(...added);
    log.pre.append(added.map((l) => `${l}\n`).join(''));
  } else {
    return;
  }
  showCount(log);
  log.pre.scrollTop = log.pre.scrollHeight;
}

/* The whole session text (for a download). */
export function sessionLogText(log) {
  return log.header.concat(log.settings, log.lines).join('\n') + '\n';
}

/* A file name for a drawing made in the page: the drawing's name, then
   the commands the session ran (so that a download never takes the name
   of the file it came from), and the extension given.  `lines`: the
   session's recorded lines. */
export function resultName(drawingName, ext, lines) {
  const base = (drawingName || 'drawing').replace(/\.[^./]*$/, '') || 'drawing';
  const ran = [];
  for (const l of lines) {
    if (verbOf(l) !== 'run') continue;
    const name = l.split(/\s+/)[1] || '';
    if (name && ran[ran.length - 1] !== name) ran.push(name);
  }
  const suffix = ran.length ? ran.slice(-3).join('-') : 'copy';
  return `${base}-${suffix}.${ext}`;
}
