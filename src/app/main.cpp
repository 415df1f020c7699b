#include "errorbox.h"
#include "picturebutton.h"
#include "program.h"
#include "programwindows.h"

int main(int argc, char** argv) {
    kd::Application app(argc, argv);
    kd::ensureIconResources();
    app.setApplicationName(QStringLiteral("kd7634"));
    app.setApplicationDisplayName(QStringLiteral("KD7634"));
    // Only the start window ends the program, even while others are visible.
    app.setQuitOnLastWindowClosed(false);

    kd::Program program;
    kd::showWindow(kd::windows().Introform);
    return app.exec();
}
