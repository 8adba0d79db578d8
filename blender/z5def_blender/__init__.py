# Z5 objects in Blender: File > Import and File > Export run z5def, which
# does every conversion; the add-on moves the object between Blender and
# an OBJ in a folder of its own, and keeps on the object where it came
# from.
bl_info = {
    "name": "Z5 Def Tool",
    "author": "The Z5 Def Tool developers",
    "version": (0, 0, 0),  # the project's version, written in by the build
    "blender": (3, 4, 0),
    "location": "File > Import > Z5 object (.3do); File > Export > Z5 object (.3do), "
    "Z5 definitions (vertex.def)",
    "description": "Edit the racing simulation's 3D objects (.3do) through z5def",
    "category": "Import-Export",
}

if "bpy" in locals():
    import importlib

    importlib.reload(bridge)  # noqa: F821 (a reload by Blender)

import os
import tempfile

import bpy
from bpy.props import StringProperty
from bpy_extras.io_utils import ExportHelper, ImportHelper
from mathutils import Matrix

from . import bridge

# Where an imported object came from, kept on the object (and in the
# .blend): the .3do, or the folder of the definitions.
SOURCE = "z5def_source"
KIND = "z5def_kind"  # "3do" or "definitions"

# 3do export writes (x, y, z) as OBJ's (x, z, -y); imported with Blender's
# own axes (forward Y, up Z) the mesh holds those, and this turns them back
# exactly (every entry 0 or 1 or -1).
UPRIGHT = Matrix(((1, 0, 0, 0), (0, 0, -1, 0), (0, 1, 0, 0), (0, 0, 0, 1)))


def program(context):
    return bridge.find_program(
        bpy.path.abspath(context.preferences.addons[__name__].preferences.z5def)
    )


class Preferences(bpy.types.AddonPreferences):
    bl_idname = __name__

    z5def: StringProperty(
        name="z5def",
        description="The program z5def (z5def.exe on Windows); empty: z5def found on the PATH",
        subtype="FILE_PATH",
        default="",
    )

    def draw(self, context):
        self.layout.prop(self, "z5def")
        try:
            self.layout.label(text="Runs " + bridge.find_program(bpy.path.abspath(self.z5def)))
        except bridge.Failure as failure:
            self.layout.label(text=str(failure), icon="ERROR")


def private():
    """A temporary folder of the add-on's own, removed with what is in it."""
    return tempfile.TemporaryDirectory(prefix="z5def-blender-", ignore_cleanup_errors=True)


def warn(operator, warnings):
    if warnings:
        more = " (and %d more)" % (len(warnings) - 1) if len(warnings) > 1 else ""
        operator.report({"WARNING"}, warnings[0] + more)


class ImportObject(bpy.types.Operator, ImportHelper):
    """Import a Z5 object (.3do), or the definitions a vertex.def stands for"""

    bl_idname = "import_scene.z5def_3do"
    bl_label = "Import Z5 object"
    bl_options = {"REGISTER", "UNDO"}

    filename_ext = ".3do"
    filter_glob: StringProperty(default="*.3do;*.def", options={"HIDDEN"})

    def execute(self, context):
        path = os.path.abspath(bpy.path.abspath(self.filepath))
        folder, name = os.path.split(path)
        try:
            z5def = program(context)
            if name.lower() in ("vertex.def", "flavor.def"):
                kind, source, name = "definitions", folder, os.path.basename(folder)
            elif name.lower().endswith(".def"):
                raise bridge.Failure(
                    "%s is no object: choose a .3do, or the vertex.def of definitions" % name
                )
            else:
                kind, source, name = "3do", path, os.path.splitext(name)[0]
            with private() as work:
                obj = os.path.join(work, "import.obj")
                if kind == "3do":
                    warnings = bridge.run(z5def, work, "3do", "export", source, "-o", obj)
                else:
                    warnings = bridge.run(z5def, source, "3do", "export", "-o", obj)
                imported = import_obj(context, obj)
        except bridge.Failure as failure:
            self.report({"ERROR"}, str(failure))
            return {"CANCELLED"}
        imported.name = free_name(bpy.data.objects, name, imported)
        imported.data.name = free_name(bpy.data.meshes, name, imported.data)
        imported[SOURCE] = source
        imported[KIND] = kind
        warn(self, warnings)
        return {"FINISHED"}


def free_name(ids, name, own):
    """`name`, or with the first free number after it, for `own`: Blender
    would take a name in use from the object or mesh that has it."""
    name = name[:50] or "object"
    number = 0
    free = name
    while free in ids and ids[free] != own:
        number += 1
        free = "%s.%03d" % (name, number)
    return free


def import_obj(context, path):
    """The one mesh object Blender's OBJ importer makes of `path`, upright
    and in the vertex order of the file."""
    before = {o.as_pointer() for o in bpy.data.objects}
    try:
        bpy.ops.wm.obj_import(filepath=path, forward_axis="Y", up_axis="Z")
    except RuntimeError as error:
        raise bridge.Failure("Blender's OBJ importer failed: %s" % str(error).strip())
    made = [o for o in bpy.data.objects if o.as_pointer() not in before]
    if len(made) != 1 or made[0].type != "MESH":
        for o in made:
            data = o.data
            bpy.data.objects.remove(o)
            if data is not None and data.users == 0 and isinstance(data, bpy.types.Mesh):
                bpy.data.meshes.remove(data)
        raise bridge.Failure(
            "Blender's OBJ importer made %d objects of z5def's OBJ, not one mesh" % len(made)
        )
    obj = made[0]
    obj.data.transform(UPRIGHT)
    obj.matrix_basis = Matrix.Identity(4)
    context.view_layer.objects.active = obj
    obj.select_set(True)
    return obj


