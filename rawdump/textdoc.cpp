#include <cstdint>

#include "rawdump/rawdump.hpp"
#include "textfmt/columns.hpp"
#include "textfmt/printform.hpp"

namespace z5 {

void runTextDoc(Command& cmd) {
    BinaryReader in = cmd.openInput();
    TextWriter& out = cmd.createText("outputdoc.def");
    out.line(" Byte  Value");
    std::int16_t offset = 0;
    while (!in.atEnd()) {
        std::string offsetText = numberText(offset);
        std::string valueText = numberText(in.u8());
        PadTo5(offsetText);
        PadTo6(valueText);
        out.line(offsetText + valueText);
        if (offset == INT16_MAX)
            throw CommandFailure("outputdoc.def: offsets stop at 32767; " + in.name() + " holds " +
                                 std::to_string(in.size()) +
                                 " bytes, only the first 32768 are listed");
        ++offset;
    }
}

}  // namespace z5
