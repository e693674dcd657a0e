// Memory and time of reading another computer's backup that holds far more
// words than the book may (343,000 by default, about 90 MB): read whole, read
// for a merge into the book (only the words a merge can take are held), and
// only counted (the launch check), each in a process of its own so that every
// peak is its own. Linux only: peaks from /proc/self/status.
// Run: build/bench/stores/backup_memory_bench [words]
#include "stores/CloudBackup.h"
#include "stores/CloudFolder.h"
#include "stores/VocabularyBook.h"

#include "support/BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <fstream>
#include <string>

using namespace klipo;

namespace {

const QDateTime kStart(QDate(2024, 5, 1), QTime(8, 0), Qt::UTC);

long statusKB(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size() + 1));
    return 0;
}

QString madeUpWord(int n)
{
    static const QString consonants = QStringLiteral("bcdghjklmnprtvwz");
    static const QString vowels = QStringLiteral("aeiou");
    QString key;
    for (int i = 0; i < 4; ++i, n /= 80) key.append(consonants.at(n % 80 / 5)).append(vowels.at(n % 5));
    return key;
}

void writeBackup(const QString& folder, int wordCount)
{
    QList<VocabularyWord> words;
    for (int i = 0; i < wordCount; ++i) {
        VocabularyWord w;
        w.normalized = w.display = madeUpWord(i);
        w.count = i % 4 == 0 ? 2 + i % 37 : 1;
        w.firstSeen = w.lastSeen = kStart.addSecs(i);
        w.isMastered = i % 211 == 0;
        if (i % 97 == 0) w.definition = QStringLiteral("释义 %1").arg(i);
        words.append(w);
    }
    const QByteArray data = cloudbackup::encodeFile(CloudBackup{1, kStart, {}, words, {}});
    QFile file(folder + QStringLiteral("/KlipoVersa-Backup-OTHER.json"));
    file.open(QIODevice::WriteOnly);
    file.write(data);
    std::printf("backup of another computer: %d words, %.1f MB\n", wordCount, data.size() / 1048576.0);
}

// One way of reading, in this process: prints its time, what it kept and its peak.
int readOnce(const QString& folder, const QString& how)
{
    const long before = statusKB("VmRSS");
    QElapsedTimer timer;
    timer.start();
    cloudbackup::WordLimit limit;
    limit.room = how == QLatin1String("merge") ? vocabularybook::kMaximumWordCount : 0;
    const cloudfolder::ReadResult read =
        cloudfolder::readMerged(folder, kStart, how == QLatin1String("whole") ? nullptr : &limit);
    qsizetype kept = read.backup ? read.backup->words.size() : 0;
    if (how == QLatin1String("merge") && read.backup) {
        vocabularybook::Book book;
        vocabularybook::merge(book, read.backup->words);
        kept = book.size();
    }
    std::printf("%-32s %7.0f ms  %7lld words kept  peak %5ld MB over %ld MB at start\n",
                qPrintable(how == QLatin1String("whole")   ? QStringLiteral("read whole:")
                           : how == QLatin1String("merge") ? QStringLiteral("read and merged into a book:")
                                                           : QStringLiteral("counted (launch check):")),
                timer.nsecsElapsed() / 1e6, qlonglong(kept), (statusKB("VmHWM") - before) / 1024, before / 1024);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--read")) return readOnce(args.at(2), args.at(3));

    QTemporaryDir home;
    bench::usePrivateHome(home);
    writeBackup(home.path(), argc > 1 ? std::max(1, atoi(argv[1])) : 343000);
    std::fflush(stdout);
    for (const char* how : {"whole", "merge", "count"}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(app.applicationFilePath(), {QStringLiteral("--read"), home.path(), QString::fromLatin1(how)});
        child.waitForFinished(-1);
    }
    return 0;
}
