#pragma once

#include "platform/text/PageLayout.h"
#include "platform/text/PageMarks.h"

#include <vector>

namespace klipo::platform {

// Cuts a picture into regions at empty rows and columns (wide against the
// height of the text around them) and at frames and rules, the clearest
// separations first, and each region into lines, in reading order: regions
// top to bottom and left to right, a column to its end before the next.
class RegionCutter {
public:
    RegionCutter(const QImage& gray, const PageMarks& marks, const std::vector<MarkCluster>& words, int textHeight,
                 std::vector<LayoutLine>& out);

    void cut(QRect region, int depth = 0);

private:
    struct Gap {
        int start = 0;     // first empty row or column
        int end = 0;       // one past the last
        double score = 0;  // its width against the text height, more with a rule in it
        double ruled = 0;  // the share of the region that a rule along it covers
    };

    static Gap best(const std::vector<Gap>& gaps);
    QRect trimmed(const QRect& r, std::vector<int>& rows, std::vector<int>& cols) const;
    int textHeightIn(const QRect& r) const;
    double structureAlong(const QRect& r, int start, int end, bool across) const;
    bool crossed(const QRect& r, int start, int end, bool across) const;
    bool sideBySide(const QRect& r, int start, int end) const;
    std::vector<Gap> gaps(const QRect& r, const std::vector<int>& profile, bool across, int th) const;
    void linesOf(const QRect& r, const std::vector<int>& rows, int th);
    void segmentsOf(const QRect& band, int region, int th);
    void addLine(QRect r, int region, bool stacked);

    const QImage& m_gray;
    const PageMarks& m_marks;
    const std::vector<MarkCluster>& m_words;
    int m_textHeight;
    std::vector<LayoutLine>& m_out;
    int m_region = 0;
};

}  // namespace klipo::platform
