#include "track/track.hpp"

namespace z5 {

namespace track {

Track compileTrack(TextReader& def) {
    Track track = parseTrack(def);
    track.header.version = kVersion;
    setBlockSizes(track);
    if (const auto why = unreadable(track)) throw CommandFailure(def.name() + ": " + *why);
    return track;
}

void setBlockSizes(Track& track) {
    // The rows decide both block sizes, whatever the header said. At most
    // 501 rows each and 32768 sections keep these inside 32 bits.
    track.header.magic = kMagic;
    track.header.section2 = static_cast<std::int32_t>(kSurfaceBytes * track.surfaces.size());
    track.header.section3 = static_cast<std::int32_t>(kWallBytes * track.walls.size() +
                                                      kSectionBytes * track.sections.size());
}

}  // namespace track

void runTrkDecompile(Command& cmd) {
    BinaryReader trk = cmd.openInput();
    track::printTrack(cmd.createText("Trk.def"), track::readTrack(trk));
}

void runTrkCompile(Command& cmd) {
    TextReader def = cmd.openText("Trk.def");
    track::writeTrack(cmd.createBinary("New.trk"), track::compileTrack(def));
}

}  // namespace z5
