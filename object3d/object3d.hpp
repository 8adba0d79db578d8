// 3D objects: .3do files to the definition files vertex.def and flavor.def,
// and back. The model is in object3d/model.hpp; the binary codec reads and
// writes it, the text codec prints and parses it through one layout of each
// definition file.
#pragma once

#include <functional>
#include <span>

#include "core/command.hpp"
#include "object3d/model.hpp"
#include "picture/drawing.hpp"
#include "textfmt/binio.hpp"
#include "textfmt/fieldtree.hpp"
#include "textfmt/textio.hpp"

namespace z5::object3d {

// Reads up to five section tags, the flavors last. A failure does not
// throw: what was read before it comes back with the reason. A file whose
// first words hold none of the tags, or that ends inside a section, fails
// (stage 0 for the first), unless `in` is lenient: then it is read on with a
// warning. `marks`: note where each part of the file begins (for naming
// bytes; costs time).
ObjectRead readObject(BinaryReader& in, bool marks = false);
// Writes the sections in the model's order with their lengths and the
// total worked out, reserved fields 0 and blank padding.
void writeObject(BinaryWriter& out, const Object& object);

// How the compiler renumbers the records of the definition files, as
// offset.def shows it. A section of vertex.def: the key of each line as the
// file gives it; the new key is the line's position in its section.
struct RenumberedPoints {
    bool normals = false;
    std::vector<std::int32_t> oldKeys;
};
// A flavor line: its tag, its old offset and the references and counts it
// carries as the file spells them, and the offset the compiler gives it.
struct RenumberedFlavor {
    std::string words;
    std::int64_t newOffset = 0;
};

// The definition files: printed from an object, and parsed back into one.
// The parsers keep the lines the compiler reads and return the old and new
// number of each record; a line that cannot be compiled fails with its file
// and line number.
// The message line that ends a flavor list at a type or kind without a
// layout ("ERROR FLAVOR 1").
std::string unsupportedMessage(const Unsupported& stop);
void printVertexDef(TextWriter& def, const Object& object);
void printFlavorDef(TextWriter& def, const Object& object);
// A line of vertex.def in its columns: the Key, then x, y and z.
void appendPointLine(std::string& line, const Point& point);
// Where the records of the definition files stand, for a check across
// records: the line of each point of each section, and of each flavor,
// with its text.
struct ObjectPlaces {
    std::vector<std::vector<TextPlace>> points;  // by section, in file order
    std::vector<TextPlace> flavors;
};
std::vector<RenumberedPoints> parseVertexDef(TextReader& def, Object& object,
                                             ObjectPlaces* places = nullptr);
std::vector<RenumberedFlavor> parseFlavorDef(TextReader& def, Object& object,
                                             ObjectPlaces* places = nullptr);
// What an edit of an object commonly breaks while it still compiles, a
// warning for each: a reference to no vertex, normal or flavor; a key of a
// vertex or a normal that two lines carry; an outline of fewer than three
// vertices; a flavor the root (the last flavor) does not reach.
std::vector<Diagnostic> objectWarnings(const Object& object, const ObjectPlaces& places,
                                       const std::string& vertexFile,
                                       const std::string& flavorFile);

// Numbers vertices and normals by position, places each flavor after the one
// before it with the last as root, and renumbers every reference. When two
// records carry the same old number the first wins; a number no record
// carries stays as it is.
void compileObject(Object& object);
// Whether two objects hold the same records with the same numbers, root and
// names (reserved fields aside), and two flavors the same type, offset and
// values.
bool sameObject(const Object& a, const Object& b);
bool sameFlavor(const Flavor& a, const Flavor& b);
// The vertices, normals and flavors whose number `compiled` (the object
// after compileObject) changed.
std::array<std::size_t, 3> renumberedRecords(const Object& object, const Object& compiled);

// The object as records of named fields (see textfmt/fieldtree.hpp): its
// Root, the vertices and the normals by key ("vertex 17": X, Y, Z), the
// file names, and the flavors by their offset and type ("flavor 123
// (FL03)": "value 1" ...), a reference to a flavor by the flavor it refers
// to. `objectOfFields` sets the object `object` from such records: its
// flavors placed one after another, every reference to a flavor made the
// offset it gets. An object with a flavor list cut at a flavor without a
// layout, with two sections of a kind, or with more records or longer names
// than an object holds (which no reader would take), fails.
TreeRecord objectFields(const Object& object);
Object objectOfFields(const TreeRecord& fields, Object object);

// The faces an object shows: each FL02 of a Kind with vertex references
// (0, 1, 2, 3, 5, 12, 13) is an outline through the vertices of its first
// run, in order. A reference is resolved to the first vertex (normal) whose
// Key equals it; references that resolve to nothing are left out and
// counted. An outline left with fewer than three vertices, and every FL02 of
// Kind 4 (no vertex references), is counted and not drawn.
// The corners of all outlines are kept in one list, so that the largest
// object's 20000 outlines need no allocation each.
struct Outline {
    std::int32_t offset;  // the flavor's
    // Its corners: Outlines::corners and cornerNormals from `first` on.
    std::uint32_t first = 0, count = 0;
    // A Kind 12 or 13 whose every corner has a normal: its face refers to
    // them (a face refers to a normal at every corner or at none).
    bool withNormals = false;
};
struct Outlines {
    std::vector<Point> vertices;  // the vertex records, in file order
    std::size_t normals = 0;      // normal records
    std::vector<Outline> drawn;
    std::vector<std::int32_t> corners;        // vertex positions, from 0
    std::vector<std::int32_t> cornerNormals;  // normal positions beside them, where known
    std::int64_t unresolved = 0;              // references left out
    std::int64_t undrawn = 0;                 // outlines not drawn

