#include "app/Appearance.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

#include <optional>

namespace klipo {

namespace {
struct SystemLook {
    QString styleName;
    QPalette palette;
};

// The look the desktop gave us, remembered before we first change it.
std::optional<SystemLook>& systemLook()
{
    static std::optional<SystemLook> look;
    return look;
}

void rememberSystemLook()
{
    if (systemLook()) return;
    systemLook() = SystemLook{QApplication::style() ? QApplication::style()->name() : QString(), QApplication::palette()};
}
}  // namespace

QPalette lightAppearancePalette()
{
    QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    QPalette p = fusion ? fusion->standardPalette() : QPalette(QColor(239, 239, 239));
    delete fusion;
    return p;
}

QPalette darkAppearancePalette()
{
    const QColor window(45, 45, 48);
    const QColor base(30, 30, 32);
    const QColor text(232, 232, 232);
    const QColor disabledText(128, 128, 128);
    const QColor highlight(10, 132, 255);

    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(38, 38, 41));
    p.setColor(QPalette::ToolTipBase, QColor(60, 60, 64));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(140, 140, 140));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(58, 58, 62));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(255, 69, 58));
    p.setColor(QPalette::Light, QColor(80, 80, 84));
    p.setColor(QPalette::Midlight, QColor(66, 66, 70));
    p.setColor(QPalette::Mid, QColor(40, 40, 43));
    p.setColor(QPalette::Dark, QColor(20, 20, 22));
    p.setColor(QPalette::Shadow, QColor(0, 0, 0));
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(64, 156, 255));
    p.setColor(QPalette::LinkVisited, QColor(170, 130, 255));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabledText);
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(80, 80, 84));
    return p;
}

void applyAppearance(PrefsAppearanceTheme theme)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    rememberSystemLook();
    switch (theme) {
    case PrefsAppearanceTheme::system: {
        const SystemLook& look = *systemLook();
        if (QApplication::style()->name() != look.styleName && !look.styleName.isEmpty())
            QApplication::setStyle(look.styleName);
        QApplication::setPalette(look.palette);
        return;
    }
    case PrefsAppearanceTheme::light:
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(lightAppearancePalette());
        return;
    case PrefsAppearanceTheme::dark:
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(darkAppearancePalette());
        return;
    }
}

}  // namespace klipo
