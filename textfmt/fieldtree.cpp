#include "textfmt/fieldtree.hpp"

#include <algorithm>

#include "textfmt/printform.hpp"

namespace z5 {

std::string TreeField::shown() const {
    return plain ? numberText(number) : text;
}

TreeField& TreeRecord::add(std::string label, std::int64_t number) {
    TreeField& f = add(std::move(label), std::string(), number);
    f.plain = true;
    return f;
}

std::vector<std::string> headerLabels(std::string_view header) {
    std::vector<std::string> labels;
    std::size_t at = 0;
    while (at < header.size()) {
        at = header.find_first_not_of(' ', at);
        if (at == std::string_view::npos) break;
        std::size_t end = header.find("  ", at);
        if (end == std::string_view::npos) end = header.size();
        labels.emplace_back(header.substr(at, end - at));
        at = end;
    }
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (std::count(labels.begin(), labels.end(), labels[i]) < 2) continue;
        const std::string label = labels[i];
        for (std::size_t j = i, n = 1; j < labels.size(); ++j)
            if (labels[j] == label) labels[j] += ' ' + std::to_string(n++);
    }
    return labels;
}

}  // namespace z5
