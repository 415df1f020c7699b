#pragma once

#include <QApplication>
#include <QString>

#include <functional>
#include <stdexcept>

namespace kd {

/// An error that ends the handler it arose in and is shown in the default
/// error box. Lower layers throw it (or any std::exception); windows do not
/// catch it unless they have something better to do.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

/// Shows the text of an error that no handler caught. The default shows a
/// critical message box; tests replace it to collect the texts instead.
using ErrorPresenter = std::function<void(const QString&)>;
void setErrorPresenter(ErrorPresenter presenter);
void presentError(const QString& message);

/// The application object: every event is dispatched inside a guard, so an
/// exception that leaves a handler ends that handler only, is shown in the
/// default error box, and the program goes on.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

/// Runs a callable inside the same guard as an event handler. For code paths
/// that are entered outside event dispatch (start-up creation handlers).
template <typename F>
void runGuarded(F&& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        presentError(QString::fromUtf8(e.what()));
    }
}

}  // namespace kd
