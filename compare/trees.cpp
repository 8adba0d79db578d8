#include "compare/trees.hpp"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

#include "platform/display.hpp"

namespace z5::compare {
namespace {

// For each record of one group, the position of its partner in the other,
// or -1.
using Pairing = std::vector<std::ptrdiff_t>;

// Beyond this many records inserted and removed between the common start
// and end of two groups, the rest is paired in place.
constexpr int kMostEdits = 1000;

void hashIn(std::uint64_t& h, std::string_view text) {
    for (const char c : text) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
    h = (h ^ 0xFF) * 0x100000001B3u;
}

void hashIn(std::uint64_t& h, std::uint64_t value) {
    hashIn(h, std::string_view(reinterpret_cast<const char*>(&value), sizeof value));
}

// The records below a record.
std::uint64_t groupsHash(const TreeRecord& r);

// A record's contents without its name: fields (a reference only as being
// one, since what it refers to is compared once records are paired; a
// placed value not at all, since records before it move it) and the
// records below it.
std::uint64_t recordHash(const TreeRecord& r) {
    std::uint64_t h = 0xCBF29CE484222325u;
    hashIn(h, r.key);
    hashIn(h, r.shape);
    // Fields by position: records of one shape label theirs alike.
    for (const TreeField& f : r.fields) {
        if (f.ref >= 0 || f.placed) {
            hashIn(h, f.placed ? "placed" : "ref");
            continue;
        }
        hashIn(h, f.text);
        hashIn(h, static_cast<std::uint64_t>(f.number));
    }
    hashIn(h, groupsHash(r));
    return h;
}

std::uint64_t groupsHash(const TreeRecord& r) {
    std::uint64_t h = 0xCBF29CE484222325u;
    for (const TreeGroup& g : r.groups) {
        hashIn(h, "{");
        for (const TreeRecord& child : g.records) hashIn(h, recordHash(child));
    }
    return h;
}

std::vector<std::uint64_t> hashes(const std::vector<TreeRecord>& records) {
    std::vector<std::uint64_t> out;
    out.reserve(records.size());
    for (const TreeRecord& r : records) out.push_back(recordHash(r));
    return out;
}

// The matching pairs of a longest common subsequence of x and y, in order
// (Myers' algorithm); nullopt past kMostEdits insertions and removals.
std::optional<std::vector<std::pair<std::size_t, std::size_t>>> commonSubsequence(
    const std::uint64_t* x, std::ptrdiff_t n, const std::uint64_t* y, std::ptrdiff_t m) {
    const std::ptrdiff_t most = std::min<std::ptrdiff_t>(n + m, kMostEdits);
    // v[k] for diagonals -most-1 .. most+1; before each round d, the
    // diagonals -(d-1) .. d-1 it reads are kept.
    std::vector<std::ptrdiff_t> v(static_cast<std::size_t>(2 * most + 3), 0);
    const auto at = [&v, most](std::ptrdiff_t k) -> std::ptrdiff_t& {
        return v[static_cast<std::size_t>(k + most + 1)];
    };
    std::vector<std::vector<std::ptrdiff_t>> kept;
    for (std::ptrdiff_t d = 0; d <= most; ++d) {
        kept.emplace_back(v.begin() + (most + 1 - d), v.begin() + (most + 2 + d));
        for (std::ptrdiff_t k = -d; k <= d; k += 2) {
            std::ptrdiff_t i = d == 0                                         ? 0
                               : k == -d || (k != d && at(k - 1) < at(k + 1)) ? at(k + 1)
                                                                              : at(k - 1) + 1;
            std::ptrdiff_t j = i - k;
            while (i < n && j < m && x[i] == y[j]) ++i, ++j;
            at(k) = i;
            if (i < n || j < m) continue;
            // Back from the end along the rounds kept.
            std::vector<std::pair<std::size_t, std::size_t>> pairs;
            std::ptrdiff_t xi = n, yj = m;
            for (std::ptrdiff_t e = d; e >= 0; --e) {
                const auto old = [&kept, e](std::ptrdiff_t diagonal) {
                    return kept[static_cast<std::size_t>(e)]
                               [static_cast<std::size_t>(diagonal + e)];
                };
                const std::ptrdiff_t kk = xi - yj;
                std::ptrdiff_t px = 0, py = 0;
                if (e > 0) {
                    const std::ptrdiff_t pk =
                        kk == -e || (kk != e && old(kk - 1) < old(kk + 1)) ? kk + 1 : kk - 1;
                    px = old(pk);
                    py = px - pk;
                }
                while (xi > px && yj > py) {
                    --xi, --yj;
                    pairs.emplace_back(xi, yj);
                }
                xi = px;
                yj = py;
            }
            std::reverse(pairs.begin(), pairs.end());
            return pairs;
        }
    }
    return std::nullopt;
}

// Beyond this many pairs to weigh between two records that match, the
// records there are paired in place.
constexpr std::size_t kMostWeighed = std::size_t{1} << 20;

// How alike two records of one shape are: one for being paired at all, one
// for each field that is the same, one for the same records below them.
int likeness(const TreeRecord& a, const TreeRecord& b, std::uint64_t groupsA,
             std::uint64_t groupsB) {
    int alike = 1 + (groupsA == groupsB);
    for (std::size_t i = 0; i < std::min(a.fields.size(), b.fields.size()); ++i) {
        const TreeField &x = a.fields[i], &y = b.fields[i];
        alike += x.ref < 0 && y.ref < 0 && x.text == y.text && x.number == y.number;
    }
    return alike;
}

// Pairs the records a[i0, i1) with b[j0, j1), none of which is the same on
// both sides, so that records of one shape are paired in order and the
// pairs have as many fields alike as can be: a section inserted before
// sections whose coordinates it moved pairs each of them with its old self
// rather than with the one before it.
void pairRun(const std::vector<TreeRecord>& a, const std::vector<TreeRecord>& b, std::size_t i0,
             std::size_t i1, std::size_t j0, std::size_t j1, Pairing& pairing) {
    const std::size_t n = i1 - i0, m = j1 - j0;
    if (n == 0 || m == 0) return;
    if (n * m > kMostWeighed) {
        for (std::size_t k = 0; k < n && k < m && a[i0 + k].shape == b[j0 + k].shape; ++k)
            pairing[i0 + k] = static_cast<std::ptrdiff_t>(j0 + k);
        return;
    }
    std::vector<std::uint64_t> ga(n), gb(m);
    for (std::size_t x = 0; x < n; ++x) ga[x] = groupsHash(a[i0 + x]);
    for (std::size_t y = 0; y < m; ++y) gb[y] = groupsHash(b[j0 + y]);
    const auto pairScore = [&](std::size_t x, std::size_t y) {
        return a[i0 + x].shape == b[j0 + y].shape ? likeness(a[i0 + x], b[j0 + y], ga[x], gb[y])
                                                  : -1;
    };
    // best[x][y]: the most likeness pairing the first x with the first y.
    std::vector<int> best((n + 1) * (m + 1), 0);
    const auto at = [&best, m](std::size_t x, std::size_t y) -> int& {
        return best[x * (m + 1) + y];
    };
    for (std::size_t x = 1; x <= n; ++x)
        for (std::size_t y = 1; y <= m; ++y) {
            const int paired = pairScore(x - 1, y - 1);
            at(x, y) =
                std::max({at(x - 1, y), at(x, y - 1), paired < 0 ? -1 : at(x - 1, y - 1) + paired});
        }
    for (std::size_t x = n, y = m; x > 0 && y > 0;) {
        const int paired = pairScore(x - 1, y - 1);
        if (paired >= 0 && at(x, y) == at(x - 1, y - 1) + paired) {
            pairing[i0 + x - 1] = static_cast<std::ptrdiff_t>(j0 + y - 1);
            --x, --y;
        } else if (at(x, y) == at(x - 1, y)) {
            --x;
        } else {
            --y;
        }
    }
}

// Pairs records without a key: the common start and end, a longest common
// subsequence between, and the records left between two pairs by how alike
// they are (see pairRun).
Pairing alignSequence(const std::vector<TreeRecord>& a, const std::vector<TreeRecord>& b) {
    const std::vector<std::uint64_t> ha = hashes(a), hb = hashes(b);
    const std::size_t n = a.size(), m = b.size();
    std::size_t start = 0, end = 0;
    while (start < n && start < m && ha[start] == hb[start]) ++start;
    while (end < n - start && end < m - start && ha[n - 1 - end] == hb[m - 1 - end]) ++end;
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t i = 0; i < start; ++i) pairs.emplace_back(i, i);
    if (const auto middle =
            commonSubsequence(ha.data() + start, static_cast<std::ptrdiff_t>(n - start - end),
                              hb.data() + start, static_cast<std::ptrdiff_t>(m - start - end)))
        for (const auto& [i, j] : *middle) pairs.emplace_back(i + start, j + start);
    for (std::size_t i = 0; i < end; ++i) pairs.emplace_back(n - end + i, m - end + i);
    pairs.emplace_back(n, m);  // the end, so the last run is paired too

