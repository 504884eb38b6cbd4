// Helpers of the gui tests: pictures written by the tests themselves, and a
// window started the way the program starts it.
#pragma once

#include "core/common/bitmap.h"
#include "gui/app/scripted_prompter.h"
#include "gui/app/web_form.h"
#include "gui/app/window_status.h"
#include "gui/bookmarks/bookmark_commands.h"
#include "gui/editing/edit_commands.h"
#include "gui/editing/transform_commands.h"
#include "gui/input/open_commands.h"
#include "gui/output/save_commands.h"
#include "gui/view/picture_mouse.h"
#include "gui/view/view_geometry.h"
#include "gui/view/window_layouts.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace guitest {

// A 24-bit picture with a colour ramp, or a 1-bit picture with a thin black line.
core::Bitmap Ramp(int width, int height);
core::Bitmap OneBitLines(int width, int height);

// Writes `picture` as FORMAT (jpg, png, bmp, tga, tif, pcx) into dir; returns the path.
QString WritePicture(const QTemporaryDir& dir, const QString& name, const core::Bitmap& picture);

// Removes every stored setting.
void ClearSettings();

// A window that answers its questions through a scripted prompter and shows no boxes.
std::unique_ptr<gui::TWebForm> StartWindow(const QStringList& files = {}, bool readSettings = true);
// Start options with a fresh scripted prompter.
gui::StartOptions ScriptedOptions();
// The scripted prompter of a window started by these helpers.
gui::ScriptedPrompter& Script(const gui::TWebForm& form);

// Answers that run the real dialog (driven by the dialogs' own test runners).
gui::ScriptedPrompter::ValueFn RealValueDialog();
gui::ScriptedPrompter::ResizeFn RealResizeDialog();

// Opens through the Open command with `files` as the dialog's choice and waits.
void OpenThroughDialog(gui::TWebForm& form, const QStringList& files);

} // namespace guitest
