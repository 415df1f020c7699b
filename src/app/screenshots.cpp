// kd7634-screenshots <folder> [--language <index>] [--wait <seconds>]
// Creates the program's windows as the program does, shows each one and
// saves it as <folder>/<object name>.png, so a reviewer can see every window
// without a desktop. With --wait it lets the event loop run first (a virtual
// cabinet named by KD7634_VIRTUAL_CABINET then fills the console and charts).
#include "errorbox.h"
#include "introform.h"
#include "program.h"
#include "programwindows.h"
#include "tabwahlform.h"

#include <QComboBox>
#include <QCommandLineParser>
#include <QDate>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

namespace {

void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool save(QWidget* w, const QString& file) {
    kd::showWindow(w);
    settle(300);
    const bool ok = w->grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    kd::Application app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("Where the PNG files go."));
    parser.addOption({QStringLiteral("language"), QStringLiteral("Language box index."),
                      QStringLiteral("index")});
    parser.addOption({QStringLiteral("wait"), QStringLiteral("Seconds to run first."),
                      QStringLiteral("seconds")});
    parser.addHelpOption();
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    const QDir folder(parser.positionalArguments().first());
    QDir().mkpath(folder.path());
    kd::setErrorPresenter(
        [](const QString& text) { std::fprintf(stderr, "error box: %s\n", qPrintable(text)); });

    kd::Program program;
    kd::ProgramWindows& w = kd::windows();
    if (parser.isSet(QStringLiteral("language"))) {
        auto* box = const_cast<QComboBox*>(w.Sprachwahl);
        box->setCurrentIndex(parser.value(QStringLiteral("language")).toInt());
        static_cast<TIntroform*>(w.Introform)->SprachwahlChange();
    }
    kd::showWindow(w.Introform);
    kd::showWindow(w.SchrankForm);
    settle(parser.value(QStringLiteral("wait")).toInt() * 1000 + 200);

    bool ok = true;
    ok &= save(w.Introform, folder.filePath(QStringLiteral("Introform.png")));
    ok &= save(w.SchrankForm, folder.filePath(QStringLiteral("SchrankForm.png")));
    if (auto* tabs = w.SchrankForm->findChild<QTabWidget*>(QStringLiteral("PageControl1"))) {
        tabs->setCurrentIndex(1);
        ok &= save(w.SchrankForm, folder.filePath(QStringLiteral("SchrankForm-LAN.png")));
        tabs->setCurrentIndex(0);
    }
    for (QWidget* window : {w.InternForm, w.GraphForm, w.tabwahlform, w.TabverwaltungForm})
        ok &= save(window, folder.filePath(window->objectName() + QStringLiteral(".png")));

    // The history chart as a user reaches it: the year overview of the first
    // cabinet for this year (the empty chart without a database).
    auto* selection = static_cast<Ttabwahlform*>(w.tabwahlform);
    kd::showWindow(selection);
    if (auto* year = selection->findChild<QLineEdit*>(QStringLiteral("MaskEdit1"))) {
        kd::runGuarded([&] {
            selection->chooseCabinet(0);
            year->setText(QString::number(QDate::currentDate().year()));
            selection->Image1Click();
        });
    }
    ok &= save(w.Mainform, folder.filePath(QStringLiteral("Mainform.png")));
    return ok ? 0 : 1;
}
