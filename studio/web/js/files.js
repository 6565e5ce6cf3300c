// files.js - files in and out of the page: what a chosen or dropped file
// is, and downloads.  Nothing leaves the browser: a download is made from
// the engine's own output.

/* What a file is by its name: 'dxf', 'session' or 'drawing' (a figure
   list, the default: .drawing, .txt or anything else). */
export function fileKind(name) {
  const n = name.toLowerCase();
  if (n.endsWith('.dxf')) return 'dxf';
  if (n.endsWith('.session')) return 'session';
  return 'drawing';
}

/* Reads a File: bytes for a DXF (its code page is the engine's to read),
   text (UTF-8) for the others. */
export async function readFile(file) {
  const kind = fileKind(file.name);
  if (kind === 'dxf') return { kind, name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) };
  return { kind, name: file.name, text: await file.text() };
}

/* Offers `data` (text or bytes) as a download named `name`. */
export function download(name, data, type = 'text/plain;charset=utf-8') {
  const url = URL.createObjectURL(new Blob([data], { type }));
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  a.style.display = 'none';
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}