    Pairing pairing(n, -1);
    std::size_t i = 0, j = 0;
    for (const auto& [pi, pj] : pairs) {
        pairRun(a, b, i, pi, j, pj, pairing);
        if (pi < n) pairing[pi] = static_cast<std::ptrdiff_t>(pj);
        i = pi + 1;
        j = pj + 1;
    }
    return pairing;
}

// For each record of `a`, the position of the record of `b` with its key,
// or -1; keys are unique in a group. b's keys are sorted once, so a lookup
// costs the same few steps whatever keys a file holds.
Pairing pairByKey(const std::vector<TreeRecord>& a, const std::vector<TreeRecord>& b) {
    std::vector<std::pair<std::string_view, std::size_t>> keys;
    keys.reserve(b.size());
    for (std::size_t j = 0; j < b.size(); ++j) keys.emplace_back(b[j].key, j);
    std::sort(keys.begin(), keys.end());
    Pairing pairing(a.size(), -1);
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::string_view key = a[i].key;
        const auto at = std::lower_bound(keys.begin(), keys.end(), std::pair{key, std::size_t{0}});
        if (at != keys.end() && at->first == key)
            pairing[i] = static_cast<std::ptrdiff_t>(at->second);
    }
    return pairing;
}

Pairing align(const TreeGroup& a, const TreeGroup& b) {
    if (a.matching == Matching::Sequence) return alignSequence(a.records, b.records);
    Pairing pairing(a.records.size(), -1);
    if (a.matching == Matching::Position) {
        for (std::size_t i = 0; i < a.records.size() && i < b.records.size(); ++i)
            pairing[i] = static_cast<std::ptrdiff_t>(i);
        return pairing;
    }
    // Most often the keys stand in the same order on both sides.
    std::size_t same = 0;
    while (same < a.records.size() && same < b.records.size() &&
           a.records[same].key == b.records[same].key)
        pairing[same] = static_cast<std::ptrdiff_t>(same), ++same;
    if (same == a.records.size() && same == b.records.size()) return pairing;
    return pairByKey(a.records, b.records);
}

