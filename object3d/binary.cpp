// The .3do binary codec: readObject and its mirror image writeObject.
#include <algorithm>
#include <limits>
#include <optional>
#include <type_traits>
#include <utility>

#include "object3d/object3d.hpp"
#include "textfmt/numbers.hpp"
#include "textfmt/printform.hpp"

namespace z5::object3d {
namespace {

constexpr std::int64_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();
// The tag of each stage's section as the file spells it.
constexpr std::string_view kTagSpellings[] = {"", "3OD3", "PERP", "MRON", "NRTS", "PRIM"};

// Reads the tagged sections in file order. For flavor bodies it is the
// walker of walkFlavorBody: each field is read, kept with its field and
// counted into the running offset.
class ObjectReader : public FieldByField<ObjectReader> {
public:
    static constexpr CountUse countUse = CountUse::Stored;

    ObjectReader(BinaryReader& in, ObjectRead& read, bool marks)
        : in_(in), read_(read), object_(read.object), marks_(marks) {}

    // A file whose first words hold none of the tags is of another kind. A
    // file may end between two sections, but not before the end the Length
    // of its object header announces.
    void read() {
        sections();
        if (objectLength_) reach("the object", kTagSpellings[1], objectAt_, *objectLength_);
    }

    std::int32_t decide(Field field) {
        need(field.width, [this] { return flavorPlace(); });
        const std::int32_t number = field.width == 2 ? in_.i16() : in_.i32();
        offset_ += field.width;
        values_.push_back({number, field});
        return number;
    }
    [[noreturn]] void fail(std::string_view what) const {
        throw CommandFailure(in_.name() + ": " + std::string(kStages[read_.stage].section) +
                             " at byte " + numberText(in_.position()) + ": " + std::string(what));
    }

private:
    // The tagged sections in file order, up to the flavors, the end of the
    // file or the fifth tag.
    void sections() {
        for (int tags = 0; tags < 5 && in_.left() > 0; ++tags) {
            if (read_.stage > 0) {
                const std::int64_t at = in_.position();
                in_.need(4, [at] { return "inside the section tag at byte " + numberText(at); });
            }
            mark("section tag");
            tagAt_ = in_.position();
            switch (in_.i32()) {
                case kTagObject:
                    read_.stage = 1;
                    objectAt_ = tagAt_;
                    objectLength_ = header("object Length");
                    break;
                case kTagVertices:
                    read_.stage = 2;
                    points(false);
                    break;
                case kTagNormals:
                    read_.stage = 3;
                    points(true);
                    break;
                case kTagNames:
                    read_.stage = 4;
                    names();
                    break;
                case kTagFlavors:
                    read_.stage = 5;
                    flavors();
                    return;
                default:
                    break;  // not a tag: its 4 bytes are passed over
            }
        }
        if (read_.stage == 0)
            in_.damaged(Damage::OtherKind,
                        "is not a 3do object: none of the tags 3OD3 PERP MRON NRTS PRIM");
    }
    // Notes where the next part begins, when asked to; `what` is a text or
    // makes one.
    template <class What>
    void mark(What what) {
        if (!marks_) return;
        if constexpr (std::is_invocable_v<What>)
            read_.marks.push_back({in_.position(), what()});
        else
            read_.marks.push_back({in_.position(), std::string(what)});
    }
    // A field the writer always writes as 0.
    void reserved() {
        mark("Reserved");
        in_.i32();
    }
    // The Reserved and Length fields after a section's tag; returns Length.
    std::int32_t header(std::string_view lengthMark) {
        need(8, [] { return std::string("inside the section header"); });
        reserved();
        mark(lengthMark);
        return in_.i32();
    }
    // Unless `bytes` more bytes are in the file, the file is cut short
    // inside the current section: "ends at byte 61, inside vertex 3 of 8
    // (PERP at byte 12)".
    template <class Where>
    void need(std::int64_t bytes, Where where) {
        in_.need(bytes, [&] {
            return where() + " (" + std::string(kTagSpellings[read_.stage]) + " at byte " +
                   numberText(tagAt_) + ")";
        });
    }
    // Unless the file reaches the end that the Length of the section at
    // `tagAt` announces (the Length counts the bytes after its header), it
    // is cut short inside that section: "ends at byte 152, inside the
    // object, whose Length 840 runs to byte 852 (3OD3 at byte 0)".
    void reach(std::string_view what, std::string_view tag, std::int64_t tagAt,
               std::int32_t length) {
        const std::int64_t end = tagAt + 12 + length;
        in_.need(end - in_.position(), [&] {
            return "inside " + std::string(what) + ", whose Length " + numberText(length) +
                   " runs to byte " + numberText(end) + " (" + std::string(tag) + " at byte " +
                   numberText(tagAt) + ")";
        });
    }
    // "inside FL03 at offset 21": the flavor being read.
    std::string flavorPlace() const {
        return "inside " +
               (isSupportedFlavor(flavorType_) ? std::string(flavorTag(flavorType_))
                                               : "flavor type " + numberText(flavorType_)) +
               " at offset " + numberText(flavorOffset_);
    }

