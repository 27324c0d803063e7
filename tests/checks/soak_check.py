#!/usr/bin/env python3
"""Checks the end of a soak run (scripts/soak): nothing lost.

  soak_check.py <database site> <csv site> <csv generator log> [taken folder]

Database site: every Q, P and sheet-resistance record of its in-line databases has its
file, with the content the independent model (tests/checks/expected_kalix_files.py) gives it.
Csv site: every csv file the generator wrote is still in the input folder or has an
archive copy (as a file or inside a zip archive of the cleaner) with its content, and
nothing under the input folder was lost on the way. Files the KALIX stand-in took out of
the "new" folders are looked for under <taken folder>/<site folder name>/ with the same
relative path. Exit 0 when nothing is missing.
"""
import os
import sys
import zipfile

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)
import crash_catch_up  # noqa: E402
import expected_kalix_files as model_module  # noqa: E402


def located(site, rel, taken):
    """The file's path: where the scanner wrote it, or where the KALIX stand-in put it."""
    path = os.path.join(site, rel)
    if taken and not os.path.exists(path):
        moved = os.path.join(taken, os.path.basename(os.path.normpath(site)), rel)
        if os.path.exists(moved):
            return moved
    return path


def database_faults(site, taken):
    state = {"q": 0, "p": 0, "sr": 0, "files": {}}
    model = crash_catch_up.Mapped(site, model_module.DEMO_TABLES, state)
    while True:
        before = (state["q"], state["p"], state["sr"])
        model.passes(1)
        if (state["q"], state["p"], state["sr"]) == before:
            break
    faults = []
    files = 0
    for (step, record_id), rels in sorted(model.record_files.items()):
        for rel in rels:
            files += 1
            path = located(site, rel, taken)
            if not os.path.exists(path):
                faults.append("%s record %d: %s missing" % (step.upper(), record_id, rel))
                continue
            # Q and P records written at the same moment may share a name: which of them
            # comes last depends on the pass that saw each, so either content is right.
            with open(path, "rb") as f:
                if crash_catch_up.comparable(rel, f.read()) not in model.contents[rel]:
                    faults.append("%s record %d: %s differs" % (step.upper(), record_id, rel))
    sr = model.sr_files()
    for record_id, rel in sorted(sr.items()):
        path = located(site, rel, taken)
        if not os.path.exists(path):
            faults.append("sheet-resistance record %d: %s missing" % (record_id, rel))
            continue
        with open(path, "rb") as f:
            data = crash_catch_up.comparable(rel, f.read())
        if data != crash_catch_up.comparable(rel, state["files"][rel]):
            faults.append("sheet-resistance record %d: %s differs" % (record_id, rel))
    for name in ("q", "p", "sheetresistance"):
        stored = crash_catch_up.index(site, name)
        final = state["sr" if name == "sheetresistance" else name]
        if stored != final:
            faults.append("index %s is %d, the last record %d" % (name, stored, final))
    print("database site: %d Q and P records (%d files), %d sheet resistances" %
          (len(model.record_files), files, len(sr)))
    return faults


def csv_faults(site, log):
    with open(log) as f:
        written = [line.strip() for line in f if line.strip().lower().endswith(".csv")]
    copies = {}
    for folder, _, names in os.walk(site):
        for name in names:
            path = os.path.join(folder, name)
            if name.lower().endswith(".zip"):
                try:
                    with zipfile.ZipFile(path) as archive:
                        for entry in archive.namelist():
                            copies.setdefault(os.path.basename(entry), []).append(
                                lambda a=path, e=entry: zipfile.ZipFile(a).read(e))
                except zipfile.BadZipFile:
                    pass
            else:
                copies.setdefault(name, []).append(
                    lambda p=path: open(p, "rb").read())
    faults = []
    kept = archived = 0
    for csv in written:
        name = os.path.basename(csv)
        if os.path.exists(csv):
            kept += 1
            continue
        found = [c for c in copies.get(name, []) if os.path.dirname(csv) != c]
        if not found:
            faults.append("%s: neither in the input folder nor archived" % name)
            continue
        archived += 1
        if not any(c() for c in found):
            faults.append("%s: the archive copy is empty" % name)
    print("csv site: %d csv files written, %d archived, %d still in the input folder" %
          (len(written), archived, kept))
    return faults


def main():
    database_site, csv_site, log = sys.argv[1:4]
    taken = sys.argv[4] if len(sys.argv) > 4 else None
    faults = database_faults(database_site, taken) + csv_faults(csv_site, log)
    for fault in faults[:60]:
        print(fault)
    print("nothing lost" if not faults else "%d faults" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
