# Run by Blender (blender -b --factory-startup --python-exit-code 1 --python
# edit_obj.py -- IMPORT EXPORT IN.obj OUT.obj INDEX DZ): imports IN.obj,
# moves vertex INDEX (from 0) by DZ along the file's z, exports OUT.obj.
# IMPORT and EXPORT name the OBJ operators and their settings:
#   new          wm.obj_import / wm.obj_export, the built-in ones, defaults
#   legacy       import_scene.obj / export_scene.obj, the add-on, defaults
#   legacy-keep  the add-on with "Keep Vert Order" (import) and "Keep
#                Vertex Order" (export)
# Every other setting, the axes among them, is left at its default.
import sys

import bpy

importer, exporter, source, target, index, dz = sys.argv[sys.argv.index("--") + 1:]
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
meshes = [o.data for o in bpy.context.selected_objects if o.type == "MESH"]
if len(meshes) != 1:
    raise SystemExit("expected one mesh, the import made %d" % len(meshes))
# Both importers put the axis conversion into the object's matrix: the mesh
# keeps the file's coordinates.
meshes[0].vertices[int(index)].co.z += float(dz)
if exporter == "new":
    bpy.ops.wm.obj_export(filepath=target)
elif exporter == "legacy":
    bpy.ops.export_scene.obj(filepath=target)
elif exporter == "legacy-keep":
    bpy.ops.export_scene.obj(filepath=target, keep_vertex_order=True)
else:
    raise SystemExit("unknown exporter " + exporter)
