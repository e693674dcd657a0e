// Writing a backup: the records and words in the JSON form of the history
// index and the vocabulary file, pretty-printed with sorted keys and "\/" for
// "/". A backup can hold tens of megabytes of text, so it is written by hand
// in chunks on several threads, and each chunk is hashed as it is made.
#include "stores/CloudBackup.h"

#include "stores/IsoDate.h"

#include <QCryptographicHash>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>

namespace klipo::cloudbackup {

namespace {

constexpr qsizetype kItemsPerChunk = 256;

void appendEscaped(QByteArray& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    out += '"';
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const uchar c = uchar(utf8[i]);
        if (c >= 0x20 && c != '"' && c != '\\' && c != '/') continue;
        out.append(utf8.constData() + plainFrom, i - plainFrom);
        plainFrom = i + 1;
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '/': out += "\\/"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: {
            static const char hex[] = "0123456789abcdef";
            const char escaped[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15]};
            out.append(escaped, 6);
        }
        }
    }
    out.append(utf8.constData() + plainFrom, utf8.size() - plainFrom);
    out += '"';
}

// Writes one object's members, one per line at `depth`, in the order given
// (the callers give them sorted).
class ObjectWriter {
public:
    ObjectWriter(QByteArray& out, int depth) : m_out(out), m_depth(depth)
    {
        indent(depth - 1);
        m_out += '{';
    }
    ~ObjectWriter()
    {
        if (!m_first) {
            m_out += '\n';
            indent(m_depth - 1);
        }
        m_out += '}';
    }
    void string(const char* key, const QString& value) { appendEscaped(member(key), value); }
    void number(const char* key, qint64 value) { member(key) += QByteArray::number(value); }
    void boolean(const char* key, bool value) { member(key) += value ? "true" : "false"; }
    void date(const char* key, const QDateTime& value) { member(key) += '"' + isodate::format(value).toLatin1() + '"'; }
    QByteArray& member(const char* key)
    {
        m_out += m_first ? "\n" : ",\n";
        m_first = false;
        indent(m_depth);
        m_out += '"';
        m_out += key;
        m_out += "\": ";
        return m_out;
    }
    void indent(int depth) { m_out.append(qsizetype(depth) * 4, ' '); }

private:
    QByteArray& m_out;
    int m_depth;
    bool m_first = true;
};

// Records and words stand at depth 3 (inside the file's object and its array).
void appendItem(QByteArray& out, const HistoryRecord& r)
{
    ObjectWriter o(out, 3);
    o.date("date", r.date);
    o.string("id", r.idText());
    o.string("imageName", r.imageName);
    if (r.originalImageName) o.string("originalImageName", *r.originalImageName);
    o.string("originalText", r.originalText);
    o.string("targetLanguage", r.targetLanguage);
    o.string("translatedText", r.translatedText);
}

void appendItem(QByteArray& out, const VocabularyWord& w)
{
    ObjectWriter o(out, 3);
    o.number("count", w.count);
    if (w.definition) o.string("definition", *w.definition);
    o.string("display", w.display);
    o.date("firstSeen", w.firstSeen);
    o.boolean("isMastered", w.isMastered);
    o.date("lastSeen", w.lastSeen);
    o.string("normalized", w.normalized);
    QByteArray& sources = o.member("sources");
    sources += '[';
    for (qsizetype i = 0; i < w.sources.size(); ++i) {
        sources += i == 0 ? "\n" : ",\n";
        ObjectWriter s(sources, 5);
        s.number("count", w.sources[i].count);
        s.date("date", w.sources[i].date);
        s.string("recordID", w.sources[i].recordID);
    }
    if (!w.sources.isEmpty()) {
        sources += '\n';
        o.indent(3);
    }
    sources += ']';
}

