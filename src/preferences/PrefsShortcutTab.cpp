#include "preferences/PrefsShortcutTab.h"

#include "app/PrefsShortcutRegistry.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/Recorder.h"
#include "platform/NotificationCenter.h"
#include "preferences/ShortcutConflictChecker.h"
#include "preferences/ShortcutConflictView.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace klipo {

namespace {

void askForRefresh()
{
    platform::NotificationCenter::shared().post(ShortcutConflictChecker::shouldRefreshNotification);
}

// The rows of one group stacked in a plain column, added to the group as one
// row: a form row of its own gives a row whose warning lines appear later too
// little height, squeezing its field and cutting the lines.
QVBoxLayout* rowColumn(PrefsForm::Section* section)
{
    auto* column = new QWidget(section->box());
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(section->form()->verticalSpacing());
    section->addRow(column);
    return layout;
}

}  // namespace

ShortcutConflictRecorder::ShortcutConflictRecorder(const QString& title, const GlobalShortcuts::Name& name,
                                                   QWidget* parent)
    : QWidget(parent), m_name(name)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    m_row = new GlobalShortcuts::Recorder(
        title, name, [](const std::optional<GlobalShortcuts::Shortcut>&) { askForRefresh(); }, this);
    m_reset = new QPushButton(QStringLiteral("恢复默认"), this);
    const std::optional<GlobalShortcuts::Shortcut>& fallback = name.defaultShortcut();
    m_reset->setToolTip(fallback ? QStringLiteral("恢复为默认的 %1").arg(fallback->description())
                                 : QStringLiteral("恢复为默认：不设快捷键"));
    m_reset->setFocusPolicy(Qt::TabFocus);
    connect(m_reset, &QPushButton::clicked, this, [this] {
        GlobalShortcuts::reset({m_name});
        askForRefresh();
    });
    m_state = PrefsForm::note(QString(), this);
    PrefsForm::setTextColor(m_state, PrefsForm::warningColor());
    m_state->setForegroundRole(QPalette::WindowText);
    m_state->hide();
    auto* line = new QHBoxLayout;
    line->setSpacing(8);
    line->addWidget(m_row, 1);
    line->addWidget(m_reset);
    layout->addLayout(line);
    layout->addWidget(m_state);

    GlobalShortcuts::observeShortcut(m_name, this, [this] { refreshState(); });
    refreshState();
}

GlobalShortcuts::RecorderControl* ShortcutConflictRecorder::recorder() const { return m_row->recorder(); }

QLabel* ShortcutConflictRecorder::label() const { return m_row->titleLabel(); }

void ShortcutConflictRecorder::refreshState()
{
    // A name with no action wired (or nothing stored) has nothing to report.
    const bool refused = GlobalShortcuts::isRefused(m_name);
    const GlobalShortcuts::Registration registration = GlobalShortcuts::registration(m_name);
    QString text = refused ? registration.message : QString();
    if (registration.state == GlobalShortcuts::Registration::State::duplicate) {
        if (const std::optional<QString> runner = ShortcutConflictChecker::titleFor(registration.heldBy))
            text = QStringLiteral("与「%1」重复，按下时只会执行「%1」，这一项不会生效").arg(*runner);
    }
    m_state->setText(text);
    m_state->setVisible(refused);
    m_reset->setEnabled(GlobalShortcuts::getShortcut(m_name) != m_name.defaultShortcut());
}

PrefsShortcutTab::PrefsShortcutTab(QWidget* parent) : PrefsForm::Page(parent)
{
    PrefsForm::Section* core = addSection(QStringLiteral("核心快捷键"));
    QVBoxLayout* coreRows = rowColumn(core);
    for (const PrefsShortcutRegistry::Item& item : PrefsShortcutRegistry::coreItems()) {
        const GlobalShortcuts::Name* name = ShortcutConflictChecker::nameFor(item.name);
        if (!name) continue;
        auto* recorder = new ShortcutConflictRecorder(item.title + QStringLiteral("："), *name);
        m_recorders.append(recorder);
        coreRows->addWidget(recorder);
    }

    PrefsForm::Section* optional = addSection(QStringLiteral("可选快捷键（默认未绑定）"));
    QVBoxLayout* optionalRows = rowColumn(optional);
    for (const PrefsShortcutRegistry::Item& item : PrefsShortcutRegistry::optionalItems()) {
        const GlobalShortcuts::Name* name = ShortcutConflictChecker::nameFor(item.name);
        if (!name) continue;
        auto* entry = new QWidget;
        auto* stack = new QVBoxLayout(entry);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->setSpacing(2);
        auto* recorder = new ShortcutConflictRecorder(item.title + QStringLiteral("："), *name, entry);
        m_recorders.append(recorder);
        stack->addWidget(recorder);
        if (item.note) stack->addWidget(PrefsForm::note(*item.note, entry));
        optionalRows->addWidget(entry);
    }

    PrefsForm::Section* warnings = addSection();
    m_conflictSection = warnings;
    m_conflicts = new ShortcutConflictView;
    rowColumn(warnings)->addWidget(m_conflicts);
    warnings->hide();
    m_conflicts->onConflictsChanged = [warnings](bool any) { warnings->setVisible(any); };

    PrefsForm::Section* help = addSection();
    help->addNote(
        QStringLiteral("点击输入框后按下新的组合键即可修改；按 Backspace 清除。\n"
                       "快捷键为全局生效，请避开系统与常用软件已占用的组合。"));
    finish();
}

void PrefsShortcutTab::showEvent(QShowEvent* event)
{
    PrefsForm::Page::showEvent(event);
    for (ShortcutConflictRecorder* recorder : m_recorders) recorder->refreshState();
    m_conflicts->scheduleRefresh();
}

ShortcutConflictRecorder* PrefsShortcutTab::recorderFor(const QString& rawName) const
{
    for (ShortcutConflictRecorder* recorder : m_recorders)
        if (recorder->recorder()->shortcutName().rawValue() == rawName) return recorder;
    return nullptr;
}

}  // namespace klipo
