#include "object3d/object3d.hpp"
#include "object3d/renumbering.hpp"

namespace z5 {

namespace object3d {

void compileObject(Object& object) {
    std::size_t records[2] = {0, 0};  // vertices, normals
    for (const PointSection& section : object.points)
        records[section.normals] += section.points.size();
    Renumbering vertices(records[0]), normals(records[1]), offsets(object.flavors.size());
    for (PointSection& section : object.points) {
        Renumbering& table = section.normals ? normals : vertices;
        std::int32_t position = 0;
        for (Point& point : section.points) {
            table.add(point[0], position);
            point[0] = position++;
        }
    }
    std::int64_t at = kFirstFlavorOffset;
    for (Flavor& flavor : object.flavors) {
        offsets.add(flavor.offset, static_cast<std::int32_t>(at));
        flavor.offset = object.root = static_cast<std::int32_t>(at);
        at += flavorSize(flavor);
    }
    for (Flavor& flavor : object.flavors)
        for (Value& v : flavor.values) {
            if (v.field.ref == Ref::Vertex) v.number = vertices(v.number);
            if (v.field.ref == Ref::Normal) v.number = normals(v.number);
            if (v.field.ref == Ref::Flavor) v.number = offsets(v.number);
        }
}

}  // namespace object3d

void run3doDecompile(Command& cmd) {
    using namespace object3d;
    BinaryReader in = cmd.openInput();
    TextWriter& vertexDef = cmd.createText("vertex.def");
    TextWriter& flavorDef = cmd.createText("flavor.def");
    const ObjectRead read = readObject(in);
    try {
        printVertexDef(vertexDef, read.object);
        printFlavorDef(flavorDef, read.object);
        if (!read.failure.empty()) throw CommandFailure(read.failure);
    } catch (const std::exception& e) {
        // What was read is in the files; once they are closed and the
        // pointer is back, a box names the section the object was damaged in.
        if (read.stage == 0) throw;
        const Stage& stage = kStages[static_cast<std::size_t>(read.stage)];
        throw StageFailure(e.what(), std::string(stage.crash), std::string(stage.title));
    }
}

void run3doCompile(Command& cmd) {
    using namespace object3d;
    // The definition files are found in the working folder without regard
    // to letter case. The object and offset.def replace older ones only when
    // the whole compile succeeded; the object may be neither an input nor
    // offset.def.
    BinaryWriter& out = cmd.createBinaryAt(cmd.chosenPath(), cmd.chosenPath());
    TextWriter& offsetDef = cmd.createText("offset.def");
    Object object;
    {
        TextReader def = cmd.openText("vertex.def");
        parseVertexDef(def, &offsetDef, object);
    }
    {
        TextReader def = cmd.openText("flavor.def");
        parseFlavorDef(def, &offsetDef, object);
    }
    compileObject(object);
    writeObject(out, object);
}

}  // namespace z5
