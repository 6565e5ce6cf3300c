// settings.js - the host's settings store (INI text, one [section] per
// command) kept in the browser's local storage between visits.  The page
// gives the stored text to the engine when it starts and stores the
// engine's store again after every command; reset forgets it, and the
// commands take their defaults.  A browser that refuses local storage (a
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

/* The store's numbers as `setting SECTION KEY VALUE` lines, so that a
   recorded session starts from the same settings in nerolit-host whatever
   its settings file holds.  Lines that are no `key=number` are left out
   (the host's store holds numbers only). */
export function settingLines(ini) {
  const out = [];
  let section = null;
  for (const raw of ini.split(/\r?\n/)) {
    const line = raw.trim();
    const head = /^\[(.+)\]$/.exec(line);
    if (head) {
      section = head[1].trim();
      continue;
    }
    const m = /^([^=;#\s][^=]*?)\s*=\s*(\S+)$/.exec(line);
    if (!section || !m || !Number.isFinite(Number(m[2])) || /\s/.test(section) || /\s/.test(m[1])) continue;
    out.push(`setting ${section} ${m[1]} ${m[2]}`);
  }
  return out;
}
