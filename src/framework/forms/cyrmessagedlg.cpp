#include "framework/forms/cyrmessagedlg.h"

#include "framework/forms/formutils.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cstdio>

namespace {

constexpr TMsgDlgBtn AllButtons[] = {mbYes, mbNo,    mbOK,  mbCancel,  mbAbort,
                                     mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll};

MessageDialogHandler &CurrentHandler()
{
    static MessageDialogHandler handler;
    return handler;
}

// Line breaks of every kind ("\r\n", "\n\r", a lone "\r") shown as one break.
QString DisplayText(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            result += u'\n';
            if (i + 1 < text.size()) {
                QChar next = text.at(i + 1);
                if ((next == u'\r' || next == u'\n') && next != c)
                    ++i;
            }
        } else {
            result += c;
        }
    }
    return result;
}

QScreen *ScreenForDialogs()
{
    if (QWidget *active = QApplication::activeWindow())
        if (active->screen())
            return active->screen();
    return QGuiApplication::primaryScreen();
}

} // namespace

std::vector<TMsgDlgBtn> TMsgDlgButtons::InOrder() const
{
    std::vector<TMsgDlgBtn> result;
    for (TMsgDlgBtn b : AllButtons)
        if (Contains(b))
            result.push_back(b);
    return result;
}

QString MessageCaption(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return QStringLiteral("Внимание");
    case mtError: return QStringLiteral("Грешка");
    case mtInformation: return QStringLiteral("Съобщение");
    case mtConfirmation: return QStringLiteral("Потвърждение");
    case mtCustom: return QStringLiteral("Съобщение");
    }
    return QStringLiteral("Съобщение");
}

QString ButtonCaption(TMsgDlgBtn button)
{
    switch (button) {
    case mbYes: return QStringLiteral("Да");
    case mbNo: return QStringLiteral("Не");
    case mbOK: return QStringLiteral("ОК");
    case mbCancel: return QStringLiteral("Отказ");
    case mbAbort: return QStringLiteral("Прекъсване");
    case mbRetry: return QStringLiteral("Нов опит");
    case mbIgnore: return QStringLiteral("Игнориране");
    case mbAll: return QStringLiteral("Всички");
    case mbNoToAll: return QStringLiteral("Не за всички");
    case mbYesToAll: return QStringLiteral("Да за всички");
    }
    return QString();
}

QString ButtonName(TMsgDlgBtn button)
{
    switch (button) {
    case mbYes: return QStringLiteral("Yes");
    case mbNo: return QStringLiteral("No");
    case mbOK: return QStringLiteral("OK");
    case mbCancel: return QStringLiteral("Cancel");
    case mbAbort: return QStringLiteral("Abort");
    case mbRetry: return QStringLiteral("Retry");
    case mbIgnore: return QStringLiteral("Ignore");
    case mbAll: return QStringLiteral("All");
    case mbNoToAll: return QStringLiteral("NoToAll");
    case mbYesToAll: return QStringLiteral("YesToAll");
    }
    return QString();
}

int ButtonResult(TMsgDlgBtn button)
{
    switch (button) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbNoToAll: return mrNoToAll;
    case mbYesToAll: return mrYesToAll;
    }
    return mrNone;
}

std::vector<TMsgDlgBtn> MessageRequest::ButtonOrder() const
{
    if (Buttons.IsEmpty())
        return {mbOK};
    return Buttons.InOrder();
}

std::optional<TMsgDlgBtn> MessageRequest::DefaultButton() const
{
    TMsgDlgButtons shown = Buttons.IsEmpty() ? TMsgDlgButtons{mbOK} : Buttons;
    for (TMsgDlgBtn b : {mbOK, mbYes, mbRetry})
        if (shown.Contains(b))
            return b;
    return std::nullopt;
}

std::optional<TMsgDlgBtn> MessageRequest::CancelButton() const
{
    TMsgDlgButtons shown = Buttons.IsEmpty() ? TMsgDlgButtons{mbOK} : Buttons;
    for (TMsgDlgBtn b : {mbCancel, mbNo, mbOK})
        if (shown.Contains(b))
            return b;
    return std::nullopt;
}

int MessageRequest::CloseResult() const
{
    auto cancel = CancelButton();
    return cancel ? ButtonResult(*cancel) : mrCancel;
}

MessageDialogHandler SetMessageDialogHandler(MessageDialogHandler handler)
{
    MessageDialogHandler previous = std::move(CurrentHandler());
    CurrentHandler() = std::move(handler);
    return previous;
}

int ShowMessageDialog(const MessageRequest &request)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s: %s\n", request.Caption().toUtf8().constData(),
                     request.Text.toUtf8().constData());
        return request.CloseResult();
    }
    TCyrMessageDialog dialog(request, QApplication::activeWindow());
    return dialog.exec();
}

int CyrMessageDlgPos(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext,
                     int x, int y, const QString &helpFile)
{
    MessageRequest request;
    request.Text = text;
    request.Type = type;
    request.Buttons = buttons;
    request.HelpContext = helpContext;
    request.X = x;
    request.Y = y;
    request.HelpFile = helpFile;
    // A copy, so that a handler replaced while it runs stays alive.
    MessageDialogHandler handler = CurrentHandler();
    return handler ? handler(request) : ShowMessageDialog(request);
}

int CyrMessageDlg(const QString &text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext)
{
    return CyrMessageDlgPos(text, type, buttons, helpContext, -1, -1);
}

