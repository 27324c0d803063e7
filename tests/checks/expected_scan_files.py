#!/usr/bin/env python3
"""Independent model of the scan files that Lumotrax_SQL_spectrum_scanner makes of csv files.

Written from the description of the csv measurement file, the routing rules, the scan file
format and the csv step alone, not from the program's code. Two uses:

  expected_scan_files.py file <csv file> --out FOLDER [--name NAME] [--product P]
        [--postbake-product PB] [--no-scan-files N] [--points W] [--time "YYYY-MM-DD HH:MM:SS"]
        [--offsets "k=v,..."]
    Writes the scan files of one csv file: production ones into FOLDER/production, postbake
    ones into FOLDER/postbake. The time of measurement is --time (local), else the file's
    last-write time. NAME is the name the routing sees (default: the file's own name).

  expected_scan_files.py site <site> --passes N --state STATE.json
    Models N passes of the csv step over <site>/input (site of tools/make-demo-site with a
    postbake installation): which files each installation receives, the archive copies, the
    product markers and what stays in the input folder. STATE.json carries the expected
    files between runs (the program is started afresh per run); it is updated in place.

Only the Python standard library is used.
"""
import argparse
import base64
import datetime
import json
import math
import os
import re
import shutil
import struct
import sys

UNSAFE = set('\\/:*?"<>|')
FILE_FORMAT = struct.pack("<f", 1.2)
DEFAULT_OFFSETS = {"4points_0": 3777, "4points_1": 3237, "4points_2": 2497,
                   "4points_3": 1357, "A": 3790, "B": 2790, "C": 1790}
OFFSET_KEYS = [("Position offset 4points 0", "4points_0"), ("Position offset 4points 1", "4points_1"),
               ("Position offset 4points 2", "4points_2"), ("Position offset 4points 3", "4points_3"),
               ("Position offset A", "A"), ("Position offset B", "B"), ("Position offset C", "C"),
               ("Position offset Pump", "A"), ("Position offset Center", "B"),
               ("Position offset Operator", "C")]
SUFFIX = {0: "___4points.scn", 1: "___A.scn", 2: "___B.scn", 3: "___C.scn", 4: "___P.scn",
          5: "___C.scn", 6: "___O.scn", 7: "___P.scn", 8: "___C.scn", 9: "___O.scn"}
OFFSET_OF_MODE = {1: "A", 4: "A", 7: "A", 2: "B", 5: "B", 8: "B", 3: "C", 6: "C", 9: "C"}
MAX_FILES_PER_PASS = 31


# ---- text -------------------------------------------------------------------------------

def decode(data):
    if data.startswith(b"\xef\xbb\xbf"):
        return data[3:].decode("utf-8", "replace")
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le", "replace")
    if data.startswith(b"\xfe\xff"):
        return data[2:].decode("utf-16-be", "replace")
    # Windows-1252; its five unassigned bytes stand for the same code points.
    return "".join(b.decode("cp1252") if b[0] not in (0x81, 0x8D, 0x8F, 0x90, 0x9D) else chr(b[0])
                   for b in (data[i:i + 1] for i in range(len(data))))


def text_lines(data):
    """CR LF, LF or CR end a line; a final line break does not open an empty line."""
    text = decode(data)
    lines = re.split("\r\n|\n|\r", text)
    if lines and lines[-1] == "":
        lines.pop()
    return lines


def trim(text):
    i, j = 0, len(text)
    while i < j and text[i] <= " ":
        i += 1
    while j > i and text[j - 1] <= " ":
        j -= 1
    return text[i:j]


def field(lines, index, k):
    """Field k (from 1; 0 reads as 1) of line `index`; empty beyond the line or the file."""
    if index < 0 or index >= len(lines):
        return ""
    parts = lines[index].split(";")
    k = max(k, 1)
    return trim(parts[k - 1]) if k - 1 < len(parts) else ""


