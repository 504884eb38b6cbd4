// TSHBrowseDlg: asks for a folder in a tree of the file system, with a prompt
// above the tree, a caption, a preset selection and a status line that shows
// the current path compacted to fit. A component of its owner: it keeps its
// properties between runs and builds its dialog only while Execute runs.
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;
class QTreeView;
class QFileSystemModel;
class QModelIndex;

namespace gui {

class TSHBrowseDlg : public QObject {
    Q_OBJECT
  public:
    // The folders at the top of the tree. Places without a file-system folder
    // here (the network, printers, the control panel …) show the home folder;
    // the desktop and the drives show the whole file system.
    enum class TRootID {
        idDesktop,
        idInternet,
        idPrograms,
        idControlPanel,
        idPrinters,
        idPersonal,
        idFavorites,
        idStartup,
        idRecent,
        idSendTo,
        idRecycleBin,
        idStartMenu,
        idDesktopDirectory,
        idDrives,
        idNetwork,
        idNetHood,
        idFonts,
        idTemplates,
        idCommonStartMenu,
        idCommonPrograms,
        idCommonStartup,
        idCommonDesktopDirectory,
        idAppData,
        idPrintHood,
        idDesktopExpanded,
        idHome,
        idPictures,
        idMusic,
        idMovies,
        idDownloads
    };
    enum TBrowseFlag : unsigned {
        bfDirectoriesOnly = 0x0001,
        bfDomainOnly = 0x0002,
        bfAncestors = 0x0008,
        bfComputers = 0x1000,
        bfPrinters = 0x2000,
        bfIncludeFiles = 0x4000,
    };

    explicit TSHBrowseDlg(QObject* owner = nullptr);
    ~TSHBrowseDlg() override;

    // Shows the dialog; true when a folder was chosen (then in Selection).
    bool Execute();

    QString Selection() const { return selection_; }
    // A folder that exists gets a trailing separator; selected at once when open.
    void SetSelection(const QString& path);
    QString Prompt() const { return prompt_; }
    void SetPrompt(const QString& text) { prompt_ = text; }
    TRootID Root() const { return root_; }
    void SetRoot(TRootID root) { root_ = root; }
    unsigned Options() const { return options_; }
    void SetOptions(unsigned flags) { options_ = flags; }
    bool Center() const { return center_; }
    void SetCenter(bool on) { center_ = on; }
    QString StatusText() const { return statusText_; }
    void SetStatusText(const QString& text);
    bool EnableOK() const { return enableOK_; }
    void SetEnableOK(bool on);
    int ImageIndex() const { return imageIndex_; }
    // The open dialog's title, else the stored caption.
    QString Caption() const;
    void SetCaption(const QString& text);

    std::function<void(TSHBrowseDlg*, const QString&)> OnSelChanged;
    std::function<void(TSHBrowseDlg*)> OnCreate;

    // The folder a root stands for.
    static QString RootPath(TRootID root);
    // While Execute runs: the dialog and its status line (for tests).
    QDialog* Dialog() const { return dialog_; }
    QString ShownStatus() const;
    void SetStatusWidth(int pixels);

  private:
    void SelectInDialog();
    void SelectionChanged(const QModelIndex& index);
    void ShowStatus();

    QString selection_, prompt_, statusText_, caption_;
    TRootID root_ = TRootID::idDesktop;
    unsigned options_ = 0;
    bool center_ = true;
    bool enableOK_ = true;
    int imageIndex_ = -1;

    QPointer<QDialog> dialog_;
    QLabel* status_ = nullptr;
    QPushButton* ok_ = nullptr;
    QTreeView* tree_ = nullptr;
    QFileSystemModel* model_ = nullptr;
};

} // namespace gui
