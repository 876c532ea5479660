#include "app/SettingsApplier.h"

#include "app/ItemStyleModel.h"
#include "app/ListViewController.h"
#include "app/PictureToolBar.h"
#include "app/ReportView.h"
#include "calendar/CalendarPage.h"
#include "config/Config.h"
#include "config/IniFile.h"
#include "config/IoMessage.h"
#include "config/LanguageTexts.h"
#include "config/Paths.h"
#include "config/Settings.h"
#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"
#include "dialogs/SettingsDialog.h"
#include "menus/TFlatMenuPainter.h"
#include "platform/DesktopIntegration.h"
#include "platform/FileSystem.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

SettingsApplier::SettingsApplier(const Targets& targets, QWidget* window)
    : QObject(window), m_targets(targets), m_window(window)
{
    auto make = [this](const char* name, const QString& text) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    m_settingsAction = make("actSettings", QStringLiteral("&Settings"));
    m_pictureAction = make("actToolbarImage", QStringLiteral("Toolbar &Image"));
    m_noPictureAction = make("actRemoveToolbarImage", QStringLiteral("&No toolbar image"));
    m_noPictureAction->setEnabled(false);
    connect(m_settingsAction, &QAction::triggered, this, &SettingsApplier::openDialog);
    connect(m_pictureAction, &QAction::triggered, this, &SettingsApplier::chooseToolbarPicture);
    connect(m_noPictureAction, &QAction::triggered, this, &SettingsApplier::removeToolbarPicture);
}

QList<QAction*> SettingsApplier::actions() const
{
    return {m_settingsAction, m_pictureAction, m_noPictureAction};
}

void SettingsApplier::setDesktopIntegration(std::shared_ptr<DesktopIntegration> integration)
{
    m_desktopIntegration = std::move(integration);
}

void SettingsApplier::setSyncService(SyncService* service)
{
    m_syncService = service;
}

void SettingsApplier::setCalendarPage(CalendarPage* page)
{
    m_calendarPage = page;
    applyCalendarColors();
}

void SettingsApplier::loadAtStart()
{
    m_useBeginDate = Config::readFlag(SettingsFilePath(), Config::Key::UseBeginDate);
    load();
}

void SettingsApplier::load()
{
    const QString file = SettingsFilePath();
    // One read for all values instead of one per value: nothing writes the file in between.
    EnsureIniFile(file);
    m_display = DisplaySettings::read(IniFile::load(file), m_display);
    // No font chosen: the desktop's own.
    if (m_display.itemFontName.isEmpty())
        m_display.itemFontName = QApplication::font().family();
    const DisplaySettings& s = m_display;
    if (s.has(DisplaySettings::StatusColors))
        m_targets.styles->setStatusColors(
            {ItemStyleModel::toQColor(s.pendingColor), ItemStyleModel::toQColor(s.overdueColor),
             ItemStyleModel::toQColor(s.openColor), ItemStyleModel::toQColor(s.completedColor),
             ItemStyleModel::toQColor(s.todayColor)});
    m_targets.list->applyDisplay(s);
    QLabel* caption = m_targets.caption;
    if (s.has(DisplaySettings::TitleBarColor)) {
        m_targets.menuPainter->setIconBackColor(ItemStyleModel::toQColor(s.memoColor()));
        QPalette p = caption->palette();
        p.setColor(QPalette::Window, ItemStyleModel::toQColor(s.titleBarColor));
        caption->setPalette(p);
    }
    if (s.has(DisplaySettings::TitleFontColor)) {
        const QColor titleFont = ItemStyleModel::toQColor(s.titleFontColor);
        QPalette p = caption->palette();
        p.setColor(QPalette::WindowText, titleFont);
        caption->setPalette(p);
        // Styles ignore a tool bar label's palette; a style sheet is honoured everywhere.
        caption->setStyleSheet(
            QStringLiteral(
                "QLabel { background-color: %1; color: %2; padding: 3px 12px; border-radius: 3px; }")
                .arg(ItemStyleModel::toQColor(s.titleBarColor).name(), titleFont.name()));
    }
    if (s.complete()) {
        if (s.toolbarPicture.isEmpty()) {
            m_targets.toolBar->clearPicture();
            m_noPictureAction->setEnabled(false);
        } else
            showToolbarPicture(s.toolbarPicture, false);
        QFont pageFont = m_targets.pages->tabBar()->font();
        pageFont.setFamily(s.itemFontName);
        m_targets.pages->tabBar()->setFont(pageFont);
        applyCalendarColors();
        QFont itemFont(s.itemFontName);
        if (s.itemFontSize > 0)
            itemFont.setPointSize(s.itemFontSize);
        m_targets.styles->setItemFont(itemFont);
    } else
        MessageBox::information(m_window, LanguageTexts::shared().text("Messages", "ColorsUnread"));
    Q_EMIT applied();
}