    // Length / 16 records: the count is worked out in floating point and
    // rounded half to even, as the stored Length need not be a multiple of
    // 16; an object holds at most 32768 records of a kind.
    void points(bool normals) {
        const std::int32_t length = header(normals ? "MRON Length" : "PERP Length");
        const auto last = roundTo<std::int16_t>(length / 16.0 - 1);
        if (!last) fail("length " + numberText(length) + " gives more than 32768 records");
        const std::int64_t count = std::max(*last + 1, 0);
        const std::int64_t start = in_.position();
        need(16 * count, [&] {
            return placeInRun(in_.size(), start, 16, count, normals ? "normal" : "vertex");
        });
        PointSection& section = object_.points.emplace_back(PointSection{normals, {}});
        section.points.resize(static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < section.points.size(); ++i) {
            mark([&] { return (normals ? "normal " : "vertex ") + numberText(i); });
            for (std::int32_t& v : section.points[i]) v = in_.i32();
        }
    }

    // One name per zero-ended run of bytes up to the end mark; a name the
    // mark cuts short is dropped. Bytes after an early end mark are passed
    // over up to the section's Length, then the padding, so that the next
    // tag is read where the section ends.
    void names() {
        const std::int32_t length = header("NRTS Length");
        if (!narrowTo<std::int16_t>(length))
            fail("length " + numberText(length) + " out of the 16-bit range");
        if (length < 1) fail("name list length " + numberText(length) + " below 1");
        need(length, [] { return std::string("inside the file names"); });
        need(length + padFor(length),
             [] { return std::string("inside the padding after the file names"); });
        std::vector<std::string>& names = object_.names.emplace_back();
        std::string name;
        std::int32_t index = 1;
        mark("file names");
        for (; index <= length; ++index) {
            const std::uint8_t byte = in_.u8();
            if (byte == 0)
                names.push_back(std::exchange(name, {}));
            else
                name.push_back(static_cast<char>(byte));
            if (byte == kNamesEnd) break;
        }
        for (; index < length; ++index) in_.u8();
        for (int pad = padFor(length); pad > 0; --pad) in_.u8();
    }

    // The flavors, which must reach the end their Length announces (the
    // Root field and every flavor, not the padding after them).
    void flavors() {
        const std::int32_t length = header("PRIM Length");
        flavorList();
        reach("the flavors", kTagSpellings[5], tagAt_, length);
    }
    // Flavors up to the end of the file. Type 0 and types above 24 are no
    // flavors: only their header is consumed and the offset stays. The
    // padding after the last flavor reads as such a record which the file
    // ends inside: it ends the list.
    void flavorList() {
        need(4, [] { return std::string("inside the Root field"); });
        mark("Root");
        object_.root = in_.i32();
        offset_ = kFirstFlavorOffset;
        while (!in_.atEnd()) {
            if (offset_ > kMaxInt32) fail("flavor offset beyond 32 bits");
            const std::int64_t at = offset_;
            mark([&] { return "flavor at offset " + numberText(at) + ", type"; });
            const int type = in_.u8();
            const bool flavor = isSupportedFlavor(type) || isUnsupportedFlavor(type);
            if (!flavor && in_.left() < 4) return;
            flavorType_ = type;
            flavorOffset_ = at;
            if (flavor) need(4, [this] { return flavorPlace(); });
            reserved();
            mark([&] { return "flavor at offset " + numberText(at) + ", body"; });
            if (isSupportedFlavor(type)) {
                const auto offset = static_cast<std::int32_t>(offset_);
                offset_ += kFlavorHeaderSize;
                values_.clear();
                if (const auto kind = walkFlavorBody(type, *this)) {
                    object_.unsupported = Unsupported{type, kind, offset_};
                    return;
                }
                object_.flavors.push_back({type, offset, {values_.begin(), values_.end()}});
            } else if (isUnsupportedFlavor(type)) {
                object_.unsupported = Unsupported{type, std::nullopt, offset_};
                return;
            }
        }
    }

