#!/usr/bin/env python3
"""Circles among the modules (x.h + x.cpp) of the given folders: an edge A -> B when A's
header or source includes B's header (#include "..."), or calls one of the application,
message-box, window-core or font functions that B defines (calls that once closed a
circle without an include). Prints each strongly connected component of more than one
module, or "no circles".

  scripts/include_circles.py ROOT FOLDER...
  e.g. scripts/include_circles.py . framework ui engine operations cli app
Folders are walked with their sub-folders.
"""
import os, re, sys
root = sys.argv[1]
dirs = sys.argv[2:]
mods = {}  # name -> list of files
where = {}  # header path relative to its folder of modules -> module
for d in dirs:
    for folder, _, names in sorted(os.walk(os.path.join(root, d))):
        for f in sorted(names):
            if not f.endswith(('.h', '.cpp')):
                continue
            rel = os.path.relpath(os.path.join(folder, f), root)
            # A module's public header (engine/age/include/age/x.h) and its source
            # (engine/age/x.cpp) are one module.
            m = re.sub(r'/include/[^/]+/', '/', rel).rsplit('.', 1)[0]
            mods.setdefault(m, []).append(os.path.join(folder, f))
            if f.endswith('.h'):
                where[rel] = m
def resolve(inc, path):
    """The module of an included header: beside the includer, else named from a folder of
    headers ("age/strong_file.h"), else by its name in the flat folders."""
    here = os.path.relpath(os.path.join(os.path.dirname(path), inc), root)
    if here in where:
        return where[here]
    hits = [m for rel, m in where.items() if rel.endswith('/' + inc)]
    return hits[0] if len(hits) == 1 else None
# Calls that reach another module without its header, by the module that defines them.
calls = {
    'framework/app': r'\b(AfxGetApp|AfxGetAppName|AfxGetMainWndHandle|AfxGetInstanceHandle)\s*\(',
    'framework/message_box': r'\b(AfxMessageBox|ShowMessageBox)\s*\(',
    'framework/wnd': r'\bCWnd::',
    'ui/legible_font': r'\b(MakeDialogLegible|LegibleFontOf|ForgetLegibleFont|MakeMessageBoxLegible)\s*\(',
}
edges = {m: set() for m in mods}
for m, files in mods.items():
    for path in files:
        text = open(path, encoding='utf-8').read()
        for inc in re.findall(r'^\s*#\s*include\s+"([^"]+)"', text, re.M):
            target = resolve(inc, path)
            if target and target != m:
                edges[m].add(target)
        if m.startswith('framework/'):
            body = re.sub(r'//[^\n]*', '', text)
            for target, pattern in calls.items():
                if target != m and target in mods and re.search(pattern, body):
                    edges[m].add(target)
# Tarjan's strongly connected components.
index, low, stack, on, comps, n = {}, {}, [], set(), [], [0]
def visit(v):
    index[v] = low[v] = n[0]; n[0] += 1; stack.append(v); on.add(v)
    for w in edges[v]:
        if w not in index:
            visit(w); low[v] = min(low[v], low[w])
        elif w in on:
            low[v] = min(low[v], index[w])
    if low[v] == index[v]:
        comp = []
        while True:
            w = stack.pop(); on.discard(w); comp.append(w)
            if w == v: break
        comps.append(comp)
sys.setrecursionlimit(10000)
for v in sorted(mods):
    if v not in index:
        visit(v)
circles = [sorted(c) for c in comps if len(c) > 1]
print(f"{len(mods)} modules, {sum(len(e) for e in edges.values())} edges")
for c in circles:
    print("circle:", " <-> ".join(c))
if not circles:
    print("no circles")
