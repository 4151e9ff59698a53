#include "platform/qt/error_box.h"

#include <QMessageBox>

#include <ostream>

namespace talvex::platform::qt {

ErrorBox::ErrorBox(std::ostream& log, bool echo) : log_(log), echo_(echo) {}

ErrorBox::~ErrorBox() {
  delete box_.data();
}

QMessageBox* ErrorBox::open_box() const {
  return box_ && box_->isVisible() ? box_.data() : nullptr;
}

void ErrorBox::show_error(const std::string& caption, const std::string& text,
                          const std::string& context) {
  const bool busy = open_box() != nullptr;
  if (busy || echo_) {
    // One write for the whole line, so that a reader of the log never sees half of it.
    log_ << caption + ": " + (context.empty() ? "" : context + ": ") + text + "\n" << std::flush;
  }
  if (busy)
    return;
  delete box_.data();  // closed but not yet deleted
  auto* box = new QMessageBox(QMessageBox::Critical, QString::fromStdString(caption),
                              QString::fromStdString(text), QMessageBox::Ok);
  // Modal over the program like the box of a failing handler always is, yet shown without a
  // loop of its own so that the caller returns and the timers go on.
  box->setWindowModality(Qt::ApplicationModal);
  QObject::connect(box, &QMessageBox::finished, box, &QObject::deleteLater);
  box_ = box;
  box->show();
}

namespace {

void show_startup_box(QMessageBox::Icon icon, const std::string& caption, const std::string& text) {
  QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text),
                  QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace

void show_startup_failure(const std::string& caption, const std::string& text) {
  show_startup_box(QMessageBox::Critical, caption, text);
}

void show_startup_notice(const std::string& caption, const std::string& text) {
  show_startup_box(QMessageBox::Information, caption, text);
}

}  // namespace talvex::platform::qt
