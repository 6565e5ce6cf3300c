// serve.mjs - a static file server for the studio page, on 127.0.0.1 only.
//
//   node studio/serve.mjs ROOT [PORT]
//
// Serves the files under ROOT (GET and HEAD; a folder gives its index.html)
// with the content types the page needs (.mjs and .js as JavaScript, .wasm
// as application/wasm, which streaming compilation requires).  PORT 0 or
// none takes a free port.  Prints the page's address,
// "http://127.0.0.1:PORT/", as its first line and serves until stopped.
// Also used by the browser tests (startServer).
import { createServer } from 'node:http';
import { createReadStream, statSync } from 'node:fs';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.json': 'application/json',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.txt': 'text/plain; charset=utf-8',
};

/* Resolves a request path inside root; null for a path that leaves it. */
function fileFor(root, urlPath) {
  let path;
  try {
    path = decodeURIComponent(urlPath.split('?')[0]);
  } catch {
    return null;
  }
  const full = resolve(root, '.' + normalize('/' + path));
  if (full !== root && !full.startsWith(root + sep)) return null;
  return full;
}

/* Starts serving `root` on 127.0.0.1:port; resolves to the server and its
   address. */
export function startServer(root, port = 0) {
  const base = resolve(root);
  const server = createServer((req, res) => {
    if (req.method !== 'GET' && req.method !== 'HEAD') {
      res.writeHead(405, { Allow: 'GET, HEAD' }).end();
      return;
    }
    let file = fileFor(base, req.url);
    let info = null;
    try {
      if (file) {
        info = statSync(file);
        if (info.isDirectory()) {
          file = join(file, 'index.html');
          info = statSync(file);
        }
      }
    } catch {
      info = null;
    }
    if (!file || !info || !info.isFile()) {
      res.writeHead(404, { 'Content-Type': 'text/plain; charset=utf-8' }).end('not found\n');
      return;
    }
    res.writeHead(200, {
      'Content-Type': TYPES[extname(file).toLowerCase()] || 'application/octet-stream',
      'Content-Length': info.size,
      'Cache-Control': 'no-cache',
    });
    if (req.method === 'HEAD') res.end();
    else createReadStream(file).pipe(res);
  });
  return new Promise((done, fail) => {
    server.once('error', fail);
    server.listen(port, '127.0.0.1', () => {
      done({ server, url: `http://127.0.0.1:${server.address().port}/` });
    });
  });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const [root, port] = process.argv.slice(2);
  if (!root) {
    console.error('usage: node serve.mjs ROOT [PORT]');
    process.exit(2);
  }
  const wanted = Number(port || 0);
  if (!Number.isInteger(wanted) || wanted < 0 || wanted > 65535) {
    console.error(`serve.mjs: not a port: ${port}`);
    process.exit(2);
  }
  startServer(root, wanted).then(
    ({ url }) => console.log(url),
    (e) => {
      console.error(`serve.mjs: ${e.message}`);
      process.exit(1);
    },
  );
}
