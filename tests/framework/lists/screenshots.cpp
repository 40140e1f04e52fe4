// Draws a list form, a record editor and the print preview into PNG files
// (the folder given as the first argument), to look at them.

#include "framework/data/basedm.h"
#include "framework/lists/date_edit.h"
#include "framework/lists/edit_form.h"
#include "framework/lists/grid_printer.h"
#include "framework/lists/list_form.h"
#include "framework/lists/lookup_combo.h"
#include "framework/lists/print_preview.h"
#include "framework/settings/settings.h"
#include "support/db/test_database.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QPrinter>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QTemporaryDir tmp;
    CreateAppSettings(tmp.filePath("s.xdb"));
    testsupport::TestDatabase tdb(testsupport::TestDatabase::Version::Current,
                                  testsupport::TestDatabase::Content::SampleRows);
    const char *names[][3] = {{"AT", "Австрия", "Austria"}, {"GR", "Гърция", "Greece"},
                              {"RO", "Румъния", "Romania"}, {"RS", "Сърбия", "Serbia"},
                              {"TR", "Турция", "Turkey"},   {"IT", "Италия", "Italy"},
                              {"FR", "Франция", "France"},  {"ES", "Испания", "Spain"}};
    int id = 3;
    for (auto &n : names)
        tdb.exec(QStringLiteral("insert into COUNTRIES (ID, CODE, NAME, NAME_ENG) values (%1, '%2', '%3', '%4')")
                     .arg(id++)
                     .arg(n[0], n[1], n[2]));
    TBaseDM dm;
    dm.ConnectPauseMs = 0;
    dm.IBDatabase.Params = tdb.params();
    dm.Connect();
    TDataSet q;
    q.SetTransaction(&dm.IBTransaction);
    q.SetSelectSQL("select c.*, (select count(*) from CITIES t where t.COUNTRY_ID = c.ID) CITIES "
                   "from COUNTRIES c where (1=1) order by c.NAME");
    q.Open();

    TIBGridForm list;
    list.setWindowTitle("Държави");
    list.CanFind = true;
    list.CanPrint = true;
    list.HasComments = true;
    list.Grid->AddColumn("CODE", "Код", 50);
    list.Grid->AddColumn("NAME", "Име|Българско", 160);
    list.Grid->AddColumn("NAME_ENG", "Име|Английско", 160);
    TGridColumn cities;
    cities.FieldName = "CITIES";
    cities.Title = "Градове";
    cities.Width = 70;
    cities.Footer = TFooterKind::Sum;
    list.Grid->AddColumn(cities);
    list.Grid->Column(0).TitleButton = true;
    list.Grid->Column(1).TitleButton = true;
    list.Grid->Column(1).SortMarker = 1;
    list.Grid->Column(1).SortIndex = 1;
    list.Grid->Column(0).Footer = TFooterKind::Text;
    list.Grid->Column(0).FooterText = "ОБЩО:";
    list.SetDataSet(&q);
    list.Grid->ColumnsChanged();
    auto *memo = new QPlainTextEdit(list.pnlComments);
    memo->setPlainText("Бележки към държавата");
    list.pnlComments->layout()->addWidget(memo);
    list.resize(640, 420);
    list.show();
    list.btnCommentPanel->setChecked(true);
    q.Locate("ID", 4);
    app.processEvents();
    list.grab().save(out + "/list_form.png");

    q.Edit();
    TfrmBaseDBEditForm ed;
    ed.setWindowTitle("Държава");
    auto *form = new QFormLayout(ed.ClientArea());
    auto *eCode = new QLineEdit;
    auto *eName = new QLineEdit;
    auto *eNameEng = new QLineEdit;
    auto *neighbour = new TLookupComboBox;
    neighbour->SetListSource(&q);
    neighbour->SetListFields("CODE;NAME");
    neighbour->ListFieldIndex = 1;
    neighbour->ListWidth = 220;
    neighbour->ShowTitles = true;
    auto *since = new TDateEdit;
    since->SetDate(QDate(2007, 1, 1));
    auto *eu = new QCheckBox("Член на ЕС");
    eu->setChecked(true);
    auto *notes = new QPlainTextEdit;
    notes->setPlainText("Свободен текст");
    notes->setFixedHeight(60);
    form->addRow("Код", eCode);
    form->addRow("Име", eName);
    form->addRow("Name", eNameEng);
    form->addRow("Съседна държава", neighbour);
    form->addRow("В ЕС от", since);
    form->addRow("", eu);
    form->addRow("Бележки", notes);
    ed.SetDataSet(&q);
    ed.Binder->BindEdit(eCode, "CODE");
    ed.Binder->BindEdit(eName, "NAME");
    ed.Binder->BindEdit(eNameEng, "NAME_ENG");
    neighbour->SetKeyValue(1);
    ed.resize(380, 300);
    ed.show();
    app.processEvents();
    ed.grab().save(out + "/editor.png");
    q.FieldByName("NAME").Clear();
    ed.CheckRequired("NAME");
    app.processEvents();
    if (ed.Balloon()) {
        QPixmap shot = ed.grab();
        QPixmap b = ed.Balloon()->grab();
        QPainter p(&shot);
        p.drawPixmap(ed.Balloon()->mapToGlobal(QPoint(0, 0)) - ed.mapToGlobal(QPoint(0, 0)), b);
        p.end();
        shot.save(out + "/editor_required.png");
    }
    neighbour->DropDown();
    app.processEvents();
    neighbour->ListView()->window()->grab().save(out + "/lookup_list.png");
    neighbour->CloseUp(false);

    QPrinter printer;
    TGridPrintData data = list.Grid->PrintData(list.windowTitle());
    TPrintPreview preview(&printer, [&](QPrinter *P, const std::function<bool(int)> &progress) {
        TGridPrinter g;
        g.Progress = progress;
        g.Print(P, data);
    });
    preview.resize(800, 600);
    preview.show();
    app.processEvents();
    preview.grab().save(out + "/print_preview.png");
    ed.hide();
    q.Cancel();
    list.hide();
    DestroyAppSettings();
    return 0;
}
