#include "languageitemdelegate.h"

#include <QPainter>

namespace kd {

namespace {
constexpr int kItemHeight = 16;
constexpr int kFlagWidth = 16;
}  // namespace

LanguageItemDelegate::LanguageItemDelegate(const QList<QPixmap>* flags, QObject* parent)
    : QStyledItemDelegate(parent), flags_(flags) {}

void LanguageItemDelegate::SprachwahlDrawItem(QPainter* painter, const QRect& rect,
                                              const QPixmap& flag, const QString& name,
                                              bool selected, const QPalette& palette) {
    painter->save();
    painter->fillRect(rect, selected ? palette.highlight() : palette.base());
    if (!flag.isNull())
        painter->drawPixmap(rect.topLeft(), flag);
    painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
    const QRect textRect(rect.left() + kFlagWidth + 2, rect.top(), rect.width() - kFlagWidth - 2,
                         rect.height());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, name);
    painter->restore();
}

void LanguageItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const int row = index.row();
    const QPixmap flag = (flags_ && row >= 0 && row < flags_->size()) ? flags_->at(row) : QPixmap();
    SprachwahlDrawItem(painter, option.rect, flag, index.data(Qt::DisplayRole).toString(),
                       option.state & QStyle::State_Selected, option.palette);
}

QSize LanguageItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    s.setHeight(kItemHeight);
    return s;
}

}  // namespace kd
