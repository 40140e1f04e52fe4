#include "framework/lists/print_preview.h"

#include "framework/lists/grid_printer.h"
#include "framework/lists/list_error.h"
#include "framework/lists/list_icons.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

std::function<bool()> &PrinterCheck()
{
    static std::function<bool()> check;
    return check;
}

QIcon ThemeIcon(const char *Name, QStyle::StandardPixmap Fallback, QWidget *W)
{
    return ListIcon(QLatin1String(Name), W->style()->standardIcon(Fallback));
}

} // namespace

bool PrintersInstalled()
{
    if (PrinterCheck())
        return PrinterCheck()();
    return !QPrinterInfo::availablePrinters().isEmpty();
}

void SetPrintersInstalledCheck(std::function<bool()> Check)
{
    PrinterCheck() = std::move(Check);
}

TPrintPreview::TPrintPreview(QPrinter *APrinter, RenderFn ARender, QWidget *Parent)
    : QDialog(Parent), Printer(APrinter), Render(std::move(ARender))
{
    setObjectName(QStringLiteral("frmPrintPreview"));
    setWindowTitle(QStringLiteral("Преглед преди печат"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    resize(900, 700);

    auto *bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(20, 20));
    bar->setMovable(false);
    auto make = [&](const char *Name, const QString &Caption, const QString &Hint,
                    const char *Icon, QStyle::StandardPixmap Fallback) {
        auto *b = new QToolButton(bar);
        b->setObjectName(QLatin1String(Name));
        b->setText(Caption);
        b->setToolTip(Hint);
        b->setIcon(ThemeIcon(Icon, Fallback, this));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setMinimumSize(39, 38);
        b->setAutoRaise(true);
        bar->addWidget(b);
        return b;
    };
    btnPrint = make("btnPrint", QStringLiteral("Печат"),
                    QStringLiteral("Избор на принтер и печат на справката"), "document-print",
                    QStyle::SP_DialogSaveButton);
    btnSetup = make("btnSetup", QStringLiteral("Настройки"),
                    QStringLiteral("Избор и настройка на принтер за печат\nНастройки на справката"),
                    "document-properties", QStyle::SP_FileDialogDetailedView);
    bar->addSeparator();
    btnScale = make("btnScale", QStringLiteral("Увеличение"),
                    QStringLiteral("Степен на увеличение на изгледа на справката"), "zoom-fit-best",
                    QStyle::SP_FileDialogContentsView);
    bar->addSeparator();
    btnPrevPage = make("btnPrevPage", QStringLiteral("Пред.стр."),
                       QStringLiteral("Показва предишната страница на справката"), "go-previous",
                       QStyle::SP_ArrowLeft);
    btnNextPage = make("btnNextPage", QStringLiteral("Следв.стр."),
                       QStringLiteral("Показва следващата страница на справката"), "go-next",
                       QStyle::SP_ArrowRight);
    bar->addSeparator();
    btnStop = make("btnStop", QStringLiteral("Прекрати"),
                   QStringLiteral("Прекратява генерирането на справката"), "process-stop",
                   QStyle::SP_BrowserStop);
    btnClose = make("btnClose", QStringLiteral("Изход"),
                    QStringLiteral("Затваря прозореца с изгледа на справката"), "window-close",
                    QStyle::SP_DialogCloseButton);

    auto *scaleMenu = new QMenu(btnScale);
    actnFitWidth = scaleMenu->addAction(QStringLiteral("По ширина"));
    actnFitPage = scaleMenu->addAction(QStringLiteral("Цялата страница"));
    btnScale->setMenu(scaleMenu);
    btnScale->setPopupMode(QToolButton::InstantPopup);

    Preview = new QPrintPreviewWidget(Printer, this);
    Preview->setObjectName(QStringLiteral("Preview"));
    connect(Preview, &QPrintPreviewWidget::paintRequested, this, &TPrintPreview::Paint);
    connect(Preview, &QPrintPreviewWidget::previewChanged, this, &TPrintPreview::UpdateButtons);

    connect(btnPrint, &QToolButton::clicked, this, &TPrintPreview::PrintDocument);
    connect(btnSetup, &QToolButton::clicked, this, &TPrintPreview::PageSetup);
    connect(actnFitWidth, &QAction::triggered, Preview, &QPrintPreviewWidget::fitToWidth);
    connect(actnFitPage, &QAction::triggered, Preview, &QPrintPreviewWidget::fitInView);
    connect(btnPrevPage, &QToolButton::clicked, this, [this] {
        Preview->setCurrentPage(Preview->currentPage() - 1);
        UpdateButtons();
    });
    connect(btnNextPage, &QToolButton::clicked, this, [this] {
        Preview->setCurrentPage(Preview->currentPage() + 1);
        UpdateButtons();
    });
    connect(btnStop, &QToolButton::clicked, this, &TPrintPreview::StopGeneration);
    connect(btnClose, &QToolButton::clicked, this, &TPrintPreview::close);

    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    lay->addWidget(bar);
    lay->addWidget(Preview, 1);
    Preview->fitToWidth();
    UpdateButtons();
}

int TPrintPreview::PageCount() const
{
    return Preview->pageCount();
}

int TPrintPreview::CurrentPage() const
{
    return Preview->currentPage();
}

void TPrintPreview::Paint(QPrinter *P)
{
    InRender = true;
    StopRequested = false;
    UpdateButtons();
    // The pages shown so far are gone while new ones are drawn: the preview
    // must not paint until the generation ends.
    QList<QPointer<QWidget>> quiet;
    for (QWidget *w : Preview->findChildren<QWidget *>())
        quiet.append(w);
    quiet.append(Preview);
    for (QWidget *w : quiet)
        w->installEventFilter(this);
    auto progress = [this](int) {
        // Lets the user press "Прекрати" between pages; every other button
        // stays disabled meanwhile.
        QCoreApplication::processEvents();
        return !StopRequested;
    };
    auto unquiet = [&] {
        for (QWidget *w : quiet)
            if (w)
                w->removeEventFilter(this);
    };
    try {
        Render(P, progress);
    } catch (...) {
        unquiet();
        InRender = false;
        UpdateButtons();
        throw;
    }
    unquiet();
    InRender = false;
    UpdateButtons();
    if (CloseAfterRender) {
        CloseAfterRender = false;
        QTimer::singleShot(0, this, &TPrintPreview::close);
    }
}

bool TPrintPreview::eventFilter(QObject *Watched, QEvent *Event)
{
    if (InRender && (Event->type() == QEvent::Paint || Event->type() == QEvent::UpdateRequest))
        return true;
    return QDialog::eventFilter(Watched, Event);
}

void TPrintPreview::UpdateButtons()
{
    const bool idle = !InRender;
    btnPrint->setEnabled(idle);
    btnSetup->setEnabled(idle);
    btnScale->setEnabled(idle);
    btnPrevPage->setEnabled(idle && Preview->currentPage() > 1);
    btnNextPage->setEnabled(idle && Preview->currentPage() < Preview->pageCount());
    btnStop->setEnabled(InRender);
    btnClose->setEnabled(idle);
}

void TPrintPreview::PrintDocument()
{
    QPrintDialog dlg(Printer, this);
    if (dlg.exec() == QDialog::Accepted)
        Preview->print();
}

void TPrintPreview::PageSetup()
{
    QPageSetupDialog dlg(Printer, this);
    if (dlg.exec() == QDialog::Accepted) {
        Preview->updatePreview();
        Preview->fitToWidth();
    }
}

void TPrintPreview::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    Preview->fitToWidth();
}