// The keys of the settings come from the file, so they are escaped too.
QByteArray settingsObject(const CloudBackup::Settings& settings)
{
    QByteArray out = "{";
    for (auto it = settings.constBegin(); it != settings.constEnd(); ++it) {
        out += it == settings.constBegin() ? "\n        " : ",\n        ";
        appendEscaped(out, it.key());
        out += ": ";
        appendEscaped(out, it.value());
    }
    if (!settings.isEmpty()) out += "\n    ";
    out += '}';
    return out;
}

// Leaves a core or two to the interface and the rest of the program.
QThreadPool* encoderPool()
{
    static QThreadPool* pool = [] {
        auto* made = new QThreadPool;
        made->setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 2));
        return made;
    }();
    return pool;
}

struct Chunk {
    QByteArray text;
    QByteArray digest;
};

template <typename Item>
QList<Chunk> encodeChunks(const QList<Item>& items)
{
    QList<qsizetype> starts;
    for (qsizetype i = 0; i < items.size(); i += kItemsPerChunk) starts.append(i);
    return QtConcurrent::blockingMapped(encoderPool(), starts, [&items](qsizetype start) {
        Chunk chunk;
        const qsizetype end = std::min(items.size(), start + kItemsPerChunk);
        for (qsizetype i = start; i < end; ++i) {
            if (i > start) chunk.text += ",\n";
            appendItem(chunk.text, items[i]);
        }
        chunk.digest = QCryptographicHash::hash(chunk.text, QCryptographicHash::Sha256);
        return chunk;
    });
}

void appendArray(QByteArray& out, const QList<QByteArray>& chunks)
{
    out += '[';
    if (chunks.isEmpty()) {
        out += ']';
        return;
    }
    out += '\n';
    for (qsizetype i = 0; i < chunks.size(); ++i) {
        if (i > 0) out += ",\n";
        out += chunks[i];
    }
    out += "\n    ]";
}

}  // namespace

EncodedContent encodeContent(const QList<HistoryRecord>& records, QList<VocabularyWord> words,
                             const CloudBackup::Settings& settings)
{
    std::sort(words.begin(), words.end(),
              [](const VocabularyWord& a, const VocabularyWord& b) { return a.normalized < b.normalized; });
    const QList<Chunk> recordChunks = encodeChunks(records);
    const QList<Chunk> wordChunks = encodeChunks(words);

    EncodedContent content;
    content.settings = settingsObject(settings);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData("records");
    for (const Chunk& chunk : recordChunks) {
        content.recordChunks.append(chunk.text);
        hash.addData(chunk.digest);
    }
    hash.addData("settings");
    hash.addData(QCryptographicHash::hash(content.settings, QCryptographicHash::Sha256));
    hash.addData("words");
    for (const Chunk& chunk : wordChunks) {
        content.wordChunks.append(chunk.text);
        hash.addData(chunk.digest);
    }
    content.fingerprint = QString::fromLatin1(hash.result().toHex());
    return content;
}

QByteArray encodeFile(const EncodedContent& content, const QDateTime& date)
{
    QByteArray out;
    qsizetype size = content.settings.size() + 256;
    for (const QByteArray& chunk : content.recordChunks) size += chunk.size() + 2;
    for (const QByteArray& chunk : content.wordChunks) size += chunk.size() + 2;
    out.reserve(size);
    out += "{\n    \"date\": \"" + isodate::format(date).toLatin1() + "\",\n    \"records\": ";
    appendArray(out, content.recordChunks);
    out += ",\n    \"settings\": " + content.settings + ",\n    \"version\": 1,\n    \"words\": ";
    appendArray(out, content.wordChunks);
    out += "\n}\n";
    return out;
}

QByteArray encodeFile(const CloudBackup& backup)
{
    return encodeFile(encodeContent(backup.records, backup.words, backup.settings), backup.date);
}

QString fingerprint(const QList<HistoryRecord>& records, const QList<VocabularyWord>& words,
                    const CloudBackup::Settings& settings)
{
    return encodeContent(records, words, settings).fingerprint;
}

}  // namespace klipo::cloudbackup
