#include "LoadHarness.h"

#include "allocation/clsAllocations.h"
#include "assets/clsStock.h"
#include "common/Clock.h"
#include "common/Messages.h"
#include "common/NodeKey.h"
#include "locations/clsLocations.h"
#include "seed/Seed.h"
#include "shell/DatabaseCheck.h"
#include "shell/RegisterCopy.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace bench {

namespace {

// How many of a location's items the allocation page reads as it opens.
constexpr int FirstItemsShown = 200;

using Steady = std::chrono::steady_clock;

enum Op { Move, Add, Modify, Remove, Rebuild, RebuildAllocation, OpCount };
const char* const OpNames[OpCount] = {"move",
                                      "add (colliding codes)",
                                      "modify",
                                      "two-stage removal",
                                      "page rebuild: location",
                                      "page rebuild: allocation"};

// The items most clients aim at, the rest of the shared set, the colliding
// codes and the places they go.
constexpr int HotItems = 5;
constexpr int SharedItems = 200;
constexpr int TargetCount = 40;
constexpr int Codes = 40;
const QString CodePrefix = QStringLiteral("LOAD-");

// Answers Yes to every question, as a user going ahead would, and keeps
// every other message for the client to judge.
class ClientMessages : public common::Messages {
public:
    QStringList take() { return std::exchange(shown_, {}); }

protected:
    bool present(common::MessageKind kind, const QString& text) override {
        if (kind != common::MessageKind::Question)
            shown_ << text;
        return true;
    }

private:
    QStringList shown_;
};

// A conflict as the user is told of it: one of the messages that say
// another user got there first, or the add's own duplicate refusal.
bool isConflictMessage(const QString& text) {
    return text == common::ChangedByAnotherUser || text == common::RemovedByAnotherUser ||
           text == common::StockCodeAddedByAnotherUser ||
           (text.startsWith(QLatin1String("The Stock Code: ") + CodePrefix) &&
            text.endsWith(QLatin1String(", already exists - unable to add")));
}

struct Sample {
    Op op;
    double ms;
    bool committed;
    bool conflict;
    std::int64_t retries;
};

struct MoveDone {
    int item;
    int from;
    int to;
};

struct Shared {
    QString uri;
    std::vector<int> items; // the first HotItems are the hot ones
    std::vector<int> targets;
    QHash<int, QString> locDesc;
    QHash<int, int> startLoc;
    int product = 0;
    int pauseMs = 0;
    Steady::time_point end;
};

struct ClientResult {
    std::vector<Sample> samples;
    std::vector<MoveDone> moves;
    QStringList unexpected;
};

void runClient(const Shared& s, int index, ClientResult& out) {
    const std::unique_ptr<store::Database> db = store::Database::connectServer(s.uri);
    ClientMessages messages;
    common::SystemClock clock;
    assets::clsStock stock(*db, messages, clock);
    allocation::clsAllocations allocations(*db, messages, clock);
    locations::clsLocations locations(*db, messages);
    std::mt19937 rng(static_cast<unsigned>(7919 * (index + 1)));
    const auto pick = [&](int n) {
        return static_cast<int>(rng() % static_cast<unsigned>(n));
    };
    const auto pickItem = [&] {
        return pick(100) < 60
                   ? s.items[static_cast<size_t>(pick(HotItems))]
                   : s.items[static_cast<size_t>(pick(static_cast<int>(s.items.size())))];
    };
    // Where this client's page shows each item: read once, and again only
    // when the page is rebuilt after a conflict, as a user's page would.
    QHash<int, int> shown = s.startLoc;

    while (Steady::now() < s.end) {
        if (s.pauseMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(pick(2 * s.pauseMs + 1)));
        const int roll = pick(100);
        const Op op = roll < 50   ? Move
                      : roll < 65 ? Add
                      : roll < 78 ? Modify
                      : roll < 93 ? Remove
                      : roll < 97 ? Rebuild
                                  : RebuildAllocation;
        const std::int64_t retriesBefore = db->retries();
        const Steady::time_point start = Steady::now();
        bool committed = false;
        int movedItem = 0;
        try {
            switch (op) {
            case Move: {
                const int item = pickItem();
                const int from = shown.value(item);
                int to = s.targets[static_cast<size_t>(pick(static_cast<int>(s.targets.size())))];
                if (to == from)
                    to = s.targets[0] == from ? s.targets[1] : s.targets[0];
                movedItem = item;
                if (allocations.MoveStockLic({QLatin1Char('S'), item, 0},
                                             {QLatin1Char('L'), from, 0},
                                             {QLatin1Char('L'), to, 0})) {
                    committed = true;
                    out.moves.push_back({item, from, to});
                    shown[item] = to;
                }
                break;
            }
            case Add: {
                assets::StockFields f;
                f.prodId = s.product;
                f.code = CodePrefix + QString::number(pick(Codes));
                const int to =
                    s.targets[static_cast<size_t>(pick(static_cast<int>(s.targets.size())))];
                f.locId = to;
                f.locDesc = s.locDesc.value(to);
                committed = stock.AddStock(f).stockId.has_value();
                break;
            }
            case Modify: {
                const int item = pickItem();
                const auto d = stock.GetStockDets(item);
                if (!d)
                    break;
                assets::StockFields f = assets::fieldsOf(*d);
                f.cost = QString::number(pick(100000) / 100.0, 'f', 2);
                committed = stock.ModifyStock(item, f).stockId.has_value();
                break;
            }
            case Remove: {
                store::Query q(*db,
                               QStringLiteral("SELECT Stock_ID FROM Stock WHERE Stock_Code = ?"));
                q.bindAll(CodePrefix + QString::number(pick(Codes)));
                if (!q.next())
                    break;
                const int id = static_cast<int>(q.integer(QStringLiteral("Stock_ID")));
                committed = stock.DeleteStock(id) != assets::StockRemoval::None;
                break;
            }
            case Rebuild: {
                // The location page: its tree, and the contents of one of
                // the places the others move items to and from.
                const int at =
                    s.targets[static_cast<size_t>(pick(static_cast<int>(s.targets.size())))];
                committed = locations.FillUpLocationTree().has_value();
                const assets::LocationContents contents = stock.FillStockListUsingLocation(at);
                break;
            }
            case RebuildAllocation: {
                // The allocation page: the tree, and the items of one of the
                // busy places as the user opens it.
                const int at =
                    s.targets[static_cast<size_t>(pick(static_cast<int>(s.targets.size())))];
                committed = locations.FillUpLocationTree().has_value();
                const auto items = allocations.LocationItemsFrom(at, {}, FirstItemsShown);
                break;
            }
            case OpCount:
                break;
            }
        } catch (const store::DbError& error) {
            messages.reportError(error);
        }
        const double ms = std::chrono::duration<double, std::milli>(Steady::now() - start).count();
        const QStringList said = messages.take();
        bool conflict = !said.isEmpty();
        for (const QString& text : said)
            if (!isConflictMessage(text)) {
                conflict = false;
                out.unexpected << QStringLiteral("%1: %2").arg(QLatin1String(OpNames[op]), text);
            }
        if (conflict && op == Move && movedItem != 0) {
            // The page was rebuilt: it now shows where the item stands.
            store::Query q(*db, QStringLiteral("SELECT Loc_ID FROM Stock WHERE Stock_ID = ?"));
            q.bindAll(movedItem);
            if (q.next())
                shown[movedItem] = static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
        }
        out.samples.push_back({op, ms, committed, conflict, db->retries() - retriesBefore});
    }
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

// The items, places and product the clients share, read from the register.
Shared prepare(store::Database& db) {
    Shared s;
    {
        store::Query q(db, QStringLiteral("SELECT Loc_ID, Loc_Desc FROM Locations"));
        while (q.next())
            s.locDesc.insert(static_cast<int>(q.integer(QStringLiteral("Loc_ID"))),
                             q.text(QStringLiteral("Loc_Desc")));
    }
    {
        // Live places under "Available Locations" whose name no other
        // location has, so that a history row names one place.
        store::Query q(db,
                       QStringLiteral("SELECT min(Loc_ID) AS id FROM Locations WHERE Loc_Top = ? "
                                      "AND Loc_Level > 1 GROUP BY Loc_Desc HAVING count(*) = 1 "
                                      "ORDER BY min(Loc_ID) LIMIT ?"));
        q.bindAll(store::loc::AvailableLocations, TargetCount);
        while (q.next())
            s.targets.push_back(static_cast<int>(q.integer(QStringLiteral("id"))));
    }
    {
        // Stock standing at such places, and so under the branch that a
        // modification keeps it in.
        store::Query q(db,
                       QStringLiteral("SELECT s.Stock_ID, s.Loc_ID FROM Stock s JOIN Locations l "
                                      "ON l.Loc_ID = s.Loc_ID WHERE l.Loc_Top = ? "
                                      "ORDER BY s.Stock_ID LIMIT ?"));
        q.bindAll(store::loc::AvailableLocations, SharedItems);
        while (q.next()) {
            const int item = static_cast<int>(q.integer(QStringLiteral("Stock_ID")));
            s.items.push_back(item);
            s.startLoc.insert(item, static_cast<int>(q.integer(QStringLiteral("Loc_ID"))));
        }
    }
    store::Query q(db, QStringLiteral("SELECT min(Prod_ID) AS id FROM Products"));
    if (q.next())
        s.product = static_cast<int>(q.integer(QStringLiteral("id")));
    if (s.targets.size() < 2 || s.items.size() < static_cast<size_t>(HotItems) || s.product == 0)
        throw std::runtime_error("the register holds too little to work on: seed it first");
    return s;
}

// Every rule the register must keep after the run; one line per break.
QStringList checkInvariants(store::Database& db, const Shared& s, std::int64_t historyBefore,
                            const std::vector<MoveDone>& moves, int* lost, int* doubled) {
    QStringList broken;
    // References, the location tree's rules, unique codes and keys.
    const shell::CheckResult check = shell::checkDatabase(db);
    broken << check.problems;

    // No move lost or doubled: the history rows written for the shared
    // items are exactly the moves reported committed, each from where the
    // item stood when it moved.
    std::map<int, std::vector<QString>> rows;
    {
        store::Query q(db, QStringLiteral("SELECT Stock_Lic_ID, Loc_Desc FROM StockHistory "
                                          "WHERE Type = ? AND rowid > ? ORDER BY rowid"));
        q.bindAll(store::HistoryStock, historyBefore);
        while (q.next())
            rows[static_cast<int>(q.integer(QStringLiteral("Stock_Lic_ID")))].push_back(
                q.text(QStringLiteral("Loc_Desc")));
    }
    std::map<int, std::vector<MoveDone>> reported;
    for (const MoveDone& m : moves)
        reported[m.item].push_back(m);
    for (const int item : s.items) {
        QString at = s.locDesc.value(s.startLoc.value(item));
        std::vector<MoveDone>& left = reported[item];
        for (const QString& row : rows[item]) {
            const auto found = std::find_if(left.begin(), left.end(), [&](const MoveDone& m) {
                return s.locDesc.value(m.from) == at && s.locDesc.value(m.to) == row;
            });
            if (found == left.end()) {
                ++*doubled;
                broken << QStringLiteral("item %1: a history row to %2 from %3 that no reported "
                                         "move made")
                              .arg(item)
                              .arg(row, at);
            } else {
                left.erase(found);
            }
            at = row;
        }
        *lost += static_cast<int>(left.size());
        for (const MoveDone& m : left)
            broken << QStringLiteral("item %1: the move from %2 to %3 left no history row")
                          .arg(item)
                          .arg(s.locDesc.value(m.from), s.locDesc.value(m.to));
    }

    // Each item the clients touched has its newest history row naming the
    // place it stands, and stock stands under "Available Locations" unless
    // removed.
    store::Query q(
        db, QStringLiteral("SELECT s.Stock_ID, s.Stock_Code, s.Loc_ID, l.Loc_Desc, l.Loc_Top, "
                           "(SELECT h.Loc_Desc FROM StockHistory h WHERE h.Type = ? AND "
                           "h.Stock_Lic_ID = s.Stock_ID ORDER BY h.rowid DESC LIMIT 1) "
                           "AS Newest FROM Stock s JOIN Locations l ON l.Loc_ID = "
                           "s.Loc_ID WHERE s.Stock_Code LIKE ? OR s.Stock_ID <= ?"));
    q.bindAll(store::HistoryStock, CodePrefix + QStringLiteral("%"),
              *std::max_element(s.items.begin(), s.items.end()));
    const QSet<int> shared(s.items.begin(), s.items.end());
    while (q.next()) {
        const int item = static_cast<int>(q.integer(QStringLiteral("Stock_ID")));
        if (!shared.contains(item) && !q.text(QStringLiteral("Stock_Code")).startsWith(CodePrefix))
            continue;
        const int loc = static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
        const bool removed = loc == store::loc::RemovedStock;
        const QString expected =
            removed ? QStringLiteral("Removed Stock") : q.text(QStringLiteral("Loc_Desc"));
        if (q.text(QStringLiteral("Newest")) != expected)
            broken << QStringLiteral("item %1 stands at %2 but its newest history row names %3")
                          .arg(item)
                          .arg(expected, q.text(QStringLiteral("Newest")));
        if (!removed && loc != store::loc::AvailableLocations &&
            q.integer(QStringLiteral("Loc_Top")) != store::loc::AvailableLocations)
            broken
                << QStringLiteral("stock item %1 stands outside the available locations").arg(item);
    }
    return broken;
}

// Quiet while the clients work: every message they are shown is counted and
// judged here, not logged one line each.
class QuietErrors {
public:
    QuietErrors() : saved_(dup(STDERR_FILENO)) {
        std::fflush(stderr);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDERR_FILENO);
            close(null);
        }
    }
    ~QuietErrors() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, STDERR_FILENO);
            close(saved_);
        }
    }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

