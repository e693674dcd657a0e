#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace klipo {

class ResultModel;
class ResultImageArea;

// The result panel's content: the picture scaled to fit, the status card over
// it while translating or when there is something to say, and the row of
// action buttons. It draws the model and reports button presses; the
// controller does the work.
class ResultView : public QWidget {
    Q_OBJECT
public:
    enum class Action { copyImage, saveImage, enlarge, copyText, pin };
    static constexpr int actionCount = 5;

    explicit ResultView(ResultModel& model, QWidget* parent = nullptr);

    QToolButton* button(Action action) const { return m_buttons[size_t(action)]; }
    // The status card, visible or not, and its text.
    QWidget* statusCard() const;
    QString statusText() const;
    // "更改目标语言" on the status card, shown when the model offers it.
    QPushButton* targetLanguageButton() const;

    // Lays the status card out as it shows while translating, while the
    // panel is hidden: the first time, loading the fonts of its text costs
    // tens of milliseconds that a panel about to show should not spend.
    void prepareTranslatingStatus();

Q_SIGNALS:
    void actionTriggered(klipo::ResultView::Action action);
    void targetLanguageChangeRequested();

private:
    void refresh();

    ResultModel& m_model;
    ResultImageArea* m_imageArea = nullptr;
    std::array<QToolButton*, actionCount> m_buttons{};
};

}  // namespace klipo
