#!/usr/bin/env python3
"""Baseline of the csv step: a Python converter of a folder of csv files into their scan
files (the project's independent model of the csv step, tests/checks/expected_scan_files.py,
one process for all files).
  csv_convert.py <csv folder> <out folder>
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests",
                                "checks"))
import expected_scan_files as model  # noqa: E402


def main():
    source, out = sys.argv[1], sys.argv[2]
    for name in sorted(os.listdir(source), key=str.lower):
        path = os.path.join(source, name)
        with open(path, "rb") as f:
            lines = model.text_lines(f.read())
        _, _, _, files = model.scan_files(name, lines, 125, "DemoCoating", 1,
                                          dict(model.DEFAULT_OFFSETS),
                                          model.day_number(model.file_time(path)))
        for (where, file_name), data in files.items():
            folder = os.path.join(out, where)
            os.makedirs(folder, exist_ok=True)
            with open(os.path.join(folder, file_name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
