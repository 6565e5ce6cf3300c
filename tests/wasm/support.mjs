// support.mjs - for the engine's Node tests: a user who drives the engine
// through its interface and keeps the lines it gave (the equivalent
// session), and the native and Windows hosts that replay a session.
import { execFileSync, spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const build = (preset) => path.join(root, 'build', preset);
export const example = (name) => path.join(root, 'examples', name);
export const read = (file) => readFileSync(file, 'utf8');

export async function engineModule() {
  return import(path.join(build('wasm'), 'nerolit.mjs'));
}

// Acts on the engine as a person at the page does, one action at a time,
// and writes each down: `lines` is the session that person played.
export class User {
  constructor(engine) {
    this.engine = engine;
    this.lines = [];
    this.requests = [];
  }

  async do(action) {
    const { actionText } = await engineModule();
    const line = typeof action === 'string' ? action : actionText(action);
    const next = await this.engine.answer(line);
    this.lines.push(line);
    this.requests.push(next);
    return next;
  }

  get request() {
    return this.engine.request;
  }

  session() {
    return this.lines.join('\n') + '\n';
  }
}

// The open panel's first item of `kind` whose caption (or a list entry)
// contains `text`.
export function findItem(panel, kind, text) {
  const item = panel.items.find((it) => it.kind === kind &&
    (it.caption.includes(text) || (it.entries || []).some((e) => e.includes(text))));
  if (!item) throw new Error(`no ${kind} item with '${text}' in the panel`);
  return item;
}

// Plays a session in a host program; the figure list (or DXF) it dumps and
// the settings it writes back.  `host` is 'native' or 'windows' (under Wine).
export function replay(host, sessionText, { drawing, settings, dxfOut } = {}) {
  const dir = mkdtempSync(path.join(tmpdir(), `nerolit-${host}-`));
  const session = path.join(dir, 'play.session');
  writeFileSync(session, sessionText);
  const dump = path.join(dir, dxfOut ? 'out.dxf' : 'out.figures');
  const args = ['--dump', dump, '--svg', path.join(dir, 'out.svg')];
  if (drawing) args.push('--drawing', drawing);
  const ini = path.join(dir, 'settings.ini');
  if (settings !== undefined) {
    writeFileSync(ini, settings);
    args.push('--settings', ini);
  }
  args.push(session);
  let r;
  if (host === 'native') {
    r = spawnSync(path.join(build('native'), 'nerolit-host'), args, { encoding: 'utf8' });
  } else {
    const win = build('windows');
    r = spawnSync('wine', [path.join(win, 'nerolit-host.exe'), '--module', path.join(win, 'Nerolit.dll'), ...args],
                  { encoding: 'utf8', env: { WINEDEBUG: '-all', ...process.env } });
  }
  if (r.status !== 0) throw new Error(`${host} nerolit-host exited ${r.status}: ${r.stderr}\n${sessionText}`);
  return {
    figures: dxfOut ? readFileSync(dump) : read(dump),
    svg: read(path.join(dir, 'out.svg')),
    settings: settings !== undefined ? read(ini) : null,
  };
}

// Whether the Windows build and Wine are there to replay under.
export function haveWine() {
  if (!existsSync(path.join(build('windows'), 'Nerolit.dll'))) return false;
  return spawnSync('wine', ['--version'], { encoding: 'utf8' }).status === 0;
}

export { execFileSync, mkdirSync };
