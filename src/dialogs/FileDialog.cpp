#include "dialogs/FileDialog.h"

#include "config/LanguageTexts.h"

#include "dialogs/MessageBox.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QList>
#include <QPixmap>

namespace {
// A picture preview beside the file list of Qt's own dialog (a native one has no room for it).
void addPicturePreview(QFileDialog& dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid)
        return;
    auto* preview = new QLabel(&dialog);
    preview->setObjectName(QStringLiteral("PicturePreview"));
    preview->setAlignment(Qt::AlignCenter);
    preview->setFixedSize(180, 180);
    preview->setFrameShape(QFrame::StyledPanel);
    grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, [preview](const QString& path) {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QSize size = reader.size();
        if (size.isValid() && (size.width() > preview->width() || size.height() > preview->height()))
            reader.setScaledSize(size.scaled(preview->size(), Qt::KeepAspectRatio));
        const QImage image = reader.read();
        if (image.isNull())
            preview->setText(LanguageTexts::shared().text("Messages", "NoPicture"));
        else
            preview->setPixmap(QPixmap::fromImage(image));
    });
}
class DialogPicker : public FileDialog::Picker
{
public:
    QString pick(QWidget* parent, const FileDialog::Request& request) override
    {
        QFileDialog dialog(parent, request.title, request.folder, request.filter);
        dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (!request.defaultSuffix.isEmpty())
            dialog.setDefaultSuffix(request.defaultSuffix);
        if (request.save && !request.confirmOverwrite)
            dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        if (request.picturePreview)
            addPicturePreview(dialog);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    }
};

FileDialog::Picker* picker(FileDialog::Picker* set = nullptr, bool reset = false)
{
    static DialogPicker own;
    static FileDialog::Picker* current = &own;
    if (set || reset)
        current = set ? set : &own;
    return current;
}
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

QString FileDialog::getPictureFileName(QWidget* parent, const QString& title, const QString& folder,
                                       const QString& filter)
{
    Request request{title, folder, filter, QString(), false, false};
    request.picturePreview = true;
    return run(parent, request);
}

QString FileDialog::run(QWidget* parent, const Request& request)
{
    // Nobody is there to pick a name while the session ends.
    if (MessageBox::unattended())
        return QString();
    return picker()->pick(parent, request);
}

void FileDialog::setPicker(Picker* p)
{
    picker(p, true);
}
