// A register for the sale module's tests: the configuration file of
// register 001 on the emulated Bematech printer (its clock the host's), the
// TEF manager's root under drive c:, and a till with the shop's cash and
// debit card.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "emulator_tef/manager_process.h"
#include "platform/base/clock.h"
#include "platform/os/files.h"
#include "sale/QdmVenda.h"
#include "support/emulated_printer.h"
#include "support/sandbox.h"
#include "tools/qdm_register/config_writer.h"

namespace sale_test {

inline std::vector<QdmVenda::PaymentType> ShopTypes() {
  return {{"001", "Dinheiro", "1"}, {"002", "Cart\xE3o D\351bito", "D"}};
}

inline QdmVenda::Item Coffee() { return {"7891000100103", "CAF\xC9 TORRADO 500G", "T", 18, "", 2, 8.99, 0}; }

class SaleTest : public ::testing::Test {
 protected:
  SaleTest() {
    // The manager is another process on the real clock.
    platform::clock::UseSystem();
    sandbox.ResetPrinter(printer);
    qdm_register::WriteEcfConfig(sandbox.dir.file("ecf001.cds"), {});
    root = sandbox.dir.file("drive_c/tef_dial");
    platform::ForceDirectories(root + "/req");
    platform::ForceDirectories(root + "/resp");
    setup.offer_x_reading = false;
    setup.payment_types = ShopTypes();
  }
  ~SaleTest() override {
    till.reset();
    manager.reset();
  }

  void StartManager(const std::vector<std::string>& args = {}) {
    manager = std::make_unique<tef_test::ManagerProcess>(root, args);
  }
  // A till started on the printer; fails the test when it does not start.
  QdmVenda::Till& Started() {
    till = std::make_unique<QdmVenda::Till>(setup);
    const QdmVenda::StartResult start = till->Start();
    EXPECT_TRUE(start.ok) << start.failure;
    sandbox.dialogs->Clear();
    return *till;
  }
  // One coffee paid with `card` by debit card and the rest in cash.
  static QdmVenda::Sale CoffeeSale(double card, double cash) {
    QdmVenda::Sale sale;
    sale.items = {Coffee()};
    if (card > 0) sale.payments.push_back({"002", card, true});
    if (cash > 0) sale.payments.push_back({"001", cash, false});
    return sale;
  }

  testsupport::Sandbox sandbox;
  testsupport::EmulatedPrinter printer;
  std::string root;
  QdmVenda::Setup setup;
  std::unique_ptr<tef_test::ManagerProcess> manager;
  std::unique_ptr<QdmVenda::Till> till;
};

}  // namespace sale_test
