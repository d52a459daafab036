#include "seed/Seed.h"

#include "store/Database.h"
#include "store/FindText.h"
#include "store/Money.h"
#include "store/ExpiryCounts.h"
#include "store/ProductCounts.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>
#include <stdexcept>
#include <variant>
#include <vector>

namespace seed {

namespace {

using std::int64_t;
using std::uint32_t;
using std::uint64_t;

// ------------------------------------------------------------ randomness

// Draws from the raw output of a fixed-seed mt19937, whose sequence the C++
// standard fixes; the std distributions are not portable, so the integer
// arithmetic on top of it is our own.
class Random {
public:
    uint32_t raw() { return static_cast<uint32_t>(engine_()); }

    // Uniform in [0, n), n > 0, by rejection so that no value is favoured.
    uint64_t below(uint64_t n) {
        if (n <= 0xFFFFFFFFull) {
            const auto n32 = static_cast<uint32_t>(n);
            const uint32_t threshold = (0u - n32) % n32;
            uint32_t r = raw();
            while (r < threshold)
                r = raw();
            return r % n32;
        }
        const uint64_t threshold = (0ull - n) % n;
        uint64_t r = (static_cast<uint64_t>(raw()) << 32) | raw();
        while (r < threshold)
            r = (static_cast<uint64_t>(raw()) << 32) | raw();
        return r % n;
    }

    // Uniform in [lo, hi].
    int64_t between(int64_t lo, int64_t hi) {
        return lo + static_cast<int64_t>(below(static_cast<uint64_t>(hi - lo) + 1));
    }
    int index(size_t size) { return static_cast<int>(below(size)); }
    bool percent(int chance) { return below(100) < static_cast<uint64_t>(chance); }

    template <typename T> void shuffle(std::vector<T>& v) {
        for (size_t i = v.size(); i > 1; --i)
            std::swap(v[i - 1], v[below(i)]);
    }
    template <typename T> const T& pick(const std::vector<T>& v) { return v[below(v.size())]; }

private:
    std::mt19937 engine_{20260101u};
};

// Picks values with fixed integer weights.
class WeightedPick {
public:
    void add(int value, uint64_t weight) {
        total_ += weight;
        values_.push_back(value);
        cumulative_.push_back(total_);
    }
    bool empty() const { return values_.empty(); }
    int pick(Random& rng) const {
        const uint64_t r = rng.below(total_);
        const auto it = std::upper_bound(cumulative_.begin(), cumulative_.end(), r);
        return values_[static_cast<size_t>(it - cumulative_.begin())];
    }

