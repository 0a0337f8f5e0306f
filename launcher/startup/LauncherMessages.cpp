#include "LauncherMessages.h"

#include <QMessageBox>

namespace {
LauncherMessageBoxes g_realBoxes;
LauncherMessages *g_installed = nullptr;
}

LauncherMessages::~LauncherMessages() = default;

LauncherMessages &LauncherMessages::current()
{
    if (g_installed)
        return *g_installed;
    return g_realBoxes;
}

void LauncherMessages::install(LauncherMessages *messages)
{
    g_installed = messages;
}

void LauncherMessageBoxes::critical(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::critical(parent, title, text, QMessageBox::Ok, QMessageBox::NoButton);
}

void LauncherMessageBoxes::plain(const QString &text)
{
    QMessageBox box;
    box.setText(text);
    box.exec();
}

void LauncherMessageBoxes::warning(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::warning(parent, title, text, QMessageBox::Close);
}
