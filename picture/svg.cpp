#include "picture/svg.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace z5::picture {
namespace {

// Text as XML character data: markup characters escaped, and what is not
// one of XML 1.0's characters shown as U+FFFD: control characters but the
// tab, bytes that are not UTF-8 (surrogates among them), U+FFFE and
// U+FFFF. Any name, from inside a file or a file's own, gives a
// well-formed document.
bool plain(char c) {
    return c >= 0x20 && c < 0x7F && c != '&' && c != '<' && c != '>' && c != '"';
}

// Writes `text` escaped at `out`, at most 6 bytes for each byte of it
// ("&quot;"); returns the end.
char* appendEscaped(char* out, std::string_view text) {
    auto copy = [&out](std::string_view bytes) {
        std::memcpy(out, bytes.data(), bytes.size());
        out += bytes.size();
    };
    std::size_t i = 0;
    while (i < text.size() && plain(text[i])) ++i;
    copy(text.substr(0, i));
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            switch (c) {
                case '&':
                    copy("&amp;");
                    break;
                case '<':
                    copy("&lt;");
                    break;
                case '>':
                    copy("&gt;");
                    break;
                case '"':
                    copy("&quot;");
                    break;
                default:
                    if (c < 0x20 && c != '\t')
                        copy("\xEF\xBF\xBD");
                    else
                        *out++ = static_cast<char>(c);
            }
            ++i;
            continue;
        }
        // The length of a well-formed UTF-8 sequence starting here, or 0.
        std::size_t length = c >= 0xC2 && c <= 0xDF   ? 2
                             : c >= 0xE0 && c <= 0xEF ? 3
                             : c >= 0xF0 && c <= 0xF4 ? 4
                                                      : 0;
        if (length > text.size() - i) length = 0;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) length = 0;
        bool character = true;  // one of XML's
        if (length == 3) {
            const auto c1 = static_cast<unsigned char>(text[i + 1]);
            const auto c2 = static_cast<unsigned char>(text[i + 2]);
            if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0)) length = 0;
            character = !(c == 0xEF && c1 == 0xBF && c2 >= 0xBE);
        } else if (length == 4) {
            const auto c1 = static_cast<unsigned char>(text[i + 1]);
            if ((c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90)) length = 0;
        }
        if (length == 0 || !character) {
            copy("\xEF\xBF\xBD");
            i += std::max<std::size_t>(length, 1);
        } else {
            copy(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

// The elements are written through a cursor into a buffer that is handed to
// the sink in large pieces: a picture of the largest object is 18 MB of
// text, made of a few short pieces per element.
class SvgCanvas : public Canvas {
public:
    explicit SvgCanvas(const std::function<void(std::string_view)>& sink)
        : sink_(sink), buffer_(kPiece + kElement) {}
    ~SvgCanvas() override = default;

    void begin(const Drawing& d) {
        put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg "
            "xmlns=\"http://www.w3.org/2000/svg\"");
        attribute(" width=\"", d.width);
        attribute(" height=\"", d.height);
        put(" viewBox=\"0 0 ");
        number(d.width);
        put(" ");
        number(d.height);
        put("\" font-family=\"sans-serif\">\n");
    }
    void finish() {
        put("</svg>\n");
        flush();
    }

    void beginGroup(std::string_view id) override {
        put("<g id=\"");
        escaped(id);
        put("\">\n");
    }
    void endGroup() override {
        put("</g>\n");
        flushSome();
    }
    void path(const Path& path, std::span<const Vec2> page) override {
        if (path.shape == Path::Shape::Box) {
            if (page.size() < 2) return;
            attribute("<rect x=\"", std::fmin(page[0].x, page[1].x));
            attribute(" y=\"", std::fmin(page[0].y, page[1].y));
            attribute(" width=\"", std::fabs(page[1].x - page[0].x));
            attribute(" height=\"", std::fabs(page[1].y - page[0].y));
        } else {
            put(path.shape == Path::Shape::Outline ? "<polygon points=\"" : "<polyline points=\"");
            for (std::size_t i = 0; i < page.size(); ++i) {
                if (i) put(" ");
                number(page[i].x);
                put(",");
                number(page[i].y);
                flushSome();
            }
            put("\"");
        }
        color(" stroke=\"#", path.stroke);
        if (path.fill)
            color(" fill=\"#", *path.fill);
        else
            put(" fill=\"none\"");
        data(path.data);
        put("/>\n");
        flushSome();
    }
    void dot(const Dot& dot, const Data& d, std::string_view title, Vec2 page,
             double radius) override {
        attribute("<circle cx=\"", page.x);
        attribute(" cy=\"", page.y);
        attribute(" r=\"", radius);
        if (dot.color != kInk) color(" fill=\"#", dot.color);
        data(d);
        put("><title>");
        escaped(title);
        put("</title></circle>\n");
        flushSome();
    }
    void text(std::string_view text, Vec2 page, Anchor anchor, double size, Rgb c,
              const Data& d) override {
        attribute("<text x=\"", page.x);
        attribute(" y=\"", page.y);
        attribute(" font-size=\"", size);
        if (anchor != Anchor::Start)
            put(anchor == Anchor::Middle ? " text-anchor=\"middle\"" : " text-anchor=\"end\"");
        if (c != kInk) color(" fill=\"#", c);
        data(d);
        put(">");
        escaped(text);
        put("</text>\n");
        flushSome();
    }

private:
    // A piece goes to the sink once it holds kPiece bytes; an element's
    // fixed parts and numbers, or a polygon's point, take at most kElement
    // more before the next check, and texts make room for themselves.
    static constexpr std::size_t kPiece = 1 << 16;
    static constexpr std::size_t kElement = 1024;

    // `text` is a literal of the calls above: far shorter than kElement.
    void put(std::string_view text) {
        std::memcpy(buffer_.data() + used_, text.data(), text.size());
        used_ += text.size();
    }
    // A text of any length: the buffer is emptied first when the text may
    // not fit, and grows for a text longer than a piece.
    void escaped(std::string_view text) {
        const std::size_t most = 6 * text.size();
        if (used_ + most + kElement > buffer_.size()) {
            flush();
            if (most + kElement > buffer_.size()) buffer_.resize(most + kElement);
        }
        used_ =
            static_cast<std::size_t>(appendEscaped(buffer_.data() + used_, text) - buffer_.data());
    }
    // Page units with one decimal, without a ".0" or a "-0". Tenths are
    // counted in a 64-bit integer: a page is far smaller than that.
    void number(double value) {
        const double tenths = value * 10;
        if (!(std::fabs(tenths) < 1e17)) {
            put("0");
            return;
        }
        // Halves away from zero, as std::round, without a call for it.
        auto n = static_cast<std::int64_t>(tenths + (tenths < 0 ? -0.5 : 0.5));
        char* at = buffer_.data() + used_;
        if (n < 0) {
            *at++ = '-';
            n = -n;
        }
        at = std::to_chars(at, at + 24, n / 10).ptr;
        if (n % 10) {
            *at++ = '.';
            *at++ = static_cast<char>('0' + n % 10);
        }
        used_ = static_cast<std::size_t>(at - buffer_.data());
    }
    void attribute(std::string_view start, double value) {
        put(start);
        number(value);
        put("\"");
    }
    void color(std::string_view start, Rgb c) {
        static constexpr char kHex[] = "0123456789abcdef";
        put(start);
        char* at = buffer_.data() + used_;
        for (const std::uint8_t v : {c.r, c.g, c.b}) {
            *at++ = kHex[v >> 4];
            *at++ = kHex[v & 15];
        }
        *at++ = '"';
        used_ += 7;
    }
    void data(const Data& d) {
        if (!d.name) return;
        put(" data-");
        put(d.name);
        put("=\"");
        char* at = buffer_.data() + used_;
        used_ = static_cast<std::size_t>(std::to_chars(at, at + 24, d.value).ptr - buffer_.data());
        put("\"");
    }
    void flushSome() {
        if (used_ >= kPiece) flush();
    }
    void flush() {
        if (used_) sink_(std::string_view(buffer_.data(), used_));
        used_ = 0;
    }

    const std::function<void(std::string_view)>& sink_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

}  // namespace

void writeSvg(const Drawing& drawing, const std::function<void(std::string_view)>& sink) {
    SvgCanvas canvas(sink);
    canvas.begin(drawing);
    paint(drawing, canvas);
    canvas.finish();
}

}  // namespace z5::picture
