#include "framework/lists/field_binder.h"

#include "framework/forms/application.h"
#include "framework/lists/date_edit.h"
#include "framework/lists/lookup_combo.h"
#include "framework/text/formats.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

bool IsNull(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

bool SameValue(const QVariant &A, const QVariant &B)
{
    if (IsNull(A) || IsNull(B))
        return IsNull(A) == IsNull(B);
    return A.toString() == B.toString();
}

bool IsTextField(const TField *f)
{
    return f && (f->DataType() == TFieldType::String || f->DataType() == TFieldType::Memo);
}

} // namespace

TFieldBinder::TFieldBinder(TDataSet *DataSet, QObject *Parent) : QObject(Parent)
{
    SetDataSet(DataSet);
}

TFieldBinder::~TFieldBinder()
{
    for (const auto &c : FConnections)
        disconnect(c);
}

void TFieldBinder::SetDataSet(TDataSet *DataSet)
{
    for (const auto &c : FConnections)
        disconnect(c);
    FConnections.clear();
    FDataSet = DataSet;
    if (DataSet) {
        auto all = [this] { LoadControls(); };
        FConnections << connect(DataSet, &TDataSet::opened, this, all)
                     << connect(DataSet, &TDataSet::closed, this, all)
                     << connect(DataSet, &TDataSet::refreshed, this, all)
                     << connect(DataSet, &TDataSet::rowChanged, this, all)
                     << connect(DataSet, &TDataSet::stateChanged, this, all)
                     << connect(DataSet, &TDataSet::rowUpdated, this, [this](int row) {
                            if (FDataSet && row == FDataSet->CurrentRow())
                                LoadControls();
                        })
                     << connect(DataSet, &TDataSet::fieldChanged, this, [this](TField *f) {
                            if (f)
                                LoadField(f);
                            else
                                LoadControls();
                        });
    }
    LoadControls();
}

TFieldBinder::Link *TFieldBinder::Find(const QWidget *Control)
{
    for (Link &l : FLinks)
        if (l.Control == Control)
            return &l;
    return nullptr;
}

const TFieldBinder::Link *TFieldBinder::Find(const QWidget *Control) const
{
    for (const Link &l : FLinks)
        if (l.Control == Control)
            return &l;
    return nullptr;
}

void TFieldBinder::Add(Link L)
{
    if (Link *old = Find(L.Control))
        *old = L;
    else
        FLinks.push_back(L);
    QWidget *w = L.Control;
    connect(w, &QObject::destroyed, this, [this, w] {
        FLinks.erase(std::remove_if(FLinks.begin(), FLinks.end(),
                                    [w](const Link &l) { return l.Control.isNull() || l.Control == w; }),
                     FLinks.end());
    });
    Load(*Find(w));
}

void TFieldBinder::BindEdit(QLineEdit *Edit, const QString &FieldName)
{
    Add(Link{Edit, FieldName, Kind::Edit, {}, {}, {}});
    connect(Edit, &QLineEdit::textEdited, this, [this, Edit] { Typed(Edit); });
    connect(Edit, &QLineEdit::editingFinished, this, [this, Edit] { Finished(Edit); });
}

void TFieldBinder::BindMemo(QPlainTextEdit *Memo, const QString &FieldName)
{
    Add(Link{Memo, FieldName, Kind::Memo, {}, {}, {}});
    connect(Memo, &QPlainTextEdit::textChanged, this, [this, Memo] {
        if (!FLoading)
            Typed(Memo);
    });
}

void TFieldBinder::BindCheckBox(QCheckBox *Box, const QString &FieldName, const QVariant &Checked,
                                const QVariant &Unchecked)
{
    Add(Link{Box, FieldName, Kind::Check, Checked, Unchecked, {}});
    connect(Box, &QCheckBox::clicked, this, [this, Box] { Changed(Box); });
}

void TFieldBinder::BindComboBox(QComboBox *Box, const QString &FieldName, const QStringList &Items,
                                const QVariantList &Keys)
{
    FLoading = true;
    Box->clear();
    Box->addItems(Items);
    Box->setEditable(false);
    FLoading = false;
    Add(Link{Box, FieldName, Kind::Combo, {}, {}, Keys});
    connect(Box, qOverload<int>(&QComboBox::activated), this, [this, Box] { Changed(Box); });
}

void TFieldBinder::BindTextComboBox(QComboBox *Box, const QString &FieldName)
{
    Box->setEditable(true);
    Add(Link{Box, FieldName, Kind::TextCombo, {}, {}, {}});
    connect(Box, &QComboBox::editTextChanged, this, [this, Box] {
        if (!FLoading)
            Typed(Box);
    });
    connect(Box, qOverload<int>(&QComboBox::activated), this, [this, Box] { Typed(Box); });
}

