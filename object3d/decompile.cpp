#include "object3d/object3d.hpp"

namespace z5 {

void run3doDecompile(Command& cmd) {
    using namespace object3d;
    BinaryReader in = cmd.openInput();
    TextWriter& vertexDef = cmd.createText("vertex.def");
    TextWriter& flavorDef = cmd.createText("flavor.def");
    const ObjectRead read = readObject(in);
    // A file of another kind (no tag read) leaves the old definition files.
    if (read.stage == 0 && !read.failure.empty()) {
        vertexDef.discard();
        flavorDef.discard();
        throw CommandFailure(read.failure);
    }
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

}  // namespace z5
