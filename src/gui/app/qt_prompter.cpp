#include "gui/app/qt_prompter.h"

#include "gui/slideshow/list_dialog.h"

#include "gui/dialogs/folder_browser.h"
#include "gui/dialogs/open_dialog_plus.h"
#include "gui/dialogs/value_dialog.h"
#include "gui/options/options_form.h"
#include "gui/output/jpeg_wizard.h"
#include "gui/output/save_dialog_ex.h"
#include "gui/print/print_form.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QStorageInfo>

namespace gui {

QString BoxTypeName(BoxType type) {
    switch (type) {
    case BoxType::Information:
        return "information";
    case BoxType::Warning:
        return "warning";
    case BoxType::Critical:
        return "critical";
    case BoxType::Question:
        return "question";
    }
    return "information";
}

QString ButtonNames(Buttons buttons) {
    QStringList names;
    const std::pair<Button, const char*> all[] = {{kBtnOk, "OK"},
                                                  {kBtnYes, "Yes"},
                                                  {kBtnNo, "No"},
                                                  {kBtnCancel, "Cancel"},
                                                  {kBtnIgnore, "Ignore"}};
    for (const auto& [b, name] : all)
        if (buttons & b) names << name;
    return names.join('|');
}

qint64 VolumeFreeBytes(const QString& file) {
    QStorageInfo volume(QFileInfo(file).absolutePath());
    volume.refresh();
    return volume.isValid() ? volume.bytesAvailable() : -1;
}

namespace {

QMessageBox::StandardButtons ToQt(Buttons buttons) {
    QMessageBox::StandardButtons q;
    if (buttons & kBtnOk) q |= QMessageBox::Ok;
    if (buttons & kBtnCancel) q |= QMessageBox::Cancel;
    if (buttons & kBtnYes) q |= QMessageBox::Yes;
    if (buttons & kBtnNo) q |= QMessageBox::No;
    if (buttons & kBtnIgnore) q |= QMessageBox::Ignore;
    return q;
}

Button FromQt(QMessageBox::StandardButton b, Button fallback) {
    switch (b) {
    case QMessageBox::Ok:
        return kBtnOk;
    case QMessageBox::Cancel:
        return kBtnCancel;
    case QMessageBox::Yes:
        return kBtnYes;
    case QMessageBox::No:
        return kBtnNo;
    case QMessageBox::Ignore:
        return kBtnIgnore;
    default:
        return fallback;
    }
}

} // namespace

Button QtPrompter::Message(const MessageBox& box) {
    QMessageBox::Icon icon = QMessageBox::Information;
    if (box.type == BoxType::Warning) icon = QMessageBox::Warning;
    if (box.type == BoxType::Critical) icon = QMessageBox::Critical;
    if (box.type == BoxType::Question) icon = QMessageBox::Question;
    QMessageBox m(icon, box.title, box.text, ToQt(box.buttons), window());
    m.setDefaultButton(static_cast<QMessageBox::StandardButton>(int(ToQt(box.defaultButton))));
    const int pressed = m.exec();
    // Closed without a button: the box's escape button, as Qt answers it.
    const Button escape = (box.buttons & kBtnNo)       ? kBtnNo
                          : (box.buttons & kBtnCancel) ? kBtnCancel
                                                       : kBtnOk;
    return FromQt(static_cast<QMessageBox::StandardButton>(pressed), escape);
}

int QtPrompter::List(const ListAsk& ask, core::slideshow::EffectTable& table) {
    return RunListDlg(window(), ask.title, ask.texts, table, ask.help);
}

int QtPrompter::Value(const ValueAsk& ask) {
    return ShowValueDialog(window(), ask.caption, ask.lowText, ask.highText, ask.request);
}

int QtPrompter::Effect(const EffectAsk& ask, EffectChannels* channels) {
    return ShowEffectDialog(ask.caption, ask.lowText, ask.highText, ask.request, *ask.picture,
                            channels, window(), {}, ask.help);
}

ResizeResult QtPrompter::Resize(const ResizeAsk& ask) {
    ResizeResult r;
    ShowResizeDialog(ask.x, ask.y, ask.width, &r, ask.bits, ask.maxHeight, ask.maxWidth, ask.height,
                     window());
    return r;
}

int QtPrompter::Choose(const QString& title, const QString& prompt, const QStringList& items,
                       int current) {
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(window(), title, prompt, items, current, false, &ok);
    return ok ? int(items.indexOf(chosen)) : -1;
}

QStringList QtPrompter::OpenFiles(const QString& folder, const QString& filters,
                                  const QString& title, const QString& defaultSuffix) {
    QFileDialog dialog(window(), title, folder, filters);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (!defaultSuffix.isEmpty()) dialog.setDefaultSuffix(defaultSuffix);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QStringList QtPrompter::RunOpenDialog(const std::function<TOpenDialogPlus&()>& dialog,
                                       const QString&, const QString&) {
    TOpenDialogPlus& d = dialog();
    return d.exec() == QDialog::Accepted ? d.selectedFiles() : QStringList();
}

QString QtPrompter::BookmarkFile(bool save, const QString& folder, const QString& filter) {
    QFileDialog dialog(window(), save ? "Save Bookmarks As" : "Select Bookmark file", folder,
                       filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (save)
        dialog.setAcceptMode(QFileDialog::AcceptSave);
    else
        dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("vsl");
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        return dialog.selectedFiles().first();
    return QString();
}

QString QtPrompter::Folder(const QString& initial, const QString& caption, const QString& prompt) {
    if (!browser_) {
        browser_ = new TSHBrowseDlg(window());
        browser_->SetOptions(TSHBrowseDlg::bfDirectoriesOnly | TSHBrowseDlg::bfDomainOnly |
                             TSHBrowseDlg::bfAncestors);
    }
    browser_->SetCaption(caption);
    browser_->SetSelection(initial);
    browser_->SetPrompt(prompt);
    return browser_->Execute() ? browser_->Selection() : QString();
}

bool QtPrompter::RunSaveDialog(TSaveDialogEx& dialog) {
    return dialog.Execute();
}

int QtPrompter::RunOptions(TOptionsForm& form) {
    return form.exec() == QDialog::Accepted ? 0 : -999;
}

std::optional<QColor> QtPrompter::Colour(const QColor& initial) {
    const QColor c = QColorDialog::getColor(initial, QApplication::activeWindow());
    if (!c.isValid()) return std::nullopt;
    return c;
}

void QtPrompter::RunWizard(const EffectAsk& ask, JpegWizard& wizard) {
    ShowEffectDialog(ask.caption, ask.lowText, ask.highText, ask.request, *ask.picture, nullptr,
                     window(), wizard.Hooks(), ask.help);
}

qint64 QtPrompter::FreeDiskSpace(const QString& file) {
    return VolumeFreeBytes(file);
}

bool QtPrompter::RunPrintSetup(TPrintForm& form) {
    return form.exec() == QDialog::Accepted;
}

bool QtPrompter::PrinterSetup(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent ? parent : window());
    dialog.setMinMax(1, 1);
    dialog.setFromTo(1, 1);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace gui
