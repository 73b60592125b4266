// Keyboard focus and mouse wheel rules every window of the program follows.
#include "ui/input_guards.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QWheelEvent>

namespace millconv::ui {

namespace {

class WheelGuard : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel || !watched->isWidgetType()) {
            return false;
        }
        auto* control = static_cast<QWidget*>(watched);
        if (!WheelPassesOver(control)) {
            return false;
        }
        // The nearest scrolling area takes the wheel; without one it goes nowhere.
        for (QWidget* parent = control->parentWidget(); parent != nullptr;
             parent = parent->parentWidget()) {
            if (auto* area = qobject_cast<QAbstractScrollArea*>(parent)) {
                QCoreApplication::sendEvent(area->viewport(), event);
                break;
            }
        }
        return true;
    }
};

} // namespace

FocusReturn::FocusReturn() : widget_(QApplication::focusWidget()) {}

FocusReturn::~FocusReturn() {
    if (widget_ == nullptr) {
        return;
    }
    if (QWidget* window = widget_->window(); window != nullptr) {
        window->activateWindow();
    }
    widget_->setFocus(Qt::OtherFocusReason);
}

void InstallWheelGuard() {
    static QPointer<WheelGuard> guard;
    if (guard == nullptr && QCoreApplication::instance() != nullptr) {
        guard = new WheelGuard(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(guard);
    }
}

bool WheelPassesOver(const QWidget* control) {
    // Scroll bars are the areas' own; they keep the wheel.
    const bool guarded = qobject_cast<const QComboBox*>(control) != nullptr ||
                         (qobject_cast<const QAbstractSlider*>(control) != nullptr &&
                          qobject_cast<const QScrollBar*>(control) == nullptr) ||
                         qobject_cast<const QAbstractSpinBox*>(control) != nullptr;
    if (!guarded) {
        return false;
    }
    const QWidget* focus = QApplication::focusWidget();
    return focus == nullptr || (focus != control && !control->isAncestorOf(focus));
}

} // namespace millconv::ui
