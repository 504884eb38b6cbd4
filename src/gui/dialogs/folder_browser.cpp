#include "gui/dialogs/folder_browser.h"

#include "core/bookmarks/compact_path.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWidget>

namespace gui {

TSHBrowseDlg::TSHBrowseDlg(QObject* owner) : QObject(owner) {}

TSHBrowseDlg::~TSHBrowseDlg() {
    if (dialog_) dialog_->reject();
}

QString TSHBrowseDlg::RootPath(TRootID root) {
    using R = TRootID;
    auto place = [](QStandardPaths::StandardLocation l) {
        const QString p = QStandardPaths::writableLocation(l);
        return p.isEmpty() ? QDir::homePath() : p;
    };
    switch (root) {
    case R::idDesktop:
    case R::idDesktopExpanded:
    case R::idDrives:
        return QDir::rootPath();
    case R::idDesktopDirectory:
    case R::idCommonDesktopDirectory:
        return place(QStandardPaths::DesktopLocation);
    case R::idPersonal:
        return place(QStandardPaths::DocumentsLocation);
    case R::idPrograms:
    case R::idStartMenu:
    case R::idCommonStartMenu:
    case R::idCommonPrograms:
        return place(QStandardPaths::ApplicationsLocation);
    case R::idFonts:
        return place(QStandardPaths::FontsLocation);
    case R::idAppData:
        return place(QStandardPaths::GenericDataLocation);
    case R::idPictures:
        return place(QStandardPaths::PicturesLocation);
    case R::idMusic:
        return place(QStandardPaths::MusicLocation);
    case R::idMovies:
        return place(QStandardPaths::MoviesLocation);
    case R::idDownloads:
        return place(QStandardPaths::DownloadLocation);
    default:
        return QDir::homePath();
    }
}

void TSHBrowseDlg::SetSelection(const QString& path) {
    if (path == selection_) return;
    selection_ = path;
    enableOK_ = false; // stored only; selecting the folder decides the button
    if (!selection_.isEmpty() && !selection_.endsWith('/') && QFileInfo(selection_).isDir())
        selection_ += '/';
    if (dialog_) SelectInDialog();
}

void TSHBrowseDlg::SetStatusText(const QString& text) {
    statusText_ = text;
    if (dialog_) ShowStatus();
}

void TSHBrowseDlg::SetEnableOK(bool on) {
    enableOK_ = on;
    if (ok_) ok_->setEnabled(on);
}

QString TSHBrowseDlg::Caption() const {
    return dialog_ ? dialog_->windowTitle() : caption_;
}

void TSHBrowseDlg::SetCaption(const QString& text) {
    caption_ = text;
    if (dialog_ && !text.isEmpty()) dialog_->setWindowTitle(text);
}

QString TSHBrowseDlg::ShownStatus() const {
    return status_ ? status_->text() : QString();
}

void TSHBrowseDlg::SetStatusWidth(int pixels) {
    if (!status_) return;
    status_->setFixedWidth(pixels);
    ShowStatus();
}

void TSHBrowseDlg::ShowStatus() {
    if (!status_) return;
    const QFontMetrics metrics(status_->font());
    const core::TextWidthFn width = [&metrics](const std::string& s) {
        return metrics.horizontalAdvance(QString::fromStdString(s));
    };
    const std::string text = statusText_.toStdString();
    const int room = std::max(1, status_->width() - 2 * status_->margin());
    const bool folder = !statusText_.isEmpty() && QFileInfo(statusText_).isDir();
    status_->setText(QString::fromStdString(folder ? core::CompactPath(text, room, width)
                                                   : core::CompactText(text, room, width)));
    status_->setToolTip(statusText_);
}

void TSHBrowseDlg::SelectInDialog() {
    if (!tree_ || selection_.isEmpty()) return;
    QString path = selection_;
    if (path.size() > 1 && path.endsWith('/')) path.chop(1);
    const QModelIndex index = model_->index(path);
    if (!index.isValid()) return;
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
    SelectionChanged(index);
}

void TSHBrowseDlg::SelectionChanged(const QModelIndex& index) {
    const QString path = index.isValid() ? model_->filePath(index) : QString();
    const QFileInfo info(path);
    const bool usable = !path.isEmpty() && (info.isDir() || (options_ & bfIncludeFiles));
    if (ok_) ok_->setEnabled(usable);
    enableOK_ = usable;
    SetStatusText(path);
    if (OnSelChanged) OnSelChanged(this, path);
}

bool TSHBrowseDlg::Execute() {
    QWidget* owner = qobject_cast<QWidget*>(parent());
    if (!owner) owner = QApplication::activeWindow();
    QDialog dialog(owner);
    dialog.setObjectName("SHBrowseDlg");
    dialog.setWindowTitle(caption_.isEmpty() ? QString("Browse for Folder") : caption_);
    dialog.resize(360, 420);
    auto* layout = new QVBoxLayout(&dialog);
    auto* prompt = new QLabel(prompt_, &dialog);
    prompt->setObjectName("prompt");
    prompt->setWordWrap(true);
    layout->addWidget(prompt);
    status_ = new QLabel(&dialog);
    status_->setObjectName("status");
    status_->setMinimumWidth(1);
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(status_);

    QFileSystemModel model;
    QDir::Filters filters = QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives;
    if (options_ & bfIncludeFiles) filters |= QDir::Files;
    model.setFilter(filters);
    const QString rootPath = RootPath(root_);
    model.setRootPath(rootPath);
    model_ = &model;
    tree_ = new QTreeView(&dialog);
    tree_->setObjectName("tree");
    tree_->setModel(&model);
    tree_->setRootIndex(model.index(rootPath));
    for (int c = 1; c < model.columnCount(); ++c)
        tree_->hideColumn(c);
    tree_->header()->hide();
    layout->addWidget(tree_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { SelectionChanged(current); });

    dialog_ = &dialog;
    if (center_) {
        if (QScreen* s = owner ? owner->screen() : QApplication::primaryScreen()) {
            const QRect area = s->availableGeometry();
            dialog.move(area.x() + (area.width() - dialog.width()) / 2,
                        area.y() + (area.height() - dialog.height()) / 2);
        }
    }
    ok_->setEnabled(enableOK_);
    if (!statusText_.isEmpty()) ShowStatus();
    SelectInDialog();
    if (OnCreate) OnCreate(this);

    const bool accepted = dialog.exec() == QDialog::Accepted;
    QString chosen;
    if (accepted && tree_->currentIndex().isValid()) chosen = model.filePath(tree_->currentIndex());
    dialog_ = nullptr;
    status_ = nullptr;
    ok_ = nullptr;
    tree_ = nullptr;
    model_ = nullptr;
    // Only a file-system folder (or a file where files are offered) counts.
    const QFileInfo info(chosen);
    const bool ok = accepted && !chosen.isEmpty() &&
                    (info.isDir() || ((options_ & bfIncludeFiles) && info.exists()));
    imageIndex_ = ok ? 0 : -1;
    selection_ = ok ? chosen : QString();
    return ok;
}

} // namespace gui
