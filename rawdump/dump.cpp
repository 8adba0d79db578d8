#include <bit>
#include <cstdint>

#include "rawdump/rawdump.hpp"
#include "textfmt/printform.hpp"

namespace z5 {
namespace {

enum class View { Long, Float, Byte };

void dumpPass(Command& cmd, std::string_view outputName, View view) {
    BinaryReader in = cmd.openInput();
    TextWriter& out = cmd.createText(outputName);
    std::string line;
    while (!in.atEnd()) {
        line.clear();
        switch (view) {
            case View::Long:
                appendPrintNumber(line, in.i32());
                break;
            case View::Float:
                appendPrintSingle(line, in.f32());
                break;
            case View::Byte:
                appendPrintNumber(line, in.u8());
                break;
        }
        out.line(line);
    }
}

}  // namespace

void runDump(Command& cmd) {
    dumpPass(cmd, "outputlong.def", View::Long);
    dumpPass(cmd, "outputfloat.def", View::Float);
    dumpPass(cmd, "outputbyt.def", View::Byte);
}

}  // namespace z5
