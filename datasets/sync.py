#!/usr/bin/env python3
"""Writes the tables of each database.txt under the query of each of its answer files.

Usage: sync.py [--check] [FOLDER]
FOLDER (this script's folder by default) holds one folder per database: NAME/database.txt, a
whole input file, and NAME/answers/NN.txt, each a reference query, an empty line, and the same
tables byte for byte. An answer's query is kept as it stands and everything after it is
replaced by the tables of database.txt, so only database.txt is edited by hand. With --check
nothing is written: the answer files whose tables differ are listed and the exit status is 1.
"""
import argparse
import glob
import os
import sys


def split(text):
    """The query section and the tables of an input file, parted at its first empty line."""
    end = text.find("\n\n")
    return (text.rstrip("\n"), "") if end < 0 else (text[:end], text[end + 2:])


def synced(answer, database):
    """The answer file with its own query and the database's tables."""
    return split(answer)[0] + "\n\n" + split(database)[1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--check", action="store_true")
    parser.add_argument("folder", nargs="?", default=os.path.dirname(os.path.abspath(__file__)))
    args = parser.parse_args()
    stale = []
    databases = sorted(glob.glob(os.path.join(args.folder, "*", "database.txt")))
    if not databases:
        print("no NAME/database.txt under %s" % args.folder)
        return 1
    for databasepath in databases:
        with open(databasepath, encoding="utf-8", newline="") as f:
            database = f.read()
        answers = os.path.join(os.path.dirname(databasepath), "answers", "*.txt")
        for path in sorted(glob.glob(answers)):
            with open(path, encoding="utf-8", newline="") as f:
                answer = f.read()
            wanted = synced(answer, database)
            if wanted == answer:
                continue
            stale.append(path)
            if not args.check:
                with open(path, "w", encoding="utf-8", newline="") as f:
                    f.write(wanted)
    for path in stale:
        print("%s %s" % ("differs from its database.txt:" if args.check else "rewritten:", path))
    return 1 if args.check and stale else 0


if __name__ == "__main__":
    sys.exit(main())
