#pragma once

#include <string_view>

#include <QPointer>
#include <QWidget>

#include "station/seams.h"

class QMessageBox;

namespace korval::ui {

// The station's message boxes as Qt message boxes: titled as asked ("KORVAL"), with the
// asked icon and one OK button. A box never stops the program: it is shown without a nested
// event loop, so links, timers and the maps go on while it is open, and it deletes itself when
// dismissed. While a box with the same title and text is still open no second one is stacked
// on it (a source that fails every second would otherwise bury the screen); it is raised.
//
// Constructing one needs no QApplication; a message that arrives while there is none goes to
// standard error.
class QtNotifier final : public Notifier {
public:
    QtNotifier() = default;

    // Boxes are centred over this window (none: on the screen).
    void SetParentWindow(QWidget* window) { parent_ = window; }

    void Message(std::string_view text, std::string_view title, Icon icon) override;
    void Beep() override;

    // The boxes open now, oldest first.
    QList<QMessageBox*> OpenBoxes() const;

private:
    QPointer<QWidget> parent_;
    QList<QPointer<QMessageBox>> boxes_;
};

}  // namespace korval::ui