void TPrintPreview::closeEvent(QCloseEvent *Event)
{
    if (InRender) {
        StopRequested = true;
        CloseAfterRender = true;
        Event->ignore();
        return;
    }
    QDialog::closeEvent(Event);
}

void TPrintPreview::reject()
{
    if (InRender) {
        StopRequested = true;
        CloseAfterRender = true;
        return;
    }
    QDialog::reject();
}

void PreviewGridPrint(const TGridPrintData &Data, QWidget *Parent, bool Landscape)
{
    if (!PrintersInstalled())
        throw EListError(QStringLiteral("Няма инсталиран принтер!"));
    QPrinter printer(QPrinter::HighResolution);
    const auto orientation = Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    if (!printer.setPageOrientation(orientation))
        throw EListError(QStringLiteral("Няма инсталиран принтер!"));
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    printer.setDocName(Data.Title);
    TGridPrinter gp;
    TPrintPreview preview(
        &printer,
        [&](QPrinter *P, const std::function<bool(int)> &Progress) {
            TGridPrinter g = gp;
            g.Progress = Progress;
            g.Print(P, Data);
        },
        Parent);
    preview.setWindowTitle(Data.Title.isEmpty() ? QStringLiteral("Преглед преди печат") : Data.Title);
    preview.exec();
}
