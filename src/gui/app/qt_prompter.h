// The program's prompter: real message boxes, dialogs and choosers.
#pragma once

#include "gui/app/prompter.h"

namespace gui {

class TSHBrowseDlg;

class QtPrompter : public Prompter {
  public:
    Button Message(const MessageBox& box) override;
    int Value(const ValueAsk& ask) override;
    int Effect(const EffectAsk& ask, EffectChannels* channels) override;
    ResizeResult Resize(const ResizeAsk& ask) override;
    int List(const ListAsk& ask, core::slideshow::EffectTable& table) override;
    QStringList OpenFiles(const QString& folder, const QString& filters, const QString& title,
                          const QString& defaultSuffix) override;
    QStringList RunOpenDialog(const std::function<TOpenDialogPlus&()>& dialog,
                              const QString& folder, const QString& filters) override;
    int Choose(const QString& title, const QString& prompt, const QStringList& items,
               int current) override;
    QString BookmarkFile(bool save, const QString& folder, const QString& filter) override;
    QString Folder(const QString& initial, const QString& caption, const QString& prompt) override;
    bool RunSaveDialog(TSaveDialogEx& dialog) override;
    int RunOptions(TOptionsForm& form) override;
    std::optional<QColor> Colour(const QColor& initial) override;
    void RunWizard(const EffectAsk& ask, JpegWizard& wizard) override;
    qint64 FreeDiskSpace(const QString& file) override;
    bool RunPrintSetup(TPrintForm& form) override;
    bool PrinterSetup(QPrinter& printer, QWidget* parent) override;

  private:
    QPointer<TSHBrowseDlg> browser_; // keeps its place and size between runs
};

} // namespace gui
