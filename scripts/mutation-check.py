#!/usr/bin/python3
"""Mutation check: do the tests catch a list of deliberate faults?

Each fault of the list (scripts/mutation-faults.txt) is one small change of one source file, a
bug that a developer could make: an off-by-one, a wrong comparison, a check left out. For every
fault in turn the script puts the change into the source tree, rebuilds, runs the tests, records
which tests failed, and restores the file byte for byte. A fault is caught when at least one
test fails. Run it before and after a change that must not weaken the tests (a restructure of
the tree, a rewrite of a test): every fault caught before must still be caught after.

Steps:
  1. Configures the build folder when it holds no build yet (the settings of the "default"
     preset: cmake -S TREE -B BUILD -DCMAKE_BUILD_TYPE=RelWithDebInfo), builds the unchanged
     tree and runs the tests once; all of them must pass, or the script stops.
  2. Per fault: checks that its original text occurs exactly once in its file, puts in the
     replacement, runs `cmake --build BUILD -j N` and
     `ctest --test-dir BUILD -j N -E REGEX --timeout 300` (whose JUnit report names the failed
     tests), and restores the file, also when the script is interrupted (Ctrl-C, SIGTERM) or
     fails. A copy of the file waits in BUILD/mutation-backup/ while it is changed; a run that
     finds one there (after a kill -9) puts it back before anything else. A fault that does not
     build is an error of the list, not a caught fault.
  3. Rebuilds the restored tree, prints a table (fault, file, caught or not, the failing
     tests), writes the same as JSON when --results is given, and exits 1 when a fault was not
     caught or did not build (2 for a setup error: a bad list, a failing clean tree).

The build and test output of each fault is kept in BUILD/mutation-logs/.

Usage:
  nice -n 10 /usr/bin/python3 scripts/mutation-check.py [--list FILE] [--tree DIR]
      [--build DIR] [--only ID[,ID...]] [--jobs N] [--results FILE] [--exclude-tests REGEX]

  --list           the fault list (default: mutation-faults.txt beside this script)
  --tree           the source tree (default: the repository this script is in)
  --build          the build folder (default: TREE/build/mutation)
  --only           check only these faults, e.g. --only A03,M11
  --jobs           parallel build and test jobs (default: the number of processors)
  --results        write the results as JSON to this file
  --exclude-tests  ctest -E: tests not run (default: python_install|bench_smoke, the slow
                   install test and the benchmark smoke test; "" runs every test)

Time, on two cores: about half a minute per fault (an incremental rebuild of what the changed
file touches, 5 to 50 s, then the tests, 10 to 40 s), so about half an hour for the whole list of
56 faults; the first build of a new build folder adds about four minutes.

Fault list format: one block per fault, blocks separated by blank lines, lines starting with '#'
are comments:

  [A01] addon/shell/instructions.cpp
  what the fault does, in a few words
  - the original text (one or more lines, each starting with "- ")
  + the replacement (one or more lines, each starting with "+ ")

The lines of each part are joined with newlines; a part's line that is just "-" or "+" is an
empty line. A fault without "+" lines deletes its original text. The original text must occur
exactly once in the file (overlapping occurrences count).
"""

import argparse
import datetime
import json
import os
import re
import shlex
import signal
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree

SCRIPT_DIR = os.path.dirname(os.path.abspath(__file__))
DEFAULT_EXCLUDE = "python_install|bench_smoke"
TEST_TIMEOUT = 300
SHOWN_TESTS = 3  # failing tests named in the table; the rest are counted


class SetupError(Exception):
    """A problem that stops the check before or between faults (exit status 2)."""


class Fault:
    def __init__(self, fault_id, path, description, original, replacement, line):
        self.id = fault_id
        self.path = path
        self.description = description
        self.original = original
        self.replacement = replacement
        self.line = line  # of the block's header in the list


# ---- The fault list.

HEADER = re.compile(r"^\[([A-Za-z0-9_.-]+)\]\s+(\S+)\s*$")


