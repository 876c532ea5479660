#pragma once

#include "config/StyleItem.h"
#include "platform/IoResult.h"

#include <QString>
#include <QStringList>

#include <array>

class IniFile;

// Every value of the settings file that the settings dialog edits, with the dialog's defaults. The dialog
// fills its controls from one of these and back; reading and writing follow the file's rules here, so
// they can be checked without a window.
class SettingsValues
{
public:
    std::array<StyleItem, StyleItem::Count> StyleItems;
    // Never shown by the dialog; written back as read, and as this when the file has none.
    QString DateFormat = QStringLiteral("dd.mm.yyyy");
    // The data folder's code page (FolderChoices); written only when it differs from what the file says.
    QString CodePage;
    bool ShowGrid = true;
    bool AutoStart = true;
    bool UseBeginDate = true;
    // A file name of the data folder, or "None".
    QString Language;
    int PreAlarmTime = 0;
    // Empty when the stored path names no existing file.
    QString SoundFile;
    QString FontName;
    int FontSize = 0;

    SettingsValues();

    // Reads every value. A value that cannot be converted keeps its default and adds a line for the user
    // to problems; a file that exists but cannot be read gives every default and a failure in result.
    // Creates nothing.
    static SettingsValues read(const QString& file, QStringList* problems = nullptr,
                               IoResult* result = nullptr);
    static SettingsValues fromIni(const IniFile& ini, QStringList* problems = nullptr);
    // The code pages the user may choose for a folder that uses current: UTF-8 holds every text, so a
    // folder may go over to it, while one that is UTF-8 stays so (its texts may not fit another).
    static QStringList codePagesOffered(const QString& current);

    // Writes every value in one atomic replacement of the file, in the order (and so with the layout)
    // that one write per value gives: the style items, the date format, "ShowGrid" and "AutoStart",
    // the language, "UseBeginDate" in place, the alarm values, the font. A file that exists but cannot be
    // read is not written over.
    IoResult write(const QString& file) const;
    void writeTo(IniFile& ini) const;
};
