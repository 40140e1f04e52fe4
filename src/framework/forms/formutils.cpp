#include "framework/forms/formutils.h"

#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QWidget>

#include <algorithm>
#include <cmath>

TDialogUnits TDialogUnits::Of(const QFont &font)
{
    QFontMetrics metrics(font);
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    TDialogUnits units;
    int width = metrics.horizontalAdvance(letters);
    units.BaseX = std::max(1, int(std::lround(width / 52.0)));
    units.BaseY = std::max(1, metrics.height());
    return units;
}

int TDialogUnits::X(int units) const
{
    return int(std::lround(double(units) * BaseX / 4.0));
}

int TDialogUnits::Y(int units) const
{
    return int(std::lround(double(units) * BaseY / 8.0));
}

void ForEachControl(QWidget *control, const std::function<void(QWidget *)> &callback)
{
    if (!control)
        return;
    const auto children = control->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (child->isWindow())
            continue;
        ForEachControl(child, callback);
        callback(child);
    }
}

void SetNumbersOnly(QLineEdit *edit)
{
    if (!edit)
        return;
    static const QRegularExpression digits(QStringLiteral("[0-9]*"));
    edit->setValidator(new QRegularExpressionValidator(digits, edit));
}

QColor BlendColor(const QColor &from, const QColor &to, double amount)
{
    amount = std::clamp(amount, 0.0, 1.0);
    auto mix = [amount](int a, int b) {
        return int(std::lround((1.0 - amount) * a + amount * b));
    };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()),
                  mix(from.blue(), to.blue()));
}

QPixmap GrayedPixmap(const QPixmap &source)
{
    if (source.isNull())
        return source;
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32);
    const bool alpha = source.hasAlphaChannel();
    const QRgb transparent = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            QRgb p = line[x];
            if (alpha ? qAlpha(p) == 0 : p == transparent)
                continue;
            int luminance = (qRed(p) * 32 + qGreen(p) * 40 + qBlue(p) * 28) / 300;
            int grey = (luminance + 127) / 3 + 84;
            line[x] = qRgba(grey, grey, grey, qAlpha(p));
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(source.devicePixelRatio());
    return result;
}

QIcon WithGrayedDisabled(const QIcon &icon)
{
    if (icon.isNull() || !icon.availableSizes(QIcon::Disabled).isEmpty())
        return icon;
    QIcon result = icon;
    const auto sizes = icon.availableSizes(QIcon::Normal);
    for (const QSize &size : sizes)
        result.addPixmap(GrayedPixmap(icon.pixmap(size)), QIcon::Disabled);
    return result;
}

QIcon CheckMarkIcon(bool checked, const QWidget *widget)
{
    QStyle *style = widget ? widget->style() : nullptr;
    if (!style)
        return QIcon();
    QStyleOptionButton option;
    const int side = 16;
    option.rect = QRect(0, 0, side, side);
    option.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
    if (widget)
        option.palette = widget->palette();
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, widget);
    }
    return QIcon(pixmap);
}
