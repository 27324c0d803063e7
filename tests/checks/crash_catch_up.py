#!/usr/bin/env python3
"""Kills Lumotrax_SQL_spectrum_scanner with SIGKILL at random moments of a catch-up.

Builds a demo site with generated in-line databases, then runs the program's start-up and
timer passes (run_scanner --passes N) again and again, each run killed after
a random delay. After every kill it checks that
  - no file under a final name (.xy, ___SR.txt) is partial or otherwise wrong, and
  - no stored index passes a record whose file was not written;
at the end, after one run that is let finish, that every record's file exists with the
content the independent model (tests/checks/expected_kalix_files.py) expects, and that the indices
stand at the last records.

  crash_catch_up.py <build folder> <work folder> [--loads N] [--points N] [--kills K]
                    [--max-delay SECONDS] [--seed S]

The tools may be named one by one in the environment (MAKE_DEMO_INLINE_DATABASE,
MAKE_DEMO_TRANSLATION_TABLES, RUN_SCANNER). Exit 0 when nothing was lost.
"""
import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.normpath(os.path.join(here, "..", ".."))
sys.path.insert(0, here)
import expected_kalix_files as model_module  # noqa: E402


class Mapped(model_module.Model):
    """The model, also noting which files each Q and P record gives."""

    def __init__(self, *args):
        super().__init__(*args)
        self.step = None
        self.record_files = {}
        # Every content a path is given on the way (Q and P records may share a name).
        self.contents = {}

    def put(self, path, data, replace=True):
        if super().put(path, data, replace):
            self.contents.setdefault(self.rel(path), set()).add(comparable(self.rel(path), data))
            return True
        return False

    def q_step(self, db):
        self.step = "q"
        super().q_step(db)

    def p_step(self, db):
        self.step = "p"
        super().p_step(db)

    def write_spectrum(self, db, row, path, trim):
        key = (self.step, model_module.row_value(row, "Id"))
        files = self.record_files.setdefault(key, [])
        if os.path.isdir(path[:path.rfind("/")]):
            files.append(self.rel(path))
        super().write_spectrum(db, row, path, trim)

    def sr_files(self):
        """Id of every sheet-resistance record and the file it gives (or finds there)."""
        folder = (self.kalix + "database/products/" + self.product(self.kalix) +
                  "/measurements/new_results/")
        with self.open(self.sr_db) as db:
            rows = db.execute("select * from ScalarResults where resultname = '%s'" %
                              self.sr_key).fetchall()
        rv = model_module.row_value
        return {rv(row, "Id"): self.rel(folder + "%s___%d___%d___0___SR.txt" % (
            model_module.file_name_part(model_module.as_text(rv(row, "LoadID"))),
            model_module.rnd(float(rv(row, "LongitudinalPositionRelativeMm"))),
            model_module.rnd(float(rv(row, "LateralPositionRelativeMm"))))) for row in rows}


def run(command, **kwargs):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, **kwargs)


def index(site, name):
    path = os.path.join(site, "program", "last_lumotrax_%s_index.ini" % name)
    if not os.path.exists(path):
        return 0
    with open(path, "rb") as f:
        return int(f.read().strip() or b"0")