def parse_fault_list(path):
    """The faults of the list file, in order. Raises SetupError for a malformed block."""
    try:
        with open(path, encoding="utf-8") as f:
            lines = f.read().split("\n")
    except OSError as e:
        raise SetupError(f"cannot read the fault list {path}: {e.strerror}") from e
    blocks = []
    current = []
    for number, line in enumerate(lines, start=1):
        line = line.rstrip("\r")
        if line.startswith("#"):
            continue
        if line.strip() == "":
            if current:
                blocks.append(current)
                current = []
            continue
        current.append((number, line))
    if current:
        blocks.append(current)

    faults = []
    seen = {}
    for block in blocks:
        first_line, header = block[0]
        where = f"{path}:{first_line}"
        match = HEADER.match(header)
        if not match:
            raise SetupError(f"{where}: a fault starts with \"[ID] path\", not {header!r}")
        fault_id, file_path = match.groups()
        if fault_id in seen:
            raise SetupError(f"{where}: fault {fault_id} is listed twice (also at line "
                             f"{seen[fault_id]})")
        seen[fault_id] = first_line
        description = []
        original = []
        replacement = []
        for number, line in block[1:]:
            if line == "-" or line.startswith("- "):
                if replacement:
                    raise SetupError(f"{path}:{number}: fault {fault_id}: an original line after "
                                     "the replacement")
                original.append(line[2:])
            elif line == "+" or line.startswith("+ "):
                if not original:
                    raise SetupError(f"{path}:{number}: fault {fault_id}: a replacement line "
                                     "before the original text")
                replacement.append(line[2:])
            elif original:
                raise SetupError(f"{path}:{number}: fault {fault_id}: a line that starts with "
                                 f"neither \"- \" nor \"+ \": {line!r}")
            else:
                description.append(line.strip())
        if not description:
            raise SetupError(f"{where}: fault {fault_id} says nothing about what it does")
        if not original or "\n".join(original) == "":
            raise SetupError(f"{where}: fault {fault_id} has no original text")
        original_text = "\n".join(original)
        replacement_text = "\n".join(replacement)
        if original_text == replacement_text:
            raise SetupError(f"{where}: fault {fault_id} changes nothing")
        faults.append(Fault(fault_id, file_path, " ".join(description), original_text,
                            replacement_text, first_line))
    if not faults:
        raise SetupError(f"the fault list {path} holds no fault")
    return faults


def occurrences(data, text):
    """How often text occurs in data, overlapping occurrences included."""
    count = 0
    at = data.find(text)
    while at != -1:
        count += 1
        at = data.find(text, at + 1)
    return count


def check_fault(tree, fault):
    """The path of the fault's file and its bytes; SetupError unless the original text occurs
    exactly once."""
    path = os.path.join(tree, fault.path)
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        raise SetupError(f"fault {fault.id}: cannot read {fault.path}: {e.strerror}") from e
    count = occurrences(data, fault.original.encode("utf-8"))
    if count != 1:
        shown = fault.original if len(fault.original) < 200 else fault.original[:200] + "..."
        raise SetupError(f"fault {fault.id} (list line {fault.line}): its original text occurs "
                         f"{count} times in {fault.path}, not once: {shown!r}")
    return path, data


# ---- Restoring files.

def write_bytes(path, data):
    """Writes data over the file at path (same inode, same permissions) and reads it back."""
    with open(path, "r+b") as f:
        f.write(data)
        f.truncate()
        f.flush()
        os.fsync(f.fileno())
    with open(path, "rb") as f:
        if f.read() != data:
            raise OSError(f"{path} does not read back as written")


def restore_leftovers(tree, backup_dir):
    """Puts back the files that an earlier, killed run left changed (their copies wait in
    backup_dir)."""
    if not os.path.isdir(backup_dir):
        return
    for folder, _, names in os.walk(backup_dir):
        for name in names:
            backup = os.path.join(folder, name)
            relative = os.path.relpath(backup, backup_dir)
            target = os.path.join(tree, relative)
            with open(backup, "rb") as f:
                data = f.read()
            with open(target, "rb") as f:
                current = f.read()
            if current != data:
                write_bytes(target, data)
                print(f"restored {relative}, left changed by an earlier run", flush=True)
            os.remove(backup)
    remove_empty_folders(backup_dir)


def remove_empty_folders(top):
    """Removes the empty folders under top, top itself included."""
    for folder, _, _ in sorted(os.walk(top), key=lambda entry: -len(entry[0])):
        try:
            os.rmdir(folder)
        except OSError:
            pass


