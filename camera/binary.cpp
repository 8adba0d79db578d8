// The .cam and .scr binary codecs: each reader beside its mirror image.
// Neither file's length is checked against its counts: bytes past the end
// of a short file read as zero.
#include <span>

#include "camera/camera.hpp"

namespace z5::camera {
namespace {

void readValues(BinaryReader& in, std::span<std::int32_t> values) {
    for (std::int32_t& v : values) v = in.i32();
}

void writeValues(BinaryWriter& out, std::span<const std::int32_t> values) {
    for (std::int32_t v : values) out.i32(v);
}

template <class Block>
void readBlocks(BinaryReader& in, std::vector<Block>& blocks, std::int32_t count,
                std::string_view what) {
    blocks.resize(blocksOf(in, count, what));
    for (Block& block : blocks) readValues(in, block);
}

template <class Block>
void writeBlocks(BinaryWriter& out, const std::vector<Block>& blocks) {
    for (const Block& block : blocks) writeValues(out, block);
}

}  // namespace

Cam readCam(BinaryReader& in) {
    Cam cam;
    cam.cameraCount = in.i32();
    readBlocks(in, cam.cameras, cam.cameraCount, "camera count");
    readValues(in, cam.sectionTwo);
    cam.positionCount = in.i32();
    readBlocks(in, cam.positions, cam.positionCount, "camera position count");
    return cam;
}

void writeCam(BinaryWriter& out, const Cam& cam) {
    out.i32(cam.cameraCount);
    writeBlocks(out, cam.cameras);
    writeValues(out, cam.sectionTwo);
    out.i32(cam.positionCount);
    writeBlocks(out, cam.positions);
}

Scr readScr(BinaryReader& in) {
    Scr scr;
    for (std::int32_t* v : {&scr.cameraTypes, &scr.tv1Count, &scr.tv2Count}) *v = in.i32();
    readBlocks(in, scr.tv1, scr.tv1Count, "TV 1 camera count");
    readBlocks(in, scr.tv2, scr.tv2Count, "TV 2 camera count");
    return scr;
}

void writeScr(BinaryWriter& out, const Scr& scr) {
    writeValues(out, std::array{scr.cameraTypes, scr.tv1Count, scr.tv2Count});
    writeBlocks(out, scr.tv1);
    writeBlocks(out, scr.tv2);
}

}  // namespace z5::camera