    BinaryReader& in_;
    ObjectRead& read_;
    Object& object_;
    std::vector<Value> values_;  // of the flavor being read
    std::int64_t offset_ = 0;
    std::int64_t tagAt_ = 0;  // where the current section's tag stands
    int flavorType_ = 0;      // the flavor being read, at flavorOffset_
    std::int64_t flavorOffset_ = 0;
    std::int64_t objectAt_ = 0;  // where the object header's tag stands
    std::optional<std::int32_t> objectLength_;
    bool marks_;
};

void sectionHeader(BinaryWriter& out, std::int32_t tag, std::int64_t length) {
    out.i32(tag);
    out.i32(0);
    out.i32(static_cast<std::int32_t>(length));
}

void pad(BinaryWriter& out, std::int64_t length) {
    for (int i = padFor(length); i > 0; --i) out.u8(kPadByte);
}

// The names, their zero bytes and the end mark.
std::int64_t namesLength(const std::vector<std::string>& names) {
    std::int64_t length = 1;
    for (const std::string& name : names) length += static_cast<std::int64_t>(name.size()) + 1;
    return length;
}

}  // namespace

ObjectRead readObject(BinaryReader& in, bool marks) {
    ObjectRead read;
    try {
        ObjectReader(in, read, marks).read();
    } catch (const std::exception& e) {
        read.failure = e.what();
    }
    return read;
}

void writeObject(BinaryWriter& out, const Object& object) {
    std::int64_t flavorsLength = kFirstFlavorOffset;  // the root field and every flavor
    for (const Flavor& flavor : object.flavors) flavorsLength += flavorSize(flavor);
    std::int64_t total = 0;
    for (const PointSection& section : object.points)
        total += 12 + 16 * static_cast<std::int64_t>(section.points.size());
    for (const auto& names : object.names)
        total += 12 + namesLength(names) + padFor(namesLength(names));
    if (!object.flavors.empty()) total += 12 + flavorsLength + padFor(flavorsLength);
    if (total > kMaxInt32)
        throw CommandFailure(out.name() + ": object larger than 32-bit sizes allow");

    sectionHeader(out, kTagObject, total);
    for (const PointSection& section : object.points) {
        sectionHeader(out, section.normals ? kTagNormals : kTagVertices,
                      16 * static_cast<std::int64_t>(section.points.size()));
        for (const Point& point : section.points)
            for (std::int32_t v : point) out.i32(v);
    }
    for (const auto& names : object.names) {
        sectionHeader(out, kTagNames, namesLength(names));
        for (const std::string& name : names) {
            for (char c : name) out.u8(static_cast<std::uint8_t>(c));
            out.u8(0);
        }
        out.u8(kNamesEnd);
        pad(out, namesLength(names));
    }
    if (object.flavors.empty()) return;
    sectionHeader(out, kTagFlavors, flavorsLength);
    out.i32(object.root);
    for (const Flavor& flavor : object.flavors) {
        out.u8(static_cast<std::uint8_t>(flavor.type));
        out.i32(0);
        for (const Value& v : flavor.values) {
            if (v.field.width == 2)
                out.i16(static_cast<std::int16_t>(v.number));
            else
                out.i32(v.number);
        }
    }
    pad(out, flavorsLength);
}

}  // namespace z5::object3d