    // A skewed pick: the value of rank r (its place in `ranked`) weighted
    // 1/(r+1) on top of an even share 1/flat, so that the first few are
    // favoured heavily and every one still comes up.
    static WeightedPick skewed(const std::vector<int>& values, uint64_t flat) {
        constexpr uint64_t Unit = 1u << 20;
        WeightedPick p;
        for (size_t rank = 0; rank < values.size(); ++rank)
            p.add(values[rank], Unit / (rank + 1) + Unit / flat);
        return p;
    }

private:
    std::vector<int> values_;
    std::vector<uint64_t> cumulative_;
    uint64_t total_ = 0;
};

// ------------------------------------------------------------------ time

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr int64_t Day = 86400;
const int64_t Base = daysFromCivil(2026, 1, 1) * Day; // the fixed "now"

// Seconds since 1970 as stored text: "yyyy-MM-dd HH:mm:ss", or the date
// alone ("yyyy-MM-dd"). Written digit by digit: the history alone asks for
// one per row.
QString stored(int64_t seconds, bool withTime = true) {
    int64_t days = seconds / Day;
    int64_t rest = seconds % Day;
    if (rest < 0) {
        rest += Day;
        --days;
    }
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const int64_t y = yoe + era * 400 + (m <= 2);
    char text[19];
    const auto put = [&text](int at, int64_t value, int digits) {
        for (int i = at + digits - 1; i >= at; --i, value /= 10)
            text[i] = static_cast<char>('0' + value % 10);
    };
    put(0, y, 4);
    text[4] = '-';
    put(5, m, 2);
    text[7] = '-';
    put(8, d, 2);
    if (!withTime)
        return QString::fromLatin1(text, 10);
    text[10] = ' ';
    put(11, rest / 3600, 2);
    text[13] = ':';
    put(14, rest / 60 % 60, 2);
    text[16] = ':';
    put(17, rest % 60, 2);
    return QString::fromLatin1(text, 19);
}

// A moment during office hours some days before the fixed "now".
int64_t daysBefore(Random& rng, int64_t minDays, int64_t maxDays) {
    return Base - rng.between(minDays, maxDays) * Day + rng.between(8 * 3600, 18 * 3600);
}

// ----------------------------------------------------------------- names

QString u(const char* text) {
    return QString::fromUtf8(text);
}

// Entry i of a list; past its end the entries come round again numbered,
// so that names taken by distinct i are distinct.
QString nth(const std::vector<const char*>& list, size_t i) {
    QString name = u(list[i % list.size()]);
    if (i >= list.size())
        name += QStringLiteral(" ") + QString::number(i / list.size() + 1);
    return name;
}

const std::vector<const char*> Sites = {
    "London Head Office", "Leeds Office",          "Manchester Depot",     "Bristol Office",
    "Glasgow Office",     "Cardiff Office",        "Birmingham Warehouse", "Edinburgh Office",
    "Newcastle Office",   "Belfast Office",        "Nottingham Office",    "Sheffield Office",
    "Zürich Büro",        "München Niederlassung", "Lyon Agence",          "Málaga Oficina",
    "Kraków Office",      "Southampton Office",    "Norwich Office",       "York Data Centre",
    "Exeter Office",      "Aberdeen Office",       "Swansea Office",       "Dublin Office"};
const std::vector<const char*> Floors = {
    "Ground Floor", "First Floor", "Second Floor", "Third Floor", "Fourth Floor",
    "Basement",     "Mezzanine",   "Annexe",       "Goods In",    "Fifth Floor"};
const std::vector<const char*> Departments = {"Finance",
                                              "IT Support",
                                              "Human Resources",
                                              "Sales",
                                              "Marketing",
                                              "Legal",
                                              "Facilities",
                                              "Procurement",
                                              "Customer Services",
                                              "Engineering",
                                              "Research",
                                              "Reception",
                                              "Training",
                                              "Server Room",
                                              "Accounts Payable",
                                              "Payroll",
                                              "Logistics",
                                              "Quality Assurance",
                                              "Comms Room",
                                              "Design Studio",
                                              "Contrôle de Gestion",
                                              "Geschäftsführung",
                                              "Print Room",
                                              "Help Desk"};
const std::vector<const char*> Rooms = {"Room", "Office", "Meeting Room", "Store Room", "Lab"};
const std::vector<const char*> Spots = {"Desk", "Cabinet", "Rack", "Shelf", "Bay"};

const std::vector<const char*> LicenceGroups = {
    "Site Licences",     "Microsoft Agreements", "Adobe Subscriptions", "Design Software",
    "Finance Systems",   "Engineering Tools",    "Volume Licensing",    "Cloud Subscriptions",
    "Academic Licences", "Logiciels Métier",     "Security Software",   "Developer Tools"};
const std::vector<const char*> Projects = {
    "Project Alpha", "Project Beta",  "Project Gamma", "Project Delta",  "Project Epsilon",
    "Project Zeta",  "Project Theta", "Project Kappa", "Project Lambda", "Project Sigma"};
const std::vector<const char*> FirstNames = {"Anna",  "James",  "Zoë",    "Mohammed", "Siobhán",
                                             "Peter", "Chloé",  "Tomasz", "Priya",    "David",
                                             "Léa",   "Oliver", "Jürgen", "Grace",    "Ahmed",
                                             "Emily", "Björn",  "Sarah",  "José",     "Hannah"};
const std::vector<const char*> LastNames = {"Smith",  "Kowalski", "García", "O Brien", "Patel",
                                            "Jones",  "Müller",   "Dubois", "Nowak",   "Taylor",
                                            "Brontë", "Evans",    "Khan",   "Wilson",  "Lefèvre",
                                            "Hughes", "Novák",    "Walsh",  "Brown",   "Øster"};
const std::vector<const char*> Machines = {"PC", "LT", "VM"};

const std::vector<const char*> RemovedPlaces = {
    "Old Server Room",    "Closed Reading Office", "Former Print Room",  "Old Comms Cupboard",
    "Decommissioned Lab", "Closed Bath Office",    "Old Training Suite", "Former Post Room",
    "Closed Derby Depot", "Old Archive Store"};

struct CategoryInfo {
    const char* name;
    const char* code;
    std::vector<const char*> lines;
};

const std::vector<CategoryInfo> Hardware = {
    {"Laptops", "LAP", {"Dell Latitude", "Lenovo ThinkPad", "HP EliteBook", "Apple MacBook Pro"}},
    {"Desktop Computers", "DTP", {"Dell OptiPlex", "Lenovo ThinkCentre", "HP ProDesk"}},
    {"Monitors",
     "MON",
     {"Dell UltraSharp", "iiyama ProLite", "LG UltraFine", "Samsung ViewFinity"}},
    {"Printers", "PRN", {"HP LaserJet", "Brother HL", "Kyocera ECOSYS", "Canon i-SENSYS"}},
    {"Servers", "SRV", {"Dell PowerEdge", "HPE ProLiant", "Lenovo ThinkSystem"}},
    {"Network Switches", "NSW", {"Cisco Catalyst", "Aruba CX", "Netgear ProSAFE"}},
    {"Mobile Phones", "MOB", {"Apple iPhone", "Samsung Galaxy", "Google Pixel"}},
    {"Tablets", "TAB", {"Apple iPad", "Samsung Galaxy Tab", "Microsoft Surface Go"}},
    {"Docking Stations", "DCK", {"Dell WD", "Lenovo ThinkPad Dock", "HP USB-C Dock"}},
    {"Projectors", "PRJ", {"Epson EB", "BenQ MH", "Optoma HD"}}};

const std::vector<CategoryInfo> Software = {
    {"Operating Systems", "OPS", {"Microsoft Windows", "Red Hat Enterprise Linux", "SUSE Linux"}},
    {"Office Suites", "OFF", {"Microsoft Office", "LibreOffice Support", "WPS Office"}},
    {"Antivirus", "AVS", {"Sophos Endpoint", "ESET PROTECT", "Bitdefender GravityZone"}},
    {"Database Servers", "DBS", {"Microsoft SQL Server", "Oracle Database", "PostgreSQL Support"}},
    {"Accounting Software", "ACC", {"Sage 50 Comptabilité", "Xero", "QuickBooks"}},
    {"CAD Software", "CAD", {"Autodesk AutoCAD", "SolidWorks", "Vectorworks"}},
    {"Graphics and Design", "GFX", {"Adobe Photoshop", "Affinity Designer", "CorelDRAW"}},
    {"Development Tools", "DEV", {"JetBrains IntelliJ IDEA", "Microsoft Visual Studio", "Qt"}},
    {"Backup Software", "BAK", {"Veeam Backup", "Acronis Cyber Protect", "Commvault"}},
    {"Email Services", "EML", {"Microsoft Exchange", "eM Client", "Mimecast"}},
    {"Project Management", "PRM", {"Microsoft Project", "Smartsheet", "monday.com"}},
    {"CRM Systems", "CRM", {"Salesforce Sales Cloud", "HubSpot CRM", "Zoho CRM"}},
    {"ERP Systems", "ERP", {"SAP Business One", "Microsoft Dynamics", "Odoo"}},
    {"Virtualisation", "VRT", {"VMware vSphere", "Citrix Hypervisor", "Proxmox VE"}},
    {"Remote Access", "RMA", {"TeamViewer", "AnyDesk", "Citrix Workspace"}},
    {"Video Conferencing", "VID", {"Zoom Workplace", "Cisco Webex", "GoTo Meeting"}},
    {"PDF Tools", "PDF", {"Adobe Acrobat", "Foxit PDF Editor", "Nitro PDF"}},
    {"Statistics Packages", "STA", {"IBM SPSS Statistics", "Stata", "Minitab"}},
    {"Payroll Software", "PAY", {"Sage Payroll", "BrightPay", "Moneysoft Payroll"}},
    {"HR Systems", "HRS", {"BambooHR", "Personio", "CIPHR"}},
    {"Document Management", "DOC", {"iManage Work", "M-Files", "OpenText"}},
    {"Monitoring Tools", "MNT", {"PRTG Network Monitor", "SolarWinds", "Zabbix Support"}},
    {"Firewall Subscriptions", "FWS", {"Fortinet FortiGuard", "Palo Alto", "SonicWall"}},
    {"Cloud Storage", "CLD", {"Dropbox Business", "Box Business", "Microsoft OneDrive"}},
    {"Password Management", "PWD", {"1Password Business", "Bitwarden", "Keeper"}},
    {"Language Tools", "LNG", {"Antidote Correcteur", "Duden Mentor", "Grammarly Business"}},
    {"Ticketing Systems", "TKT", {"Jira Service Management", "Freshservice", "Zendesk"}},
    {"Mapping and GIS", "GIS", {"Esri ArcGIS", "QGIS Support", "MapInfo Pro"}},
    {"Compilers", "CMP", {"Intel oneAPI", "NAG Fortran", "Embarcadero RAD Studio"}},
    {"Web Browsers Enterprise", "WEB", {"Google Chrome Enterprise", "Mozilla Firefox ESR"}}};

const std::vector<const char*> Editions = {
    "Standard",           "Professional", "Enterprise",         "Team",      "Starter", "Premium",
    "Édition Entreprise", "für Behörden", "Licencia Académica", "Government"};
const std::vector<const char*> ModelSuffixes = {"", "", "", " Pro", " Plus", " Slim", " Gen 2"};

const std::vector<const char*> SupplierFirst = {
    "Northgate", "Pennine",  "Solent",   "Thames Valley", "Albion",  "Chiltern", "Severn",
    "Highland",  "Cotswold", "Mercia",   "Wessex",        "Tyne",    "Meridian", "Atlas",
    "Beacon",    "Crescent", "Summit",   "Harbour",       "Kestrel", "Falcon",   "Orbital",
    "Vertex",    "Elmfield", "Larkspur", "Bramley"};
const std::vector<const char*> SupplierSecond = {
    "Computer Supplies Ltd", "IT Solutions plc", "Systems Ltd",      "Software Ltd",
    "Technology Partners",   "Networks Ltd",     "Office Equipment", "Informatique SARL",
    "Datentechnik GmbH",     "Digital Services"};
const std::vector<const char*> Streets = {
    "Mill Lane",   "High Street",  "Station Road", "Church Street", "Victoria Road",
    "Park Avenue", "Queen Street", "Bridge Road",  "Market Place",  "Riverside Way"};
const std::vector<const char*> Estates = {"Enterprise Park", "Riverside Industrial Estate",
                                          "Business Centre", "Technology Park", "Trading Estate"};

struct Town {
    const char* name;
    const char* county;
    const char* postArea;
    const char* dialling;
};
const std::vector<Town> Towns = {
    {"Leeds", "West Yorkshire", "LS", "0113"},      {"Bristol", "Avon", "BS", "0117"},
    {"Reading", "Berkshire", "RG", "0118"},         {"Manchester", "Lancashire", "M", "0161"},
    {"Birmingham", "West Midlands", "B", "0121"},   {"Nottingham", "Nottinghamshire", "NG", "0115"},
    {"Cambridge", "Cambridgeshire", "CB", "01223"}, {"Southampton", "Hampshire", "SO", "023"},
    {"Glasgow", "Lanarkshire", "G", "0141"},        {"Cardiff", "South Glamorgan", "CF", "029"},
    {"Norwich", "Norfolk", "NR", "01603"},          {"Exeter", "Devon", "EX", "01392"}};

// Letters of licence keys: no I, O, 0 or 1, which readers confuse.
const char KeyLetters[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";

// ------------------------------------------------------------- the seeder

constexpr int MaxLevel = 6;
constexpr int Unset = 0;

int scaled(double base, double scale) {
    return std::max(1, static_cast<int>(std::lround(base * scale)));
}

// Smallest k >= 1 with k^r >= n.
int64_t integerRoot(int64_t n, int r) {
    int64_t k = 1;
    for (;;) {
        int64_t power = 1;
        for (int i = 0; i < r && power < n; ++i)
            power *= k;
        if (power >= n)
            return k;
        ++k;
    }
}

// Rows added to a table many to a statement, as many as the engine's limit
// of 999 values per statement allows: one statement (and one step of the
// engine) per few hundred rows rather than per row. The values of the rows
// not yet written are kept here; finish() writes the last ones.
class BatchInsert {
public:
    using Value = std::variant<std::monostate, int64_t, QString>;

    BatchInsert(store::Database& db, const char* table, const std::vector<const char*>& columns)
        : db_(db), columns_(static_cast<int>(columns.size())),
          rowsPerStatement_(MaxValues / columns_) {
        head_ = QStringLiteral("INSERT INTO %1 (").arg(QString::fromLatin1(table));
        for (size_t c = 0; c < columns.size(); ++c)
            head_ += (c ? QStringLiteral(", ") : QString()) + QString::fromLatin1(columns[c]);
        head_ += QStringLiteral(") VALUES ");
        values_.reserve(static_cast<size_t>(rowsPerStatement_ * columns_));
    }

    // One row: exactly one value per column, in the columns' order.
    template <typename... Args> void add(const Args&... args) {
        if (static_cast<int>(sizeof...(args)) != columns_)
            throw std::logic_error("seed: a row of the wrong width");
        (values_.push_back(value(args)), ...);
        if (static_cast<int>(values_.size()) == rowsPerStatement_ * columns_) {
            if (!full_)
                full_.emplace(db_, statement(rowsPerStatement_));
            write(*full_);
        }
    }

    // Writes the rows not yet written.
    void finish() {
        if (values_.empty())
            return;
        store::Query tail(db_, statement(static_cast<int>(values_.size()) / columns_));
        write(tail);
    }

private:
    static constexpr int MaxValues = 999;

    static Value value(int v) { return static_cast<int64_t>(v); }
    static Value value(int64_t v) { return v; }
    static Value value(const QString& v) { return v; }
    static Value value(store::Money v) { return v.cents(); }
    template <typename T> static Value value(const std::optional<T>& v) {
        return v ? value(*v) : Value();
    }

    QString statement(int rows) const {
        QString row = QStringLiteral("(?");
        for (int c = 1; c < columns_; ++c)
            row += QStringLiteral(", ?");
        row += QLatin1Char(')');
        QString sql = head_;
        for (int r = 0; r < rows; ++r)
            sql += (r ? QStringLiteral(", ") : QString()) + row;
        return sql;
    }

    void write(store::Query& q) {
        int position = 0;
        for (const Value& v : values_) {
            ++position;
            if (const auto* number = std::get_if<int64_t>(&v))
                q.bind(position, *number);
            else if (const auto* text = std::get_if<QString>(&v))
                q.bind(position, *text);
            else
                q.bind(position, store::null);
        }
        const int rows = static_cast<int>(values_.size()) / columns_;
        if (q.execute() != rows)
            throw store::DbError(QStringLiteral("seed: rows were not inserted"), 1);
        q.reset();
        values_.clear();
    }

    store::Database& db_;
    const int columns_;
    const int rowsPerStatement_;
    QString head_;
    std::optional<store::Query> full_;
    std::vector<Value> values_;
};

// The tables filled in bulk lose their indexes and their Find and count
// triggers while the rows go in, and get them back afterwards: an index made
// once over all the rows is sorted in one pass and written page after page,
// where rows added one by one would each walk every index and leave its
// pages all over the file. The Find table and the products' counts are then
// made afresh from all the rows, as their migrations make them.
class BulkLoad {
public:
    BulkLoad(store::Database& db, const QStringList& tables) : db_(db) {
        // A server keeps its indexes and triggers: it has no schema table
        // to put them back from, and builds its indexes as rows come.
        if (db_.onServer())
            return;
        // Names are program constants or read from the schema.
        const QString names =
            QLatin1Char('\'') + tables.join(QStringLiteral("', '")) + QLatin1Char('\'');
        store::Query q(db_, QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE "
                                           "tbl_name IN (%1) AND sql IS NOT NULL AND "
                                           "(type = 'index' OR (type = 'trigger' AND (name LIKE "
                                           "'%Find%' OR name LIKE '%Count%'))) "
                                           "ORDER BY rowid")
                                .arg(names));
        while (q.next())
            taken_.push_back({q.rawText(QStringLiteral("type")), q.rawText(QStringLiteral("name")),
                              q.rawText(QStringLiteral("sql"))});
        for (const Taken& t : taken_)
            db_.run(QStringLiteral("DROP %1 %2").arg(t.type.toUpper(), t.name));
    }

    // Puts the indexes back and makes the Find table and the counts afresh.
    void finish() {
        if (db_.onServer())
            return;
        for (const Taken& t : taken_)
            if (t.type == QLatin1String("index"))
                db_.run(t.sql);
        store::addFindText(db_);
        store::addProductCounts(db_);
        store::addExpiryCounts(db_);
    }

private:
    struct Taken {
        QString type;
        QString name;
        QString sql;
    };
    store::Database& db_;
    std::vector<Taken> taken_;
};

class Seeder {
public:
    Seeder(store::Database& db, const SeedCounts& counts) : db_(db), n_(counts) {}

