// The help-desk mail below the windows: temporary names, the texts, and the
// hand-over to a stand-in mail program on PATH.

#include "helpdeskmail.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestHelpdeskMail : public QObject {
    Q_OBJECT
private slots:
    void init() { m_path = qgetenv("PATH"); }
    void cleanup() {
        qputenv("PATH", m_path);
        qunsetenv("TMPDIR");
    }
    void tempNamesAreNewAndNeverReused();
    void tempFolderMissing_data();
    void tempFolderMissing();
    void notFoundText();
    void failureBoxText();
    void resultTexts_data();
    void resultTexts();
    void mailProgramOutcome_data();
    void mailProgramOutcome();

private:
    QByteArray m_path;
};

void TestHelpdeskMail::tempNamesAreNewAndNeverReused() {
    QTemporaryDir tmp;
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    QSet<QString> names;
    const QRegularExpression pattern(QStringLiteral("^KWB[0-9A-F]{1,4}\\.tmp$"));
    for (int i = 0; i < 50; ++i) {
        const QString name = kd::mail::MakeTempFileName();
        const QFileInfo info(name);
        QVERIFY2(pattern.match(info.fileName()).hasMatch(), qPrintable(name));
        QCOMPARE(info.absolutePath(), QFileInfo(tmp.path()).absoluteFilePath());
        QVERIFY(info.exists());
        QCOMPARE(info.size(), 0);
        QVERIFY(!names.contains(name));
        names.insert(name);
    }
}

void TestHelpdeskMail::tempFolderMissing_data() {
    QTest::addColumn<bool>("plainFile");
    QTest::newRow("folder does not exist") << false;
    QTest::newRow("folder is a plain file") << true;
}

void TestHelpdeskMail::tempFolderMissing() {
    // No name can be made in the temporary folder: the caller learns it, and
    // no file appears anywhere else (such as the working folder).
    QFETCH(bool, plainFile);
    QTemporaryDir tmp;
    QTemporaryDir work;
    const QString oldCwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work.path()));
    QString folder = tmp.filePath(QStringLiteral("gone"));
    if (plainFile) {
        QFile f(folder);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    qputenv("TMPDIR", QFile::encodeName(folder));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, kd::mail::MakeTempFileName());
    QDir::setCurrent(oldCwd);
    QVERIFY(QDir(work.path()).entryList(QDir::Files).isEmpty());
}

void TestHelpdeskMail::notFoundText() {
    // An empty PATH: the mail system must not even be looked for.
    qputenv("PATH", "");
    const QString name = QStringLiteral("/nonexistent/KWB12.tmp");
    QCOMPARE(kd::mail::SendFileByMail(name, "s", "b", "a@b.example", "n"),
             QStringLiteral("File \"/nonexistent/KWB12.tmp\" not found!"));
}

void TestHelpdeskMail::failureBoxText() {
    const QString text = kd::mail::failureMessage(QStringLiteral("X"));
    QCOMPARE(text.toLatin1(), QByteArray("Die Datei konnte nicht per E-Mail versendet werden!"
                                         "\x0A\x0D\x0A\x0D"
                                         "Meldung:"
                                         "\x0A\x0D"
                                         "X"));
}

void TestHelpdeskMail::resultTexts_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("success") << 0 << "";
    QTest::newRow("user abort") << 1 << "The user canceled one of the dialog boxes!";
    QTest::newRow("failure") << 2 << "One or more unspecified errors occurred!";
    QTest::newRow("attachment not found") << 11 << "The specified attachment was not found!";
    QTest::newRow("text too large") << 18 << "The text in the message was too large to sent!";
    QTest::newRow("ambiguous")
        << 21
        << "A recipient matched more than one of the recipient descriptor structures and "
           "MAPI_DIALOG was not set!";
    // Regression: other failures passed silently, as if the mail had gone out.
    QTest::newRow("disk full is reported") << 4 << "The mail could not be sent (error 4)!";
    QTest::newRow("access denied is reported") << 6 << "The mail could not be sent (error 6)!";
    QTest::newRow("mail system missing")
        << int(kd::mail::kMailSystemUnavailable) << "No mail program could be loaded or started!";
}

void TestHelpdeskMail::resultTexts() {
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(kd::mail::mailErrorText(code), text);
}

void TestHelpdeskMail::mailProgramOutcome_data() {
    QTest::addColumn<QString>("script");  // empty: no xdg-email on PATH
    QTest::addColumn<int>("code");
    QTest::newRow("sent") << "exit 0" << int(kd::mail::kSuccess);
    QTest::newRow("missing") << "" << int(kd::mail::kMailSystemUnavailable);
    QTest::newRow("no mail client") << "exit 3" << int(kd::mail::kMailSystemUnavailable);
    QTest::newRow("syntax") << "exit 1" << int(kd::mail::kFailure);
    QTest::newRow("file missing") << "exit 2" << int(kd::mail::kAttachmentNotFound);
    QTest::newRow("action failed") << "exit 4" << int(kd::mail::kFailure);
    QTest::newRow("no permission") << "exit 5" << int(kd::mail::kAttachmentOpenFailure);
    QTest::newRow("killed") << "kill -9 $$" << int(kd::mail::kFailure);
}

void TestHelpdeskMail::mailProgramOutcome() {
    QFETCH(QString, script);
    QFETCH(int, code);
    QTemporaryDir bin;
    if (!script.isEmpty()) {
        QFile f(bin.filePath(QStringLiteral("xdg-email")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(("#!/bin/sh\n" + script + "\n").toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    }
    qputenv("PATH", QFile::encodeName(bin.path()));
    kd::mail::MailMessage m;
    m.subject = QStringLiteral("KR7630-48 - Hilfe");
    m.body = QStringLiteral("body");
    m.recipientAddress = QString::fromUtf8(kd::mail::kHelpdeskAddress);
    m.attachment = bin.filePath(QStringLiteral("a.tmp"));
    QCOMPARE(kd::mail::sendMailPlatform(m), code);
}

QTEST_GUILESS_MAIN(TestHelpdeskMail)
#include "tst_helpdeskmail.moc"
