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

    Case list;
    list.name = QStringLiteral("start-up notice's list, %1 days").arg(Period);
    list.run = [&context] {
        const assets::frmExpiringLicences dialog(context.session(), Period, &context.window());
    };
    list.rows = [&context] {
        return static_cast<int>(
            context.session().logic<assets::clsLicenceExpiry>().ExpiringLicences(Period).size());
    };
    bench.add(list);

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
