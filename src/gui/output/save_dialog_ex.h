// The save dialog with the JPEG panel: a compression scroll bar
// ("Compression: N") and a "&Progressive" check box under the file view.
// Which of them are usable follows the file type chosen.
#pragma once

#include <QFileDialog>
#include <QStringList>

#include <functional>

class QCheckBox;
class QLabel;
class QScrollBar;

namespace gui {

class TSaveDialogEx : public QFileDialog {
    Q_OBJECT
  public:
    explicit TSaveDialogEx(QWidget* parent = nullptr);

    // Stored only; the JPEG type the caller chose.
    bool Gray() const { return gray_; }
    void SetGray(bool on) { gray_ = on; }
    // With HTML set the panel is always fully usable.
    bool HTML() const { return html_; }
    void SetHTML(bool on);
    // 1..100, 50 at first; moves the scroll bar and the label with it.
    int CompressQuality() const { return quality_; }
    void SetCompressQuality(int value);
    bool Progressive() const;

    // Filters as "Name|*.ext|Name|*.ext"; the index counts from 1.
    void SetFilter(const QString& pipeFilter);
    void SetFilterIndex(int index);
    int FilterIndex() const;
    int FilterCount() const { return filters_.size(); }
    QString FilterName(int index) const;

    // The default extension ("jpg", "png", ...), which the panel follows.
    void SetDefaultExt(const QString& ext);
    QString DefaultExt() const { return defaultSuffix(); }

    // Called on every change of file type with the new index, before the
    // panel state is set (the main window sets the default extension there).
    std::function<void(int index)> OnTypeChange;

    // Runs the dialog; true when a file was chosen.
    bool Execute();
    QString FileName() const;

    // Sets the panel from HTML and the default extension.
    void DoTypeChange();

    QWidget* JPanel = nullptr;
    QScrollBar* JPEGscroll = nullptr;
    QLabel* JLabel = nullptr;
    QCheckBox* CheckPJpeg = nullptr;

  private:
    void TypeChanged(const QString& nameFilter);

    bool gray_ = false, html_ = false;
    int quality_ = 50;
    QStringList filters_;
};

// "Name|*.ext" pairs as Qt name filters: "Name (*.ext)".
QStringList QtNameFilters(const QString& pipeFilter);

} // namespace gui
