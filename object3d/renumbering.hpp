// Old numbers of records to new ones (or to positions), for the compiler's
// renumbering and for resolving references by key.
#pragma once

#include <bit>
#include <cstdint>
#include <optional>
#include <vector>

namespace z5::object3d {

// Old numbers (as the text gives them) to new ones: the first record that
// carries an old number wins, and a number no record carries stays. An
// open-addressing table of at least twice the records it is made for, so a
// lookup costs the same whatever the table's size.
class Renumbering {
public:
    explicit Renumbering(std::size_t records)
        : slots_(std::bit_ceil(2 * records + 2)), shift_(64 - std::countr_zero(slots_.size())) {}

    void add(std::int32_t oldNumber, std::int32_t newNumber) {
        Slot& slot = slots_[slotOf(oldNumber)];
        if (!slot.used) slot = {oldNumber, newNumber, true};
    }
    std::int32_t operator()(std::int32_t value) const { return find(value).value_or(value); }
    // The new number of an old one, or nullopt for a number no record carries.
    std::optional<std::int32_t> find(std::int32_t value) const {
        const Slot& slot = slots_[slotOf(value)];
        return slot.used ? std::optional(slot.newNumber) : std::nullopt;
    }

private:
    struct Slot {
        std::int32_t oldNumber = 0;
        std::int32_t newNumber = 0;
        bool used = false;
    };
    // The slot of `number`, or the free slot where it would go. Fibonacci
    // hashing: the top bits of the product spread neighbouring numbers over
    // the whole table.
    std::size_t slotOf(std::int32_t number) const {
        const std::size_t mask = slots_.size() - 1;
        auto i = static_cast<std::size_t>(
            (std::uint64_t{static_cast<std::uint32_t>(number)} * 0x9E3779B97F4A7C15u) >> shift_);
        while (slots_[i].used && slots_[i].oldNumber != number) i = (i + 1) & mask;
        return i;
    }

    std::vector<Slot> slots_;
    int shift_;
};

}  // namespace z5::object3d