def imported_object(context, kind=None):
    """The active object when it was imported by the add-on (and of `kind`
    when given), else a Failure saying what is wrong."""
    obj = context.active_object
    if obj is None:
        raise bridge.Failure("No active object to export")
    if obj.get(KIND) not in ("3do", "definitions") or obj.type != "MESH":
        raise bridge.Failure(
            '"%s" was not imported by File > Import > Z5 object (.3do): '
            "only such objects can be exported" % obj.name
        )
    if kind and obj[KIND] != kind:
        raise bridge.Failure(
            '"%s" was imported from %s, not from definitions: '
            "export it with File > Export > Z5 object (.3do)" % (obj.name, obj[SOURCE])
        )
    return obj


def write_positions(obj, path):
    """Writes the object's vertices, in Blender's world coordinates, and its
    faces into the OBJ at `path`."""
    if obj.mode == "EDIT":
        obj.update_from_editmode()
    mesh = obj.data
    co = [0.0] * (3 * len(mesh.vertices))
    mesh.vertices.foreach_get("co", co)
    points = list(zip(co[0::3], co[1::3], co[2::3]))
    matrix = obj.matrix_world
    if matrix != Matrix.Identity(4):
        # In double precision: an exact integer stays exact where it can.
        rows = [[float(value) for value in row] for row in matrix]
        points = [
            tuple(r[0] * x + r[1] * y + r[2] * z + r[3] for r in rows[:3]) for x, y, z in points
        ]
    bridge.write_positions(path, points, [list(p.vertices) for p in mesh.polygons])


def positions_name(obj):
    """The OBJ's name in z5def's reasons: the object's, in plain letters,
    never one that reads as an option or a hidden file."""
    name = "".join(c if c.isascii() and (c.isalnum() or c in "-_.") else "_" for c in obj.name)
    return (name.lstrip("-.") or "object") + ".obj"


class ExportObject(bpy.types.Operator, ExportHelper):
    """Export the active object, imported from a Z5 object or definitions, as a Z5 object (.3do)"""

    bl_idname = "export_scene.z5def_3do"
    bl_label = "Export Z5 object"

    filename_ext = ".3do"
    filter_glob: StringProperty(default="*.3do", options={"HIDDEN"})

    def invoke(self, context, event):
        try:
            obj = imported_object(context)
        except bridge.Failure as failure:
            self.report({"ERROR"}, str(failure))
            return {"CANCELLED"}
        if not self.filepath and obj[KIND] == "3do":
            self.filepath = obj[SOURCE]
        return ExportHelper.invoke(self, context, event)

    def execute(self, context):
        target = os.path.abspath(bpy.path.abspath(self.filepath))
        try:
            obj = imported_object(context)
            z5def = program(context)
            with private() as work:
                if obj[KIND] == "3do":
                    warnings = bridge.run(z5def, work, "3do", "decompile", obj[SOURCE])
                else:
                    bridge.copy_definitions(obj[SOURCE], work)
                    warnings = []
                name = positions_name(obj)
                write_positions(obj, os.path.join(work, name))
                bridge.run(z5def, work, "3do", "positions", name)
                # The safe writer of z5def replaces the target only with a
                # complete object.
                warnings += bridge.run(z5def, work, "3do", "compile", target)
        except (bridge.Failure, OSError) as failure:
            self.report({"ERROR"}, str(failure))
            return {"CANCELLED"}
        warn(self, warnings)
        self.report({"INFO"}, "Wrote " + target)
        return {"FINISHED"}


class ExportDefinitions(bpy.types.Operator):
    """Write the vertex positions of the active object into the vertex.def it was imported from"""

    bl_idname = "export_scene.z5def_vertex_def"
    bl_label = "Export Z5 definitions"

    def invoke(self, context, event):
        try:
            imported_object(context, "definitions")
        except bridge.Failure as failure:
            self.report({"ERROR"}, str(failure))
            return {"CANCELLED"}
        return context.window_manager.invoke_confirm(self, event)

    def execute(self, context):
        try:
            obj = imported_object(context, "definitions")
            z5def = program(context)
            with private() as work:
                path = os.path.join(work, positions_name(obj))
                write_positions(obj, path)
                # positions replaces vertex.def only when it takes the file.
                warnings = bridge.run(z5def, obj[SOURCE], "3do", "positions", path)
        except (bridge.Failure, OSError) as failure:
            self.report({"ERROR"}, str(failure))
            return {"CANCELLED"}
        warn(self, warnings)
        self.report({"INFO"}, "Wrote the positions into vertex.def of " + obj[SOURCE])
        return {"FINISHED"}


def import_entry(self, context):
    self.layout.operator(ImportObject.bl_idname, text="Z5 object (.3do)")


def export_entries(self, context):
    self.layout.operator(ExportObject.bl_idname, text="Z5 object (.3do)")
    self.layout.operator(ExportDefinitions.bl_idname, text="Z5 definitions (vertex.def)")


CLASSES = (Preferences, ImportObject, ExportObject, ExportDefinitions)


def register():
    for cls in CLASSES:
        bpy.utils.register_class(cls)
    bpy.types.TOPBAR_MT_file_import.append(import_entry)
    bpy.types.TOPBAR_MT_file_export.append(export_entries)


def unregister():
    bpy.types.TOPBAR_MT_file_export.remove(export_entries)
    bpy.types.TOPBAR_MT_file_import.remove(import_entry)
    for cls in reversed(CLASSES):
        bpy.utils.unregister_class(cls)
