#include "dialogs/FileDialog.h"

#include "dialogs/MessageBox.h"

#include <QFileDialog>
#include <QList>

namespace {
QStringList g_names;
bool g_testMode = false;
FileDialog::Request g_last;
int g_count = 0;
} // namespace

QString FileDialog::getOpenFileName(QWidget* parent, const QString& title, const QString& folder,
                                    const QString& filter, const QString& defaultSuffix)
{
    return run(parent, {title, folder, filter, defaultSuffix, false, false});
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& title, const QString& folder,
                                    const QString& filter, const QString& defaultSuffix,
                                    bool confirmOverwrite)
{
    return run(parent, {title, folder, filter, defaultSuffix, true, confirmOverwrite});
}

QString FileDialog::run(QWidget* parent, const Request& request)
{
    g_last = request;
    ++g_count;
    if (!g_names.isEmpty())
        return g_names.takeFirst();
    // Nobody is there to pick a name while the session ends.
    if (g_testMode || MessageBox::unattended())
        return QString();

    QFileDialog dialog(parent, request.title, request.folder, request.filter);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.save && !request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void FileDialog::setNextFileName(const QString& path)
{
    g_names.append(path);
}

void FileDialog::setTestMode(bool on)
{
    g_testMode = on;
    if (!on)
        g_names.clear();
}

FileDialog::Request FileDialog::lastRequest()
{
    return g_last;
}

int FileDialog::requestCount()
{
    return g_count;
}
