#include "gui/output/jpeg_wizard.h"

#include "core/editing/effect_modes.h"
#include "core/output/jpeg_encoder.h"
#include "core/output/jpeg_wizard.h"
#include "gui/view/tpix.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace gui {

using core::output::WizardSettings;

JpegWizard::JpegWizard(WizardSettings& settings, QObject* parent)
    : QObject(parent), settings_(settings) {
    chooseFile = [this](QWidget* parent) {
        QFileDialog dlg(parent, "Save As");
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setNameFilter("JPG (JPEG/JFIF)  24-bit color (*.jpg)");
        dlg.setDefaultSuffix("jpg");
        if (!suggestedFile.isEmpty()) {
            dlg.setDirectory(QFileInfo(suggestedFile).absolutePath());
            dlg.selectFile(QFileInfo(suggestedFile).fileName());
        }
        return dlg.exec() == QDialog::Accepted ? dlg.selectedFiles().value(0) : QString();
    };
    showError = [](const QString& text) { QMessageBox::critical(nullptr, "Vistrel", text); };
}

EffectWizard JpegWizard::Hooks() {
    EffectWizard w;
    w.activate = [this](TFXdlg& dlg) { Activate(dlg); };
    w.test = [this](TFXdlg& dlg) { Test(dlg); };
    w.close = [this](TFXdlg& dlg) { Close(dlg); };
    return w;
}

void JpegWizard::BuildGroup(TFXdlg& dlg) {
    QGroupBox* group = dlg.GroupJPG();
    auto* grid = new QGridLayout;
    if (auto* box = qobject_cast<QBoxLayout*>(group->layout())) box->addLayout(grid);

    Label1 = new QLabel("1 (best)", group);
    Label1->setObjectName("Label1");
    lblJPGmax = new QLabel("255 (smaller)", group);
    lblJPGmax->setObjectName("lblJPGmax");
    lblJPGmax->setAlignment(Qt::AlignRight);
    ScrollBarJPG = new QScrollBar(Qt::Horizontal, group);
    ScrollBarJPG->setObjectName("ScrollBarJPG");
    ScrollBarJPG->setRange(1, 255);
    ScrollBarJPG->setPageStep(8);
    ScrollBarJPG->setValue(48);
    EditJPG = new QLineEdit("48", group);
    EditJPG->setObjectName("EditJPG");
    EditJPG->setMaximumWidth(50);
    grid->addWidget(ScrollBarJPG, 0, 0, 1, 2);
    grid->addWidget(EditJPG, 0, 2);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(lblJPGmax, 1, 1);

    auto check = [&](const char* text, const char* name, int row, int col) {
        auto* c = new QCheckBox(text, group);
        c->setObjectName(name);
        grid->addWidget(c, row, col);
        return c;
    };
    chkProgressive = check("&Progressive", "chkProgressive", 2, 0);
    chkSubSample = check("S&ubsample", "chkSubSample", 2, 1);
    chkOptimize = check("Optimi&ze coding", "chkOptimize", 3, 0);
    chkFloats = check("&High accuracy", "chkFloats", 3, 1);
    chkLinear = check("&More compression", "chkLinear", 4, 0);

    grpSmoothing = new QGroupBox("&Smoothing", group);
    grpSmoothing->setObjectName("grpSmoothing");
    auto* radios = new QHBoxLayout(grpSmoothing);
    auto* buttons = new QButtonGroup(grpSmoothing);
    const char* names[3] = {"Standard", "Parametric", "Gaussian"};
    for (int i = 0; i < 3; ++i) {
        smoothing[i] = new QRadioButton(names[i], grpSmoothing);
        buttons->addButton(smoothing[i], i);
        radios->addWidget(smoothing[i]);
    }
    grid->addWidget(grpSmoothing, 2, 2, 3, 1);

    auto* status = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        StatusBar1[i] = new QLabel(i == 0 ? "File size:" : "Compression ratio:", group);
        StatusBar1[i]->setAlignment(Qt::AlignCenter);
        StatusBar1[i]->setFrameShape(QFrame::StyledPanel);
        status->addWidget(StatusBar1[i], 1);
    }
    grid->addLayout(status, 5, 0, 1, 3);

    connect(ScrollBarJPG, &QScrollBar::valueChanged, EditJPG,
            [this](int v) { EditJPG->setText(QString::number(v)); });
    connect(EditJPG, &QLineEdit::editingFinished, this, [this] { EditJPGChanged(); });
    connect(chkLinear, &QCheckBox::clicked, this, [this] { chkLinearClick(); });
    connect(chkOptimize, &QCheckBox::clicked, this, [this] { chkLinearClick(); });
}