    SeedResult run() {
        addCategories();
        addSuppliers();
        addProducts();
        addLocations();
        historyRowsLeft_ = n_.history;
        historyMinimumLeft_ = n_.stock + n_.removedStock + n_.licences + n_.removedLicences;
        itemsLeft_ = n_.stock + n_.licences;
        BulkLoad bulk(db_, {QStringLiteral("Stock"), QStringLiteral("Licences"),
                            QStringLiteral("StockHistory")});
        history_.emplace(db_, "StockHistory",
                         std::vector<const char*>{"Stock_Lic_ID", "Loc_Desc", "move_date", "Type"});
        addStock();
        addLicences();
        history_->finish();
        bulk.finish();
        SeedResult result;
        result.counts = n_;
        result.busiestLicenceLocation = busiestLicenceLocation_;
        result.busiestStockLocation = busiestStockLocation_;
        return result;
    }

private:
    // ---- rows and their ids

    int insert(store::Query& q) {
        if (q.execute() != 1)
            throw store::DbError(QStringLiteral("seed: a row was not inserted"), 1);
        q.reset();
        return static_cast<int>(db_.lastInsertId());
    }

    void addCategories() {
        const int hardware = n_.categories >= 2 ? std::max(1, n_.categories / 4) : 1;
        store::Query q(db_, QStringLiteral("INSERT INTO Categories (Cat_Desc) VALUES (?)"));
        for (int c = 0; c < n_.categories; ++c) {
            const bool isHardware = c < hardware;
            const size_t i = static_cast<size_t>(isHardware ? c : c - hardware);
            const auto& table = isHardware ? Hardware : Software;
            const CategoryInfo& info = table[i % table.size()];
            QString name = u(info.name);
            if (i >= table.size())
                name += QStringLiteral(" ") + QString::number(i / table.size() + 1);
            q.bindAll(name);
            const int id = insert(q);
            (isHardware ? hardwareCategories_ : softwareCategories_).push_back({id, &info});
        }
        if (softwareCategories_.empty())
            softwareCategories_ = hardwareCategories_;
    }