class AppliedFault:
    """The fault's change in its file while the with-block runs; the file's original bytes
    afterwards, however the block ends. A copy waits in the backup folder meanwhile."""

    def __init__(self, tree, backup_dir, fault):
        self.path, self.original = check_fault(tree, fault)
        self.backup_dir = backup_dir
        self.backup = os.path.join(backup_dir, fault.path)
        self.changed = self.original.replace(fault.original.encode("utf-8"),
                                             fault.replacement.encode("utf-8"), 1)

    def __enter__(self):
        os.makedirs(os.path.dirname(self.backup), exist_ok=True)
        with open(self.backup + ".tmp", "wb") as f:
            f.write(self.original)
            f.flush()
            os.fsync(f.fileno())
        os.replace(self.backup + ".tmp", self.backup)
        write_bytes(self.path, self.changed)
        return self

    def __exit__(self, *exc):
        write_bytes(self.path, self.original)
        os.remove(self.backup)
        remove_empty_folders(self.backup_dir)
        return False


# ---- Running the build and the tests.

def run_logged(command, log_path):
    """Runs command with its output in log_path; its exit status. The command runs in a process
    group of its own, which is ended when this script is interrupted."""
    with open(log_path, "w", encoding="utf-8", errors="replace") as log:
        log.write("$ " + " ".join(shlex.quote(c) for c in command) + "\n")
        log.flush()
        process = subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            return process.wait()
        except BaseException:
            end_process_group(process)
            raise


def end_process_group(process):
    for sig, wait in ((signal.SIGTERM, 5), (signal.SIGKILL, 5)):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            return
        try:
            process.wait(timeout=wait)
            return
        except subprocess.TimeoutExpired:
            continue


def log_tail(log_path, lines=25):
    with open(log_path, encoding="utf-8", errors="replace") as f:
        return "".join(f.readlines()[-lines:])


def configure(tree, build, log_dir):
    cache = os.path.join(build, "CMakeCache.txt")
    if not os.path.exists(cache):
        print(f"configuring {build}", flush=True)
        log = os.path.join(log_dir, "configure.log")
        status = run_logged(["cmake", "-S", tree, "-B", build,
                             "-DCMAKE_BUILD_TYPE=RelWithDebInfo"], log)
        if status != 0:
            raise SetupError(f"configuring {build} failed (log: {log}):\n{log_tail(log)}")
    # A folder configured for another tree would build and test that tree, unchanged.
    with open(cache, encoding="utf-8", errors="replace") as f:
        match = re.search(r"^CMAKE_HOME_DIRECTORY:INTERNAL=(.*)$", f.read(), re.MULTILINE)
    if match is None or os.path.realpath(match.group(1)) != os.path.realpath(tree):
        source = match.group(1) if match else "an unknown tree"
        raise SetupError(f"{build} is the build folder of {source}, not of {tree}: "
                         "give another --build")


def build_tree(build, jobs, log_path):
    return run_logged(["cmake", "--build", build, "-j", str(jobs)], log_path)


FAILED_LINE = re.compile(r"^\s*\d+ - (\S+) \(([^)]*)\)\s*$")


def run_tests(build, jobs, exclude, log_path, junit_path):
    """Runs the tests. Returns (names of every test run, names of the failed ones, names of
    those that did not run, problem): problem is None unless ctest's own result does not fit
    what it reported of the tests."""
    if os.path.exists(junit_path):
        os.remove(junit_path)
    command = ["ctest", "--test-dir", build, "-j", str(jobs), "--timeout", str(TEST_TIMEOUT),
               "--no-tests=error", "--output-junit", junit_path]
    if exclude:
        command += ["-E", exclude]
    status = run_logged(command, log_path)
    ran, failed, not_run = [], [], []
    try:
        root = ElementTree.parse(junit_path).getroot()
        for case in root.iter("testcase"):
            name = case.get("name")
            state = case.get("status")
            ran.append(name)
            if state == "fail" or case.find("failure") is not None:
                failed.append(name)
            elif state != "run":
                not_run.append(name)
    except (OSError, ElementTree.ParseError):
        # No report (ctest itself failed): the summary of its output names the failed tests.
        in_failed = False
        with open(log_path, encoding="utf-8", errors="replace") as f:
            for line in f:
                if line.startswith("The following tests"):
                    in_failed = line.startswith("The following tests FAILED")
                    continue
                match = FAILED_LINE.match(line)
                if in_failed and match:
                    failed.append(match.group(1))
    problem = None
    if status != 0 and not failed:
        problem = f"ctest failed (status {status}) without a failed test: see {log_path}"
    elif status == 0 and failed:
        problem = f"ctest reported success but tests failed: see {log_path}"
    return ran, failed, not_run, problem


