#pragma once

#include "annotation/model/AnnoTool.h"
#include "annotation/window/AnnoBarView.h"

#include <QHash>
#include <QIcon>
#include <QMap>

#include <functional>

class QToolButton;

namespace klipo {

// The tool bar of the annotation window: one toggle per tool in tool-bar
// order (select | rectangle to number | crop), then undo, redo, delete and
// clear. Icons are drawn in the palette's button text colour, the chosen tool
// in the highlight colour, and follow palette changes.
class AnnoToolBar : public AnnoBarView {
public:
    explicit AnnoToolBar(QWidget* parent = nullptr);

    std::function<void(AnnoTool)> onToolChosen;
    std::function<void()> onUndo;
    std::function<void()> onRedo;
    std::function<void()> onDelete;
    std::function<void()> onClear;

    // Marks the chosen tool's button (and only it) as on.
    void setCurrentTool(AnnoTool tool);
    void setEditState(bool canUndo, bool canRedo, bool canDelete);

    QToolButton* toolButton(AnnoTool tool) const { return m_toolButtons.value(tool); }
    QToolButton* undoButton() const { return m_undo; }
    QToolButton* redoButton() const { return m_redo; }
    QToolButton* deleteButton() const { return m_delete; }
    QToolButton* clearButton() const { return m_clear; }

protected:
    void changeEvent(QEvent* event) override;

private:
    QToolButton* makeButton(const QString& symbol, const QString& fallback, const QString& tooltip,
                            std::function<void()> action);
    void paintIcons();

    QMap<AnnoTool, QToolButton*> m_toolButtons;
    QMap<QToolButton*, QString> m_symbols;
    QHash<QString, QIcon> m_icons;  // by symbol and colour
    QToolButton* m_undo = nullptr;
    QToolButton* m_redo = nullptr;
    QToolButton* m_delete = nullptr;
    QToolButton* m_clear = nullptr;
};

}  // namespace klipo
