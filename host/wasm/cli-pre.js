// cli-pre.js - nerolit-host.js under Node: exit codes as the native
// program's.  A WebAssembly trap in the module (a call through a slot of the
// wrong type, an out-of-bounds access, unreachable code) is the module's
// fault: exit 3 with one line on standard error, as the native host does for
// a trap; exit() of the host keeps its own code.
Module['quit'] = function (status, toThrow) {
  if (toThrow && toThrow.name !== 'ExitStatus' && toThrow !== 'unwind') {
    process.stderr.write('nerolit-host: the module trapped: ' + (toThrow.message || String(toThrow)) + '\n');
    process.exit(3);
  }
  process.exit(status);
};
