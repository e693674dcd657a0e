#include "scroll/ExactShift.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace klipo::stitch {

namespace {

constexpr double strongAgreement = 0.75;
constexpr int leastCounted = 16;  // strip rows with content an offset must be judged on
constexpr int leastVotes = 3;     // telling strips that must agree on an offset
constexpr int mostCandidates = 24;

// What two frames share where they stand: whole rows, and strips with content.
struct InPlace {
    std::vector<uint8_t> row;
    std::vector<uint8_t> unit;
    int strips = 0;

    // `look`: false leaves nothing out (content that repeats may stand where
    // it stood after a move, as a fixed header would).
    InPlace(const StripRows& older, const StripRows& newer, bool look = true) : strips(older.strips)
    {
        const int h = std::min(older.height, newer.height);
        row.assign(std::size_t(std::max(h, 0)), 0);
        unit.assign(std::size_t(std::max(h, 0)) * std::size_t(strips), 0);
        for (int r = 0; r < h && look; ++r) {
            row[std::size_t(r)] = older.rows[std::size_t(r)] == newer.rows[std::size_t(r)];
            for (int s = 0; s < strips; ++s)
                unit[std::size_t(r) * std::size_t(strips) + std::size_t(s)] =
                    older.isBusy(r, s) && older.key(r, s) == newer.key(r, s);
        }
    }
    bool fixedUnit(int r, int s) const { return unit[std::size_t(r) * std::size_t(strips) + std::size_t(s)] != 0; }
    int fixedUnits() const { return int(std::count(unit.begin(), unit.end(), uint8_t(1))); }
};

struct Tally {
    int counted = 0;
    int agreeing = 0;
    double share() const { return counted > 0 ? double(agreeing) / double(counted) : 0.0; }
    int disagreeing() const { return counted - agreeing; }
};

Tally tallyAt(const StripRows& older, const StripRows& newer, const InPlace& inPlace, int d)
{
    Tally tally;
    const int h = std::min(older.height, newer.height);
    for (int cr = std::max(0, -d); cr < std::min(h, h - d); ++cr) {
        const int pr = cr + d;
        if (d != 0 && (inPlace.row[std::size_t(pr)] || inPlace.row[std::size_t(cr)])) continue;
        for (int s = 0; s < older.strips; ++s) {
            if (!older.isBusy(pr, s) && !newer.isBusy(cr, s)) continue;
            if (d != 0 && (inPlace.fixedUnit(pr, s) || inPlace.fixedUnit(cr, s))) continue;
            ++tally.counted;
            tally.agreeing += older.key(pr, s) == newer.key(cr, s);
        }
    }
    return tally;
}

// Whether `rival` disagrees in clearly more strips than `best`, counted as
// if it shared as many: beyond what an animation, a caret or a scroll bar's
// thumb changes at the true offset as well.
bool plainlyWorse(const Tally& rival, const Tally& best)
{
    return rival.counted > 0 && int64_t(rival.disagreeing()) * best.counted >=
                                    int64_t(2 * best.disagreeing() + 8) * rival.counted;
}

// Whether any offset could be plainly better than one with `tally`: an
// offset shares at most every strip of the frame. Where nearly all agree (a
// caret, a scroll bar's thumb), the look is not worth its time.
bool couldBeOverruled(const Tally& tally, const StripRows& frame)
{
    return tally.share() < 0.995 &&
           int64_t(tally.disagreeing()) * frame.height * frame.strips >= int64_t(8) * tally.counted;
}

bool strong(const Tally& tally) { return tally.counted >= leastCounted && tally.share() >= strongAgreement; }

// Votes of the telling strips (content seen in few places of the older
// frame, not fixed in place) for the offsets that would bring them together.
// A strip seen in several rows (a glyph's stem, type drawn twice the size)
// shares its vote among them: the true offset gathers every share.
std::vector<double> tellingVotes(const StripRows& older, const StripRows& newer, const InPlace& inPlace, int maxShift)
{
    constexpr int mostPlaces = 4;
    struct Places {
        int count = 0;
        int rows[mostPlaces] = {};
    };
    const int h = std::min(older.height, newer.height);
    const auto unitKey = [](uint64_t key, int strip) { return key ^ (uint64_t(strip + 1) * 0x9E3779B97F4A7C15ull); };
    std::unordered_map<uint64_t, Places> seenAt;
    seenAt.reserve(std::size_t(h) * std::size_t(older.strips) / 2);
    for (int r = 0; r < h; ++r) {
        if (inPlace.row[std::size_t(r)]) continue;
        for (int s = 0; s < older.strips; ++s) {
            if (!older.isBusy(r, s) || inPlace.fixedUnit(r, s)) continue;
            Places& places = seenAt[unitKey(older.key(r, s), s)];
            if (places.count < mostPlaces) places.rows[places.count] = r;
            ++places.count;
        }
    }
    std::vector<double> votes(std::size_t(2 * maxShift + 1), 0.0);
    for (int r = 0; r < h; ++r) {
        if (inPlace.row[std::size_t(r)]) continue;
        for (int s = 0; s < newer.strips; ++s) {
            if (!newer.isBusy(r, s) || inPlace.fixedUnit(r, s)) continue;
            const auto found = seenAt.find(unitKey(newer.key(r, s), s));
            if (found == seenAt.end() || found->second.count > mostPlaces) continue;
            for (int i = 0; i < found->second.count; ++i) {
                const int d = found->second.rows[i] - r;
                if (d != 0 && d >= -maxShift && d <= maxShift)
                    votes[std::size_t(d + maxShift)] += 1.0 / found->second.count;
            }
        }
    }
    return votes;
}

}  // namespace

