#include "lanupload.h"
#include "mpfsupload.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kd::lan;

namespace {
QByteArray fixture(const char* name) {
    QFile file(QStringLiteral(KD_LAN_FIXTURES "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("fixture %s missing", name);
    return file.readAll();
}

const QDateTime kFixtureTime(QDate(2026, 12, 5), QTime(14, 30, 5, 7));
}  // namespace

class TestMpfsUpload : public QObject {
    Q_OBJECT
private slots:
    void boundaryLayout();
    void boundariesOfTwoUploadsDiffer_data();
    void boundariesOfTwoUploadsDiffer();
    void bodyMatchesFixture();
    void headersMatchFixture();
    void cabinetTakesTheBody();
    void addressField_data();
    void addressField();
    void readImageFile();
    void missingImageFileGivesOpenError();
};

void TestMpfsUpload::boundaryLayout() {
    const QByteArray b = uploadBoundary(kFixtureTime);
    QCOMPARE(b.size(), 42);
    QCOMPARE(b, QByteArray(27, '-') + "120526143005007");
    // The hour is written in 24-hour form.
    QCOMPARE(uploadBoundary(QDateTime(QDate(2027, 1, 31), QTime(23, 59, 59, 999))),
             QByteArray(27, '-') + "013127235959999");
}

void TestMpfsUpload::boundariesOfTwoUploadsDiffer_data() {
    QTest::addColumn<QDateTime>("second");
    QTest::newRow("a second later") << kFixtureTime.addSecs(1);
    QTest::newRow("a millisecond later") << kFixtureTime.addMSecs(1);
    QTest::newRow("a day later") << kFixtureTime.addDays(1);
}

void TestMpfsUpload::boundariesOfTwoUploadsDiffer() {
    QFETCH(QDateTime, second);
    QVERIFY(uploadBoundary(kFixtureTime) != uploadBoundary(second));
}

void TestMpfsUpload::bodyMatchesFixture() {
    const QByteArray body =
        uploadBody(uploadBoundary(kFixtureTime), QStringLiteral("/opt/kd7634/MPFSImg2.bin"),
                   fixture("sample_image.bin"));
    QCOMPARE(body, fixture("upload_body.bin"));
}

void TestMpfsUpload::headersMatchFixture() {
    const QByteArray body = fixture("upload_body.bin");
    QByteArray text;
    for (const auto& [name, value] : uploadHeaders(uploadBoundary(kFixtureTime), body.size()))
        text += name + ": " + value + "\r\n";
    QCOMPARE(text, fixture("upload_headers.txt"));
}

// The virtual cabinet's independent reading of the upload must find the image
// unchanged, also when the image holds CR LF, hyphens and zero bytes.
void TestMpfsUpload::cabinetTakesTheBody() {
    const QByteArray boundary = uploadBoundary(kFixtureTime);
    const QByteArray image = fixture("sample_image.bin");
    const QByteArray contentType = uploadHeaders(boundary, 0).at(0).second;
    const kd::sim::MpfsUploadCheck check = kd::sim::checkMpfsUpload(
        contentType, uploadBody(boundary, QStringLiteral("/opt/kd7634/MPFSImg2.bin"), image));
    QVERIFY2(check.ok, qPrintable(check.reason));
    QCOMPARE(check.image, image);
    QCOMPARE(check.fileName, QByteArray("/opt/kd7634/MPFSImg2.bin"));

    const kd::sim::MpfsUploadCheck truncated =
        kd::sim::checkMpfsUpload(contentType, fixture("upload_body.bin").chopped(8));
    QVERIFY(!truncated.ok);
}

void TestMpfsUpload::addressField_data() {
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<QString>("url");

    QTest::newRow("empty mask") << "   .   .   .   " << true << "";
    QTest::newRow("full address") << "192.168.100.200" << false
                                  << "http://192.168.100.200/mpfsupload";
    QTest::newRow("short parts padded by the mask")
        << "192.168.1  .20 " << false << "http://192.168.1.20/mpfsupload";
    QTest::newRow("partly filled passes the check")
        << "192.168.1  .   " << false << "http://192.168.1./mpfsupload";
}

void TestMpfsUpload::addressField() {
    QFETCH(QString, shown);
    QFETCH(bool, empty);
    QFETCH(QString, url);
    QCOMPARE(isEmptyAddressField(shown), empty);
    if (!empty)
        QCOMPARE(uploadUrl(addressFromField(shown)), url);
}

void TestMpfsUpload::readImageFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MPFSImg2.bin"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(fixture("sample_image.bin"));
    file.close();
    QByteArray bytes;
    QString error;
    QVERIFY(kd::lan::readImageFile(path, &bytes, &error));
    QCOMPARE(bytes, fixture("sample_image.bin"));
}

void TestMpfsUpload::missingImageFileGivesOpenError() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MPFSImg2.bin"));
    QByteArray bytes("untouched");
    QString error;
    QVERIFY(!kd::lan::readImageFile(path, &bytes, &error));
    QCOMPARE(bytes, QByteArray("untouched"));
    const QString prefix = QStringLiteral("Datei %1 kann nicht geöffnet werden. ").arg(path);
    QVERIFY2(error.startsWith(prefix) && error.size() > prefix.size(), qPrintable(error));
}

QTEST_APPLESS_MAIN(TestMpfsUpload)
#include "test_mpfsupload.moc"