Pairing inverse(const Pairing& p, std::size_t size) {
    Pairing out(size, -1);
    for (std::size_t i = 0; i < p.size(); ++i)
        if (p[i] >= 0) out[static_cast<std::size_t>(p[i])] = static_cast<std::ptrdiff_t>(i);
    return out;
}

// The pairings of a record's groups: each its own, or the one of the
// group it is aligned with.
std::vector<Pairing> alignGroups(const TreeRecord& a, const TreeRecord& b) {
    const std::size_t count = std::min(a.groups.size(), b.groups.size());
    std::vector<Pairing> out(count);
    for (std::size_t g = 0; g < count; ++g)
        if (a.groups[g].alignedWith < 0) out[g] = align(a.groups[g], b.groups[g]);
    for (std::size_t g = 0; g < count; ++g)
        if (const int with = a.groups[g].alignedWith; with >= 0) {
            out[g] = out.at(static_cast<std::size_t>(with));
            out[g].resize(a.groups[g].records.size(), -1);
            for (std::ptrdiff_t& j : out[g])
                if (j >= static_cast<std::ptrdiff_t>(b.groups[g].records.size())) j = -1;
        }
    return out;
}

std::optional<std::string> summaryOf(const TreeRecord& r) {
    return r.summary.empty() ? std::nullopt : std::optional(r.summary);
}

