#include "gui/dialogs/open_dialog_plus.h"

#include "gui/view/tpix.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>
#include <QVBoxLayout>

#include <exception>
#include <new>

namespace gui {

namespace cd = core::dialogs;

namespace {
// The paint box keeps the designed proportions (a little taller than wide).
constexpr int kBoxWidth = 188, kBoxHeight = 204;
constexpr int kIconSize = 64;
// A last file that matches no file name.
const char* const kNoFile = "\x01";
} // namespace

TPreviewBox::TPreviewBox(QWidget* parent) : QWidget(parent) {
    setObjectName("PaintBox");
    setFixedSize(kBoxWidth, kBoxHeight);
    setCursor(Qt::PointingHandCursor);
}

void TPreviewBox::showPicture(const QImage& picture) {
    kind_ = picture.isNull() ? Kind::Empty : Kind::Picture;
    picture_ = picture;
    text_.clear();
    update();
}

void TPreviewBox::showText(const QString& text) {
    kind_ = Kind::Text;
    picture_ = QImage();
    text_ = text;
    update();
}

void TPreviewBox::showIcon(const QPixmap& icon) {
    kind_ = icon.isNull() ? Kind::Empty : Kind::Icon;
    picture_ = icon.toImage();
    text_.clear();
    update();
}

void TPreviewBox::clear() {
    kind_ = Kind::Empty;
    picture_ = QImage();
    text_.clear();
    update();
}

QString TPreviewBox::state() const {
    switch (kind_) {
    case Kind::Text:
        return "text " + text_;
    case Kind::Icon:
        return "icon";
    case Kind::Picture: {
        const cd::PreviewPlace p =
            cd::PlacePreview(picture_.width(), picture_.height(), width(), height());
        return QString("picture %1x%2 at %3,%4").arg(p.width).arg(p.height).arg(p.x).arg(p.y);
    }
    case Kind::Empty:
        break;
    }
    return "empty";
}

void TPreviewBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (kind_ == Kind::Text) {
        painter.setPen(Qt::black);
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, text_);
        return;
    }
    if (picture_.isNull()) return;
    const cd::PreviewPlace p =
        cd::PlacePreview(picture_.width(), picture_.height(), width(), height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(p.x, p.y, p.width, p.height), picture_);
}

void TPreviewBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

