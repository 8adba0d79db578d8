// Fills a man page template with the parts drawn from the command table,
// the menu tree and the help: mangen TEMPLATE.scd OUTPUT.scd. Run by the
// build; the output goes through scdoc.
#include <fstream>
#include <iostream>
#include <sstream>

#include "man/pages.hpp"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: mangen TEMPLATE.scd OUTPUT.scd\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream page;
    if (!in || !(page << in.rdbuf())) {
        std::cerr << "mangen: cannot read " << argv[1] << '\n';
        return 1;
    }
    try {
        const std::string text = z5::fillTemplate(page.str());
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::cerr << "mangen: cannot write " << argv[2] << '\n';
            return 1;
        }
    } catch (const z5::TemplateError& e) {
        std::cerr << "mangen: " << argv[1] << ": " << e.what() << '\n';
        return 1;
    }
    return 0;
}
