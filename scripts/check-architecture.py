#!/usr/bin/env python3
"""Checks that the code is built as docs/architecture-rules.md says it is.

  scripts/check-architecture.py                    # the includes of the tree, and the picture
  scripts/check-architecture.py --objects BUILD    # the AVX2 symbols of a Debug build's objects
  scripts/check-architecture.py --dot              # prints the picture's graphviz text

The include check reads every `#include "..."` of addon/, standins/, tools/ and tests/ and fails
on: an include from one room into another that the table does not allow; an include cycle between
files, or between rooms; a `*_internal.h` included from outside its folder; an include of tests/
from outside tests/; a file in no room; a table row that names no room, or whose include edge no
include uses. It also fails when docs/architecture.dot is not the picture that the table gives.

The object check reads the build's compile_commands.json, runs nm over every object it lists, and
fails when a function of one name is defined both in an object compiled for AVX2 and in one
compiled for the baseline: the linker keeps one of the copies, and if it keeps the AVX2 one, a
processor without AVX2 runs AVX2 code. In an optimised build most inline functions vanish into
their callers, so the check is meant for a Debug build, where each is emitted.

Python 3 standard library only; prints one line per fault and exits 1 when there is any.
"""

import argparse
import json
import re
import shlex
import subprocess
import sys
from pathlib import Path

CODE_FOLDERS = ("addon", "standins", "tools", "tests")
SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp", ".h.in")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
# How one room uses another: "include" allows its headers to be included (and requires that some
# include does); "link" and "load" are drawn only (its code is linked or compiled in, or its
# library opened at run time, without an include).
HOW = ("include", "link", "load")
ANY_ROOM = "*"


class Rules:
    """The rooms (name: what they hold) and the edges ((from, to): (how, why)) of the table."""

    def __init__(self, rooms, edges):
        self.rooms = rooms
        self.edges = edges

    def allows(self, source, target):
        for key in ((source, target), (source, ANY_ROOM)):
            if key in self.edges and self.edges[key][0] == "include":
                return True
        return False

    def room_of(self, path):
        """The room of a file (a path relative to the top folder): the longest room that holds
        it, or None."""
        best = None
        for room in self.rooms:
            if path.startswith(room + "/") and (best is None or len(room) > len(best)):
                best = room
        return best


def table_rows(lines, heading):
    """The cells of the Markdown table that follows the line '## heading', header row left out."""
    rows = []
    inside = False
    for line in lines:
        if line.startswith("## "):
            inside = line[3:].strip() == heading
            continue
        if inside and line.startswith("|"):
            cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
            if all(set(cell) <= set("-: ") for cell in cells):
                continue
            rows.append(cells)
    return rows[1:]


def read_rules(path):
    lines = Path(path).read_text(encoding="utf-8").splitlines()
    problems = []
    rooms = {}
    for cells in table_rows(lines, "Rooms"):
        room = cells[0].strip("`")
        rooms[room] = cells[1] if len(cells) > 1 else ""
    edges = {}
    for cells in table_rows(lines, "Edges"):
        if len(cells) != 4:
            problems.append(f"{path}: an edge row needs from, to, how and why: {' | '.join(cells)}")
            continue
        source, target, how, why = (cells[0].strip("`"), cells[1].strip("`"), cells[2], cells[3])
        if how not in HOW:
            problems.append(f"{path}: {source} -> {target}: how is one of {', '.join(HOW)}")
        for room in (source, target):
            if room not in rooms and room != ANY_ROOM:
                problems.append(f"{path}: {source} -> {target} names {room}, which is no room")
        if not why:
            problems.append(f"{path}: {source} -> {target} gives no reason")
        if (source, target) in edges:
            problems.append(f"{path}: {source} -> {target} is in the table twice")
        edges[(source, target)] = (how, why)
    if not rooms:
        problems.append(f"{path}: no table of rooms under '## Rooms'")
    return Rules(rooms, edges), problems


def source_files(root):
    for folder in CODE_FOLDERS:
        for path in sorted((root / folder).rglob("*")):
            if path.is_file() and path.name.endswith(SOURCE_SUFFIXES):
                yield path.relative_to(root).as_posix()


def resolve(root, name):
    """The file of the tree that an include names (a generated header by its template), or
    None."""
    for candidate in (name, name + ".in"):
        if (root / candidate).is_file():
            return candidate
    return None


