// The list dialog of the effect selection: a list of texts where each click
// toggles one item. Item i stands for entry i of the effect table; the marks
// are read when the dialog opens and written back only on Ok.
#pragma once

#include "core/slideshow/effect_catalogue.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

namespace gui {

class TListDlg : public QDialog {
    Q_OBJECT
  public:
    TListDlg(QWidget* parent, const QString& title, const QStringList& texts,
             core::slideshow::EffectTable& table, std::function<void(int)> help = {});

    QListWidget* Choices = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;

    void btnOKClick();
    void btnClearClick();
    void btnHelpClick();

  private:
    void FormActivate();
    std::vector<bool> Marks() const;

    core::slideshow::EffectTable& table_;
    std::function<void(int)> help_;
};

constexpr int kListOk = 0;
constexpr int kListCancelled = -999;
constexpr int kListHelpContext = 300;

// Runs the dialog modally: 0 when closed with Ok, −999 otherwise.
int RunListDlg(QWidget* parent, const QString& title, const QStringList& texts,
               core::slideshow::EffectTable& table, std::function<void(int)> help = {});

} // namespace gui
