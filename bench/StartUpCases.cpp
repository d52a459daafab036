#define SQLITE_HAS_CODEC 1
#include "Cases.h"
#include "Context.h"

#include "common/ui/Page.h"
#include "locations/clsLocations.h"
#include "locations/ui/LocationTreeView.h"
#include "shell/StartUp.h"
#include "shell/ui/Program.h"
#include "shell/ui/frmVemora.h"
#include "store/Collation.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QApplication>
#include <QDir>
#include <QTreeWidgetItemIterator>

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace bench {

namespace {

int compareUnicase(void*, int lenA, const void* a, int lenB, const void* b) {
    return store::compareText(QString::fromUtf8(static_cast<const char*>(a), lenA),
                              QString::fromUtf8(static_cast<const char*>(b), lenB));
}

// A connection of the engine's own, closed when let go.
struct RawConnection {
    ~RawConnection() { sqlite3_close_v2(handle); }
    sqlite3* handle = nullptr;
};

// Opens and keys the file and reads its header, as the store's open does
// before anything else (the key derivation is most of the cost): with the
// new page size, and the old one when the first page does not read with
// it. Gives the connection the text order that the program's statements
// name.
std::unique_ptr<RawConnection> rawOpen(const QString& path) {
    std::unique_ptr<RawConnection> connection;
    for (const int pageSize : {store::PageSize, store::OldPageSize}) {
        connection = std::make_unique<RawConnection>();
        const QByteArray file = path.toUtf8();
        if (sqlite3_open_v2(file.constData(), &connection->handle, SQLITE_OPEN_READWRITE,
                            nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path.toStdString());
        const QByteArray key = store::DatabaseKey.toUtf8();
        if (sqlite3_key(connection->handle, key.constData(), static_cast<int>(key.size())) !=
            SQLITE_OK)
            throw std::runtime_error("cannot key " + path.toStdString());
        try {
            stepThrough(connection->handle,
                        {{QStringLiteral("PRAGMA cipher_page_size = %1").arg(pageSize), {}},
                         {QStringLiteral("SELECT count(*) FROM sqlite_master"), {}}});
            break;
        } catch (const store::DbError& error) {
            if (error.number() != SQLITE_NOTADB || pageSize == store::OldPageSize)
                throw;
        }
    }
    if (sqlite3_create_collation_v2(connection->handle, "UNICASE", SQLITE_UTF8, nullptr,
                                    compareUnicase, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot add the collation");
    return connection;
}

int treeRows(QWidget* page) {
    int rows = 0;
    auto* tree = page->findChild<locations::LocationTreeView*>();
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        ++rows;
    return rows;
}

} // namespace

void addStartUpCases(Bench& bench, Context& context) {
    const QString dir = context.startUpDirectory();
    const QString file = QDir(dir).filePath(store::DatabaseFileName);
    auto opened = std::make_shared<std::unique_ptr<store::Database>>();
    auto program = std::make_shared<std::unique_ptr<shell::Program>>();
    auto raw = std::make_shared<std::unique_ptr<RawConnection>>();

    const QString server = context.server();
    Case open;
    open.name = server.isEmpty() ? QStringLiteral("open + key derivation")
                                 : QStringLiteral("connect + schema check");
    open.run = [&context, opened, dir, server] {
        *opened = server.isEmpty() ? shell::OpenAssetDatabase(dir, context.messages())
                                   : shell::OpenServerRegister(server, context.messages(), {});
        if (!*opened)
            throw std::runtime_error("the database did not open");
    };
    open.after = [opened, raw] {
        opened->reset();
        raw->reset();
    };
    if (server.isEmpty())
        open.raw = [raw, file] {
            *raw = rawOpen(file);
        };
    bench.add(open);

    Case start;
    start.name = QStringLiteral("start-up to main window shown");
    start.run = [&context, program, dir] {
        *program =
            std::make_unique<shell::Program>(context.messages(), context.clock(), context.files());
        if (!(*program)->Main(context.startOptions(dir)))
            throw std::runtime_error("start-up failed");
        QApplication::processEvents();
    };
    start.rows = [program] {
        return treeRows((*program)->mainWindow()->page(0));
    };
    start.after = [program, raw] {
        program->reset();
        raw->reset();
    };
    if (server.isEmpty())
        start.raw = [raw, file] {
            *raw = rawOpen(file);
            stepThrough((*raw)->handle, locationTopStatements());
        };
    bench.add(start);

    // The check for locations without a place that follows the first fill:
    // a slice of it, as the window runs one at each turn of its event loop,
    // and the whole check.
    for (const bool whole : {false, true}) {
        auto found = std::make_shared<int>(0);
        Case check;
        check.name = whole ? QStringLiteral("locations' places checked, whole")
                           : QStringLiteral("locations' places checked, one slice");
        check.run = [&context, whole, found] {
            locations::clsLocations logic(context.db(), context.messages());
            std::optional<locations::PlacesCheck> places = logic.StartPlacesCheck();
            if (!places)
                throw std::runtime_error("no check is due on a fresh connection's logic");
            while (!logic.ContinuePlacesCheck(*places, locations::clsLocations::PlacesCheckSlice) &&
                   whole) {
            }
            *found = static_cast<int>(places->found.size());
        };
        check.rows = [found] {
            return *found;
        };
        bench.add(check);
    }
}

} // namespace bench
