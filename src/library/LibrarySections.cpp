#include "library/LibrarySections.h"

#include "library/history/HistorySection.h"
#include "library/vocabulary/VocabularySection.h"
#include "library/widgets/EmptyState.h"
#include "stores/HistoryStore.h"
#include "stores/VocabularyStore.h"

#include <QHash>

namespace klipo {

LibrarySection librarySection(int value)
{
    switch (value) {
    case 0: return LibrarySection::history;
    case 1: return LibrarySection::vocabulary;
    case 2: return LibrarySection::backup;
    default: return LibrarySection::settings;
    }
}

namespace librarysections {

namespace {

QHash<int, Factory>& factories()
{
    static QHash<int, Factory> table;
    return table;
}

QWidget* defaultContent(LibrarySection section)
{
    switch (section) {
    case LibrarySection::history:
        return new HistorySection(HistoryStore::shared(), VocabularyStore::shared());
    case LibrarySection::vocabulary:
        return new VocabularySection(VocabularyStore::shared());
    case LibrarySection::backup:
    case LibrarySection::settings:
        break;
    }
    // The shell plugs in the backup controls and the preferences; a window
    // without them (a test of the other sections) says so.
    if (section == LibrarySection::backup)
        return new EmptyState(libraryicons::Symbol::cloud, QStringLiteral("云同步不在这里提供"), {});
    return new EmptyState(libraryicons::Symbol::gear, QStringLiteral("设置尚未在这里提供"),
                          QStringLiteral("请从托盘菜单的「设置…」打开设置窗口"));
}

}  // namespace

QString title(LibrarySection section)
{
    switch (section) {
    case LibrarySection::history: return QStringLiteral("历史记录");
    case LibrarySection::vocabulary: return QStringLiteral("高频单词");
    case LibrarySection::backup: return QStringLiteral("云同步");
    case LibrarySection::settings: break;
    }
    return QStringLiteral("设置");
}

void setFactory(LibrarySection section, Factory factory)
{
    if (factory)
        factories().insert(int(section), std::move(factory));
    else
        factories().remove(int(section));
}

QWidget* build(LibrarySection section)
{
    const Factory factory = factories().value(int(section));
    return factory ? factory() : defaultContent(section);
}

}  // namespace librarysections

}  // namespace klipo
