# Run by Blender (blender -b --factory-startup --python-exit-code 1 --python
# addon.py -- ADDON.zip SAMPLES WORK): installs and enables the add-on from
# its ZIP, then drives its operators as the menu entries do. WORK holds
# defs/ (vertex.def and flavor.def of cube.3do) and an empty out/. Any
# failed check ends Blender with exit status 1.
import math
import os
import re
import shutil
import struct
import subprocess
import sys

import bpy
from mathutils import Vector

zip_path, samples, work = sys.argv[sys.argv.index("--") + 1 :]
cube = os.path.join(samples, "cube.3do")
defs = os.path.join(work, "defs")
out = os.path.join(work, "out")


def check(condition, what):
    if not condition:
        raise SystemExit("addon: FAILED " + what)
    print("addon: ok " + what)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def vertex_def(path):
    """The (x, y, z) of each line after VERTICES: up to the first empty one."""
    lines = read(path).decode("ascii").split("\r\n")
    first = lines.index("VERTICES:") + 1
    end = lines.index("", first)
    return [tuple(int(v) for v in line.split()[1:4]) for line in lines[first:end]]


def refused(operator, reason, **settings):
    """Runs `operator`, which must fail with `reason` (a pattern) in the report."""
    try:
        operator(**settings)
    except RuntimeError as error:
        message = str(error).strip()
        check(re.search(reason, message) is not None, "refused: " + message)
        return
    raise SystemExit(
        "addon: FAILED %s was not refused (%s expected)" % (operator.idname_py(), reason)
    )


def world(obj):
    return [obj.matrix_world @ v.co for v in obj.data.vertices]


def move_up(obj, index, dz):
    """Moves vertex `index` up by `dz` in Blender's world."""
    vertex = obj.data.vertices[index]
    position = obj.matrix_world @ vertex.co
    vertex.co = obj.matrix_world.inverted() @ (position + Vector((0, 0, dz)))


def moved_only(old, new, index, xyz):
    """Whether the object `new` differs from `old` only in the 12 bytes of
    vertex `index`'s x, y and z, which now are `xyz`."""
    at = old.index(b"PERP") + 12 + 16 * index + 4
    return new == old[:at] + struct.pack("<3i", *xyz) + old[at + 12 :]


# Installed from the ZIP into the private configuration (package-test.sh
# checks the ZIP's version).
bpy.ops.preferences.addon_install(filepath=zip_path)
bpy.ops.preferences.addon_enable(module="z5def_blender")
prefs = bpy.context.preferences.addons["z5def_blender"].preferences

# The start-up scene's cube was not imported: both exports refuse it.
target = os.path.join(out, "cube.3do")
reason = r'"Cube" was not imported by File > Import > Z5 object'
refused(bpy.ops.export_scene.z5def_3do, reason, filepath=target)
refused(bpy.ops.export_scene.z5def_vertex_def, r'"Cube" was not imported')
check(os.listdir(out) == [], "nothing written")
bpy.ops.object.select_all(action="SELECT")
bpy.ops.object.delete()

# Imported upright: the object's x, y and z are Blender's world coordinates.
bpy.ops.import_scene.z5def_3do(filepath=cube)
obj = bpy.context.active_object
corners = vertex_def(os.path.join(defs, "vertex.def"))
check((obj.name, obj.data.name) == ("cube", "cube"), "object and mesh named cube")
check(world(obj) == [Vector(c) for c in corners], "world coordinates are those of vertex.def")

# A vertex moved up in Blender moves up in the object, and only that vertex.
index = 5
move_up(obj, index, 150)
bpy.ops.export_scene.z5def_3do(filepath=target)
x, y, z = corners[index]
check(moved_only(read(cube), read(target), index, (x, y, z + 150)), "only vertex 5's bytes differ")
check(os.listdir(out) == ["cube.3do"], "nothing else written beside it")

# A vertex added: refused with z5def's reason. A compile that fails (a
# read-only target) changes nothing either. Imported again, the object
# takes the next free name.
written = read(target)
obj.data.vertices.add(1)
reason = r"^Error: z5def: cube\.obj:9: more vertices than the 8 of vertex\.def$"
refused(bpy.ops.export_scene.z5def_3do, reason, filepath=target)
bpy.ops.import_scene.z5def_3do(filepath=cube)
again = bpy.context.active_object
check((again.name, again.data.name, obj.name) == ("cube.001",) * 2 + ("cube",), "cube.001")
os.chmod(target, 0o444)
reason = r"^Error: z5def: cannot replace .*cube\.3do: it is read-only$"
refused(bpy.ops.export_scene.z5def_3do, reason, filepath=target)
os.chmod(target, 0o644)
check(read(target) == written and os.listdir(out) == ["cube.3do"], "the old object unchanged")

# The definitions of a folder, chosen by its vertex.def: named after the
# folder, written back into it, and compiled in Blender's world
# coordinates (the object turned a quarter about z and lifted by 10).
before = {name: read(os.path.join(defs, name)) for name in os.listdir(defs)}
bpy.ops.import_scene.z5def_3do(filepath=os.path.join(defs, "vertex.def"))
obj = bpy.context.active_object
check(obj.name == "defs" and world(obj) == [Vector(c) for c in corners], "defs imported")
move_up(obj, 2, -40)
bpy.ops.export_scene.z5def_vertex_def()
x, y, z = corners[2]
moved = corners[:2] + [(x, y, z - 40)] + corners[3:]
check(vertex_def(os.path.join(defs, "vertex.def")) == moved, "vertex.def takes the move")
changed = [name for name in before if read(os.path.join(defs, name)) != before[name]]
check(changed == ["vertex.def"], "flavor.def unchanged")
obj.rotation_euler.z = math.pi / 2
obj.location.z = 10
turned = os.path.join(out, "turned.3do")
bpy.ops.export_scene.z5def_3do(filepath=turned)
subprocess.run(["z5def", "-q", "-C", defs, "3do", "decompile", turned], check=True)
expected = [(-y, x, z + 10) for x, y, z in moved]
check(vertex_def(os.path.join(defs, "vertex.def")) == expected, "world coordinates written")
bpy.context.view_layer.objects.active = bpy.data.objects["cube"]
reason = r'"cube" was imported from .*cube\.3do, not from definitions'
refused(bpy.ops.export_scene.z5def_vertex_def, reason)

# z5def's own refusals come through; nothing is imported then.
bad = os.path.join(work, "bad.3do")
shutil.copyfile(os.path.join(samples, "mixed.bin"), bad)
count = len(bpy.data.objects)
reason = r"^Error: z5def: .*bad\.3do is not a 3do object"
refused(bpy.ops.import_scene.z5def_3do, reason, filepath=bad)

# Where z5def is looked for: the preferences' path, else the PATH.
prefs.z5def = os.path.join(work, "nowhere", "z5def")
reason = r'z5def is not at ".*nowhere.*": give its path in Edit > Preferences'
refused(bpy.ops.import_scene.z5def_3do, reason, filepath=cube)
prefs.z5def = ""
os.environ["PATH"] = os.path.join(work, "nowhere")
refused(bpy.ops.import_scene.z5def_3do, r"z5def was not found on the PATH", filepath=cube)
check(len(bpy.data.objects) == count, "no object added")
