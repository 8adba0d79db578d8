#include "picture/svg.hpp"

#include <charconv>
#include <cmath>
#include <string>

namespace z5::picture {
namespace {

// Text as XML character data: markup characters escaped, control
// characters and bytes that are not UTF-8 shown as U+FFFD, so any name
// from inside a file gives a well-formed document.
bool plain(char c) {
    return c >= 0x20 && c < 0x7F && c != '&' && c != '<' && c != '>' && c != '"';
}

void appendEscaped(std::string& out, std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && plain(text[i])) ++i;
    out.append(text.substr(0, i));
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            switch (c) {
                case '&':
                    out += "&amp;";
                    break;
                case '<':
                    out += "&lt;";
                    break;
                case '>':
                    out += "&gt;";
                    break;
                case '"':
                    out += "&quot;";
                    break;
                default:
                    if (c < 0x20 && c != '\t')
                        out += "\xEF\xBF\xBD";
                    else
                        out += static_cast<char>(c);
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
        if (length == 3) {
            const auto c1 = static_cast<unsigned char>(text[i + 1]);
            if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0)) length = 0;
        } else if (length == 4) {
            const auto c1 = static_cast<unsigned char>(text[i + 1]);
            if ((c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90)) length = 0;
        }
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
}

class SvgCanvas : public Canvas {
public:
    explicit SvgCanvas(const std::function<void(std::string_view)>& sink) : sink_(sink) {}
    ~SvgCanvas() override = default;

    void begin(const Drawing& d) {
        out_ +=
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"";
        attribute("width", d.width);
        attribute("height", d.height);
        out_ += " viewBox=\"0 0 ";
        number(d.width);
        out_ += ' ';
        number(d.height);
        out_ += "\" font-family=\"sans-serif\">\n";
    }
    void finish() {
        out_ += "</svg>\n";
        sink_(out_);
        out_.clear();
    }

    void beginGroup(std::string_view id) override {
        out_ += "<g id=\"";
        appendEscaped(out_, id);
        out_ += "\">\n";
    }
    void endGroup() override {
        out_ += "</g>\n";
        flushSome();
    }
    void path(const Path& path, std::span<const Vec2> page) override {
        if (path.shape == Path::Shape::Box) {
            if (page.size() < 2) return;
            out_ += "<rect";
            attribute("x", std::fmin(page[0].x, page[1].x));
            attribute("y", std::fmin(page[0].y, page[1].y));
            attribute("width", std::fabs(page[1].x - page[0].x));
            attribute("height", std::fabs(page[1].y - page[0].y));
        } else {
            out_ +=
                path.shape == Path::Shape::Outline ? "<polygon points=\"" : "<polyline points=\"";
            for (std::size_t i = 0; i < page.size(); ++i) {
                if (i) out_ += ' ';
                number(page[i].x);
                out_ += ',';
                number(page[i].y);
            }
            out_ += '"';
        }
        color("stroke", path.stroke);
        if (path.fill)
            color("fill", *path.fill);
        else
            out_ += " fill=\"none\"";
        data(path.data);
        out_ += "/>\n";
        flushSome();
    }
    void dot(const Dot& dot, const Data& d, std::string_view title, Vec2 page,
             double radius) override {
        out_ += "<circle";
        attribute("cx", page.x);
        attribute("cy", page.y);
        attribute("r", radius);
        if (dot.color != kInk) color("fill", dot.color);
        data(d);
        out_ += "><title>";
        appendEscaped(out_, title);
        out_ += "</title></circle>\n";
        flushSome();
    }
    void text(std::string_view text, Vec2 page, Anchor anchor, double size, Rgb c,
              const Data& d) override {
        out_ += "<text";
        attribute("x", page.x);
        attribute("y", page.y);
        attribute("font-size", size);
        if (anchor != Anchor::Start)
            out_ += anchor == Anchor::Middle ? " text-anchor=\"middle\"" : " text-anchor=\"end\"";
        if (c != kInk) color("fill", c);
        data(d);
        out_ += '>';
        appendEscaped(out_, text);
        out_ += "</text>\n";
    }

private:
    // Page units with one decimal, without a ".0" or a "-0". Tenths are
    // counted in a 64-bit integer: a page is far smaller than that.
    void number(double value) {
        const double tenths = std::round(value * 10);
        if (!(std::fabs(tenths) < 1e17)) {
            out_ += '0';
            return;
        }
        auto n = static_cast<std::int64_t>(tenths);
        if (n < 0) {
            out_ += '-';
            n = -n;
        }
        char buffer[24];
        out_.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, n / 10).ptr);
        if (n % 10) {
            out_ += '.';
            out_ += static_cast<char>('0' + n % 10);
        }
    }
    void attribute(std::string_view name, double value) {
        out_ += ' ';
        out_ += name;
        out_ += "=\"";
        number(value);
        out_ += '"';
    }
    void color(std::string_view name, Rgb c) {
        static constexpr char kHex[] = "0123456789abcdef";
        out_ += ' ';
        out_ += name;
        out_ += "=\"#";
        for (const std::uint8_t v : {c.r, c.g, c.b}) {
            out_ += kHex[v >> 4];
            out_ += kHex[v & 15];
        }
        out_ += '"';
    }
    void data(const Data& d) {
        if (!d.name) return;
        char buffer[24];
        out_ += " data-";
        out_ += d.name;
        out_ += "=\"";
        out_.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, d.value).ptr);
        out_ += '"';
    }
    void flushSome() {
        if (out_.size() < (1 << 16)) return;
        sink_(out_);
        out_.clear();
    }

    const std::function<void(std::string_view)>& sink_;
    std::string out_;
};

}  // namespace

void writeSvg(const Drawing& drawing, const std::function<void(std::string_view)>& sink) {
    SvgCanvas canvas(sink);
    canvas.begin(drawing);
    paint(drawing, canvas);
    canvas.finish();
}

}  // namespace z5::picture
