#pragma once

#include <QList>
#include <QPixmap>
#include <QString>

class QComboBox;
class QPainter;
class QRect;
class QStyleOptionViewItem;
class QWidget;

// Everything here runs on the GUI thread. The catalogue "language.ini" and the
// language files <stem>.ini are read from the program directory
// (kd::programDirectory()), afresh at every call, and closed before the call
// returns. Missing files, sections and keys are never reported: each lookup
// falls back to its default.

namespace kd::i18n {

/// Section numbers of the translated windows in a language file.
enum Section : int {
    StartWindow = 0,
    CabinetSelection = 1,
    DatabaseConfiguration = 2,
    HistoryChart = 3,
    CabinetConsole = 5,
};

/// Edge of a flag in the language box, in pixels.
inline constexpr int kFlagSize = 16;

/// Fills the language box with the display names of "language.ini" and
/// `flags` with one 16 x 16 flag per item, in catalogue order. Selects nothing
/// (the box's index is -1 afterwards) and makes the box non-editable.
/// "count" in section "0" gives the number of entries (0 when missing, not a
/// number or negative); entry k (section k + 1) shows "name" (default "error")
/// and the flag file "image" (relative to the program directory). An entry
/// without "image" repeats the flag of the entry before it. A flag that cannot
/// be loaded, and a first entry without "image", give a transparent flag, so
/// item i is always drawn with flag i. Pictures of another size are scaled to
/// 16 x 16.
void BuildLanguageList(QComboBox* box, QList<QPixmap>* flags);

/// Stem of the language file of box index `index` (value "file" of section
/// index + 1 of the catalogue); empty when missing. Index -1 (no selection)
/// looks in section "0".
QString LanguageFileStem(int index);

/// Sets the window's caption from "titel" and the captions of its controls
/// from the keys named like them, in the given section of the language file
/// <program directory><stem>.ini.
///
/// The caption is set even when "titel" is missing (it becomes empty). Each
/// widget placed on the window (nested ones included, not those of other
/// windows parented to it) whose name has at least two characters looks up
/// the key of its name; a non-empty value becomes its text when the widget is
/// a label (QLabel, but not a kd::PictureButton or a label showing a picture),
/// a button (QAbstractButton: push, check and radio buttons), a group box
/// (title) or a panel (a plain QFrame; its text goes to the property "text").
/// Labels grow to fit a longer text, as auto-sized labels do. Every other kind
/// (tab sheets, edits, lists, combo and spin boxes, pictures, charts, status
/// bars) and the data-aware controls, whose names start with "DB"
/// (DBText1, DBCheckBox1, ...), and the controls inside them, keep their texts.
void LoadLanguage(QWidget* window, int section, const QString& stem);

/// The show-time step of a translated window: looks up the language chosen in
/// the start window's box (kd::windows().Sprachwahl; no box counts as no
/// selection) and runs LoadLanguage with its stem when not empty. Call it
/// first in the window's show handler, every time the window is shown.
void ApplyCurrentLanguage(QWidget* window, int section);

/// Text of the start window's language box (the selected display name), empty
/// when nothing is selected or the box does not exist. The delivered catalogue
/// names its entries "Deutsch" and "English".
QString CurrentLanguageName();

}  // namespace kd::i18n
