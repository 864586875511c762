#!/usr/bin/env python3
"""Writes the seed corpus of the load fuzz target into tools/fuzz/corpus.

Each seed is one input of the target: the bytes of a.out, optionally followed by the file
marker and the bytes of b.out, optionally followed by the fault marker and a fault plan (see
fuzz_input.h). The seeds are the heads of the examples and
of the real data files, and one small file for each kind of fault and edge that the reader
knows. Run it again after changing it; the seeds are checked in.
"""

import pathlib

ROOT = pathlib.Path(__file__).resolve().parents[2]
CORPUS = ROOT / "tools" / "fuzz" / "corpus"
MARKER = b"%%next-file%%"
FAULTS = b"%%faults%%"

# The host calls that a fault plan can refuse, in the order of refusableCalls() in
# selection_load.cpp; one choice more is an allocation of the add-on. Registration is over before
# a plan is armed, so its calls are left out here.
REFUSABLE = ("QorUtilAddOnRegister", "QorUtilImportAddLoaderX", "QorUtilArgListAlloc",
             "QorUtilArgListAppendString", "QorUtilArgListAppendInt",
             "QorUtilArgListAppendFunction", "QorUtilArgListAppendStringList",
             "QorUtilArgListAppendArray", "QorUtilArgListAppendArray-result-2",
             "QorUtilStringListAlloc", "QorUtilStringListGetCount",
             "QorUtilStringListGetRawStringPtr", "QorUtilStringListAppendString",
             "QorUtilStringListAppend", "QorUtilDataSetCreateX", "QorUtilDataSetGetNumZones",
             "QorUtilDataSetAddZoneX", "QorUtilDataValueGetWritableRawPtr",
             "QorUtilImportSetLoaderInstr", "QorUtilDataLoadFinishX")
REGISTRATION_ONLY = ("QorUtilAddOnRegister", "QorUtilImportAddLoaderX",
                     "QorUtilArgListAppendFunction")
ALLOCATION = len(REFUSABLE)

# Lines kept from the head of a long file: the header and a few rows are enough for the fuzzer
# to learn the layout, and keep each seed small.
HEAD_LINES = 24


def head(path, lines=HEAD_LINES):
    with open(path, "rb") as f:
        return b"".join(f.readlines()[:lines])


def text(*lines, end=b"\n"):
    return end.join(line.encode("latin-1") if isinstance(line, str) else line
                    for line in lines) + end


ONE_ZONE = ("# CONVERGE 4.0.3", "# column 1 2 3", "#  Time  Steps  Ratio",
            "#  (s)  (number)  (dimensionless)", "#")
ROWS = ("  0.5  1  0.25", "  1.5  2  0.5", "  2.5  3  0.75")
TWO_ZONES = ("# CONVERGE", "# column 1 2 3 4 5", "# Crank Mass Temp Mass Temp",
             "# (DEG) (kg) (K) (kg) (K)", "# (none) Region0 Region0 Region1 Region1")
ZONE_ROWS = ("-378 1.2e-03 300 1.1e-03 310", "-377 1.3e-03 301 1.2e-03 311")

