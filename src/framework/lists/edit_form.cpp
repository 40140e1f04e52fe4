#include "framework/lists/edit_form.h"

#include "framework/data/dbtransaction.h"
#include "framework/forms/application.h"
#include "framework/forms/cyrmessagedlg.h"
#include "framework/lists/date_edit.h"
#include "framework/lists/lookup_combo.h"
#include "framework/text/format.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>

// --- TBalloonTip -----------------------------------------------------------

TBalloonTip::TBalloonTip(QWidget *AControl, const QString &ATitle, const QString &AText)
    : QWidget(AControl ? AControl->window() : nullptr, Qt::ToolTip | Qt::FramelessWindowHint),
      FTitle(ATitle), FText(AText), FControl(AControl)
{
    setObjectName(QStringLiteral("BalloonTip"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics fm(font()), bm(bold);
    const int w = std::max(bm.horizontalAdvance(FTitle) + 30, fm.horizontalAdvance(FText)) + 20;
    resize(std::min(w, 480), bm.height() + fm.height() * (1 + fm.horizontalAdvance(FText) / 460) + 26);
    QTimer::singleShot(6000, this, &QWidget::close);
}

void TBalloonTip::ShowAt()
{
    if (FControl)
        move(FControl->mapToGlobal(QPoint(std::min(12, FControl->width() / 2), FControl->height())));
    show();
    raise();
}

void TBalloonTip::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 6.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(r, 6, 6);
    QPainterPath tip;
    tip.moveTo(10, 7);
    tip.lineTo(16, 0);
    tip.lineTo(22, 7);
    path = path.united(tip);
    p.fillPath(path, QColor(255, 255, 225));
    p.setPen(QColor(118, 118, 118));
    p.drawPath(path);
    const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    p.drawPixmap(8, 12, icon.pixmap(16, 16));
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::black);
    p.drawText(QRect(30, 10, width() - 38, QFontMetrics(bold).height() + 4), Qt::AlignLeft | Qt::AlignVCenter, FTitle);
    p.setFont(font());
    p.drawText(QRect(10, 16 + QFontMetrics(bold).height(), width() - 20, height() - 20 - QFontMetrics(bold).height()),
               Qt::AlignLeft | Qt::TextWordWrap, FText);
}

void TBalloonTip::mousePressEvent(QMouseEvent *)
{
    close();
}

// --- TfrmBaseDBEditForm ----------------------------------------------------

TfrmBaseDBEditForm::TfrmBaseDBEditForm(QWidget *owner) : TfrmYesNo(owner)
{
    setObjectName(QStringLiteral("frmBaseDBEditForm"));
    btnOk->setText(QStringLiteral("Запис"));
    btnOk->setDefault(false);
    btnOk->setAutoDefault(false);
    btnCancel->setText(QStringLiteral("Отказ"));
    btnCancel->setAutoDefault(false);
    Binder = new TFieldBinder(nullptr, this);
    // Ctrl+Enter saves from any control, memos included.
    auto *save = new QAction(this);
    save->setObjectName(QStringLiteral("actnSaveShortcut"));
    save->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    save->setShortcutContext(Qt::WindowShortcut);
    connect(save, &QAction::triggered, this, [this] { btnOk->click(); });
    addAction(save);
}

TfrmBaseDBEditForm::~TfrmBaseDBEditForm()
{
    if (FBalloon)
        delete FBalloon.data();
}

void TfrmBaseDBEditForm::SetDataSet(TDataSet *DataSet)
{
    FDataSet = DataSet;
    Binder->SetDataSet(DataSet);
}

void TfrmBaseDBEditForm::AddDetailDataSet(TDataSet *DataSet)
{
    if (DataSet && !FDetails.contains(DataSet))
        FDetails.append(DataSet);
}

QList<TDataSet *> TfrmBaseDBEditForm::DetailDataSets() const
{
    QList<TDataSet *> out;
    for (TDataSet *ds : findChildren<TDataSet *>())
        if (ds != FDataSet && !out.contains(ds))
            out.append(ds);
    for (const QPointer<TDataSet> &ds : FDetails)
        if (ds && ds != FDataSet && !out.contains(ds.data()))
            out.append(ds.data());
    return out;
}

int TfrmBaseDBEditForm::RecordCount() const
{
    return FDataSet && FDataSet->Active() ? FDataSet->RecordCount() : 0;
}

bool TfrmBaseDBEditForm::PostDetails()
{
    for (TDataSet *ds : DetailDataSets())
        if (ds->IsEditing())
            ds->Post();
    return true;
}

bool TfrmBaseDBEditForm::HasUnsavedChanges() const
{
    if (Binder->HasPendingEdits())
        return true;
    if (FDataSet && FDataSet->IsEditing() && FDataSet->Modified())
        return true;
    for (TDataSet *ds : DetailDataSets())
        if (ds->IsEditing() && ds->Modified())
            return true;
    return false;
}

