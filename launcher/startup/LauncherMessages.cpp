#include "LauncherMessages.h"

#include "ModalMessageBox.h"

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
    execMessageBox({QMessageBox::Critical, title, text, QMessageBox::Ok, QMessageBox::NoButton, parent});
}

void LauncherMessageBoxes::plain(const QString &text)
{
    execMessageBox({QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, QMessageBox::NoButton, nullptr});
}

void LauncherMessageBoxes::warning(QWidget *parent, const QString &title, const QString &text)
{
    execMessageBox({QMessageBox::Warning, title, text, QMessageBox::Close, QMessageBox::NoButton, parent});
}
