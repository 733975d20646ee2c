#!/usr/bin/env python3
"""The open and the paste as a technical user would script them with zipfile.

Reads the database LXF's .lef, takes its clubs section lines, opens the entries LXF, replaces
what stands between </SESSIONS> and </MEET> with them and writes the entries LXF back, packed
with deflate at zlib's default level. Prints the seconds it took, without the interpreter's
start-up, on the last line.

usage: python_anchor.py DATABASE.lxf ENTRIES.lxf [LEVEL]
(LEVEL, when given, is the deflate level for writing back; the benchmark uses it only for a
comparison at Rostrel's own level.)
"""

import sys
import time
import zipfile

KEPT = (b"<CLUB", b"<CONT", b"<ATHL", b"</ATH", b"</CLU")


def read_lef(path):
    with zipfile.ZipFile(path) as z:
        name = next(n for n in z.namelist() if n.lower().endswith(".lef"))
        return name, z.read(name)


def clubs_section(document):
    kept = []
    inside = False
    for line in document.split(b"\r\n"):
        stripped = line.strip(b" ")
        if stripped == b"<CLUBS>":
            inside = True
        if inside and stripped.startswith(KEPT):
            kept.append(line)
        if stripped == b"</CLUBS>":
            break
    return kept


def main(database, entries, level=None):
    started = time.perf_counter()
    _, db = read_lef(database)
    clubs = clubs_section(db)

    name, doc = read_lef(entries)
    out = []
    copying = True
    for line in doc.split(b"\r\n"):
        stripped = line.strip(b" ")
        if stripped == b"</SESSIONS>":
            out.append(line)
            out.extend(clubs)
            copying = False
            continue
        if stripped == b"</MEET>":
            copying = True
        if copying:
            out.append(line)
    with zipfile.ZipFile(entries, "w", compression=zipfile.ZIP_DEFLATED, compresslevel=level) as z:
        z.writestr(name, b"\r\n".join(out))
    print(f"{time.perf_counter() - started:.6f}")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else None)
