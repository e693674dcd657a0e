#pragma once

#include "annotation/model/AnnoTool.h"
#include "overlay/SelTypes.h"

#include <QList>
#include <QMap>
#include <QWidget>

#include <functional>
#include <optional>

class QHBoxLayout;
class QVBoxLayout;

namespace klipo {

class HUDButton;
class SelSpinner;

// The buttons of the toolbar's row for a translated result.
enum class SelTranslatedAction { copyText, revert, pin, save, copy, close };

// A text-select button with a spinner that stands in its place while text is
// being recognised.
class SelTextToolBox : public QWidget {
public:
    explicit SelTextToolBox(HUDButton* button, QWidget* parent = nullptr);
    HUDButton* button() const { return m_button; }
    SelSpinner* spinner() const { return m_spinner; }
    bool wantsEnabled() const { return m_wantsEnabled; }
    void setWantsEnabled(bool wants);
    void setLoading(bool loading);
    // Enabled when wanted and not loading; alpha 1 when wanted, else 0.4.
    void refresh();

private:
    HUDButton* m_button;
    SelSpinner* m_spinner;
    bool m_wantsEnabled = true;
};

// The small dark bar next to the selection: annotation tools, text select,
// undo, a copy-selected-text button and the actions; after a translation a
// second row acts on the result. It decides nothing: every tap goes out
// through a callback and the owner tells it what to show.
class SelInlineToolbar : public QWidget {
public:
    enum class Mode { normal, translating, translated };

    explicit SelInlineToolbar(QWidget* parent = nullptr);

    std::function<void(AnnoTool)> onToolTapped;
    std::function<void()> onUndo;
    std::function<void(SelAction)> onAction;
    std::function<void(SelTranslatedAction)> onTranslatedAction;
    std::function<void()> onTextSelectTapped;
    std::function<void()> onCopySelectedText;

    // The tools offered, in button order, and the action buttons.
    static const QList<AnnoTool>& tools();
    static const QList<SelAction>& actions();

    Mode mode() const { return m_mode; }
    void setMode(Mode mode);
    void setActiveTool(std::optional<AnnoTool> tool);
    void setTextSelectActive(bool active);
    void setUndoEnabled(bool enabled);
    void setTextSelectLoading(bool loading);
    void updateCopyTitles(bool hasSelection);
    // Fills the action button that Return presses (translate when never set).
    void setPrimaryAction(SelAction action);

    // For the owner's checks and for tests.
    HUDButton* toolButton(AnnoTool tool) const { return m_toolButtons.value(tool); }
    HUDButton* actionButton(SelAction action) const;
    HUDButton* undoButton() const { return m_undoButton; }
    HUDButton* copySelectedButton() const { return m_copySelectedButton; }
    HUDButton* copyTextButton() const { return m_copyTextButton; }
    const QList<SelTextToolBox*>& textSelectBoxes() const { return m_textSelectBoxes; }
    QWidget* translatedRow() const { return m_translatedRow; }
    QWidget* normalRow() const { return m_normalRow; }

protected:
    // Clicks between the buttons stay on the bar.
    void mousePressEvent(QMouseEvent* event) override;

private:
    SelTextToolBox* makeTextSelectBox();
    QWidget* ensureTranslatedRow();
    void showRow(QWidget* row);

    Mode m_mode = Mode::normal;
    QVBoxLayout* m_outer;
    QWidget* m_normalRow;
    QWidget* m_translatedRow = nullptr;
    QMap<AnnoTool, HUDButton*> m_toolButtons;
    HUDButton* m_undoButton = nullptr;
    QList<HUDButton*> m_actionButtons;
    QList<SelTextToolBox*> m_textSelectBoxes;
    HUDButton* m_copySelectedButton = nullptr;
    HUDButton* m_copyTextButton = nullptr;
};

}  // namespace klipo
