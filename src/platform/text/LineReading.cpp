#include "platform/text/LineReading.h"

#include "platform/text/LineLooks.h"
#include "platform/text/LinePieces.h"
#include "platform/text/ScriptCounts.h"

#include <algorithm>
#include <cmath>

namespace klipo::platform {

namespace {

constexpr int kMaxSide = 30000;          // Tesseract keeps coordinates in 16 bits
constexpr float kOtherScriptBelow = 60;  // a line read this poorly is tried with the other script's model
constexpr float kDropBelow = 40;         // lines read with less confidence are noise
constexpr float kUnsureLatinBelow = 70;  // on a Chinese page, a Latin word read less surely may be Chinese
constexpr float kAgreed = 75;            // how sure a text two models read alike is

QString squeezed(const QString& text)
{
    QString out;
    for (QChar c : text)
        if (!c.isSpace()) out += c;
    return out;
}

int asciiLetterRun(const QString& text)
{
    int best = 0;
    int run = 0;
    for (QChar c : text) {
        run = c.unicode() < 128 && c.isLetter() ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

int lettersAndDigits(const QString& text)
{
    return int(std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); }));
}

float meanConfidence(const TesseractEngine::Result& r)
{
    double sum = 0;
    double weight = 0;
    for (const RecognizedLine& l : r.lines) {
        sum += double(l.confidence) * double(l.text.size());
        weight += double(l.text.size());
    }
    return weight > 0 ? float(sum / weight) : 0;
}

// Two Chinese characters or more and nothing else: a name or a label
// short enough that the engine is unsure of it even when it reads it right.
// Characters that icons are read as ("三" for a menu's bars, "口" for a
// window's maximise button) make it doubtful.
bool isShortHan(const QString& text)
{
    static const QString iconLike = QStringLiteral("一二三十口回目田");
    const QString signs = squeezed(text);
    const QList<uint> scalars = signs.toUcs4();
    return scalars.size() >= 2 && scalars.size() <= 6 &&
           std::none_of(signs.begin(), signs.end(), [](QChar c) { return iconLike.contains(c); }) &&
           std::all_of(scalars.begin(), scalars.end(), [](uint c) { return isHanScalar(c); });
}

}  // namespace

bool isIconLookalike(const QString& text)
{
    // What window buttons, arrows, stars, crosses, magnifiers and menus are
    // read as when they stand alone.
    static const QString lookalikes = QStringLiteral("xX×口□十+Qo一—=≡vV<>^àáÀÁåidpr目@©®œ");
    const QString signs = squeezed(text);
    if (signs.isEmpty()) return false;
    // A lone lowercase Latin letter is no line of text either.
    if (signs.size() == 1 && signs[0].unicode() < 0x80 && signs[0].isLower()) return true;
    // A window's minimise, maximise and close buttons read together ("- O X").
    static const QString buttons = QStringLiteral("-O");
    const auto lookalike = [](QChar c) { return lookalikes.contains(c); };
    return signs.size() <= 4 &&
           std::all_of(signs.begin(), signs.end(), [&](QChar c) { return lookalike(c) || buttons.contains(c); }) &&
           (signs.size() >= 2 || lookalike(signs[0])) && std::any_of(signs.begin(), signs.end(), lookalike);
}

const QString& hanModel()
{
    static const QString model = QStringLiteral("chi_sim");
    return model;
}

const QString& mixedModel()
{
    static const QString model = QStringLiteral("chi_sim+eng");
    return model;
}

PageScripts PageScripts::of(const PageLayout& layout)
{
    PageScripts s;
    for (const LayoutLine& line : layout.lines) {
        if (size_t(line.region) >= s.hanByRegion.size()) {
            s.hanByRegion.resize(size_t(line.region) + 1, 0);
            s.latinByRegion.resize(size_t(line.region) + 1, 0);
        }
        s.hanByRegion[size_t(line.region)] += line.script == LineScript::Han;
        s.latinByRegion[size_t(line.region)] += line.script == LineScript::Latin;
        s.han += line.script == LineScript::Han;
        s.latin += line.script == LineScript::Latin;
    }
    return s;
}

