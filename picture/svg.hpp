// A drawing as SVG text: plain XML, LF line ends, each panel a group with
// its id, numbers with one decimal.
#pragma once

#include <functional>
#include <string_view>

#include "picture/drawing.hpp"
#include "textfmt/textio.hpp"

namespace z5::picture {

// Writes the SVG of `drawing` in pieces to `sink`.
void writeSvg(const Drawing& drawing, const std::function<void(std::string_view)>& sink);
inline void writeSvg(TextWriter& out, const Drawing& drawing) {
    writeSvg(drawing, [&out](std::string_view piece) { out.text(piece); });
}

}  // namespace z5::picture
