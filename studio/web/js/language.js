// language.js - the session language's lines as the page handles them.
// Which lines answer a request is the engine's rule, not the page's: every
// request the engine asks carries the verbs that answer it (`accepts`,
// engine.js), and the page looks a line's verb up there, so the page can
// never send what the host would refuse nor hold back what it takes.  The
// directives are the one list the engine does not send with a request
// (every request takes them, before its answer); the host reads these
// five, and the page names them here only.

export const DIRECTIVE_VERBS = Object.freeze(['set', 'setting', 'seed', 'key', 'snapshot']);

/* The verb of a session line ("run", "point", "panel", ...). */
export function verbOf(line) {
  return line.split(/\s+/, 1)[0].toLowerCase();
}

export function isDirective(line) {
  return DIRECTIVE_VERBS.includes(verbOf(line));
}

/* Whether `line` answers `request` (a request as engine.js gives it). */
export function answers(request, line) {
  return request.accepts.includes(verbOf(line));
}

/* An action of the page's: the line it sends and, for a point, the point
   itself ([x, y]), which the page shows (a region's corners) and types
   relative points from. */
export function pointAction(x, y) {
  return { line: `point ${x} ${y}`, point: [x, y] };
}

/* The action of a line that comes as text (a session file's step, a
   recorded line sent again): a point is read from its words. */
export function textAction(line) {
  const [verb, x, y] = line.split(/\s+/);
  return { line, point: verb.toLowerCase() === 'point' ? [Number(x), Number(y)] : null };
}