void JpegWizard::Activate(TFXdlg& dlg) {
    BuildGroup(dlg);
    if (auto* label = dlg.findChild<QLabel*>("lblModified")) label->setText("Compressed image");
    dlg.btnOK()->setText("Save &As");
    dlg.btnOK()->setEnabled(false);
    dlg.btnCancel()->setText("&Quit");
    // "Save As" writes the last Test's bytes and keeps the dialog open.
    QObject::disconnect(dlg.btnOK(), &QPushButton::clicked, &dlg, nullptr);
    connect(dlg.btnOK(), &QPushButton::clicked, this, [this, &dlg] { SaveAs(dlg); });

    const WizardSettings& s = settings_;
    smoothing[std::clamp(s.smoothingMethod, 0, 2)]->setChecked(true);
    chkFloats->setChecked(s.highAccuracy);
    chkSubSample->setChecked(s.subsample);
    chkOptimize->setChecked(s.optimize);
    chkProgressive->setChecked(s.progressive);
    ScrollBarJPG->setValue(std::clamp(s.scale, 1, 255));

    // Both previews scroll together.
    Timer1 = new QTimer(&dlg);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(250);
    connect(Timer1, &QTimer::timeout, this, [this, &dlg] {
        if (syncing_) return;
        syncing_ = true;
        dlg.ScrollBox2()->horizontalScrollBar()->setValue(
            dlg.ScrollBox1()->horizontalScrollBar()->value());
        dlg.ScrollBox2()->verticalScrollBar()->setValue(
            dlg.ScrollBox1()->verticalScrollBar()->value());
        syncing_ = false;
    });
    Timer1->start();
    dlg.adjustSize();
}

void JpegWizard::EditJPGChanged() {
    bool ok = false;
    int v = EditJPG->text().trimmed().toInt(&ok);
    if (!ok) v = ScrollBarJPG->value();
    v = std::clamp(v, 1, ScrollBarJPG->maximum());
    EditJPG->setText(QString::number(v));
    ScrollBarJPG->setValue(v);
}

void JpegWizard::chkLinearClick() {
    if (chkLinear->isChecked()) {
        ScrollBarJPG->setMaximum(512);
        lblJPGmax->setText("512 (smaller)");
    } else {
        if (ScrollBarJPG->value() >= 256) ScrollBarJPG->setValue(255);
        ScrollBarJPG->setMaximum(255);
        lblJPGmax->setText("255 (smaller)");
    }
}

WizardSettings JpegWizard::FromControls(const TFXdlg& dlg) const {
    WizardSettings s;
    for (int i = 0; i < 3; ++i)
        if (smoothing[i]->isChecked()) s.smoothingMethod = i;
    s.highAccuracy = chkFloats->isChecked();
    s.subsample = chkSubSample->isChecked();
    s.optimize = chkOptimize->isChecked();
    s.progressive = chkProgressive->isChecked();
    s.smoothing = dlg.slider(0)->value();
    s.scale = ScrollBarJPG->value();
    return s;
}

void JpegWizard::Test(TFXdlg& dlg) {
    if (EditJPG->isModified()) EditJPGChanged();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const WizardSettings s = FromControls(dlg);
    // Parametric is Defocus with 255 − s, Gaussian the thresholded mean with
    // 255 − s over all nine pixels: the effect modes of those commands.
    const core::output::WizardSmoothing smooth = [](core::Bitmap& picture, int method,
                                                    int strength) {
        core::editing::ApplyEffect(
            picture, method == 1 ? core::editing::kModeDefocus : core::editing::kModeGaussian,
            strength);
    };
    auto outcome = core::output::RunWizardTest(dlg.BeforePix()->Bitmap(), s, smooth);
    QApplication::restoreOverrideCursor();
    if (!outcome) {
        if (showError) showError(QString::fromStdString(outcome.message()));
        return;
    }
    stream_ = std::move(outcome->jpeg);
    const int w = outcome->decoded.width(), h = outcome->decoded.height();
    dlg.AfterPix()->SetBitmap(std::move(outcome->decoded));
    dlg.AfterPix()->resize(w, h);
    dlg.AfterPix()->update();
    StatusBar1[0]->setText(QString::fromStdString(outcome->fileSizeText));
    StatusBar1[1]->setText(QString::fromStdString(outcome->ratioText));
    if (onTest) onTest(core::output::StoredWizardScale(s.scale));
    dlg.btnOK()->setEnabled(true);
}

void JpegWizard::SaveAs(TFXdlg& dlg) {
    if (stream_.empty() || !dlg.btnOK()->isEnabled()) return;
    const QString file = chooseFile ? chooseFile(&dlg) : QString();
    if (file.isEmpty()) return;
    if (auto st = core::output::WriteBytesToFile(file.toStdString(), stream_); !st)
        if (showError) showError(QString::fromStdString(st.message()));
}

void JpegWizard::Close(TFXdlg& dlg) {
    if (Timer1) Timer1->stop();
    if (!ScrollBarJPG) return;
    settings_ = FromControls(dlg);
    settings_.scale = core::output::StoredWizardScale(settings_.scale);
    stream_.clear();
}

} // namespace gui
