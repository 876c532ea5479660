#pragma once

#include "platform/IoResult.h"

#include <QLocale>
#include <QString>

class IniFile;

// What a data folder's files mean, kept in its settings file so that every run reads them the same way:
// the code page of its texts, and the locale and formats of its item dates and times.
//
// - A value the file holds is used whatever the locale of the run.
// - A missing code page is UTF-8 for a new folder (no settings file, no standard or history list) and
//   windows-1252 for an existing one, which wrote its files in it before the key existed.
// - Missing date and time values come from the stored item locale or, without one, from the locale of the
//   run; an existing folder without them thus reads as it always did (by the run's locale) until a start
//   that may write fixes them, from that run's locale.
//
// Runs that change the folder (the window, an import) write what is missing; runs that only read leave
// the folder alone and use the same values without storing them.
class FolderChoices
{
public:
    QString codePage;
    QString itemLocale;
    QString dateFormat;
    QString timeFormat;
    // Whether the settings file lacked one of the values (fix() then writes it).
    bool incomplete = false;

    static FolderChoices fromIni(const IniFile& ini, bool newFolder, const QLocale& runLocale);
    // The choices of this run's data folder (Paths.h); reads the settings file, creates nothing.
    static FolderChoices ofDataFolder(const QLocale& runLocale = QLocale::system());
    // Whether the data folder has neither settings file nor list yet.
    static bool dataFolderIsNew();

    // Makes them the code page and the item formats of the run. An unknown code page name leaves
    // windows-1252 and gives the message for the user; otherwise empty.
    QString apply() const;
    // Writes the values the settings file lacks, in one replacement of it; nothing when none lacks.
    IoResult fix(const QString& settingsFile) const;
};