void SettingsApplier::applyCalendarColors()
{
    if (!m_calendarPage)
        return;
    m_calendarPage->setCalendarColor(ItemStyleModel::toQColor(m_display.listColor));
    m_calendarPage->setMemoColors(ItemStyleModel::toQColor(m_display.memoColor()),
                                  ItemStyleModel::toQColor(m_display.titleFontColor));
    m_calendarPage->setItemFontName(m_display.itemFontName);
    m_calendarPage->setListFont(m_targets.list->view()->font());
}

void SettingsApplier::openDialog()
{
    if (!m_desktopIntegration)
        m_desktopIntegration = DesktopIntegration::forProgram(QCoreApplication::applicationFilePath());
    {
        SettingsDialog dlg(m_desktopIntegration, m_window);
        dlg.setIniFileName(SettingsFilePath());
        dlg.setFormCaption(LanguageTexts::shared().text("Settings", "Caption"));
        dlg.setSyncService(m_syncService);
        dlg.exec();
        // The begin-date box counts for this run even when the dialog was cancelled; everything else
        // comes from the file.
        m_useBeginDate = dlg.UseInputDate();
    }
    load();
    Q_EMIT dialogClosed();
}

bool SettingsApplier::showToolbarPicture(const QString& path, bool reportErrors)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        if (reportErrors)
            MessageBox::information(m_window, LanguageTexts::shared()
                                                  .text("Messages", "PictureUnread")
                                                  .arg(QDir::toNativeSeparators(path), reader.errorString()));
        return false;
    }
    m_targets.toolBar->setPicture(QPixmap::fromImage(image));
    m_noPictureAction->setEnabled(true);
    return true;
}

void SettingsApplier::chooseToolbarPicture()
{
    // Every picture type this system reads, offered first; bitmaps alone as a choice.
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    const LanguageTexts& texts = LanguageTexts::shared();
    const QString path = FileDialog::getPictureFileName(
        m_window, texts.text("Item1", "Item6").remove(QLatin1Char('&')), QString(),
        texts.text("Messages", "AllPictures") + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
            QStringLiteral(");;Bitmaps (*.bmp)"));
    // A file that is no picture is refused and not remembered.
    if (path.isEmpty() || !showToolbarPicture(path, true))
        return;
    if (const IoResult r = Config::write(SettingsFilePath(), Config::Key::ToolbarPicture, path); !r)
        MessageBox::information(m_window, IoMessage(r));
}

void SettingsApplier::removeToolbarPicture()
{
    // Remembered first: a picture that went only from the screen would come back at the next start.
    if (const IoResult r = Config::write(SettingsFilePath(), Config::Key::ToolbarPicture, QString()); !r) {
        MessageBox::information(m_window, IoMessage(r));
        return;
    }
    m_targets.toolBar->clearPicture();
    m_noPictureAction->setEnabled(false);
}

void SettingsApplier::retranslate()
{
    const LanguageTexts& texts = LanguageTexts::shared();
    m_settingsAction->setText(texts.text("Item1", "Item4"));
    m_pictureAction->setText(texts.text("Item1", "Item6"));
    m_noPictureAction->setText(texts.text("Item1", "Item8"));
}