def cycles(graph):
    """The strongly connected components of more than one node, or of one node that reaches
    itself, each as a sorted list (Tarjan's algorithm, without recursion)."""
    index = {}
    low = {}
    on_stack = set()
    stack = []
    found = []
    counter = 0
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph.get(start, ()))))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, successors = work[-1]
            advanced = False
            for successor in successors:
                if successor not in index:
                    index[successor] = low[successor] = counter
                    counter += 1
                    stack.append(successor)
                    on_stack.add(successor)
                    work.append((successor, iter(sorted(graph.get(successor, ())))))
                    advanced = True
                    break
                if successor in on_stack:
                    low[node] = min(low[node], index[successor])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1 or node in graph.get(node, ()):
                    found.append(sorted(component))
    return found


def check_includes(root, rules):
    problems = []
    file_graph = {}
    room_graph = {}
    used = set()
    for path in source_files(root):
        source_room = rules.room_of(path)
        if source_room is None:
            problems.append(f"{path}: in no room of the table")
            continue
        text = (root / path).read_text(encoding="utf-8", errors="replace")
        file_graph.setdefault(path, set())
        for match in INCLUDE.finditer(text):
            name = match.group(1)
            line = text.count("\n", 0, match.start()) + 1
            where = f"{path}:{line}"
            target = resolve(root, name)
            if target is None:
                problems.append(f'{where}: includes "{name}", which is no file of the tree')
                continue
            file_graph[path].add(target)
            if target.startswith("tests/") and not path.startswith("tests/"):
                problems.append(f"{where}: includes {target}: nothing outside tests/ may")
            if Path(target).name.endswith("_internal.h") and \
                    Path(target).parent != Path(path).parent:
                problems.append(f"{where}: includes {target} from outside its folder")
            target_room = rules.room_of(target)
            if target_room is None or target_room == source_room:
                continue
            room_graph.setdefault(source_room, set()).add(target_room)
            if rules.allows(source_room, target_room):
                used.add((source_room, target_room))
                used.add((source_room, ANY_ROOM))
            else:
                problems.append(f"{where}: includes {target}, but the table does not let "
                                f"{source_room} include {target_room}")
    for component in cycles(file_graph):
        problems.append("include cycle between files: " + ", ".join(component))
    for component in cycles(room_graph):
        problems.append("include cycle between rooms: " + ", ".join(component))
    for room in rules.rooms:
        if not (root / room).is_dir():
            problems.append(f"the table's room {room} is no folder")
    for (source, target), (how, _) in sorted(rules.edges.items()):
        if how == "include" and (source, target) not in used:
            problems.append(f"the table lets {source} include {target}, which no include does: "
                            "remove the row")
    return problems


def dot_name(room):
    return re.sub(r"[^A-Za-z0-9]", "_", room)


def render_dot(rules):
    """The picture of docs/architecture.md: one box per room, grouped by top folder, one arrow
    per edge of the table (dashed for a library opened at run time). tests, which may use
    everything, are left out."""
    clusters = (
        ("tools", "tools/  (programs and tools around the add-on)", "#eef3fb"),
        ("addon", "addon/  (the add-on's own code: the library the host loads)", "#eefbf0"),
        ("standins", "standins/  (ours, in place of what the host and its maker supply; "
                     "the maker's names)", "#fbf3ee"),
    )
    out = [
        "// Made by scripts/check-architecture.py --dot from docs/architecture-rules.md; do not",
        "// edit. The picture: dot -Tpng -Gdpi=96 docs/architecture.dot -o docs/architecture.png",
        "digraph rooms {",
        '  graph [rankdir=TB, fontname="DejaVu Sans", fontsize=11, nodesep=0.25, ranksep=0.5,'
        " newrank=true];",
        '  node [shape=box, style="rounded,filled", fontname="DejaVu Sans", fontsize=10,'
        " fillcolor=white];",
        '  edge [color="#555555", arrowsize=0.6, fontname="DejaVu Sans", fontsize=8];',
    ]
    for top, label, colour in clusters:
        out.append(f"  subgraph cluster_{top} {{")
        out.append(f'    label="{label}"; style="rounded,filled"; fillcolor="{colour}";')
        for room, holds in rules.rooms.items():
            if room.split("/")[0] == top:
                short = room[len(top) + 1:]
                text = holds.replace("`", "").replace('"', "'")
                out.append(f'    {dot_name(room)} [label="{short}\\n{wrap(text)}"];')
        out.append("  }")
    for (source, target), (how, _) in rules.edges.items():
        if ANY_ROOM in (source, target) or source.startswith("tests"):
            continue
        style = ' [style=dashed, label=" loads"]' if how == "load" else \
            ' [style=bold, color="#999999"]' if how == "link" else ""
        out.append(f"  {dot_name(source)} -> {dot_name(target)}{style};")
    out.append("}")
    return "\n".join(out) + "\n"


