// Wavefront OBJ, the way into and out of 3D editors: an object exported with
// its exact integer coordinates, and the coordinates of an edited OBJ put
// back into vertex.def by position.
//
// The object's z is up (the pictures draw it so); an OBJ importer takes the
// second axis as up (Blender and most editors do by default). A point
// (x, y, z) is written as OBJ's (x, z, -y), which turns the object about
// its x axis without mirroring it, and read back as (first, -third,
// second).
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "object3d/object3d.hpp"
#include "textfmt/deftext.hpp"
#include "textfmt/numbers.hpp"
#include "textfmt/printform.hpp"

namespace z5 {
namespace object3d {
namespace {

// A name in the file, which is ASCII: other bytes, and blanks when
// `blanks` is false, become "_".
std::string asciiName(std::string_view name, bool blanks) {
    std::string text(name.empty() ? "object" : name);
    for (char& c : text)
        if (c < ' ' || c > '~' || (c == ' ' && !blanks)) c = '_';
    return text;
}

void appendIndex(std::string& line, std::int32_t position) {
    line += ' ';
    line += numberText(std::int64_t{position} + 1);
}

// Vertex numbers for a reason, each `plus` added.
std::string listed(std::span<const std::int32_t> numbers, std::int32_t plus) {
    std::string text;
    for (const std::int32_t n : numbers) text += (text.empty() ? "" : " ") + numberText(n + plus);
    return text;
}

// A face's vertex numbers as the cycle ObjFaces compares: a corner repeated
// right after itself once, then turned to start where the numbers read
// least (the least rotation, found in linear time).
void asCycle(std::vector<std::int32_t>& face) {
    face.erase(std::unique(face.begin(), face.end()), face.end());
    while (face.size() > 1 && face.back() == face.front()) face.pop_back();
    const std::size_t n = face.size();
    std::size_t i = 0, j = 1, k = 0;
    while (i < n && j < n && k < n) {
        const std::int32_t a = face[(i + k) % n], b = face[(j + k) % n];
        if (a == b) {
            ++k;
            continue;
        }
        (a > b ? i : j) += k + 1;
        if (i == j) ++j;
        k = 0;
    }
    std::rotate(face.begin(), face.begin() + static_cast<std::ptrdiff_t>(std::min(i, j)),
                face.end());
}

// The words of an OBJ line, which any run of blanks (spaces, tabs)
// separates.
class ObjWords {
public:
    explicit ObjWords(std::string_view line) : rest_(line) {}
    std::optional<std::string_view> next() {
        const std::size_t first = rest_.find_first_not_of(kBlanks);
        if (first == std::string_view::npos) return std::nullopt;
        rest_.remove_prefix(first);
        const std::string_view word = rest_.substr(0, rest_.find_first_of(kBlanks));
        rest_.remove_prefix(word.size());
        return word;
    }

private:
    static constexpr std::string_view kBlanks = " \t\v\f";
    std::string_view rest_;
};

// The longest v or f line taken: far more than a face of the largest
// object needs, and what an OBJ may make the reading hold at once.
constexpr std::size_t kLongestObjLine = std::size_t{1} << 20;

}  // namespace

Outlines writeObj(TextWriter& out, const Object& object, std::string_view source,
                  std::string_view name) {
    Outlines outlines = findOutlines(object);
    std::string text = "# Wavefront OBJ of " + asciiName(source, true) + ", written by z5def\n";
    text += "# " + numberText(static_cast<std::int64_t>(outlines.vertices.size())) + " vertices, " +
            numberText(static_cast<std::int64_t>(outlines.normals)) + " normals, " +
            numberText(static_cast<std::int64_t>(outlines.drawn.size())) + " faces, " +
            numberText(outlines.unresolved) + " unresolved references, " +
            numberText(outlines.undrawn) + " undrawn outlines\n";
    text += "# v and vn: x, z, -y of the object, its z up as the second axis\no " +
            asciiName(name, false) + '\n';
    auto flush = [&out, &text] {
        if (text.size() < (1 << 16)) return;
        out.text(text);
        text.clear();
    };
    for (const PointSection& section : object.points) {
        for (const Point& p : section.points) {
            text += section.normals ? "vn " : "v ";
            // -y of -2147483648 is 2147483648, which the reading takes back.
            text += numberText(p[1]) + ' ' + numberText(p[3]) + ' ' +
                    numberText(-std::int64_t{p[2]}) + '\n';
            flush();
        }
    }
    std::vector<bool> used(outlines.vertices.size());
    for (const Outline& o : outlines.drawn) {
        text += "# flavor " + numberText(o.offset) + "\nf";
        const auto corners = outlines.cornersOf(o);
        const auto normals = outlines.normalsOf(o);
        for (std::size_t i = 0; i < corners.size(); ++i) {
            used[static_cast<std::size_t>(corners[i])] = true;
            appendIndex(text, corners[i]);
            if (!o.withNormals) continue;
            text += "//";
            text += numberText(std::int64_t{normals[i]} + 1);
        }
        text += '\n';
        flush();
    }
    // Importers drop vertices that no face or line uses; a line element
    // keeps each of them, in pairs, the last one alone as "l K K".
    std::vector<std::int32_t> loose;
    for (std::size_t i = 0; i < used.size(); ++i)
        if (!used[i]) loose.push_back(static_cast<std::int32_t>(i));
    for (std::size_t i = 0; i < loose.size(); i += 2) {
        text += 'l';
        appendIndex(text, loose[i]);
        appendIndex(text, loose[i + 1 < loose.size() ? i + 1 : i]);
        text += '\n';
        flush();
    }
    out.text(text);
    return outlines;
}

std::vector<ObjVertex> readObjVertices(
    TextReader& obj, std::size_t most,
    const std::function<void(std::span<const std::int32_t>)>& face) {
    std::vector<ObjVertex> vertices;
    std::vector<std::int32_t> numbers;
    std::string line;
    while (!obj.atEnd()) {
        // Lines of other kinds are passed over however long they are.
        const bool whole = obj.readLine(line, kLongestObjLine);
        ObjWords tokens(line);
        const auto tag = tokens.next();
        if (tag != "f" && tag != "v") continue;
        if (tag == "v" && vertices.size() == most)
            obj.fail("more vertices than the " + numberText(static_cast<std::int64_t>(most)) +
                     " of vertex.def");
        if (!whole)
            obj.fail((tag == "v" ? "a v" : "an f") + std::string(" line longer than ") +
                     numberText(static_cast<std::int64_t>(kLongestObjLine)) + " bytes");
        if (tag == "f") {
            // Each element is v, v/vt, v//vn or v/vt/vn.
            numbers.clear();
            while (const auto word = tokens.next()) {
                const std::string_view v = word->substr(0, word->find('/'));
                std::int32_t n = 0;
                const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), n);
                if (error != std::errc() || end != v.data() + v.size() || n == 0)
                    obj.fail("an f line needs vertex numbers; " + quotedText(*word) + " has none");
                if (n < 0) {
                    const std::int64_t at = static_cast<std::int64_t>(vertices.size()) + 1 + n;
                    if (at < 1)
                        obj.fail("vertex " + numberText(n) + " lies before the first v line");
                    n = static_cast<std::int32_t>(at);
                }
                numbers.push_back(n);
            }
            if (numbers.empty()) obj.fail("an f line lists no vertices");
            face(numbers);
            continue;
        }
        // x, y and z, then an optional w or colour (r g b, or r g b a).
        std::array<double, 3> v{};
        std::size_t count = 0;
        while (const auto word = tokens.next()) {
            double value = 0;
            const auto [end, error] =
                std::from_chars(word->data(), word->data() + word->size(), value);
            if (error != std::errc() || end != word->data() + word->size() || !std::isfinite(value))
                obj.fail("a v line needs numbers; " + quotedText(*word) + " is not one");
            if (count < 3) v[count] = value;
            ++count;
        }
        if (count < 3 || count > 7)
            obj.fail("a v line holds x, y and z (and at most four more values), not " +
                     numberText(static_cast<std::int64_t>(count)) + " values");
        vertices.push_back({{v[0], -v[2], v[1]}, obj.lineNumber()});
    }
    return vertices;
}

