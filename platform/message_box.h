// Message boxes: a dialog when a display is available and allowed, always an echo "Title: text" on standard error.
#pragma once

#include <string>

#include "platform/platform_services.h"

// --no-dialogs: boxes go to standard error only and take their default answer.
void setDialogsEnabled(bool enabled);

void showMessageBox(const char* title, const std::string& text, MessageIcon icon);
// Yes/No question; the default answer (no dialog, or the box failed) is Yes.
bool askYesNoBox(const char* title, const std::string& text);