SEEDS = {
    # Files that load.
    "one-zone": text(*ONE_ZONE, *ROWS),
    "one-zone-no-final-newline": text(*ONE_ZONE, *ROWS)[:-1],
    "one-zone-crlf": text(*ONE_ZONE, *ROWS, end=b"\r\n"),
    "one-zone-missing-data": text("# CONVERGE", "# column 1 2 3 4", "# A B C D",
                                  "# (m) (m) (number) (m)", "#", "1 2", "3 4"),
    "one-zone-repeated-names": text("# converge", "# Column 1 2", "# P P", "# (Pa) (Pa)", "#",
                                    "1 2", "3 4"),
    "one-zone-word-after-values": text(*ONE_ZONE, "0.5 1 0.25 end", "1.5 2 0.5 x"),
    "two-zones-shared": text(*TWO_ZONES, *ZONE_ROWS),
    "zones-a-b-a": text("# CONVERGE", "# column 1 2 3", "# X X X", "# (m) (m) (m)",
                        "# A B A", "1 2 3"),
    "locations-all-none": text("# CONVERGE", "# column 1 2", "# X Y", "# (m) (number)",
                               "# (none) (NONE)", "1 2"),
    "location-none-between": text("# CONVERGE", "# column 1 2 3", "# X Y Z", "# (m) (m) (m)",
                                  "# A (none) A", "1 2 3"),
    "integer-limits": text("# CONVERGE", "# column 1 2", "# N M", "# (number) (number)", "#",
                           "2147483647 -2147483648", "9223372036854775807 +7"),
    "double-forms": text("# CONVERGE", "# column 1 2 3 4", "# A B C D", "# (m) (m) (m) (m)", "#",
                         "1e308 -0.0 +2.5 4.9e-324", "inf nan 0x1p3 .5"),
    "eight-bit-names": text("# CONVERGE", "# column 1 2", b"# Temp\xc3\xa9rature Dr\xfcck",
                            b"# (\xc2\xb0C) (bar\xff)", b"# R\xc3\xa9gion R\xc3\xa9gion", "1 2"),
    "wide-header": text("# CONVERGE", "# column " + " ".join(str(i) for i in range(1, 201)),
                        "# " + " ".join("v%d" % i for i in range(200)),
                        "# " + " ".join("(m)" for _ in range(200)), "#",
                        " ".join(str(i) for i in range(200))),
    "long-banner": text("# CONVERGE " + "x" * 4000, *ONE_ZONE[1:], *ROWS),
    "many-rows": text(*ONE_ZONE, *("%d %d %d.5" % (i, i, i) for i in range(400))),
    # Header faults.
    "empty": b"",
    "one-line": text("# CONVERGE"),
    "five-lines-only": text(*ONE_ZONE),
    "banner-no-space": text("#CONVERGE", *ONE_ZONE[1:], *ROWS),
    "banner-other-word": text("# CONVERGED", *ONE_ZONE[1:], *ROWS),
    "banner-bom": b"\xef\xbb\xbf" + text(*ONE_ZONE, *ROWS),
    "empty-line-1": text("", *ONE_ZONE[1:], *ROWS),
    "column-row-gap": text("# CONVERGE", "# column 1 3", "# A B", "# (m) (m)", "#", "1 2"),
    "column-row-from-0": text("# CONVERGE", "# column 0 1", "# A B", "# (m) (m)", "#", "1 2"),
    "column-row-word": text("# CONVERGE", "# column 1 two", "# A B", "# (m) (m)", "#", "1 2"),
    "column-row-alone": text("# CONVERGE", "# column", "# A", "# (m)", "#", "1"),
    "line-2-blank": text("# CONVERGE", "", "# A", "# (m)", "#", "1"),
    "secondary-row-short": text("# CONVERGE", "# column 1 2", "# A B", "# (m)", "#", "1 2"),
    "location-row-short": text("# CONVERGE", "# column 1 2", "# A B", "# (m) (m)", "# R0", "1 2"),
    "name-row-empty": text("# CONVERGE", "# column 1", "#", "# (m)", "#", "1"),
    "first-row-word": text(*ONE_ZONE, "time 1 2"),
    "first-row-blank": text(*ONE_ZONE, "", *ROWS),
    "first-row-too-many": text(*ONE_ZONE, "1 2 3 4"),
    "zones-missing-data": text(*TWO_ZONES, "1 2 3 4"),
    "zones-name-row-short": text("# CONVERGE", "# column 1 2 3", "# A B", "# (m) (m) (m)",
                                 "# R0 R1 R1", "1 2 3"),
    "cr-only-line-ends": text(*ONE_ZONE, *ROWS, end=b"\r"),
    "nul-in-banner": text(b"# CONVERGE\x00tail", *ONE_ZONE[1:], *ROWS),
    "not-a-table": text("plain text,", "not an output file", "", "at all"),
    # Data row faults.
    "row-too-many": text(*ONE_ZONE, "1 2 3", "1 2 3 4"),
    "row-short": text(*ONE_ZONE, "1 2 3", "1 2"),
    "row-float-in-integer": text(*ONE_ZONE, "1 2 3", "1 2.5 3"),
    "row-blank-at-end": text(*ONE_ZONE, *ROWS, ""),
    "row-nul": text(*ONE_ZONE, "1 2 3", b"1\x00 2 3"),
    "row-truncated": text(*ONE_ZONE, *ROWS)[:-9],
    "row-double-overflow": text(*ONE_ZONE, "1 2 3", "1e999 2 3"),
    "row-int-overflow": text(*ONE_ZONE, "1 2 3", "1 99999999999999999999 3"),
    # Two files.
    "two-files": text(*ONE_ZONE, *ROWS) + MARKER + text(*ONE_ZONE, *ROWS[:2]),
    "same-file-twice": text(*TWO_ZONES, *ZONE_ROWS) + MARKER,
    "two-files-zones-then-one": text(*TWO_ZONES, *ZONE_ROWS) + MARKER +
                                text("# CONVERGE", "# column 1 2 3", "# Crank Mass Temp",
                                     "# (DEG) (kg) (K)", "#", "1 2 3", "4 5 6", "7 8 9"),
    "second-names-order": text(*ONE_ZONE, *ROWS) + MARKER +
                          text("# CONVERGE", "# column 1 2 3", "# Steps Time Ratio",
                               "# (number) (s) (dimensionless)", "#", "1 0.5 0.25"),
    "second-type-differs": text(*ONE_ZONE, *ROWS) + MARKER +
                           text("# CONVERGE", "# column 1 2 3", "# Time Steps Ratio",
                                "# (s) (dimensionless) (dimensionless)", "#", "1 0.5 0.25"),
    "second-more-variables": text(*ONE_ZONE, *ROWS) + MARKER +
                             text("# CONVERGE", "# column 1 2 3 4", "# Time Steps Ratio X",
                                  "# (s) (number) (dimensionless) (m)", "#", "1 2 3 4"),
    "second-header-fault": text(*ONE_ZONE, *ROWS) + MARKER + text("# CONVERGE"),
    "second-row-fault": text(*ONE_ZONE, *ROWS) + MARKER + text(*ONE_ZONE, "1 2 3", "x"),
    "second-longer": text(*ONE_ZONE, "1 2 3") + MARKER + text(*ONE_ZONE, *ROWS, *ROWS),
    "second-nul-only": text(*ONE_ZONE, *ROWS) + MARKER + b"\x00",
}


