#include "framework/forms/globalvalues.h"

TDictionary &GlobalValues()
{
    static TDictionary store;
    return store;
}

void PutGlobalValue(const QString &name, const QVariant &value)
{
    GlobalValues().SetNamedValue(name, value);
}

QVariant TakeGlobalValue(const QString &name, const QVariant &defaultValue)
{
    TDictionary &store = GlobalValues();
    int index = store.IndexOf(name);
    if (index < 0)
        return defaultValue;
    QVariant value = store.GetValue(index);
    store.Delete(index);
    return value;
}

int DropGlobalValues(const QString &prefix)
{
    TDictionary &store = GlobalValues();
    const QString start = prefix + QStringLiteral("::");
    int dropped = 0;
    for (int i = store.Count() - 1; i >= 0; --i) {
        if (store.Name(i).startsWith(start, Qt::CaseInsensitive)) {
            store.Delete(i);
            ++dropped;
        }
    }
    return dropped;
}