def to_int(text):
    """Strict integer: leading blanks, a sign, then decimal digits or hexadecimal digits after
    "$", "x", "X", "0x" or "0X" (all 32 bits, two's complement); nothing after."""
    m = re.fullmatch(r" *([+-]?)(?:([0-9]+)|(?:\$|0[xX]|[xX])([0-9A-Fa-f]+))", text)
    if not m:
        return None
    sign = -1 if m.group(1) == "-" else 1
    if m.group(2) is not None:
        v = sign * int(m.group(2))
        return v if -2**31 <= v < 2**31 else None
    v = int(m.group(3), 16)
    if v >= 2**32:
        return None
    v = v - 2**32 if v >= 2**31 else v
    return sign * v


NUMBER = re.compile(r"[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?")


def to_float(text):
    """Strict number text with "." rounded to single precision; None when it is no number."""
    if not NUMBER.fullmatch(text):
        return None
    return struct.unpack("<f", struct.pack("<f", float(text)))[0]


def is_spectrum(line):
    return line[:8].lower() == "spectrum"


def name_part(text):
    return "".join("_" if c in UNSAFE or ord(c) < 32 or ord(c) == 127 else c for c in text)


def day_number(moment):
    """Days since 30 December 1899, fraction = time of day."""
    days = (moment.date() - datetime.date(1899, 12, 30)).days
    ms = ((moment.hour * 60 + moment.minute) * 60 + moment.second) * 1000 + moment.microsecond // 1000
    return days + ms / 86400000.0


