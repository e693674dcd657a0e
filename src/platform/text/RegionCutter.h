#pragma once

#include "platform/text/LooksCache.h"
#include "platform/text/PageLayout.h"
#include "platform/text/PageMarks.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace klipo::platform {

// Cuts a picture into regions at empty rows and columns (wide against the
// height of the text around them) and at frames and rules, the clearest
// separation first, and each region into lines, in reading order: regions
// top to bottom and left to right, a column to its end before the next; a
// table or list (short rows whose cells line up) row by row; a window or
// pop-up that covers others, and so leaves no clear cut, whole.
class RegionCutter {
public:
    // `colour` may be null (a grey picture).
    RegionCutter(const QImage& gray, const QImage& colour, PageMarks& marks, const std::vector<MarkCluster>& words,
                 int textHeight, std::vector<LayoutLine>& out);

    // `ground`: groundEdges() of the picture over groundEdgeLength(textHeight).
    void cutPage(const std::vector<char>& ground);
    // How long a change of ground runs before it tells a window's edge: a
    // row of a list on a tinted ground is no window.
    static int groundEdgeLength(int textHeight) { return std::max(4 * textHeight, 40); }

private:
    struct Gap {
        int start = 0;         // first empty row or column
        int end = 0;           // one past the last
        double score = 0;      // its width against the text height, more with a rule in it
        double ruled = 0;      // the share of the region that a rule along it covers
        bool crossed = false;  // a frame or rule runs across it
        int ruleFrom = 0;      // where the rule along it starts and ends
        int ruleTo = 0;
    };
    // The spaces between the Latin words of a region: a terminal's or an
    // editor's text has every character as wide as the next, so its spaces
    // are as wide as a letter, twice what they are in running text.
    struct Spacing {
        std::vector<double> widths;  // each space's width against the height of its line
        QRect box;
        int spaces() const { return int(widths.size()); }
        bool telling() const { return spaces() >= 4; }
        // Few spaces say little alone: a region of so few takes after the
        // rows right above and below it as well.
        bool few() const { return spaces() < 16; }
        bool monospaced() const;
        bool monospacedText() const { return telling() && monospaced(); }
    };
    // The rows of text on one side of a column gap, and how they group into
    // blocks (rows closer than a row gap).
    struct Side {
        std::vector<std::pair<int, int>> rows;  // first and last pixel row of each
        int tallestBlock = 0;                   // rows in the largest block
        int width = 0;                          // from the leftmost ink to the rightmost
    };

    void cut(QRect region, int depth);
    static Gap best(const std::vector<Gap>& gaps);
    QRect trimmed(const QRect& r, std::vector<int>& rows, std::vector<int>& cols) const;
    int textHeightIn(const QRect& r) const;
    double structureAlong(const QRect& r, int start, int end, bool across, int* from = nullptr,
                          int* to = nullptr) const;
    bool crossed(const QRect& r, int start, int end, bool across, int th) const;
    // Whether a rule along `line` (a column if `down`) runs up to a window
    // read apart, `hidden`, from beside it: it runs on under the window.
    bool runsUnder(const QRect& hidden, int line, bool down) const;
    // Whether an empty column narrower than a column gap parts two columns
    // of prose: many wide lines on both sides, standing side by side.
    bool narrowColumnGap(const QRect& r, int start, int end, int th) const;
    bool sideBySide(const QRect& r, int start, int end, int th, int from, int to) const;
    bool offLevel(const QRect& r, int start, int end, int th) const;
    static bool mostlyLevel(const Side& a, const Side& b, int th);
    std::vector<Gap> gaps(const QRect& r, const std::vector<int>& profile, bool across, int th) const;
    bool withinLines(const QRect& r, const std::vector<std::pair<int, int>>& bands, const Gap& g, int th) const;
    bool spaceOfItsLines(const QRect& r, const std::vector<std::pair<int, int>>& bands, const Spacing& spacing,
                         int size, int th) const;
    int linesOverColumns(const QRect& r, const std::vector<int>& rows, int th) const;
    int linesOverRule(const QRect& r, const std::vector<int>& rows, const std::vector<Gap>& down, int th) const;
    // Whether an empty column lies between windows side by side: the sides
    // of a window on each side run in it, and no window level with the
    // region holds it.
    bool betweenWindows(const QRect& r, const Gap& column) const;
    bool columnsFirst(const QRect& r, const std::vector<Gap>& across, const std::vector<Gap>& down, int th,
                      std::vector<std::pair<int, int>>& tableRows) const;
    Side side(const QRect& r, int left, int right, int th) const;
    // `from` and `to`: how far the sides reach (-1: the region's edges).
    bool tableLike(const QRect& r, const Gap& column, int th, std::vector<std::pair<int, int>>& lone, int from = -1,
                   int to = -1) const;
    bool groundsApart(const QRect& r, const Gap& column) const;
    static bool evenPitch(const std::vector<std::pair<int, int>>& rows, int th);
    static bool packedRows(const std::vector<Gap>& across, const std::vector<std::pair<int, int>>& rows);
    std::vector<int> rowEnds(const QRect& r, const std::vector<std::pair<int, int>>& cells) const;
    void readPackedRows(const QRect& r, const std::vector<std::pair<int, int>>& cells, int th, int depth);
    bool largePicture(const QRect& r, int left, int right, int th) const;
    void readRowByRow(const QRect& r, const std::vector<std::pair<int, int>>& cells, int th);
    void readCells(const QRect& r, const std::vector<Gap>& rows, int th, int depth);
    bool proseColumns(const QRect& r, const Gap& column, int th) const;
    bool proseSide(const Side& s, int left, int right, int th) const;
    // Whether the text on one side of an empty column is one line, standing
    // level with the first line on the other side.
    bool besideFirstLines(const QRect& r, const Gap& column, int th) const;
    bool lineApart(const QRect& r, const std::vector<Gap>& across, int th, const Gap* column = nullptr) const;
    bool lineBeyond(const QRect& r, const Gap& gap, int th, const Gap* column = nullptr) const;
    // Drops the row gaps between paragraphs side by side in columns while
    // another row gap is not; returns whether every row gap is such a one.
    bool dropGapsInsideColumns(const QRect& r, std::vector<Gap>& across, int th) const;
    bool columnRunsThrough(const QRect& r, const std::vector<Gap>& across, size_t i,
                           const std::function<std::vector<int>(size_t, size_t)>& partsProfile, int th) const;
    bool sharedColumnGap(const QRect& above, const std::vector<int>& a, const QRect& below, const std::vector<int>& b,
                         int th) const;

