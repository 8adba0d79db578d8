#!/usr/bin/env python3
"""Writes the picture samples: cube.3do (8 corners at +-100, 6 quads),
wheel.3do (two rings of 24 vertices, 24 side quads and two 24-sided caps)
and speedway.trk (an oval: two straights, two half turns, 4 E-lines); and
game.dat, an archive of the samples of every kind and one file of no known
kind, some names in upper case and some in lower, packed by z5def.
The objects are compiled by z5def from definition files written here.
Usage: scripts/make-samples.py Z5DEF SAMPLES_DIR"""
import math
import os
import struct
import subprocess
import sys
import tempfile


def col(value, width):
    return str(value).rjust(width)


def compile_object(z5def, out, vertices, faces):
    """vertices: [(x, y, z)], faces: [[vertex positions]]; each face an FL02
    of Kind 0, the last flavor an FL04 listing them all (the root)."""
    with tempfile.TemporaryDirectory() as work:
        lines = ["REM  Z5 DEF V1.0", "REM  Z5 Vertex File",
                 "REM  Includes PERP and MRON Sections", "", "", "VERTICES:"]
        lines += [col(k, 6) + "".join(col(c, 13) for c in v) for k, v in enumerate(vertices)]
        with open(os.path.join(work, "vertex.def"), "w", newline="\r\n") as f:
            f.write("\n".join(lines) + "\n")
        lines = ["REM  Z5 DEF V1.0", "REM  Z5 Vertex File",
                 "REM  Includes NRTS and PRIM Sections", "", "", "FILE  paint.pmp", ""]
        offset, offsets = 4, []
        for face in faces:
            values = [0, 0, len(face)] + face
            lines.append("FL02 " + col(offset, 6) + "".join(col(v, 13) for v in values))
            offsets.append(offset)
            offset += 5 + 4 * len(values)
        lines.append("FL04 " + col(offset, 6) + "".join(col(v, 13) for v in [len(offsets)] + offsets))
        with open(os.path.join(work, "flavor.def"), "w", newline="\r\n") as f:
            f.write("\n".join(lines) + "\n")
        subprocess.run([z5def, "-q", "-C", work, "3do", "compile", os.path.abspath(out)], check=True)


def cube():
    corners = [(x, y, z) for z in (-100, 100) for y in (-100, 100) for x in (-100, 100)]
    faces = [[0, 1, 3, 2], [4, 6, 7, 5], [0, 4, 5, 1], [2, 3, 7, 6], [0, 2, 6, 4], [1, 5, 7, 3]]
    return corners, faces


def wheel(n=24, radius=100, half_width=30):
    ring = [(round(radius * math.cos(2 * math.pi * k / n)), round(radius * math.sin(2 * math.pi * k / n)))
            for k in range(n)]
    vertices = [(x, y, -half_width) for x, y in ring] + [(x, y, half_width) for x, y in ring]
    faces = [[k, (k + 1) % n, n + (k + 1) % n, n + k] for k in range(n)]
    faces += [list(range(n - 1, -1, -1)), list(range(n, 2 * n))]
    return vertices, faces


def speedway(out):
    """Straight 1 along y = -R from x = 0 to L, a half turn about (L, 0),
    straight 3 back along y = R, a half turn about (0, 0)."""
    straight, radius = 60000, 20000
    turn = round(math.pi * radius)
    lateral = [-3000, -1000, 1000, 3000]
    sections, banking, surfaces, walls = [], [], [], []
    start = 0
    for s in range(4):
        is_straight = s % 2 == 0
        length = straight if is_straight else turn
        rising = 0 if is_straight else 400
        for e, w in enumerate(lateral):
            heights = [rising * e, rising * e + 10, rising * e + 20, 1000 + rising * e]
            if is_straight:
                x = 0 if s == 0 else straight
                y = -radius - w if s == 0 else radius + w
                banking.append(heights + [0, 0, x, y])
            else:
                banking.append(heights + [0, 0, radius + w, 0])
        # Grass, asphalt and a kerb by the inside of the turns.
        stretches = [(0, 200, 3), (200, 1800, 1), (1800, 2000, 3)] if is_straight else \
            [(0, 150, 2), (150, 1850, 1), (1850, 2000, 3)]
        surfaces += [list(st) for st in stretches]
        section_walls = [[1, 0, length, 0, 0], [2, 0, length, 0, 0]]
        centre = (straight, 0) if s == 1 else (0, 0)
        fields = [1, start, length, 90 * s, 0, 0, 0, 0, 0] if is_straight else \
            [2, start, length, 90 * s, centre[0], centre[1], 180, 0, 0]
        sections.append((fields + [0, len(stretches), 0, len(section_walls)], section_walls))
        walls += section_walls
        start += length
    e_lines = lateral + [0] * 6
    data = b"KART" + struct.pack("<6i", 1, start, len(lateral), 4, 12 * len(surfaces),
                                 52 * 4 + 20 * len(walls))
    data += struct.pack("<10i", *e_lines)
    data += struct.pack("<4i", *[92 * s for s in range(4)])
    for row in banking + surfaces:
        data += struct.pack("<%di" % len(row), *row)
    for fields, section_walls in sections:
        data += struct.pack("<13i", *fields)
        for row in section_walls:
            data += struct.pack("<5i", *row)
    with open(out, "wb") as f:
        f.write(data)


# The members of game.dat: the name in the archive and the sample it holds.
# A setup keeps the name it was made under, which it holds inside.
GAME_MEMBERS = [
    ("OVAL.TRK", "oval.trk"),
    ("speedway.trk", "speedway.trk"),
    ("CUBE.3DO", "cube.3do"),
    ("wheel.3do", "wheel.3do"),
    ("BOX.3DO", "box.3do"),
    ("SAMPLE.CAM", "sample.cam"),
    ("sample.scr", "sample.scr"),
    ("sample.stg", "sample.stg"),
    ("MIXED.BIN", "mixed.bin"),
]


def game(z5def, samples):
    """game.dat, packed by z5def from the samples under their member names."""
    with tempfile.TemporaryDirectory() as work:
        for member, sample in GAME_MEMBERS:
            with open(os.path.join(samples, sample), "rb") as f, \
                    open(os.path.join(work, member), "wb") as g:
                g.write(f.read())
        lines = ["game", " %d " % len(GAME_MEMBERS)] + [m for m, _ in GAME_MEMBERS]
        with open(os.path.join(work, "dattext.pck"), "w", newline="\r\n") as f:
            f.write("\n".join(lines) + "\n")
        subprocess.run([z5def, "-q", "-C", work, "pack", "dattext.pck"], check=True)
        with open(os.path.join(work, "game.dat"), "rb") as f, \
                open(os.path.join(samples, "game.dat"), "wb") as g:
            g.write(f.read())


def main():
    z5def, samples = sys.argv[1], sys.argv[2]
    compile_object(z5def, os.path.join(samples, "cube.3do"), *cube())
    compile_object(z5def, os.path.join(samples, "wheel.3do"), *wheel())
    speedway(os.path.join(samples, "speedway.trk"))
    game(z5def, samples)


if __name__ == "__main__":
    main()