TCyrMessageDialog::TCyrMessageDialog(const MessageRequest &request, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      FRequest(request)
{
    setObjectName(QStringLiteral("MessageDialog"));
    setWindowTitle(FRequest.Caption());
    setModal(true);

    const QFont dialogFont = QApplication::font("QMessageBox");
    setFont(dialogFont);
    const TDialogUnits du = TDialogUnits::Of(dialogFont);
    const int horzMargin = du.X(8);
    const int vertMargin = du.Y(8);
    const int horzSpacing = du.X(10);
    const int vertSpacing = du.Y(10);
    const int buttonSpacing = du.X(4);

    // The icon of the type.
    QStyle::StandardPixmap iconKind = QStyle::SP_MessageBoxInformation;
    bool hasIcon = true;
    switch (FRequest.Type) {
    case mtWarning: iconKind = QStyle::SP_MessageBoxWarning; break;
    case mtError: iconKind = QStyle::SP_MessageBoxCritical; break;
    case mtInformation: iconKind = QStyle::SP_MessageBoxInformation; break;
    case mtConfirmation: iconKind = QStyle::SP_MessageBoxQuestion; break;
    case mtCustom: hasIcon = false; break;
    }
    const int iconSize = 32;
    if (hasIcon) {
        FIcon = new QLabel(this);
        FIcon->setObjectName(QStringLiteral("Image"));
        FIcon->setPixmap(style()->standardIcon(iconKind, nullptr, this).pixmap(iconSize, iconSize));
        FIcon->setFixedSize(iconSize, iconSize);
    }

    // The text, wrapped to at most half the screen width.
    QScreen *screen = ScreenForDialogs();
    const int maxTextWidth = std::max(100, (screen ? screen->geometry().width() : 1024) / 2);
    const QString shown = DisplayText(FRequest.Text);
    FMessage = new QLabel(this);
    FMessage->setObjectName(QStringLiteral("Message"));
    FMessage->setTextFormat(Qt::PlainText);
    FMessage->setText(shown);
    FMessage->setWordWrap(true);
    FMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FMessage->setContextMenuPolicy(Qt::NoContextMenu);
    QFontMetrics metrics(dialogFont);
    int naturalWidth = 0;
    for (const QString &line : shown.split(u'\n'))
        naturalWidth = std::max(naturalWidth, metrics.horizontalAdvance(line));
    const int textWidth = std::clamp(naturalWidth + 2, 1, maxTextWidth);
    FMessage->setFixedWidth(textWidth);
    const int textHeight = std::max(metrics.height(), FMessage->heightForWidth(textWidth));
    FMessage->setFixedHeight(textHeight);

    // The buttons, all of one size.
    const std::vector<TMsgDlgBtn> order = FRequest.ButtonOrder();
    const auto defaultButton = FRequest.DefaultButton();
    int buttonWidth = du.X(50);
    int buttonHeight = du.Y(14);
    for (TMsgDlgBtn b : order) {
        auto *button = new QPushButton(ButtonCaption(b), this);
        button->setObjectName(ButtonName(b));
        const int result = ButtonResult(b);
        connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        FButtons[b] = button;
        QSize hint = button->sizeHint();
        buttonWidth = std::max(buttonWidth, hint.width() + du.X(4));
        buttonHeight = std::max(buttonHeight, hint.height());
    }
    const int buttonCount = int(order.size());
    const int buttonGroupWidth = buttonWidth * buttonCount + buttonSpacing * (buttonCount - 1);

    int iconTextWidth = textWidth;
    int iconTextHeight = textHeight;
    if (hasIcon) {
        iconTextWidth += iconSize + horzSpacing;
        iconTextHeight = std::max(iconTextHeight, iconSize);
    }
    const int clientWidth = std::max(iconTextWidth, buttonGroupWidth) + horzMargin * 2;
    const int clientHeight = iconTextHeight + vertSpacing + buttonHeight + vertMargin * 2;

    const int textLeft = horzMargin + (clientWidth - 2 * horzMargin - iconTextWidth) / 2 +
                         (hasIcon ? iconSize + horzSpacing : 0);
    FMessage->move(textLeft, vertMargin + (iconTextHeight - textHeight) / 2);
    if (FIcon)
        FIcon->move(textLeft - iconSize - horzSpacing, vertMargin);

    int x = (clientWidth - buttonGroupWidth) / 2;
    const int y = vertMargin + iconTextHeight + vertSpacing;
    for (TMsgDlgBtn b : order) {
        QPushButton *button = FButtons[b];
        button->setGeometry(x, y, buttonWidth, buttonHeight);
        x += buttonWidth + buttonSpacing;
    }
    setFixedSize(clientWidth, clientHeight);

    // Default button: Enter presses it and it has the focus at the start;
    // without one the first button has the focus and Enter presses the
    // focused button.
    if (defaultButton) {
        FButtons[*defaultButton]->setDefault(true);
        FButtons[*defaultButton]->setFocus();
    } else if (!order.empty()) {
        FButtons[order.front()]->setFocus();
    }
}

QPushButton *TCyrMessageDialog::Button(TMsgDlgBtn button) const
{
    auto it = FButtons.find(button);
    return it == FButtons.end() ? nullptr : it->second;
}

void TCyrMessageDialog::reject()
{
    done(FRequest.CloseResult());
}

void TCyrMessageDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // Esc closes only through a cancel button.
        if (FRequest.CancelButton())
            done(ButtonResult(*FRequest.CancelButton()));
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TCyrMessageDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!FPlaced) {
        FPlaced = true;
        Place();
    }
}

void TCyrMessageDialog::Place()
{
    QScreen *screen = ScreenForDialogs();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize frame = frameGeometry().size();
    int left = area.x() + (area.width() - frame.width()) / 2;
    int top = area.y() + (area.height() - frame.height()) / 2;
    if (FRequest.X >= 0)
        left = FRequest.X;
    if (FRequest.Y >= 0)
        top = FRequest.Y;
    move(left, top);
}
