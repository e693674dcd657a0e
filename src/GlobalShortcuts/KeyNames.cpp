#include "GlobalShortcuts/KeyNames.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QTranslator>

#include <cstring>

namespace klipo::GlobalShortcuts {

namespace {

class KeyNameTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (!context || !sourceText || std::strcmp(context, "QShortcut") != 0) return {};  // not a key name
        static const QHash<QByteArray, QString> names{
            {"Meta", QStringLiteral("Super")},     {"Space", QStringLiteral("空格")},
            {"Return", QStringLiteral("回车")},    {"Enter", QStringLiteral("回车")},
            {"Backspace", QStringLiteral("退格")}, {"Help", QStringLiteral("帮助")},
            {"Left", QStringLiteral("左方向")},    {"Right", QStringLiteral("右方向")},
            {"Up", QStringLiteral("上方向")},      {"Down", QStringLiteral("下方向")},
            {"Clear", QStringLiteral("清除")},     {"Menu", QStringLiteral("菜单")},
        };
        // Every other key keeps Qt's own name, in no other language.
        return names.value(QByteArray(sourceText), QString::fromUtf8(sourceText));
    }
    bool isEmpty() const override { return false; }
};

}  // namespace

void installKeyNames()
{
    static QPointer<KeyNameTranslator> translator;
    if (!QCoreApplication::instance()) return;
    if (!translator) translator = new KeyNameTranslator(QCoreApplication::instance());
    // Translators installed last are asked first: ours goes back on top.
    QCoreApplication::removeTranslator(translator);
    QCoreApplication::installTranslator(translator);
}

}  // namespace klipo::GlobalShortcuts
