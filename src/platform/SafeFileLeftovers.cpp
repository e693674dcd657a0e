#include "platform/SafeFileLeftovers.h"

#include "platform/OwnFolders.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace klipo::platform::safefile {

namespace {

constexpr int kRandomLetters = 6;  // mkostemp's "XXXXXX"
const QString kMark = QStringLiteral(".klipoversa-");

bool isLetterOrDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

bool isNumber(const char* text)
{
    if (!*text) return false;
    for (; *text; ++text)
        if (*text < '0' || *text > '9') return false;
    return true;
}

// True when some process whose descriptors we may see (all of this user's)
// has the file open, or when that cannot be told.
bool isOpenSomewhere(const struct stat& file)
{
    DIR* proc = ::opendir("/proc");
    if (!proc) return true;
    bool found = false;
    while (!found) {
        const dirent* process = ::readdir(proc);
        if (!process) break;
        if (!isNumber(process->d_name)) continue;
        const QByteArray fdFolder = QByteArray("/proc/") + process->d_name + "/fd";
        DIR* fds = ::opendir(fdFolder.constData());
        if (!fds) continue;  // another user's process, or one that just ended
        while (const dirent* fd = ::readdir(fds)) {
            if (!isNumber(fd->d_name)) continue;
            struct stat open {};
            const QByteArray entry = fdFolder + '/' + fd->d_name;
            if (::stat(entry.constData(), &open) == 0 && open.st_dev == file.st_dev && open.st_ino == file.st_ino) {
                found = true;
                break;
            }
        }
        ::closedir(fds);
    }
    ::closedir(proc);
    return found;
}

}  // namespace

QString temporaryTemplateFor(const QString& fileName)
{
    return QLatin1Char('.') + fileName + kMark + QString(kRandomLetters, QLatin1Char('X'));
}

Temporary temporaryTarget(const QString& entryName)
{
    const qsizetype length = entryName.size();
    // "." + at least one character + "." or the mark + six letters or digits
    if (length < 3 + kRandomLetters || !entryName.startsWith(QLatin1Char('.'))) return {};
    for (qsizetype i = length - kRandomLetters; i < length; ++i)
        if (!isLetterOrDigit(entryName.at(i))) return {};
    const QString stem = entryName.chopped(kRandomLetters);
    if (stem.endsWith(kMark) && stem.size() > kMark.size() + 1)
        return {stem.mid(1, stem.size() - kMark.size() - 1), true};
    if (stem.endsWith(QLatin1Char('.'))) return {stem.mid(1, stem.size() - 2), false};
    return {};
}

int removeLeftoverTemporaries(const QString& folder, const std::function<bool(const QString& target)>& isOwn)
{
    const QDir dir(folder);
    // In a folder of the user's a name alone proves nothing: only the mark does.
    const bool onlyMarked = ownfolders::isLinked(folder);
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    int removed = 0;
    for (const QString& name : names) {
        const Temporary temporary = temporaryTarget(name);
        if (temporary.target.isEmpty() || (onlyMarked && !temporary.marked) || !isOwn(temporary.target)) continue;
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        struct stat st {};
        // lstat: a link under such a name is not ours and is never followed.
        if (::lstat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink != 1)
            continue;
        // A write that is under way right now (another copy of the program).
        if (isOpenSomewhere(st)) continue;
        if (::unlink(path.constData()) == 0) ++removed;
    }
    return removed;
}

}  // namespace klipo::platform::safefile