# ---- Reporting.

def shortened(tests):
    if not tests:
        return "-"
    shown = ", ".join(tests[:SHOWN_TESTS])
    if len(tests) > SHOWN_TESTS:
        shown += f" (+{len(tests) - SHOWN_TESTS} more, {len(tests)} in all)"
    return shown


def caught_text(result):
    return {"caught": "yes", "not caught": "NO", "does not compile": "NO (does not compile)",
            "error": "NO (error)"}[result["status"]]


def print_table(results):
    rows = [("ID", "File", "Caught", "Failing tests")]
    for r in results:
        rows.append((r["id"], r["file"], caught_text(r), shortened(r["failed_tests"])))
    widths = [max(len(row[c]) for row in rows) for c in range(3)]
    print()
    for row in rows:
        print("  ".join(row[c].ljust(widths[c]) for c in range(3)) + "  " + row[3])
    print()


def duration(seconds):
    seconds = int(round(seconds))
    return f"{seconds // 3600}h{seconds // 60 % 60:02d}m{seconds % 60:02d}s"


# ---- The check.

def check_one(fault, tree, build, jobs, exclude, backup_dir, log_dir, baseline_tests):
    result = {"id": fault.id, "file": fault.path, "description": fault.description,
              "status": None, "failed_tests": [], "not_run_tests": [], "note": "",
              "build_seconds": 0.0, "test_seconds": 0.0}
    build_log = os.path.join(log_dir, f"{fault.id}-build.log")
    test_log = os.path.join(log_dir, f"{fault.id}-ctest.log")
    junit = os.path.join(log_dir, f"{fault.id}-junit.xml")
    with AppliedFault(tree, backup_dir, fault):
        started = time.monotonic()
        built = build_tree(build, jobs, build_log) == 0
        result["build_seconds"] = round(time.monotonic() - started, 1)
        if not built:
            result["status"] = "does not compile"
            result["note"] = f"the build failed: see {build_log}"
            return result
        started = time.monotonic()
        ran, failed, not_run, problem = run_tests(build, jobs, exclude, test_log, junit)
        result["test_seconds"] = round(time.monotonic() - started, 1)
    result["failed_tests"] = failed
    result["not_run_tests"] = [t for t in not_run if t in baseline_tests["passed"]]
    missing = sorted(set(baseline_tests["ran"]) - set(ran))
    notes = []
    if missing:
        notes.append(f"{len(missing)} tests of the clean run did not run: {shortened(missing)}")
    if result["not_run_tests"]:
        notes.append("skipped, passed in the clean run: " + shortened(result["not_run_tests"]))
    if problem:
        notes.append(problem)
    result["note"] = "; ".join(notes)
    if failed:
        result["status"] = "caught"
    elif problem:
        result["status"] = "error"
    else:
        result["status"] = "not caught"
    return result