TOpenDialogPlus::TOpenDialogPlus(QWidget* parent) : QFileDialog(parent) {
    setObjectName("OpenDialog");
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    setWindowTitle("Open");

    picturePanel_ = new QFrame(this);
    picturePanel_->setObjectName("PicturePanel");
    picturePanel_->setFrameShape(QFrame::NoFrame);
    auto* panelLayout = new QVBoxLayout(picturePanel_);
    panelLayout->setContentsMargins(6, 6, 6, 6);
    panelLayout->setSpacing(4);

    auto* top = new QHBoxLayout;
    previewButton_ = new QToolButton(picturePanel_);
    previewButton_->setObjectName("PreviewButton");
    previewButton_->setToolTip("Automatic preview");
    previewButton_->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    previewButton_->setCheckable(true);
    previewButton_->setChecked(true);
    previewButton_->setEnabled(false);
    previewButton_->setAutoRaise(true);
    previewButton_->setFixedSize(24, 24);
    pictureLabel_ = new QLabel(picturePanel_);
    pictureLabel_->setObjectName("PictureLabel");
    pictureLabel_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    top->addWidget(previewButton_);
    top->addWidget(pictureLabel_, 1);
    panelLayout->addLayout(top);

    paintPanel_ = new QFrame(picturePanel_);
    paintPanel_->setObjectName("PaintPanel");
    paintPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    paintPanel_->setLineWidth(2);
    auto* paintLayout = new QVBoxLayout(paintPanel_);
    paintLayout->setContentsMargins(2, 2, 2, 2);
    paintBox_ = new TPreviewBox(paintPanel_);
    paintLayout->addWidget(paintBox_);
    panelLayout->addWidget(paintPanel_, 0, Qt::AlignHCenter);
    panelLayout->addStretch(1);

    // The panel goes right of the standard controls, over all their rows.
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(picturePanel_, 0, grid->columnCount(), grid->rowCount(), 1);
    else if (layout())
        layout()->addWidget(picturePanel_);

    connect(this, &QFileDialog::currentChanged, this,
            [this](const QString& file) { SelectionChanged(file); });
    connect(this, &QFileDialog::directoryEntered, paintBox_,
            [this](const QString&) { paintBox_->update(); });
    connect(paintBox_, &TPreviewBox::clicked, this, [this] { PaintBoxClick(); });
    connect(previewButton_, &QToolButton::clicked, this,
            [this](bool pressed) { PreviewButtonClick(pressed); });
    // Room for the names and their sizes beside the panel: the size, type and
    // date columns show whole, the name takes what is left.
    if (auto* tree = findChild<QTreeView*>("treeView")) {
        QHeaderView* header = tree->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    resize(sizeHint().expandedTo(QSize(900, 480)));
}

void TOpenDialogPlus::Prepare(const QString& folder, const QString& filters,
                              const core::OpenEnvironment& env) {
    env_ = env;
    setNameFilters(filters.split(";;"));
    if (!folder.isEmpty()) setDirectory(folder);
    selectFile(QString());
    ImageClear();
    ClearInformation();
    pictureLabel_->clear();
    previewButton_->setEnabled(false);
    currentFile_.clear();
    lastFile_ = kNoFile;
    busy_ = false;
}

void TOpenDialogPlus::ClearInformation() {
    facts_ = cd::PreviewFacts{};
    infoFile_ = "-";
    preloadFile_.clear();
    reduced_ = false;
}

void TOpenDialogPlus::ClearPreview() {
    preview_ = core::Bitmap();
    reduced_ = false;
    preloadFile_.clear();
    paintBox_->clear();
}

core::Bitmap TOpenDialogPlus::TakeImageBitmap() {
    core::Bitmap out = std::move(preview_);
    ClearPreview();
    return out;
}

void TOpenDialogPlus::hideEvent(QHideEvent* event) {
    // The button's hint does not outlive the dialog.
    QToolTip::hideText();
    QFileDialog::hideEvent(event);
}

bool TOpenDialogPlus::ImageClear() {
    ClearPreview();
    reader_.reset();
    return true;
}

cd::PreviewReader& TOpenDialogPlus::Reader() {
    if (!reader_) reader_ = std::make_unique<cd::PreviewReader>();
    reader_->setEnvironment(env_);
    return *reader_;
}

void TOpenDialogPlus::SelectionChanged(const QString& file) {
    if (busy_) return;
    // The name is used as it is, whatever the length of its extension.
    currentFile_ = file;
    if (currentFile_ == lastFile_) return;
    const QFileInfo info(file);
    if (file.isEmpty() || !info.isFile()) {
        ClearPreview();
        ClearInformation();
        pictureLabel_->clear();
        previewButton_->setEnabled(false);
        lastFile_ = kNoFile;
        return;
    }
    // The panel describes this file from now on; the selection arriving again
    // for it (the list and the name box both report it) changes nothing.
    lastFile_ = file;
    previewButton_->setEnabled(true);
    ClearPreview();
    try {
        facts_ = Reader().ReadFacts(file.toStdString());
    } catch (const std::exception&) {
        facts_ = cd::PreviewFacts{}; // a file the readers choke on is just unreadable
    }
    if (!facts_.readable) {
        previewButton_->setEnabled(false);
        ShowFileIcon(file);
        pictureLabel_->clear();
        ClearInformation();
        return;
    }
    pictureLabel_->setText(QString::fromStdString(cd::SizeLabel(facts_)));
    infoFile_ = file;
    if (!previewButton_->isChecked() || cd::PreviewOnRequestOnly(facts_.width, facts_.height))
        paintBox_->showText(cd::kClickForPreview);
    else
        BuildPreview();
}

void TOpenDialogPlus::PaintBoxClick() {
    BuildPreview();
}

void TOpenDialogPlus::PreviewButtonClick(bool pressed) {
    // Releasing the button only stops the automatic previews.
    if (pressed) BuildPreview();
}

void TOpenDialogPlus::BuildPreview() {
    if (busy_ || !previewButton_->isEnabled() || !facts_.readable) return;
    busy_ = true;
    lastFile_ = currentFile_;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ClearPreview();
    core::Result<cd::PreviewPicture> built = core::Error{"This file cannot be read."};
    try {
        built = Reader().BuildPreview(facts_, paintBox_->width(), paintBox_->height());
    } catch (const std::bad_alloc&) {
        built = core::Error{"Insufficient memory."};
    } catch (const std::exception& e) {
        built = core::Error{e.what()};
    }
    if (built) {
        preview_ = std::move(built->picture);
        reduced_ = built->reduced;
        if (built->whole) preloadFile_ = currentFile_;
        paintBox_->showPicture(ToQImage(preview_));
    } else {
        // The open reads the file itself.
        ClearInformation();
        if (built.message() == "Insufficient memory.")
            paintBox_->showText(QString::fromStdString(built.message()));
    }
    QApplication::restoreOverrideCursor();
    busy_ = false;
}

void TOpenDialogPlus::ShowFileIcon(const QString& file) {
    QIcon icon;
    const std::string ext = cd::PreviewExtension(file.toStdString());
    if (cd::IsPreviewExtension(ext)) {
        // A picture that cannot be read.
        icon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    } else {
        const QMimeType mime = QMimeDatabase().mimeTypeForFile(file);
        icon = QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
        if (icon.isNull()) icon = QFileIconProvider().icon(QFileInfo(file));
        if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_FileIcon);
    }
    // Drawn at 64 x 64 whatever sizes the icon comes in.
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    icon.paint(&painter, QRect(0, 0, kIconSize, kIconSize));
    painter.end();
    paintBox_->showIcon(pixmap);
}

} // namespace gui
