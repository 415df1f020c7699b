#include "errorbox.h"

#include <QMessageBox>

namespace kd {

namespace {
ErrorPresenter& presenter()
{
    static ErrorPresenter p;
    return p;
}
}  // namespace

Error::Error(const QString& message) : std::runtime_error(message.toStdString()) {}

void setErrorPresenter(ErrorPresenter p)
{
    presenter() = std::move(p);
}

void presentError(const QString& message)
{
    if (presenter()) {
        presenter()(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), message,
                    QMessageBox::Ok);
    box.exec();
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        presentError(QString::fromUtf8(e.what()));
    } catch (...) {
        presentError(QStringLiteral("Unbekannter Fehler"));
    }
    return false;
}

}  // namespace kd
