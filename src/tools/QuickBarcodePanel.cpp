#include "tools/QuickBarcodePanel.h"

#include "platform/Clipboard.h"
#include "platform/FloatingWindows.h"
#include "platform/LinkOpener.h"
#include "platform/PlatformServices.h"
#include "platform/ScreenMetrics.h"
#include "platform/WindowPlacement.h"
#include "platform/WindowRoles.h"
#include "tools/CaptureReport.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

namespace klipo {

namespace {

bool askBeforeOpening(const QUrl& url)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("打开这个链接？"), QStringLiteral("打开这个链接？"));
    box.setInformativeText(QuickBarcodePanelController::shownText(url.toString()));
    QPushButton* open = box.addButton(QStringLiteral("打开"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.exec();
    return box.clickedButton() == open;
}

bool isDirectionControl(char16_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// The text cut to its first 60 characters and "…" when it has more.
QString shortened(const QString& text)
{
    const QList<uint> characters = text.toUcs4();
    if (characters.size() <= 60) return text;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), 60) + QStringLiteral("…");
}

}  // namespace

QuickBarcodePanelController& QuickBarcodePanelController::shared()
{
    static auto* controller = new QuickBarcodePanelController;
    return *controller;
}

QuickBarcodePanelController::QuickBarcodePanelController()
    : confirmOpen(askBeforeOpening), openUrl(platform::openLink)
{
}

const QStringList& QuickBarcodePanelController::linkSchemes()
{
    static const QStringList schemes{QStringLiteral("http"),  QStringLiteral("https"),    QStringLiteral("mailto"),
                                     QStringLiteral("tel"),   QStringLiteral("sms"),      QStringLiteral("facetime"),
                                     QStringLiteral("weixin"), QStringLiteral("alipay")};
    return schemes;
}

std::optional<QUrl> QuickBarcodePanelController::asLink(const QString& code)
{
    const QUrl url(code.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || !linkSchemes().contains(url.scheme().toLower())) return std::nullopt;
    return url;
}

std::optional<QUrl> QuickBarcodePanelController::firstLink(const QStringList& codes)
{
    for (const QString& code : codes)
        if (auto url = asLink(code)) return url;
    return std::nullopt;
}

QString QuickBarcodePanelController::shownText(const QString& code)
{
    QString shown;
    shown.reserve(code.size());
    for (const QChar c : code) {
        if (isDirectionControl(c.unicode()))
            shown += QStringLiteral("[U+%1]").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        else
            shown += c;
    }
    return shown;
}

QString QuickBarcodePanelController::titleFor(int count)
{
    return count == 1 ? QStringLiteral("发现二维码") : QStringLiteral("发现 %1 个二维码").arg(count);
}

void QuickBarcodePanelController::makePanel()
{
    auto* panel = new QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                                           Qt::WindowCloseButtonHint);
    platform::applyWindowRole(panel, platform::WindowRole::floating);
    panel->setAttribute(Qt::WA_QuitOnClose, false);
    panel->setWindowTitle(titleFor(1));
    panel->resize(panelWidth, panelHeight);

    m_textView = new QPlainTextEdit(panel);
    m_textView->setReadOnly(true);
    m_textView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QFont font = m_textView->font();
    font.setPixelSize(13);
    m_textView->setFont(font);
    m_textView->document()->setDocumentMargin(6);

    auto* copy = new QPushButton(QStringLiteral("复制内容"), panel);
    m_openButton = new QPushButton(QStringLiteral("打开链接"), panel);
    for (QPushButton* button : {copy, m_openButton}) button->setFixedSize(100, 30);
    connect(copy, &QPushButton::clicked, this, &QuickBarcodePanelController::copyCodes);
    connect(m_openButton, &QPushButton::clicked, this, &QuickBarcodePanelController::openLink);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(copy);
    buttons->addWidget(m_openButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(14, 16, 14, 12);
    layout->setSpacing(10);
    layout->addWidget(m_textView, 1);
    layout->addLayout(buttons);
    m_panel = panel;
}

void QuickBarcodePanelController::show(const QStringList& codes)
{
    if (codes.isEmpty()) return;
    m_codes = codes;
    if (!m_panel) makePanel();
    m_textView->setPlainText(shownText(codes.join(QLatin1Char('\n'))));
    m_openButton->setVisible(firstLink(codes).has_value());
    m_panel->setWindowTitle(titleFor(int(codes.size())));
    // However it was put away before (closed, minimised, unmapped by another
    // program), it comes back as a normal window.
    m_panel->setWindowState(m_panel->windowState() & ~Qt::WindowMinimized);
    if (m_panel->isVisible() && !platform::isMappedOnScreen(m_panel)) {
        m_panel->hide();
        // Its native window may be gone: a new one is made at the show.
        if (QWindow* handle = m_panel->windowHandle()) handle->destroy();
    }
    positionNearMouse();
    m_panel->show();
    m_panel->raise();
    m_panel->activateWindow();
}

void QuickBarcodePanelController::positionNearMouse()
{
    const platform::ScreenMetrics* screens = platform::services().screens;
    const std::optional<platform::ScreenInfo> screen = screens ? screens->screenUnderPointer() : std::nullopt;
    if (!screen) return;
    const QPoint mouse = screens->pointerPosition();
    // The panel's top-left corner (of its frame) 16 to the right of and 16
    // below the pointer, kept inside the screen's available area.
    platform::moveInside(m_panel, mouse + QPoint(16, 16), screen->availableGeometry);
}

void QuickBarcodePanelController::copyCodes()
{
    const QString text = m_codes.join(QLatin1Char('\n'));
    if (text.isEmpty()) return;
    if (platform::Clipboard* clipboard = platform::services().clipboard) clipboard->setText(text);
    CaptureReport::show({QStringLiteral("二维码内容已复制"), shortened(shownText(text))});
}

void QuickBarcodePanelController::openLink()
{
    const std::optional<QUrl> link = firstLink(m_codes);
    if (!link || !confirmOpen || !confirmOpen(*link) || !openUrl) return;
    const QString scheme = link->scheme();
    openUrl(*link, [scheme](bool opened) {
        if (!opened)
            CaptureReport::show({QStringLiteral("无法打开链接"),
                                 QStringLiteral("系统里没有能打开「%1:」链接的程序").arg(scheme)});
    });
}

}  // namespace klipo
