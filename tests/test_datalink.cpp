#include "base/TabrixDefs.h"
#include "base/TabrixError.h"
#include "register/RecordStore.h"
#include "tests/TestSupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace Tabrix;

namespace {
QString connectError(const QString &udl)
{
    Support::ProgramFolder folder;
    RecordStore store{folder.station};
    try {
        store.Connect(udl);
    } catch (const ETabrixError &e) {
        EXPECT_FALSE(store.connected());
        return e.message();
    }
    return QString();
}

QByteArray utf16(const QString &text)
{
    return QStringEncoder(QStringEncoder::Utf16LE).encode(text);
}
} // namespace

TEST(DataLink, BadLinksAndRegistersFailWithAMessageNamingTheFault)
{
    struct Case {
        const char *name;
        QByteArray udl; // null: no data link file
        QByteArray db;  // written as tabrix.db when not null
        const char *message;
    };
    const QByteArray link = "Provider=SQLite;Data Source=tabrix.db\n";
    const Case cases[] = {
        {"missing file", QByteArray(), QByteArray(), "does not exist"},
        {"empty file", "", QByteArray(), "holds no connection string"},
        {"only comments", "[oledb]\n; nothing here\n", QByteArray(), "holds no connection string"},
        {"binary", QByteArray("\x7f\x45\x4c\x46\x02\x01\x01\x00\x00\xff\xfe\x00", 12), QByteArray(), "holds no connection string"},
        {"UTF-16 without its mark", utf16("Provider=SQLite;Data Source=tabrix.db"), QByteArray(), "names no Provider"},
        {"unknown provider", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=tabrix.mdb\n", QByteArray(),
         "unknown provider \"Microsoft.Jet.OLEDB.4.0\""},
        {"no data source", "Provider=SQLite\n", QByteArray(), "names no Data Source"},
        {"missing register", link, QByteArray(), "tabrix.db does not exist"},
        {"not a database", link, QByteArray(4096, 'x'), "file is not a database"},
        {"no tests table", link, "create", "The register has no table \"tests\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Support::ProgramFolder folder;
        if (!c.udl.isNull())
            folder.writeFile("tabrix.udl", c.udl);
        if (c.db == "create") {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "half");
            db.setDatabaseName(folder.path("tabrix.db"));
            ASSERT_TRUE(db.open());
            QSqlQuery(db).exec("CREATE TABLE patients (Order_id INTEGER PRIMARY KEY, AccnNum INTEGER)");
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase("half");
        } else if (!c.db.isNull()) {
            folder.writeFile("tabrix.db", c.db);
        }
        const QString message = connectError(folder.path("tabrix.udl"));
        EXPECT_TRUE(message.contains(QString::fromLatin1(c.message))) << qPrintable(message);
    }
}

TEST(DataLink, ReadsTheClassicShapeInEitherEncoding)
{
    const QString text = "[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n"
                         " provider = sqlite ; DATA SOURCE = tabrix.db ;Port=5432\r\n";
    for (const QByteArray &bytes : {text.toUtf8(), QByteArray("\xFF\xFE") + utf16(text)}) {
        Support::ProgramFolder folder;
        folder.createRegister();
        folder.writeFile("tabrix.udl", bytes);
        RecordStore store{folder.station};
        store.Connect(folder.path("tabrix.udl"));
        EXPECT_TRUE(store.connected());
        EXPECT_TRUE(store.tblPatients.active());
        EXPECT_TRUE(store.tblTests.active());
    }
}
