// Fills a man page template with the parts drawn from the command table,
// the menu tree and the help: mangen TEMPLATE.scd OUTPUT.scd. Run by the
// build; the output goes through scdoc.
#include <iostream>

#include "man/pages.hpp"
#include "platform/failure.hpp"
#include "platform/files.hpp"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: mangen TEMPLATE.scd OUTPUT.scd\n";
        return 2;
    }
    try {
        const std::string text = z5::fillTemplate(z5::readFileBytes(argv[1], argv[1]));
        // The same writer as every output of the tools: the page replaces
        // the old one only once it is complete.
        z5::OutputFile out(argv[2], argv[2]);
        out.write(text.data(), text.size());
        out.commit(false);
    } catch (const z5::TemplateError& e) {
        std::cerr << "mangen: " << argv[1] << ": " << e.what() << '\n';
        return 1;
    } catch (const z5::CommandFailure& e) {
        std::cerr << "mangen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
