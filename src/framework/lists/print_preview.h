#pragma once

#include <QDialog>
#include <functional>

class QAction;
class QPrinter;
class QPrintPreviewWidget;
class QToolButton;
struct TGridPrintData;

// Whether the machine has a printer; tests may replace the check.
bool PrintersInstalled();
void SetPrintersInstalledCheck(std::function<bool()> Check); // empty: the real check

// The print preview window of the grids: the pages in a preview that opens at
// page width, and a toolbar to print, set up the page, change the scale, page
// through, stop the generation and close.
class TPrintPreview : public QDialog
{
    Q_OBJECT
public:
    // Render draws the document on the printer; it calls Progress before
    // every further page and stops when Progress answers false.
    using RenderFn = std::function<void(QPrinter *Printer, const std::function<bool(int)> &Progress)>;

    TPrintPreview(QPrinter *Printer, RenderFn Render, QWidget *Parent = nullptr);

    QToolButton *btnPrint = nullptr;
    QToolButton *btnSetup = nullptr;
    QToolButton *btnScale = nullptr;
    QToolButton *btnPrevPage = nullptr;
    QToolButton *btnNextPage = nullptr;
    QToolButton *btnStop = nullptr;
    QToolButton *btnClose = nullptr;
    QAction *actnFitWidth = nullptr;
    QAction *actnFitPage = nullptr;
    QPrintPreviewWidget *Preview = nullptr;

    bool Generating() const { return InRender; }
    int PageCount() const;
    int CurrentPage() const;

    void PrintDocument(); // the print dialog, then printing
    void PageSetup();
    void StopGeneration() { StopRequested = true; }

protected:
    void showEvent(QShowEvent *Event) override;
    void closeEvent(QCloseEvent *Event) override;
    void reject() override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void Paint(QPrinter *Printer);
    void UpdateButtons();

    QPrinter *Printer;
    RenderFn Render;
    bool InRender = false;
    bool StopRequested = false;
    bool CloseAfterRender = false;
};

// Prints a grid through the preview window, modally over Parent, in portrait
// or landscape. Raises EListError "Няма инсталиран принтер!" when there is no
// printer or the orientation cannot be set.
void PreviewGridPrint(const TGridPrintData &Data, QWidget *Parent, bool Landscape = false);