StripRows stripRows(const GrayFrame& frame)
{
    StripRows rows;
    rows.height = frame.height;
    rows.strips = (std::max(frame.width, 0) + StripRows::stripWidth - 1) / StripRows::stripWidth;
    const std::size_t units = std::size_t(rows.height) * std::size_t(rows.strips);
    rows.keys.resize(units);
    rows.busy.resize(units);
    rows.rows.resize(std::size_t(rows.height));
    for (int r = 0; r < frame.height; ++r) {
        const uint8_t* line = frame.row(r);
        uint64_t whole = 1469598103934665603ull;
        for (int s = 0; s < rows.strips; ++s) {
            const int from = s * StripRows::stripWidth;
            const int length = std::min(StripRows::stripWidth, frame.width - from);
            const auto [lo, hi] = std::minmax_element(line + from, line + from + length);
            const std::size_t at = std::size_t(r) * std::size_t(rows.strips) + std::size_t(s);
            rows.keys[at] = bytesKey(line + from, length);
            rows.busy[at] = *hi - *lo >= 2;
            whole = (whole ^ rows.keys[at]) * 1099511628211ull;
        }
        rows.rows[std::size_t(r)] = whole;
    }
    return rows;
}

double stripAgreement(const StripRows& older, const StripRows& newer, int d)
{
    return tallyAt(older, newer, InPlace(older, newer), d).share();
}

