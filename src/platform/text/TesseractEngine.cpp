#include "platform/text/TesseractEngine.h"

#include "platform/text/ScriptCounts.h"
#include "platform/text/SignShapes.h"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cmath>
#include <limits>

// Tesseract loads into every engine a table of characters that look alike
// (thousands of pairs for its older classifier, parsed from text at each
// load: 55 ms and 8 MB an engine). The LSTM models this program reads with
// never consult it, so this loader, which the program's executables export
// in the library's stead, loads nothing: an engine of a language's model
// loads in a tenth of the time and a fifth of the memory, and reads the same.
namespace tesseract {
class UNICHARSET;
class UnicharAmbigs {
public:
    void LoadUniversal(const UNICHARSET& encoderSet, UNICHARSET* unicharset);
};
void UnicharAmbigs::LoadUniversal(const UNICHARSET&, UNICHARSET*) {}
}  // namespace tesseract

namespace klipo::platform {

namespace {

QRect mapBox(int left, int top, int right, int bottom, double scale, QPoint offset)
{
    const auto down = [scale](int v) { return int(std::floor(v / scale)); };
    const auto up = [scale](int v) { return int(std::ceil(v / scale)); };
    return QRect(QPoint(down(left), down(top)), QPoint(up(right) - 1, up(bottom) - 1)).translated(offset);
}

QString takeText(char* utf8)
{
    QString text = QString::fromUtf8(utf8);
    delete[] utf8;
    return text;
}

// Chinese and Japanese have no spaces between words; the engine's word
// breaks between two such characters are not spaces of the text.
bool spaceBetween(const QString& before, const QString& after)
{
    if (before.isEmpty() || after.isEmpty()) return !before.isEmpty();
    const QList<uint> last = before.right(2).toUcs4();
    const QList<uint> first = after.left(2).toUcs4();
    return !(isUnspacedCjkScalar(last.back()) && isUnspacedCjkScalar(first.front()));
}

// The engine also breaks words where the script changes ("3月15日" as "3",
// "月", "15", "日"): a space put there between Chinese and a Latin letter or
// digit is one of the text only where the engine saw room for it in the
// picture. (Beside signs it keeps the space: "张伟 · 3 小时前".)
bool isRoomlessChange(const QString& before, const QString& after, bool roomBefore)
{
    if (roomBefore || before.isEmpty() || after.isEmpty()) return false;
    const char32_t last = before.right(2).toUcs4().back();
    const char32_t first = after.left(2).toUcs4().front();
    const auto letterOrDigit = [](char32_t c) { return QChar::isLetterOrNumber(c); };
    return (isUnspacedCjkScalar(last) && letterOrDigit(first) && !isUnspacedCjkScalar(first)) ||
           (isUnspacedCjkScalar(first) && letterOrDigit(last) && !isUnspacedCjkScalar(last));
}

bool hasLetterOrDigit(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

using Word = EngineWord;

// What the engine makes of a window edge, a rule or a speck next to a line:
// symbols ("=", "|", "~", "^") without a letter or digit, read with little
// confidence ("=:"), or a single letter glued to them, read with hardly any
// ("=i", "E|"). Punctuation alone ("。", "—", "?") is kept whatever its
// confidence (the engine is often unsure of a full stop ending a line), and
// so are short words ("a", "y", "é").
bool isEdgeNoise(const Word& word)
{
    constexpr float kSymbolsFloor = 40;
    constexpr float kGluedLetterFloor = 20;
    int letters = 0;
    int digits = 0;
    int symbols = 0;
    for (QChar c : word.text) {
        if (c.isLetter())
            ++letters;
        else if (c.isNumber())
            ++digits;
        else if (c.category() >= QChar::Symbol_Math && c.category() <= QChar::Symbol_Other)
            ++symbols;
    }
    if (symbols == 0 || digits > 0 || letters > 1) return false;
    return word.confidence < (letters == 0 ? kSymbolsFloor : kGluedLetterFloor);
}

// The space the line's words stand apart by, where two words of letters or
// digits stand side by side; 0 when no two do.
int wordSpace(const std::vector<Word>& words)
{
    std::vector<int> spaces;
    for (size_t k = 1; k < words.size(); ++k)
        if (hasLetterOrDigit(words[k - 1].text) && hasLetterOrDigit(words[k].text))
            spaces.push_back(words[k].box.left() - words[k - 1].box.right() - 1);
    std::sort(spaces.begin(), spaces.end());
    return spaces.empty() ? 0 : std::max(0, spaces[spaces.size() / 2]);
}

// A breadcrumb's slash between two words or a middle dot the engine took
// into a word ("Compartir/Archivo", "Romero·") though it stands a space from
// the letters beside it: the word is parted around it.
void splitAtSpacedSigns(std::vector<Word>& words, int space, int lineHeight)
{
    static const QString parting = QStringLiteral("/·|>»›");
    const QChar middleDot(0x00B7);
    const int wide = space > 0 ? std::max(2, space * 3 / 5) : std::max(2, lineHeight / 5);
    std::vector<Word> out;
    for (Word& word : words) {
        const std::vector<RecognizedSymbol>& symbols = word.symbols;
        std::vector<size_t> cuts;  // symbols a new word starts at
        for (size_t j = 0; j < symbols.size(); ++j) {
            const RecognizedSymbol& s = symbols[j];
            if (s.end - s.start != 1 || !parting.contains(word.text[s.start])) continue;
            const bool dot = word.text[s.start] == middleDot;
            const bool before = j > 0 && s.box.left() - symbols[j - 1].box.right() - 1 >= wide;
            const bool after = j + 1 < symbols.size() && symbols[j + 1].box.left() - s.box.right() - 1 >= wide;
            const auto letter = [&](size_t m) { return word.text[symbols[m].start].isLetterOrNumber(); };
            // A slash parts only where it stands apart from letters on both sides;
            // a middle dot, never part of a word, wherever it stands apart.
            const bool apart = dot ? (before || j == 0) && (after || j + 1 == symbols.size()) && symbols.size() > 1
                                   : before && after && letter(j - 1) && letter(j + 1);
            if (!apart) continue;
            if (j > 0) cuts.push_back(j);
            if (j + 1 < symbols.size()) cuts.push_back(j + 1);
        }
        if (cuts.empty()) {
            out.push_back(std::move(word));
            continue;
        }
        cuts.push_back(symbols.size());
        size_t from = 0;
        for (size_t cut : cuts) {
            if (cut <= from) continue;
            Word piece;
            const int at = symbols[from].start;
            const int end = cut < symbols.size() ? symbols[cut].start : int(word.text.size());
            piece.text = word.text.mid(at, end - at);
            piece.confidence = word.confidence;
            piece.roomBefore = from == 0 ? word.roomBefore : true;
            for (size_t m = from; m < cut; ++m) {
                RecognizedSymbol moved = symbols[m];
                moved.start -= at;
                moved.end -= at;
                piece.box |= moved.box;
                piece.symbols.push_back(moved);
            }
            out.push_back(std::move(piece));
            from = cut;
        }
    }
    words = std::move(out);
}

// Han characters read where a Latin line has a sign ("Ctrl 十 F" for
// "Ctrl+F") become the sign again; a word that is only such a sign is glued
// to a neighbour the picture shows no space before (`glued`: per word, to
// the word before it; one more entry for the word after the last).
std::vector<char> putBackSigns(std::vector<Word>& words, int lineHeight)
{
    std::vector<char> glued(words.size() + 1, 0);
    const int space = wordSpace(words);
    for (size_t k = 0; k < words.size(); ++k) {
        QString& text = words[k].text;
        bool onlySigns = !text.isEmpty();
        bool putBack = false;
        for (qsizetype j = 0; j < text.size(); ++j) {
            const char32_t sign = signLookalike(text[j].unicode());
            if (sign == 0) {
                onlySigns = onlySigns && isAsciiText(text[j].unicode()) && !text[j].isLetterOrNumber();
                continue;
            }
            const QChar* left = j > 0                                   ? &text[j - 1]
                                : k > 0 && !words[k - 1].text.isEmpty() ? &words[k - 1].text.back()
                                                                        : nullptr;
            const QChar* right = j + 1 < text.size()                                    ? &text[j + 1]
                                 : k + 1 < words.size() && !words[k + 1].text.isEmpty() ? &words[k + 1].text.front()
                                                                                        : nullptr;
            if ((left || right) && (!left || isAsciiText(left->unicode())) &&
                (!right || isAsciiText(right->unicode()))) {
                text[j] = QChar(char16_t(sign));
                putBack = true;
            } else {
                onlySigns = false;
            }
        }
        if (!onlySigns) continue;
        // A sign read as a sign of its own ("Corbeille - Mail") is glued only
        // where it stands much closer than the words of its line do (a
        // breadcrumb's or a title's signs stand a space apart; with no words
        // to weigh it by, a sixth of the line's height is a space); a sign
        // read as Han keeps the looser measure it was read with.
        // Brackets and stops set close to code ("spawn(worker(rx));") keep the looser measure too.
        static const QString spacedSigns = QStringLiteral("-/|>~");
        const bool spaced = std::all_of(text.begin(), text.end(), [](QChar c) { return spacedSigns.contains(c); });
        const int loose = std::max(2, lineHeight * 3 / 10);
        const int near = putBack || !spaced ? loose
                         : space > 0        ? std::clamp(space / 2, 1, loose)
                                            : std::max(1, lineHeight / 6);
        if (k > 0 && words[k].box.left() - words[k - 1].box.right() <= near) glued[k] = 1;
        if (k + 1 < words.size() && words[k + 1].box.left() - words[k].box.right() <= near) glued[k + 1] = 1;
    }
    return glued;
}

// A stop, colon or at sign the engine set a space beside, between it and a
// letter or digit ("root@server :~", "README. docx", "mail27 @example.com"),
// where the picture shows far less room than between the line's words: a
// narrow sign in the middle of a monospaced face's cell, or a sign's own
// side bearing. It is glued to that word (`glued` as putBackSigns gives it).
// Not after a colon, which a space follows, however narrow ("Spaces: 4" in
// a status bar whose items stand far apart), nor after a stop before a
// capital, a sentence's end (a serif face's space is narrow).
void glueNarrowSigns(const std::vector<Word>& words, std::vector<char>& glued)
{
    const int space = wordSpace(words);
    if (space <= 0) return;
    for (size_t k = 1; k < words.size(); ++k) {
        const QString& left = words[k - 1].text;
        const QString& right = words[k].text;
        if (left.isEmpty() || right.isEmpty()) continue;
        const QChar next = right.front();
        const bool sign = (left.back() == QLatin1Char('@') && next.isLetterOrNumber()) ||
                          (left.back() == QLatin1Char('.') && (next.isLower() || next.isDigit())) ||
                          (QStringLiteral(".:@").contains(next) && left.back().isLetterOrNumber());
        if (sign && (words[k].box.left() - words[k - 1].box.right() - 1) * 5 < space * 3) glued[k] = 1;
    }
}

// A monospaced face sets each colon of "::" in the middle of its own cell:
// the engine takes the room between them for a space ("tokio: :spawn").
// Nothing in prose ends a word with a colon and starts the next with one.
bool splitScope(const Word& left, const Word& right, int lineHeight)
{
    return left.text.endsWith(QLatin1Char(':')) && right.text.startsWith(QLatin1Char(':')) &&
           right.box.left() - left.box.right() < lineHeight;
}

// Punctuation after a Chinese character is the full-width kind ("姓名："),
// which the engine often reads as the ASCII one.
void putBackFullWidthPunctuation(std::vector<Word>& words)
{
    static const QString ascii = QStringLiteral(",:;?!");
    static const QString fullWidth = QStringLiteral("，：；？！");
    QChar before;
    for (Word& word : words) {
        for (QChar& c : word.text) {
            const qsizetype k = ascii.indexOf(c);
            if (k >= 0 && isHanScalar(before.unicode())) c = fullWidth[k];
            before = c;
        }
    }
}

// The ink tells the kind of a comma, colon or semicolon after a Han
// character: labels mix the ASCII kind in ("文件: 大小") with the full-width
// one that lineOfWords sets there. `line` is the line's box in the engine's
// picture, the symbols' boxes map back into it by `scale` and `offset`.
void judgeSignsAfterHan(RecognizedLine& read, const QImage& gray, const QRect& line, double scale, QPoint offset)
{
    static const QString ascii = QStringLiteral(",:;");
    static const QString fullWidth = QStringLiteral("，：；");
    const auto back = [scale](int v, int from) { return int(std::lround((v - from) * scale)); };
    for (RecognizedSymbol& s : read.symbols) {
        if (s.end - s.start != 1 || s.start == 0) continue;
        const qsizetype kind = fullWidth.indexOf(read.text[s.start]);
        if (kind < 0 || !isHanScalar(read.text[s.start - 1].unicode())) continue;
        const QRect box(QPoint(back(s.box.left(), offset.x()), back(s.box.top(), offset.y())),
                        QPoint(back(s.box.right() + 1, offset.x()) - 1, back(s.box.bottom() + 1, offset.y()) - 1));
        const SignRoom room = signRoomFromInk(gray, line, box);
        if (room != SignRoom::AsciiSpaced && room != SignRoom::AsciiTight) continue;
        read.text[s.start] = ascii[kind];
        const int after = s.end;
        const bool spaced = after < read.text.size() && read.text[after] == QLatin1Char(' ');
        // The ink has told whether a space follows the sign.
        std::erase(read.roomlessSpaces, after);
        int shift = 0;
        if (room == SignRoom::AsciiSpaced && !spaced && after < read.text.size()) {
            read.text.insert(after, QLatin1Char(' '));
            shift = 1;
        } else if (room == SignRoom::AsciiTight && spaced) {
            read.text.remove(after, 1);
            shift = -1;
        }
        if (shift == 0) continue;
        for (RecognizedSymbol& moved : read.symbols)
            if (moved.start >= after) {
                moved.start += shift;
                moved.end += shift;
            }
        for (int& space : read.roomlessSpaces)
            if (space >= after) space += shift;
    }
}

}  // namespace

RecognizedLine lineOfWords(std::vector<EngineWord> words, const QRect& box, float confidence)
{
    while (!words.empty() && isEdgeNoise(words.front())) words.erase(words.begin());
    while (!words.empty() && isEdgeNoise(words.back())) words.pop_back();
    splitAtSpacedSigns(words, wordSpace(words), box.height());
    std::vector<char> glued = putBackSigns(words, box.height());
    glueNarrowSigns(words, glued);
    putBackFullWidthPunctuation(words);
    RecognizedLine line;
    line.box = box;
    line.confidence = confidence;
    QRect kept;
    for (size_t k = 0; k < words.size(); ++k) {
        const Word& word = words[k];
        if (!glued[k] && !(k > 0 && splitScope(words[k - 1], word, box.height())) &&
            spaceBetween(line.text, word.text)) {
            if (isRoomlessChange(line.text, word.text, word.roomBefore))
                line.roomlessSpaces.push_back(int(line.text.size()));
            line.text += QLatin1Char(' ');
        }
        const int offset = int(line.text.size());
        line.text += word.text;
        for (RecognizedSymbol symbol : word.symbols) {
            symbol.start += offset;
            symbol.end += offset;
            line.symbols.push_back(symbol);
        }
        kept |= word.box;
        line.weakestWord = std::min(line.weakestWord, word.confidence);
        const int letters = int(word.text.size() - word.text.count(QLatin1Char(' ')));
        if (box.height() > 0 && letters > 1)
            line.widestLetters = std::max(line.widestLetters, float(word.box.width()) / float(letters * box.height()));
    }
    // The line ends where its words end (the engine's line box also holds
    // what it could not read).
    if (!kept.isEmpty()) {
        line.box.setLeft(std::clamp(kept.left(), box.left(), box.right()));
        line.box.setRight(std::clamp(kept.right(), line.box.left(), box.right()));
    }
    return line;
}

namespace {

// Quiet: Tesseract reports its guesses about resolution on stderr.
const std::vector<std::string>& quietNames()
{
    static const std::vector<std::string> names = {"debug_file"};
    return names;
}

const std::vector<std::string>& quietValues()
{
    static const std::vector<std::string> values = {"/dev/null"};
    return values;
}

}  // namespace

TesseractEngine::TesseractEngine() = default;

TesseractEngine::~TesseractEngine()
{
    if (m_api) m_api->End();
}

void TesseractEngine::freeUnusedDictionaries() { tesseract::TessBaseAPI::ClearPersistentCache(); }

bool TesseractEngine::load(const QString& languages)
{
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    if (api->Init(nullptr, languages.toUtf8().constData(), tesseract::OEM_LSTM_ONLY, nullptr, 0, &quietNames(),
                  &quietValues(), false) != 0)
        return false;
    m_api = std::move(api);
    m_languages = languages;
    return true;
}

bool TesseractEngine::load(const QString& model, QByteArrayView bytes)
{
    if (bytes.isEmpty() || bytes.size() > std::numeric_limits<int>::max()) return false;
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    if (api->Init(bytes.data(), int(bytes.size()), model.toUtf8().constData(), tesseract::OEM_LSTM_ONLY, nullptr, 0,
                  &quietNames(), &quietValues(), false, nullptr) != 0)
        return false;
    m_api = std::move(api);
    m_languages = model;
    return true;
}

int TesseractEngine::dictionaryCount() const { return m_api ? m_api->NumDawgs() : 0; }

TesseractEngine::Result TesseractEngine::read(const QImage& gray, double scale, QPoint offset, bool withSymbols,
                                              Layout layout)
{
    Result result;
    if (!m_api || gray.isNull()) return result;
    const tesseract::PageSegMode modes[] = {tesseract::PSM_AUTO, tesseract::PSM_SINGLE_BLOCK,
                                            tesseract::PSM_SINGLE_LINE};
    m_api->SetPageSegMode(modes[int(layout)]);
    m_api->SetImage(gray.constBits(), gray.width(), gray.height(), 1, int(gray.bytesPerLine()));
    if (m_api->Recognize(nullptr) != 0) {
        m_api->Clear();
        result.ok = false;
        return result;
    }
    result.meanConfidence = float(m_api->MeanTextConf());

    std::unique_ptr<tesseract::ResultIterator> it(m_api->GetIterator());
    if (!it) {
        m_api->Clear();
        return result;
    }
    const QString middleDot(QChar(0x00B7));
    using tesseract::RIL_SYMBOL;
    using tesseract::RIL_TEXTLINE;
    using tesseract::RIL_WORD;
    do {
        if (it->Empty(RIL_TEXTLINE)) continue;
        int l, t, r, b;
        if (!it->BoundingBox(RIL_TEXTLINE, &l, &t, &r, &b)) continue;
        const QRect box = mapBox(l, t, r, b, scale, offset);
        const QRect engineLine(QPoint(l, t), QPoint(r - 1, b - 1));
        const float confidence = it->Confidence(RIL_TEXTLINE);
        // Where the line's letters reach up to and stand on, to tell small signs by their ink.
        const int top = t;
        int baseline = b;
        if (int x1, y1, x2, y2; it->Baseline(RIL_TEXTLINE, &x1, &y1, &x2, &y2)) baseline = (y1 + y2) / 2;
        // The engine puts the line of a word full of tails ("setup.jpg") under them.
        if (const int inked = inkBaseline(gray, QRect(QPoint(l, t), QPoint(r - 1, b - 1))); inked > top)
            baseline = std::min(baseline, inked);
        std::vector<Word> words;
        struct Told {
            size_t word;
            int at;
            QChar read;
        };
        std::vector<Told> told;  // signs told by their ink, with what the engine read
        struct Kept {
            size_t word;
            int at;
            QRect box;
        };
        std::vector<Kept> kept;  // small signs kept as read, judged again if the line is Chinese
        QRect firstWord;         // the first word's box in the engine's picture
        do {
            if (it->Empty(RIL_WORD)) continue;
            Word word;
            word.confidence = it->Confidence(RIL_WORD);
            word.roomBefore = it->BlanksBeforeWord() > 0;
            if (it->BoundingBox(RIL_WORD, &l, &t, &r, &b)) {
                word.box = mapBox(l, t, r, b, scale, offset);
                if (words.empty()) firstWord = QRect(QPoint(l, t), QPoint(r - 1, b - 1));
            }
            QRect letterBox;  // the engine's box of the word's last symbol, when a letter
            do {
                QString symbol = takeText(it->GetUTF8Text(RIL_SYMBOL));
                const bool boxed = !symbol.isEmpty() && it->BoundingBox(RIL_SYMBOL, &l, &t, &r, &b);
                const QString read = symbol;
                if (boxed && symbol.size() == 1)
                    symbol = signFromInk(gray, QRect(QPoint(l, t), QPoint(r - 1, b - 1)), top, baseline, symbol[0]);
                // One dot the engine read as two signs (".:") is one middle dot.
                if (symbol == middleDot && word.text.endsWith(middleDot)) symbol.clear();
                // A monospaced "1" read twice, as a letter and the digit ("l1"):
                // the letter takes the whole character's box, the digit only a
                // sliver at its end, inside it. The character is the digit.
                const bool digit = boxed && symbol.size() == 1 && symbol[0].isDigit();
                if (digit && !letterBox.isNull() && l >= letterBox.left() && r <= letterBox.right() + 1 &&
                    (r - l) * 2 < letterBox.width()) {
                    word.text.back() = symbol[0];
                    symbol.clear();
                }
                letterBox = boxed && symbol.size() == 1 && symbol[0].isLetter()
                                ? QRect(QPoint(l, t), QPoint(r - 1, b - 1))
                                : QRect();
                if (!symbol.isEmpty()) {
                    const int start = int(word.text.size());
                    if (symbol != read)
                        told.push_back({words.size(), start, read[0]});
                    else if (boxed && symbol.size() == 1 && !symbol[0].isLetterOrNumber())
                        kept.push_back({words.size(), start, QRect(QPoint(l, t), QPoint(r - 1, b - 1))});
                    word.text += symbol;
                    if (boxed)
                        word.symbols.push_back({start, int(word.text.size()), mapBox(l, t, r, b, scale, offset)});
                }
                if (it->IsAtFinalElement(RIL_WORD, RIL_SYMBOL)) break;
            } while (it->Next(RIL_SYMBOL));
            if (!word.text.isEmpty()) words.push_back(std::move(word));
            if (it->IsAtFinalElement(RIL_TEXTLINE, RIL_WORD)) break;
        } while (it->Next(RIL_WORD));
        // A Chinese face's short dash looks like a dot: on a Chinese line a
        // sign read as a dash stays one.
        const bool han = std::any_of(words.begin(), words.end(), [](const Word& w) {
            return std::any_of(w.text.begin(), w.text.end(), [](QChar c) { return isHanScalar(c.unicode()); });
        });
        if (han) {
            for (const Told& t : told)
                if (isDashLike(t.read)) words[t.word].text[t.at] = t.read;
            for (const Kept& k : kept) {
                QChar& c = words[k.word].text[k.at];
                if (!isDashLike(c)) c = signFromInk(gray, k.box, top, baseline, c, true);
            }
        }
        // A search field's magnifier before its text is read as a letter or
        // two ("Q Search"): no word of the line.
        if (words.size() >= 2 && words.front().text.size() <= 2 && hasLetterOrDigit(words[1].text) &&
            isMagnifierInk(gray, firstWord))
            words.erase(words.begin());
        RecognizedLine line = lineOfWords(std::move(words), box, confidence);
        judgeSignsAfterHan(line, gray, engineLine, scale, offset);
        if (!withSymbols) line.symbols.clear();
        // Lines with no letter or digit are rules, icons and specks.
        if (hasLetterOrDigit(line.text)) result.lines.push_back(std::move(line));
    } while (it->Next(RIL_TEXTLINE));
    it.reset();
    m_api->Clear();
    return result;
}

void dropRoomlessSpaces(RecognizedLine& line)
{
    for (auto it = line.roomlessSpaces.rbegin(); it != line.roomlessSpaces.rend(); ++it) {
        const int at = *it;
        if (at < 0 || at >= line.text.size() || line.text[at] != QLatin1Char(' ')) continue;
        line.text.remove(at, 1);
        for (RecognizedSymbol& s : line.symbols) {
            if (s.start > at) --s.start;
            if (s.end > at) --s.end;
        }
    }
    line.roomlessSpaces.clear();
}

QString tesseractPackageFor(const QString& language)
{
    return QStringLiteral("tesseract-ocr-") + QString(language).replace(QLatin1Char('_'), QLatin1Char('-'));
}

}  // namespace klipo::platform
