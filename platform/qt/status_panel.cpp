#include "platform/qt/status_panel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QWidget>

#include <array>
#include <utility>

namespace talvex::platform::qt {
namespace {

constexpr int kDesignWidth = 790;
constexpr int kDesignHeight = 563;
constexpr int kListItemHeight = 13;
constexpr int kNoBackground = -1;

enum class Kind { GroupBox, Button, ComboBox, Label, ListBox };

struct Control {
  const char* name;
  Kind kind;
  const char* parent;  // a group box, or nullptr for the window
  int left;
  int top;
  int width;  // labels are sized to their text instead
  int height;
  const char* text;  // caption, or the initial text
  int background = kNoBackground;
};

// The window's design, in creation order; group boxes come before their children.
constexpr Control kControls[] = {
    {"portTestGroup", Kind::GroupBox, nullptr, 0, 0, 329, 81, "ТЕСТИРОВАНИЕ ПОРТОВ", 0xC0C0C0},
    {"kassaButton", Kind::Button, "portTestGroup", 8, 16, 75, 25, "KASSA"},
    {"barButton", Kind::Button, "portTestGroup", 89, 16, 75, 25, "BAR"},
    {"kitchenButton", Kind::Button, "portTestGroup", 170, 16, 75, 25, "KITCHEN"},
    {"controlButton", Kind::Button, "portTestGroup", 251, 16, 75, 25, "CONTROL"},
    {"portChooser", Kind::ComboBox, "portTestGroup", 8, 47, 145, 21, "1"},
    {"printOnChosenPortButton", Kind::Button, "portTestGroup", 159, 47, 167, 25,
     "ПЕЧАТЬ НА ВЫБРАНЫЙ ПОРТ"},
    {"settingsGroup", Kind::GroupBox, nullptr, 0, 78, 326, 147, "ТЕКУЩИЕ ПАРАМЕТРЫ", 0x808080},
    {"organisationLabel", Kind::Label, "settingsGroup", 8, 12, 31, 13, "Label1"},
    {"controlPrinterLabel", Kind::Label, "settingsGroup", 8, 31, 31, 13, "Label2"},
    {"printerTimerLabel", Kind::Label, "settingsGroup", 8, 50, 31, 13, "Label3"},
    {"printerTotalLabel", Kind::Label, "settingsGroup", 8, 69, 31, 13, "Label4"},
    {"dataCheckLabel", Kind::Label, "settingsGroup", 8, 88, 31, 13, "Label5"},
    {"queueCheckLabel", Kind::Label, "settingsGroup", 8, 107, 31, 13, "Label6"},
    {"queueStateLabel", Kind::Label, "settingsGroup", 8, 126, 31, 13, "Label7"},
    {"hideButton", Kind::Button, "settingsGroup", 248, 9, 75, 25, "OK"},
    {"closeButton", Kind::Button, "settingsGroup", 248, 40, 75, 25, "CLOSE"},
    {"printerListButton", Kind::Button, "settingsGroup", 248, 71, 75, 25, "ПРИНТЕРЫ"},
    {"printerList", Kind::ListBox, nullptr, 0, 223, 323, 97, ""},
};

// Tahoma 8 pt at 96 dpi is 11 pixels; where Tahoma is missing the nearest sans serif takes its
// place at the same height, so the design's positions still hold the texts.
QFont panel_font() {
  QFont font;
  font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
  font.setPixelSize(11);
  font.setWeight(QFont::Normal);
  return font;
}

void fill_background(QWidget& widget, const QColor& colour) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, colour);
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

// Rows of the printer list keep the design's height whatever the font.
class FixedHeightDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(kListItemHeight);
    return size;
  }
};

void size_to_text(QLabel& label) {
  label.resize(label.sizeHint());
}

// The controls the service addresses, in the order of PanelLabel and PanelButton.
constexpr std::array<const char*, kPanelLabelCount> kLabelNames{
    "organisationLabel", "controlPrinterLabel", "printerTimerLabel", "printerTotalLabel",
    "dataCheckLabel",    "queueCheckLabel",     "queueStateLabel"};
constexpr std::array<const char*, kPanelButtonCount> kButtonNames{
    "kassaButton", "barButton",   "kitchenButton",    "controlButton", "printOnChosenPortButton",
    "hideButton",  "closeButton", "printerListButton"};

}  // namespace

class StatusPanel::Window final : public QWidget {
 public:
  std::function<void()> closed;

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->accept();
    // A close request may come more than once (the button, then the system); the program ends
    // at the first.
    if (auto handler = std::exchange(closed, nullptr))
      handler();
  }
};