bool TfrmBaseDBEditForm::Save()
{
    if (FSaving)
        return false;
    FSaving = true;
    struct Reset
    {
        bool &Flag;
        ~Reset() { Flag = false; }
    } reset{FSaving};
    try {
        Binder->UpdateRecord();
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
    if (!Validate())
        return false;
    try {
        std::vector<TDataSet *> guarded;
        for (TDataSet *ds : DetailDataSets())
            guarded.push_back(ds);
        if (FDataSet)
            guarded.push_back(FDataSet);
        TDBTransaction *tr = FDataSet ? FDataSet->Transaction() : nullptr;
        std::unique_ptr<TUnitOfWork> unit;
        if (tr)
            unit = std::make_unique<TUnitOfWork>(*tr, guarded);
        if (!PostDetails())
            return false; // the unit rolls back: nothing of the save is kept
        if (FDataSet && FDataSet->IsEditing())
            FDataSet->Post();
        if (unit)
            unit->Commit();
    } catch (...) {
        // Rolled back; the datasets are as they were, typed values included.
        Binder->LoadControls();
        HandleException(std::current_exception());
        return false;
    }
    SetModalResult(mrOk);
    return true;
}

void TfrmBaseDBEditForm::btnOkClick()
{
    Save();
}

bool TfrmBaseDBEditForm::CloseQuery(int Result)
{
    if (Result != mrOk || HasUnsavedChanges()) {
        if (HasUnsavedChanges() &&
            CyrMessageDlg(QStringLiteral("Отказвате ли се от направените промени?"), mtConfirmation,
                          {mbYes, mbNo}) != mrYes)
            return false;
    }
    if (!CanCloseEditor())
        return false;
    if (!TfrmYesNo::CloseQuery(Result))
        return false;
    if (FDataSet && FDataSet->IsEditing()) {
        // The controls must not show what the dataset goes through now.
        Binder->SetEnabled(false);
        const bool existed = FDataSet->State() == TDataSetState::Edit;
        try {
            for (TDataSet *ds : DetailDataSets())
                if (ds->IsEditing())
                    ds->Cancel();
            FDataSet->Cancel();
            if (existed)
                FDataSet->RefreshRecord();
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
    return true;
}

bool TfrmBaseDBEditForm::CheckRequired(TField &Field, const QString &Message, QWidget *Control)
{
    if (!Field.IsNull() && !(Field.DataType() == TFieldType::String && Field.AsString().isEmpty()))
        return true;
    const QString text = Message.isEmpty()
                             ? Format(QStringLiteral("Полето \"%s\" трябва да бъдe попълнено!"), Field.DisplayName())
                             : Message;
    QWidget *control = Control ? Control : Binder->ControlOf(Field.FieldName());
    // A balloon where the control has an edit box, otherwise the dialog.
    const bool balloon = control && control->isVisible() &&
                         (qobject_cast<QLineEdit *>(control) || qobject_cast<TDateEdit *>(control) ||
                          qobject_cast<TLookupComboBox *>(control) ||
                          (qobject_cast<QComboBox *>(control) && static_cast<QComboBox *>(control)->isEditable()));
    if (control)
        control->setFocus();
    if (balloon) {
        if (FBalloon)
            FBalloon->close();
        FBalloon = new TBalloonTip(control, QStringLiteral("Внимание!"), text);
        FBalloon->ShowAt();
    } else {
        CyrMessageDlg(text, mtError, {mbOK});
        if (control)
            control->setFocus();
    }
    return false;
}

bool TfrmBaseDBEditForm::CheckRequired(const QString &FieldName, const QString &Message, QWidget *Control)
{
    if (!FDataSet)
        return false;
    return CheckRequired(FDataSet->FieldByName(FieldName), Message, Control);
}

void TfrmBaseDBEditForm::SetControlsEnabled(QWidget *Container, bool Enable)
{
    if (!Container)
        return;
    auto isContainer = [](QWidget *w) {
        const QMetaObject *mo = w->metaObject();
        return mo == &QWidget::staticMetaObject || mo == &QFrame::staticMetaObject ||
               qobject_cast<QGroupBox *>(w) || qobject_cast<QTabWidget *>(w) ||
               qobject_cast<QStackedWidget *>(w) || qobject_cast<QSplitter *>(w) ||
               qobject_cast<QScrollArea *>(w);
    };
    const QList<QWidget *> children = Container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *w : children) {
        if (w->isWindow())
            continue;
        if (isContainer(w)) {
            if (!w->isHidden() && MayDescend(w)) {
                if (auto *sa = qobject_cast<QScrollArea *>(w))
                    SetControlsEnabled(sa->widget(), Enable);
                else
                    SetControlsEnabled(w, Enable);
            }
            continue;
        }
        if (Enable)
            w->setEnabled(true);
        else if (MayDisable(w))
            w->setEnabled(false);
    }
}

bool TfrmBaseDBEditForm::EnterMovesFocus(QWidget *focused) const
{
    for (QWidget *w = focused; w && w != this; w = w->parentWidget()) {
        if (qobject_cast<QAbstractItemView *>(w))
            return false; // a detail grid and its cell editors keep Enter
        if (auto *l = qobject_cast<TLookupComboBox *>(w))
            if (l->IsDroppedDown())
                return false;
        if (auto *d = qobject_cast<TDateEdit *>(w))
            if (d->IsCalendarOpen())
                return false;
    }
    return TfrmYesNo::EnterMovesFocus(focused);
}

void TfrmBaseDBEditForm::keyPressEvent(QKeyEvent *Event)
{
    if ((Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) &&
        (Event->modifiers() & Qt::ControlModifier)) {
        btnOk->click();
        Event->accept();
        return;
    }
    TfrmYesNo::keyPressEvent(Event);
}
