#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

#include <memory>

class QAction;
class QMenu;

namespace klipo::platform {

// The copy of the tray menu that the tray is given. A tray that draws the
// menu itself (a panel's StatusNotifier tray, through D-Bus) writes an
// item's keys its own way ("Shift+Ctrl+T") and keeps the keys it read first
// when they change; it does follow changes of titles. So each item of the
// copy has no keys, and a title that ends in its keys as our own menus write
// them ("截图翻译\tCtrl+Shift+T"): the same text in every menu, kept current.
// The copy follows the menu's items as they are added, removed and changed
// (titles, keys, enabled, checked, visible, submenus); choosing an item of
// the copy chooses the menu's own, and a (sub)menu of the copy about to open
// tells the menu's own first. Main thread only.
class TrayMenuCopy : public QObject {
public:
    explicit TrayMenuCopy(QMenu* source, QObject* parent = nullptr);
    ~TrayMenuCopy() override;

    QMenu* menu() const { return m_menu.get(); }

    // An item's title with its keys after a tab, as a menu shows them; the
    // title alone when it has none, or when it already holds its key text.
    static QString titleWithKeys(const QAction* item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill(QMenu* source, QMenu* copy);
    void follow(QMenu* source, QMenu* copy);
    void update(const QAction* source);

    std::unique_ptr<QMenu> m_menu;
    QHash<QMenu*, QPointer<QMenu>> m_copies;                 // each source menu's copy
    QHash<const QAction*, QPointer<QAction>> m_copiedItems;  // each source item's copy
};

}  // namespace klipo::platform