def comparable(rel, data):
    # Line 6 of a sheet-resistance file is the date and time of writing.
    if rel.endswith("___SR.txt"):
        lines = data.split(b"\r\n")
        if len(lines) > 5:
            lines[5] = b"<date and time>"
        return b"\r\n".join(lines)
    return data


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build")
    parser.add_argument("work")
    parser.add_argument("--loads", type=int, default=2)
    parser.add_argument("--points", type=int, default=5)
    parser.add_argument("--kills", type=int, default=5)
    parser.add_argument("--max-delay", type=float, default=0.0,
                        help="longest run before the kill (default: how long an undisturbed "
                             "catch-up of a copy of the site takes)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--max-rewritten", type=int, default=-1,
                        help="most files a run may write again that an earlier run had "
                             "delivered (default: not checked, only reported)")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()

    build = os.path.abspath(args.build)
    generator = os.environ.get("MAKE_DEMO_INLINE_DATABASE",
                               os.path.join(build, "tools", "make_demo_inline_database"))
    tables = os.environ.get("MAKE_DEMO_TRANSLATION_TABLES",
                            os.path.join(build, "tools", "make_demo_translation_tables"))
    program = os.environ.get("RUN_SCANNER", os.path.join(build, "tools", "run_scanner"))
    os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    site = os.path.join(work, "site")
    shutil.rmtree(site, ignore_errors=True)
    os.makedirs(site)
    run([os.path.join(root, "tools", "make-demo-site"), site])
    run([tables, os.path.join(site, "program")])
    run([generator, os.path.join(site, "inline_q.db"), "--loads", str(args.loads),
         "--points", str(args.points), "--seed", "7"])
    run([generator, os.path.join(site, "inline_p.db"), "--loads", str(args.loads),
         "--points", str(args.points), "--seed", "11"])

    # What the program must leave behind once it has caught up; worked out again whenever
    # the databases grow.
    initial = model_module.snapshot(Mapped(site, model_module.DEMO_TABLES,
                                           {"q": 0, "p": 0, "sr": 0, "files": {}}))
    expectation = {}

    def work_out():
        state = {"q": 0, "p": 0, "sr": 0, "files": dict(initial)}
        model = Mapped(site, model_module.DEMO_TABLES, state)
        passes = 0
        while True:
            before = (state["q"], state["p"], state["sr"])
            model.passes(1)
            passes += 1
            if (state["q"], state["p"], state["sr"]) == before:
                break
        expectation.update(
            model=model, passes=passes,
            files={rel: comparable(rel, data) for rel, data in state["files"].items()},
            finals={"q": state["q"], "p": state["p"], "sr": state["sr"]},
            sr_files=model.sr_files())

    work_out()
    roots = model_module.output_roots(expectation["model"])
    grown = 0

    def on_disk():
        found = {}
        for top in roots:
            for folder, _, names in os.walk(top):
                for name in names:
                    path = os.path.join(folder, name)
                    with open(path, "rb") as f:
                        found[expectation["model"].rel(path)] = f.read()
        return found

    faults = []

    def check(after):
        found = on_disk()
        model, expected = expectation["model"], expectation["files"]
        sr_files = expectation["sr_files"]
        for rel, data in found.items():
            if not (rel.endswith(".xy") or rel.endswith("___SR.txt")):
                continue  # a temporary file the kill left behind
            if rel not in expected:
                faults.append("%s: %s is no file of the model" % (after, rel))
            elif comparable(rel, data) not in model.contents.get(rel, {expected[rel]}):
                faults.append("%s: %s is partial or wrong (%d bytes)" % (after, rel, len(data)))
        for step in ("q", "p"):
            stored = index(site, step)
            for (which, record_id), files in model.record_files.items():
                if which == step and record_id <= stored:
                    for rel in files:
                        if rel not in found:
                            faults.append("%s: %s index %d passes record %d, %s missing" %
                                          (after, step.upper(), stored, record_id, rel))
        stored = index(site, "sheetresistance")
        for record_id, rel in sr_files.items():
            if record_id <= stored and rel not in found:
                faults.append("%s: sheet-resistance index %d passes record %d, %s missing" %
                              (after, stored, record_id, rel))
        return found

    rng = random.Random(args.seed)
    max_delay = args.max_delay
    if max_delay <= 0:
        copy = os.path.join(work, "timing_site")
        shutil.rmtree(copy, ignore_errors=True)
        shutil.copytree(site, copy, symlinks=True)
        for name in ("kalix_path.ini", "kalix_postbake_path.ini"):
            path = os.path.join(copy, "program", name)
            if os.path.exists(path):
                with open(path) as f:
                    text = f.read()
                with open(path, "w") as f:
                    f.write(text.replace(site, copy))
        settings = os.path.join(copy, "kalix", "lumotrax_sql_spectrum_scanner.ini")
        with open(settings, "rb") as f:
            text = f.read()
        with open(settings, "wb") as f:
            f.write(text.replace(site.encode(), copy.encode()))
        begin = time.monotonic()
        run([program, copy, "--passes", str(expectation["passes"] + 2)],
            stderr=subprocess.DEVNULL)
        max_delay = time.monotonic() - begin
        shutil.rmtree(copy)
    def identities():
        found = {}
        for top in roots:
            for folder, _, names in os.walk(top):
                for name in names:
                    if name.endswith(".xy") or name.endswith("___SR.txt"):
                        info = os.stat(os.path.join(folder, name))
                        found[os.path.join(folder, name)] = (info.st_ino, info.st_mtime_ns)
        return found

    def rewritten(before):
        # A hand-over renames a new file into place: a file written again has a new inode.
        now = identities()
        return sum(1 for path, identity in before.items() if now.get(path, identity) != identity)

    most_rewritten = 0
    killed = finished = 0
    started = time.monotonic()
    for kill in range(args.kills):
        before = identities()
        command = [program, site, "--passes", str(expectation["passes"] + 2)]
        process = subprocess.Popen(command, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        begin = time.monotonic()
        try:
            code = process.wait(timeout=rng.uniform(0.05, max_delay))
            finished += 1
            if code != 0:
                faults.append("run %d ended with %d before it was killed" % (kill + 1, code))
            if args.verbose:
                print("run %d ended by itself after %.2f s" % (kill + 1, time.monotonic() - begin))
        except subprocess.TimeoutExpired:
            if args.verbose:
                print("run %d killed after %.2f s" % (kill + 1, time.monotonic() - begin))
            process.send_signal(signal.SIGKILL)
            process.wait()
            killed += 1
        check("after kill %d" % (kill + 1))
        again = rewritten(before)
        most_rewritten = max(most_rewritten, again)
        if args.verbose:
            print("run %d wrote %d delivered files again" % (kill + 1, again))
        if 0 <= args.max_rewritten < again:
            faults.append("run %d wrote %d delivered files again (at most %d)" %
                          (kill + 1, again, args.max_rewritten))
        if process.returncode is not None and process.returncode >= 0:
            # Caught up before the kill: the line goes on, so the next run has work again.
            grown += 1
            for db, seed in (("inline_q.db", 100 + 2 * grown), ("inline_p.db", 101 + 2 * grown)):
                run([generator, os.path.join(site, db), "--loads", "1", "--points",
                     str(args.points), "--seed", str(seed)])
            work_out()
        if len(faults) > 20:
            break

    # Let the last run finish.
    command = [program, site, "--passes", str(expectation["passes"] + 2)]
    result = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if result.returncode != 0:
        faults.append("the last run ended with %d: %s" % (result.returncode,
                                                           result.stderr.decode()[-400:]))
    found = check("at the end")
    expected, finals = expectation["files"], expectation["finals"]
    records = len(expectation["model"].record_files) + len(expectation["sr_files"])
    for rel in sorted(expected):
        if rel not in found:
            faults.append("at the end: %s is missing" % rel)
    temps = [rel for rel in found if not (rel.endswith(".xy") or rel.endswith("___SR.txt"))
             and rel not in expected]
    # Every run removes what a killed one left half-written.
    for rel in temps:
        faults.append("at the end: the temporary file %s is left" % rel)
    for step, name in (("q", "q"), ("p", "p"), ("sr", "sheetresistance")):
        if index(site, name) != finals[step]:
            faults.append("at the end: index %s is %d, not %d" % (name, index(site, name),
                                                                finals[step]))

    print("%d records (%d files), undisturbed catch-up %.1f s; %d runs killed, %d ran to "
          "their end (a load added after each), %.1f s; at most %d delivered files written "
          "again by one run; %d temporary files left at the end" %
          (records, len(expected), max_delay, killed, finished, time.monotonic() - started,
           most_rewritten, len(temps)))
    for fault in faults[:40]:
        print(fault)
    print("nothing lost" if not faults else "%d faults" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
