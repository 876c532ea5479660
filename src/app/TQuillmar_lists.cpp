// The three lists the window switches between: the standard list, the history list and external lists,
// each saved by its own mode before the window shows another one.
#include "app/TQuillmar.h"

#include "config/Paths.h"
#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"
#include "model/ListFile.h"

#include <QFileInfo>
#include <QTextEdit>
#include <QTreeView>

namespace
{
const QString kOpenFilter = QStringLiteral("Ext. Todo files (*.tdx)");
const QString kSaveFilter = QStringLiteral("Ext Todo Files (*.tdx)");
// Both dialogs add ".tdx" to a name typed without one, so that a saved list shows in the open dialog.
const QString kListSuffix = QStringLiteral("tdx");

// The fixed message, and below it what went wrong, so the user knows which file and why.
QString withDetail(const QString& message, const QString& detail)
{
    return detail.isEmpty() ? message : message + QStringLiteral("\n\n") + detail;
}

bool hasSuffix(const QString& path, const char* suffix)
{
    return QFileInfo(path).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}
} // namespace

ToDoList TQuillmar::emptyListWithNames() const
{
    ToDoList list;
    list.OwnerNames = m_model->list().OwnerNames;
    list.ProjectNames = m_model->list().ProjectNames;
    return list;
}

void TQuillmar::showLoadedList(ToDoList list)
{
    ActionMemo->clear();
    RemarksMemo->clear();
    m_model->setList(std::move(list));
    UpdateStatusBar();
}

void TQuillmar::setExternalCaption(const QString& path)
{
    setWindowTitle(QStringLiteral("Quillmar, ext: ") + QFileInfo(path).fileName());
}

bool TQuillmar::SaveCurrentList()
{
    if (ListSaved)
        return true;
    IoResult result;
    switch (ListMode) {
    case TListMode::Standard:
        result = SaveListFile(m_model->list(), QString());
        break;
    case TListMode::History:
        result = SaveHistoryList();
        break;
    case TListMode::External:
        result = SaveExternalList();
        break;
    case TListMode::NoList:
        return true;
    }
    // A list that could not be written stays marked unsaved: the next save tries again, and a switch to
    // another list is refused rather than dropping the changes.
    if (!result) {
        MessageBox::information(this, withDetail(QStringLiteral("Failure while saving todo file"), result.error));
        return false;
    }
    ListSaved = true;
    return true;
}

bool TQuillmar::loadListInPlace(const QString& fileName, QString* error)
{
    ToDoList fresh = emptyListWithNames();
    const IoResult r = LoadListFile(fresh, fileName);
    if (!r) {
        *error = r.error;
        return false;
    }
    showLoadedList(std::move(fresh));
    return true;
}

void TQuillmar::OpenStandardList()
{
    if (!SaveCurrentList())
        return;
    const QString problems = QStringLiteral("Problems reading the file!");
    const QString p = m_commandLineFile;
    const bool external = !p.isEmpty() && hasSuffix(p, "tdx");
    QString error;

    if (!p.isEmpty() && !external && !hasSuffix(p, "tdo")) {
        error = QStringLiteral("%1 is not a Quillmar list: only \".tdo\" and \".tdx\" files can be opened.").arg(p);
    } else if (loadListInPlace(p, &error)) {
        if (external) {
            ListMode = TListMode::External;
            ExternalFileName = p;
            setExternalCaption(p);
        } else {
            ListMode = TListMode::Standard;
            ExternalFileName.clear();
            setWindowTitle(standardCaption());
        }
        return;
    }

    MessageBox::information(this, withDetail(problems, error));
    if (p.isEmpty())
        return; // the standard list itself is unreadable: nothing is shown and nothing will be saved over it
    // The named file is forgotten, so that "Open standard ToDo" means the standard list from now on.
    m_commandLineFile.clear();
    if (m_commandLineHandedOver || ListMode != TListMode::NoList)
        return; // the list shown before stays, with its mode

    // At start: show the standard list instead.
    if (loadListInPlace(QString(), &error)) {
        ListMode = TListMode::Standard;
        ExternalFileName.clear();
        setWindowTitle(standardCaption());
    } else {
        MessageBox::information(this, withDetail(problems, error));
    }
}

void TQuillmar::LoadHistoryList()
{
    if (!SaveCurrentList())
        return;
    ToDoList fresh = emptyListWithNames();
    const IoResult r = LoadHistoryFile(fresh);
    if (!r) {
        MessageBox::information(this, withDetail(QStringLiteral("Failure while loading History file"), r.error));
        return;
    }
    showLoadedList(std::move(fresh));
    ListMode = TListMode::History;
    ExternalFileName.clear();
    setWindowTitle(QStringLiteral("Quillmar: History file"));
}

IoResult TQuillmar::SaveHistoryList()
{
    if (ListMode != TListMode::History) {
        MessageBox::information(this, QStringLiteral("This is not the history file!"));
        return IoResult::success();
    }
    ExternalFileName.clear();
    return SaveHistoryFile(m_model->list());
}

void TQuillmar::OpenExternalList()
{
    if (!SaveCurrentList())
        return;
    const QString path = FileDialog::getOpenFileName(this, QStringLiteral("Open external ToDo list"), DataFolder(),
                                                     kOpenFilter, kListSuffix);
    if (path.isEmpty())
        return;
    QString error;
    if (!loadListInPlace(path, &error)) {
        MessageBox::information(this, withDetail(QStringLiteral("Failure while opening the file"), error));
        return;
    }
    ListMode = TListMode::External;
    ExternalFileName = path;
    setExternalCaption(path);
}

IoResult TQuillmar::SaveExternalList()
{
    if (ListSaved)
        return IoResult::success();
    if (ListMode != TListMode::External) {
        if (MessageBox::question(this, QStringLiteral("This is the standard ToDo file. \r\nDo you want to save it "
                                                      "as external file?"))
            == MessageBox::Yes) {
            SaveExternalListAs();
            ListMode = TListMode::External;
        }
        return IoResult::success();
    }
    if (!ExternalFileName.isEmpty()) {
        if (MessageBox::question(this, QStringLiteral("The file has changed. \r\nSave it as: \r\n") + ExternalFileName)
            == MessageBox::Yes)
            return SaveListFile(m_model->list(), ExternalFileName);
        return IoResult::success();
    }
    SaveExternalListAs();
    return IoResult::success();
}

void TQuillmar::SaveExternalListAs()
{
    const QString folder = SaveDialogFolder.isEmpty() ? DataFolder() : SaveDialogFolder;
    const QString path = FileDialog::getSaveFileName(this, QStringLiteral("Save external ToDo list"), folder,
                                                     kSaveFilter, kListSuffix, true);
    if (path.isEmpty())
        return;
    const IoResult r = SaveListFile(m_model->list(), path);
    if (!r) {
        MessageBox::information(this, withDetail(QStringLiteral("Failure saving the file"), r.error));
        return;
    }
    ExternalFileName = path;
    SaveDialogFolder = DataFolder();
    setExternalCaption(path);
}

void TQuillmar::NewEmptyList()
{
    if (MessageBox::question(this, QStringLiteral("You are about to create an empty todo list.  \r\nThe standard "
                                                  "ToDo list will be saved. Do you want to proceed? "))
        != MessageBox::Yes)
        return;
    if (!SaveCurrentList())
        return;
    ExternalFileName.clear();
    setWindowTitle(QStringLiteral("Quillmar : New empty ToDo file!"));
    ListMode = TListMode::External;
    ListSaved = true;
    ActionMemo->clear();
    RemarksMemo->clear();
    m_model->clearItems();
}
