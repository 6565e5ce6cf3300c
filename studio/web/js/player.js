// player.js - a session file played in the page: its lines listed beside
// the session, the next one marked, sent one step at a time (or all) by
// the same door as the user's actions.  Which line a step sends is
// session.js's nextAction, the rules of nerolit-host's session user.  A
// line that nerolit-host would refuse stops the player at it: the line is
// marked and its file:line message shown, and nothing after it plays.
import { nextAction, sessionSteps } from './session.js';
import { setModal } from './dialogs.js';

const $ = (id) => document.getElementById(id);

/* A player for the session `text` named `name`, its list drawn.  `bad`:
   the message of a line that cannot be read ("name:line: what"); the
   player then plays nothing and marks that line. */
export function createPlayer(name, text, bad = null) {
  const player = { name, steps: sessionSteps(text), pos: 0, running: false, stopped: false, failed: null };
  $('player-name').textContent = name;
  $('player-lines').replaceChildren(...player.steps.map((s) => {
    const li = document.createElement('li');
    li.value = s.line; // numbered as in the file
    li.textContent = s.text;
    return li;
  }));
  showPlayer(player);
  if (bad) {
    const m = /^[^\n]*?:(\d+): /.exec(bad);
    const at = m ? player.steps.findIndex((s) => s.line === Number(m[1])) : -1;
    if (at >= 0) player.pos = at;
    playerFailed(player, bad);
  }
  return player;
}

/* Stops the player at its current line with `message` (file:line). */
export function playerFailed(player, message) {
  player.running = false;
  player.stopped = true;
  player.failed = message;
  // The line that failed is the one before pos when it was sent already.
  showPlayer(player);
}

/* Shows the player (null: none), the lines played and the next one, and
   why it stopped. */
export function showPlayer(player) {
  $('player').hidden = !player;
  setModal(!player);
  if (!player) return;
  const ol = $('player-lines');
  const bad = player.failed ? Math.max(0, player.pos - (player.sentBad ? 1 : 0)) : -1;
  [...ol.children].forEach((li, k) => {
    li.className = k === bad ? 'bad' : k < player.pos ? 'done' : k === player.pos ? 'next' : '';
  });
  const msg = $('player-message');
  msg.textContent = player.failed || '';
  msg.hidden = !player.failed;
  for (const id of ['player-step', 'player-run']) $(id).disabled = player.stopped;
  ol.children[bad >= 0 ? bad : player.pos]?.scrollIntoView({ block: 'nearest' });
}

/* The line to send for `request`, or null when the session has nothing
   more (the player stops running). */
export function nextLine(player, request) {
  const a = nextAction(player.steps, player.pos, request);
  if (!a) player.running = false;
  else if (a.advance) player.pos++;
  player.sentBad = !!(a && a.advance);
  showPlayer(player);
  return a ? a.line : null;
}
