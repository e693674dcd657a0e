#pragma once

#include <QString>

#include <memory>
#include <mutex>

namespace klipo::platform {

// English glosses from WordNet's dictionary files (Debian package
// wordnet-base), read in their documented text format: the sorted
// index.<pos> files list each word's senses, most frequent first, as byte
// offsets into data.<pos>, whose lines end in " | " and the gloss; <pos>.exc
// lists irregular forms with their base forms; cntlist.rev counts how often
// each sense was met in tagged text. The files are mapped on first use and
// only read; lookups may run on several threads at once.
class WordNet {
public:
    struct Definition {
        QString partOfSpeech;  // "n.", "v.", "adj." or "adv."
        QString lemma;         // the base form that was found ("run" for "running")
        QString gloss;         // the sense's definition, without its examples

        // "n. a member of the genus Canis ..."
        QString text() const { return partOfSpeech + QLatin1Char(' ') + gloss; }
    };

    struct Lookup {
        enum class Status { found, notFound, failed };
        Status status = Status::notFound;
        Definition definition;  // when found
        QString error;          // Chinese, when failed
    };

    // "/usr/share/wordnet"
    static QString defaultDirectory();

    explicit WordNet(QString directory = defaultDirectory());
    ~WordNet();
    WordNet(const WordNet&) = delete;
    WordNet& operator=(const WordNet&) = delete;

    QString directory() const { return m_directory; }

    // The noun index and data files are there (the package is installed).
    bool isInstalled() const;

    // The most frequent sense of the word, or of its base form when the word
    // is an inflected one, with its part of speech. A form found as written
    // wins over a base form unless it was never met in tagged text.
    Lookup define(const QString& word) const;

private:
    struct Files;
    const Files* files() const;

    QString m_directory;
    mutable std::once_flag m_loadOnce;
    mutable std::unique_ptr<Files> m_files;
};

}  // namespace klipo::platform
