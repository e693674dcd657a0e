#include "GlobalShortcuts/RecorderControl.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/KeyEvents.h"
#include "GlobalShortcuts/MenuBinding.h"
#include "GlobalShortcuts/Texts.h"

#include "platform/NotificationCenter.h"
#include "platform/hotkeys/HotKeyPlatform.h"
#include "platform/hotkeys/HotKeyService.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QProxyStyle>
#include <QStyleOptionFrame>
#include <QToolButton>

#include <algorithm>

namespace klipo::GlobalShortcuts {

namespace {

constexpr int kPreferredWidth = 130;
// A click this close outside the field still counts as a click on it.
constexpr int kClickSlack = 3;

// The field takes no typing, so it shows no caret.
class NoCaretStyle : public QProxyStyle {
public:
    // Over the application's style (a bare QProxyStyle would use the platform's default).
    NoCaretStyle() : QProxyStyle(QApplication::style()->name()) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_TextCursorWidth) return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

int presentWithMessageBox(QWidget* parent, const RecorderControl::Alert& alert)
{
    QMessageBox box(parent ? parent->window() : nullptr);
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(QStringLiteral("KlipoVersa"));
    box.setText(alert.title);
    box.setInformativeText(alert.informativeText);
    const QStringList buttons = alert.buttons.isEmpty() ? QStringList{uiText("ok")} : alert.buttons;
    QList<QAbstractButton*> added;
    for (const QString& title : buttons) added.append(box.addButton(title, QMessageBox::AcceptRole));
    box.setDefaultButton(qobject_cast<QPushButton*>(added.first()));
    if (parent) box.setWindowModality(Qt::WindowModal);
    box.exec();
    const qsizetype chosen = added.indexOf(box.clickedButton());
    return chosen < 0 ? 0 : static_cast<int>(chosen);
}

QString menuItemTitle(const QAction* item)
{
    // Without the mnemonic marks ("&x" shows x, "&&" shows &) and the key text after a tab.
    const QString raw = item->text().section(QLatin1Char('\t'), 0, 0);
    QString title;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == QLatin1Char('&') && i + 1 < raw.size()) ++i;
        title += raw[i];
    }
    return title;
}

bool startsRecording(Qt::FocusReason reason)
{
    // Focus that comes back with the window (or from a closing popup) is not
    // the user asking to record.
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

}  // namespace

RecorderControl::RecorderControl(const Name& name, ChangeHandler onChange, QWidget* parent)
    : QLineEdit(parent), m_name(name), m_onChange(std::move(onChange)), m_presentAlert(presentWithMessageBox)
{
    auto* style = new NoCaretStyle;
    style->setParent(this);
    setStyle(style);
    setPlaceholderText(uiText("record_shortcut"));
    setAlignment(Qt::AlignCenter);
    setClearButtonEnabled(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // The clear button edits the text; typing never does (keys are handled below).
    connect(this, &QLineEdit::textEdited, this, &RecorderControl::textEditedByUser);
    platform::NotificationCenter::shared().observe(shortcutByNameDidChange, this, [this](const QVariantMap& info) {
        if (info.value(QStringLiteral("name")).toString() == m_name.rawValue()) refreshText();
    });
    refreshText();
}

RecorderControl::~RecorderControl()
{
    // Never leave the program's hot keys let go.
    endRecording();
}

void RecorderControl::setAlertPresenter(AlertPresenter presenter)
{
    m_presentAlert = presenter ? std::move(presenter) : AlertPresenter(presentWithMessageBox);
}

void RecorderControl::setShortcutName(const Name& name)
{
    if (name.rawValue() == m_name.rawValue()) return;
    m_name = name;
    refreshText();
}

QSize RecorderControl::sizeHint() const { return {kPreferredWidth, QLineEdit::sizeHint().height()}; }

void RecorderControl::refreshText()
{
    const std::optional<Shortcut> shortcut = getShortcut(m_name);
    setText(shortcut ? shortcut->description() : QString());
}

void RecorderControl::beginRecording()
{
    m_resumeOnFocus = false;
    if (m_recording) return;
    m_recording = true;
    setPlaceholderText(uiText("press_shortcut"));
    // The stored shortcut's text gives way to the prompt (see paintEvent).
    QPalette listening = palette();
    listening.setColor(QPalette::Text, Qt::transparent);
    setPalette(listening);
    deselect();
    qApp->installEventFilter(this);
    setPaused(true);
    // Keys that another program holds (the window manager's Alt+Tab ...) go to
    // that program unless the keyboard is ours while recording.
    grabKeyboard();
    platform::NotificationCenter::shared().post(recorderActiveStatusDidChange, {{QStringLiteral("isActive"), true}});
}

void RecorderControl::endRecording()
{
    // Only the recorder that paused the hot keys gives them back.
    if (!m_recording) return;
    m_recording = false;
    releaseKeyboard();
    setPlaceholderText(uiText("record_shortcut"));
    setPalette(QPalette());  // back to the window's
    qApp->removeEventFilter(this);
    setPaused(false);
    platform::NotificationCenter::shared().post(recorderActiveStatusDidChange, {{QStringLiteral("isActive"), false}});
}

void RecorderControl::giveUpFocus()
{
    m_resumeOnFocus = false;
    clearFocus();
    endRecording();
}

void RecorderControl::takeFocusBack()
{
    // The window may get the focus back only after the warning is gone (the
    // window manager hands it over); the recording starts when it arrives.
    m_resumeOnFocus = true;
    setFocus(Qt::OtherFocusReason);
    if (hasFocus()) beginRecording();
}

int RecorderControl::showAlert(const Alert& alert) { return m_presentAlert(this, alert); }

void RecorderControl::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    deselect();
    if (m_resumeOnFocus || startsRecording(event->reason())) beginRecording();
}

