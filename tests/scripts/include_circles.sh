#!/usr/bin/env bash
# The files of app/, settings/, requesters/ and support/ include one another one way only: in a
# circle no file can be read, built or changed alone. Fails naming the first circle found.
set -euo pipefail
cd "$(dirname "$0")/../.."
python3 - <<'PY'
import glob, os, re, sys
found = []
for folder in ("app", "settings", "requesters", "support"):
    names = {os.path.splitext(os.path.basename(f))[0] for f in glob.glob(folder + "/*.h")}
    uses = {}
    for f in glob.glob(folder + "/*.cpp") + glob.glob(folder + "/*.h"):
        me = os.path.splitext(os.path.basename(f))[0]
        for used in re.findall(r'#include "([^"/]+)\.h"', open(f).read()):
            if used in names and used != me:
                uses.setdefault(me, set()).add(used)
    def walk(at, path):
        for next_one in sorted(uses.get(at, ())):
            if next_one in path:
                return path[path.index(next_one):] + [next_one]
            circle = walk(next_one, path + [next_one])
            if circle:
                return circle
        return None
    for start in sorted(uses):
        circle = walk(start, [start])
        if circle:
            found.append(folder + ": " + " -> ".join(circle))
            break
print("\n".join(found) or "no include circle")
sys.exit(1 if found else 0)
PY