namespace {

// Each strip's tally at offset d.
std::vector<Tally> stripTalliesAt(const StripRows& older, const StripRows& newer, const InPlace& inPlace, int d,
                                  int rowStep = 1)
{
    const int h = std::min(older.height, newer.height);
    std::vector<Tally> perStrip(std::size_t(older.strips));
    for (int cr = std::max(0, -d); cr < std::min(h, h - d); cr += rowStep) {
        const int pr = cr + d;
        if (inPlace.row[std::size_t(pr)] || inPlace.row[std::size_t(cr)]) continue;
        for (int s = 0; s < older.strips; ++s) {
            if (!older.isBusy(pr, s) && !newer.isBusy(cr, s)) continue;
            if (inPlace.fixedUnit(pr, s) || inPlace.fixedUnit(cr, s)) continue;
            ++perStrip[std::size_t(s)].counted;
            perStrip[std::size_t(s)].agreeing += older.key(pr, s) == newer.key(cr, s);
        }
    }
    return perStrip;
}

// The share the strips agree with at an offset, as most of them have it:
// the median over the strips counted often enough, so that a strip moving on
// its own (a scroll bar's thumb) does not decide. 0 when too little is counted.
double consensus(const std::vector<Tally>& perStrip)
{
    int counted = 0;
    std::vector<double> shares;
    for (const Tally& tally : perStrip) {
        counted += tally.counted;
        if (tally.counted >= 4) shares.push_back(tally.share());
    }
    if (counted < leastCounted || shares.empty()) return 0;
    // The lower middle: of two strips, the one that agrees less.
    const auto middle = shares.begin() + std::ptrdiff_t((shares.size() - 1) / 2);
    std::nth_element(shares.begin(), middle, shares.end());
    return *middle;
}

// Whether rows from .. to - 1 of a frame show the same content again a few
// rows further down, as a band of identical rows does.
bool repeatsWithin(const StripRows& frame, int from, int to)
{
    for (int p = 1; p <= (to - from) / 2; ++p) {
        Tally tally;
        for (int r = from; r + p < to; ++r)
            for (int s = 0; s < frame.strips; ++s) {
                if (!frame.isBusy(r, s) && !frame.isBusy(r + p, s)) continue;
                ++tally.counted;
                tally.agreeing += frame.key(r, s) == frame.key(r + p, s);
            }
        if (tally.counted >= leastCounted && tally.share() >= 0.9) return true;
    }
    return false;
}

// Lines alike but for a few pixels (a log's ids counting up, a table's
// numbered rows) agree a line or more off in most strips entirely; the
// strips that differ tell them apart. Of `offsets`, those left out are the
// ones where most strips agree entirely yet the telling strips plainly
// disagree more than where they disagree least (none when that one is not
// strong). A telling strip agrees entirely at one of the offsets and not at
// another: a scroll bar's thumb, moved its own way, agrees at none and
// tells nothing; where no strip agrees entirely (a smooth ramp), nothing
// tells.
std::vector<int> leastDisagreeing(const StripRows& older, const StripRows& newer, const InPlace& inPlace,
                                  const std::vector<int>& offsets)
{
    std::vector<std::vector<Tally>> perStrip;
    for (int d : offsets) perStrip.push_back(stripTalliesAt(older, newer, inPlace, d));
    std::vector<uint8_t> telling(std::size_t(older.strips), 0);
    for (std::size_t s = 0; s < telling.size(); ++s) {
        bool whole = false, partly = false;
        for (const auto& strips : perStrip)
            if (strips[s].counted > 0) (strips[s].disagreeing() == 0 ? whole : partly) = true;
        telling[s] = whole && partly;
    }
    std::vector<Tally> all(offsets.size()), told(offsets.size());
    for (std::size_t i = 0; i < offsets.size(); ++i)
        for (std::size_t s = 0; s < telling.size(); ++s) {
            all[i].counted += perStrip[i][s].counted;
            all[i].agreeing += perStrip[i][s].agreeing;
            if (!telling[s]) continue;
            told[i].counted += perStrip[i][s].counted;
            told[i].agreeing += perStrip[i][s].agreeing;
        }
    const auto fewest = std::min_element(told.begin(), told.end(), [](const Tally& a, const Tally& b) {
        return a.disagreeing() < b.disagreeing();
    });
    if (fewest == told.end() || !strong(all[std::size_t(fewest - told.begin())])) return offsets;
    std::vector<int> kept;
    for (std::size_t i = 0; i < offsets.size(); ++i)
        if (!plainlyWorse(told[i], *fewest) || consensus(perStrip[i]) < 1.0) kept.push_back(offsets[i]);
    return kept;
}

// The forward offsets most strips agree at alike (content that repeats).
std::vector<int> alikeForward(const StripRows& older, const StripRows& newer, const InPlace& inPlace, int maxShift,
                              double& most)
{
    most = 0;
    std::vector<std::pair<int, double>> agreeing;
    for (int d = 1; d <= maxShift; ++d) {
        // A look at every eighth row first: most offsets agree nowhere.
        if (consensus(stripTalliesAt(older, newer, inPlace, d, 8)) < strongAgreement - 0.1) continue;
        const double share = consensus(stripTalliesAt(older, newer, inPlace, d));
        if (share < strongAgreement) continue;
        agreeing.emplace_back(d, share);
        most = std::max(most, share);
    }
    std::vector<int> alike;
    for (const auto& [d, share] : agreeing)
        if (share >= most - 0.05) alike.push_back(d);
    return alike;
}

ShiftScan scanWith(const StripRows& older, const StripRows& newer, int maxShift, const InPlace& inPlace)
{
    ShiftScan scan;

    const std::vector<double> votes = tellingVotes(older, newer, inPlace, maxShift);
    std::vector<int> offsets;
    const double top = *std::max_element(votes.begin(), votes.end());
    for (int i = 0; i < int(votes.size()); ++i)
        if (votes[std::size_t(i)] >= std::max(double(leastVotes), top / 16)) offsets.push_back(i - maxShift);
    std::stable_sort(offsets.begin(), offsets.end(), [&](int a, int b) {
        return votes[std::size_t(a + maxShift)] > votes[std::size_t(b + maxShift)];
    });
    if (offsets.size() > std::size_t(mostCandidates)) offsets.resize(mostCandidates);

    // The best strong candidate; decided when no other strong one has a
    // quarter of its telling votes, unless that one plainly disagrees more:
    // lines alike but for a few pixels (ids counting up in a log) agree
    // almost everywhere a line or two off, yet only the true place brings
    // every strip back.
    int best = 0;
    Tally bestTally;
    bool decided = false;
    std::vector<std::pair<int, Tally>> strongOnes;
    for (int d : offsets) {
        const Tally tally = tallyAt(older, newer, inPlace, d);
        if (!strong(tally)) continue;
        strongOnes.emplace_back(d, tally);
        if (!decided || tally.share() > bestTally.share()) {
            best = d;
            bestTally = tally;
            decided = true;
        }
    }
    if (decided)
        for (const auto& [d, tally] : strongOnes)
            if (d != best && 4 * votes[std::size_t(d + maxShift)] >= votes[std::size_t(best + maxShift)] &&
                !plainlyWorse(tally, bestTally))
                decided = false;

    // Nothing moved but a few strips (a caret, an animation).
    const Tally inPlaceTally = tallyAt(older, newer, inPlace, 0);
    if (inPlaceTally.counted >= leastCounted && inPlaceTally.share() >= 0.9 &&
        (!decided || inPlaceTally.share() > bestTally.share())) {
        best = 0;
        bestTally = inPlaceTally;
        decided = true;
    }
    // Decided where some strips disagree: lines alike but for a few pixels
    // a screen off (or moved by whole lines, where they stand as they
    // stood) may have outvoted the true place, which few telling strips saw;
    // an offset where plainly fewer disagree overrules it.
    if (decided && couldBeOverruled(bestTally, older)) {
        double most = 0;
        std::vector<int> alike = alikeForward(older, newer, inPlace, maxShift, most);
        if (best <= 0 || !std::binary_search(alike.begin(), alike.end(), best)) {
            alike.push_back(best);
            std::sort(alike.begin(), alike.end());
        }
        const std::vector<int> kept = leastDisagreeing(older, newer, inPlace, alike);
        if (kept.size() == 1) {
            best = kept.front();
            bestTally = tallyAt(older, newer, inPlace, best);
        } else if (std::find(kept.begin(), kept.end(), best) == kept.end()) {
            scan.kind = ShiftScan::Kind::repeated;
            scan.agreement = most;
            scan.alike = kept;
            return scan;
        }
    }
    if (decided && best == 0) {
        scan.kind = ShiftScan::Kind::unchanged;
        scan.agreement = bestTally.share();
        return scan;
    }
    if (decided) {
        scan.kind = best > 0 ? ShiftScan::Kind::forward : ShiftScan::Kind::backward;
        scan.offset = best;
        scan.agreement = bestTally.share();
        return scan;
    }

    // No telling strip decides: content that repeats (a band of identical
    // rows) agrees at several offsets. Every forward offset is looked at, as
    // most strips see it.
    double most = 0;
    const std::vector<int> alike = alikeForward(older, newer, inPlace, maxShift, most);
    scan.alike = leastDisagreeing(older, newer, inPlace, alike);
    // One offset is proof only when the rows shared there do not repeat
    // among themselves: a band of identical rows agrees at one offset too
    // when the others lie out of reach.
    if (scan.alike.size() == 1 && (alike.size() > 1 || !repeatsWithin(older, scan.alike.front(), older.height))) {
        scan.kind = ShiftScan::Kind::forward;
        scan.offset = scan.alike.front();
        scan.agreement = tallyAt(older, newer, inPlace, scan.offset).share();
        scan.alike.clear();
    } else if (!scan.alike.empty()) {
        scan.kind = ShiftScan::Kind::repeated;
        scan.agreement = most;
    }
    return scan;
}

}  // namespace