    std::span<const std::int32_t> cornersOf(const Outline& o) const {
        return std::span(corners).subspan(o.first, o.count);
    }
    std::span<const std::int32_t> normalsOf(const Outline& o) const {
        return std::span(cornerNormals).subspan(o.first, o.count);
    }
};
Outlines findOutlines(const Object& object);

// The object a picture or an export is made of: the chosen .3do file, or
// without one (or with a definition file chosen) the working folder's
// vertex.def and flavor.def, read by the compiler's rules. `name` is set to
// what the picture is called.
Object viewedObject(Command& cmd, std::string& name);
// `warnings`: departures from the layout met reading it, counted in the
// title block.
picture::Drawing objectDrawing(const Object& object, std::string_view name,
                               std::size_t warnings = 0);

// Wavefront OBJ: header comments naming `source` and the axes, "o NAME", a v
// line per vertex and a vn line per normal with their integer coordinates as
// x, z, -y (the object's z up as OBJ's second axis), an f line per drawn
// outline after a comment with its flavor's offset, and l lines for the
// vertices no face uses.
// Returns the outlines it drew.
Outlines writeObj(TextWriter& out, const Object& object, std::string_view source,
                  std::string_view name);
// The v lines of an OBJ file as the object's x, y, z (the first value, the
// third negated, the second: writeObj's axes turned back) and the line they
// stand on. The file is read as a stream, its words apart by spaces or
// tabs: each f line's vertex numbers (the first number of each element,
// from 1, a negative one counted back from the last v line read) go to
// `face` as they are read.
// A v line that is not three to seven numbers, an f element without a
// vertex number, a v line past `most`, and a v or f line longer than 1 MiB
// fail naming their line; no more of a line is held than that.
struct ObjVertex {
    std::array<double, 3> at;
    long line;
};
std::vector<ObjVertex> readObjVertices(
    TextReader& obj, std::size_t most,
    const std::function<void(std::span<const std::int32_t>)>& face);

// The faces writeObj gives an object, which an edited OBJ must give back
// for its vertices to be taken by position: an editor that renumbers the
// vertices renumbers the faces too.
// A face is compared as a cycle: started at another corner it is the same
// face (editors may start a face at any corner; the outline is the same),
// but the reverse cycle is another face (the other side is its front). A
// corner repeated right after itself counts once, as editors merge it.
class ObjFaces {
public:
    explicit ObjFaces(Outlines outlines);
    // Fails naming the line last read when `face` (vertex numbers from 1)
    // is none of the object's faces.
    void check(const TextReader& obj, std::span<const std::int32_t> face);
    // Fails naming the first face of the object that check() never found,
    // except faces of fewer than three corners, which no editor keeps.
    void checkAllFound(std::string_view file) const;

private:
    struct Entry {
        std::uint32_t first, count;  // its cycle in keys_
        std::uint32_t outline;       // in outlines_.drawn
    };
    std::span<const std::int32_t> cycleOf(const Entry& e) const {
        return std::span(keys_).subspan(e.first, e.count);
    }
    Outlines outlines_;
    std::vector<std::int32_t> keys_;
    std::vector<Entry> entries_;  // in the order of their cycles
    std::vector<bool> found_;     // per drawn outline
    std::vector<std::int32_t> cycle_;
};

}  // namespace z5::object3d

namespace z5 {

// Writes vertex.def (vertices and normals) and flavor.def (file names and
// one line per flavor) from the chosen .3do file. A flavor type or kind
// without a layout ends the flavor list with a message line and the offset
// reached; the command still succeeds. A failure while reading keeps the
// lines of what was read and shows "CRASH - <section>" for the last section
// tag read; a file of another kind writes nothing.
void run3doDecompile(Command& cmd);

// Compiles vertex.def and flavor.def of the working folder into the chosen
// file: vertices and normals are numbered by position, flavors placed one
// after another with the last as root, and every reference renumbered.
// offset.def in the working folder shows the old and new numbers. A line
// that cannot be compiled fails the command with its file and line number.
void run3doCompile(Command& cmd);

// The picture of the chosen .3do file, or without one (or with a definition
// file chosen) of vertex.def and flavor.def of the working folder: top,
// front, side and isometric views at one scale, a scale bar, and a title
// block with the counts. The view row writes it as SVG (NAME.svg after the
// file, definitions.svg); a window shows it.
picture::Drawing draw3do(Command& cmd);

// Writes a Wavefront OBJ of the chosen .3do file (NAME.obj), or without one
// (or with a definition file chosen) of vertex.def and flavor.def of the
// working folder (definitions.obj): its vertices in file order, its
// normals, a face per drawn outline, and every vertex no face uses in a line
// element, so that an importer keeps the count and the order of the
// vertices.
void run3doExport(Command& cmd);

// Puts the vertex coordinates of the chosen OBJ file, by position, into
// vertex.def of the working folder, which it replaces; every other line and
// every key stays. An OBJ with faces must have those export writes for
// vertex.def and flavor.def (see ObjFaces), else the vertex order is not
// the object's and it is refused.
void run3doPositions(Command& cmd);

}  // namespace z5
