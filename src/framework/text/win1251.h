#pragma once

// Windows-1251, the code page of the database, the settings file, the CSV
// exports and the mail text. Text that the code page cannot hold is refused,
// never altered: there are no '?' replacements.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <stdexcept>

// Whether every character of text has a Windows-1251 byte.
bool IsWin1251Text(const QString &text);

// The Windows-1251 bytes of text, or std::nullopt when a character has none.
std::optional<QByteArray> ToWin1251(const QString &text);

// The text of Windows-1251 bytes. Every byte has a character (the unused byte
// 0x98 reads as U+0098, so nothing is lost; it cannot be written back).
QString FromWin1251(const QByteArray &bytes);

// The characters of text that Windows-1251 lacks, each once, in order.
QList<char32_t> NonWin1251Chars(const QString &text);

// The one Bulgarian message for refused text, naming the characters:
// "Текстът съдържа знаци, които не могат да бъдат записани: "ő" (U+0151).
//  Премахнете ги или ги заменете и опитайте отново."
// Empty when text is all Windows-1251.
QString Win1251RefusalMessage(const QString &text);

// Thrown where text must be written in Windows-1251 and cannot be.
class ENotWin1251 : public std::runtime_error
{
public:
    explicit ENotWin1251(const QString &text)
        : std::runtime_error(Win1251RefusalMessage(text).toStdString()),
          m_message(Win1251RefusalMessage(text)) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// ToWin1251 that throws ENotWin1251 instead of returning nothing.
QByteArray ToWin1251OrThrow(const QString &text);