ObjFaces::ObjFaces(Outlines outlines)
    : outlines_(std::move(outlines)), found_(outlines_.drawn.size()) {
    keys_.reserve(outlines_.corners.size());
    entries_.reserve(outlines_.drawn.size());
    for (std::size_t i = 0; i < outlines_.drawn.size(); ++i) {
        const auto corners = outlines_.cornersOf(outlines_.drawn[i]);
        cycle_.assign(corners.begin(), corners.end());
        for (std::int32_t& c : cycle_) ++c;  // as the OBJ numbers them
        asCycle(cycle_);
        found_[i] = cycle_.size() < 3;
        entries_.push_back({static_cast<std::uint32_t>(keys_.size()),
                            static_cast<std::uint32_t>(cycle_.size()),
                            static_cast<std::uint32_t>(i)});
        keys_.insert(keys_.end(), cycle_.begin(), cycle_.end());
    }
    std::sort(entries_.begin(), entries_.end(), [this](const Entry& a, const Entry& b) {
        return std::ranges::lexicographical_compare(cycleOf(a), cycleOf(b));
    });
}

void ObjFaces::check(const TextReader& obj, std::span<const std::int32_t> face) {
    cycle_.assign(face.begin(), face.end());
    asCycle(cycle_);
    const auto before = [this](const Entry& e, std::span<const std::int32_t> cycle) {
        return std::ranges::lexicographical_compare(cycleOf(e), cycle);
    };
    auto it = std::lower_bound(entries_.begin(), entries_.end(), std::span(cycle_), before);
    if (it == entries_.end() || !std::ranges::equal(cycleOf(*it), cycle_))
        obj.fail("face " + listed(face, 0) +
                 " is not a face of the object: the editor changed the vertex order");
    for (; it != entries_.end() && std::ranges::equal(cycleOf(*it), cycle_); ++it)
        found_[it->outline] = true;
}

