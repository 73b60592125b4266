// Keyboard focus and mouse wheel rules every window of the program follows.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace millconv::ui {

// Held while a dialog or message box is open: gives the focus back to the control that had it
// when the box closes (if that control still exists and can take it).
class FocusReturn {
  public:
    FocusReturn();
    ~FocusReturn();
    FocusReturn(const FocusReturn&) = delete;
    FocusReturn& operator=(const FocusReturn&) = delete;

  private:
    QPointer<QWidget> widget_;
};

// Lists, sliders and spin boxes take the wheel only while they have the focus; a wheel that
// merely passes over them scrolls the area around them instead. Installed once on the
// application; later calls do nothing.
void InstallWheelGuard();

// True when the wheel event for this control should go past it.
bool WheelPassesOver(const QWidget* control);

} // namespace millconv::ui
