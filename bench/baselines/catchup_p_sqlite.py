#!/usr/bin/env python3
"""Baseline of the P catch-up: a straightforward script with sqlite3 that turns every new
Spectra record, in Id order, into its .xy file (the record query, one wavelength query per
record, one file write; Reflection Film a second time at the probe head's offset), with the
same names and contents as the scanner.
  catchup_p_sqlite.py <file.db> <channel root> <offset of the Reflection Film probe head in mm>
"""
import os
import sqlite3
import sys

CHANNELS = {"Transmission": ("T", "T"), "Reflection Film": ("RF", "RF"),
            "Reflection Glass": ("RC", "RG")}


def on_grid(value, step):
    # Half to even (Python's round), as the file names take it.
    return int(step * round(value * (1.0 / step)))


BLANKS = "".join(chr(c) for c in range(33))


def trimmed(text):
    return text.strip(BLANKS)


def main():
    db, root, offset = sys.argv[1], sys.argv[2], float(sys.argv[3])
    connection = sqlite3.connect(db)
    records = connection.execute(
        "select LoadId, ResultName, LongitudinalPositionRelativeMm, LateralPositionRelativeMm, "
        "\"Values\", ResultID, Run_ID from Spectra where Id > 0 order by Id")
    grid_query = connection.cursor()
    for load, name, longitudinal, lateral, values, result_id, run_id in records:
        row = grid_query.execute("select Wavelengths from WavelengtsArrays "
                                 "where ResultID = ? and Run_ID = ?", (result_id, str(run_id))).fetchone()
        grid = row[0].split(";") if row else []
        lines = []
        for i, value in enumerate(values.split(";")):
            lines.append("%s\t%s\r\n" % (trimmed(grid[i]) if i < len(grid) else "", trimmed(value)))
        content = "".join(lines).encode("latin-1")
        channel, nickname = CHANNELS[name]
        places = [(on_grid(longitudinal, 20), on_grid(lateral, 20))]
        if name == "Reflection Film":
            places.append((on_grid(longitudinal - offset, 10), on_grid(lateral - offset, 10)))
        for x, y in places:
            path = os.path.join(root, channel, "new", "%s___%s___%d___%d___0.xy" % (
                load, nickname, x, y))
            with open(path, "wb") as f:
                f.write(content)


if __name__ == "__main__":
    main()
