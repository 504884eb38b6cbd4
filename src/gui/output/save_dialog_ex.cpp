#include "gui/output/save_dialog_ex.h"

#include "core/output/save_rules.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

namespace gui {

QStringList QtNameFilters(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + " (" + parts[i + 1] + ")";
    return out;
}

TSaveDialogEx::TSaveDialogEx(QWidget* parent) : QFileDialog(parent) {
    setObjectName("SaveDialog");
    // Our own dialog, so that the panel can live in it on every platform.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setOption(QFileDialog::DontConfirmOverwrite, false);
    setDefaultSuffix("jpg");

    JPanel = new QWidget(this);
    JPanel->setObjectName("JPanel");
    auto* column = new QVBoxLayout(JPanel);
    column->setContentsMargins(6, 6, 6, 6);
    JLabel = new QLabel(JPanel);
    JLabel->setObjectName("JLabel");
    JLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    column->addWidget(JLabel);
    auto* row = new QHBoxLayout;
    JPEGscroll = new QScrollBar(Qt::Horizontal, JPanel);
    JPEGscroll->setObjectName("JPEGscroll");
    JPEGscroll->setRange(1, 100);
    JPEGscroll->setPageStep(5);
    CheckPJpeg = new QCheckBox("&Progressive", JPanel);
    CheckPJpeg->setObjectName("CheckPJpeg");
    CheckPJpeg->setChecked(true);
    // The bar fills the middle half; the check box sits 18 pixels after it.
    row->addStretch(1);
    row->addWidget(JPEGscroll, 2);
    row->addSpacing(18);
    row->addWidget(CheckPJpeg);
    row->addStretch(1);
    column->addLayout(row);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(JPanel, grid->rowCount(), 0, 1, grid->columnCount());

    connect(JPEGscroll, &QScrollBar::valueChanged, this, [this](int v) {
        quality_ = v;
        JLabel->setText(QString("Compression: %1").arg(v));
    });
    SetCompressQuality(50);
    connect(this, &QFileDialog::filterSelected, this, &TSaveDialogEx::TypeChanged);
    DoTypeChange();
}

void TSaveDialogEx::SetHTML(bool on) {
    html_ = on;
    DoTypeChange();
}

void TSaveDialogEx::SetCompressQuality(int value) {
    quality_ = std::clamp(value, 1, 100);
    JPEGscroll->setValue(quality_);
    JLabel->setText(QString("Compression: %1").arg(quality_));
}

bool TSaveDialogEx::Progressive() const {
    return CheckPJpeg->isChecked();
}

void TSaveDialogEx::SetFilter(const QString& pipeFilter) {
    filters_ = QtNameFilters(pipeFilter);
    setNameFilters(filters_);
}

void TSaveDialogEx::SetFilterIndex(int index) {
    if (index < 1 || index > filters_.size()) index = 1;
    if (filters_.isEmpty()) return;
    selectNameFilter(filters_[index - 1]);
}

int TSaveDialogEx::FilterIndex() const {
    const int i = filters_.indexOf(selectedNameFilter());
    return i < 0 ? 1 : i + 1;
}

QString TSaveDialogEx::FilterName(int index) const {
    return index >= 1 && index <= filters_.size() ? filters_[index - 1] : QString();
}

void TSaveDialogEx::SetDefaultExt(const QString& ext) {
    setDefaultSuffix(ext);
    DoTypeChange();
}

void TSaveDialogEx::TypeChanged(const QString& nameFilter) {
    const int i = filters_.indexOf(nameFilter);
    if (OnTypeChange) OnTypeChange(i < 0 ? 1 : i + 1);
    DoTypeChange();
}

void TSaveDialogEx::DoTypeChange() {
    const auto state = core::output::PanelStateFor(html_, defaultSuffix().toStdString());
    CheckPJpeg->setEnabled(state.progressiveEnabled);
    JPEGscroll->setVisible(state.compressionVisible);
    JLabel->setVisible(state.compressionVisible);
}

bool TSaveDialogEx::Execute() {
    DoTypeChange();
    return exec() == QDialog::Accepted && !selectedFiles().isEmpty();
}

QString TSaveDialogEx::FileName() const {
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

} // namespace gui
