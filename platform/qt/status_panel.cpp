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

#include "platform/panel_design.h"

namespace talvex::platform::qt {
namespace {

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
    size.setHeight(kPanelListItemHeight);
    return size;
  }
};

void size_to_text(QLabel& label) {
  label.resize(label.sizeHint());
}

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
    : window_(std::make_unique<Window>()), width_(kPanelDesignWidth), height_(kPanelDesignHeight) {
  QWidget& w = *window_;
  w.setObjectName(QStringLiteral("mainWindow"));
  w.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  w.setWindowTitle(QString::fromUtf8(kPanelCaption));
  // Showing the panel must not take the focus from what the operator is doing.
  w.setAttribute(Qt::WA_ShowWithoutActivating);
  w.setFont(panel_font());
  fill_background(w, QApplication::palette().color(QPalette::Button));
  w.setGeometry(0, 0, kPanelDesignWidth, kPanelDesignHeight);

  for (const PanelControl& c : kPanelControls) {
    QWidget* parent = c.parent == nullptr ? &w : w.findChild<QWidget*>(c.parent);
    const QString text = QString::fromUtf8(c.text);
    QWidget* control = nullptr;
    switch (c.kind) {
      case ControlKind::GroupBox: {
        auto* box = new QGroupBox(text, parent);
        if (c.background != kNoBackground)
          fill_background(*box, QColor(QRgb(c.background)));
        control = box;
        break;
      }
      case ControlKind::Button:
        control = new QPushButton(text, parent);
        break;
      case ControlKind::ComboBox: {
        ports_ = new QComboBox(parent);
        ports_->setEditable(true);
        // Typing a port and pressing Enter must not add it to the list.
        ports_->setInsertPolicy(QComboBox::NoInsert);
        ports_->setEditText(text);
        control = ports_;
        break;
      }
      case ControlKind::Label:
        control = new QLabel(text, parent);
        break;
      case ControlKind::ListBox: {
        printers_ = new QListWidget(parent);
        printers_->setItemDelegate(new FixedHeightDelegate(printers_));
        printers_->setUniformItemSizes(true);
        control = printers_;
        break;
      }
    }
    control->setObjectName(QString::fromLatin1(c.name));
    control->setGeometry(c.left, c.top, c.width, c.height);
    if (c.kind == ControlKind::Label)
      size_to_text(*static_cast<QLabel*>(control));
  }

  for (std::size_t i = 0; i < labels_.size(); ++i)
    labels_[i] = w.findChild<QLabel*>(QString::fromLatin1(kPanelLabelNames[i]));
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    QObject::connect(w.findChild<QPushButton*>(QString::fromLatin1(kPanelButtonNames[i])),
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
