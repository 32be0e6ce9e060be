#include "qt_notifier.h"

#include <iostream>

#include <QApplication>
#include <QMessageBox>

#include "twips.h"

namespace korval::ui {
namespace {

QMessageBox::Icon ToQt(Icon icon)
{
    switch (icon) {
        case Icon::Exclamation:
            return QMessageBox::Warning;
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::Critical:
            return QMessageBox::Critical;
        case Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void QtNotifier::Message(std::string_view text, std::string_view title, Icon icon)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::cerr << std::string(title) << ": " << std::string(text) << '\n';
        return;
    }
    const QString qtext = FromBytes(text);
    const QString qtitle = FromBytes(title);
    boxes_.removeAll(nullptr);
    for (const QPointer<QMessageBox>& open : boxes_) {
        if (open->text() == qtext && open->windowTitle() == qtitle) {
            open->raise();
            return;
        }
    }
    auto* box = new QMessageBox(ToQt(icon), qtitle, qtext, QMessageBox::Ok, parent_.data());
    box->setObjectName(QStringLiteral("KorvalMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    boxes_.append(box);
    box->show();
}

void QtNotifier::Beep()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::beep();
}

QList<QMessageBox*> QtNotifier::OpenBoxes() const
{
    QList<QMessageBox*> open;
    for (const QPointer<QMessageBox>& b : boxes_)
        if (b && b->isVisible()) open.append(b.data());
    return open;
}

}  // namespace korval::ui
