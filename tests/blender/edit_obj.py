# Run by Blender (blender -b --factory-startup --python-exit-code 1 --python
# edit_obj.py -- IMPORT EXPORT IN.obj OUT.obj INDEX X,Y,Z DZ): imports
# IN.obj, checks that vertex INDEX (from 0) stands at X, Y, Z in Blender's
# world (the object upright: its z is Blender's), moves it up by DZ there,
# exports OUT.obj.
# IMPORT and EXPORT name the OBJ operators and their settings:
#   new          wm.obj_import / wm.obj_export, the built-in ones, defaults
#   legacy       import_scene.obj / export_scene.obj, the add-on, defaults
#   legacy-keep  the add-on with "Keep Vert Order" (import) and "Keep
#                Vertex Order" (export)
# Every other setting, the axes among them, is left at its default.
import sys

import bpy
from mathutils import Vector

importer, exporter, source, target, index, at, dz = sys.argv[sys.argv.index("--") + 1 :]
bpy.ops.object.select_all(action="SELECT")
bpy.ops.object.delete()
if importer == "new":
    bpy.ops.wm.obj_import(filepath=source)
elif importer == "legacy":
    bpy.ops.import_scene.obj(filepath=source)
elif importer == "legacy-keep":
    bpy.ops.import_scene.obj(filepath=source, split_mode="OFF")
else:
    raise SystemExit("unknown importer " + importer)
objects = [o for o in bpy.context.selected_objects if o.type == "MESH"]
if len(objects) != 1:
    raise SystemExit("expected one mesh, the import made %d" % len(objects))
# Both importers put the axis conversion into the object's matrix and leave
# the mesh in the file's coordinates: the vertex is moved in the world's.
matrix = objects[0].matrix_world
vertex = objects[0].data.vertices[int(index)]
world = matrix @ vertex.co
if (world - Vector([float(c) for c in at.split(",")])).length > 1e-3:
    raise SystemExit("vertex %s stands at %s in Blender's world, not at %s" % (index, world, at))
world.z += float(dz)
vertex.co = matrix.inverted() @ world
if exporter == "new":
    bpy.ops.wm.obj_export(filepath=target)
elif exporter == "legacy":
    bpy.ops.export_scene.obj(filepath=target)
elif exporter == "legacy-keep":
    bpy.ops.export_scene.obj(filepath=target, keep_vertex_order=True)
else:
    raise SystemExit("unknown exporter " + exporter)
