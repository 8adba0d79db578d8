// What an edit of an object commonly breaks while it still compiles.
#include <algorithm>

#include "object3d/object3d.hpp"
#include "object3d/renumbering.hpp"
#include "textfmt/printform.hpp"

namespace z5::object3d {
namespace {

std::string flavorName(const Flavor& f) {
    return std::string(flavorTag(f.type)) + " at offset " + numberText(f.offset);
}

// FL02 kinds whose first run refers to vertices: they draw an outline.
bool isOutline(const Flavor& f) {
    if (f.type != 2 || f.values.size() < 4) return false;
    const std::int32_t kind = f.values[0].number;
    return kind != 4 && f.values[3].field.ref == Ref::Vertex;
}

}  // namespace

std::vector<Diagnostic> objectWarnings(const Object& object, const ObjectPlaces& places,
                                       const std::string& vertexFile,
                                       const std::string& flavorFile) {
    std::vector<Diagnostic> out;
    // The records of each kind (vertices, normals) in file order: their
    // keys to the first record that carries each, and their lines.
    std::vector<Renumbering::Entry> records[2];
    std::vector<TextPlace> lines[2];
    for (std::size_t s = 0; s < object.points.size(); ++s) {
        const PointSection& section = object.points[s];
        for (std::size_t i = 0; i < section.points.size(); ++i) {
            const bool kind = section.normals;
            records[kind].push_back(
                {section.points[i][0], static_cast<std::int32_t>(lines[kind].size())});
            lines[kind].push_back(s < places.points.size() && i < places.points[s].size()
                                      ? places.points[s][i]
                                      : TextPlace{});
        }
    }
    const Renumbering keys[2] = {Renumbering(records[0]), Renumbering(records[1])};
    // A key on two lines: references go to the first.
    for (int kind = 0; kind < 2; ++kind)
        for (const auto& [key, r] : records[kind])
            if (const std::int32_t first = *keys[kind].find(key); first != r) {
                const TextPlace& at = lines[kind][static_cast<std::size_t>(r)];
                out.push_back({vertexFile, at.line, at.column,
                               std::string(kind ? "normal " : "vertex ") + numberText(key) +
                                   " is also on line " +
                                   numberText(lines[kind][static_cast<std::size_t>(first)].line) +
                                   "; references to it go to that line",
                               at.text});
            }

    // Flavors by offset, the first of two at one offset.
    std::vector<Renumbering::Entry> offsets;
    for (std::size_t i = 0; i < object.flavors.size(); ++i)
        offsets.push_back({object.flavors[i].offset, static_cast<std::int32_t>(i)});
    const Renumbering flavorAt(std::move(offsets));

    const auto placeOf = [&places](std::size_t i) {
        return i < places.flavors.size() ? places.flavors[i] : TextPlace{};
    };
    for (std::size_t i = 0; i < object.flavors.size(); ++i) {
        const Flavor& f = object.flavors[i];
        const auto warn = [&](std::string message) {
            const TextPlace at = placeOf(i);
            out.push_back({flavorFile, at.line, at.column, flavorName(f) + " " + std::move(message),
                           at.text});
        };
        for (const Value& v : f.values) {
            if (v.field.ref == Ref::Vertex && !keys[0].find(v.number))
                warn("refers to vertex " + numberText(v.number) +
                     ", which no line of vertex.def carries");
            if (v.field.ref == Ref::Normal && !keys[1].find(v.number))
                warn("refers to normal " + numberText(v.number) +
                     ", which no line of vertex.def carries");
            if (v.field.ref == Ref::Flavor && !flavorAt.find(v.number))
                warn("refers to a flavor at offset " + numberText(v.number) +
                     ", which no line of flavor.def carries");
        }
        if (isOutline(f) && f.values[2].number < 3)
            warn("is an outline of " + numberText(f.values[2].number) +
                 (f.values[2].number == 1 ? " vertex" : " vertices") +
                 "; an outline needs three to be a face");
    }

    // The compiler makes the last flavor the root; a flavor it does not lead
    // to is not part of the object's graph.
    if (object.flavors.empty()) return out;
    std::vector<bool> reached(object.flavors.size());
    std::vector<std::size_t> todo = {object.flavors.size() - 1};
    reached.back() = true;
    while (!todo.empty()) {
        const Flavor& f = object.flavors[todo.back()];
        todo.pop_back();
        for (const Value& v : f.values)
            if (v.field.ref == Ref::Flavor)
                if (const auto next = flavorAt.find(v.number);
                    next && !reached[static_cast<std::size_t>(*next)]) {
                    reached[static_cast<std::size_t>(*next)] = true;
                    todo.push_back(static_cast<std::size_t>(*next));
                }
    }
    for (std::size_t i = 0; i < object.flavors.size(); ++i)
        if (!reached[i]) {
            const TextPlace at = placeOf(i);
            out.push_back({flavorFile, at.line, at.column,
                           flavorName(object.flavors[i]) +
                               " is not reached from the root (the last flavor, " +
                               flavorName(object.flavors.back()) + ")",
                           at.text});
        }
    // vertex.def's first, each file's in the order of its lines.
    std::stable_sort(out.begin(), out.end(),
                     [&vertexFile](const Diagnostic& a, const Diagnostic& b) {
                         return std::pair(a.file != vertexFile, a.line) <
                                std::pair(b.file != vertexFile, b.line);
                     });
    return out;
}

}  // namespace z5::object3d
