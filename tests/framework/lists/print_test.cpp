#include "framework/lists/grid_printer.h"
#include "framework/lists/list_error.h"
#include "framework/lists/print_preview.h"

#include <QBuffer>
#include <QMenu>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

TGridPrintData Rows(int Count)
{
    TGridPrintData d;
    d.Title = QStringLiteral("Държави");
    d.Captions = {QStringLiteral("Код"), QStringLiteral("Име|Българско"), QStringLiteral("Име|Английско")};
    d.Widths = {40, 120, 120};
    d.RowCount = Count;
    d.Text = [](int r, int c) { return QStringLiteral("ред %1 кол %2").arg(r).arg(c); };
    return d;
}

int PrintToPdf(const TGridPrintData &Data, std::function<bool(int)> Progress = {})
{
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buf);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(300);
    TGridPrinter p;
    p.Progress = std::move(Progress);
    return p.Print(&pdf, Data);
}

} // namespace

TEST(GridPrinter, PaginatesRowsAndStopsWhenAsked)
{
    EXPECT_EQ(PrintToPdf(Rows(0)), 1);
    EXPECT_EQ(PrintToPdf(Rows(10)), 1);
    const int many = PrintToPdf(Rows(400));
    EXPECT_GT(many, 3);

    // A long text wraps and stretches its row: fewer rows fit on a page.
    TGridPrintData tall = Rows(400);
    tall.Text = [](int r, int c) {
        return c == 1 ? QStringLiteral("дълъг текст ").repeated(12) : QString::number(r);
    };
    EXPECT_GT(PrintToPdf(tall), many);

    QList<int> asked;
    EXPECT_EQ(PrintToPdf(Rows(400), [&](int page) {
                  asked << page;
                  return page < 3;
              }),
              2);
    EXPECT_EQ(asked, (QList<int>{2, 3}));
}

TEST(PrintPreview, ToolbarButtonsAndNoPrinter)
{
    QPrinter printer;
    int renders = 0;
    TPrintPreview preview(&printer, [&](QPrinter *P, const std::function<bool(int)> &Progress) {
        ++renders;
        TGridPrinter g;
        g.Progress = Progress;
        g.Print(P, Rows(300));
    });
    struct B
    {
        QToolButton *Button;
        const char *Caption;
        const char *Hint;
    };
    const std::vector<B> buttons = {
        {preview.btnPrint, "Печат", "Избор на принтер и печат на справката"},
        {preview.btnSetup, "Настройки", "Избор и настройка на принтер за печат\nНастройки на справката"},
        {preview.btnScale, "Увеличение", "Степен на увеличение на изгледа на справката"},
        {preview.btnPrevPage, "Пред.стр.", "Показва предишната страница на справката"},
        {preview.btnNextPage, "Следв.стр.", "Показва следващата страница на справката"},
        {preview.btnStop, "Прекрати", "Прекратява генерирането на справката"},
        {preview.btnClose, "Изход", "Затваря прозореца с изгледа на справката"},
    };
    for (const B &b : buttons) {
        EXPECT_EQ(b.Button->text(), QString::fromUtf8(b.Caption));
        EXPECT_EQ(b.Button->toolTip(), QString::fromUtf8(b.Hint));
        EXPECT_GE(b.Button->minimumWidth(), 39);
    }
    ASSERT_NE(preview.btnScale->menu(), nullptr);
    EXPECT_EQ(preview.actnFitWidth->text(), QStringLiteral("По ширина"));
    EXPECT_EQ(preview.actnFitPage->text(), QStringLiteral("Цялата страница"));

    preview.show();
    preview.Preview->updatePreview();
    EXPECT_GE(renders, 1);
    EXPECT_GT(preview.PageCount(), 1);
    EXPECT_EQ(preview.Preview->zoomMode(), QPrintPreviewWidget::FitToWidth);
    EXPECT_FALSE(preview.btnPrevPage->isEnabled());
    EXPECT_TRUE(preview.btnNextPage->isEnabled());
    EXPECT_FALSE(preview.btnStop->isEnabled());
    preview.btnNextPage->click();
    EXPECT_EQ(preview.CurrentPage(), 2);
    EXPECT_TRUE(preview.btnPrevPage->isEnabled());

    SetPrintersInstalledCheck([] { return false; });
    try {
        PreviewGridPrint(Rows(1), nullptr);
        ADD_FAILURE() << "printing without a printer went on";
    } catch (const EListError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Няма инсталиран принтер!"));
    }
    SetPrintersInstalledCheck({});
}