void ObjFaces::checkAllFound(std::string_view file) const {
    const auto missing = std::find(found_.begin(), found_.end(), false);
    if (missing == found_.end()) return;
    const Outline& o = outlines_.drawn[static_cast<std::size_t>(missing - found_.begin())];
    throw CommandFailure(std::string(file) + ": face " + listed(outlines_.cornersOf(o), 1) +
                         " of the object (flavor " + numberText(o.offset) +
                         ") is missing: the editor changed the vertex order or removed the face");
}

}  // namespace object3d

void run3doExport(Command& cmd) {
    std::string name;
    const object3d::Object object = object3d::viewedObject(cmd, name);
    const std::string stem = cmd.choseDefinitions() ? "definitions" : cmd.chosenStem();
    TextWriter& out = cmd.createNamedText(stem + ".obj");
    const object3d::Outlines outlines = object3d::writeObj(out, object, name, stem);
    if (outlines.unresolved || outlines.undrawn)
        cmd.notice(name + ": " + numberText(outlines.unresolved) + " unresolved references, " +
                   numberText(outlines.undrawn) + " undrawn outlines");
}

void run3doPositions(Command& cmd) {
    using namespace object3d;
    Object object;
    {
        TextReader def = cmd.openText("vertex.def");
        parseVertexDef(def, object);
    }
    std::vector<Point> vertices;
    for (const PointSection& s : object.points)
        if (!s.normals) vertices.insert(vertices.end(), s.points.begin(), s.points.end());
    // The faces are compared as the OBJ is read; flavor.def is read at the
    // first f line (an OBJ of v lines only is taken without it).
    std::optional<ObjFaces> faces;
    std::vector<ObjVertex> imported;
    {
        TextReader obj = cmd.openTextAt(cmd.chosenPath(), cmd.chosenName());
        imported = readObjVertices(obj, vertices.size(), [&](std::span<const std::int32_t> face) {
            if (!faces) {
                TextReader def = cmd.openText("flavor.def");
                parseFlavorDef(def, object);
                faces.emplace(findOutlines(object));
            }
            faces->check(obj, face);
        });
    }
    if (imported.size() != vertices.size())
        throw CommandFailure(
            cmd.chosenName() + " has " + numberText(static_cast<std::int64_t>(imported.size())) +
            " vertices, vertex.def has " + numberText(static_cast<std::int64_t>(vertices.size())));
    if (faces) faces->checkAllFound(cmd.chosenName());
    std::vector<std::string> lines;
    {
        TextReader def = cmd.openText("vertex.def");
        while (!def.atEnd()) lines.push_back(def.readLine());
    }

    // The vertex lines: from the VERTICES: line to an empty line or the next
    // section's line, as the compiler reads them.
    std::size_t first = 0;
    while (first < lines.size() && lines[first] != "VERTICES:") ++first;
    ++first;
    std::string text;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        Point& p = vertices[i];
        bool changed = false;
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const double value = imported[i].at[axis];
            // Editors keep coordinates as 32-bit floats: a value that is the
            // float of the old one is the old one. Any other value, an exact
            // integer the float cannot hold included, is an edit.
            if (value == static_cast<double>(static_cast<float>(p[axis + 1]))) continue;
            const auto rounded = roundTo<std::int32_t>(value);
            if (!rounded)
                throw CommandFailure(cmd.chosenName() + ":" + numberText(imported[i].line) + ": " +
                                     "xyz"[axis] + ' ' + picture::numberLabel(value) +
                                     " does not fit a 32-bit integer");
            changed = changed || *rounded != p[axis + 1];
            p[axis + 1] = *rounded;
        }
        if (!changed) continue;
        text.clear();
        appendPointLine(text, p);
        lines[first + i] = text;
    }
    TextWriter& out = cmd.replaceText("vertex.def");
    for (const std::string& line : lines) out.line(line);
}

}  // namespace z5