class Differ {
public:
    explicit Differ(std::vector<Difference>& out) : out_(out) {}

    void root(const TreeRecord& a, const TreeRecord& b) {
        if (a.referred >= 0 && a.referred == b.referred &&
            static_cast<std::size_t>(a.referred) < std::min(a.groups.size(), b.groups.size())) {
            referredA_ = &a.groups[static_cast<std::size_t>(a.referred)];
            const TreeGroup& referredB = b.groups[static_cast<std::size_t>(b.referred)];
            refs_ = align(*referredA_, referredB);
            refsBack_ = inverse(refs_, referredB.records.size());
        }
        record(a, b);
    }

    // A value of b as a line shows it: a reference to a record that a has
    // too as a names it, so both sides of a line are in a's numbering.
    std::string shownNow(const TreeField& f) const {
        if (f.ref >= 0 && referredA_ && static_cast<std::size_t>(f.ref) < refsBack_.size())
            if (const std::ptrdiff_t i = refsBack_[static_cast<std::size_t>(f.ref)]; i >= 0) {
                const TreeRecord& r = referredA_->records[static_cast<std::size_t>(i)];
                if (!r.referredAs.empty()) return r.referredAs;
            }
        return f.shown();
    }

    void record(const TreeRecord& a, const TreeRecord& b) {
        for (std::size_t i = 0; i < std::max(a.fields.size(), b.fields.size()); ++i) {
            if (i >= a.fields.size()) {
                if (!b.fields[i].derived)
                    out_.push_back({Change::Added, a.place, b.fields[i].label, std::nullopt,
                                    b.fields[i].shown()});
            } else if (i >= b.fields.size()) {
                if (!a.fields[i].derived)
                    out_.push_back({Change::Removed, a.place, a.fields[i].label,
                                    a.fields[i].shown(), std::nullopt});
            } else if (!(a.fields[i].derived && b.fields[i].derived) &&
                       !sameField(a.fields[i], b.fields[i])) {
                out_.push_back({Change::Changed, a.place, a.fields[i].label, a.fields[i].shown(),
                                shownNow(b.fields[i])});
            }
        }
        const std::vector<Pairing> pairings = alignGroups(a, b);
        for (std::size_t g = 0; g < pairings.size(); ++g)
            group(a.groups[g], b.groups[g], pairings[g]);
    }

    bool sameField(const TreeField& a, const TreeField& b) const {
        if (a.ref >= 0 || b.ref >= 0)
            return a.ref >= 0 && b.ref >= 0 && static_cast<std::size_t>(a.ref) < refs_.size() &&
                   refs_[static_cast<std::size_t>(a.ref)] == b.ref;
        return a.text == b.text && a.number == b.number;
    }

private:
    void added(const TreeGroup& g, const TreeRecord& r) {
        if (!g.quiet) out_.push_back({Change::Added, r.place, {}, std::nullopt, summaryOf(r)});
    }
    void removed(const TreeGroup& g, const TreeRecord& r) {
        if (!g.quiet) out_.push_back({Change::Removed, r.place, {}, summaryOf(r), std::nullopt});
    }

