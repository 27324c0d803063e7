#!/usr/bin/env python3
"""Baseline of the Q catch-up: a straightforward script with sqlite3 that turns every new
Spectra record into its .xy file (the record query, one wavelength query per record, one file
write), with the same names and contents as the scanner.
  catchup_sqlite.py <file.db> <channel root>
"""
import os
import sqlite3
import struct
import sys

CHANNELS = {"Transmission": ("T", "T"), "Reflection Film": ("RF", "RF"),
            "Reflection Glass": ("RC", "RG")}


def field(value):
    # As a float, then half to even (Python's round), as the file names take it.
    return round(struct.unpack("f", struct.pack("f", value))[0])


def main():
    db, root = sys.argv[1], sys.argv[2]
    connection = sqlite3.connect(db)
    records = connection.execute(
        "select LoadId, MeasPointIndex, ResultName, LongitudinalPositionRelativeMm, "
        "LateralPositionRelativeMm, \"Values\", ResultID, Run_ID from Spectra where Id > 0 "
        "order by LoadId, MeasPointIndex, ResultName desc")
    grid_query = connection.cursor()
    current = None
    for load, point, name, longitudinal, lateral, values, result_id, run_id in records:
        if (load, point) != current:
            current = (load, point)
            position = (field(longitudinal), field(lateral))
        row = grid_query.execute("select Wavelengths from WavelengtsArrays "
                                 "where ResultID = ? and Run_ID = ?", (result_id, str(run_id))).fetchone()
        grid = row[0].split(";") if row else []
        channel, nickname = CHANNELS[name]
        lines = []
        for i, value in enumerate(values.split(";")):
            lines.append("%s\t%s\r\n" % (grid[i] if i < len(grid) else "", value))
        path = os.path.join(root, channel, "new", "%s___%s___%d___%d___0.xy" % (
            load, nickname, position[0], position[1]))
        with open(path, "wb") as f:
            f.write("".join(lines).encode("latin-1"))


if __name__ == "__main__":

    main()
