#include "platform/text/WideCells.h"

#include "platform/text/ScriptCounts.h"

#include <algorithm>

namespace klipo::platform {

namespace {

// No letter of a monospaced face is wider than its cell, about six tenths
// of its line's height; a Chinese character is two cells wide.
constexpr float kWideLetters = 0.8f;

// The width of the line's cells: the usual step from one letter to the
// next inside a word, and never more than a monospaced face's cell against
// the line's height.
double cellOf(const RecognizedLine& line)
{
    const double most = 0.7 * line.box.height();
    std::vector<int> steps;
    for (size_t k = 1; k < line.symbols.size(); ++k) {
        const RecognizedSymbol& a = line.symbols[k - 1];
        const RecognizedSymbol& b = line.symbols[k];
        if (b.box.left() > a.box.left() && a.end == b.start) steps.push_back(b.box.left() - a.box.left());
    }
    if (steps.size() < 4) return 0.6 * line.box.height();
    const auto middle = steps.begin() + qsizetype(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return std::min(double(*middle), most);
}

// What the Chinese model read between `left` and `right` on the row of
// `box`: its characters left to right, each with its box, and whether it
// read a space before it.
struct Read {
    QString text;
    QRect box;
    bool spaced = false;
};
std::vector<Read> readBetween(const TesseractEngine::Result& han, const QRect& box, double left, double right)
{
    std::vector<Read> found;
    for (const RecognizedLine& line : han.lines)
        for (size_t k = 0; k < line.symbols.size(); ++k) {
            const RecognizedSymbol& s = line.symbols[k];
            const QPointF centre = QRectF(s.box).center();
            if (centre.x() < left || centre.x() > right || centre.y() < box.top() || centre.y() > box.bottom() + 1)
                continue;
            const int before = k > 0 ? line.symbols[k - 1].end : 0;
            found.push_back({line.text.mid(s.start, s.end - s.start), s.box,
                             line.text.mid(before, s.start - before).contains(QLatin1Char(' '))});
        }
    std::sort(found.begin(), found.end(), [](const Read& a, const Read& b) { return a.box.left() < b.box.left(); });
    return found;
}

// A line put together from pieces of a reading and characters of another.
class LineBuilder {
public:
    explicit LineBuilder(const RecognizedLine& from) : m_from(from) {}
    void add(const QString& text, const QRect& box)
    {
        m_line.symbols.push_back({int(m_line.text.size()), int(m_line.text.size() + text.size()), box});
        m_line.text += text;
    }
    // The reading's text from `start` to `end`, with the spaces in it that
    // the picture shows no room for.
    void copy(int start, int end)
    {
        for (const int space : m_from.roomlessSpaces)
            if (space >= start && space < end) m_line.roomlessSpaces.push_back(int(m_line.text.size()) + space - start);
        m_line.text += m_from.text.mid(start, end - start);
    }
    // One space before what comes next where the picture shows an empty
    // cell (and `spaced`), none where it does not.
    void spaceBefore(const QRect& next, double cell, bool spaced = true)
    {
        chopSpaces();
        if (m_line.symbols.empty() || !spaced) return;
        if (next.left() - m_line.symbols.back().box.right() - 1 >= 0.8 * cell) m_line.text += QLatin1Char(' ');
    }
    RecognizedLine take()
    {
        chopSpaces();
        RecognizedLine line = m_from;
        line.text = std::move(m_line.text);
        line.symbols = std::move(m_line.symbols);
        line.roomlessSpaces = std::move(m_line.roomlessSpaces);
        return line;
    }

private:
    void chopSpaces()
    {
        while (!m_line.text.isEmpty() && m_line.text.back().isSpace()) m_line.text.chop(1);
        std::erase_if(m_line.roomlessSpaces, [&](int space) { return space >= m_line.text.size(); });
    }

    const RecognizedLine& m_from;
    RecognizedLine m_line;
};

RecognizedLine lineWithWideCells(const RecognizedLine& line, const TesseractEngine::Result& han)
{
    const double cell = cellOf(line);
    // A letter (not a Chinese character) as wide as a Chinese character.
    const auto wide = [&](const RecognizedSymbol& s) {
        if (s.box.width() < 1.4 * cell) return false;
        const QString text = line.text.mid(s.start, s.end - s.start);
        return std::none_of(text.begin(), text.end(), [](QChar c) { return isUnspacedCjkScalar(c.unicode()); });
    };
    LineBuilder out(line);
    int cursor = 0;
    bool changed = false;
    bool afterRun = false;
    for (size_t k = 0; k < line.symbols.size();) {
        const RecognizedSymbol& s = line.symbols[k];
        size_t end = k;
        if (wide(s))
            while (end + 1 < line.symbols.size() && wide(line.symbols[end + 1])) ++end;
        std::vector<Read> read;
        if (wide(s)) {
            read = readBetween(han, line.box, s.box.left(), line.symbols[end].box.right());
            QString text;
            for (const Read& r : read) text += r.text;
            // Only Chinese characters and their punctuation take two cells.
            const bool chinese = std::all_of(text.begin(), text.end(),
                                             [](QChar c) { return isUnspacedCjkScalar(c.unicode()) || c.isSpace(); });
            if (!chinese || ScriptCounts::of(text).han == 0) read.clear();
        }
        if (read.empty()) {
            // As read, with the spaces read, but for those beside a run put
            // back, which the picture tells.
            if (afterRun)
                out.spaceBefore(s.box, cell);
            else
                out.copy(cursor, s.start);
            for (size_t i = k; i <= end; ++i) {
                const RecognizedSymbol& t = line.symbols[i];
                if (i > k) out.copy(line.symbols[i - 1].end, t.start);
                out.add(line.text.mid(t.start, t.end - t.start), t.box);
            }
            afterRun = false;
        } else {
            // Inside the run, a space only where the Chinese model read one
            // too: its boxes of Chinese characters are rough.
            for (size_t i = 0; i < read.size(); ++i) {
                out.spaceBefore(read[i].box, cell, i == 0 || read[i].spaced);
                out.add(read[i].text, read[i].box);
            }
            changed = true;
            afterRun = true;
        }
        cursor = line.symbols[end].end;
        k = end + 1;
    }
    if (!changed) return line;
    out.copy(cursor, int(line.text.size()));
    return out.take();
}

}  // namespace

bool readsWideCells(const TesseractEngine::Result& reading)
{
    return std::any_of(reading.lines.begin(), reading.lines.end(),
                       [](const RecognizedLine& l) { return l.widestLetters > kWideLetters; });
}

TesseractEngine::Result withWideCellsFrom(const TesseractEngine::Result& reading, const TesseractEngine::Result& han)
{
    TesseractEngine::Result out = reading;
    for (RecognizedLine& line : out.lines) line = lineWithWideCells(line, han);
    return out;
}

}  // namespace klipo::platform
