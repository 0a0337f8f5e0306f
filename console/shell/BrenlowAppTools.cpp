// Interim: the keyboards and the statistics window join here.
#include "BrenlowApp.h"

void CBrenlowApp::OpenStatistics(const QString &, QWidget *) {}
void CBrenlowApp::CreateKeyboards() {}
void CBrenlowApp::DestroyKeyboards() {}
bool CBrenlowApp::KeyboardsExist() const { return false; }
void CBrenlowApp::ShowKeyboard(int, CKprotChannel *) {}
void CBrenlowApp::HideKeyboard(int, CKprotChannel *) {}
void CBrenlowApp::RepositionKeyboards() {}
