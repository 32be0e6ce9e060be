#pragma once

#include <initializer_list>

#include <QLatin1String>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace korval::ui {

// The dialogs' controls carry the names of the original forms' controls, which the tests and the
// settings use to find them.
template <class W>
W* Named(W* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

QLabel* Caption(QWidget* parent, const char* name, const char* text);
QPushButton* Button(QWidget* parent, const char* name, const char* text);

// The buttons at the foot of a dialog, in order and pushed to the right.
QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons);

// Brings a shown dialog to the front with the focus.
void Present(QWidget* dialog);

}  // namespace korval::ui