QString PageScripts::modelFor(const LayoutLine& line, const QString& latinModel) const
{
    LineScript script = line.script;
    if (script == LineScript::Unknown) {
        const int h = hanByRegion[size_t(line.region)];
        const int l = latinByRegion[size_t(line.region)];
        if (h == l)
            script = han > latin ? LineScript::Han : LineScript::Latin;
        else
            script = h > l ? LineScript::Han : LineScript::Latin;
    }
    return script == LineScript::Han ? hanModel() : latinModel;
}

TesseractEngine::Result readLine(EnginePool& pool, const QString& model, int engines, const QImage& page,
                                 const PageLayout& layout, const LayoutLine& line, bool withSymbols, bool& missing,
                                 LineSize size)
{
    const QRect& r = line.rect;
    const int textHeight = line.stacked ? std::min(r.height(), layout.textHeight) : r.height();
    // Small text is scaled up to about this height (measured on drawn screens:
    // Chinese needs a little more than Latin); large Chinese (a high-density
    // screen's) is read better a little smaller ("旧" is not taken for "日").
    // A line the layout took for Latin that the Chinese model reads (a short
    // Chinese label) is read at Chinese size too, where it is two characters
    // wide or more: icons are read as they are.
    const bool hanRead = model == hanModel() && line.script == LineScript::Latin && r.width() * 2 >= r.height() * 3;
    const double target = line.script == LineScript::Han || hanRead ? 30 : 26;
    double scale = std::max(1.0, target / std::max(1, textHeight));
    if (scale < 1.2) scale = 1;
    constexpr double kLargeHan = 29;
    constexpr double kLargeHanTarget = 24;
    if (line.script == LineScript::Han && textHeight > kLargeHan) scale = kLargeHanTarget / textHeight;
    const double resize = size == LineSize::smallerWithRoom ? 0.6 : size == LineSize::larger ? 1.4 : 1;
    scale = std::min({scale * resize, 4.0 * resize, double(kMaxSide) / (r.width() + 2.0 * textHeight)});
    const int margin = size == LineSize::smallerWithRoom ? std::max(4, textHeight) : std::max(4, textHeight / 3);
    QImage picture = linePicture(page, layout, line, margin);
    if (scale != 1) {
        picture = picture
                      .scaled(int(std::lround(picture.width() * scale)), int(std::lround(picture.height() * scale)),
                              Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_Grayscale8);
    }
    EnginePool::Lease engine = pool.acquire(model, engines);
    if (!engine) {
        missing = pool.isMissing(model);
        return {};
    }
    const QPoint origin = r.topLeft() - QPoint(margin, margin);
    TesseractEngine::Result result =
        engine->read(picture, scale, origin, withSymbols,
                     line.stacked ? TesseractEngine::Layout::Block : TesseractEngine::Layout::SingleLine);
    result.meanConfidence = meanConfidence(result);
    for (RecognizedLine& l : result.lines) {
        l.region = line.region;
        l.monospaced = line.monospaced;
    }
    if (line.stacked || result.lines.size() < 2) return result;
    RecognizedLine joined = result.lines.front();
    for (size_t i = 1; i < result.lines.size(); ++i) appendAfterSpace(joined, result.lines[i]);
    joined.confidence = result.meanConfidence;
    result.lines.assign(1, std::move(joined));
    return result;
}

bool foundNothingInHan(const LineJob& job)
{
    // Nothing, or nothing the engine gives any confidence to.
    // Icons are about as wide as high: only lines two characters wide or more.
    const QRect& r = job.layout->rect;
    return job.model == hanModel() && job.layout->script != LineScript::Latin && job.result.meanConfidence < 1 &&
           r.width() * 2 >= r.height() * 3;
}

