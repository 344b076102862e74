#!/usr/bin/env python3
"""Keeps the layers of the source tree acyclic.

Each product folder is one static library whose CMakeLists.txt names the
libraries it links (target_link_libraries(vellumark_<folder> PUBLIC ...)).
This check reads those links and fails when
  - the links between the folders form a cycle, or
  - a source file includes a header of a folder that its own folder does not
    link, directly or through the folders it links (an upward include).
Subfolders (control/com, control/tools) belong to their top folder.

Usage: check_layers.py SOURCE_DIR
"""
import re
import sys
from pathlib import Path

LINK = re.compile(r"target_link_libraries\(\s*vellumark_(\w+)\s+(?:PUBLIC|PRIVATE|INTERFACE)\s+([^)]*)\)", re.S)
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def read_links(root):
    """folder -> the folders its library links directly."""
    links = {}
    for cmake in sorted(root.glob("*/CMakeLists.txt")):
        folder = cmake.parent.name
        for name, deps in LINK.findall(cmake.read_text()):
            if name != folder or folder in ("tests", "bench", "fuzz"):
                continue
            links.setdefault(folder, set()).update(
                d[len("vellumark_"):] for d in deps.split() if d.startswith("vellumark_") and d != "vellumark_options")
    return links


def closure(links):
    """folder -> every folder it reaches; raises on a cycle."""
    reach, state = {}, {}

    def visit(folder, path):
        if state.get(folder) == "open":
            raise ValueError("the folders' links form a cycle: " + " -> ".join(path + [folder]))
        if folder in reach:
            return reach[folder]
        state[folder] = "open"
        found = set()
        for dep in links.get(folder, ()):
            found |= {dep} | visit(dep, path + [folder])
        state[folder] = "done"
        reach[folder] = found
        return found

    for folder in links:
        visit(folder, [])
    return reach


def main():
    root = Path(sys.argv[1]).resolve()
    links = read_links(root)
    try:
        reach = closure(links)
    except ValueError as e:
        print(e)
        return 1
    problems = []
    for folder in sorted(links):
        for source in sorted((root / folder).rglob("*")):
            if source.suffix not in (".h", ".cpp", ".c") or not source.is_file():
                continue
            for header in INCLUDE.findall(source.read_text(errors="replace")):
                if "/" not in header:
                    continue  # beside the file itself
                target = header.split("/", 1)[0]
                if target == folder or target not in links:
                    continue  # own folder, or not one of ours (generated headers)
                if target not in reach[folder]:
                    problems.append(f"{source.relative_to(root)}: includes {header}, "
                                    f"but {folder} does not link {target}")
    for p in problems:
        print(p)
    order = sorted(links, key=lambda f: (len(reach[f]), f))
    print("layers (lowest first): " + ", ".join(f"{f} [{' '.join(sorted(links[f])) or '-'}]" for f in order))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