void TFieldBinder::BindLookup(TLookupComboBox *Box, const QString &FieldName)
{
    Add(Link{Box, FieldName, Kind::Lookup, {}, {}, {}});
    connect(Box, &TLookupComboBox::textEdited, this, [this, Box] {
        // typing is a change of the record, even before a key is settled
        if (Link *l = Find(Box))
            BeginEdit(*l);
    });
    connect(Box, &TLookupComboBox::keyChanged, this, [this, Box] { Changed(Box); });
}

void TFieldBinder::BindDateEdit(TDateEdit *Edit, const QString &FieldName)
{
    Add(Link{Edit, FieldName, Kind::Date, {}, {}, {}});
    connect(Edit->LineEdit(), &QLineEdit::textEdited, this, [this, Edit] { Typed(Edit); });
    connect(Edit, &TDateEdit::dateChanged, this, [this, Edit] { Changed(Edit); });
    connect(Edit, &TDateEdit::invalidDate, this, [this, Edit](const QString &text) {
        try {
            throw EDataSetError(QStringLiteral("\"%1\" не е валидна дата!").arg(text));
        } catch (...) {
            ShowError(std::current_exception());
        }
        Edit->setFocus();
    });
}

void TFieldBinder::Unbind(QWidget *Control)
{
    FLinks.erase(std::remove_if(FLinks.begin(), FLinks.end(),
                                [Control](const Link &l) { return l.Control == Control; }),
                 FLinks.end());
    disconnect(Control, nullptr, this, nullptr);
}

QWidget *TFieldBinder::ControlOf(const QString &FieldName) const
{
    for (const Link &l : FLinks)
        if (l.Control && l.FieldName.compare(FieldName, Qt::CaseInsensitive) == 0)
            return l.Control;
    return nullptr;
}

QString TFieldBinder::FieldOf(const QWidget *Control) const
{
    const Link *l = Find(Control);
    return l ? l->FieldName : QString();
}

QList<QWidget *> TFieldBinder::Controls() const
{
    QList<QWidget *> out;
    for (const Link &l : FLinks)
        if (l.Control)
            out.append(l.Control);
    return out;
}

void TFieldBinder::SetEnabled(bool On)
{
    FEnabled = On;
    if (On)
        LoadControls();
}

TField *TFieldBinder::FieldOfLink(const Link &L) const
{
    if (!FDataSet)
        return nullptr;
    return FDataSet->FindField(L.FieldName);
}

void TFieldBinder::LoadControls()
{
    if (!FEnabled)
        return;
    for (Link &l : FLinks)
        Load(l);
}

void TFieldBinder::LoadField(TField *Field)
{
    if (!FEnabled)
        return;
    for (Link &l : FLinks)
        if (l.FieldName.compare(Field->FieldName(), Qt::CaseInsensitive) == 0)
            Load(l);
}

void TFieldBinder::Load(Link &L)
{
    if (!FEnabled || !L.Control || L.Control == FWriting)
        return;
    TField *f = FieldOfLink(L);
    const bool active = FDataSet && FDataSet->Active() && f &&
                        (FDataSet->CurrentRow() >= 0 || FDataSet->IsEditing());
    const QVariant value = active ? f->Value() : QVariant();
    const bool readOnly = !f || f->ReadOnly;
    FLoading = true;
    L.Pending = false;
    switch (L.Type) {
    case Kind::Edit: {
        auto *e = static_cast<QLineEdit *>(L.Control.data());
        const QString text = active ? (e->hasFocus() && FDataSet->IsEditing() ? f->Text() : f->DisplayText())
                                    : QString();
        if (e->text() != text)
            e->setText(text);
        if (f && f->DataType() == TFieldType::String && f->Size > 0)
            e->setMaxLength(f->Size);
        e->setReadOnly(readOnly);
        break;
    }
    case Kind::Memo: {
        auto *m = static_cast<QPlainTextEdit *>(L.Control.data());
        const QString text = active ? f->AsString() : QString();
        if (m->toPlainText() != text)
            m->setPlainText(text);
        m->setReadOnly(readOnly);
        break;
    }
    case Kind::Check: {
        auto *c = static_cast<QCheckBox *>(L.Control.data());
        c->setChecked(!IsNull(value) && SameValue(value, L.Checked));
        break;
    }
    case Kind::Combo: {
        auto *c = static_cast<QComboBox *>(L.Control.data());
        int at = -1;
        for (int i = 0; i < L.Keys.size(); ++i)
            if (!IsNull(value) && SameValue(value, L.Keys[i])) {
                at = i;
                break;
            }
        c->setCurrentIndex(at);
        break;
    }
    case Kind::TextCombo: {
        auto *c = static_cast<QComboBox *>(L.Control.data());
        const QString text = active ? f->AsString() : QString();
        if (c->currentText() != text)
            c->setEditText(text);
        break;
    }
    case Kind::Lookup: {
        auto *c = static_cast<TLookupComboBox *>(L.Control.data());
        if (!SameValue(c->KeyValue(), value) || IsNull(value))
            // keep typed text beside an empty key while the field is empty
            if (!(IsNull(value) && IsNull(c->KeyValue()) && c->LineEdit()->hasFocus()))
                c->SetKeyValue(value);
        c->SetReadOnly(readOnly);
        break;
    }
    case Kind::Date: {
        auto *d = static_cast<TDateEdit *>(L.Control.data());
        d->SetDate(active ? f->AsDate() : QDate());
        d->SetReadOnly(readOnly);
        break;
    }
    }
    FLoading = false;
}

