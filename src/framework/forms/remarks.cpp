#include "framework/forms/remarks.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

TfrmRemarks::TfrmRemarks(QWidget *owner) : TfrmYesNo(owner)
{
    setObjectName(QStringLiteral("frmRemarks"));
    SetRestorePosition(false);
    SetRestoreSize(false);
    SetPosition(TFormPosition::ScreenCenter);

    auto *layout = new QVBoxLayout(ClientArea());
    layout->setContentsMargins(0, 0, 0, 0);
    Memo = new QPlainTextEdit(ClientArea());
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setMinimumSize(420, 240);
    layout->addWidget(Memo);
    // In a memo Enter starts a new line, so OK is not pressed by it.
    btnOk->setDefault(false);
    btnOk->setAutoDefault(false);
}

void TfrmRemarks::SetText(const QString &text)
{
    QString lines = text;
    lines.replace(QRegularExpression(QStringLiteral("\r\n|\r")), QStringLiteral("\n"));
    Memo->setPlainText(lines);
}

QString TfrmRemarks::Text() const
{
    QString text = Memo->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

void TfrmRemarks::AfterShow()
{
    Memo->setFocus();
}

bool EditRemarks(const QString &caption, QString &text)
{
    TfrmRemarks form(QApplication::activeWindow());
    form.setWindowTitle(caption);
    form.SetText(text);
    if (form.exec() != mrOk)
        return false;
    text = form.Text();
    return true;
}
