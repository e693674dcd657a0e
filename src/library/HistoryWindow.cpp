#include "library/HistoryWindow.h"

#include "platform/SettingsStore.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace klipo {

HistoryWindowController& HistoryWindowController::shared()
{
    static HistoryWindowController controller;
    return controller;
}

void HistoryWindowController::show(Section)
{
    if (!m_window) {
        auto* window = new QWidget;
        window->setWindowTitle(QStringLiteral("KlipoVersa 资料库"));
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        // With "menuBarOnly" the program keeps out of the task bar.
        if (platform::SettingsStore::shared().boolValue(QStringLiteral("menuBarOnly")))
            window->setWindowFlag(Qt::Tool, true);
        auto* layout = new QVBoxLayout(window);
        auto* label = new QLabel(QStringLiteral("历史记录与高频单词将在后续版本中显示在这里。\n"
                                                "KlipoVersa 正在托盘中运行，点击托盘图标即可使用。"));
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        layout->addWidget(label);
        window->resize(520, 320);
        m_window = window;
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

}  // namespace klipo
