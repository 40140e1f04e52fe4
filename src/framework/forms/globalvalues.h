#pragma once

// The process-wide named-value store through which a screen and the list it
// opens exchange requests and answers. Names are list name + "::" + item,
// for instance "CITIES::RETURN_SELECTION"; letter case does not matter.
// Every value is read once: TakeGlobalValue removes what it answers, so a
// request one screen left unread does not reach the next. One thread only.
// Plain Qt Core: no widget code.

#include "framework/forms/dictionary.h"

TDictionary &GlobalValues();

// Stores value under name, replacing an earlier value of that name.
void PutGlobalValue(const QString &name, const QVariant &value);

// The value stored under name, which is removed; defaultValue when nothing
// is stored under it.
QVariant TakeGlobalValue(const QString &name, const QVariant &defaultValue = QVariant());

// Removes every value whose name starts with prefix + "::" (letter case
// ignored), so that a screen can take all that was addressed to it at once.
// Answers how many were removed.
int DropGlobalValues(const QString &prefix);