    // Frames (windows, pop-ups) left whole inside a region without a cut.
    std::vector<size_t> framesIn(const QRect& r) const;
    // `labelEnd`: where the label must end (-1: at the frame).
    bool besideItsLabel(const QRect& r, size_t frame, int labelEnd = -1) const;
    bool fieldsBesideLabels(const QRect& r, const Gap& g, int th) const;
    // Whether a gap runs through the text of a window on top of others or
    // under them, not yet read, that lies in the region beside other
    // things: windows are read whole.
    bool throughFrame(const QRect& r, const Gap& g, bool across) const;
    void readFramesApart(const QRect& r, const std::vector<size_t>& frames, int depth);
    // Reads a frame of those `readFramesApart` reads apart, after the windows
    // in the region that lie on part of it; the parts read and where their
    // lines end.
    void readFrameOnTopFirst(const QRect& r, size_t frame, int depth, std::vector<QRect>& parts,
                             std::vector<size_t>& ends);
    // Whether text under a frame runs up to its outline from outside (cut
    // off where the frame lies on it): a window or pop-up on top. Only the
    // text `within` counts.
    bool cutsTextOff(const QRect& frame, const QRect& within) const;
    // Whether a rule that parts text on both sides runs on from under a
    // frame, away from one of its sides.
    bool overRule(const QRect& frame) const;
    // The frames on top of others in the region that one of the gaps runs
    // through, but for those that such a rule runs under (hidden with the
    // frame, the rule would seem to end at its edge).
    std::vector<size_t> cutOnTop(const QRect& r, const std::vector<Gap>& across, const std::vector<Gap>& down) const;
    // `shadow`: a window on top of others, whose shadow hides with it.
    void hide(const QRect& r, bool shadow);
    // Hides the shadow that runs along a window's bottom and right side
    // outside it, as far off as `shadowReach()`.
    void hideShadow(const QRect& area);
    int shadowReach() const { return std::max(8, m_textHeight * 2 / 3); }
    // Hides the ends of letters that show beside a window's top or bottom.
    void hideSlivers(const QRect& area);

    // One region without inner gaps (RegionLines.cpp).
    void linesOf(const QRect& r, const std::vector<int>& rows, int th);
    // The lines of bands already found, with the spacing of their words.
    void linesIn(const QRect& r, const std::vector<std::pair<int, int>>& bands, const Spacing& spacing, int th);
    static std::vector<std::pair<int, int>> textBands(const QRect& r, const std::vector<int>& rows, int th);
    static std::vector<std::pair<int, int>> bandsOf(const QRect& r, const std::vector<int>& rows);
    // `profiles`: columnProfile() of each band.
    int gutterOf(const QRect& r, const std::vector<std::pair<int, int>>& bands,
                 const std::vector<std::vector<int>>& profiles, int th) const;
    // `cols`: columnProfile() of the band; `gutter`: the last column of an
    // editor's line numbers in the band, or -1.
    void segmentsOf(const QRect& band, const std::vector<int>& cols, int region, int th, bool monospaced, int gutter);
    std::vector<int> columnProfile(const QRect& band) const;
    Spacing spacingOf(const QRect& r, const std::vector<std::pair<int, int>>& bands, int th) const;
    std::vector<double> spacesIn(const QRect& band) const;
    int inkContrast(const QRect& band, int from, int to) const;
    void spreadMonospacing();
    bool singleLine(const QRect& band) const;
    // Whether a letter at least 0.6 of a band's height stands in `r`.
    bool largeLetterIn(const QRect& r, int bandHeight) const;
    void addLine(QRect r, int region, bool stacked);

    const QImage& m_gray;
    const QImage& m_colour;
    PageMarks& m_marks;
    const std::vector<MarkCluster>& m_words;
    int m_textHeight;
    std::vector<LayoutLine>& m_out;
    int m_region = 0;
    std::vector<QRect> m_frames;
    std::vector<QRect> m_frameText;  // where the text inside each frame is
    std::vector<char> m_frameRead;
    std::vector<char> m_overlapping;  // windows under others, and those on top of them
    std::vector<char> m_onTop;        // windows and pop-ups on top of others
    std::vector<int> m_layers;        // how many layers of windows lie over each frame
    std::vector<Spacing> m_spacings;  // per region
    std::vector<QRect> m_hidden;      // windows and pop-ups read apart, hidden since
    mutable LooksCache m_looks;
};

}  // namespace klipo::platform
