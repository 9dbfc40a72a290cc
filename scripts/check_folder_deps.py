#!/usr/bin/env python3
"""Checks that the engine folders depend on each other in one direction only.

Reads every #include "folder/..." of the engine's sources, builds the graph of folders and
fails when it has a cycle (printing one), or when an engine file includes a Qt header.
Usage: check_folder_deps.py ROOT
"""
import pathlib
import re
import sys

# The engine folders, and app/ (the plain C++ the window and the headless modes share).
ENGINE = ["core", "layers", "undo", "select", "tone", "files", "paint", "paper", "events",
          "paperfile", "filters", "palette", "text", "colour", "print", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]', re.M)


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    graph = {d: set() for d in ENGINE}
    problems = []
    for folder in ENGINE:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp", ".inl"):
                continue
            for target in INCLUDE.findall(path.read_text(errors="replace")):
                head = target.split("/")[0]
                if head.startswith("Q") or head.startswith("qt"):
                    problems.append(f"{path.relative_to(root)} includes Qt header <{target}>")
                if "/" in target and head in graph and head != folder:
                    graph[folder].add(head)

    # Depth-first search for a back edge; report the cycle it closes.
    state = {d: 0 for d in graph}
    stack = []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for nxt in sorted(graph[node]):
            if state[nxt] == 1:
                cycle = stack[stack.index(nxt):] + [nxt]
                problems.append("folder cycle: " + " -> ".join(cycle))
            elif state[nxt] == 0:
                visit(nxt)
        stack.pop()
        state[node] = 2

    for d in ENGINE:
        if state[d] == 0:
            visit(d)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
