// What an edit of an object commonly breaks while it still compiles.
#include <algorithm>

#include "object3d/object3d.hpp"
#include "textfmt/printform.hpp"

namespace z5::object3d {
namespace {

// Numbers looked up by value in a sorted list: the same cost whatever
// numbers a file holds.
class NumberSet {
public:
    void add(std::int32_t n) { numbers_.push_back(n); }
    void seal() { std::sort(numbers_.begin(), numbers_.end()); }
    bool has(std::int32_t n) const {
        return std::binary_search(numbers_.begin(), numbers_.end(), n);
    }

private:
    std::vector<std::int32_t> numbers_;
};

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
    NumberSet keys[2];  // vertices, normals
    for (std::size_t s = 0; s < object.points.size(); ++s) {
        const PointSection& section = object.points[s];
        // A key on two lines: references go to the first.
        std::vector<std::pair<std::int32_t, std::size_t>> sorted;
        for (std::size_t i = 0; i < section.points.size(); ++i) {
            sorted.emplace_back(section.points[i][0], i);
            keys[section.normals].add(section.points[i][0]);
        }
        std::sort(sorted.begin(), sorted.end());
        for (std::size_t i = 1; i < sorted.size(); ++i)
            if (sorted[i].first == sorted[i - 1].first) {
                std::size_t first = i - 1;
                while (first > 0 && sorted[first - 1].first == sorted[i].first) --first;
                const long line = s < places.points.size() ? places.points[s][sorted[i].second] : 0;
                const long firstLine =
                    s < places.points.size() ? places.points[s][sorted[first].second] : 0;
                out.push_back({vertexFile,
                               line,
                               1,
                               std::string(section.normals ? "normal " : "vertex ") +
                                   numberText(sorted[i].first) + " is also on line " +
                                   numberText(firstLine) + "; references to it go to that line",
                               {}});
            }
    }
    keys[0].seal();
    keys[1].seal();
    NumberSet offsets;
    for (const Flavor& f : object.flavors) offsets.add(f.offset);
    offsets.seal();

    // Flavors by offset, the first of two at one offset, for the walk from
    // the root.
    std::vector<std::pair<std::int32_t, std::size_t>> byOffset;
    for (std::size_t i = 0; i < object.flavors.size(); ++i)
        byOffset.emplace_back(object.flavors[i].offset, i);
    std::stable_sort(byOffset.begin(), byOffset.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const auto flavorAt = [&byOffset](std::int32_t offset) -> std::optional<std::size_t> {
        const auto it = std::lower_bound(byOffset.begin(), byOffset.end(), offset,
                                         [](const auto& e, std::int32_t o) { return e.first < o; });
        if (it == byOffset.end() || it->first != offset) return std::nullopt;
        return it->second;
    };

    const auto lineOf = [&places](std::size_t i) {
        return i < places.flavors.size() ? places.flavors[i] : 0L;
    };
    for (std::size_t i = 0; i < object.flavors.size(); ++i) {
        const Flavor& f = object.flavors[i];
        const auto warn = [&](std::string message) {
            out.push_back({flavorFile, lineOf(i), 1, flavorName(f) + " " + std::move(message), {}});
        };
        for (const Value& v : f.values) {
            if (v.field.ref == Ref::Vertex && !keys[0].has(v.number))
                warn("refers to vertex " + numberText(v.number) +
                     ", which no line of vertex.def carries");
            if (v.field.ref == Ref::Normal && !keys[1].has(v.number))
                warn("refers to normal " + numberText(v.number) +
                     ", which no line of vertex.def carries");
            if (v.field.ref == Ref::Flavor && !offsets.has(v.number))
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
                if (const auto next = flavorAt(v.number); next && !reached[*next]) {
                    reached[*next] = true;
                    todo.push_back(*next);
                }
    }
    for (std::size_t i = 0; i < object.flavors.size(); ++i)
        if (!reached[i])
            out.push_back({flavorFile,
                           lineOf(i),
                           1,
                           flavorName(object.flavors[i]) +
                               " is not reached from the root (the last flavor, " +
                               flavorName(object.flavors.back()) + ")",
                           {}});
    // vertex.def's first, each file's in the order of its lines.
    std::stable_sort(out.begin(), out.end(),
                     [&vertexFile](const Diagnostic& a, const Diagnostic& b) {
                         return std::pair(a.file != vertexFile, a.line) <
                                std::pair(b.file != vertexFile, b.line);
                     });
    return out;
}

}  // namespace z5::object3d
