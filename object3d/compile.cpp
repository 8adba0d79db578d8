// Compiling the definition files: the renumbering of every record, the
// object and offset.def.
#include <algorithm>

#include "object3d/object3d.hpp"
#include "object3d/renumbering.hpp"
#include "textfmt/printform.hpp"

namespace z5 {

namespace object3d {

void compileObject(Object& object) {
    std::vector<Renumbering::Entry> keys[2], offsets;  // vertices, normals; flavors
    for (PointSection& section : object.points) {
        std::int32_t position = 0;
        for (Point& point : section.points) {
            keys[section.normals].push_back({point[0], position});
            point[0] = position++;
        }
    }
    offsets.reserve(object.flavors.size());
    std::int64_t at = kFirstFlavorOffset;
    for (Flavor& flavor : object.flavors) {
        offsets.push_back({flavor.offset, static_cast<std::int32_t>(at)});
        flavor.offset = object.root = static_cast<std::int32_t>(at);
        at += flavorSize(flavor);
    }
    const Renumbering vertices(std::move(keys[0])), normals(std::move(keys[1])),
        flavorOffsets(std::move(offsets));
    // References are looked up in batches of each kind, across flavors.
    struct Batch {
        const Renumbering& table;
        std::vector<std::int32_t*> numbers = {};
        void flush() {
            table.findEach(
                numbers.size(), [this](std::size_t i) { return *numbers[i]; },
                [this](std::size_t i, std::optional<std::int32_t> found) {
                    if (found) *numbers[i] = *found;
                });
            numbers.clear();
        }
    } batches[] = {{vertices}, {normals}, {flavorOffsets}};
    for (Flavor& flavor : object.flavors)
        for (Value& v : flavor.values) {
            if (v.field.ref == Ref::None) continue;
            Batch& batch = batches[v.field.ref == Ref::Vertex   ? 0
                                   : v.field.ref == Ref::Normal ? 1
                                                                : 2];
            batch.numbers.push_back(&v.number);
            if (batch.numbers.size() == 1024) batch.flush();
        }
    for (Batch& batch : batches) batch.flush();
}

bool sameFlavor(const Flavor& x, const Flavor& y) {
    return x.type == y.type && x.offset == y.offset &&
           std::equal(x.values.begin(), x.values.end(), y.values.begin(), y.values.end(),
                      [](const Value& v, const Value& w) {
                          return v.number == w.number && v.field.width == w.field.width;
                      });
}

bool sameObject(const Object& a, const Object& b) {
    const auto samePoints = [](const PointSection& x, const PointSection& y) {
        return x.normals == y.normals && x.points == y.points;
    };
    return a.root == b.root && a.names == b.names &&
           std::equal(a.points.begin(), a.points.end(), b.points.begin(), b.points.end(),
                      samePoints) &&
           std::equal(a.flavors.begin(), a.flavors.end(), b.flavors.begin(), b.flavors.end(),
                      sameFlavor);
}

std::array<std::size_t, 3> renumberedRecords(const Object& object, const Object& compiled) {
    std::array<std::size_t, 3> moved{};
    for (const PointSection& section : object.points)
        for (std::size_t i = 0; i < section.points.size(); ++i)
            moved[section.normals] += section.points[i][0] != static_cast<std::int32_t>(i);
    for (std::size_t i = 0; i < object.flavors.size() && i < compiled.flavors.size(); ++i)
        moved[2] += object.flavors[i].offset != compiled.flavors[i].offset;
    return moved;
}

}  // namespace object3d

namespace {

// offset.def: each point section's header, then the old and new key of
// each of its lines; then each flavor line as the file names it and the
// offset it is placed at.
void printOffsetDef(TextWriter& def, const std::vector<object3d::RenumberedPoints>& points,
                    const std::vector<object3d::RenumberedFlavor>& flavors) {
    std::string line;
    for (const object3d::RenumberedPoints& section : points) {
        def.line(section.normals ? "NORM" : "VERT");
        for (std::size_t position = 0; position < section.oldKeys.size(); ++position) {
            line.clear();
            appendPrintNumber(line, section.oldKeys[position]);
            appendPrintNumber(line, static_cast<std::int64_t>(position));
            def.line(line);
        }
    }
    for (const object3d::RenumberedFlavor& flavor : flavors) {
        def.line(flavor.words);
        def.line(numberText(flavor.newOffset));
    }
}

}  // namespace

void run3doCompile(Command& cmd) {
    using namespace object3d;
    // The definition files are found in the working folder without regard
    // to letter case. The object and offset.def replace older ones only when
    // the whole compile succeeded; the object may be neither an input nor
    // offset.def.
    BinaryWriter& out = cmd.createBinaryAt(cmd.chosenPath(), cmd.chosenPath());
    TextWriter& offsetDef = cmd.createText("offset.def");
    Object object;
    std::vector<RenumberedPoints> points;
    std::vector<RenumberedFlavor> flavors;
    {
        TextReader def = cmd.openText("vertex.def");
        points = parseVertexDef(def, object);
    }
    {
        TextReader def = cmd.openText("flavor.def");
        flavors = parseFlavorDef(def, object);
    }
    printOffsetDef(offsetDef, points, flavors);
    compileObject(object);
    writeObject(out, object);
}

}  // namespace z5
