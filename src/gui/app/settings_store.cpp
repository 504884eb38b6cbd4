#include "gui/app/settings_store.h"

#include <QByteArray>
#include <QSettings>

namespace gui {

StoredSettings ReadSettings() {
    StoredSettings out;
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Corvane", "VISTREL");
    const QVariant value = s.value("VControls3623");
    if (value.isValid()) {
        const QByteArray bytes = value.toByteArray();
        out.record = core::SettingsRecord::FromBytes(
            {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
             static_cast<std::size_t>(bytes.size())});
        out.recordFound = bytes.size() == static_cast<qsizetype>(core::kSettingsRecordSize);
    }
    out.openDir = s.value("OpenDir").toString();
    out.saveDir = s.value("SaveDir").toString();
    return out;
}

QByteArray ReadBinaryValue(const QString& name) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Corvane", "VISTREL");
    return s.value(name).toByteArray();
}

void WriteBinaryValue(const QString& name, const QByteArray& bytes) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Corvane", "VISTREL");
    s.setValue(name, bytes);
    s.sync();
}

void WriteSettings(const core::SettingsRecord& record, const QString& openDir,
                   const QString& saveDir) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Corvane", "VISTREL");
    const auto bytes = record.ToBytes();
    s.setValue("VControls3623", QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                           static_cast<qsizetype>(bytes.size())));
    s.setValue("OpenDir", openDir);
    s.setValue("SaveDir", saveDir);
    s.sync();
}

} // namespace gui
