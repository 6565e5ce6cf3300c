// player.js - a session file played in the page: its lines listed beside
// the session, the next one marked, sent one step at a time (or all) by
// the same door as the user's actions.  Which line a step sends is
// session.js's nextAction, the rules of nerolit-host's session user.
import { nextAction, sessionSteps } from './session.js';
import { setModal } from './dialogs.js';

const $ = (id) => document.getElementById(id);

/* A player for the session `text` named `name`, its list drawn. */
export function createPlayer(name, text) {
  const player = { name, steps: sessionSteps(text), pos: 0, running: false };
  $('player-name').textContent = name;
  $('player-lines').replaceChildren(...player.steps.map((s) => {
    const li = document.createElement('li');
    li.value = s.line; // numbered as in the file
    li.textContent = s.text;
    return li;
  }));
  showPlayer(player);
  return player;
}

/* Shows the player (null: none), the lines played and the next one.
   While a session plays, dialogs leave the player's buttons usable. */
export function showPlayer(player) {
  $('player').hidden = !player;
  setModal(!player);
  if (!player) return;
  const ol = $('player-lines');
  [...ol.children].forEach((li, k) => {
    li.className = k < player.pos ? 'done' : k === player.pos ? 'next' : '';
  });
  ol.children[player.pos]?.scrollIntoView({ block: 'nearest' });
}

/* The line to send for a request of `kind`, or null when the session has
   nothing more (the player stops running). */
export function nextLine(player, kind) {
  const a = nextAction(player.steps, player.pos, kind);
  if (!a) player.running = false;
  else if (a.advance) player.pos++;
  showPlayer(player);
  return a ? a.line : null;
}
