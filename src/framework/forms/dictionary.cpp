#include "framework/forms/dictionary.h"

#include <stdexcept>

void TDictionary::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

QString TDictionary::Name(int index) const
{
    CheckIndex(index);
    return FEntries[size_t(index)].Name;
}

QStringList TDictionary::Names() const
{
    QStringList names;
    for (const Entry &e : FEntries)
        names << e.Name;
    return names;
}

int TDictionary::IndexOf(const QString &name) const
{
    for (size_t i = 0; i < FEntries.size(); ++i)
        if (QString::compare(FEntries[i].Name, name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

int TDictionary::Add(const QString &name)
{
    return AddValue(name, QVariant());
}

int TDictionary::AddValue(const QString &name, const QVariant &value)
{
    FEntries.push_back({name, value});
    return Count() - 1;
}

void TDictionary::Insert(int index, const QString &name)
{
    if (index < 0 || index > Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    FEntries.insert(FEntries.begin() + index, Entry{name, QVariant()});
}

QVariant TDictionary::GetValue(int index) const
{
    CheckIndex(index);
    return FEntries[size_t(index)].Value;
}

void TDictionary::SetValue(int index, const QVariant &value)
{
    CheckIndex(index);
    FEntries[size_t(index)].Value = value;
}

QVariant TDictionary::ValueOf(const QString &name) const
{
    int index = IndexOf(name);
    return index < 0 ? QVariant() : FEntries[size_t(index)].Value;
}

void TDictionary::SetNamedValue(const QString &name, const QVariant &value)
{
    int index = IndexOf(name);
    if (index < 0)
        AddValue(name, value);
    else
        FEntries[size_t(index)].Value = value;
}

void TDictionary::Delete(int index)
{
    CheckIndex(index);
    FEntries.erase(FEntries.begin() + index);
}

void TDictionary::Assign(const TDictionary &source)
{
    if (&source == this)
        return;
    std::vector<Entry> copy = source.FEntries;
    FEntries.clear();
    for (Entry &e : copy)
        FEntries.push_back(std::move(e));
}

void TDictionary::Assign(const QStringList &names)
{
    FEntries.clear();
    for (const QString &name : names)
        Add(name);
}

void TDictionary::AppendFrom(const TDictionary &source)
{
    std::vector<Entry> copy = source.FEntries; // source may be this dictionary
    for (Entry &e : copy)
        FEntries.push_back(std::move(e));
}

void TDictionary::MergeFrom(const TDictionary &source)
{
    std::vector<Entry> copy = source.FEntries;
    for (Entry &e : copy)
        SetNamedValue(e.Name, e.Value);
}
