#pragma once

#include <QKeySequence>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>

class QAction;
class QMenu;
class QWidget;

namespace klipo {

// Makes the key texts of the tray menu work while the menu is open and in the
// program's own windows. Qt only looks at a menu item's keys through the
// window the menu belongs to, and the tray menu belongs to none; so every
// item with keys gets a stand-in that listens application-wide, closes the
// open menu and then triggers the item. Keys that only work inside the
// program (Ctrl+Q ...) are not shown while one of the program's hot keys
// takes the same keys from the whole desktop.
class MenuKeys : public QObject {
    Q_OBJECT
public:
    explicit MenuKeys(QMenu& menu, QObject* parent = nullptr);
    ~MenuKeys() override;

    // Gives an item keys that work only inside the program.
    void setLocalKeys(QAction* item, const QKeySequence& keys);
    // The key combinations the program's hot keys hold now.
    void setHotKeys(const QList<QKeySequence>& hotKeys);

    // The stand-ins listening now, by key combination (tests).
    QList<QKeySequence> listeningKeys() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyLocalKeys();
    void scheduleSync();
    void sync();
    void watch(QMenu* menu);

    QMenu& m_menu;
    QWidget* m_host;  // never on the screen; the stand-ins hang on it
    QMap<QAction*, QKeySequence> m_localKeys;
    QList<QKeySequence> m_hotKeys;
    QList<QAction*> m_standIns;
    QList<QPointer<QMenu>> m_watched;
    bool m_syncPending = false;
};

}  // namespace klipo