StatusPanel::StatusPanel()
    : window_(std::make_unique<Window>()), width_(kDesignWidth), height_(kDesignHeight) {
  QWidget& w = *window_;
  w.setObjectName(QStringLiteral("mainWindow"));
  w.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  w.setWindowTitle(QStringLiteral("ДРАЙВЕР TALVEX"));
  // Showing the panel must not take the focus from what the operator is doing.
  w.setAttribute(Qt::WA_ShowWithoutActivating);
  w.setFont(panel_font());
  fill_background(w, QApplication::palette().color(QPalette::Button));
  w.setGeometry(0, 0, kDesignWidth, kDesignHeight);

  for (const Control& c : kControls) {
    QWidget* parent = c.parent == nullptr ? &w : w.findChild<QWidget*>(c.parent);
    const QString text = QString::fromUtf8(c.text);
    QWidget* control = nullptr;
    switch (c.kind) {
      case Kind::GroupBox: {
        auto* box = new QGroupBox(text, parent);
        if (c.background != kNoBackground)
          fill_background(*box, QColor(QRgb(c.background)));
        control = box;
        break;
      }
      case Kind::Button:
        control = new QPushButton(text, parent);
        break;
      case Kind::ComboBox: {
        ports_ = new QComboBox(parent);
        ports_->setEditable(true);
        // Typing a port and pressing Enter must not add it to the list.
        ports_->setInsertPolicy(QComboBox::NoInsert);
        ports_->setEditText(text);
        control = ports_;
        break;
      }
      case Kind::Label:
        control = new QLabel(text, parent);
        break;
      case Kind::ListBox: {
        printers_ = new QListWidget(parent);
        printers_->setItemDelegate(new FixedHeightDelegate(printers_));
        printers_->setUniformItemSizes(true);
        control = printers_;
        break;
      }
    }
    control->setObjectName(QString::fromLatin1(c.name));
    control->setGeometry(c.left, c.top, c.width, c.height);
    if (c.kind == Kind::Label)
      size_to_text(*static_cast<QLabel*>(control));
  }

  for (std::size_t i = 0; i < labels_.size(); ++i)
    labels_[i] = w.findChild<QLabel*>(QString::fromLatin1(kLabelNames[i]));
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    QObject::connect(w.findChild<QPushButton*>(QString::fromLatin1(kButtonNames[i])),
                     &QPushButton::clicked, [this, i] {
                       if (buttons_[i])
                         buttons_[i]();
                     });
  }
}

StatusPanel::~StatusPanel() = default;

void StatusPanel::set_label(PanelLabel which, const std::string& text) {
  QLabel& label = *labels_.at(static_cast<std::size_t>(which));
  label.setText(QString::fromStdString(text));
  size_to_text(label);
  // The queue line with the printers' troubles can be wider than its group shows.
  label.setToolTip(label.text());
}

void StatusPanel::add_port(const std::string& entry) {
  // The first entry of an empty list would become the current one and replace the text the
  // operator sees; the chooser keeps its text until the operator changes it.
  const QString text = ports_->currentText();
  ports_->addItem(QString::fromStdString(entry));
  ports_->setEditText(text);
}

std::string StatusPanel::port_text() const {
  return ports_->currentText().toStdString();
}

void StatusPanel::clear_printer_list() {
  printers_->clear();
}

void StatusPanel::add_printer_line(const std::string& line) {
  // A line with the printer's state can be wider than the list.
  auto* item = new QListWidgetItem(QString::fromStdString(line), printers_);
  item->setToolTip(item->text());
}

void StatusPanel::set_size(int width, int height) {
  width_ = width;
  height_ = height;
  if (started_)
    apply_size();
}

void StatusPanel::apply_size() {
  // A window cannot be 0 x 0 on every platform; hidden is what the operator sees of it anyway.
  if (width_ <= 0 || height_ <= 0) {
    window_->hide();
    return;
  }
  window_->setGeometry(0, 0, width_, height_);
  window_->show();
}

void StatusPanel::close() {
  window_->close();
}

void StatusPanel::on_button(PanelButton which, std::function<void()> handler) {
  buttons_.at(static_cast<std::size_t>(which)) = std::move(handler);
}

void StatusPanel::on_closed(std::function<void()> handler) {
  window_->closed = std::move(handler);
}

void StatusPanel::show_window() {
  started_ = true;
  apply_size();
}

QWidget& StatusPanel::window() {
  return *window_;
}

}  // namespace talvex::platform::qt
