#include "library/vocabulary/VocabularyWordList.h"

#include "library/widgets/LibraryIcons.h"
#include "library/widgets/LibraryStyle.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace klipo {

namespace {

constexpr int kPadding = 12;  // left and right in a row, and between its parts
constexpr int kVerticalPadding = 8;

QString definitionText(const VocabularyWord& word)
{
    return word.hasDefinition() ? word.definition->simplified() : QStringLiteral("（暂无释义）");
}

QString countText(const VocabularyWord& word) { return QStringLiteral("%1 次").arg(word.count); }

QString buttonHelp(bool mastered) { return mastered ? QStringLiteral("恢复到待掌握") : QStringLiteral("标记为已掌握"); }

}  // namespace

void VocabularyWordModel::setWords(const QList<VocabularyWord>& words, bool mastered)
{
    beginResetModel();
    m_words = words;
    m_mastered = mastered;
    endResetModel();
}

int VocabularyWordModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_words.size());
}

QVariant VocabularyWordModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_words.size()) return {};
    const VocabularyWord& word = m_words.at(index.row());
    if (role == Qt::DisplayRole) return word.display;
    if (role == DefinitionRole) return definitionText(word);
    return {};
}

VocabularyWordDelegate::VocabularyWordDelegate(VocabularyWordModel& model, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model)
{
}

QRect VocabularyWordDelegate::buttonRect(const QRect& row)
{
    return {row.right() - kPadding - buttonSide + 1, row.center().y() - buttonSide / 2 + 1, buttonSide, buttonSide};
}

QSize VocabularyWordDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    const int height = QFontMetrics(librarystyle::headline(option.font)).height() + 2 +
                       QFontMetrics(librarystyle::caption(option.font)).height() + 2 * kVerticalPadding;
    return {200, qMax(height, buttonSide + 2 * kVerticalPadding)};
}

void VocabularyWordDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= m_model.rowCount()) return;
    const VocabularyWord& word = m_model.wordAt(index.row());
    const bool mastered = m_model.isMasteredList();
    const QPalette& palette = option.palette;
    const QRect row = option.rect;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (option.state & (QStyle::State_Selected | QStyle::State_MouseOver)) {
        QColor fill = option.state & QStyle::State_Selected ? palette.color(QPalette::Highlight)
                                                           : librarystyle::wash(palette, 1.0);
        fill.setAlphaF(option.state & QStyle::State_Selected ? 0.22 : 0.05);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(QRectF(row).adjusted(4, 1, -4, -1), 6, 6);
    }

    // Right to left: the button, the count capsule, then the texts in what is left.
    const QRect button = buttonRect(row);
    const QColor ink = palette.color(QPalette::WindowText);
    painter->drawPixmap(button.adjusted(2, 2, -2, -2),
                        libraryicons::pixmap(mastered ? libraryicons::Symbol::restore : libraryicons::Symbol::checkmark,
                                             buttonSide - 4, ink, painter->device()->devicePixelRatioF()));

    const QFont caption = librarystyle::caption(option.font);
    const QFontMetrics captionMetrics(caption);
    const QString count = countText(word);
    const int capsuleWidth = captionMetrics.horizontalAdvance(count) + 16;
    const int capsuleHeight = captionMetrics.height() + 6;
    const QRectF capsule(button.left() - kPadding - capsuleWidth, row.center().y() - capsuleHeight / 2.0 + 0.5,
                         capsuleWidth, capsuleHeight);
    painter->setPen(Qt::NoPen);
    painter->setBrush(librarystyle::wash(palette, 0.15));
    painter->drawRoundedRect(capsule, capsuleHeight / 2.0, capsuleHeight / 2.0);
    painter->setPen(ink);
    painter->setFont(caption);
    painter->drawText(capsule, Qt::AlignCenter, count);

    const QFont headline = librarystyle::headline(option.font);
    const QFontMetrics headlineMetrics(headline);
    const int left = row.left() + kPadding;
    const int width = qMax(0, int(capsule.left()) - kPadding - left);
    const int top = row.center().y() - (headlineMetrics.height() + 2 + captionMetrics.height()) / 2;
    painter->setFont(headline);
    painter->drawText(QRect(left, top, width, headlineMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                      headlineMetrics.elidedText(word.display, Qt::ElideRight, width));
    painter->setFont(caption);
    painter->setPen(librarystyle::secondary(palette));
    painter->drawText(QRect(left, top + headlineMetrics.height() + 2, width, captionMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      captionMetrics.elidedText(definitionText(word), Qt::ElideRight, width));
    painter->restore();
}

bool VocabularyWordDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                         const QModelIndex& index)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && buttonRect(option.rect).contains(mouse->position().toPoint())) {
            Q_EMIT buttonClicked(index.row());
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

bool VocabularyWordDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                       const QModelIndex& index)
{
    if (event->type() == QEvent::ToolTip && index.isValid() && buttonRect(option.rect).contains(event->pos())) {
        QToolTip::showText(event->globalPos(), buttonHelp(m_model.isMasteredList()), view);
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

}  // namespace klipo
