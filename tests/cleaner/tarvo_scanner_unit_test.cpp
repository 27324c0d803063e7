#include "cleaner/tarvo_scanner_unit.h"

#include "tests/support/scratch_fixture.h"
#include "tests/support/separator.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <memory>

namespace {

class tarvo_window : public scratch_fixture {
protected:
    TKALIX_tarvo_scanner& start() {
        window_ = std::make_unique<TKALIX_tarvo_scanner>();
        window_->FormCreate();
        return *window_;
    }

    std::unique_ptr<TKALIX_tarvo_scanner> window_;
};

TEST_F(tarvo_window, output_path_stops_at_the_products_measurement_folder) {
    const QString kalix = make_kalix_installation("kalix", "ProductA", {"OVIX1"});
    write_file("program/kalix_path.ini", path("kalix").toUtf8() + "\r\n");
    write_file("program/kalix_scanner.ini", "in\r\nOVIX1\r\n");
    TKALIX_tarvo_scanner& w = start();

    EXPECT_EQ(w.no_subfolders, 26);
    EXPECT_EQ(w.product, "ProductA");
    EXPECT_EQ(w.product_label->text(), "ProductA");
    const QString expected = kalix + "database" + sep() + "products" + sep() + "ProductA" + sep() +
                             "measurements" + sep();
    EXPECT_EQ(w.total_output_path, expected);
    EXPECT_EQ(w.total_output_path_label->text(), expected);
    // The input path is the editor's text as it stands.
    EXPECT_EQ(w.input_path, "in");
    // The channels come from the list, not from the OVIX name editor.
    EXPECT_TRUE(w.output_path_editor->isHidden());
    EXPECT_TRUE(w.ovix_lab->isHidden());
    EXPECT_EQ(w.Label4->text(), "Input path subfolders:");
    EXPECT_TRUE(w.input_subfolders->toPlainText().isEmpty());
    EXPECT_TRUE(w.output_subfolders->toPlainText().isEmpty());
}

} // namespace
