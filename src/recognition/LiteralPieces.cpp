#include "recognition/LiteralPieces.h"

#include <QRegularExpression>

#include <algorithm>

namespace klipo::LiteralPieces {

namespace {

// A run of text between spaces.
struct Token {
    qsizetype start = 0;
    qsizetype length = 0;

    qsizetype end() const { return start + length; }
};

std::vector<Token> tokensOf(const QString& text)
{
    std::vector<Token> tokens;
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i].isSpace()) ++i;
        const qsizetype start = i;
        while (i < text.size() && !text[i].isSpace()) ++i;
        if (i > start) tokens.push_back({start, i - start});
    }
    return tokens;
}

bool isAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

QChar closerOf(QChar open) { return open == u'(' ? u')' : open == u'[' ? u']' : u'}'; }

// Quotes and sentence punctuation around a literal are the sentence's, not
// the literal's; brackets only when the literal does not open or close them
// itself ("main()" keeps its brackets, "(see docs/a.md)" loses them).
Token core(const QString& text, Token token)
{
    static const QString leading = QStringLiteral("\"'“‘«¿¡");
    static const QString trailing = QStringLiteral(".,;:!?\"'”’»…");
    static const QString opening = QStringLiteral("([{");
    static const QString closing = QStringLiteral(")]}");
    auto unmatched = [&](QChar open) {
        const QStringView t = QStringView(text).mid(token.start, token.length);
        return t.count(open) != t.count(closerOf(open));
    };
    while (token.length > 0) {
        const QChar first = text[token.start];
        const QChar last = text[token.end() - 1];
        if (leading.contains(first) || (opening.contains(first) && unmatched(first))) {
            ++token.start;
            --token.length;
        } else if (trailing.contains(last) || (closing.contains(last) && unmatched(opening[closing.indexOf(last)]))) {
            --token.length;
        } else {
            break;
        }
    }
    return token;
}

// A file mode as a listing writes it ("drwxr-xr-x", "-rw-r--r--.").
bool isFileMode(const QString& word)
{
    static const QRegularExpression mode(QStringLiteral("^[-dlcbpsD][-rwxsStT]{9}[.@+]?$"));
    return mode.match(word).hasMatch();
}

// The first word of a listing's row: a file mode, also as a terminal's small
// face is often read, with a letter or two taken for another ("-ru-r--r--",
// "druxr-xr-x"), or without its first letter, which the edge of a selection
// cut off or left a sliver of ("rwxr-xr-x", "irwxr-xr-x"). Each of its nine
// places holds its own letter or a dash.
bool startsListingRow(const QString& word)
{
    if (isFileMode(word)) return true;
    static const QRegularExpression shape(QStringLiteral("^\\S?\\S{9}[.@+]?$"));
    if (!shape.match(word).hasMatch()) return false;
    const qsizetype first =
        word.size() == 9 || (word.size() == 10 && QStringLiteral(".@+").contains(word.back())) ? 0 : 1;
    static const QString places[3] = {QStringLiteral("r-"), QStringLiteral("w-"), QStringLiteral("xsStT-")};
    int right = 0;
    for (int i = 0; i < 9; ++i) right += places[i % 3].contains(word[first + i]);
    return right >= 7;
}

// A key with its modifiers, as a menu or a tip writes it ("Ctrl+A",
// "Strg+Umschalt+S", "Alt-F4", "⇧⌘T"); "Ctri" is how a small face's l is
// often read.
bool isKeyCombination(const QString& word)
{
    static const QRegularExpression keys(
        QStringLiteral("^(?:(?:ctrl|ctri|control|strg|shift|umschalt|maj|alt|option|opt|cmd|command|super|meta|win|fn)"
                       "[+-]|[⌘⌥⇧⌃])+\\S+$"),
        QRegularExpression::CaseInsensitiveOption);
    return keys.match(word).hasMatch();
}

