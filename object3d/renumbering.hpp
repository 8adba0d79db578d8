// Old numbers of records to new ones (or to positions), for the compiler's
// renumbering and for resolving references by key or offset.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace z5::object3d {

// Old numbers (as the text gives them) to new ones: the first record that
// carries an old number wins, and a number no record carries stays.
// The old numbers are kept sorted, each once, and found by a binary search
// whose steps depend on their count only: no choice of numbers makes a
// lookup walk further (numbers chosen to collide in a hash table would make
// every lookup walk the whole table). Numbers that follow each other
// without a gap, as a compiled object's keys do, are found without a
// search.
class Renumbering {
public:
    struct Entry {
        std::int32_t oldNumber;
        std::int32_t newNumber;
    };

    // `entries` in record order.
    explicit Renumbering(std::vector<Entry> entries) {
        const auto byOld = [](const Entry& a, const Entry& b) { return a.oldNumber < b.oldNumber; };
        // Records usually come in the order of their numbers already.
        if (!std::is_sorted(entries.begin(), entries.end(), byOld))
            std::stable_sort(entries.begin(), entries.end(), byOld);
        old_.reserve(entries.size());
        new_.reserve(entries.size());
        for (const Entry& e : entries)
            if (old_.empty() || old_.back() != e.oldNumber) {
                old_.push_back(e.oldNumber);
                new_.push_back(e.newNumber);
            }
        gapless_ = !old_.empty() && std::int64_t{old_.back()} - old_.front() ==
                                        static_cast<std::int64_t>(old_.size()) - 1;
    }

    std::int32_t operator()(std::int32_t value) const { return find(value).value_or(value); }
    // The new number of an old one, or nullopt for a number no record carries.
    std::optional<std::int32_t> find(std::int32_t value) const {
        std::optional<std::int32_t> found;
        findEach(
            1, [value](std::size_t) { return value; },
            [&found](std::size_t, std::optional<std::int32_t> f) { found = f; });
        return found;
    }
    // find() for `count` numbers: put(i, found) for the number get(i) gives.
    // Up to 16 searches go side by side, each halving step of all of them
    // together, so that they wait for memory at once rather than one after
    // another.
    template <class Get, class Put>
    void findEach(std::size_t count, Get get, Put put) const {
        constexpr std::size_t kSide = 16;
        std::int32_t values[kSide];
        std::size_t at[kSide];
        for (std::size_t first = 0; first < count; first += kSide) {
            const std::size_t n = std::min(kSide, count - first);
            for (std::size_t i = 0; i < n; ++i) {
                values[i] = get(first + i);
                at[i] = 0;
            }
            // Each range [at, at + length) holds its value if any entry
            // does; it is halved ceil(log2(entries)) times.
            for (std::size_t length = gapless_ ? 0 : old_.size(); length > 1;) {
                const std::size_t half = length / 2;
                for (std::size_t i = 0; i < n; ++i)
                    at[i] = old_[at[i] + half - 1] < values[i] ? at[i] + half : at[i];
                length -= half;
                steps_ += n;
            }
            for (std::size_t i = 0; i < n; ++i) put(first + i, entry(values[i], at[i]));
        }
    }

    // The halving steps all lookups took: what tests count to see that the
    // numbers a file holds do not change the work.
    std::uint64_t steps() const { return steps_; }

private:
    // The new number of `value`, found at `at` by the search.
    std::optional<std::int32_t> entry(std::int32_t value, std::size_t at) const {
        if (gapless_) {
            const std::int64_t from = std::int64_t{value} - old_.front();
            if (from < 0 || from >= static_cast<std::int64_t>(old_.size())) return std::nullopt;
            at = static_cast<std::size_t>(from);
        }
        if (old_.empty() || old_[at] != value) return std::nullopt;
        return new_[at];
    }

    std::vector<std::int32_t> old_;  // ascending, each once
    std::vector<std::int32_t> new_;  // beside them
    bool gapless_ = false;
    mutable std::uint64_t steps_ = 0;
};

}  // namespace z5::object3d
