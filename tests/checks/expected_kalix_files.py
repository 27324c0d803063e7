#!/usr/bin/env python3
"""Independent model of the files that Lumotrax_SQL_spectrum_scanner writes into a KALIX site.

Given a site folder (tools/make-demo-site plus the in-line databases named in
kalix/lumotrax_sql_spectrum_scanner.ini), it works out from the databases alone which
spectrum (.xy) and sheet-resistance (___SR.txt) files N timer passes must leave behind,
and the three stored indices.

  expected_kalix_files.py <site> --passes N --state STATE.json [--tables TABLES.json]
                          [--dump FOLDER]

STATE.json carries what the model knows between runs of the program: the three last
processed records and the expected content of every file under the output roots. When it
does not exist yet, the indices start at 0 and the files found on disk now (the site's
own files) are taken as the starting content. The file is updated in place.

--tables: JSON {"ovix_assignment": {name: channel}, "spectrum_nicknames": {name: nick}};
default: the mapping written by make_demo_translation_tables.
--dump: also write the expected tree into FOLDER (for diff -r).

Only the Python standard library is used.
"""
import argparse
import base64
import json
import os
import sqlite3
import struct
import sys
from decimal import Decimal

DEMO_TABLES = {
    "ovix_assignment": {"Transmission": "T", "Reflection Film": "RF",
                        "Reflection Glass": "RC", "Sheet Resistance": "T"},
    "spectrum_nicknames": {"Transmission": "T", "Reflection Film": "RF",
                           "Reflection Glass": "RG", "Sheet Resistance": "R_sq"},
}

P_LIMIT = 100
UNSAFE = set('\\/:*?"<>|')


def read_lines(path):
    with open(path, "rb") as f:
        text = f.read().decode("latin-1")
    return text.replace("\r\n", "\n").split("\n")


def ini_text(lines, key, default):
    """Key line followed by its value line; keys ignore ASCII case; the last one wins."""
    value = default
    for i in range(len(lines) - 1):
        if lines[i].upper() == key.upper():
            value = lines[i + 1]
    return value


def ini_integer(lines, key, default):
    value = default
    for i in range(len(lines) - 1):
        if lines[i].upper() == key.upper():
            try:
                value = int(lines[i + 1].lstrip(" "))
            except ValueError:
                pass
    return value


def sqlite_file(connection_string):
    for part in connection_string.split(";"):
        name, _, value = part.partition("=")
        if name.strip().lower() in ("data source", "database"):
            return value.strip()
    return None


def file_name_part(text):
    """A LoadID or nickname as it may stand in a file name."""
    return "".join("_" if c in UNSAFE or ord(c) < 32 or ord(c) == 127 else c for c in text)


def f32(x):
    return struct.unpack("<f", struct.pack("<f", float(x)))[0]


def rnd(x):
    """Nearest integer, ties to even (Python's round on a float)."""
    return int(round(x))


def semicolon_fields(text):
    return text.split(";")


def field(fields, i, trim):
    if i >= len(fields):
        return ""
    value = fields[i]
    if trim:
        value = value.strip("".join(chr(c) for c in range(33)))
    return value


def qt_double_text(d):
    """A double as QVariant::toString gives it: shortest digits, the shorter of the fixed
    and the exponent form, no trailing ".0"."""
    if isinstance(d, int):
        return str(d)
    if isinstance(d, str):
        return d
    if d == 0:
        return "0"
    sign = "-" if d < 0 else ""
    t = Decimal(repr(abs(d))).normalize().as_tuple()
    digits = "".join(map(str, t.digits)).rstrip("0") or "0"
    decpt = len(t.digits) + t.exponent
    bias = 4
    use_decimal = (1 - decpt <= bias) if decpt <= 0 else (decpt <= len(digits) + bias)
    if use_decimal:
        if decpt <= 0:
            body = "0." + "0" * (-decpt) + digits
        elif decpt >= len(digits):
            body = digits + "0" * (decpt - len(digits))
        else:
            body = digits[:decpt] + "." + digits[decpt:]
    else:
        e = decpt - 1
        body = digits[0] + ("." + digits[1:] if len(digits) > 1 else "")
        body += "e" + ("-" if e < 0 else "+") + "%02d" % abs(e)
    return sign + body


def encode(text):
    try:
        return text.encode("cp1252")
    except UnicodeEncodeError:
        return text.encode("utf-8")


def row_value(row, name):
    """Column by name, ignoring case, as the record source reads it."""
    for key in row.keys():
        if key.lower() == name.lower():
            return row[key]
    raise KeyError(name)


def as_text(value):
    if value is None:
        return ""
    if isinstance(value, float):
        return qt_double_text(value)
    return str(value)


