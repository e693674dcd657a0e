#include "platform/text/WordNet.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace klipo::platform {

namespace {

// One part of speech: its file names, its mark in cntlist.rev's sense keys
// and how a definition names it.
struct PartOfSpeech {
    const char* fileName;
    const char* label;
};

constexpr std::array<PartOfSpeech, 4> kParts{{{"noun", "n."}, {"verb", "v."}, {"adj", "adj."}, {"adv", "adv."}}};

// The detachment rules for regular inflections, per part of speech, in the
// order they are tried.
struct Detachment {
    std::string_view suffix;
    std::string_view ending;
};
const std::vector<Detachment> kRules[4] = {
    {{"s", ""}, {"ses", "s"}, {"xes", "x"}, {"zes", "z"}, {"ches", "ch"}, {"shes", "sh"}, {"men", "man"}, {"ies", "y"}},
    {{"s", ""}, {"ies", "y"}, {"es", "e"}, {"es", ""}, {"ed", "e"}, {"ed", ""}, {"ing", "e"}, {"ing", ""}},
    {{"er", ""}, {"est", ""}, {"er", "e"}, {"est", "e"}},
    {},
};

// The part of speech of a sense key's synset type digit ("dog%1:05:00::").
int partOfSenseKeyDigit(char digit)
{
    switch (digit) {
    case '1': return 0;
    case '2': return 1;
    case '3':
    case '5': return 2;  // adjectives and adjective satellites
    case '4': return 3;
    default: return -1;
    }
}

// The first line starting at or after `from`, up to (not including) its line feed.
std::string_view lineAt(std::string_view text, size_t from)
{
    const size_t end = text.find('\n', from);
    return text.substr(from, (end == std::string_view::npos ? text.size() : end) - from);
}

// The start of the first line that is not less than `key`, in text whose lines
// are sorted byte by byte. Every line an index file starts with (its licence)
// begins with a space and so sorts before any word.
size_t lowerBound(std::string_view text, std::string_view key)
{
    size_t lo = 0;  // always the start of a line
    size_t hi = text.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        size_t start = mid;
        while (start > lo && text[start - 1] != '\n') --start;
        const std::string_view line = lineAt(text, start);
        if (line < key)
            lo = start + line.size() + 1;
        else
            hi = start;
    }
    return std::min(lo, text.size());
}

// The line whose first field is `key`.
std::optional<std::string_view> findEntry(std::string_view text, std::string_view key)
{
    if (key.empty() || text.empty()) return std::nullopt;
    const std::string entryStart = std::string(key) + ' ';
    const size_t at = lowerBound(text, entryStart);
    if (at >= text.size()) return std::nullopt;
    const std::string_view line = lineAt(text, at);
    if (line.substr(0, entryStart.size()) != entryStart) return std::nullopt;
    return line;
}

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> result;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ') ++at;
        const size_t end = std::min(line.find(' ', at), line.size());
        if (end > at) result.push_back(line.substr(at, end - at));
        at = end;
    }
    return result;
}

std::optional<qint64> number(std::string_view text, int base = 10)
{
    if (text.empty() || text.size() > 12) return std::nullopt;
    bool ok = false;
    const qint64 value = QByteArray(text.data(), qsizetype(text.size())).toLongLong(&ok, base);
    return ok && value >= 0 ? std::optional(value) : std::nullopt;
}

// The byte offset of the most frequent synset in an index line: "lemma pos
// synset_cnt p_cnt [ptr_symbol...] sense_cnt tagsense_cnt synset_offset...".
std::optional<qint64> firstSynsetOffset(std::string_view line)
{
    const std::vector<std::string_view> f = fields(line);
    if (f.size() < 4) return std::nullopt;
    const std::optional<qint64> pointers = number(f[3]);
    if (!pointers) return std::nullopt;
    const size_t at = 4 + size_t(*pointers) + 2;
    return at < f.size() ? number(f[at]) : std::nullopt;
}

// A gloss without its quoted examples ("definition; \"example\"; ...").
QString withoutExamples(std::string_view gloss)
{
    size_t cut = gloss.find("; \"");
    if (gloss.substr(0, 1) == "\"") cut = 0;
    QString text = QString::fromUtf8(gloss.data(), qsizetype(std::min(cut, gloss.size()))).trimmed();
    while (text.endsWith(QLatin1Char(';'))) text.chop(1);
    return text.trimmed();
}

struct MappedFile {
    std::unique_ptr<QFile> file;
    std::string_view text;
    bool present = false;
    bool readable = false;

    void open(const QString& path)
    {
        present = QFileInfo(path).isFile();
        if (!present) return;
        file = std::make_unique<QFile>(path);
        if (!file->open(QIODevice::ReadOnly)) return;
        readable = true;
        if (file->size() == 0) return;
        if (uchar* bytes = file->map(0, file->size())) {
            text = std::string_view(reinterpret_cast<const char*>(bytes), size_t(file->size()));
            return;
        }
        readable = false;
    }
};

struct Candidate {
    int part = 0;
    std::string lemma;
    bool exact = false;
    qint64 tagCount = 0;
};

}  // namespace

struct WordNet::Files {
    MappedFile index[4];
    MappedFile data[4];
    MappedFile exceptions[4];
    MappedFile counts;
};

QString WordNet::defaultDirectory() { return QStringLiteral("/usr/share/wordnet"); }

WordNet::WordNet(QString directory) : m_directory(std::move(directory)) {}