    void addSuppliers() {
        store::Query q(
            db_, QStringLiteral("INSERT INTO Suppliers (Supp_Name, Add_1, Add_2, Add_3, Town, "
                                "County, Post_Code, Area, Telephone, FaxArea, Fax, Email, "
                                "Web_Address, Contact, Supp_Date) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        const size_t combos = SupplierFirst.size() * SupplierSecond.size();
        for (int s = 0; s < n_.suppliers; ++s) {
            const size_t i = static_cast<size_t>(s);
            // Walks the pairs so that neighbours differ in both halves.
            const size_t first = i % SupplierFirst.size();
            const size_t second = (i + i / SupplierFirst.size()) % SupplierSecond.size();
            QString name =
                u(SupplierFirst[first]) + QStringLiteral(" ") + u(SupplierSecond[second]);
            if (i >= combos)
                name += QStringLiteral(" ") + QString::number(i / combos + 1);
            // One draw per statement: the order of draws inside one
            // expression would be up to the compiler.
            const Town& town = rng_.pick(Towns);
            QString add1 = QString::number(rng_.between(1, 240));
            add1 += QStringLiteral(" ") + u(rng_.pick(Streets));
            std::optional<QString> add2;
            if (rng_.percent(40))
                add2 = QStringLiteral("Unit ") + QString::number(rng_.between(1, 30));
            std::optional<QString> add3;
            if (rng_.percent(50))
                add3 = u(rng_.pick(Estates));
            QString postCode = u(town.postArea) + QString::number(rng_.between(1, 28));
            postCode += QStringLiteral(" ") + QString::number(rng_.between(1, 9));
            postCode += QLatin1Char(KeyLetters[rng_.index(24)]);
            postCode += QLatin1Char(KeyLetters[rng_.index(24)]);
            const QString phone = telephoneNumber();
            std::optional<QString> faxArea;
            std::optional<QString> fax;
            if (rng_.percent(60)) {
                faxArea = u(town.dialling);
                fax = telephoneNumber();
            }
            const QString domain = domainOf(name);
            QString contact = u(rng_.pick(FirstNames));
            contact += QStringLiteral(" ") + u(rng_.pick(LastNames));
            const QString since = stored(daysBefore(rng_, 30, 3650), false);
            q.bindAll(name, add1, add2, add3, u(town.name), u(town.county), postCode,
                      u(town.dialling), phone, faxArea, fax, QStringLiteral("sales@") + domain,
                      QStringLiteral("www.") + domain, contact, since);
            suppliers_.push_back(insert(q));
        }
    }

    // Digits and a blank, as the telephone boxes accept them.
    QString telephoneNumber() {
        QString number = QString::number(rng_.between(200, 999));
        number += QStringLiteral(" ") + QString::number(rng_.between(1000, 9999));
        return number;
    }

    // "Northgate Computer Supplies Ltd" -> "northgatecomputersupplies.co.uk"
    static QString domainOf(const QString& name) {
        QString out;
        const QString plain = name.normalized(QString::NormalizationForm_D);
        for (const QChar c : plain) {
            if (c.unicode() < 128 && c.isLetterOrNumber())
                out += c.toLower();
        }
        for (const QString& ending : {QStringLiteral("ltd"), QStringLiteral("plc"),
                                      QStringLiteral("gmbh"), QStringLiteral("sarl")})
            if (out.endsWith(ending))
                out.chop(ending.size());
        return out + QStringLiteral(".co.uk");
    }

    std::optional<int> someSupplier(int percentWith) {
        if (suppliers_.empty() || !rng_.percent(percentWith))
            return std::nullopt;
        return rng_.pick(suppliers_);
    }

    void addProducts() {
        const int hardware = std::max(1, n_.products / 6);
        store::Query q(db_, QStringLiteral("INSERT INTO Products (Prod_Code, Prod_Desc, "
                                           "Prod_Cat_ID, Supp_ID, Prod_Cost, Date_Added) "
                                           "VALUES (?, ?, ?, ?, ?, ?)"));
        for (int p = 0; p < n_.products; ++p) {
            const bool isHardware = p < hardware;
            const auto& categories = isHardware ? hardwareCategories_ : softwareCategories_;
            const Category& category = rng_.pick(categories);
            const QString line = u(rng_.pick(category.info->lines));
            QString desc;
            int64_t cost = 0;
            if (isHardware) {
                desc = line + QStringLiteral(" ") + QString::number(1000 + p) +
                       u(rng_.pick(ModelSuffixes));
                cost = rng_.between(25, 2500) * 100;
                if (rng_.percent(60))
                    cost -= 1; // 499.99
            } else {
                desc = line + QStringLiteral(" ") + u(rng_.pick(Editions)) + QStringLiteral(" v") +
                       QString::number(1 + p / 20) + QStringLiteral(".") + QString::number(p % 20);
                cost = rng_.between(5, 900) * 100;
                if (rng_.percent(50))
                    cost += 99;
            }
            const QString code = u(category.info->code) + QStringLiteral("-") +
                                 QString::number(p + 1).rightJustified(5, QLatin1Char('0'));
            const std::optional<int> supplier = someSupplier(85);
            const QString added = stored(daysBefore(rng_, 400, 3000));
            q.bindAll(code, desc, category.id, supplier, store::Money::fromCents(cost), added);
            const int id = insert(q);
            products_.push_back({id, category.info->code, cost, supplier});
            (isHardware ? hardwareProducts_ : softwareProducts_)
                .push_back(static_cast<int>(products_.size()) - 1);
        }
        if (softwareProducts_.empty())
            softwareProducts_ = hardwareProducts_;
    }

    // ---- locations

    using Namer = QString (Seeder::*)(int level, size_t index);

    QString stockPlace(int level, size_t i) {
        switch (level) {
        case 2:
            return nth(Sites, i);
        case 3:
            return nth(Floors, i);
        case 4:
            return nth(Departments, i);
        case 5:
            return u(rng_.pick(Rooms)) + QStringLiteral(" ") + QString::number(i + 1);
        default:
            return u(rng_.pick(Spots)) + QStringLiteral(" ") + QString::number(i + 1);
        }
    }

    QString licencePlace(int level, size_t i) {
        switch (level) {
        case 2:
            return nth(LicenceGroups, i);
        case 3:
            return nth(Departments, i);
        case 4:
            return nth(Projects, i);
        case 5: {
            const size_t people = FirstNames.size() * LastNames.size();
            QString name = u(FirstNames[i % FirstNames.size()]) + QStringLiteral(" ") +
                           u(LastNames[(i / FirstNames.size() + i) % LastNames.size()]);
            if (i >= people)
                name += QStringLiteral(" ") + QString::number(i / people + 1);
            return name;
        }
        default:
            return u(rng_.pick(Machines)) + QStringLiteral("-") +
                   QString::number(i + 1).rightJustified(4, QLatin1Char('0'));
        }
    }

    // Descriptions as typed: mostly as named, a few in capitals or small
    // letters (the tree shows them all in proper case).
    QString asTyped(const QString& name) {
        const uint64_t r = rng_.below(100);
        if (r < 4)
            return name.toUpper();
        if (r < 7)
            return name.toLower();
        return name;
    }

    int addLocation(const QString& desc, const QString& status, int level, int parent, int top) {
        locationInsert_->bindAll(desc, status, level, parent, top);
        const int id = insert(*locationInsert_);
        describe(id, desc, level);
        return id;
    }

    void describe(int id, const QString& desc, int level) {
        if (static_cast<size_t>(id) >= descOf_.size()) {
            descOf_.resize(static_cast<size_t>(id) + 1);
            levelOf_.resize(static_cast<size_t>(id) + 1);
        }
        descOf_[static_cast<size_t>(id)] = desc;
        levelOf_[static_cast<size_t>(id)] = level;
    }

    // The locations in a shuffled order, those at `favouredLevel` or above
    // first: the places that hold the most are sites, floors, departments
    // and licence groups rather than single desks.
    std::vector<int> ranked(const std::vector<int>& ids, int favouredLevel) {
        std::vector<int> high;
        std::vector<int> low;
        for (int id : ids)
            (levelOf_[static_cast<size_t>(id)] <= favouredLevel ? high : low).push_back(id);
        rng_.shuffle(high);
        rng_.shuffle(low);
        high.insert(high.end(), low.begin(), low.end());
        return high;
    }

    std::vector<int> shuffled(std::vector<int> values) {
        rng_.shuffle(values);
        return values;
    }

    // Adds `budget` locations below `parent` (at `level`), as a user adding
    // them would: level one more than the parent's, top the branch's id.
    // Each family gets a handful of children whose subtrees share the rest
    // unevenly, so leaves end at every level up to MaxLevel.
    void grow(int parent, int level, int top, int64_t budget, Namer namer, std::vector<int>& into) {
        if (budget <= 0)
            return;
        const int childLevel = level + 1;
        int64_t children = budget;
        if (childLevel < MaxLevel) {
            children = integerRoot(budget, MaxLevel - level) * rng_.between(80, 160) / 100;
            children = std::clamp<int64_t>(children, 1, budget);
        }
        int64_t rest = budget - children;
        std::vector<int64_t> weights(static_cast<size_t>(children));
        int64_t total = 0;
        for (int64_t& w : weights) {
            // A quarter of the children stay leaves.
            const int64_t r = rng_.percent(25) ? 0 : rng_.between(1, 10);
            w = r * r;
            total += w;
        }
        if (total == 0) {
            weights.front() = 1;
            total = 1;
        }
        std::vector<int> ids;
        for (int64_t c = 0; c < children; ++c) {
            const QString desc = asTyped((this->*namer)(childLevel, static_cast<size_t>(c)));
            ids.push_back(addLocation(desc, store::StatusUser, childLevel, parent, top));
            into.push_back(ids.back());
        }
        int64_t before = 0;
        int64_t cumulative = 0;
        for (size_t c = 0; c < ids.size(); ++c) {
            cumulative += weights[c];
            const int64_t upTo = rest * cumulative / total;
            grow(ids[c], childLevel, top, upTo - before, namer, into);
            before = upTo;
        }
    }

    void addLocations() {
        locationInsert_.emplace(db_, QStringLiteral("INSERT INTO Locations (Loc_Desc, "
                                                    "Loc_Status, Loc_Level, Loc_ParentID, "
                                                    "Loc_Top) VALUES (?, ?, ?, ?, ?)"));
        {
            store::Query reserved(
                db_, QStringLiteral("SELECT Loc_ID, Loc_Desc, Loc_Level FROM Locations"));
            while (reserved.next())
                describe(static_cast<int>(reserved.integer(QStringLiteral("Loc_ID"))),
                         reserved.rawText(QStringLiteral("Loc_Desc")),
                         static_cast<int>(reserved.integer(QStringLiteral("Loc_Level"))));
        }
        const int stockBranch = store::loc::AvailableLocations;
        const int licenceBranch = store::loc::AvailableLicences;
        grow(stockBranch, store::loc::ReservedLevel, stockBranch, n_.stockLocations,
             &Seeder::stockPlace, stockPlaces_);
        grow(licenceBranch, store::loc::ReservedLevel, licenceBranch, n_.licenceLocations,
             &Seeder::licencePlace, licencePlaces_);
        // The first group under the licence branch is the site-wide pool.
        busiestLicenceLocation_ = licencePlaces_.front();

        // Removed locations: parked under row 3 by the program, which sets
        // their parent and top to 3 and keeps their level and status.
        for (int r = 0; r < n_.removedLocations; ++r) {
            const QString desc = nth(RemovedPlaces, static_cast<size_t>(r));
            const int level = static_cast<int>(rng_.between(2, 5));
            addLocation(desc, store::StatusUser, level, store::loc::RemovedLocations,
                        store::loc::RemovedLocations);
        }
        locationInsert_.reset();
    }

    // ---- items and their history

    // How many history rows the next item gets: the budget spread evenly
    // on average, at least `minimum`, and the last item takes what is left.
    int historyRowsFor(int minimum) {
        const int64_t reserveForOthers = historyMinimumLeft_ - minimum;
        int64_t rows = historyRowsLeft_;
        if (itemsLeft_ > 1) {
            const int64_t average = historyRowsLeft_ / itemsLeft_;
            const int64_t high = std::max<int64_t>(minimum, 2 * average - minimum);
            rows = std::min(rng_.between(minimum, high), historyRowsLeft_ - reserveForOthers);
        }
        historyRowsLeft_ -= rows;
        historyMinimumLeft_ -= minimum;
        --itemsLeft_;
        return static_cast<int>(rows);
    }

    // Plans an item's history: `rows` moves ending at its current location,
    // each earlier one at a location drawn from `earlier` whose description
    // differs from the next one's, at increasing moments before the fixed
    // "now". The first moment is when the item was added.
    void planHistory(int current, int rows, const std::vector<int>& earlier, bool startInPool) {
        where_.assign(static_cast<size_t>(rows), current);
        for (int j = rows - 2; j >= 0; --j) {
            const QString& next = descOf_[static_cast<size_t>(where_[static_cast<size_t>(j) + 1])];
            int candidate = rng_.pick(earlier);
            if (j == 0 && startInPool)
                candidate = store::loc::AvailableLicences;
            for (int tries = 0; tries < 20 && descOf_[static_cast<size_t>(candidate)] == next;
                 ++tries)
                candidate = rng_.pick(earlier);
            where_[static_cast<size_t>(j)] = candidate;
        }
        const int64_t span = std::max<int64_t>(rows * 3 * Day, rng_.between(Day, 6 * 365 * Day));
        when_.assign(static_cast<size_t>(rows), Base - span);
        for (size_t j = 1; j < when_.size(); ++j) {
            const int64_t room = (Base - 1 - when_[j - 1]) / static_cast<int64_t>(rows - j);
            when_[j] = when_[j - 1] + rng_.between(std::min<int64_t>(3600, room), room);
        }
    }

    void writeHistory(int item, const QString& type) {
        for (size_t j = 0; j < where_.size(); ++j)
            history_->add(item, descOf_[static_cast<size_t>(where_[j])], stored(when_[j]), type);
    }

    // Exactly `counts[k]` items of kind k, in a shuffled order.
    std::vector<int> kinds(std::initializer_list<int> counts) {
        std::vector<int> out;
        int kind = 0;
        for (int count : counts) {
            out.insert(out.end(), static_cast<size_t>(std::max(0, count)), kind);
            ++kind;
        }
        rng_.shuffle(out);
        return out;
    }

    std::optional<int> itemSupplier(const std::optional<int>& productSupplier) {
        const uint64_t r = rng_.below(100);
        if (r < 70 && productSupplier)
            return productSupplier;
        if (r < 85)
            return someSupplier(100);
        return std::nullopt;
    }

    // Codes are unique: the item's number goes through a bijection of
    // [0, 10^digits), so distinct items never share one.
    static QString stockCode(const char* prefix, int64_t item, int64_t modulus, int digits) {
        const int64_t number = (item * 7919 + 104729) % modulus;
        return QString::fromLatin1(prefix) + QStringLiteral("-") +
               QString::number(number).rightJustified(digits, QLatin1Char('0'));
    }

    // Five groups of five; the first encodes the item's number through a
    // bijection of [0, 32^5), the others are random.
    QString licenceKey(int64_t item) {
        QString key;
        uint32_t number =
            static_cast<uint32_t>(static_cast<uint64_t>(item) * 0x9E3779B1ull) & ((1u << 25) - 1);
        for (int c = 0; c < 5; ++c) {
            key += QLatin1Char(KeyLetters[number & 31u]);
            number >>= 5;
        }
        for (int g = 0; g < 4; ++g) {
            key += QLatin1Char('-');
            for (int c = 0; c < 5; ++c)
                key += QLatin1Char(KeyLetters[rng_.index(32)]);
        }
        return key;
    }

    void addStock() {
        enum { Live, Removed };
        std::vector<int> candidates{store::loc::AvailableLocations};
        candidates.insert(candidates.end(), stockPlaces_.begin(), stockPlaces_.end());
        const WeightedPick places = WeightedPick::skewed(ranked(candidates, 4), 200);
        const WeightedPick products = WeightedPick::skewed(shuffled(hardwareProducts_), 20);

        int digits = 6;
        int64_t modulus = 1000000;
        while (modulus < n_.stock) {
            modulus *= 10;
            ++digits;
        }
        std::vector<int> held(descOf_.size(), 0);
        // The table is empty: its counter gives the ids 1, 2, 3... in order,
        // which the rows carry so that their history can name them.
        BatchInsert q(
            db_, "Stock",
            {"Stock_ID", "Stock_Code", "Prod_ID", "Loc_ID", "Supp_ID", "Cost", "Date_Added"});
        const std::vector<int> kind = kinds({n_.stock - n_.removedStock, n_.removedStock});
        for (size_t i = 0; i < kind.size(); ++i) {
            const Product& product = products_[static_cast<size_t>(products.pick(rng_))];
            const int location = kind[i] == Removed ? store::loc::RemovedStock : places.pick(rng_);
            const int64_t cost = product.cost * rng_.between(90, 110) / 100;
            const std::optional<int> supplier = itemSupplier(product.supplier);
            planHistory(location, historyRowsFor(kind[i] == Removed ? 2 : 1), candidates, false);
            const int id = static_cast<int>(i) + 1;
            q.add(id, stockCode(product.code, static_cast<int64_t>(i), modulus, digits), product.id,
                  location, supplier, store::Money::fromCents(cost), stored(when_.front()));
            writeHistory(id, store::HistoryStock);
            if (location != store::loc::RemovedStock)
                ++held[static_cast<size_t>(location)];
        }
        q.finish();
        busiestStockLocation_ =
            static_cast<int>(std::max_element(held.begin(), held.end()) - held.begin());
    }

    void addLicences() {
        enum { Spread, Busiest, Pooled, Removed };
        std::vector<int> spreadPlaces;
        for (int id : licencePlaces_)
            if (id != busiestLicenceLocation_)
                spreadPlaces.push_back(id);
        if (spreadPlaces.empty())
            spreadPlaces.push_back(busiestLicenceLocation_);
        const WeightedPick places = WeightedPick::skewed(ranked(spreadPlaces, 4), 100);
        const WeightedPick products = WeightedPick::skewed(shuffled(softwareProducts_), 10);
        std::vector<int> earlier{store::loc::AvailableLicences};
        earlier.insert(earlier.end(), licencePlaces_.begin(), licencePlaces_.end());

        // Ids 1, 2, 3... as the empty table's counter gives them.
        BatchInsert q(db_, "Licences",
                      {"Licence_ID", "Licence_Name", "Prod_ID", "Loc_ID", "Supp_ID", "Exp_Date",
                       "Cost", "Type", "Date_Added"});
        const int spread =
            n_.licences - n_.busiestLicences - n_.pooledLicences - n_.removedLicences;
        const std::vector<int> kind =
            kinds({spread, n_.busiestLicences, n_.pooledLicences, n_.removedLicences});
        for (size_t i = 0; i < kind.size(); ++i) {
            // The busiest location holds every licensed product about evenly.
            const int productIndex =
                kind[i] == Busiest ? rng_.pick(softwareProducts_) : products.pick(rng_);
            const Product& product = products_[static_cast<size_t>(productIndex)];
            int location = store::loc::AvailableLicences;
            if (kind[i] == Spread)
                location = places.pick(rng_);
            else if (kind[i] == Busiest)
                location = busiestLicenceLocation_;
            else if (kind[i] == Removed)
                location = store::loc::RemovedLicences;
            const bool temporary = rng_.percent(12);
            std::optional<QString> expiry;
            if (temporary)
                expiry = stored(Base + rng_.between(-400, 400) * Day, false);
            else if (rng_.percent(35))
                expiry = stored(Base + rng_.between(-730, 1095) * Day, false);
            const int64_t cost = rng_.percent(20) ? 0 : product.cost;
            const std::optional<int> supplier = itemSupplier(product.supplier);
            const QString key = licenceKey(static_cast<int64_t>(i));
            const bool startInPool = rng_.percent(50);
            planHistory(location, historyRowsFor(kind[i] == Removed ? 2 : 1), earlier, startInPool);
            const int id = static_cast<int>(i) + 1;
            q.add(id, key, product.id, location, supplier, expiry, store::Money::fromCents(cost),
                  temporary ? store::LicenceTemporary : store::LicenceNormal,
                  stored(when_.front()));
            writeHistory(id, store::HistoryLicence);
        }
        q.finish();
    }

    struct Category {
        int id;
        const CategoryInfo* info;
    };
    struct Product {
        int id;
        const char* code;
        int64_t cost;
        std::optional<int> supplier;
    };

    store::Database& db_;
    const SeedCounts n_;
    Random rng_;
    std::vector<Category> hardwareCategories_;
    std::vector<Category> softwareCategories_;
    std::vector<int> suppliers_;
    std::vector<Product> products_;
    std::vector<int> hardwareProducts_; // indexes into products_
    std::vector<int> softwareProducts_;
    std::vector<QString> descOf_; // Loc_Desc by Loc_ID
    std::vector<int> levelOf_;    // Loc_Level by Loc_ID
    std::vector<int> stockPlaces_;
    std::vector<int> licencePlaces_;
    std::optional<store::Query> locationInsert_;
    std::optional<BatchInsert> history_;
    std::vector<int> where_;    // the planned history: locations
    std::vector<int64_t> when_; // and moments
    int64_t historyRowsLeft_ = 0;
    int64_t historyMinimumLeft_ = 0;
    int64_t itemsLeft_ = 0;
    int busiestLicenceLocation_ = Unset;
    int busiestStockLocation_ = Unset;
};

bool holdsOnlyTheSchema(store::Database& db) {
    store::Query q(
        db, QStringLiteral("SELECT (SELECT count(*) FROM Locations) AS locations, "
                           "(SELECT count(*) FROM Locations WHERE Loc_ID BETWEEN 1 AND 5) "
                           "AS reserved, "
                           "(SELECT count(*) FROM Categories) + (SELECT count(*) FROM Suppliers)"
                           " + (SELECT count(*) FROM Products) + (SELECT count(*) FROM Stock)"
                           " + (SELECT count(*) FROM Licences)"
                           " + (SELECT count(*) FROM StockHistory) AS others"));
    q.next();
    return q.integer(QStringLiteral("locations")) == 5 &&
           q.integer(QStringLiteral("reserved")) == 5 && q.integer(QStringLiteral("others")) == 0;
}

} // namespace

SeedCounts SeedCounts::forScale(double scale) {
    if (!std::isfinite(scale) || scale <= 0 || scale > 1000)
        throw std::invalid_argument("the scale must be a number above 0 and at most 1000");
    SeedCounts c;
    c.categories = scaled(40, scale);
    c.suppliers = scaled(200, scale);
    c.products = scaled(2000, scale);
    c.stockLocations = scaled(4000, scale);
    c.licenceLocations = scaled(1000, scale);
    c.removedLocations = scaled(50, scale);
    c.stock = scaled(100000, scale);
    c.removedStock = (c.stock * 3 + 50) / 100;
    c.licences = scaled(100000, scale);
    c.removedLicences = (c.licences * 3 + 50) / 100;
    c.pooledLicences = (c.licences + 5) / 10;
    c.busiestLicences = (c.licences * 30 + 50) / 100;
    // Every item has at least its own row, a removed one two.
    c.history =
        std::max(scaled(1000000, scale), c.stock + c.removedStock + c.licences + c.removedLicences);
    return c;
}

SeedResult seedDatabase(store::Database& db, double scale) {
    const SeedCounts counts = SeedCounts::forScale(scale);
    if (!holdsOnlyTheSchema(db))
        throw std::invalid_argument("the database to seed must hold only the schema");
    store::Transaction tx(db);
    const SeedResult result = Seeder(db, counts).run();
    tx.commit();
    return result;
}

SeedResult createSeededDatabase(const QString& path, double scale) {
    SeedCounts::forScale(scale); // refuses a bad scale before a file is made
    auto db = store::Database::create(path, store::DatabaseKey);
    try {
        // A larger page cache keeps the one big transaction in memory.
        db->run(QStringLiteral("PRAGMA cache_size = -65536"));
        store::Transaction tx(*db);
        store::createSchema(*db);
        const SeedResult result = Seeder(*db, SeedCounts::forScale(scale)).run();
        tx.commit();
        return result;
    } catch (...) {
        db.reset();
        QFile::remove(path);
        throw;
    }
}

int busiestLicenceLocation(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT Loc_ID, count(*) AS held FROM Licences "
                                      "WHERE Loc_ID NOT IN (?, ?) GROUP BY Loc_ID "
                                      "ORDER BY held DESC, Loc_ID LIMIT 1"));
    q.bindAll(store::loc::AvailableLicences, store::loc::RemovedLicences);
    return q.next() ? static_cast<int>(q.integer(QStringLiteral("Loc_ID"))) : 0;
}

} // namespace seed
