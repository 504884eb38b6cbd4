// The print layout dialog: a miniature of the printable area with a
// placeholder for the picture, two bars that place the picture on the page,
// the size bar (1 to 100 per cent of the largest size that fits), the unit
// of the texts, and the printer setup. The arithmetic is core's.
#pragma once

#include "core/print/print_layout.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollBar;

namespace gui {

class Prompter;

// Where the picture goes on the page, in printer pixels.
struct PrintPlacement {
    int x = 0, y = 0, width = 0, height = 0;
};

class TPrintForm : public QDialog {
    Q_OBJECT
  public:
    TPrintForm(QPrinter& printer, int pictureWidth, int pictureHeight, Prompter& prompter,
               std::function<void(int context)> help, QWidget* parent = nullptr);

    QLabel* PanelSettings = nullptr;
    QFrame* PanelParent = nullptr;
    QFrame* PanelImage = nullptr;
    QFrame* PaperImage = nullptr;
    QLabel* DocImage = nullptr;
    QFrame* PanelX = nullptr;
    QFrame* PanelY = nullptr;
    QScrollBar* XScroll = nullptr;
    QScrollBar* YScroll = nullptr;
    QLabel* LabelXPos = nullptr;
    QLabel* LabelYpos = nullptr;
    QLabel* LabelDocW = nullptr;
    QLabel* LabelDocH = nullptr;
    QComboBox* MeasureBox = nullptr;
    QLabel* ZoomLabel = nullptr;
    QScrollBar* ZoomScroll = nullptr;
    QPushButton* BtnReset = nullptr;
    QPushButton* BtnSetup = nullptr;
    QPushButton* BtnPrintIt = nullptr;
    QPushButton* BtnClose = nullptr;
    QPushButton* BtnHelp = nullptr;

    // The handlers.
    void FormActivate(); // the start-up of one opening
    void BtnSetupClick();
    void BtnResetClick();
    void BtnHelpClick();
    void ZoomScrollScroll();
    void XScrollChange();
    void YScrollScroll();
    void YScrollMouseDown();
    void MeasureBoxChange();
    // The working routines.
    void ResizePaper();
    void ResizeImage();
    void AllSpecs();
    void UpdateDocPosition();
    void UpdateXYscroll();

    // The placement chosen, and what the dialog shows now.
    PrintPlacement placement() const;
    core::print::LayoutReport report() const;
    core::print::Page page() const;
    double sizeFactor() const { return sizeFactor_; }
    int startups() const { return startups_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QPrinter& printer_;
    Prompter& prompter_;
    std::function<void(int)> help_;
    int pictureWidth_, pictureHeight_;
    double sizeFactor_ = 1.0;
    int docWidth_ = 1, docHeight_ = 1;
    core::print::MeasureUnit measureUnit_ = core::print::MeasureUnit::Inches;
    bool zoomApplying_ = false;
    bool started_ = false;
    int startups_ = 0;
};

} // namespace gui