class Model:
    def __init__(self, site, tables, state):
        self.site = os.path.abspath(site)
        self.tables = tables
        self.state = state
        program = os.path.join(self.site, "program")
        kalix_lines = read_lines(os.path.join(program, "kalix_path.ini"))
        self.kalix = kalix_lines[0]
        if not self.kalix.endswith("/"):
            self.kalix += "/"
        settings = read_lines(os.path.join(self.kalix, "lumotrax_sql_spectrum_scanner.ini"))
        self.q_db = sqlite_file(ini_text(settings, "Lumotrax Q connection string", ""))
        self.p_db = sqlite_file(ini_text(settings, "Lumotrax P connection string", ""))
        self.sr_db = sqlite_file(ini_text(settings, "Sheetresistance connection string", ""))
        self.offset = ini_integer(settings, "Offset Rfilm probehead in mm", 109)
        self.sr_key = ini_text(settings, "Sheet resistance key phrase", "Sheet resistance")
        self.postbake_key = ini_text(settings, "Postbake key phrase", "")
        self.postbake_path = ""
        postbake_ini = os.path.join(program, "kalix_postbake_path.ini")
        if os.path.exists(postbake_ini):
            lines = read_lines(postbake_ini)
            root = lines[0] if lines[0].endswith("/") else lines[0] + "/"
            ovix = lines[1] if len(lines) > 1 else ""
            self.postbake_path = (root + "database/products/" + self.product(root) +
                                  "/measurements/" + ovix + "/new")

    @staticmethod
    def product(root):
        folder = os.path.join(root, "database", "current_product")
        names = sorted(n for n in os.listdir(folder)
                       if not os.path.isdir(os.path.join(folder, n)))
        return names[0] if names else ""

    def translation(self, table, name):
        return self.tables[table].get(name, "")

    def destination_path(self, result_name):
        return (self.kalix + "database/products/" + self.product(self.kalix) +
                "/measurements/" + self.translation("ovix_assignment", result_name) + "/new")

    def full_name(self, folder, row, long_field, lat_field):
        load = as_text(row_value(row, "LoadID"))
        nick = self.translation("spectrum_nicknames", as_text(row_value(row, "resultname")))
        return "%s/%s___%s___%d___%d___0.xy" % (folder, file_name_part(load),
                                                 file_name_part(nick), long_field, lat_field)

    # --- the files -----------------------------------------------------------------
    def rel(self, path):
        return os.path.relpath(os.path.normpath(path), self.site)

    def put(self, path, data, replace=True):
        key = self.rel(path)
        if not replace and key in self.state["files"]:
            return False
        self.state["files"][key] = data
        return True

    def write_spectrum(self, db, row, path, trim):
        folder = path[:path.rfind("/")]
        if not os.path.isdir(folder):
            return  # record still counts as handled
        result_id = as_text(row_value(row, "ResultID"))
        run_id = as_text(row_value(row, "Run_ID"))
        sql = ("select * from WavelengtsArrays\n\rwhere ResultID='" + result_id +
               "'\n\rand Run_ID='" + run_id + "'")
        wl = db.execute(sql).fetchone()
        w = as_text(row_value(wl, "Wavelengths")) if wl is not None else ""
        v = as_text(row_value(row, "Values"))
        wf, vf = semicolon_fields(w), semicolon_fields(v)
        lines = "".join(field(wf, i, trim) + "\t" + field(vf, i, trim) + "\r\n"
                        for i in range(v.count(";") + 1))
        self.put(path, encode(lines))

    # --- the steps -----------------------------------------------------------------
    def q_step(self, db):
        rows = db.execute("Select * from Spectra where Id>%d order by loadId,MeasPointIndex,"
                          "resultname desc" % self.state["q"]).fetchall()
        load = point = None
        pos = (0.0, 0.0)
        for row in rows:
            this_load = row_value(row, "LoadId")
            this_point = row_value(row, "MeasPointIndex")
            if load is None or this_load != load or this_point != point:
                load, point = this_load, this_point
                pos = (f32(row_value(row, "LongitudinalPositionRelativeMm")),
                       f32(row_value(row, "LateralPositionRelativeMm")))
            load_text = as_text(this_load)
            if self.postbake_key and self.postbake_key in load_text:
                folder = self.postbake_path
            else:
                folder = self.destination_path(as_text(row_value(row, "resultname")))
            path = self.full_name(folder, row, rnd(pos[0]), rnd(pos[1]))
            self.write_spectrum(db, row, path, trim=False)
            self.state["q"] = max(self.state["q"], row_value(row, "Id"))

    def p_step(self, db):
        rows = db.execute("Select * from Spectra where Id>%d order by Id" %
                          self.state["p"]).fetchall()[:P_LIMIT]
        for row in rows:
            name = as_text(row_value(row, "resultname"))
            folder = self.destination_path(name)
            lon = float(row_value(row, "LongitudinalPositionRelativeMm"))
            lat = float(row_value(row, "LateralPositionRelativeMm"))
            path = self.full_name(folder, row, 20 * rnd(lon * 0.05), 20 * rnd(lat * 0.05))
            self.write_spectrum(db, row, path, trim=True)
            if name == "Reflection Film":
                shifted = self.full_name(folder, row, 10 * rnd((lon - self.offset) * 0.1),
                                         10 * rnd((lat - self.offset) * 0.1))
                self.write_spectrum(db, row, shifted, trim=True)
            self.state["p"] = row_value(row, "Id")

    def sr_step(self, db):
        rows = db.execute("Select * from ScalarResults where Id>%d and resultname = '%s' "
                          "order by ID desc" % (self.state["sr"], self.sr_key)).fetchall()
        folder = (self.kalix + "database/products/" + self.product(self.kalix) +
                  "/measurements/new_results/")
        nick = self.translation("spectrum_nicknames", "Sheet Resistance") or "SR_test"
        ovix = self.translation("ovix_assignment", "Sheet Resistance")
        point_load = point_index = None
        pos = (0.0, 0.0)
        for k, row in enumerate(rows):
            load = as_text(row_value(row, "LoadID"))
            index = row_value(row, "MeasPointIndex")
            if k == 0 or load != point_load or index != point_index:
                point_load, point_index = load, index
                pos = (f32(row_value(row, "LongitudinalPositionRelativeMm")),
                       f32(row_value(row, "LateralPositionRelativeMm")))
            name = "%s___%d___%d___0___SR.txt" % (
                file_name_part(load), rnd(float(row_value(row, "LongitudinalPositionRelativeMm"))),
                rnd(float(row_value(row, "LateralPositionRelativeMm"))))
            lines = [nick, as_text(row_value(row, "Value")), "---", "0", "measured",
                     "<date and time>", ovix, point_load, str(rnd(pos[0])), str(rnd(pos[1])), "0"]
            self.put(folder + name, encode("".join(l + "\r\n" for l in lines)), replace=False)
            self.state["sr"] = max(self.state["sr"], row_value(row, "Id"))

    def open(self, file):
        db = sqlite3.connect("file:%s?mode=ro" % file, uri=True)
        db.row_factory = sqlite3.Row
        return db

    def passes(self, n):
        for _ in range(n):
            if self.q_db:
                with self.open(self.q_db) as db:
                    self.q_step(db)
            if self.p_db:
                with self.open(self.p_db) as db:
                    self.p_step(db)
            if self.sr_db:
                with self.open(self.sr_db) as db:
                    self.sr_step(db)