WordNet::~WordNet() = default;

bool WordNet::isInstalled() const
{
    return QFileInfo(m_directory + QStringLiteral("/index.noun")).isFile() &&
           QFileInfo(m_directory + QStringLiteral("/data.noun")).isFile();
}

const WordNet::Files* WordNet::files() const
{
    std::call_once(m_loadOnce, [this] {
        auto files = std::make_unique<Files>();
        for (size_t part = 0; part < kParts.size(); ++part) {
            const QString name = QString::fromLatin1(kParts[part].fileName);
            files->index[part].open(m_directory + QStringLiteral("/index.") + name);
            files->data[part].open(m_directory + QStringLiteral("/data.") + name);
            files->exceptions[part].open(m_directory + QLatin1Char('/') + name + QStringLiteral(".exc"));
        }
        files->counts.open(m_directory + QStringLiteral("/cntlist.rev"));
        m_files = std::move(files);
    });
    return m_files.get();
}

WordNet::Lookup WordNet::define(const QString& word) const
{
    Lookup result;
    const Files* f = files();
    for (size_t part = 0; part < kParts.size(); ++part) {
        for (const MappedFile* file : {&f->index[part], &f->data[part], &f->exceptions[part]}) {
            if (file->present && !file->readable) {
                result.status = Lookup::Status::failed;
                result.error = QStringLiteral("无法读取 WordNet 词典文件：%1").arg(file->file->fileName());
                return result;
            }
        }
    }

    // Index entries are lower case with underscores for spaces.
    const std::string key = word.trimmed().toLower().replace(QLatin1Char(' '), QLatin1Char('_')).toStdString();
    if (key.empty()) return result;

    std::vector<Candidate> candidates;
    const auto consider = [&](int part, const std::string& lemma, bool exact) {
        for (const Candidate& c : candidates)
            if (c.part == part && c.lemma == lemma) return;
        if (findEntry(f->index[part].text, lemma)) candidates.push_back({part, lemma, exact, 0});
    };
    for (int part = 0; part < int(kParts.size()); ++part) {
        consider(part, key, true);
        if (const auto exception = findEntry(f->exceptions[part].text, key)) {
            const std::vector<std::string_view> bases = fields(*exception);
            for (size_t i = 1; i < bases.size(); ++i) consider(part, std::string(bases[i]), false);
        }
        for (const Detachment& rule : kRules[part]) {
            const std::string_view k(key);
            if (k.size() > rule.suffix.size() && k.substr(k.size() - rule.suffix.size()) == rule.suffix)
                consider(part, std::string(k.substr(0, k.size() - rule.suffix.size())) + std::string(rule.ending),
                         false);
        }
    }
    if (candidates.empty()) return result;

    // How often each candidate's first sense was met: "lemma%<type>:... <sense> <count>".
    for (Candidate& c : candidates) {
        const std::string prefix = c.lemma + '%';
        for (size_t at = lowerBound(f->counts.text, prefix); at < f->counts.text.size();) {
            const std::string_view line = lineAt(f->counts.text, at);
            if (line.substr(0, prefix.size()) != prefix) break;
            at += line.size() + 1;
            const std::vector<std::string_view> entry = fields(line);
            if (entry.size() < 3 || entry[1] != "1" || entry[0].size() <= prefix.size()) continue;
            if (partOfSenseKeyDigit(entry[0][prefix.size()]) == c.part)
                c.tagCount = std::max(c.tagCount, number(entry[2]).value_or(0));
        }
    }
    const auto pick = [&](bool exactOnly) -> const Candidate* {
        const Candidate* best = nullptr;
        for (const Candidate& c : candidates) {
            if ((exactOnly && !c.exact) || c.tagCount == 0) continue;
            if (!best || c.tagCount > best->tagCount) best = &c;
        }
        return best;
    };
    const Candidate* chosen = pick(true);
    if (!chosen) chosen = pick(false);
    if (!chosen) {
        for (const Candidate& c : candidates)
            if (c.exact) {
                chosen = &c;
                break;
            }
    }
    if (!chosen) chosen = &candidates.front();

    const std::string_view data = f->data[chosen->part].text;
    const std::optional<qint64> offset = firstSynsetOffset(*findEntry(f->index[chosen->part].text, chosen->lemma));
    const auto damaged = [&] {
        result.status = Lookup::Status::failed;
        result.error = QStringLiteral("WordNet 词典文件已损坏：%1").arg(f->data[chosen->part].file
                                                                      ? f->data[chosen->part].file->fileName()
                                                                      : m_directory);
        return result;
    };
    if (!offset || size_t(*offset) >= data.size()) return damaged();
    const std::string_view line = lineAt(data, size_t(*offset));
    const size_t bar = line.find(" | ");
    // A data line starts with its own offset: anything else means the index
    // and data files do not belong together.
    if (number(line.substr(0, line.find(' '))) != offset || bar == std::string_view::npos) return damaged();

    result.status = Lookup::Status::found;
    result.definition.partOfSpeech = QString::fromLatin1(kParts[size_t(chosen->part)].label);
    result.definition.lemma = QString::fromStdString(chosen->lemma).replace(QLatin1Char('_'), QLatin1Char(' '));
    result.definition.gloss = withoutExamples(line.substr(bar + 3));
    if (result.definition.gloss.isEmpty()) return damaged();
    return result;
}

}  // namespace klipo::platform
