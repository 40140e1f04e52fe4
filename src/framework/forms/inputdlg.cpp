#include "framework/forms/inputdlg.h"

#include "framework/forms/formutils.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

TInputDialog::TInputDialog(QWidget *owner, const QString &caption, const QString &prompt, bool numberMode)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      FNumberMode(numberMode)
{
    setObjectName(QStringLiteral("dlgInput"));
    setWindowTitle(caption);
    const TDialogUnits du = TDialogUnits::Of(font());

    // The layout, in dialog units: 186 by 60.
    Prompt = new QLabel(prompt, this);
    Prompt->setObjectName(QStringLiteral("Prompt"));
    Prompt->setTextFormat(Qt::PlainText);
    Edit = new QLineEdit(this);
    Edit->setObjectName(QStringLiteral("Edit"));
    Edit->setMaxLength(MaxLength);
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    if (numberMode)
        SetNumbersOnly(Edit);

    const int editHeight = std::max(du.Y(14), Edit->sizeHint().height());
    const int buttonHeight = std::max(du.Y(14), btnOk->sizeHint().height());
    const int buttonWidth = std::max({du.X(50), btnOk->sizeHint().width(), btnCancel->sizeHint().width()});
    const int promptHeight = std::max(du.Y(9), Prompt->sizeHint().height());
    const int left = du.X(7);
    const int width = du.X(172);
    Prompt->setGeometry(left, du.Y(8), width, promptHeight);
    const int editTop = std::max(du.Y(17), du.Y(8) + promptHeight + 2);
    Edit->setGeometry(left, editTop, width, editHeight);
    const int buttonTop = std::max(du.Y(40), editTop + editHeight + du.Y(6));
    const int cancelLeft = left + width - buttonWidth;
    btnCancel->setGeometry(cancelLeft, buttonTop, buttonWidth, buttonHeight);
    btnOk->setGeometry(cancelLeft - du.X(6) - buttonWidth, buttonTop, buttonWidth, buttonHeight);
    setFixedSize(std::max(du.X(186), left * 2 + width), buttonTop + buttonHeight + du.Y(6));

    connect(Edit, &QLineEdit::textChanged, this, &TInputDialog::UpdateOk);
    connect(btnOk, &QPushButton::clicked, this, [this] {
        if (InputValid())
            done(mrOk);
    });
    connect(btnCancel, &QPushButton::clicked, this, &TInputDialog::reject);
    UpdateOk();
}

QString TInputDialog::Text() const
{
    return Edit->text().left(MaxLength);
}

int TInputDialog::Number() const
{
    return Edit->text().toInt();
}

bool TInputDialog::InputValid() const
{
    const QString text = Edit->text();
    if (text.isEmpty())
        return false;
    if (!FNumberMode)
        return true;
    bool ok = false;
    text.toInt(&ok, 10);
    return ok;
}

void TInputDialog::UpdateOk()
{
    btnOk->setEnabled(InputValid());
}

void TInputDialog::reject()
{
    done(mrCancel);
}

void TInputDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (FPlaced)
        return;
    FPlaced = true;
    QRect area;
    if (QWidget *owner = parentWidget())
        area = owner->window()->frameGeometry();
    else if (QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid()) {
        const QSize frame = frameGeometry().size();
        move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
    }
    Edit->setFocus();
    Edit->selectAll();
}

bool InputText(QWidget *owner, const QString &caption, const QString &prompt, QString &text)
{
    TInputDialog dialog(owner, caption, prompt, false);
    dialog.Edit->setText(text.left(TInputDialog::MaxLength));
    if (dialog.exec() != mrOk)
        return false;
    text = dialog.Text();
    return true;
}

bool InputNumber(QWidget *owner, const QString &caption, const QString &prompt, int &number)
{
    TInputDialog dialog(owner, caption, prompt, true);
    dialog.Edit->setText(QString::number(number));
    if (dialog.exec() != mrOk)
        return false;
    number = dialog.Number();
    return true;
}
