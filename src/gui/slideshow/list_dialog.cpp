#include "gui/slideshow/list_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

namespace cs = core::slideshow;

TListDlg::TListDlg(QWidget* parent, const QString& title, const QStringList& texts,
                   cs::EffectTable& table, std::function<void(int)> help)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), table_(table),
      help_(std::move(help)) {
    setObjectName("TListDlg");
    setWindowTitle(title);
    resize(329, 428);

    Choices = new QListWidget(this);
    Choices->setObjectName("Choices");
    // Each click toggles one item; no ranges.
    Choices->setSelectionMode(QAbstractItemView::MultiSelection);
    Choices->setUniformItemSizes(true);
    Choices->setMinimumSize(313, 353);
    Choices->addItems(texts);

    Label1 = new QLabel("Click item to select;  click again to unselect.", this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);

    btnClear = new QPushButton("Cl&ear", this);
    btnOK = new QPushButton("&Ok", this);
    btnCancel = new QPushButton("&Cancel", this);
    btnHelp = new QPushButton("&Help", this);
    btnClear->setObjectName("btnClear");
    btnOK->setObjectName("btnOK");
    btnCancel->setObjectName("btnCancel");
    btnHelp->setObjectName("btnHelp");
    btnOK->setDefault(true);
    for (QPushButton* b : {btnClear, btnOK, btnCancel, btnHelp})
        b->setAutoDefault(false);
    btnOK->setAutoDefault(true);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnClear, btnOK, btnCancel, btnHelp})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(Choices);
    layout->addWidget(Label1);
    layout->addLayout(buttons);

    connect(btnClear, &QPushButton::clicked, this, &TListDlg::btnClearClick);
    connect(btnOK, &QPushButton::clicked, this, &TListDlg::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject); // Esc too
    connect(btnHelp, &QPushButton::clicked, this, &TListDlg::btnHelpClick);

    FormActivate();
}

void TListDlg::FormActivate() {
    const auto marks = cs::ReadMarks(table_, static_cast<std::size_t>(Choices->count()));
    for (int i = 0; i < Choices->count(); ++i)
        Choices->item(i)->setSelected(marks[static_cast<std::size_t>(i)]);
    if (Choices->count() > 0) Choices->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

std::vector<bool> TListDlg::Marks() const {
    std::vector<bool> marks(static_cast<std::size_t>(Choices->count()));
    for (int i = 0; i < Choices->count(); ++i)
        marks[static_cast<std::size_t>(i)] = Choices->item(i)->isSelected();
    return marks;
}

void TListDlg::btnOKClick() {
    cs::WriteMarks(table_, Marks());
    accept();
}

void TListDlg::btnClearClick() {
    std::vector<bool> marks = Marks();
    cs::ClearMarks(marks);
    for (int i = 0; i < Choices->count(); ++i)
        Choices->item(i)->setSelected(marks[static_cast<std::size_t>(i)]);
}

void TListDlg::btnHelpClick() {
    if (help_) help_(kListHelpContext);
}

int RunListDlg(QWidget* parent, const QString& title, const QStringList& texts,
               cs::EffectTable& table, std::function<void(int)> help) {
    TListDlg dlg(parent, title, texts, table, std::move(help));
    return dlg.exec() == QDialog::Accepted ? kListOk : kListCancelled;
}

} // namespace gui
