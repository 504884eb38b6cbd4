// Helpers of the gui tests: pictures written by the tests themselves, and a
// window started the way the program starts it.
#pragma once

#include "core/common/bitmap.h"
#include "gui/app/web_form.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace guitest {

// A 24-bit picture with a colour ramp, or a 1-bit picture with a thin black line.
core::Bitmap Ramp(int width, int height);
core::Bitmap OneBitLines(int width, int height);

// Writes `picture` as FORMAT (jpg, png, bmp, tga, tif, pcx) into dir; returns the path.
QString WritePicture(const QTemporaryDir& dir, const QString& name, const core::Bitmap& picture);

// Removes every stored setting.
void ClearSettings();

// A window that answers its own questions and shows no boxes.
std::unique_ptr<gui::TWebForm> StartWindow(const QStringList& files = {}, bool readSettings = true);

// Opens through the Open command with `files` as the dialog's choice and waits.
void OpenThroughDialog(gui::TWebForm& form, const QStringList& files);

} // namespace guitest
