#pragma once

#include <QList>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace kd {

/// Draws one item of the language box: background (highlight when selected),
/// flag i at the item's top-left corner, the display name 2 pixels right of
/// the flag. Items are 16 pixels high.
class LanguageItemDelegate : public QStyledItemDelegate {
public:
    /// `flags` is the start window's flag list; it outlives the delegate.
    LanguageItemDelegate(const QList<QPixmap>* flags, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    /// The drawing itself, usable without a view.
    static void SprachwahlDrawItem(QPainter* painter, const QRect& rect, const QPixmap& flag,
                                   const QString& name, bool selected, const QPalette& palette);

private:
    const QList<QPixmap>* flags_;
};

}  // namespace kd