    void group(const TreeGroup& a, const TreeGroup& b, const Pairing& pairing) {
        const Pairing back = inverse(pairing, b.records.size());
        if (a.matching == Matching::Key) {
            for (std::size_t i = 0; i < a.records.size(); ++i)
                if (pairing[i] < 0)
                    removed(a, a.records[i]);
                else
                    record(a.records[i], b.records[static_cast<std::size_t>(pairing[i])]);
            for (std::size_t j = 0; j < b.records.size(); ++j)
                if (back[j] < 0) added(b, b.records[j]);
            return;
        }
        std::size_t i = 0, j = 0;
        while (i < a.records.size() || j < b.records.size()) {
            if (i < a.records.size() && pairing[i] < 0) {
                removed(a, a.records[i++]);
            } else if (j < b.records.size() && back[j] < 0) {
                added(b, b.records[j++]);
            } else if (i < a.records.size() && j < b.records.size() &&
                       pairing[i] == static_cast<std::ptrdiff_t>(j)) {
                record(a.records[i++], b.records[j++]);
            } else if (i < a.records.size()) {
                removed(a, a.records[i++]);  // paired out of order: never for an alignment
            } else {
                added(b, b.records[j++]);
            }
        }
    }

    std::vector<Difference>& out_;
    const TreeGroup* referredA_ = nullptr;
    Pairing refs_, refsBack_;
};

// Which side a merged value or record was taken from, for the references.
enum class Side { Base, Ours, Theirs };

class Merger {
public:
    Merged& out;

    explicit Merger(Merged& merged) : out(merged) {}

    void root(const TreeRecord& b, const TreeRecord& o, const TreeRecord& t) {
        const auto group = [](const TreeRecord& r) -> const TreeGroup* {
            return r.referred >= 0 && static_cast<std::size_t>(r.referred) < r.groups.size()
                       ? &r.groups[static_cast<std::size_t>(r.referred)]
                       : nullptr;
        };
        if (group(b) && group(o) && group(t)) {
            referred_ = static_cast<std::size_t>(b.referred);
            oursToBase_ = inverse(align(*group(b), *group(o)), group(o)->records.size());
            theirsToBase_ = inverse(align(*group(b), *group(t)), group(t)->records.size());
        }
        out.record = record(b, o, t, true);
        resolve(out.record);
    }

private:
    // A reference as the record it names: in the base, or added by a side.
    struct Identity {
        Side side;
        std::int64_t index;
        bool operator==(const Identity&) const = default;
    };
    Identity identity(Side side, std::int64_t ref) const {
        const Pairing* toBase = side == Side::Ours     ? &oursToBase_
                                : side == Side::Theirs ? &theirsToBase_
                                                       : nullptr;
        if (toBase && ref >= 0 && static_cast<std::size_t>(ref) < toBase->size() &&
            (*toBase)[static_cast<std::size_t>(ref)] >= 0)
            return {Side::Base, (*toBase)[static_cast<std::size_t>(ref)]};
        return {side, ref};
    }
    bool same(const TreeField& x, Side sx, const TreeField& y, Side sy) const {
        if (x.ref >= 0 || y.ref >= 0)
            return x.ref >= 0 && y.ref >= 0 && identity(sx, x.ref) == identity(sy, y.ref);
        return x.text == y.text && x.number == y.number;
    }
    static bool same(const TreeRecord& x, const TreeRecord& y) {
        return recordHash(x) == recordHash(y);
    }