bool TFieldBinder::BeginEdit(Link &L)
{
    if (!FDataSet || !FDataSet->Active())
        return false;
    if (FDataSet->IsEditing())
        return true;
    if (!AutoEdit)
        return false;
    try {
        const QWidget *keep = FWriting;
        FWriting = L.Control;
        FDataSet->Edit();
        FWriting = keep;
        return true;
    } catch (...) {
        FWriting = nullptr;
        ShowError(std::current_exception());
        Load(L);
        return false;
    }
}

bool TFieldBinder::Write(Link &L, bool Report)
{
    TField *f = FieldOfLink(L);
    if (!f || !L.Control)
        return true;
    if (!BeginEdit(L))
        return false;
    const QWidget *keep = FWriting;
    FWriting = L.Control;
    try {
        switch (L.Type) {
        case Kind::Edit:
            f->SetText(static_cast<QLineEdit *>(L.Control.data())->text());
            break;
        case Kind::Memo:
            f->SetAsString(static_cast<QPlainTextEdit *>(L.Control.data())->toPlainText());
            break;
        case Kind::Check:
            f->SetValue(static_cast<QCheckBox *>(L.Control.data())->isChecked() ? L.Checked : L.Unchecked);
            break;
        case Kind::Combo: {
            const int i = static_cast<QComboBox *>(L.Control.data())->currentIndex();
            f->SetValue(i >= 0 && i < L.Keys.size() ? L.Keys[i] : QVariant());
            break;
        }
        case Kind::TextCombo:
            f->SetAsString(static_cast<QComboBox *>(L.Control.data())->currentText());
            break;
        case Kind::Lookup:
            f->SetValue(static_cast<TLookupComboBox *>(L.Control.data())->KeyValue());
            break;
        case Kind::Date: {
            auto *d = static_cast<TDateEdit *>(L.Control.data());
            if (!d->HasValidText())
                throw EDataSetError(QStringLiteral("\"%1\" не е валидна дата!").arg(d->Text()));
            const QDate date = ParseDate(d->Text());
            f->SetValue(date.isValid() ? QVariant(date) : QVariant());
            break;
        }
        }
        L.Pending = false;
        FWriting = keep;
        return true;
    } catch (...) {
        FWriting = keep;
        L.Pending = true;
        if (Report) {
            ShowError(std::current_exception());
            return false;
        }
        throw;
    }
}

void TFieldBinder::Typed(QWidget *Control)
{
    Link *l = Find(Control);
    if (!l || FLoading)
        return;
    if (!BeginEdit(*l))
        return;
    l->Pending = true;
    TField *f = FieldOfLink(*l);
    // Text fields take every keystroke; others wait until the text converts.
    if (IsTextField(f) || l->Type == Kind::Memo || l->Type == Kind::TextCombo) {
        try {
            Write(*l, false);
        } catch (...) {
            // refused text (a character outside Windows-1251): reported when
            // the focus leaves
        }
        return;
    }
    if (l->Type == Kind::Date)
        return; // written when the box is left
    try {
        Write(*l, false);
    } catch (...) {
        // not a value yet
    }
}

void TFieldBinder::Finished(QWidget *Control)
{
    Link *l = Find(Control);
    if (!l || !l->Pending)
        return;
    if (!Write(*l, true))
        Control->setFocus();
}

void TFieldBinder::Changed(QWidget *Control)
{
    Link *l = Find(Control);
    if (!l || FLoading)
        return;
    Write(*l, true);
}

bool TFieldBinder::HasPendingEdits() const
{
    for (const Link &l : FLinks)
        if (l.Pending && l.Control)
            return true;
    return false;
}

void TFieldBinder::UpdateRecord()
{
    for (Link &l : FLinks) {
        if (!l.Pending || !l.Control)
            continue;
        try {
            Write(l, false);
        } catch (...) {
            l.Control->setFocus();
            throw;
        }
    }
}

void TFieldBinder::ShowError(std::exception_ptr Error)
{
    if (OnError)
        OnError(Error);
    else
        HandleException(Error);
}
