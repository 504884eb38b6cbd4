// The settings record and the other values under the program's key, kept in
// QSettings("Corvane", "VISTREL"): VControls3623 as its exact 96 bytes,
// OpenDir and SaveDir as strings.
#pragma once

#include "core/app/settings.h"

#include <QByteArray>
#include <QString>

namespace gui {

struct StoredSettings {
    core::SettingsRecord record; // defaults when nothing is stored
    bool recordFound = false;
    QString openDir;
    QString saveDir;
};

StoredSettings ReadSettings();
// A binary value under the program's key (selFX01), exact bytes; empty when missing.
QByteArray ReadBinaryValue(const QString& name);
void WriteBinaryValue(const QString& name, const QByteArray& bytes);

void WriteSettings(const core::SettingsRecord& record, const QString& openDir,
                   const QString& saveDir);

} // namespace gui
