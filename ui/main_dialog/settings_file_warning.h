#pragma once

#include "platform/registry/registry.h"

class QWidget;

// Tells the user what the start found wrong with the settings file (StartSettings): one
// warning, shown over owner once its window is up, naming the file and, when it was kept
// aside, where the copy is. Nothing for a file that is fine.
void WarnAboutSettingsFile(QWidget* owner, const platform::registry::HiveCheck& check);
