#!/usr/bin/env python3
"""Writes a large .3do object for the benchmarks: VERTS vertices, NORMS normals
and FLAVORS flavors of mixed types with many vertex references, laid out as
the compiler writes it (keys are position indexes, the last flavor is the
root). With --crafted the keys of the vertices and normals are chosen to
fall into one slot of a hash table of them (Fibonacci hashing, 2 x the
records rounded up to a power of two, as a lookup by key once was), the
object a hostile file would be; references go to the same records.
CORNERS (6 by default) is the count of vertex references of each tenth
flavor, an outline (FL02 kind 0): a larger count makes a larger object
within the compiler's 32768 flavors.
Usage: make_object.py OUT.3do [VERTS NORMS FLAVORS [CORNERS]] [--crafted]"""
import random
import struct
import sys


def i32(*values):
    return struct.pack('<%di' % len(values), *values)


def i16(*values):
    return struct.pack('<%dh' % len(values), *values)


def flavor(kind, body):
    return bytes([kind]) + i32(0) + body


def section(tag, length, data):
    return tag + i32(0, length) + data


def colliding_keys(count):
    """count keys k (as signed 32-bit numbers) whose slot, the top bits of
    k * 2^64 / golden ratio, is 0 in a table of bit_ceil(2 * count + 2)
    slots. Slot 0 is hit about once in every `slots` numbers, at gaps of a
    few Fibonacci numbers (the three-gap theorem): each gap is tried before
    a plain search."""
    golden, mask = 0x9E3779B97F4A7C15, (1 << 64) - 1
    shift = 64 - ((2 * count + 2 - 1).bit_length())
    hits = lambda k: ((k * golden) & mask) >> shift == 0
    gaps = [1, 2]
    while gaps[-1] < 1 << 24:
        gaps.append(gaps[-1] + gaps[-2])
    keys, k = [], 0
    while len(keys) < count:
        step = next((g for g in gaps if hits(k + g)), None)
        if step is None:
            k += 1
            while not hits(k):
                k += 1
        else:
            k += step
        keys.append(k - (1 << 32) if k >= 1 << 31 else k)
    assert k < 1 << 32
    return keys


def main():
    crafted = '--crafted' in sys.argv
    args = [a for a in sys.argv[1:] if a != '--crafted']
    out = args[0]
    verts, norms, count = (int(a) for a in args[1:4]) if len(args) > 3 else (32767, 32767, 20000)
    corners = int(args[4]) if len(args) > 4 else 6
    rnd = random.Random(5)
    vkeys = colliding_keys(verts) if crafted else list(range(verts))
    nkeys = colliding_keys(norms) if crafted else list(range(norms))
    v = lambda: vkeys[rnd.randrange(verts)]
    n = lambda: nkeys[rnd.randrange(norms)]
    flavors, offsets, at = [], [], 4
    for k in range(count):
        earlier = lambda: offsets[rnd.randrange(len(offsets))] if offsets else 4
        shape = k % 10
        if shape == 0:
            body = flavor(2, i32(1, k, 4) + i32(*(v() for _ in range(4))) + i16(*(rnd.randrange(256) for _ in range(8))))
        elif shape == 1:
            body = flavor(2, i32(13, k, 3) + i32(v(), v(), v()) + i16(*range(6)) + i32(n(), n(), n()))
        elif shape == 2:
            body = flavor(2, i32(0, k, corners) + i32(*(v() for _ in range(corners))))
        elif shape == 3:
            body = flavor(2, i32(12, k, 4) + i32(*(v() for _ in range(4))) + i32(*(n() for _ in range(4))))
        elif shape == 4:
            body = flavor(3, i32(rnd.randrange(-1000, 1000), k, 7))
        elif shape == 5:
            body = flavor(5, i32(earlier()) + i16(0, 3, 1, 2, 3, 4))
        elif shape == 6:
            body = flavor(6, i32(1, 2, 3, 4, 5, earlier()))
        elif shape == 7:
            body = flavor(4, i32(3, earlier(), earlier(), earlier()))
        elif shape == 8:
            body = flavor(17, i32(1, 2, 3, 2, 10, earlier(), 20, earlier()))
        else:
            body = flavor(12, i32(earlier(), 2, earlier(), earlier()))
        flavors.append(body)
        offsets.append(at)
        at += len(body)

    def points(keys):
        return b''.join(i32(k, rnd.randrange(-99999, 99999), rnd.randrange(-99999, 99999), rnd.randrange(-99999, 99999)) for k in keys)

    body = section(b'PERP', 16 * verts, points(vkeys)) + section(b'MRON', 16 * norms, points(nkeys))
    names = b'bench.mip\0\xff'
    body += section(b'NRTS', len(names), names + b' ' * ((4 - len(names) % 4) % 4))
    data = i32(offsets[-1]) + b''.join(flavors)
    body += section(b'MIRP', len(data), data + b' ' * ((4 - len(data) % 4) % 4))
    with open(out, 'wb') as f:
        f.write(b'3OD3' + i32(0, len(body)) + body)


if __name__ == '__main__':
    main()
