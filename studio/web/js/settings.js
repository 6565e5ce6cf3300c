// settings.js - the host's settings store (INI text, one [section] per
// command) kept in the browser's local storage between visits.  The page
// gives the stored text to the engine when it starts (each value a
// recorded `setting` line, so a downloaded session carries them) and
// stores the engine's store again after every command; reset forgets it,
// and the commands take their defaults.  A browser that refuses local storage (a
// private window, a full quota) keeps the settings for the visit only.

const KEY = 'nerolit.settings';

export function loadSettings() {
  try {
    return localStorage.getItem(KEY) ?? '';
  } catch {
    return '';
  }
}

export function storeSettings(ini) {
  try {
    localStorage.setItem(KEY, ini);
    return true;
  } catch {
    return false;
  }
}

export function resetSettings() {
  try {
    localStorage.removeItem(KEY);
  } catch {
    /* nothing stored */
  }
}