private:
    int saved_;
};

// The URI of another database on the server of uri.
QString withDatabase(const QString& uri, const QString& name) {
    if (uri.contains(QLatin1String("://")))
        return uri + (uri.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?')) +
               QStringLiteral("dbname=") + name;
    return uri + QStringLiteral(" dbname=") + name;
}

int runOn(const LoadOptions& options, const QString& uri) {
    const std::unique_ptr<store::Database> db = store::Database::connectServer(uri);
    Shared shared = prepare(*db);
    shared.uri = uri;
    shared.pauseMs = options.pauseMs;
    std::int64_t historyBefore = 0;
    {
        store::Query q(*db,
                       QStringLiteral("SELECT coalesce(max(rowid), 0) AS n FROM StockHistory"));
        q.next();
        historyBefore = q.integer(QStringLiteral("n"));
    }

    std::vector<ClientResult> results(static_cast<size_t>(options.clients));
    QStringList failures;
    const Steady::time_point start = Steady::now();
    shared.end = start + std::chrono::seconds(options.seconds);
    {
        const QuietErrors quiet;
        std::vector<std::thread> threads;
        for (int i = 0; i < options.clients; ++i)
            threads.emplace_back([&, i] {
                try {
                    runClient(shared, i, results[static_cast<size_t>(i)]);
                } catch (const std::exception& error) {
                    results[static_cast<size_t>(i)].unexpected
                        << QStringLiteral("client %1 stopped: %2")
                               .arg(i)
                               .arg(QString::fromUtf8(error.what()));
                }
            });
        for (std::thread& t : threads)
            t.join();
    }
    const double elapsed = std::chrono::duration<double>(Steady::now() - start).count();

    std::vector<MoveDone> moves;
    std::vector<double> times[OpCount];
    long committed[OpCount] = {}, conflicts[OpCount] = {}, none[OpCount] = {};
    std::int64_t retries[OpCount] = {};
    long total = 0;
    for (const ClientResult& r : results) {
        moves.insert(moves.end(), r.moves.begin(), r.moves.end());
        failures << r.unexpected;
        for (const Sample& sample : r.samples) {
            times[sample.op].push_back(sample.ms);
            committed[sample.op] += sample.committed ? 1 : 0;
            conflicts[sample.op] += sample.conflict ? 1 : 0;
            none[sample.op] += (!sample.committed && !sample.conflict) ? 1 : 0;
            retries[sample.op] += sample.retries;
            ++total;
        }
    }

    std::printf("%s: %d clients for %d s, pausing %d ms on average between operations\n",
                qPrintable(db->describe()), options.clients, options.seconds, options.pauseMs);
    std::printf("%-22s %9s %9s %9s %9s %8s %8s\n", "operation", "committed", "conflicts", "nothing",
                "retries", "p50 ms", "p95 ms");
    for (int op = 0; op < OpCount; ++op)
        std::printf("%-22s %9ld %9ld %9ld %9lld %8.1f %8.1f\n", OpNames[op], committed[op],
                    conflicts[op], none[op], static_cast<long long>(retries[op]),
                    percentile(times[op], 0.5), percentile(times[op], 0.95));
    std::printf("throughput: %.0f operations/s (%ld in %.1f s)\n",
                static_cast<double>(total) / elapsed, total, elapsed);

    int lost = 0;
    int doubled = 0;
    const QStringList broken = checkInvariants(*db, shared, historyBefore, moves, &lost, &doubled);
    std::printf("moves lost: %d, doubled: %d; invariants broken: %lld; messages other than a "
                "conflict's: %lld\n",
                lost, doubled, static_cast<long long>(broken.size()),
                static_cast<long long>(failures.size()));
    for (const QString& line : broken.mid(0, 20))
        std::printf("  broken: %s\n", qPrintable(line));
    for (const QString& line : failures.mid(0, 20))
        std::printf("  message: %s\n", qPrintable(line));
    std::fflush(stdout);
    return broken.isEmpty() && failures.isEmpty() ? 0 : 1;
}

} // namespace

int runLoadHarness(const LoadOptions& options) {
    if (options.seedScale <= 0)
        return runOn(options, options.server);
    // A database of its own beside the one named, seeded, and dropped after.
    const QString name = QStringLiteral("vemora_load_%1").arg(QCoreApplication::applicationPid());
    const std::unique_ptr<store::Database> admin = store::Database::connectServer(options.server);
    admin->run(QStringLiteral("CREATE DATABASE %1").arg(name));
    int status = 1;
    try {
        const QString uri = withDatabase(options.server, name);
        {
            QTemporaryDir dir;
            if (!dir.isValid())
                throw std::runtime_error("no temporary directory for the seeded register");
            const QString file = dir.filePath(store::DatabaseFileName);
            seed::createSeededDatabase(file, options.seedScale);
            const auto from = store::Database::open(file, store::DatabaseKey);
            const auto to = store::Database::connectServer(uri);
            shell::copyRegister(*from, *to);
        }
        status = runOn(options, uri);
    } catch (...) {
        admin->run(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
        throw;
    }
    admin->run(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
    return status;
}

} // namespace bench
