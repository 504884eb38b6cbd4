// The settings record and the other values under the program's key, kept in
// QSettings("Corvane", "VISTREL"): VControls3623 as its exact 96 bytes,
// OpenDir and SaveDir as strings.
#pragma once

#include "core/app/settings.h"

#include <QString>

namespace gui {

struct StoredSettings {
    core::SettingsRecord record; // defaults when nothing is stored
    bool recordFound = false;
    QString openDir;
    QString saveDir;
};

StoredSettings ReadSettings();
void WriteSettings(const core::SettingsRecord& record, const QString& openDir,
                   const QString& saveDir);

} // namespace gui