bool isLiteral(const QString& word)
{
    if (word.isEmpty()) return false;
    if (isKeyCombination(word)) return true;
    // Web addresses and paths, whatever letters they hold.
    static const QRegularExpression path(QStringLiteral("^(/|~|\\.{1,2}/|[A-Za-z]:\\\\)\\S*\\w|[/\\\\].*[/\\\\].*\\w"));
    if (word.contains(QLatin1String("://")) || word.startsWith(QLatin1String("www."), Qt::CaseInsensitive) ||
        path.match(word).hasMatch())
        return true;
    if (!isAscii(word)) return false;  // words of a language with its own letters are language
    if (word.contains(QLatin1Char('@')) || isFileMode(word)) return true;
    const bool hasLetter = std::any_of(word.begin(), word.end(), [](QChar c) { return c.isLetter(); });
    const bool hasDigit = std::any_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
    // Numbers, versions, times, hashes, architectures ("5.2.15-2+b2", "amd64", "3f2a9c1").
    if (hasDigit) return true;
    if (!hasLetter) {
        // Signs of code standing alone ("=>", "&&", "|"), not sentence punctuation.
        static const QRegularExpression code(QStringLiteral("[=<>|&{}$#\\\\~^*]"));
        return code.match(word).hasMatch();
    }
    static const QRegularExpression patterns[] = {
        // Paths of two parts with a file name or a name of code in them.
        QRegularExpression(QStringLiteral("[/\\\\]\\S*[._-]|[._-]\\S*[/\\\\]")),
        // File names and domains ("es_news.html", "README.md", "example.org").
        QRegularExpression(QStringLiteral("^[\\w-]{2,}(\\.[\\w-]+)*\\.([a-z0-9]{1,6}|[A-Z0-9]{1,4})$")),
        // Identifiers and code: snake_case, scopes, members, calls, operators, tags, variables.
        QRegularExpression(QStringLiteral("_|::|->|=>|[=!<>]=|&&|\\|\\||[=;{}<>$%#^\\\\|]|\\w\\(.*\\)$")),
        QRegularExpression(QStringLiteral("^[A-Za-z]\\w+\\.[a-z]\\w+")),
        // camelCase and CamelCase ("getValue", "PowerShell").
        QRegularExpression(QStringLiteral("^[a-z]+[A-Z]|^[A-Z][a-z]+[A-Z][a-z]")),
        // Command-line options ("-la", "--installed").
        QRegularExpression(QStringLiteral("^--?[A-Za-z][\\w-]*(=.*)?$")),
    };
    return std::any_of(std::begin(patterns), std::end(patterns),
                       [&](const QRegularExpression& p) { return p.match(word).hasMatch(); });
}

// Where a shell prompt ends and its command begins ("me@box:~$ ls -la",
// "$ make"). A prompt's colours may leave a space read into it
// ("me@box :~/src $ ls").
qsizetype promptEnd(const QString& text, bool monospaced)
{
    static const QRegularExpression userAtHost(QStringLiteral("^[\\w.-]+@[\\w.-]+ ?: ?\\S*? ?[$#%>](\\s|$)"));
    static const QRegularExpression bare(QStringLiteral("^([$❯]|PS [^>]*>)\\s"));
    // What follows the user and host when their colour sets them apart (":~/src$ ls").
    static const QRegularExpression path(QStringLiteral("^:?[~/]\\S*[$#%>](\\s|$)"));
    QRegularExpressionMatch m = userAtHost.match(text);
    if (!m.hasMatch()) m = path.match(text);
    if (!m.hasMatch() && monospaced) m = bare.match(text);
    return m.hasMatch() ? m.capturedEnd() : -1;
}

// A line of program code: statements, calls, blocks, assignments; not a
// comment, which is language.
bool isCodeLine(const QString& text)
{
    static const QRegularExpression comment(QStringLiteral("^\\s*(//|/\\*|\\*|#|--|;|%|<!--)"));
    static const QRegularExpression code(
        QStringLiteral("[;{]\\s*$|^\\s*[}\\]]|\\w\\(.*\\)|::|->|=>|\\s[=+*/%<>!-]?=\\s|\\w\\[.*\\]"));
    return !comment.match(text).hasMatch() && code.match(text).hasMatch();
}

}  // namespace

std::vector<Piece> find(const QString& text, bool monospaced)
{
    const std::vector<Token> tokens = tokensOf(text);
    if (tokens.empty()) return {};
    const Piece whole{tokens.front().start, tokens.back().end() - tokens.front().start};

    // A command line is kept with its prompt; so is a listing's row
    // ("drwxr-xr-x 2 root root 4096 Dec 7 12:57 configs").
    if (promptEnd(text, monospaced) >= 0 || startsListingRow(text.mid(tokens.front().start, tokens.front().length)))
        return {whole};
    std::vector<Piece> pieces;
    for (const Token& token : tokens) {
        const Token c = core(text, token);
        if (c.length > 0 && isLiteral(text.mid(c.start, c.length))) pieces.push_back({c.start, c.length});
    }
    // A terminal's or editor's line of code, or a row that is half numbers,
    // names and paths (a process list, a table of sizes, "total 48"; but
    // "modified: src/main.cpp" has a word to translate).
    const bool numbers = std::all_of(pieces.begin(), pieces.end(), [&](const Piece& p) {
        return std::none_of(text.begin() + p.start, text.begin() + p.end(), [](QChar c) { return c.isLetter(); });
    });
    const bool row = 2 * pieces.size() >= tokens.size() && (tokens.size() >= 3 || (tokens.size() == 2 && numbers));
    if (monospaced && (isCodeLine(text) || row)) return {whole};
    return pieces;
}

QString languageOnly(const QString& text, const std::vector<Piece>& pieces)
{
    QString out = text;
    for (const Piece& piece : pieces) out.replace(piece.start, piece.length, QString(piece.length, QLatin1Char(' ')));
    return out;
}

}  // namespace klipo::LiteralPieces
