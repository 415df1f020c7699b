#pragma once

#include <QList>
#include <QPixmap>
#include <QString>

class QComboBox;
class QPainter;
class QRect;
class QStyleOptionViewItem;
class QWidget;

namespace kd::i18n {

/// Section numbers of the translated windows in a language file.
enum Section : int {
    StartWindow = 0,
    CabinetSelection = 1,
    DatabaseConfiguration = 2,
    HistoryChart = 3,
    CabinetConsole = 5,
};

/// Fills the language box with the display names of "language.ini" and
/// `flags` with one 16 x 16 flag per item, in catalogue order. Selects nothing.
void BuildLanguageList(QComboBox* box, QList<QPixmap>* flags);

/// Stem of the language file of box index `index` (value "file" of section
/// index + 1 of the catalogue); empty when missing.
QString LanguageFileStem(int index);

/// Sets the window's caption from "titel" and the captions of its controls
/// from the keys named like them, in the given section of the language file
/// <program directory><stem>.ini.
void LoadLanguage(QWidget* window, int section, const QString& stem);

/// The show-time step of a translated window: looks up the language chosen in
/// the start window's box and runs LoadLanguage with its stem when not empty.
void ApplyCurrentLanguage(QWidget* window, int section);

/// Text of the start window's language box (the selected display name), empty
/// when nothing is selected or the box does not exist.
QString CurrentLanguageName();

}  // namespace kd::i18n
