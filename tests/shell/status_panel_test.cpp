#include "platform/qt/status_panel.h"

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace talvex::platform::qt {
namespace {

QString text_of(const QWidget& w) {
  if (const auto* box = qobject_cast<const QGroupBox*>(&w))
    return box->title();
  if (const auto* button = qobject_cast<const QPushButton*>(&w))
    return button->text();
  if (const auto* combo = qobject_cast<const QComboBox*>(&w))
    return combo->currentText();
  if (const auto* label = qobject_cast<const QLabel*>(&w))
    return label->text();
  return {};
}

// Whether the widget shows `colour` at `at`; the style may tint the inside of a frame slightly.
::testing::AssertionResult shows_colour(QWidget& w, QPoint at, QColor colour) {
  const QColor got = w.grab().toImage().pixelColor(at);
  const int off =
      std::max({std::abs(got.red() - colour.red()), std::abs(got.green() - colour.green()),
                std::abs(got.blue() - colour.blue())});
  if (off <= 4)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << got.name().toStdString() << " instead of " << colour.name().toStdString();
}

class StatusPanelTest : public ::testing::Test {
 protected:
  template <typename T = QWidget>
  T& control(const char* name) {
    T* w = panel.window().findChild<T*>(QString::fromLatin1(name));
    if (w == nullptr)
      throw std::runtime_error(std::string("no control ") + name);
    return *w;
  }
  bool shown() { return panel.window().isVisible(); }

  StatusPanel panel;
};

// The window's design: every visible control, where it sits in its parent and what it says.
struct DesignRow {
  const char* name;
  const char* kind;
  const char* parent;
  QRect geometry;  // labels: the position only, they are sized to their text
  const char* text;
};

const DesignRow kDesign[] = {
    {"portTestGroup", "QGroupBox", "mainWindow", {0, 0, 329, 81}, "ТЕСТИРОВАНИЕ ПОРТОВ"},
    {"kassaButton", "QPushButton", "portTestGroup", {8, 16, 75, 25}, "KASSA"},
    {"barButton", "QPushButton", "portTestGroup", {89, 16, 75, 25}, "BAR"},
    {"kitchenButton", "QPushButton", "portTestGroup", {170, 16, 75, 25}, "KITCHEN"},
    {"controlButton", "QPushButton", "portTestGroup", {251, 16, 75, 25}, "CONTROL"},
    {"portChooser", "QComboBox", "portTestGroup", {8, 47, 145, 21}, "1"},
    {"printOnChosenPortButton",
     "QPushButton",
     "portTestGroup",
     {159, 47, 167, 25},
     "ПЕЧАТЬ НА ВЫБРАНЫЙ ПОРТ"},
    {"settingsGroup", "QGroupBox", "mainWindow", {0, 78, 326, 147}, "ТЕКУЩИЕ ПАРАМЕТРЫ"},
    {"organisationLabel", "QLabel", "settingsGroup", {8, 12, 0, 0}, "Label1"},
    {"controlPrinterLabel", "QLabel", "settingsGroup", {8, 31, 0, 0}, "Label2"},
    {"printerTimerLabel", "QLabel", "settingsGroup", {8, 50, 0, 0}, "Label3"},
    {"printerTotalLabel", "QLabel", "settingsGroup", {8, 69, 0, 0}, "Label4"},
    {"dataCheckLabel", "QLabel", "settingsGroup", {8, 88, 0, 0}, "Label5"},
    {"queueCheckLabel", "QLabel", "settingsGroup", {8, 107, 0, 0}, "Label6"},
    {"queueStateLabel", "QLabel", "settingsGroup", {8, 126, 0, 0}, "Label7"},
    {"hideButton", "QPushButton", "settingsGroup", {248, 9, 75, 25}, "OK"},
    {"closeButton", "QPushButton", "settingsGroup", {248, 40, 75, 25}, "CLOSE"},
    {"printerListButton", "QPushButton", "settingsGroup", {248, 71, 75, 25}, "ПРИНТЕРЫ"},
    {"printerList", "QListWidget", "mainWindow", {0, 223, 323, 97}, ""},
};

TEST_F(StatusPanelTest, EveryControlSitsWhereTheDesignPutsItWithItsCaption) {
  for (const DesignRow& row : kDesign) {
    SCOPED_TRACE(row.name);
    QWidget& w = control(row.name);
    EXPECT_TRUE(w.inherits(row.kind));
    EXPECT_EQ(w.parentWidget()->objectName().toStdString(), row.parent);
    EXPECT_EQ(text_of(w).toStdString(), row.text);
    if (qobject_cast<QLabel*>(&w) != nullptr) {
      const QFontMetrics metrics(w.font());
      EXPECT_EQ(w.geometry(),
                QRect(row.geometry.topLeft(), metrics.size(Qt::TextSingleLine, row.text)));
    } else {
      EXPECT_EQ(w.geometry(), row.geometry);
    }
  }
}

TEST_F(StatusPanelTest, WindowIsBorderlessAtTheCornerWithTheDesignSizeAndCaption) {
  QWidget& w = panel.window();
  EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(w.geometry(), QRect(0, 0, 790, 563));
  EXPECT_EQ(w.windowTitle().toStdString(), "ДРАЙВЕР TALVEX");
  EXPECT_FALSE(shown());
}

TEST_F(StatusPanelTest, FontIsTahomaOrItsStandInAtElevenPixels) {
  const QFont font = control("kassaButton").font();
  EXPECT_EQ(font.families().value(0).toStdString(), "Tahoma");
  EXPECT_EQ(font.pixelSize(), 11);
  const QString resolved = QFontInfo(font).family();
  EXPECT_TRUE(resolved == "Tahoma" || resolved == "DejaVu Sans") << resolved.toStdString();
}

TEST_F(StatusPanelTest, GroupBoxesAndWindowShowTheirBackgrounds) {
  // Points that no child control and no frame covers.
  EXPECT_TRUE(shows_colour(control("portTestGroup"), {86, 30}, QColor(0xC0, 0xC0, 0xC0)));
  EXPECT_TRUE(shows_colour(control("settingsGroup"), {150, 100}, QColor(0x80, 0x80, 0x80)));
  EXPECT_TRUE(
      shows_colour(panel.window(), {400, 400}, QApplication::palette().color(QPalette::Button)));
}

TEST_F(StatusPanelTest, LabelsFollowTheirTextAndKeepTheirPlace) {
  panel.set_label(PanelLabel::PrinterTimer, "Таймер печати: 5");
  QLabel& label = control<QLabel>("printerTimerLabel");
  EXPECT_EQ(label.text().toStdString(), "Таймер печати: 5");
  const QFontMetrics metrics(label.font());
  EXPECT_EQ(label.geometry(),
            QRect(8, 50, metrics.horizontalAdvance(label.text()), metrics.height()));
  EXPECT_GT(label.width(), metrics.horizontalAdvance("Label3"));
  EXPECT_EQ(control<QLabel>("controlPrinterLabel").text().toStdString(), "Label2");

  // A queue line longer than its group shows keeps its place; the whole text is its tool tip.
  const std::string line =
      "Есть очередь печати. Принтер KITCHEN: нет бумаги, открыта крышка. Принтер BAR: нет связи";
  panel.set_label(PanelLabel::QueueState, line);
  QLabel& queue = control<QLabel>("queueStateLabel");
  EXPECT_EQ(queue.pos(), QPoint(8, 126));
  EXPECT_EQ(queue.toolTip().toStdString(), line);
}

TEST_F(StatusPanelTest, PortChooserKeepsItsTextWhileItsListFills) {
  EXPECT_EQ(panel.port_text(), "1");
  for (const char* entry : {"0", "1", "2"})
    panel.add_port(entry);
  auto& combo = control<QComboBox>("portChooser");
  EXPECT_TRUE(combo.isEditable());
  ASSERT_EQ(combo.count(), 3);
  EXPECT_EQ(combo.itemText(2).toStdString(), "2");
  EXPECT_EQ(panel.port_text(), "1");

  combo.setCurrentIndex(2);
  EXPECT_EQ(panel.port_text(), "2");
  combo.lineEdit()->setText("7");
  EXPECT_EQ(panel.port_text(), "7");
  EXPECT_EQ(combo.count(), 3);
}

TEST_F(StatusPanelTest, PrinterListRowsAreThirteenPixelsHigh) {
  auto& list = control<QListWidget>("printerList");
  // Even a font taller than the design's keeps the design's rows.
  QFont tall = list.font();
  tall.setPixelSize(20);
  list.setFont(tall);
  panel.add_printer_line("0 - Kitchen");
  panel.add_printer_line("1 - Bar");
  panel.show_window();
  QApplication::processEvents();
  ASSERT_EQ(list.count(), 2);
  for (int i = 0; i < list.count(); ++i)
    EXPECT_EQ(list.visualItemRect(list.item(i)).height(), 13);
  EXPECT_EQ(list.item(1)->text().toStdString(), "1 - Bar");
  EXPECT_EQ(list.item(1)->toolTip().toStdString(), "1 - Bar");
  panel.clear_printer_list();
  EXPECT_EQ(list.count(), 0);
}

TEST_F(StatusPanelTest, EachButtonCallsItsOwnHandler) {
  const std::pair<PanelButton, const char*> buttons[] = {
      {PanelButton::Kassa, "kassaButton"},
      {PanelButton::Bar, "barButton"},
      {PanelButton::Kitchen, "kitchenButton"},
      {PanelButton::Control, "controlButton"},
      {PanelButton::PrintOnChosenPort, "printOnChosenPortButton"},
      {PanelButton::Hide, "hideButton"},
      {PanelButton::Close, "closeButton"},
      {PanelButton::PrinterList, "printerListButton"},
  };
  std::vector<std::string> calls;
  for (const auto& [button, name] : buttons)
    panel.on_button(button, [&calls, name = name] { calls.emplace_back(name); });
  for (const char* name : {"kitchenButton", "printerListButton", "kassaButton", "hideButton"})
    control<QPushButton>(name).click();
  EXPECT_EQ(calls, (std::vector<std::string>{"kitchenButton", "printerListButton", "kassaButton",
                                             "hideButton"}));
}

// The main window's life as the handlers drive it: shrunk by the create handler, shown by the
// icon, hidden by "OK", closed by "CLOSE".
TEST_F(StatusPanelTest, ShowsHidesAndClosesAsTheHandlersAsk) {
  int closed = 0;
  panel.on_closed([&closed] { ++closed; });
  panel.on_button(PanelButton::Hide, [this] { panel.set_size(0, 0); });
  panel.on_button(PanelButton::Close, [this] { panel.close(); });

  panel.set_size(0, 0);
  panel.show_window();
  EXPECT_FALSE(shown());

  for (int click = 0; click < 2; ++click) {
    panel.set_size(330, 350);
    EXPECT_TRUE(shown());
    EXPECT_EQ(panel.window().geometry(), QRect(0, 0, 330, 350));
  }

  control<QPushButton>("hideButton").click();
  EXPECT_FALSE(shown());
  panel.set_size(330, 350);
  EXPECT_TRUE(shown());

  control<QPushButton>("closeButton").click();
  EXPECT_FALSE(shown());
  EXPECT_EQ(closed, 1);
  panel.close();
  EXPECT_EQ(closed, 1);
}

TEST_F(StatusPanelTest, NothingShowsBeforeTheLoopStarts) {
  panel.set_size(330, 350);
  EXPECT_FALSE(shown());
  panel.show_window();
  EXPECT_EQ(panel.window().geometry(), QRect(0, 0, 330, 350));
  EXPECT_TRUE(shown());
}

TEST_F(StatusPanelTest, FailedCreateHandlerLeavesTheDesignSize) {
  panel.show_window();
  EXPECT_TRUE(shown());
  EXPECT_EQ(panel.window().geometry(), QRect(0, 0, 790, 563));
}

TEST_F(StatusPanelTest, CloseRequestWhileHiddenEndsTheProgramToo) {
  int closed = 0;
  panel.on_closed([&closed] { ++closed; });
  panel.set_size(0, 0);
  panel.show_window();
  panel.close();
  EXPECT_EQ(closed, 1);
}

}  // namespace
}  // namespace talvex::platform::qt
