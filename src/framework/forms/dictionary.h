#pragma once

// A list of names, each with a value of its own, in insertion order. Names
// are compared without regard to letter case (Cyrillic included). The list
// does not refuse duplicates by itself (Add, AddValue and Insert append what
// they are given), but every operation that takes a name works on the first
// entry of that name, and SetNamedValue never creates a second one.
// Plain Qt Core: no widget code.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

class TDictionary
{
public:
    TDictionary() = default;
    TDictionary(const TDictionary &other) { AppendFrom(other); }
    TDictionary &operator=(const TDictionary &other)
    {
        Assign(other);
        return *this;
    }
    virtual ~TDictionary() = default;

    int Count() const { return int(FEntries.size()); }
    bool IsEmpty() const { return FEntries.empty(); }
    QString Name(int index) const;        // throws std::out_of_range
    QStringList Names() const;
    int IndexOf(const QString &name) const; // the first entry of the name, or -1

    int Add(const QString &name);                          // empty value; answers its index
    int AddValue(const QString &name, const QVariant &value); // answers its index
    void Insert(int index, const QString &name);           // 0..Count(); empty value
    QVariant GetValue(int index) const;                    // throws std::out_of_range
    void SetValue(int index, const QVariant &value);       // throws std::out_of_range
    QVariant ValueOf(const QString &name) const;           // empty (invalid) when absent
    void SetNamedValue(const QString &name, const QVariant &value);
    bool Contains(const QString &name) const { return IndexOf(name) >= 0; }
    void Delete(int index);                                // throws std::out_of_range
    void Clear() { FEntries.clear(); }

    // Clear, then AppendFrom(source). Assigning the dictionary to itself
    // changes nothing.
    void Assign(const TDictionary &source);
    // From a plain list of strings: the names, each with an empty value.
    void Assign(const QStringList &names);
    // Appends every entry of source with a copy of its value.
    virtual void AppendFrom(const TDictionary &source);
    // For every entry of source: replaces the value of the first entry of the
    // same name, or appends the entry.
    virtual void MergeFrom(const TDictionary &source);

private:
    struct Entry
    {
        QString Name;
        QVariant Value;
    };
    void CheckIndex(int index) const;

    std::vector<Entry> FEntries;
};
