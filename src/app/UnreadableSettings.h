#pragma once

#include <QLatin1String>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

namespace klipo {

namespace platform {
class SettingsStore;
}

// Settings whose stored value is of a kind their reader cannot take (a hand
// edit such as "historyLimit": "0", a file written by another program). The
// reader then works with the setting's default, and the file keeps the value
// as it was written until the user changes that setting; so that the default
// is no silent change, the user is told once which settings could not be
// read. Where a default would cost data it is not used as a choice at all
// (a history limit that cannot be read trims nothing: historylimit).
class UnreadableSettings : public QObject {
    Q_OBJECT
public:
    enum class Kind {
        boolean,       // only a stored Boolean counts
        looseBoolean,  // a Boolean, a number or a text ("YES") all read
        integer,       // a whole number that fits an int
        text,          // any string (an empty one reads as the default)
        choice,        // one of `choices`, exactly
    };
    struct Entry {
        QLatin1String key;
        QString title;  // as the preferences name it
        Kind kind;
        QStringList choices;
    };

    // Every setting the user chooses, in the order of the preferences.
    static const QList<Entry>& entries();
    // The keys among entries() whose stored value cannot be read.
    static QStringList unreadableKeys(const platform::SettingsStore& store);

    // Tells the user of what cannot be read now, and later of each setting
    // that changes into a value that cannot be read (another copy of the
    // program, a hand edit while it runs). Main thread.
    explicit UnreadableSettings(platform::SettingsStore& store, QObject* parent = nullptr);

private:
    void tellOfNew(const QStringList& keys);

    platform::SettingsStore& m_store;
    QSet<QString> m_told;
};

}  // namespace klipo
