#!/usr/bin/env python3
"""Finds include cycles among the program's own files.

Every quoted #include under src/ is an edge. Two graphs are checked:
  files  - each header and source on its own: a header that reaches itself;
  units  - a header and its source as one unit (frame/config.h with
           frame/config.cpp): two units that use each other, even through a
           third, so that neither can be understood or tested alone.
Prints each cycle found and exits 1 when there is one not named with
--known (a cycle written as its members joined by " -> ", sorted, as this
script prints them), 0 otherwise. A known cycle still printed is one left to
undo, not one to copy.
Usage: includecycles.py [SRC_DIR] [--known "a/b -> c/d"]...
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def read_edges(src):
    edges = {}
    for folder, _, names in os.walk(src):
        for name in names:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, src)
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            targets = []
            for inc in INCLUDE.findall(text):
                # Project headers are named from src/; a bare name is beside
                # the including file.
                if os.path.exists(os.path.join(src, inc)):
                    targets.append(os.path.normpath(inc))
                elif os.path.exists(os.path.join(folder, inc)):
                    targets.append(os.path.relpath(os.path.join(folder, inc), src))
            edges[rel] = targets
    return edges


def unit_of(path):
    return os.path.splitext(path)[0]


def cycles(graph):
    """Strongly connected components of more than one node, or with a self
    edge (Tarjan, iterative so that deep trees need no recursion)."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = [0]
    for root in sorted(graph):
        if root in index:
            continue
        work = [(root, iter(sorted(graph.get(root, ()))))]
        index[root] = low[root] = counter[0]
        counter[0] += 1
        stack.append(root)
        on_stack.add(root)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter[0]
                    counter[0] += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph.get(child, ())))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                part = []
                while True:
                    top = stack.pop()
                    on_stack.discard(top)
                    part.append(top)
                    if top == node:
                        break
                if len(part) > 1 or node in graph.get(node, ()):
                    found.append(sorted(part))
    return found


def main():
    args, known = sys.argv[1:], set()
    while "--known" in args:
        at = args.index("--known")
        known.add(args[at + 1])
        del args[at:at + 2]
    src = args[0] if args else os.path.join(os.path.dirname(__file__), "..", "src")
    edges = read_edges(src)
    units = {}
    for path, targets in edges.items():
        here = unit_of(path)
        units.setdefault(here, set()).update(unit_of(t) for t in targets if unit_of(t) != here)
    bad = False
    for kind, graph in (("files", edges), ("units", units)):
        for cycle in cycles(graph):
            text = " -> ".join(cycle)
            if text in known:
                print(f"known include cycle among {kind}: {text}")
            else:
                bad = True
                print(f"include cycle among {kind}: {text}")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
