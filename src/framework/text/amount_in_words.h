#pragma once

// Amounts in words, in Bulgarian and English, as printed under "Словом".
//
// Gender of the units group: 0 neuter, 1 masculine, 2 feminine (it chooses
// едно/един/една and две/два/две; English ignores it). The words carry no sign:
// a negative number is read by its absolute value. A whole part of zero reads
// as the empty text. Whole parts from 10^12 up, infinities and NaN are out of
// range and throw std::out_of_range.

#include <QString>

QString NumberInWordsBG(int gender, double x);
QString NumberInWordsEN(int gender, double x);

// The whole part (masculine) in words, a space, the currency; then, when the
// two-digit fraction is above zero, a space, the conjunction, a space, the
// fraction as two digits, a space and the fraction word:
//   AmountInWordsBG("лева", "ст.", "и", 1520.05)
//     = "хиляда петстотин и двадесет лева и 05 ст."
// A fraction of .995 and more carries to the whole part and shows no fraction;
// a negative amount shows no fraction.
QString AmountInWordsBG(const QString &currency, const QString &fractionWord,
                        const QString &conjunction, double x);
QString AmountInWordsEN(const QString &currency, const QString &fractionWord,
                        const QString &conjunction, double x);
