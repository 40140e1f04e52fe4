#include "app/commands.h"

#include "framework/forms/baseform.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

namespace {
QHash<QString, QPointer<QWidget>> &Instances()
{
    static QHash<QString, QPointer<QWidget>> instances;
    return instances;
}
} // namespace

QWidget *SingleInstance(const QString &name)
{
    auto &all = Instances();
    const auto it = all.find(name);
    if (it == all.end())
        return nullptr;
    if (it->isNull()) {
        all.erase(it);
        return nullptr;
    }
    return it->data();
}

void BringToFront(QWidget *window)
{
    if (!window)
        return;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

QWidget *ShowSingleInstance(const QString &name, const std::function<QWidget *()> &create)
{
    if (QWidget *open = SingleInstance(name)) {
        BringToFront(open);
        return open;
    }
    QWidget *window = create ? create() : nullptr;
    if (!window)
        return nullptr;
    Instances().insert(name, window);
    if (auto *form = qobject_cast<TfrmBaseForm *>(window))
        form->ShowModeless();
    else {
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
    }
    BringToFront(window);
    return window;
}
