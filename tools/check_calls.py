#!/usr/bin/env python3
"""Calls between source files run one way: no two files of the library use each other, directly
or around a longer loop. A loop means neither file can be read, tested or moved without the
other, so each shared piece wants one owner below both.

Reads the static library's symbol table with nm: an object uses another when it leaves a symbol
undefined (a function or a variable) that the other defines. A weak definition (inline function,
template copy, vtable, typeinfo) counts only where one object alone has it, as a class's vtable
sits with its first virtual function: where each user carries its own copy, it ties no file to
another. Prints every loop (a strongly connected group of more than one object, with the symbols
that tie it) and exits 1 when there is one.

Usage: tools/check_calls.py [library]  (default: the build/libsuncalc.a of this tree)
"""
import os
import subprocess
import sys

STRONG = set("TDBRGSCui")  # global definitions that one object alone provides
WEAK = set("VW")


def read_objects(archive):
    out = subprocess.run(["nm", archive], check=True, capture_output=True, text=True).stdout
    objects = []  # [(member name, defined set, undefined set, weak set)]
    for line in out.splitlines():
        if not line.strip():
            continue
        if line.endswith(":") and " " not in line:
            objects.append((line[:-1], set(), set(), set()))
            continue
        parts = line.split()
        kind, name = parts[-2], parts[-1]
        if kind == "U":
            objects[-1][2].add(name)
        elif kind in STRONG:
            objects[-1][1].add(name)
        elif kind in WEAK:
            objects[-1][3].add(name)
    return objects


def source_names(archive, members):
    """Maps each member (e.g. canvas.cpp.o) to its source path where the build tree says it."""
    found = {}
    top = os.path.join(os.path.dirname(archive) or ".", "CMakeFiles")
    lib = os.path.splitext(os.path.basename(archive))[0]
    lib = lib[3:] if lib.startswith("lib") else lib
    root = os.path.join(top, lib + ".dir")
    for dirpath, _, files in os.walk(root):
        for f in files:
            if f.endswith(".o"):
                found.setdefault(f, []).append(os.path.relpath(os.path.join(dirpath, f[:-2]), root))
    names = []
    seen = {}
    for m in members:
        paths = found.get(m, [])
        i = seen.get(m, 0)
        seen[m] = i + 1
        if len(paths) == 1:
            names.append(paths[0])
        else:  # not in the build tree, or a base name shared by several sources
            names.append(m[:-2] + ("" if i == 0 else "#%d" % (i + 1)))
    return names


def loops(edges, n):
    """Tarjan's strongly connected components, without recursion."""
    index, low, on_stack, stack, groups = {}, {}, set(), [], []
    counter = 0
    for start in range(n):
        if start in index:
            continue
        work = [(start, iter(sorted(edges[start])))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            v, it = work[-1]
            w = next(it, None)
            if w is not None:
                if w not in index:
                    index[w] = low[w] = counter
                    counter += 1
                    stack.append(w)
                    on_stack.add(w)
                    work.append((w, iter(sorted(edges[w]))))
                elif w in on_stack:
                    low[v] = min(low[v], index[w])
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[v])
            if low[v] == index[v]:
                group = []
                while True:
                    w = stack.pop()
                    on_stack.discard(w)
                    group.append(w)
                    if w == v:
                        break
                if len(group) > 1:
                    groups.append(sorted(group))
    return groups


def demangle(symbols):
    if not symbols:
        return {}
    out = subprocess.run(["c++filt"], input="\n".join(symbols), check=True,
                         capture_output=True, text=True).stdout.splitlines()
    return dict(zip(symbols, out))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    archive = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "build", "libsuncalc.a")
    archive = os.path.normpath(archive)
    if not os.path.isfile(archive):
        print("calls: no library at %s (build first)" % archive)
        return 2
    objects = read_objects(archive)
    names = source_names(archive, [o[0] for o in objects])
    owner, weak = {}, {}
    for i, (_, defined, _, weakly) in enumerate(objects):
        for s in defined:
            owner.setdefault(s, i)
        for s in weakly:
            weak.setdefault(s, []).append(i)
    for s, holders in weak.items():
        if len(holders) == 1:
            owner.setdefault(s, holders[0])
    n = len(objects)
    edges = [set() for _ in range(n)]
    ties = {}  # (user, owner) -> symbols
    for i, (_, _, used, _) in enumerate(objects):
        for s in used:
            j = owner.get(s)
            if j is not None and j != i:
                edges[i].add(j)
                ties.setdefault((i, j), []).append(s)
    if not any(edges):
        # An archive whose files use none of each other's symbols is not this library: the symbol
        # table was not read as expected, and "no loop" would mean nothing.
        print("calls: read no use of one file by another in %s (%d files)" % (archive, n))
        return 2
    groups = loops(edges, n)
    if not groups:
        print("calls: no loop among the %d files of %s" % (n, archive))
        return 0
    print("calls: %d loop(s) of files that use each other in %s:" % (len(groups), archive))
    shown = sorted({s for g in groups for a in g for b in g for s in ties.get((a, b), [])})
    pretty = demangle(shown)
    for g in sorted(groups, key=lambda g: [names[i] for i in g]):
        print("\n  " + ", ".join(names[i] for i in g))
        for a in g:
            for b in g:
                if (a, b) in ties:
                    used = sorted(pretty[s] for s in ties[(a, b)])
                    print("    %s -> %s: %s" % (names[a], names[b], ", ".join(used)))
    return 1


if __name__ == "__main__":
    sys.exit(main())