def file_time(path):
    ns = os.stat(path).st_mtime_ns
    return datetime.datetime.fromtimestamp(ns // 1000000 / 1000.0)


# ---- reading one file -------------------------------------------------------------------

def find_spectrum(lines, start):
    for i in range(max(start, 0), len(lines)):
        if is_spectrum(lines[i]):
            return i
    return None


def read_csv(lines, w_before):
    """The reading of one file. Returns a dict; 'complete' False when no scan file is due."""
    r = {"stamp": False, "complete": False}
    # Range step.
    i = 0
    blocks = []
    fourth = False
    for k in range(4):
        s = find_spectrum(lines, i)
        if s is None:
            i = len(lines)
        else:
            i = s + 1
            if k == 3:
                fourth = True
        lo, hi, count = 100000.0, 100.0, 0
        if field(lines, i, 1) == "":
            i += 1
            f = 1
            while True:
                v = to_float(field(lines, i, f))
                if v is not None:
                    lo, hi = min(lo, v), max(hi, v)
                if field(lines, i, f + 1) == "":
                    break
                f += 1
            count = f
        blocks.append([lo, hi, count])
    if fourth and all(b[1] > 100 for b in blocks):
        w = max(b[2] for b in blocks)
    elif not fourth and all(b[1] > 100 for b in blocks[:3]):
        w = max(b[2] for b in blocks[:3])
        blocks[3] = [blocks[2][0], blocks[2][1], blocks[3][2]]
    else:
        w = w_before
        blocks = [[380.0, 380.0 + 5 * (w - 1), w] for _ in range(4)]
    r["w"] = w
    r["blocks"] = blocks
    # Identification step.
    stamp = next((n for n, line in enumerate(lines) if line[:5].lower() == "stamp"), None)
    if stamp is None:
        return r
    r["stamp"] = True
    r["plate_text"] = field(lines, stamp + 1, 2)
    rows, glass = [], []
    n = stamp + 1
    while n < len(lines) and to_int(field(lines, n, 4)) is not None:
        rows.append(to_int(field(lines, n, 4)))
        glass.append(to_float(field(lines, n, 7)) is not None)
        n += 1
    big_r = len(rows)
    r["x_scan"] = {100: "100", 80: "80"}.get(big_r)
    count = sum(glass) if r["x_scan"] else big_r
    r["n"] = count
    if r["x_scan"] == "100":
        r["positions"] = [100 * p for p in range(count)]
    elif r["x_scan"] == "80":
        r["positions"] = [2000 + 30 * p for p in range(count)]
    else:
        r["positions"] = rows[:]
    # Sheet-resistance column.
    semis = lines[stamp].count(";")
    column = 0
    for k in range(semis + 1):
        if field(lines, stamp, k).lower() == "sheet resistance":
            column = k
    # Plate.
    plate = to_int(r["plate_text"])
    r["zeiss_plate"], r["zeiss_plate_id"] = (plate, "") if plate is not None else (-1, r["plate_text"])
    # Value step: where the value rows stand, and whether the file holds them.
    values = [[[0.0] * w for _ in range(4)] for _ in range(count)]
    j = 1
    complete = big_r > 0
    for k in range(4):
        s = find_spectrum(lines, j)
        if s is None:
            if k < 3:
                complete = False
            else:
                blocks[3] = blocks[2][:]
            break
        j = s + 1
        if field(lines, j, 1) == "":
            j += 3
        if j + big_r - 1 >= len(lines):
            complete = False
            break
        p = 0
        for row in range(big_r):
            if r["x_scan"] and not glass[row]:
                continue
            for x in range(w):
                v = to_float(field(lines, j + row, x + 1))
                values[p][k][x] = v if v is not None else 0.0
            p += 1
        j += big_r
    r["values"] = values
    r["complete"] = complete
    # Sheet resistances.
    sheet = [0.0] * count
    if column > 0:
        nxt = 0
        for n in range(5, len(lines)):
            if nxt >= count:
                break
            if field(lines, n, 3).lower() == "sheet resistance":
                row = to_int(field(lines, n, 4))
                if row is not None and row > 0:
                    v = to_float(field(lines, n, column))
                    sheet[nxt] = v if v is not None else float("nan")
                    nxt += 1
    r["sheet"] = sheet
    return r


# ---- routing ----------------------------------------------------------------------------

def postbake_piece(p):
    if p & 0x8000:
        return 0
    if not p & 0x4000:
        return 1
    return 3 if p & 0x2000 else 2


def original_plate(p):
    return p & ~0xE000


def base_product(text):
    result = text
    if "maintenance" in text:
        result = text[:text.index("maintenance")].strip()
    if "postbake" in text:
        result = text[:text.index("postbake")].strip()
    return result


def route(name, plate, count, product):
    mode = -1
    new = base_product(product)
    if "-AB-" in name:
        mode = 4
        if "-AB-C" in name:
            mode = 5
        if "-AB-O" in name:
            mode = 6
    elif "-AB" in name:
        mode = 4
        if "-C-AB" in name:
            mode = 5
        if "-O-AB" in name:
            mode = 6
    elif "-BB" in name:
        mode = 7
        if "-C-BB" in name:
            mode = 8
        if "-O-BB" in name:
            mode = 9
    elif count == 32:
        new = new + " maintenance"
    elif count < 15:
        mode = postbake_piece(plate)
    changed = new.strip() != product.strip() and mode <= 0
    return mode, (new if changed else product)


def apply_offsets(positions, mode, offsets):
    out = positions[:]
    if mode == 0:
        for k in range(min(4, len(out))):
            out[k] += offsets["4points_%d" % k]
    elif mode in OFFSET_OF_MODE:
        out = [p + offsets[OFFSET_OF_MODE[mode]] for p in out]
    return out


def targets(name, r, mode, no_scan_files):
    """(installation, file name, part, parts) of every scan file due."""
    t, i = r["plate_text"], r["zeiss_plate_id"]
    if mode == -1:
        if t == "":
            return []
        if no_scan_files == 1:
            return [("production", name_part(t) + ".scn", 0, 0)]
        if 2 <= no_scan_files <= 4:
            return [("production", name_part(t) + ".sc%d" % k, k, no_scan_files)
                    for k in range(1, no_scan_files + 1)]
        return []
    suffix = SUFFIX[mode]
    if t == "":
        return [("postbake", name_part(name[:-4]) + ".scn", 0, 0)]
    where = "production" if mode >= 7 else "postbake"
    if i != "":
        return [(where, name_part(i if mode <= 3 else i[:-5]) + suffix, 0, 0)]
    return [(where, str(original_plate(r["zeiss_plate"])) + suffix, 0, 0)]


# ---- scan files -------------------------------------------------------------------------

def scan_bytes(r, positions, first, count, time):
    """Fields 1-9 for positions first .. first+count-1; time None for a part file."""
    s, w = 4, r["w"]
    out = [FILE_FORMAT, struct.pack("<iii", count, s, w)]
    out.append(struct.pack("<%di" % count, *positions[first:first + count]))
    out.append(struct.pack("<%df" % count, *r["sheet"][first:first + count]))
    for lo, hi, n in r["blocks"]:
        out.append(struct.pack("<ffi", lo, hi, n))
    for p in range(first, first + count):
        for k in range(4):
            out.append(struct.pack("<%df" % w, *r["values"][p][k]))
    if time is not None:
        out.append(struct.pack("<d", time))
    return b"".join(out)


def part_range(n, part, parts):
    b = -(-n // parts)
    first = (part - 1) * b
    count = b
    if part == parts and n % b:
        count = n % b
    return first, max(0, min(count, n - first))


def scan_files(name, lines, w_before, product, no_scan_files, offsets, time):
    """Everything one file yields: (reading, mode, product after, {(where, name): bytes})."""
    r = read_csv(lines, w_before)
    if not r["stamp"] or not r["complete"] or len(lines) <= 10:
        return r, None, product, {}
    mode, product = route(name, r["zeiss_plate"], r["n"], product)
    positions = apply_offsets(r["positions"], mode, offsets)
    files = {}
    for where, file_name, part, parts in targets(name, r, mode, no_scan_files):
        if part == 0:
            files[(where, file_name)] = scan_bytes(r, positions, 0, r["n"], time)
        else:
            first, count = part_range(r["n"], part, parts)
            files[(where, file_name)] = scan_bytes(r, positions, first, count, None)
    return r, mode, product, files


def read_offsets(lines, offsets):
    offsets = dict(offsets)
    for key, slot in OFFSET_KEYS:
        n = 0
        while n < len(lines):
            if lines[n].upper() == key.upper() and n + 1 < len(lines):
                v = to_int(lines[n + 1])
                if v is not None:
                    offsets[slot] = v
                n += 2
            else:
                n += 1
    return offsets


# ---- one file ---------------------------------------------------------------------------

def one_file(args):
    name = args.name or os.path.basename(args.csv)
    with open(args.csv, "rb") as f:
        lines = text_lines(f.read())
    moment = (datetime.datetime.strptime(args.time, "%Y-%m-%d %H:%M:%S") if args.time
              else file_time(args.csv))
    offsets = dict(DEFAULT_OFFSETS)
    for pair in filter(None, (args.offsets or "").split(",")):
        key, _, value = pair.partition("=")
        offsets[key] = int(value)
    r, mode, product, files = scan_files(name, lines, args.points, args.product,
                                         args.no_scan_files, offsets, day_number(moment))
    for (where, file_name), data in files.items():
        folder = os.path.join(args.out, where)
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, file_name), "wb") as f:
            f.write(data)
        print(os.path.join(where, file_name))
    return 0