    // The field taken from `side`, its reference kept as an identity until
    // the referred records have their merged places.
    TreeField taken(const TreeField& f, Side side) {
        TreeField copy = f;
        if (f.ref >= 0) {
            copy.ref = static_cast<std::int64_t>(identities_.size());
            identities_.push_back(identity(side, f.ref));
        }
        return copy;
    }
    void resolve(TreeRecord& r) {
        for (TreeField& f : r.fields) {
            if (f.ref < 0) continue;
            const Identity id = identities_[static_cast<std::size_t>(f.ref)];
            const auto& places = merged_[static_cast<std::size_t>(id.side)];
            const auto it = places.find(id.index);
            if (it == places.end()) {
                out.conflicts.push_back(join(r.place, f.label) +
                                        "refers to a record the merge removes");
                f.ref = -1;
            } else {
                f.ref = it->second;
            }
        }
        for (TreeGroup& g : r.groups)
            for (TreeRecord& child : g.records) resolve(child);
    }

    static std::string join(const std::string& place, const std::string& field) {
        std::string text = place;
        if (!field.empty()) text += (text.empty() ? "" : ": ") + field;
        return text.empty() ? text : text + ": ";
    }
    void fromTheirs(const TreeRecord& b, const TreeRecord& t) {
        std::vector<Difference> lines = diffTrees(b, t);
        out.fromTheirs.insert(out.fromTheirs.end(), lines.begin(), lines.end());
    }
    void conflict(const TreeRecord& b, const TreeField& fb, const TreeField& fo,
                  const TreeField& ft) {
        out.conflicts.push_back(join(b.place, fb.label) + "base " + fb.shown() + ", ours " +
                                fo.shown() + ", theirs " + ft.shown());
    }

    TreeRecord record(const TreeRecord& b, const TreeRecord& o, const TreeRecord& t,
                      bool isRoot = false) {
        TreeRecord m;
        m.place = o.place;
        m.key = o.key;
        m.summary = o.summary;
        m.shape = o.shape;
        m.fields = o.fields;
        m.referred = o.referred;
        const std::size_t n = b.fields.size();
        if (o.fields.size() != n || t.fields.size() != n) {
            // Records of another shape are taken whole.
            if (same(o, b)) {
                fromTheirs(b, t);
                return reside(t, Side::Theirs);
            }
            if (!same(t, b) && !same(o, t))
                out.conflicts.push_back(join(b.place, {}) + "changed by ours and by theirs");
            return reside(o, Side::Ours);
        }
        for (std::size_t i = 0; i < n; ++i) {
            const TreeField &fb = b.fields[i], &fo = o.fields[i], &ft = t.fields[i];
            // Worked out again from the merged records when all three are.
            const bool derived = fb.derived && fo.derived && ft.derived;
            if (derived || same(fo, Side::Ours, fb, Side::Base)) {
                m.fields[i] = taken(derived ? fo : ft, derived ? Side::Ours : Side::Theirs);
                if (!derived && !same(ft, Side::Theirs, fb, Side::Base))
                    out.fromTheirs.push_back(
                        {Change::Changed, b.place, fb.label, fb.shown(), ft.shown()});
            } else {
                m.fields[i] = taken(fo, Side::Ours);
                if (!same(ft, Side::Theirs, fb, Side::Base) &&
                    !same(fo, Side::Ours, ft, Side::Theirs))
                    conflict(b, fb, fo, ft);
            }
        }
        const std::size_t groups = std::min({b.groups.size(), o.groups.size(), t.groups.size()});
        const std::vector<Pairing> bo = alignGroups(b, o), bt = alignGroups(b, t);
        for (std::size_t g = 0; g < groups; ++g)
            m.groups.push_back(group(b.groups[g], o.groups[g], t.groups[g], bo[g], bt[g],
                                     isRoot && static_cast<std::size_t>(g) == referred_));
        return m;
    }

    // A record taken whole from one side: its references as identities.
    TreeRecord reside(const TreeRecord& r, Side side) {
        TreeRecord copy = r;
        std::function<void(TreeRecord&)> walk = [&](TreeRecord& x) {
            for (TreeField& f : x.fields) f = taken(f, side);
            for (TreeGroup& g : x.groups)
                for (TreeRecord& child : g.records) walk(child);
        };
        walk(copy);
        return copy;
    }