def output_roots(model):
    roots = [model.kalix + "database/products"]
    if model.postbake_path:
        roots.append(model.postbake_path.split("/database/products/")[0] + "/database/products")
    return roots


def snapshot(model):
    files = {}
    for root in output_roots(model):
        for folder, _, names in os.walk(root):
            for name in names:
                path = os.path.join(folder, name)
                with open(path, "rb") as f:
                    files[model.rel(path)] = f.read()
    return files


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("site")
    parser.add_argument("--passes", type=int, required=True)
    parser.add_argument("--state", required=True)
    parser.add_argument("--tables")
    parser.add_argument("--dump")
    args = parser.parse_args()

    tables = DEMO_TABLES
    if args.tables:
        with open(args.tables) as f:
            tables = json.load(f)
    if os.path.exists(args.state):
        with open(args.state) as f:
            saved = json.load(f)
        state = {k: saved[k] for k in ("q", "p", "sr")}
        state["files"] = {k: base64.b64decode(v) for k, v in saved["files"].items()}
        model = Model(args.site, tables, state)
    else:
        state = {"q": 0, "p": 0, "sr": 0, "files": {}}
        model = Model(args.site, tables, state)
        state["files"] = snapshot(model)
    model.passes(args.passes)

    with open(args.state, "w") as f:
        json.dump({"q": state["q"], "p": state["p"], "sr": state["sr"],
                   "roots": [model.rel(r) for r in output_roots(model)],
                   "files": {k: base64.b64encode(v).decode() for k, v in
                             sorted(state["files"].items())}}, f, indent=1)
    if args.dump:
        for rel, data in state["files"].items():
            path = os.path.join(args.dump, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    print("indices: q %d p %d sheetresistance %d; %d files expected" %
          (state["q"], state["p"], state["sr"], len(state["files"])))
    return 0


if __name__ == "__main__":
    sys.exit(main())
