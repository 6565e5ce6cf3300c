#!/usr/bin/env python3
"""include-graph.py - the reference host's include arrows between its wings,
and any that runs back up.

The host is built in floors, each including only floors below it (or its
own): text and module at the bottom, records and session, formats, the hall
(Host and its files), services, the WebAssembly engine at the top; the
emulated runner (host/emu) belongs to the module's floor.  Prints
the arrows between wings with their counts, then every include that runs
back up; exits 1 when there is one.  Usage: tools/include-graph.py
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FLOORS = {"text": 0, "module": 1, "records": 2, "session": 2, "formats": 3, "hall": 4,
          "services": 5, "wasm": 6}


def wing(path):
    parts = path.split("/")
    if parts[0] != "host":
        return None
    if len(parts) == 2:
        return "hall"
    # The emulated runner is one of the ways a module is bound.
    return "module" if parts[1] == "emu" else parts[1]


def main():
    arrows, back = {}, []
    for folder, _, names in os.walk(os.path.join(ROOT, "host")):
        for name in sorted(names):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.relpath(os.path.join(folder, name), ROOT)
            src = wing(path)
            for target in re.findall(r'^#include "(host/[^"]+)"', open(os.path.join(ROOT, path)).read(), re.M):
                dst = wing(target)
                if dst == src:
                    continue
                arrows[(src, dst)] = arrows.get((src, dst), 0) + 1
                if FLOORS[dst] > FLOORS[src]:
                    back.append(f"{path} includes {target}: {src} (floor {FLOORS[src]}) "
                                f"reaches up to {dst} (floor {FLOORS[dst]})")
    for (src, dst), n in sorted(arrows.items(), key=lambda a: (-FLOORS[a[0][0]], a[0])):
        print(f"{src:>8} -> {dst:<8} {n}")
    for b in back:
        print("back up: " + b)
    print(f"{sum(arrows.values())} includes between wings, {len(back)} running back up")
    return 1 if back else 0


if __name__ == "__main__":
    sys.exit(main())