    // Keeps where a record of the referred group lands in the merge.
    void landed(bool referred, Side side, std::size_t index, std::size_t at) {
        if (referred)
            merged_[static_cast<std::size_t>(side)][static_cast<std::int64_t>(index)] =
                static_cast<std::int64_t>(at);
    }

    TreeGroup group(const TreeGroup& b, const TreeGroup& o, const TreeGroup& t, const Pairing& bo,
                    const Pairing& bt, bool referred) {
        TreeGroup m;
        m.matching = o.matching;
        m.alignedWith = o.alignedWith;
        m.quiet = o.quiet;
        const auto add = [&](const TreeRecord& r, Side side, std::size_t index) {
            landed(referred, side, index, m.records.size());
            m.records.push_back(reside(r, side));
        };
        const auto addedLine = [&](const TreeRecord& r) {
            if (!t.quiet)
                out.fromTheirs.push_back({Change::Added, r.place, {}, std::nullopt, summaryOf(r)});
        };
        const auto removedLine = [&](const TreeRecord& r) {
            if (!t.quiet)
                out.fromTheirs.push_back(
                    {Change::Removed, r.place, {}, summaryOf(r), std::nullopt});
        };
        const auto removedBy = [&](const TreeRecord& r, const char* remover, const char* changer) {
            out.conflicts.push_back(join(r.place, {}) + "removed by " + remover + ", changed by " +
                                    changer);
        };
        const Pairing ob = inverse(bo, o.records.size()), tb = inverse(bt, t.records.size());
        // Records added on both sides at one place merge when they are alike.
        const auto insertions = [&](std::size_t& oi, std::size_t oEnd, std::size_t& ti,
                                    std::size_t tEnd) {
            if (oi < oEnd && ti < tEnd) {
                bool alike = oEnd - oi == tEnd - ti;
                for (std::size_t k = 0; alike && k < oEnd - oi; ++k)
                    alike = same(o.records[oi + k], t.records[ti + k]);
                if (!alike)
                    out.conflicts.push_back(join(o.records[oi].place, {}) +
                                            "added by ours and by theirs, not alike");
                for (std::size_t k = 0; ti < tEnd; ++ti, ++k)
                    landed(referred, Side::Theirs, ti, m.records.size() + k);
            }
            for (; oi < oEnd; ++oi) add(o.records[oi], Side::Ours, oi);
            for (; ti < tEnd; ++ti) {
                addedLine(t.records[ti]);
                add(t.records[ti], Side::Theirs, ti);
            }
        };
        std::size_t oi = 0, ti = 0;
        for (std::size_t i = 0; i <= b.records.size(); ++i) {
            const bool end = i == b.records.size();
            const std::ptrdiff_t po = end ? -1 : bo[i], pt = end ? -1 : bt[i];
            std::size_t oEnd = oi, tEnd = ti;
            if (o.matching != Matching::Key) {
                oEnd = end ? o.records.size() : po >= 0 ? static_cast<std::size_t>(po) : oi;
                tEnd = end ? t.records.size() : pt >= 0 ? static_cast<std::size_t>(pt) : ti;
            }
            if (end && o.matching == Matching::Key) {
                // Keyed records added by a side go after the others.
                for (std::size_t j = 0; j < o.records.size(); ++j)
                    if (ob[j] < 0) add(o.records[j], Side::Ours, j);
                // Looked up before theirs' records join the merged ones.
                const Pairing twins = pairByKey(t.records, m.records);
                for (std::size_t j = 0; j < t.records.size(); ++j) {
                    if (tb[j] >= 0) continue;
                    if (twins[j] < 0) {
                        addedLine(t.records[j]);
                        add(t.records[j], Side::Theirs, j);
                    } else if (const TreeRecord& twin =
                                   m.records[static_cast<std::size_t>(twins[j])];
                               !same(twin, t.records[j])) {
                        out.conflicts.push_back(join(twin.place, {}) +
                                                "added by ours and by theirs, not alike");
                    }
                }
                break;
            }
            insertions(oi, oEnd, ti, tEnd);
            if (end) break;
            const TreeRecord& base = b.records[i];
            if (po >= 0 && pt >= 0) {
                landed(referred, Side::Base, i, m.records.size());
                landed(referred, Side::Ours, static_cast<std::size_t>(po), m.records.size());
                landed(referred, Side::Theirs, static_cast<std::size_t>(pt), m.records.size());
                m.records.push_back(record(base, o.records[static_cast<std::size_t>(po)],
                                           t.records[static_cast<std::size_t>(pt)]));
            } else if (po >= 0) {
                const TreeRecord& kept = o.records[static_cast<std::size_t>(po)];
                if (same(kept, base))
                    removedLine(base);
                else
                    removedBy(base, "theirs", "ours");
            } else if (pt >= 0 && !same(t.records[static_cast<std::size_t>(pt)], base)) {
                removedBy(base, "ours", "theirs");
            }
            if (po >= 0) oi = static_cast<std::size_t>(po) + 1;
            if (pt >= 0) ti = static_cast<std::size_t>(pt) + 1;
        }
        return m;
    }

