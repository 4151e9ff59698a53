#include "platform/qt/error_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <sstream>

namespace talvex::platform::qt {
namespace {

int visible_boxes() {
  int n = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMessageBox*>(w) != nullptr && w->isVisible())
      ++n;
  }
  return n;
}

void press_ok(QMessageBox& box) {
  box.button(QMessageBox::Ok)->click();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(ErrorBox, ShowsCaptionTextStopIconAndOkWithoutWaiting) {
  std::ostringstream log;
  ErrorBox boxes(log, false);
  boxes.show_error("Talvex", "Printing in progress.", "`print` row 16, predcheck, order 4");

  QMessageBox* box = boxes.open_box();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->windowTitle().toStdString(), "Talvex");
  EXPECT_EQ(box->text().toStdString(), "Printing in progress.");
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
  EXPECT_EQ(box->buttons().size(), 1);
  EXPECT_TRUE(box->isModal());
  EXPECT_EQ(log.str(), "");
}

TEST(ErrorBox, FailureWhileABoxIsOpenGoesToTheLogOnly) {
  std::ostringstream log;
  ErrorBox boxes(log, false);
  boxes.show_error("Talvex", "first.", "");
  boxes.show_error("Talvex", "second.", "`print` row 7, podzakaz, order 2, sub-order 1");

  EXPECT_EQ(visible_boxes(), 1);
  ASSERT_NE(boxes.open_box(), nullptr);
  EXPECT_EQ(boxes.open_box()->text().toStdString(), "first.");
  // The line names the job's row; the box keeps the bare text.
  EXPECT_EQ(log.str(), "Talvex: `print` row 7, podzakaz, order 2, sub-order 1: second.\n");

  press_ok(*boxes.open_box());
  EXPECT_EQ(boxes.open_box(), nullptr);
  EXPECT_EQ(visible_boxes(), 0);

  boxes.show_error("Talvex", "third.", "");
  ASSERT_NE(boxes.open_box(), nullptr);
  EXPECT_EQ(boxes.open_box()->text().toStdString(), "third.");
  EXPECT_EQ(log.str(), "Talvex: `print` row 7, podzakaz, order 2, sub-order 1: second.\n");
}

TEST(ErrorBox, WithoutADisplayEveryFailureIsAlsoLogged) {
  std::ostringstream log;
  ErrorBox boxes(log, true);
  boxes.show_error("Talvex", "first.", "");
  boxes.show_error("Talvex", "second.", "");
  EXPECT_EQ(log.str(), "Talvex: first.\nTalvex: second.\n");
  ASSERT_NE(boxes.open_box(), nullptr);
  EXPECT_EQ(boxes.open_box()->text().toStdString(), "first.");
}

}  // namespace
}  // namespace talvex::platform::qt
