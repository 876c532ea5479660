#pragma once

#include "app/ExchangeJob.h"
#include "config/Paths.h"
#include "model/ListFile.h"
#include "model/ToDoList.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include "../core/TestUtil.h"
#include "ScriptedDialogs.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

// Each test gets its own data folder, fixed date formats and a fixed clock, and dialogs that never block.
namespace fixture {
inline void setUpOnce(const QDateTime& now = QDateTime(QDate(2024, 3, 15), QTime(10, 0)))
{
    QStandardPaths::setTestModeEnabled(true);
    Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    CodePage::setCurrent(CodePage::Kind::Windows1252);
    Clock::setNow(now);
}

inline void quietDialogs(bool on)
{
    messages().reset();
    files().reset();
    MessageBox::setPresenter(on ? &messages() : nullptr);
    FileDialog::setPicker(on ? &files() : nullptr);
}

inline constexpr auto* writeFile = &testutil::writeAll;
inline constexpr auto* bytes = &testutil::readAll;

struct TempData
{
    QTemporaryDir dir;
    QString folder;

    explicit TempData(const QString& sub = QStringLiteral("data"))
    {
        folder = dir.path() + QLatin1Char('/') + sub + QLatin1Char('/');
        ResetDataPaths();
        SetDataFolderOverride(folder);
        InitDataPaths();
        InitSettingsFilePath();
        quietDialogs(true);
    }
    ~TempData()
    {
        quietDialogs(false);
        ResetDataPaths();
        SetDataFolderOverride(QString());
    }
    QString path(const QString& name) const { return folder + name; }
    void writeIni(const QByteArray& text) const
    {
        QDir().mkpath(folder);
        writeFile(SettingsFilePath(), text);
    }
};

inline ToDoItem item(const QByteArray& action, bool checked = false, const QByteArray& target = {})
{
    ToDoItem it = ToDoItem::make(action, checked);
    it.setValue(ToDoItem::Target, target);
    return it;
}

inline ToDoList list(std::initializer_list<QByteArray> actions)
{
    ToDoList l;
    for (const QByteArray& a : actions)
        l.items.push_back(item(a));
    return l;
}

inline QByteArrayList actions(const ToDoList& l)
{
    QByteArrayList out;
    for (const ToDoItem& it : l.items)
        out << it.action().toByteArray();
    return out;
}

// A widget or command of a window, found as a user finds it: by what it is, not by a field.
template <typename T> T* child(const QObject* window, const char* name)
{
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

inline QAction* action(const QObject* window, const char* name)
{
    return child<QAction>(window, name);
}

// Runs step on the modal dialog of type T once its loop is running.
template <typename T> void whenModal(std::function<void(T&)> step)
{
    QTimer::singleShot(0, [step] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget()))
            step(*dialog);
        else
            whenModal<T>(step);
    });
}

// The Im-Export jobs of a window have all finished and handed back their results.
inline bool jobsFinished(const QObject* window)
{
    const QList<ExchangeJob*> jobs = window->findChildren<ExchangeJob*>();
    return std::none_of(jobs.cbegin(), jobs.cend(), [](const ExchangeJob* job) { return job->running(); });
}

// Selects exactly the given rows of a view, as clicks with Ctrl held would.
inline void selectRows(QAbstractItemView* view, std::initializer_list<int> rows)
{
    view->selectionModel()->clearSelection();
    for (int r : rows)
        view->selectionModel()->select(view->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

inline ToDoList load(const QString& path, bool history = false)
{
    ToDoList l;
    if (history)
        LoadHistoryFile(l, path);
    else
        LoadListFile(l, path);
    return l;
}
} // namespace fixture
