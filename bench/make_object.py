#!/usr/bin/env python3
"""Writes a large .3do object for the benchmarks: VERTS vertices, NORMS normals
and FLAVORS flavors of mixed types with many vertex references, laid out as
the compiler writes it (keys are position indexes, the last flavor is the
root). Usage: make_object.py OUT.3do [VERTS NORMS FLAVORS]"""
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


def main():
    out = sys.argv[1]
    verts, norms, count = (int(a) for a in sys.argv[2:5]) if len(sys.argv) > 4 else (32767, 32767, 20000)
    rnd = random.Random(5)
    v = lambda: rnd.randrange(verts)
    n = lambda: rnd.randrange(norms)
    flavors, offsets, at = [], [], 4
    for k in range(count):
        earlier = lambda: offsets[rnd.randrange(len(offsets))] if offsets else 4
        shape = k % 10
        if shape == 0:
            body = flavor(2, i32(1, k, 4) + i32(*(v() for _ in range(4))) + i16(*(rnd.randrange(256) for _ in range(8))))
        elif shape == 1:
            body = flavor(2, i32(13, k, 3) + i32(v(), v(), v()) + i16(*range(6)) + i32(n(), n(), n()))
        elif shape == 2:
            body = flavor(2, i32(0, k, 6) + i32(*(v() for _ in range(6))))
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

    def points(total):
        return b''.join(i32(i, rnd.randrange(-99999, 99999), rnd.randrange(-99999, 99999), rnd.randrange(-99999, 99999)) for i in range(total))

    body = section(b'PERP', 16 * verts, points(verts)) + section(b'MRON', 16 * norms, points(norms))
    names = b'bench.mip\0\xff'
    body += section(b'NRTS', len(names), names + b' ' * ((4 - len(names) % 4) % 4))
    data = i32(offsets[-1]) + b''.join(flavors)
    body += section(b'MIRP', len(data), data + b' ' * ((4 - len(data) % 4) % 4))
    with open(out, 'wb') as f:
        f.write(b'3OD3' + i32(0, len(body)) + body)


if __name__ == '__main__':
    main()