ShiftScan scanShifts(const StripRows& older, const StripRows& newer, int maxShift)
{
    if (older.height != newer.height || older.strips != newer.strips || older.height < 2) return {};
    maxShift = std::clamp(maxShift, 1, older.height - 1);
    // Repeated rows moved by a whole number of repeats stand where rows like
    // them stood, as a fixed part would. Fixed parts are a header, a border,
    // a button: when most of the content seems to stand still, or nothing is
    // found leaving it out, everything counts.
    const InPlace inPlace(older, newer);
    const InPlace all(older, newer, false);
    if (2 * inPlace.fixedUnits() > newer.busyUnits()) return scanWith(older, newer, maxShift, all);
    const ShiftScan scan = scanWith(older, newer, maxShift, inPlace);
    if (scan.kind != ShiftScan::Kind::none) return scan;
    return scanWith(older, newer, maxShift, all);
}

int firstFixedRowFrom(const StripRows& older, const StripRows& newer, int fromRow, int d)
{
    // Telling strips only: a strip seen in many rows (a border beside blank
    // rows) stands where it stood by chance as often as not.
    const int h = std::min(older.height, newer.height);
    std::unordered_map<uint64_t, int> seen;
    const auto unitKey = [](uint64_t key, int strip) { return key ^ (uint64_t(strip + 1) * 0x9E3779B97F4A7C15ull); };
    for (int r = 0; r < h; ++r)
        for (int s = 0; s < older.strips; ++s)
            if (older.isBusy(r, s)) ++seen[unitKey(older.key(r, s), s)];
    // And over a few rows on end, as a button or a bar stands: a strip of
    // few pixels (a digit's row) may stand where a like one stood by chance.
    constexpr int leastRun = 6;
    int run = 0;
    for (int r = std::max(fromRow, 0); r < h; ++r) {
        bool fixed = false;
        for (int s = 0; s < std::min(older.strips, newer.strips) && !fixed; ++s)
            fixed = older.isBusy(r, s) && older.key(r, s) == newer.key(r, s) &&
                    (r < d || older.key(r, s) != newer.key(r - d, s)) && seen[unitKey(older.key(r, s), s)] <= 2;
        run = fixed ? run + 1 : 0;
        if (run == leastRun) return r - leastRun + 1;
    }
    return older.height;
}

int fixedRowsOnTop(const GrayFrame& older, const GrayFrame& newer, int d)
{
    if (d <= 0 || older.width != newer.width) return 0;
    const int width = older.width;
    const auto differing = [width](const uint8_t* a, const uint8_t* b) {
        int count = 0;
        for (int x = 0; x < width; ++x) count += a[x] != b[x];
        return count;
    };
    int fixed = 0;
    for (int r = 0; r + d < std::min(older.height, newer.height); ++r) {
        const int inPlace = differing(older.row(r), newer.row(r));
        const int moved = differing(older.row(r + d), newer.row(r));
        if (moved < inPlace) break;
        if (inPlace < moved) fixed = r + 1;
    }
    return fixed;
}

}  // namespace klipo::stitch
