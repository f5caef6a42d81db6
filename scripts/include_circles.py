#!/usr/bin/env python3
"""Circles among the modules (x.h + x.cpp) of the given folders: an edge A -> B when A's
header or source includes B's header (#include "..."), or calls one of the application,
message-box, window-core or font functions that B defines (calls that once closed a
circle without an include). Prints each strongly connected component of more than one
module, or "no circles".

  scripts/include_circles.py ROOT FOLDER...
  e.g. scripts/include_circles.py . framework ui engine operations
"""
import os, re, sys
root = sys.argv[1]
dirs = sys.argv[2:]
mods = {}  # name -> list of files
where = {}  # header basename -> module
for d in dirs:
    for f in sorted(os.listdir(os.path.join(root, d))):
        if not f.endswith(('.h', '.cpp')):
            continue
        m = d + '/' + f.rsplit('.', 1)[0]
        mods.setdefault(m, []).append(os.path.join(root, d, f))
        if f.endswith('.h'):
            where[f] = m
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
            # A header named with its folder ("password_strength/strength_text.h") lives
            # below the folders looked at, not in a module of the same base name.
            if '/' in inc:
                continue
            target = where.get(inc)
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