def main():
    CORPUS.mkdir(parents=True, exist_ok=True)
    for old in CORPUS.iterdir():
        old.unlink()
    seeds = dict(SEEDS)
    for name in ("engine_cycle", "regions_cycle1", "regions_cycle2"):
        seeds["example-" + name] = head(ROOT / "examples" / (name + ".out"))
    seeds["example-regions-both"] = (head(ROOT / "examples" / "regions_cycle1.out") + MARKER +
                                     head(ROOT / "examples" / "regions_cycle2.out"))
    realdata = ROOT / "tests" / "data" / "realdata"
    for name in ("mass_balance", "source_energy", "cell_count_regions", "amr"):
        seeds["realdata-" + name] = head(realdata / (name + ".out"))
    seeds["realdata-mech_check"] = (realdata / "mech_check.out").read_bytes()
    # Host refusals and failing allocations during a two-file load with shared columns.
    both = text(*TWO_ZONES, *ZONE_ROWS) + MARKER + text(*TWO_ZONES, *ZONE_ROWS, *ZONE_ROWS)
    for choice, call in enumerate(REFUSABLE):
        if call in REGISTRATION_ONLY:
            continue
        for nth in (1, 2, 3):
            seeds["fault-%s-%d" % (call, nth)] = both + FAULTS + bytes([choice, nth - 1])
    for nth in (1, 5, 10, 20, 40, 60, 80, 100, 120, 160, 200, 250):
        seeds["fault-allocation-%d" % nth] = both + FAULTS + bytes([ALLOCATION, nth - 1])
    for name, content in sorted(seeds.items()):
        (CORPUS / name).write_bytes(content)
    print("%d seeds in %s" % (len(seeds), CORPUS))


if __name__ == "__main__":
    main()
