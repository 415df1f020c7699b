#include "datamodule1.h"

#include "errorbox.h"
#include "historysql.h"
#include "programwindows.h"
#include "tabledataset.h"

#include <QComboBox>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <atomic>

namespace {
QString uniqueConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("kd_DataModule1_%1").arg(counter++);
}
}  // namespace

void Statement::execute() {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (!db.isOpen())
        throw kd::Error(QStringLiteral("Die Datenbank ist nicht geöffnet."));
    QSqlQuery query(db);
    if (!query.exec(sql_))
        throw kd::Error(query.lastError().text());
    query.finish();
}

TDataModule1::TDataModule1(QObject* parent)
    : QObject(parent),
      connectionName_(uniqueConnectionName()),
      ZQuery1(connectionName_),
      ZQuery3(connectionName_),
      ZQuery2(connectionName_) {
    setObjectName(QStringLiteral("DataModule1"));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
    ZTable1 = new kd::history::TableDataset(QStringLiteral("Schraenke"), db, this);
    ZTable2 = new kd::history::TableDataset(QStringLiteral("Fehler"), db, this);
    DataSource2 = new kd::history::RecordSource(ZTable1, QStringLiteral("mac"), this);
    ZQuery3.setSql(kd::history::loggerSettingsSql());
    kd::runGuarded([this] { DataModuleCreate(); });
}

TDataModule1::~TDataModule1() {
    delete DataSource2;
    delete ZTable1;
    delete ZTable2;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
}

bool TDataModule1::isConnected() const {
    return QSqlDatabase::database(connectionName_, false).isOpen();
}

void TDataModule1::DataModuleCreate() {
    const QString path = kd::history::databasePath();
    if (!QFileInfo(path).isFile())
        return;
    path_ = path;
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    // Opened as a URI with mode=rw: read-write, and the engine refuses rather
    // than creates a file that vanished after the check above.
    QUrl uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    uri.setQuery(QStringLiteral("mode=rw"));
    db.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db.open())
        throw kd::Error(db.lastError().text());
    ZTable1->open();
    DataSource2->mapper()->toFirst();
    ZTable2->open();
    ZQuery3.open();
}

TDataModule1* TDataModule1::instance() {
    return qobject_cast<TDataModule1*>(kd::windows().DataModule1);
}

void TDataModule1::fillCabinetList(QComboBox* box) const {
    box->clear();
    if (!ZTable1 || !ZTable1->isActive())
        return;
    const int alias = ZTable1->fieldIndex(QStringLiteral("alias"));
    const int mac = ZTable1->fieldIndex(QStringLiteral("mac"));
    for (int r = 0; r < ZTable1->rowCount(); ++r)
        box->addItem(ZTable1->data(ZTable1->index(r, alias)).toString(),
                     ZTable1->data(ZTable1->index(r, mac)));
}