def main():
    parser = argparse.ArgumentParser(
        description="Puts each fault of a list into the source tree, rebuilds, runs the tests and "
                    "reports which faults the tests catch.")
    parser.add_argument("--list", default=os.path.join(SCRIPT_DIR, "mutation-faults.txt"),
                        help="the fault list (default: %(default)s)")
    parser.add_argument("--tree", default=os.path.dirname(SCRIPT_DIR),
                        help="the source tree (default: %(default)s)")
    parser.add_argument("--build", help="the build folder (default: TREE/build/mutation)")
    parser.add_argument("--only", help="check only these faults: ID[,ID...]")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1,
                        help="parallel build and test jobs (default: %(default)s)")
    parser.add_argument("--results", help="write the results as JSON to this file")
    parser.add_argument("--exclude-tests", default=DEFAULT_EXCLUDE,
                        help="ctest -E: tests not run (default: %(default)s)")
    args = parser.parse_args()
    if args.jobs < 1:
        parser.error("--jobs must be at least 1")

    # SIGTERM and SIGHUP end the check as Ctrl-C does, so that the file in work is restored.
    def interrupted(signum, _frame):
        raise KeyboardInterrupt(f"signal {signum}")
    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGHUP, interrupted)

    tree = os.path.realpath(args.tree)
    build = os.path.realpath(args.build or os.path.join(tree, "build", "mutation"))
    results_path = os.path.abspath(args.results) if args.results else None
    backup_dir = os.path.join(build, "mutation-backup")
    log_dir = os.path.join(build, "mutation-logs")
    started = time.monotonic()
    started_at = datetime.datetime.now().astimezone()

    try:
        if not os.path.isfile(os.path.join(tree, "CMakeLists.txt")):
            raise SetupError(f"{tree} is no source tree: it has no CMakeLists.txt")
        faults = parse_fault_list(args.list)
        if args.only:
            wanted = [i.strip() for i in args.only.split(",") if i.strip()]
            known = {f.id for f in faults}
            unknown = [i for i in wanted if i not in known]
            if unknown:
                raise SetupError("--only names faults that the list does not hold: " +
                                 ", ".join(unknown))
            faults = [f for f in faults if f.id in wanted]
        restore_leftovers(tree, backup_dir)
        for fault in faults:
            check_fault(tree, fault)
        os.makedirs(log_dir, exist_ok=True)

        configure(tree, build, log_dir)
        print(f"building the clean tree in {build}", flush=True)
        clean_build_log = os.path.join(log_dir, "clean-build.log")
        if build_tree(build, args.jobs, clean_build_log) != 0:
            raise SetupError(f"the clean tree does not build (log: {clean_build_log}):\n"
                             f"{log_tail(clean_build_log)}")
        print("running the tests on the clean tree", flush=True)
        clean_test_log = os.path.join(log_dir, "clean-ctest.log")
        ran, failed, not_run, problem = run_tests(
            build, args.jobs, args.exclude_tests, clean_test_log,
            os.path.join(log_dir, "clean-junit.xml"))
        if failed or problem:
            raise SetupError("the tests do not all pass on the clean tree, so a fault cannot be "
                             f"told from what is broken already: {shortened(failed)} "
                             f"{problem or ''} (log: {clean_test_log})")
        baseline = {"ran": ran, "passed": [t for t in ran if t not in not_run]}
        print(f"clean tree: {len(ran)} tests, all pass ({len(not_run)} skipped)", flush=True)

        results = []
        for number, fault in enumerate(faults, start=1):
            print(f"[{number}/{len(faults)}] {fault.id} {fault.path}: {fault.description}",
                  flush=True)
            result = check_one(fault, tree, build, args.jobs, args.exclude_tests, backup_dir,
                               log_dir, baseline)
            results.append(result)
            print(f"    {caught_text(result)}: {shortened(result['failed_tests'])}"
                  f"{'  [' + result['note'] + ']' if result['note'] else ''}"
                  f"  (build {result['build_seconds']:.0f} s, tests "
                  f"{result['test_seconds']:.0f} s)", flush=True)

        print("rebuilding the restored tree", flush=True)
        final_log = os.path.join(log_dir, "final-build.log")
        if build_tree(build, args.jobs, final_log) != 0:
            raise SetupError(f"the restored tree does not build (log: {final_log})")
    except SetupError as e:
        print(f"mutation-check: {e}", file=sys.stderr)
        return 2
    except KeyboardInterrupt:
        print("mutation-check: interrupted; every changed file has been restored",
              file=sys.stderr)
        return 130

    elapsed = time.monotonic() - started
    print_table(results)
    counts = {}
    for r in results:
        counts[r["status"]] = counts.get(r["status"], 0) + 1
    summary = ", ".join(f"{n} {s}" for s, n in sorted(counts.items()))
    print(f"{len(results)} faults: {summary}; total time {duration(elapsed)}")
    for r in results:
        if r["status"] != "caught":
            print(f"  {r['id']} {r['file']}: {r['status']}: {r['description']}"
                  f"{' (' + r['note'] + ')' if r['note'] else ''}")

    if results_path:
        report = {
            "command": [sys.executable] + sys.argv,
            "tree": tree,
            "build": build,
            "fault_list": os.path.abspath(args.list),
            "exclude_tests": args.exclude_tests,
            "jobs": args.jobs,
            "started": started_at.isoformat(timespec="seconds"),
            "total_seconds": round(elapsed, 1),
            "clean_tests": len(baseline["ran"]),
            "summary": counts,
            "faults": results,
        }
        with open(results_path, "w", encoding="utf-8") as f:
            json.dump(report, f, indent=2)
            f.write("\n")
        print(f"results written to {results_path}")
    return 0 if all(r["status"] == "caught" for r in results) else 1


if __name__ == "__main__":
    sys.exit(main())
