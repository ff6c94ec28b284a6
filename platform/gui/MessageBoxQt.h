#pragma once

#include "platform/Messages.h"

#include <QMessageBox>

#include <memory>

class QApplication;

// The message box for a request: icon, German buttons, the first button as default.
std::unique_ptr<QMessageBox> CreateMessageBox(const MessageRequest& request);
// The result for the button that closed a box made by CreateMessageBox.
int MessageBoxResult(const QMessageBox& box);

// Makes ShowMessage open a real modal message box.
void InstallQtMessageHandler();

// Loads Qt's own German texts (standard dialogs, context menus); false when not installed.
bool LoadGermanTranslations(QApplication& application);
