# Run by Blender (blender -b --factory-startup --python move_vertex.py --
# IN.obj OUT.obj INDEX DZ): imports IN.obj with the default axis settings,
# moves vertex INDEX (from 0) by DZ along the file's z, exports OUT.obj with
# the same axis settings.
import sys

import bpy

source, target, index, dz = sys.argv[sys.argv.index("--") + 1:]
bpy.ops.object.select_all(action="SELECT")
bpy.ops.object.delete()
bpy.ops.wm.obj_import(filepath=source)
mesh = bpy.context.selected_objects[0].data
# The importer puts the axis conversion into the object's matrix: the mesh
# keeps the file's coordinates.
mesh.vertices[int(index)].co.z += float(dz)
bpy.ops.wm.obj_export(filepath=target, export_materials=False)
