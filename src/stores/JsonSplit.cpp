#include "stores/JsonSplit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace klipo::jsonsplit {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

qsizetype skipSpace(QByteArrayView text, qsizetype at)
{
    while (at < text.size() && isSpace(text[at])) ++at;
    return at;
}

// Just past the string that starts at `at` (on its quote); -1 when it never ends.
qsizetype stringEnd(QByteArrayView text, qsizetype at)
{
    for (qsizetype i = at + 1; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == '"')
            return i + 1;
    }
    return -1;
}

// Just past the value that starts at `at`; -1 when it cannot end. Brackets are
// only counted: whether they match is for parse() to tell.
qsizetype valueEnd(QByteArrayView text, qsizetype at)
{
    if (at >= text.size()) return -1;
    const char first = text[at];
    if (first == '"') return stringEnd(text, at);
    if (first == '{' || first == '[') {
        int depth = 0;
        for (qsizetype i = at; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '"') {
                i = stringEnd(text, i);
                if (i < 0) return -1;
                --i;
            } else if (c == '{' || c == '[') {
                ++depth;
            } else if (c == '}' || c == ']') {
                if (--depth == 0) return i + 1;
            }
        }
        return -1;
    }
    qsizetype i = at;
    while (i < text.size() && !isSpace(text[i]) && text[i] != ',' && text[i] != '}' && text[i] != ']') ++i;
    return i > at ? i : -1;
}

// Walks "<open> item (, item)* <close>" over the whole text; `item` reads one
// item at the position given and returns the position after it, or -1.
bool walk(QByteArrayView text, char open, char close, const std::function<qsizetype(qsizetype)>& item)
{
    qsizetype at = 0;
    if (text.startsWith("\xEF\xBB\xBF")) at = 3;
    at = skipSpace(text, at);
    if (at >= text.size() || text[at] != open) return false;
    at = skipSpace(text, at + 1);
    if (at < text.size() && text[at] == close) return skipSpace(text, at + 1) == text.size();
    while (true) {
        at = item(at);
        if (at < 0) return false;
        at = skipSpace(text, at);
        if (at >= text.size()) return false;
        if (text[at] == close) return skipSpace(text, at + 1) == text.size();
        if (text[at] != ',') return false;
        at = skipSpace(text, at + 1);
    }
}

}  // namespace

bool forEachMember(QByteArrayView text, const std::function<bool(const QString& key, QByteArrayView value)>& member)
{
    return walk(text, '{', '}', [&](qsizetype at) -> qsizetype {
        if (at >= text.size() || text[at] != '"') return -1;
        const qsizetype keyEnd = stringEnd(text, at);
        if (keyEnd < 0) return -1;
        const std::optional<QJsonValue> key = parse(text.sliced(at, keyEnd - at));
        if (!key || !key->isString()) return -1;
        qsizetype valueAt = skipSpace(text, keyEnd);
        if (valueAt >= text.size() || text[valueAt] != ':') return -1;
        valueAt = skipSpace(text, valueAt + 1);
        const qsizetype end = valueEnd(text, valueAt);
        if (end < 0 || !member(key->toString(), text.sliced(valueAt, end - valueAt))) return -1;
        return end;
    });
}

bool forEachElement(QByteArrayView text, const std::function<bool(QByteArrayView value)>& element)
{
    return walk(text, '[', ']', [&](qsizetype at) -> qsizetype {
        const qsizetype end = valueEnd(text, at);
        if (end < 0 || !element(text.sliced(at, end - at))) return -1;
        return end;
    });
}

std::optional<QJsonValue> parse(QByteArrayView value)
{
    QJsonParseError error{};
    if (!value.isEmpty() && (value.front() == '{' || value.front() == '[')) {
        const QJsonDocument document =
            QJsonDocument::fromJson(QByteArray::fromRawData(value.data(), value.size()), &error);
        if (error.error != QJsonParseError::NoError) return std::nullopt;
        if (document.isObject()) return QJsonValue(document.object());
        return QJsonValue(document.array());
    }
    // A document holds an object or an array: anything else is read as the
    // one element of an array.
    QByteArray wrapped;
    wrapped.reserve(value.size() + 2);
    wrapped.append('[').append(value.data(), value.size()).append(']');
    const QJsonDocument document = QJsonDocument::fromJson(wrapped, &error);
    if (error.error != QJsonParseError::NoError || document.array().size() != 1) return std::nullopt;
    return document.array().first();
}

}  // namespace klipo::jsonsplit
