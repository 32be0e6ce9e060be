#include "dialog_parts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace korval::ui {

QLabel* Caption(QWidget* parent, const char* name, const char* text)
{
    return Named(new QLabel(QLatin1String(text), parent), name);
}

QPushButton* Button(QWidget* parent, const char* name, const char* text)
{
    return Named(new QPushButton(QLatin1String(text), parent), name);
}

QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout();
    row->addStretch();
    for (QPushButton* b : buttons) row->addWidget(b);
    return row;
}

void Present(QWidget* dialog)
{
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

}  // namespace korval::ui
