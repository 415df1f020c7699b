// The default error box: an error that leaves an event handler ends that
// handler only, its text is shown, and the program goes on.
#include "errorbox.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

class TestErrorBox : public QObject {
    Q_OBJECT

private slots:
    void init() {
        shown_.clear();
        kd::setErrorPresenter([this](const QString& text) { shown_ << text; });
    }
    void cleanup() { kd::setErrorPresenter({}); }

    void errorLeavingATimerHandlerIsShownAndLaterEventsRun() {
        int before = 0;
        bool after = false;
        QTimer::singleShot(0, this, [&before] {
            before = 1;
            throw kd::Error(QStringLiteral("Datei kann nicht geöffnet werden"));
        });
        QTimer::singleShot(5, this, [&after] { after = true; });
        QTRY_VERIFY(after);
        QCOMPARE(before, 1);  // what the handler did before the error stays
        QCOMPARE(shown_, QStringList{QStringLiteral("Datei kann nicht geöffnet werden")});
    }

    void errorLeavingAClickHandlerIsShown() {
        QPushButton button;
        connect(&button, &QPushButton::clicked, this,
                [] { throw std::runtime_error("conversion error"); });
        button.show();
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(shown_, QStringList{QStringLiteral("conversion error")});
        // The button still works after the error.
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(shown_.size(), 2);
    }

    void runGuardedShowsAndContinues() {
        bool continued = false;
        kd::runGuarded([] { throw kd::Error(QStringLiteral("no such table")); });
        continued = true;
        QVERIFY(continued);
        QCOMPARE(shown_, QStringList{QStringLiteral("no such table")});
    }

private:
    QStringList shown_;
};

int main(int argc, char** argv) {
    // The guard lives in the application object, so the test runs under ours.
    kd::Application app(argc, argv);
    TestErrorBox test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_errorbox.moc"
