#pragma once

class QComboBox;
class QObject;
class QWidget;

namespace kd {

class CabinetCommands;
class DiagnosticsSink;

/// The one program-wide reference to every window. The composition root fills
/// it in creation order; a window may use only the entries created before it.
/// Windows live for the whole run, so these pointers never dangle while the
/// event loop runs.
struct ProgramWindows {
    QWidget* Introform = nullptr;
    QWidget* SchrankForm = nullptr;
    QWidget* Form1 = nullptr;
    QWidget* GraphForm = nullptr;
    QWidget* InternForm = nullptr;
    QObject* DataModule1 = nullptr;
    QWidget* Mainform = nullptr;
    QWidget* tabwahlform = nullptr;
    QWidget* TabverwaltungForm = nullptr;

    /// The start window's language box: its selected index and its text are
    /// read by every window that translates itself and by the chart layer.
    const QComboBox* Sprachwahl = nullptr;
    /// Commands of the cabinet console that the diagnostic window uses.
    CabinetCommands* cabinet = nullptr;
    /// Where the cabinet console's reply decoder puts the diagnostic values.
    DiagnosticsSink* diagnostics = nullptr;
};

/// The program's instance. Tests may reset it to an empty struct.
ProgramWindows& windows();

/// Makes a window visible and brings it to the front; never modal.
void showWindow(QWidget* window);
/// Makes a window invisible; it keeps its state.
void hideWindow(QWidget* window);
/// True when the window exists and is visible.
bool isShown(const QWidget* window);

/// Centres a top-level window on its screen the first time it is shown
/// (its frame is known only then); later shows keep where the user put it.
void centreOnFirstShow(QWidget* window);

}  // namespace kd
