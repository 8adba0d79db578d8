// What an edit of a track commonly breaks while it still compiles: the
// chain of section starts and the header's length.
#include "track/track.hpp"

namespace z5::track {

std::vector<Diagnostic> trackWarnings(const Track& t, const TrackPlaces& places,
                                      const std::string& file) {
    std::vector<Diagnostic> out;
    const auto warn = [&](const TextPlace& at, std::string message) {
        out.push_back({file, at.line, at.column, std::move(message), at.text});
    };
    const auto end = [&t](std::size_t s) {
        return std::int64_t{t.sections[s][1]} + t.sections[s][2];
    };
    for (std::size_t s = 1; s < t.sections.size() && s < places.starts.size(); ++s)
        if (t.sections[s][1] != end(s - 1))
            warn(places.starts[s], "Start of " + sectionName(s) + " is " +
                                       std::to_string(t.sections[s][1]) + "; it is usually " +
                                       sectionName(s - 1) + "'s Start + Length, " +
                                       std::to_string(end(s - 1)));
    if (!t.sections.empty() && t.header.length != end(t.sections.size() - 1))
        warn(places.length, "Length is " + std::to_string(t.header.length) +
                                "; it is usually the last section's Start + Length, " +
                                std::to_string(end(t.sections.size() - 1)));
    return out;
}

}  // namespace z5::track
