// Whether a text is well-formed XML, as a browser needs a picture to be to
// show anything: UTF-8 of XML 1.0's characters only, one root element,
// every element closed in the order opened, attributes quoted and each
// named once, '<' never in text or in a value, '&' only in a reference.
// Enough for the SVG the tool writes: no DOCTYPE, no CDATA.
#pragma once

#include <string_view>

namespace z5::test {

bool wellFormedXml(std::string_view text);

}  // namespace z5::test