QStringList secondOpinions(const LineJob& job, const PageScripts& scripts, const QString& latinModel)
{
    QString text;
    float weakest = 100;
    float widest = 0;
    QRect readBox;
    for (const RecognizedLine& l : job.result.lines) {
        text += l.text;
        weakest = std::min(weakest, l.weakestWord);
        widest = std::max(widest, l.widestLetters);
        readBox |= l.box;
    }
    const bool han = job.model == hanModel();
    const ScriptCounts counts = ScriptCounts::of(text);
    const bool latinRead = counts.latin >= 2 && counts.han == 0 && counts.kana == 0 && counts.hangul == 0;
    // A Latin line with a Han character or two misread into it.
    const bool misread = hasMisreadHan(text);
    // Chinese words in a line that looked Latin come out as a word or two
    // read with little confidence, as a few letters far too wide for Latin,
    // or not at all.
    const QRect& drawn = job.layout->rect;
    const bool partlyRead = !job.layout->stacked && (drawn.width() - readBox.width()) * 2 > 3 * drawn.height();
    // A Chinese character read as a sign of another script: "王" as "£".
    const bool oddSign = std::any_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() >= 0x80 && (c.category() >= QChar::Symbol_Math && c.category() <= QChar::Symbol_Other);
    });
    const bool unsureLatin =
        !han && scripts.han > 0 && (weakest < kUnsureLatinBelow || partlyRead || widest > 0.8f || oddSign);
    QStringList others;
    // A short Chinese label read unsurely is read again by the model that
    // knows both scripts: if both read it alike, it stands.
    const bool unsureHan = han && job.result.meanConfidence < kOtherScriptBelow && isShortHan(text);
    if ((han && !latinRead && asciiLetterRun(text) >= 2) || unsureLatin || misread || unsureHan) others << mixedModel();
    // A line too short to tell is tried with the other script only when the
    // page shows that script somewhere.
    const bool otherOnPage = han ? scripts.latin > 0 : scripts.han > 0;
    const bool unknown = job.layout->script == LineScript::Unknown && otherOnPage;
    // Digits and signs look square like Chinese: read as Chinese, they are
    // read again as Latin.
    if (job.result.meanConfidence < kOtherScriptBelow || unknown || (han && (isLatinOnly(text) || misread)))
        others << (han ? latinModel : hanModel());
    return others;
}

QString textOf(const TesseractEngine::Result& r)
{
    QString text;
    for (const RecognizedLine& l : r.lines) text += l.text;
    return text;
}

QImage colourOf(const QImage& picture)
{
    return picture.format() == QImage::Format_Grayscale8 ? QImage() : picture;
}

