#include "preferences/ShortcutConflictView.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "platform/NotificationCenter.h"
#include "platform/hotkeys/DesktopShortcuts.h"
#include "preferences/PrefsForm.h"
#include "preferences/PrefsIcons.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace klipo {

ShortcutConflictView::ShortcutConflictView(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    m_rows = new QVBoxLayout;
    m_rows->setSpacing(10);
    layout->addLayout(m_rows);
    m_settingsButton = new QPushButton(QStringLiteral("打开桌面的键盘快捷键设置…"), this);
    connect(m_settingsButton, &QPushButton::clicked, this, [] { platform::desktopShortcuts().openKeyboardSettings(); });
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_settingsButton);
    buttonRow->addStretch(1);
    layout->addLayout(buttonRow);
    m_settingsButton->hide();

    auto& center = platform::NotificationCenter::shared();
    for (const QString& name : {QString(ShortcutConflictChecker::shouldRefreshNotification),
                                QString(GlobalShortcuts::shortcutByNameDidChange),
                                QString(GlobalShortcuts::registrationDidChange)})
        center.observe(name, this, [this](const QVariantMap&) { scheduleRefresh(); });
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) scheduleRefresh();
    });
    scheduleRefresh();
}

void ShortcutConflictView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    scheduleRefresh();
}

void ShortcutConflictView::scheduleRefresh()
{
    // After the event that asked: a recorder posts while it still holds the
    // program's hot keys released; by then it has taken them back.
    if (m_refreshPending) return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshPending = false;
        refresh();
    });
}

void ShortcutConflictView::refresh()
{
    m_conflicts = ShortcutConflictChecker::allConflicts();
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        if (QWidget* w = item->widget()) w->deleteLater();
        delete item;
    }
    for (const ShortcutConflictChecker::Conflict& conflict : m_conflicts) {
        auto* row = new QWidget(this);
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->setSpacing(8);
        auto* icon = new QLabel(row);
        icon->setPixmap(PrefsIcons::pixmap(QStringLiteral("exclamationmark.triangle.fill"), 16, devicePixelRatioF()));
        icon->setAlignment(Qt::AlignTop);
        rowLayout->addWidget(icon, 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(2);
        auto* title = new QLabel(conflict.title, row);
        QFont medium = title->font();
        medium.setWeight(QFont::DemiBold);
        title->setFont(medium);
        texts->addWidget(title);
        QLabel* message = PrefsForm::note(conflict.message, row);
        message->setTextInteractionFlags(Qt::TextSelectableByMouse);
        texts->addWidget(message);
        rowLayout->addLayout(texts, 1);
        m_rows->addWidget(row);
    }
    m_settingsButton->setVisible(!m_conflicts.isEmpty() && platform::desktopShortcuts().canOpenKeyboardSettings());
    if (onConflictsChanged) onConflictsChanged(!m_conflicts.isEmpty());
}

}  // namespace klipo