# ---- the csv step of a site -------------------------------------------------------------

def read_site_lines(path):
    with open(path, "rb") as f:
        return text_lines(f.read())


def marker(installation):
    folder = os.path.join(installation, "database", "current_product")
    names = sorted((n for n in os.listdir(folder) if not os.path.isdir(os.path.join(folder, n))),
                   key=str.lower)
    return names[0] if names else ""


def site_run(args):
    site = args.site
    program = os.path.join(site, "program")
    scanner = read_site_lines(os.path.join(program, "kalix_scanner.ini"))
    input_folder, ovix = scanner[0], scanner[1]
    no_scan_files = to_int(scanner[3]) if to_int(scanner[3]) is not None else 1
    w = to_int(scanner[4]) if to_int(scanner[4]) is not None else 125
    kalix = read_site_lines(os.path.join(program, "kalix_path.ini"))[0]
    pb_ini = os.path.join(program, "kalix_postbake_path.ini")
    postbake, pb_ovix, offsets = "", "", dict(DEFAULT_OFFSETS)
    if os.path.exists(pb_ini):
        pb_lines = read_site_lines(pb_ini)
        postbake, pb_ovix = pb_lines[0], pb_lines[1]
        offsets = read_offsets(pb_lines, offsets)
    by_measurement = False
    kalix_ini = os.path.join(kalix, "kalix.ini")
    if os.path.exists(kalix_ini):
        kl = read_site_lines(kalix_ini)
        for n in range(len(kl) - 1):
            if kl[n].upper() == "ARCHIVE USING DATE OF MEASUREMENT":
                by_measurement = to_int(kl[n + 1]) == 1
                break

    state = {"files": {}, "markers": []}
    if os.path.exists(args.state):
        state = json.load(open(args.state))
    expected = {k: base64.b64decode(v) for k, v in state["files"].items()}
    # Files waiting in the input folder are modelled afresh from what is there now.
    waiting = os.path.relpath(input_folder, site)
    expected = {k: v for k, v in expected.items()
                if not (os.path.dirname(k) == waiting and k.lower().endswith(".csv"))}
    product = marker(kalix)
    postbake_product = marker(postbake) if postbake else ""
    mode = 0
    # The model works on a copy of the input folder's names and contents.
    pending = {}
    for n in os.listdir(input_folder):
        full = os.path.join(input_folder, n)
        if os.path.isfile(full) and n.lower().endswith(".csv"):
            with open(full, "rb") as f:
                pending[n] = (f.read(), file_time(full))
    left = dict(pending)
    unprocessed = {}
    markers = []

    def rel(path):
        return os.path.relpath(path, site)

    for _ in range(args.passes):
        out_path = os.path.join(kalix, "database", "products", product, "measurements", ovix, "new")
        if not os.path.isdir(input_folder) or not os.path.isdir(out_path):
            continue
        counter = 0
        while left and counter <= 30:
            name = sorted(left, key=str.lower)[0]
            data, moment = left.pop(name)
            lines = text_lines(data)
            r, new_mode, new_product, files = ({}, None, product, {})
            if len(lines) > 10:
                r, new_mode, new_product, files = scan_files(
                    name, lines, w, product, no_scan_files, offsets, day_number(moment))
                w = r["w"]
            if new_mode is not None:
                mode = new_mode
                if new_product != product:
                    product = new_product
                    markers.append(product)
            due = written = 0
            for (where, file_name), content in files.items():
                if where == "production":
                    folder = os.path.join(kalix, "database", "products", product, "measurements",
                                          ovix, "new")
                elif postbake:
                    folder = os.path.join(postbake, "database", "products", postbake_product,
                                          "measurements", pb_ovix, "new")
                else:
                    due += 1  # no postbake installation: due, but nowhere to go
                    continue
                due += 1
                if os.path.isdir(folder):
                    expected[rel(os.path.join(folder, file_name))] = content
                    written += 1
            home, home_product = (postbake, postbake_product) if mode >= 0 else (kalix, product)
            archived = False
            if home and os.path.isdir(os.path.join(home, "archive")):
                day = moment.date() if by_measurement else datetime.date.today()
                target = rel(os.path.join(home, "archive", home_product, str(day.year),
                                          str(day.month), str(day.day), ovix, name))
                # The copy never replaces an archived file of the same name.
                if target not in expected:
                    expected[target] = data
                    archived = True
            if not (written == due or archived):
                unprocessed[name] = data
            counter += 1
    for name, data in unprocessed.items():
        expected[rel(os.path.join(input_folder, "unprocessed", name))] = data
    for name, (data, _) in left.items():
        expected[rel(os.path.join(input_folder, name))] = data
    state["files"] = {k: base64.b64encode(v).decode() for k, v in expected.items()}
    state["product"] = product
    state["postbake_product"] = postbake_product
    state["product_changes"] = markers
    json.dump(state, open(args.state, "w"), indent=1)
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    f = sub.add_parser("file")
    f.add_argument("csv")
    f.add_argument("--out", required=True)
    f.add_argument("--name")
    f.add_argument("--product", default="DemoCoating")
    f.add_argument("--postbake-product", default="PostDemo")
    f.add_argument("--no-scan-files", type=int, default=1)
    f.add_argument("--points", type=int, default=125)
    f.add_argument("--time")
    f.add_argument("--offsets")
    s = sub.add_parser("site")
    s.add_argument("site")
    s.add_argument("--passes", type=int, required=True)
    s.add_argument("--state", required=True)
    args = parser.parse_args()
    return one_file(args) if args.command == "file" else site_run(args)


if __name__ == "__main__":
    sys.exit(main())
