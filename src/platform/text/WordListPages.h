#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>

namespace klipo::platform {

// The word list of a loaded model, moved onto pages backed by a file.
//
// Tesseract copies a model's word list into memory of its own as it loads
// (Latin's: 85 MB, most of what its engines hold), and loading it again costs
// four copies of it (0.25 s). Once those pages hold the same bytes from a
// file instead of anonymous memory, they can be given back to the system
// while the engine stays loaded; they come back from the file cache as the
// engine reads them, unchanged, with no load and no copy.
//
// The file is an unlinked one in the cache folder that only this process
// holds, so nothing changes it under the engine; the mapping is private, so a
// page written stays the process's own (the engine never writes its word list,
// and a page written is never given back).
class WordListPages {
public:
    // Finds the memory that holds the word list of the model whose file bytes
    // are `model` (one allocation of its own whose bytes are the word list's)
    // and backs it by a file in `folder`. Null, with nothing changed, when
    // there is no such memory or the file cannot be written.
    static std::unique_ptr<WordListPages> adopt(QByteArrayView model, const QString& folder);

    // The program's cache folder ($XDG_CACHE_HOME/KlipoVersa), made if missing;
    // none when its name is a link (into a folder of the user's).
    static QString defaultFolder();

    ~WordListPages();
    WordListPages(const WordListPages&) = delete;
    WordListPages& operator=(const WordListPages&) = delete;

    // Gives the pages back to the system, if they are still this file's and
    // none was written; returns whether they were given back.
    bool giveBack();

    qint64 bytes() const { return qint64(m_length); }

private:
    WordListPages(char* start, size_t length, int fd, unsigned long inode);

    char* m_start;
    size_t m_length;
    int m_fd;
    unsigned long m_inode;
};

}  // namespace klipo::platform