void RecorderControl::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Losing the focus to the warning itself keeps the promise to come back.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        m_resumeOnFocus = false;
    endRecording();
}

void RecorderControl::hideEvent(QHideEvent* event)
{
    QLineEdit::hideEvent(event);
    m_resumeOnFocus = false;
    endRecording();
}

void RecorderControl::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    // While recording the prompt is what says the field is listening: in
    // place of the shortcut it holds (whose text is drawn clear meanwhile), or
    // of the placeholder a focused field with centred text hides.
    if (!m_recording || !hasFocus()) return;
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect area =
        style()->subElementRect(QStyle::SE_LineEditContents, &option, this).marginsRemoved(textMargins());
    // Centred on the whole field, clear of the clear button on either side.
    int button = 0;
    for (const QToolButton* side : findChildren<QToolButton*>())
        if (side->isVisible()) button = std::max(button, area.right() + 1 - side->geometry().left());
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(area, Qt::AlignCenter,
                     fontMetrics().elidedText(placeholderText(), Qt::ElideRight, area.width() - 2 * button));
}

void RecorderControl::mousePressEvent(QMouseEvent* event)
{
    // A click starts a recording, also when the field already had focus.
    if (!m_recording && event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        if (hasFocus()) beginRecording();
    }
    event->accept();
}

void RecorderControl::mouseMoveEvent(QMouseEvent* event) { event->accept(); }
void RecorderControl::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }
void RecorderControl::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

bool RecorderControl::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && m_recording) {
        // Every key goes to the recording, none to the window's shortcuts.
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (m_recording) {
            handleRecordingKey(key);
            return true;
        }
        switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return QLineEdit::event(event);
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Left to the dialog (close, default button).
            event->ignore();
            return false;
        default:
            return true;  // the field takes no typing
        }
    }
    return QLineEdit::event(event);
}

bool RecorderControl::eventFilter(QObject* watched, QEvent* event)
{
    if (m_recording && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton) {
            const QRect area = QRect(mapToGlobal(QPoint(0, 0)), size())
                                   .adjusted(-kClickSlack, -kClickSlack, kClickSlack, kClickSlack);
            // A click elsewhere ends the recording and still reaches its target.
            if (!area.contains(mouse->globalPosition().toPoint())) giveUpFocus();
        }
    }
    return QLineEdit::eventFilter(watched, event);
}

void RecorderControl::handleRecordingKey(QKeyEvent* event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    // Modifiers alone make no shortcut; the recording waits for a key.
    if (isModifierKey(key)) return;
    const bool plain = !(modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && key == Qt::Key_Tab) {
        if (!focusNextChild() || hasFocus()) giveUpFocus();
        return;
    }
    if (plain && key == Qt::Key_Escape) {
        giveUpFocus();  // the stored shortcut stays
        return;
    }
    if (plain && (key == Qt::Key_Backspace || key == Qt::Key_Delete)) {
        if (!text().isEmpty()) {
            clear();
            textEditedByUser(QString());
        }
        return;
    }
    // A key alone, or with Shift only, would fire while typing: only keys
    // that type nothing (F1 to F20, Print Screen ...) may. A key no shortcut
    // can be made of is refused too.
    const std::optional<Shortcut> shortcut = shortcutFromKeyEvent(*event);
    if (!shortcut || !shortcut->isSafeAsGlobalHotKey()) {
        QApplication::beep();
        return;
    }
    if (const QAction* item = menuItemWithMatchingShortcut(applicationMenu(), *shortcut, m_name)) {
        giveUpFocus();
        showAlert({uiText("keyboard_shortcut_used_by_menu_item").arg(menuItemTitle(item)), {}, {}});
        takeFocusBack();
        return;
    }
    if (platform::hotKeyService().probe(shortcut->combination()).status == platform::HotKeyOutcome::Status::taken) {
        giveUpFocus();
        const int answer =
            showAlert({uiText("keyboard_shortcut_used_by_system"), uiText("keyboard_shortcuts_can_be_changed"),
                       {uiText("ok"), uiText("force_use_shortcut")}});
        takeFocusBack();
        if (answer != 1) return;
    }
    setText(shortcut->description());
    setShortcut(*shortcut, m_name);
    if (m_onChange) m_onChange(*shortcut);
    giveUpFocus();
}

void RecorderControl::textEditedByUser(const QString& newText)
{
    if (!newText.isEmpty()) return;
    setShortcut(std::nullopt, m_name);
    if (m_onChange) m_onChange(std::nullopt);
    // Clearing goes straight on to recording the replacement.
    if (!hasFocus())
        setFocus(Qt::OtherFocusReason);
    else
        beginRecording();
}

}  // namespace klipo::GlobalShortcuts
