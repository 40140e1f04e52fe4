#pragma once

#include <QString>
#include <stdexcept>

// An error of the list and editor framework; what() is the UTF-8 text of the
// Bulgarian (or, for programming errors, English) message.
class EListError : public std::runtime_error
{
public:
    explicit EListError(const QString &Message)
        : std::runtime_error(Message.toStdString()), Text(Message) {}
    QString Message() const { return Text; }

private:
    QString Text;
};