namespace {

bool readAlike(const QString& one, const QString& other)
{
    return squeezed(one) == squeezed(other) && (lettersAndDigits(one) >= 3 || isShortHan(one));
}

// The letters without their accents ("Bäcker" -> "Backer").
QString withoutAccents(const QString& text)
{
    QString out;
    for (QChar c : text.normalized(QString::NormalizationForm_D))
        if (c.category() != QChar::Mark_NonSpacing) out += c;
    return out;
}

void makeSure(TesseractEngine::Result& result)
{
    result.meanConfidence = std::max(result.meanConfidence, kAgreed);
    for (RecognizedLine& l : result.lines) {
        l.confidence = std::max(l.confidence, kAgreed);
        l.weakestWord = std::max(l.weakestWord, kAgreed);
    }
}

// A reading that makes Latin letters of two Han characters or more that the
// Han model read ("赵磊" read as "RE", "部署了测试环境" as "HBT Minnie"). A
// Latin word the Han model misread costs it one character at most.
bool givesUpHan(const QString& hanReading, const QString& other)
{
    const ScriptCounts was = ScriptCounts::of(hanReading);
    const ScriptCounts now = ScriptCounts::of(other);
    return was.han >= 2 && now.han + 2 <= was.han && now.latin > was.latin;
}

// A Latin letter or two: what the Latin model makes of an icon.
bool isLetterOrTwo(const QString& text)
{
    const QString signs = squeezed(text);
    return !signs.isEmpty() && signs.size() <= 2 &&
           std::all_of(signs.begin(), signs.end(), [](QChar c) { return c.unicode() < 0x80 && c.isLetter(); });
}

// How many letters one text needs changed, added or left out to become
// the other; stops counting past `most` (then more than `most`).
int editsBetween(const QString& one, const QString& other, int most)
{
    if (std::abs(int(one.size()) - int(other.size())) > most) return most + 1;
    std::vector<int> row(size_t(other.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j) row[j] = int(j);
    for (qsizetype i = 1; i <= one.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        int least = row[0];
        for (qsizetype j = 1; j <= other.size(); ++j) {
            const int up = row[size_t(j)];
            row[size_t(j)] = std::min({up + 1, row[size_t(j) - 1] + 1, diagonal + (one[i - 1] != other[j - 1])});
            diagonal = up;
            least = std::min(least, row[size_t(j)]);
        }
        if (least > most) return most + 1;
    }
    return row.back();
}

// A long Latin line two models read alike but for a letter's case or a sign
// every dozen letters: code and names the Latin model is unsure of since no
// word of its language is in them ("values.push_back(argv[i]);"), yet
// no picture or icon comes out that alike twice.
bool nearlyAlike(const QString& one, const QString& other)
{
    const QString a = squeezed(one).toLower();
    const QString b = squeezed(other).toLower();
    if (lettersAndDigits(a) < 8 || ScriptCounts::of(one).han > 0 || ScriptCounts::of(other).han > 0) return false;
    const int most = std::max(1, int(std::min(a.size(), b.size())) / 12);
    return editsBetween(a, b, most) <= most;
}

}  // namespace

void trustFirstReadingAlike(LineJob& job, const TesseractEngine::Result& other)
{
    // Word for word: a reading that only puts spaces elsewhere may still be the better one.
    const QString first = textOf(job.result);
    if (job.result.lines.empty()) return;
    if (first == textOf(other) && readAlike(first, first)) {
        makeSure(job.result);
    } else if (nearlyAlike(first, textOf(other))) {
        // Text, though not sure enough to win over a surer reading.
        job.result.meanConfidence = std::max(job.result.meanConfidence, kDropBelow);
        for (RecognizedLine& l : job.result.lines) l.confidence = std::max(l.confidence, kDropBelow);
    }
}

void takeSecondReading(LineJob& job, TesseractEngine::Result other, const QString& model)
{
    const QString now = textOf(job.result);
    const QString next = textOf(other);
    const bool misreadNow = hasMisreadHan(now);
    const bool misreadNext = hasMisreadHan(next);
    bool better = false;
    if (misreadNext != misreadNow) {
        // "+" never comes back as "十": a reading with Han characters misread
        // among Latin text wins over one without only where that one would
        // be dropped, and loses to a Latin one unless that one is far less sure.
        better = misreadNow && other.meanConfidence + 25 >= job.result.meanConfidence;
        // A reading too unsure to be kept gives way to a far surer one all the same.
        better = better || (misreadNext && job.result.meanConfidence < kDropBelow &&
                            other.meanConfidence >= job.result.meanConfidence + 25);
    } else {
        // The mixed model knows the Chinese too: a tie goes to it when it
        // finds Chinese (it knows no accents).
        const float margin = model == mixedModel() && ScriptCounts::of(next).han > 0 ? -2 : 3;
        better = other.meanConfidence > job.result.meanConfidence + margin;
    }
    // The mixed model knows no accents: where it reads the letters of a
    // Latin reading with accents, it confirms that reading.
    const QString plainNow = withoutAccents(now);
    const bool sameLetters = model == mixedModel() && ScriptCounts::of(next).han == 0 && plainNow != now &&
                             squeezed(plainNow) == squeezed(next);
    if (sameLetters) better = false;
    // An icon stays an icon ("目" for a document is no "B"), and the Chinese
    // of a line shaped like Chinese is not traded for Latin letters.
    if (isIconLookalike(now) && isLetterOrTwo(next)) better = false;
    // Nor where the other reading finds Chinese in the line too.
    if (job.model == hanModel() && !misreadNow && givesUpHan(now, next) &&
        (job.layout->script == LineScript::Han || ScriptCounts::of(next).han > 0))
        better = false;
    // A reading that would be dropped gives way to a short Chinese one that stands.
    const auto stands = [&](const TesseractEngine::Result& r, const QString& by) {
        return std::any_of(r.lines.begin(), r.lines.end(), [&](const RecognizedLine& l) {
            return isText(l) || isShortChineseText(*job.layout, l, by);
        });
    };
    if (!better && !stands(job.result, job.model) && isShortHan(next) && stands(other, model)) better = true;
    // Nor does a line of words that stands give way to a surer reading that
    // would be dropped: an icon beside a tab's title read as a Chinese
    // character leaves the title among letters scattered one by one. (A
    // letter or two read off an icon gives way all the same.)
    if (better && lettersAndDigits(now) >= 5 && stands(job.result, job.model) && !stands(other, model)) better = false;
    const bool agree = readAlike(now, next) || (sameLetters && lettersAndDigits(now) >= 3);
    if (better) {
        job.result = std::move(other);
        job.model = model;
    }
    if (agree) makeSure(job.result);
}

bool isText(const RecognizedLine& line)
{
    if (line.confidence < kDropBelow) return false;
    if (line.confidence < 60 && lettersAndDigits(line.text) < 5) return false;
    // Letters scattered one by one over a drawing ("oo o å o").
    const QStringList words = line.text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto single = std::count_if(words.begin(), words.end(), [](const QString& w) { return w.size() == 1; });
    if (line.confidence < 60 && words.size() >= 3 && single * 2 > words.size()) return false;
    // A lone bar or "l" much taller than wide is a frame's edge.
    if (line.text.size() == 1 && line.box.width() * 10 < line.box.height() * 3) return false;
    return !isIconLookalike(line.text);
}

bool isShortChineseText(const LayoutLine& layout, const RecognizedLine& line, const QString& model)
{
    // Two characters say little of their script: a line that looked Latin
    // counts where a model that knows Chinese read it better than the Latin one.
    const bool chinese = layout.script == LineScript::Han ||
                         (layout.script == LineScript::Latin && (model == hanModel() || model == mixedModel()));
    return chinese && line.confidence >= kDropBelow && isShortHan(line.text);
}

bool showsCjkText(const RecognizedLine& line)
{
    constexpr float kSure = 60;
    static const QString iconLike = QStringLiteral("一二三十口回目田ーニ");
    if (line.confidence < kSure) return false;
    const QList<uint> scalars = line.text.toUcs4();
    const auto signs = std::count_if(scalars.begin(), scalars.end(), [](uint c) {
        return (isHanScalar(c) || isKanaScalar(c)) && !iconLike.contains(QChar(char16_t(c)));
    });
    return signs >= 3;
}

bool isIconBesideText(const PageLayout& layout, const LayoutLine& line, const QString& text)
{
    const QString signs = squeezed(text);
    const QRect& r = line.rect;
    if (signs.isEmpty() || signs.size() > 2 || r.width() * 2 > r.height() * 3) return false;
    // Counts on badges are text: only letters and signs are doubted.
    if (std::any_of(signs.begin(), signs.end(), [](QChar c) { return c.isDigit(); })) return false;
    const int contrast = std::abs(line.ink - line.background);
    // A letter or two stands no taller than the letters of the words beside
    // it: a shape a quarter taller (a document's icon read as "B") is none,
    // nor is one as tall as words with tails ("Open") that reaches a good
    // deal above their tallest letters.
    const bool letters = isLetterOrTwo(text);
    return std::any_of(layout.lines.begin(), layout.lines.end(), [&](const LayoutLine& other) {
        const QRect& o = other.rect;
        if (&other == &line || o.width() < 2 * o.height()) return false;
        const int rowOverlap = std::min(r.bottom(), o.bottom()) - std::max(r.top(), o.top()) + 1;
        const int gap = std::max(o.left() - r.right(), r.left() - o.right());
        const int height = std::max(r.height(), o.height());
        const bool taller =
            r.height() * 4 > o.height() * 5 || (r.height() >= o.height() && (o.top() - r.top()) * 6 > o.height());
        return rowOverlap * 2 >= std::min(r.height(), o.height()) && gap <= 3 * height &&
               (contrast * 4 < std::abs(other.ink - other.background) * 3 || (letters && taller));
    });
}

bool isFramedIcon(const QImage& picture, const LayoutLine& line, const QString& text)
{
    if (line.script == LineScript::Han || !isLetterOrTwo(text)) return false;
    const QRect box = line.rect.intersected(picture.rect());
    return isFramedInk(picture, colourOf(picture), box);
}

bool isRowOfFramedIcons(const QImage& picture, const LayoutLine& line, const QString& text, int hanLines)
{
    const QString signs = squeezed(text);
    const ScriptCounts counts = ScriptCounts::of(signs);
    if (signs.isEmpty() || signs.size() > 6 || counts.latin > 0 ||
        std::any_of(signs.begin(), signs.end(), [](QChar c) { return c.isDigit(); }))
        return false;
    const QRect box = line.rect.intersected(picture.rect());
    const int frames = framedGlyphs(picture, colourOf(picture), box);
    return frames >= 3 || (frames == 2 && hanLines <= 1);
}

}  // namespace klipo::platform
