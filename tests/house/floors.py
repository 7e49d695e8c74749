#!/usr/bin/env python3
"""The house's rules, read from the sources: each folder of src/ includes only from its own
floor and those below it, one file starts threads, and nothing outside the column asks a
column for its class.

Usage: floors.py SRC
The floors, lowest first, are the list below; relalg's own program (driver) and relalg-import
stand on the top floor, side by side, and include nothing of one another.
"""
import os
import re
import sys

floors = [["parallel"], ["model"], ["input"], ["tree"], ["plan"], ["operators"], ["output"],
          ["explain"], ["check"], ["driver", "import"]]
level = {}
for height, folders in enumerate(floors):
    for folder in folders:
        level[folder] = height
# The programs stand side by side on the top floor.
programs = set(floors[-1])


def main():
    src = sys.argv[1]
    faults = []
    threads = []
    for folder, _, files in os.walk(src):
        for name in sorted(files):
            path = os.path.join(folder, name)
            home = os.path.relpath(path, src).split(os.sep)[0]
            text = open(path, encoding="utf-8", errors="replace").read()
            if home not in level:
                faults.append("%s: in no floor of the house" % path)
                continue
            for included in re.findall(r'#include "([a-z]+)/', text):
                if included not in level:
                    faults.append("%s includes from %s/, no floor of the house" % (path, included))
                elif level[included] > level[home] or (
                        home in programs and included in programs and included != home):
                    faults.append("%s includes from %s/, above or beside its floor" %
                                  (path, included))
            if "#include <thread>" in text:
                threads.append(path)
            if re.search(r"\b(dynamic_cast|typeid)\b", text):
                faults.append("%s asks a value for its class" % path)
    if len(threads) != 1:
        faults.append("threads are started in %d files, not one: %s" % (len(threads), threads))
    for fault in faults:
        print(fault)
    print("house: %d faults" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
