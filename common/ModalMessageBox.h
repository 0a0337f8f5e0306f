#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// One modal message box as the programs show them. Each program keeps its
// own small message interface, which its tests replace with a recorder; the
// real boxes behind those interfaces all come here.
struct MessageBoxRequest
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    // NoButton leaves the choice to Qt: the accepting button.
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QWidget *parent = nullptr; // none: a box of its own on the desktop
};

// Shows the box and waits until the user closes it; returns the button used.
QMessageBox::StandardButton execMessageBox(const MessageBoxRequest &request);
