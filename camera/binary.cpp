// The .cam and .scr binary codecs: each reader beside its mirror image.
// A file shorter than its counts say is refused (read on with zeros past its
// end under --lenient); bytes after what its counts give are warned of.
#include <span>

#include "camera/camera.hpp"

namespace z5::camera {
namespace {

// `values` of the record `what` names.
void readValues(BinaryReader& in, std::span<std::int32_t> values, std::string_view what) {
    in.need(static_cast<std::int64_t>(4 * values.size()),
            [what] { return "inside " + std::string(what); });
    for (std::int32_t& v : values) v = in.i32();
}

std::int32_t readCount(BinaryReader& in, std::string_view what) {
    std::int32_t count = 0;
    readValues(in, {&count, 1}, what);
    return count;
}

void writeValues(BinaryWriter& out, std::span<const std::int32_t> values) {
    for (std::int32_t v : values) out.i32(v);
}

// The blocks a count announces, each a `record` ("camera position 2 of 5");
// they are in the file before they are given memory.
template <class Block>
void readBlocks(BinaryReader& in, std::vector<Block>& blocks, std::int32_t count,
                std::string_view what, std::string_view record) {
    const auto n = static_cast<std::int64_t>(blocksOf(in, count, what));
    const std::int64_t start = in.position();
    const auto size = static_cast<std::int64_t>(sizeof(Block));
    in.need(n * size, [&] { return placeInRun(in.size(), start, size, n, record); });
    blocks.resize(static_cast<std::size_t>(n));
    for (Block& block : blocks)
        for (std::int32_t& v : block) v = in.i32();
}

template <class Block>
void writeBlocks(BinaryWriter& out, const std::vector<Block>& blocks) {
    for (const Block& block : blocks) writeValues(out, block);
}

}  // namespace

Cam readCam(BinaryReader& in) {
    Cam cam;
    cam.cameraCount = readCount(in, "the camera count");
    readBlocks(in, cam.cameras, cam.cameraCount, "camera count", "camera position");
    readValues(in, cam.sectionTwo, "the section 2 record");
    cam.positionCount = readCount(in, "the position count");
    readBlocks(in, cam.positions, cam.positionCount, "camera position count", "section 3 position");
    in.warnTrailing("the section 3 positions");
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
    std::array<std::int32_t, 3> header{};
    readValues(in, header, "the 12-byte header");
    scr.cameraTypes = header[0];
    scr.tv1Count = header[1];
    scr.tv2Count = header[2];
    readBlocks(in, scr.tv1, scr.tv1Count, "TV 1 camera count", "TV 1 camera");
    readBlocks(in, scr.tv2, scr.tv2Count, "TV 2 camera count", "TV 2 camera");
    in.warnTrailing("the TV 2 cameras");
    return scr;
}

void writeScr(BinaryWriter& out, const Scr& scr) {
    writeValues(out, std::array{scr.cameraTypes, scr.tv1Count, scr.tv2Count});
    writeBlocks(out, scr.tv1);
    writeBlocks(out, scr.tv2);
}

}  // namespace z5::camera
