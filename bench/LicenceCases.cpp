#include "Cases.h"
#include "Context.h"

#include "assets/clsLicenceExpiry.h"
#include "assets/clsStock.h"
#include "assets/ui/ExpiryNotice.h"
#include "catalogue/clsProducts.h"
#include "common/Clock.h"
#include "common/LicenceSettings.h"
#include "common/Session.h"
#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"
#include "common/ui/ReportList.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"

#include <QApplication>

#include <memory>
#include <stdexcept>

namespace bench {

namespace {

int busiestLicenceProduct(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT Prod_ID, count(*) AS n FROM Licences "
                                      "GROUP BY Prod_ID ORDER BY n DESC, Prod_ID LIMIT 1"));
    if (!q.next())
        throw std::runtime_error("the database holds no licences");
    return static_cast<int>(q.integer(QStringLiteral("Prod_ID")));
}

} // namespace

void addLicenceCases(Bench& bench, Context& context) {
    store::Database& db = context.db();
    const int product = busiestLicenceProduct(db);
    constexpr int Period = common::DefaultExpiryWarningDays;

    Case notice;
    notice.name = QStringLiteral("start-up notice, %1 days").arg(Period);
    notice.run = [&context] {
        context.window().ShowExpiryNotice(Period);
    };
    notice.rows = [&context] {
        const assets::ExpiryCounts counts =
            context.session().logic<assets::clsLicenceExpiry>().StartUpCounts(Period);
        return counts.soon + counts.expired;
    };
    notice.connection = &db;
    notice.statements = [&context] {
        return expiryNoticeStatements(context.clock().today(), Period);
    };
    bench.add(notice);

    // What the user waits for: the list opened and its first screen drawn;
    // the rest is read only as it is scrolled to.
    auto shown = std::make_shared<int>(0);
    Case list;
    list.name = QStringLiteral("start-up notice's list shown, %1 days").arg(Period);
    list.run = [&context, shown] {
        assets::frmExpiringLicences dialog(context.session(), Period, &context.window());
        dialog.show();
        auto* lv = dialog.findChild<common::ReportList*>(QStringLiteral("lvExpiring"));
        lv->viewport()->repaint();
        QApplication::processEvents();
        *shown = lv->topLevelItemCount();
    };
    list.rows = [shown] {
        return *shown;
    };
    bench.add(list);

    // The whole list in its order as a heading click reads it (paths
    // included): the first slice, then every row left in one go, beside
    // the one statement that sorts it whole.
    Case whole;
    whole.name = QStringLiteral("start-up notice's list read whole, %1 days").arg(Period);
    whole.run = [&context] {
        const auto reader =
            context.session().logic<assets::clsLicenceExpiry>().ReadExpiringLicences(Period);
        reader->next(assets::frmExpiringLicences::SliceRows);
        reader->next(0);
    };
    whole.rows = [&context] {
        return static_cast<int>(
            context.session().logic<assets::clsLicenceExpiry>().ExpiringLicences(Period).size());
    };
    // Not the operation's own statements (a pair per slice, bound to the
    // dates found), so stepped as work of its own.
    whole.raw = [&context, &db] {
        stepThrough(db, expiringListStatements(context.clock().today(), Period));
    };
    bench.add(whole);

    Case enquiry;
    enquiry.name = QStringLiteral("page 1 list with licence counts, busiest product");
    enquiry.run = [&context, product] {
        auto* lv = context.window()
                       .page(common::EnquireByProducts)
                       ->findChild<common::ReportList*>(QStringLiteral("lvEnqProd"));
        lv->setRows(context.session().logic<assets::clsStock>().FillStockListUsingProduct(product));
        context.session().logic<catalogue::clsProducts>().LicenceUseOf(product);
    };
    enquiry.rows = [&context] {
        return context.window()
            .page(common::EnquireByProducts)
            ->findChild<common::ReportList*>(QStringLiteral("lvEnqProd"))
            ->topLevelItemCount();
    };
    enquiry.connection = &db;
    enquiry.statements = [product] {
        Statements out = productListStatements(product);
        for (RawStatement& s : licenceUseStatements(product))
            out.push_back(std::move(s));
        return out;
    };
    bench.add(enquiry);
}

} // namespace bench