    std::size_t referred_ = static_cast<std::size_t>(-1);
    Pairing oursToBase_, theirsToBase_;
    std::vector<Identity> identities_;
    std::map<std::int64_t, std::int64_t> merged_[3];  // by side: index to merged position
};

}  // namespace

std::string differenceLine(const Difference& d) {
    std::string text = printableLine(d.place);
    const auto part = [&text](const std::string& more) {
        text += (text.empty() ? "" : ": ") + more;
    };
    if (!d.field.empty()) part(printableLine(d.field));
    if (!d.note.empty()) {
        part(printableLine(d.note));
        return text;
    }
    const auto value = [](const std::optional<std::string>& v) {
        return v ? " (" + printableLine(*v) + ")" : std::string();
    };
    switch (d.change) {
        case Change::Changed:
            if (d.old && d.now) part(printableLine(*d.old) + " -> " + printableLine(*d.now));
            break;
        case Change::Added:
            part("added" + value(d.now));
            break;
        case Change::Removed:
            part("removed" + value(d.old));
            break;
        case Change::Moved:
            part("moved" + (d.old && d.now ? " (" + printableLine(*d.old) + " -> " +
                                                 printableLine(*d.now) + ")"
                                           : std::string()));
            break;
    }
    return text;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string differenceJson(const Difference& d, std::string_view file) {
    static constexpr const char* kChanges[] = {"changed", "added", "removed", "moved"};
    const auto orNull = [](const std::optional<std::string>& v) {
        return v ? jsonString(*v) : std::string("null");
    };
    const auto text = [&orNull](const std::string& v) {
        return orNull(v.empty() ? std::nullopt : std::optional(v));
    };
    return std::string("{\"change\":\"") + kChanges[static_cast<int>(d.change)] +
           "\",\"file\":" + jsonString(file) + ",\"place\":" + text(d.place) +
           ",\"field\":" + text(d.field) + ",\"old\":" + orNull(d.old) +
           ",\"new\":" + orNull(d.now) + (d.note.empty() ? "" : ",\"note\":" + jsonString(d.note)) +
           "}";
}

std::vector<Difference> diffTrees(const TreeRecord& a, const TreeRecord& b) {
    std::vector<Difference> out;
    Differ(out).root(a, b);
    return out;
}

Merged mergeTrees(const TreeRecord& base, const TreeRecord& ours, const TreeRecord& theirs) {
    Merged merged;
    Merger(merged).root(base, ours, theirs);
    return merged;
}

}  // namespace z5::compare
