// Typing a text mark in place: the field over the mark, and what its ending
// does to the marks.
#include "annotation/canvas/AnnoCanvasView.h"

#include "annotation/canvas/AnnoTextField.h"
#include "annotation/model/AnnoFonts.h"

#include <algorithm>

namespace klipo {

void AnnoCanvasView::beginTextEditing(const AnnoItem& item, bool isNew)
{
    endTextEditing(true);
    auto* field = new AnnoTextField(this);
    field->setText(item.text);
    const double scale = m_cropRect.width() > 0 ? mapping().scale : 1.0;
    field->setFont(AnnoFonts::systemFont(std::max(item.style.fontSize * scale, 9.0), QFont::DemiBold, this));
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, item.style.color());
    field->setPalette(palette);
    connect(field, &AnnoTextField::commitRequested, this, [this] { endTextEditing(true); });
    connect(field, &AnnoTextField::cancelRequested, this, [this] { endTextEditing(false); });
    // The field grows with what is typed, so the whole text shows as it will be drawn.
    connect(field, &QLineEdit::textChanged, this, [this] {
        if (const std::optional<AnnoItem> item = editedItem()) updateEditorFrame(*item);
    });

    m_editor = field;
    m_editingItemID = item.id;
    m_editingIsNew = isNew;
    if (isNew) m_pendingTextItem = item;
    updateEditorFrame(item);
    field->show();
    field->setFocus(Qt::OtherFocusReason);
    update();
}

void AnnoCanvasView::updateEditorFrame(const AnnoItem& item)
{
    if (!m_editor) return;
    const AnnoDisplayMapping m = mapping();
    const QPointF origin = m.viewPoint(item.start) - QPointF(2, 2);
    // As wide as the text typed so far, up to the canvas's edge (beyond it the
    // field scrolls).
    AnnoItem typed = item;
    typed.text = m_editor->text();
    const double room = std::max(width() - origin.x(), 120.0);
    const double fieldWidth = std::clamp(typed.textSize().width() * m.scale + 40, 120.0, room);
    // Never lower than the field's own line: a face with a taller line than
    // most (Noto Sans has 1.36 em) would have its text and caret cut off.
    const double height =
        std::max({item.style.fontSize * m.scale * 1.35, 18.0, double(m_editor->minimumSizeHint().height())});
    const QRect frame = QRectF(origin, QSizeF(fieldWidth, height)).toRect();
    if (frame == m_editor->geometry()) return;
    m_editor->setGeometry(frame);
    update();  // the dashed frame around the field follows it
}

std::optional<AnnoItem> AnnoCanvasView::editedItem() const
{
    if (!m_editingItemID) return std::nullopt;
    for (const AnnoItem& item : m_items)
        if (item.id == *m_editingItemID) return item;
    return m_pendingTextItem;
}

void AnnoCanvasView::endTextEditing(bool commit)
{
    if (!m_editor) {
        m_editingItemID.reset();
        m_pendingTextItem.reset();
        return;
    }
    // Detach the field first: its removal may report a focus loss, which must
    // find no edit open.
    AnnoTextField* field = m_editor;
    const QString text = field->text().trimmed();
    const std::optional<QUuid> editedID = m_editingItemID;
    m_editor = nullptr;
    m_editingItemID.reset();
    field->disconnect(this);
    const bool fieldHadFocus = field->hasFocus();
    if (fieldHadFocus) setFocus(Qt::OtherFocusReason);
    field->hide();
    field->deleteLater();

    if (commit) {
        if (m_editingIsNew) {
            if (m_pendingTextItem && !text.isEmpty()) {
                AnnoItem item = *m_pendingTextItem;
                item.text = text;
                pushUndo();
                m_items.append(item);
                stateChanged();
            }
        } else if (editedID) {
            const auto it = std::find_if(m_items.cbegin(), m_items.cend(),
                                         [&](const AnnoItem& item) { return item.id == *editedID; });
            const qsizetype index = it - m_items.cbegin();
            if (it == m_items.cend()) {
                // the mark went away meanwhile: nothing to change
            } else if (text.isEmpty()) {
                pushUndo();
                m_items.removeAt(index);
                setSelectedID(std::nullopt);
                stateChanged();
            } else if (text != it->text) {
                pushUndo();
                m_items[index].text = text;
                stateChanged();
            }
        }
    }
    m_pendingTextItem.reset();
    m_editingIsNew = false;
    update();
}

}  // namespace klipo
