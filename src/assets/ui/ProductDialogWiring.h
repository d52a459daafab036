#pragma once

// Answers the product dialog's stock and licence requests: its tab buttons
// open the stock and licence dialogs and remove items, and what those
// dialogs store refills the product dialog's lists through its slots.
//
// The product dialog belongs to the catalogue, below this subsystem, so it
// only asks (four signals); this file answers. The main window calls it for
// every product dialog that showProductDialog opens
// (common::MainWindow::connectDialog).

namespace catalogue {
class frmProductMaint;
}
namespace common {
class Session;
}

namespace assets {

void wireProductDialog(catalogue::frmProductMaint& dialog, common::Session& session);

} // namespace assets