def wrap(text, width=28):
    """text cut at its first full stop or semicolon and wrapped into lines for a box."""
    text = re.split(r"[;.]", text)[0]
    lines = []
    for word in text.split():
        if lines and len(lines[-1]) + 1 + len(word) <= width:
            lines[-1] += " " + word
        else:
            lines.append(word)
    return "\\n".join(lines[:3])


def check_picture(root, rules):
    dot = root / "docs" / "architecture.dot"
    if not dot.is_file():
        return []
    if dot.read_text(encoding="utf-8") != render_dot(rules):
        return ["docs/architecture.dot is not the table's picture: run scripts/check-architecture.py"
                " --dot >docs/architecture.dot, then dot -Tpng -Gdpi=96 docs/architecture.dot"
                " -o docs/architecture.png"]
    return []


AVX2_FLAGS = re.compile(r"(^|\s)(-mavx2|/arch:AVX2)(\s|$)")
FUNCTION_TYPES = {"T", "W", "i"}


def compiled_objects(build):
    """The objects of the build's compilation database: (AVX2 objects, other objects)."""
    database = build / "compile_commands.json"
    if not database.is_file():
        raise SystemExit(f"{database} is missing: configure with CMAKE_EXPORT_COMPILE_COMMANDS")
    avx2 = []
    baseline = []
    for entry in json.loads(database.read_text(encoding="utf-8")):
        arguments = entry.get("arguments") or shlex.split(entry["command"])
        output = entry.get("output")
        if output is None and "-o" in arguments:
            output = arguments[arguments.index("-o") + 1]
        if output is None:
            continue
        obj = Path(entry["directory"], output)
        (avx2 if AVX2_FLAGS.search(" ".join(arguments)) else baseline).append(obj)
    return avx2, baseline


def defined_functions(objects):
    """For each object that exists, the mangled names of the functions it defines for others."""
    existing = [str(obj) for obj in objects if obj.is_file()]
    functions = {obj: set() for obj in existing}
    for start in range(0, len(existing), 200):
        batch = existing[start:start + 200]
        listing = subprocess.run(["nm", "-A", "-P", "--defined-only"] + batch, check=True,
                                 capture_output=True, text=True).stdout
        for line in listing.splitlines():
            # "file.o: symbol type value size"; a file name may hold ": " itself.
            name_part, _, rest = line.rpartition(": ")
            fields = rest.split()
            if len(fields) >= 2 and fields[1] in FUNCTION_TYPES:
                functions.setdefault(name_part, set()).add(fields[0])
    return functions


def demangle(names):
    try:
        text = subprocess.run(["c++filt"], input="\n".join(names), check=True,
                              capture_output=True, text=True).stdout
        return text.splitlines()
    except (OSError, subprocess.CalledProcessError):
        return list(names)


def check_objects(build):
    avx2, baseline = compiled_objects(build)
    missing = [str(obj) for obj in avx2 if not obj.is_file()]
    if not avx2:
        return [f"{build}: no object is compiled for AVX2"]
    if missing:
        return [f"{obj}: not built" for obj in missing]
    avx2_functions = defined_functions(avx2)
    baseline_functions = defined_functions(baseline)
    problems = []
    for obj, names in sorted(avx2_functions.items()):
        shared = {}
        for other, other_names in baseline_functions.items():
            for name in names & other_names:
                shared.setdefault(name, other)
        ordered = sorted(shared)
        for name, readable in zip(ordered, demangle(ordered)):
            problems.append(f"{readable}: defined in {obj}, compiled for AVX2, and in "
                            f"{shared[name]}, compiled for the baseline")
    return problems


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    top = Path(__file__).resolve().parent.parent
    parser.add_argument("--root", type=Path, default=top, help="the top folder of the tree")
    parser.add_argument("--rules", type=Path, help="the table (default: ROOT/docs/"
                                                   "architecture-rules.md)")
    parser.add_argument("--objects", type=Path, metavar="BUILD",
                        help="check the AVX2 symbols of the objects of this build folder instead")
    parser.add_argument("--dot", action="store_true", help="print the picture's graphviz text")
    options = parser.parse_args(argv)
    if options.objects:
        problems = check_objects(options.objects)
        what = f"the objects of {options.objects}"
        kept = "no function is built both for AVX2 and for the baseline"
    else:
        rules_path = options.rules or options.root / "docs" / "architecture-rules.md"
        rules, problems = read_rules(rules_path)
        if options.dot:
            sys.stdout.write(render_dot(rules))
            return 0
        problems += check_includes(options.root, rules)
        problems += check_picture(options.root, rules)
        what = f"the includes of {options.root}"
        kept = "as the table says"
    for problem in problems:
        print(problem)
    if problems:
        print(f"architecture check of {what}: {len(problems)} faults")
        return 1
    print(f"architecture check of {what}: {kept}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
