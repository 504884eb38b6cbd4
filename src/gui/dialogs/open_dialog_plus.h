// The main window's open dialog: the file dialog with a preview panel on its
// right that shows the size and depth of the file under the cursor and a
// scaled picture, and that hands the open what it learned (and the decoded
// picture where it has the whole of it) so the file is not read twice.
#pragma once

#include "core/common/bitmap.h"
#include "core/dialogs/open_preview.h"
#include "core/input/open_pipeline.h"

#include <QFileDialog>
#include <QImage>
#include <QPixmap>
#include <QString>

#include <memory>

class QFrame;
class QLabel;
class QToolButton;

namespace gui {

// The white box the preview is painted in; a click asks for a preview.
class TPreviewBox : public QWidget {
    Q_OBJECT
  public:
    explicit TPreviewBox(QWidget* parent = nullptr);
    void showPicture(const QImage& picture);
    void showText(const QString& text);
    void showIcon(const QPixmap& icon);
    void clear();

    // What the box shows: "text …", "picture WxH at X,Y", "icon" or "empty".
    QString state() const;
    const QImage& picture() const { return picture_; }

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    enum class Kind { Empty, Text, Picture, Icon } kind_ = Kind::Empty;
    QImage picture_;
    QString text_;
};

class TOpenDialogPlus : public QFileDialog {
    Q_OBJECT
  public:
    explicit TOpenDialogPlus(QWidget* parent = nullptr);

    // Readies a showing: the folder, the filters, the window's open settings
    // (so a whole picture comes out as the window's own open makes it), an
    // empty preview and no file described yet.
    void Prepare(const QString& folder, const QString& filters, const core::OpenEnvironment& env);

    // The handlers of the dialog's events, public so a driver can work them.
    void SelectionChanged(const QString& file);
    void PaintBoxClick();
    void PreviewButtonClick(bool pressed);

    // What the open takes after the dialog closed.
    int ImageWidth() const { return facts_.width; }
    int ImageHeight() const { return facts_.height; }
    // −1 for a Photo CD pack and for a reduced 1-bit page.
    int ImageBitsPixel() const { return reduced_ ? -1 : facts_.bits; }
    QString ImageType() const { return QString::fromStdString(facts_.typeText); }
    QString ImageCompress() const { return QString::fromStdString(facts_.compressionText); }
    // The file the facts belong to; "-" when none.
    QString ImageFilename() const { return infoFile_; }
    bool ImagePreload() const { return !preloadFile_.isEmpty() && preloadFile_ == infoFile_; }
    const core::Bitmap* ImageBitmap() const { return preview_.empty() ? nullptr : &preview_; }
    bool ImageManMark() const { return facts_.imageManMark; }
    bool ConversionMark() const { return facts_.conversionMark; }
    // Hands the preview picture over; the dialog keeps none.
    core::Bitmap TakeImageBitmap();
    // Releases the preview picture, and the file the readers still hold.
    bool ImageClear();

    // The parts, for drivers and tests.
    QFrame* PicturePanel() const { return picturePanel_; }
    QLabel* PictureLabel() const { return pictureLabel_; }
    QToolButton* PreviewButton() const { return previewButton_; }
    TPreviewBox* PaintBox() const { return paintBox_; }
    bool busy() const { return busy_; }

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    void ClearInformation();
    void ClearPreview();
    void BuildPreview();
    void ShowFileIcon(const QString& file);

    QFrame* picturePanel_ = nullptr;
    QLabel* pictureLabel_ = nullptr;
    QToolButton* previewButton_ = nullptr;
    QFrame* paintPanel_ = nullptr;
    TPreviewBox* paintBox_ = nullptr;

    core::dialogs::PreviewReader& Reader();
    std::unique_ptr<core::dialogs::PreviewReader> reader_;
    core::OpenEnvironment env_;
    core::dialogs::PreviewFacts facts_;
    core::Bitmap preview_;
    QString currentFile_;
    QString lastFile_;
    QString infoFile_ = "-";
    QString preloadFile_;
    bool reduced_ = false;
    bool busy_ = false;
};

} // namespace gui
