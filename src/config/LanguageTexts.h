#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <vector>

// The replaceable texts of the main window, the settings dialog and the item editor: one table of text
// variables with built-in English values. A language file (the settings' INI format, ".lng") overwrites
// every variable it has a non-empty value for; the replacement stays for the rest of the run, so choosing
// "None" later keeps what was replaced until the next start.
class LanguageTexts
{
public:
    // Whose language routine puts a text on its controls.
    enum class Window
    {
        Main,
        Settings,
        Editor,
    };
    struct Entry
    {
        Window window;
        const char* section;
        const char* key;
        const char* builtIn;
    };

    // Every text in the order the routines apply them.
    static const std::vector<Entry>& table();

    // The program's text variables.
    static LanguageTexts& shared();

    LanguageTexts();

    // The current value of a variable; an unknown section/key gives an empty text.
    QString text(const char* section, const char* key) const;

    // The reading half of a window's language routine: reads "Language File"/"Selected" from settingsPath;
    // unless it is "None" or names no existing language file, overwrites the variables of that window
    // with the file's non-empty values. Returns whether a file was applied (the window then puts every one
    // of its variables onto its controls, replaced or not).
    bool load(const QString& settingsPath, Window window);

    // The same from a named file (tests, and the routine above once it found the file).
    void loadFile(const QString& path, Window window);

    // Restores the built-in values (tests).
    void reset();

private:
    std::vector<QString> m_values;
};

// The message for characters the code page of the lists cannot store.
QString UnmappableText(const QString& characters);

// Where the language file of that name is: the data folder, then the folders the program's language files
// are installed to. Empty when there is none (and for "None" or an empty name).
QString LanguageFilePath(const QString& name);
// The language file a window uses: the one the settings name ("None" for none), or, when nobody chose
// yet, the one named after the system locale's language ("German.lng") when it exists; for English the
// program's own texts ("None").
QString LanguageInEffect(const QString& settingsPath);
// The language a language file speaks, by its name ("German.lng"); the C locale for "None" and for names
// that are no language.
QLocale LanguageLocale(const QString& fileName);
// How the settings dialog shows a language: the file's own name for it ("Language"/"Name", "Deutsch"),
// else the file name without ".lng".
QString LanguageDisplayName(const QString& fileName);
// What the settings dialog lists: "None", then every "*.lng" of the data folder, then the installed ones
// whose name the data folder does not have.
QStringList LanguageFileListing();
// The folders of the installed language files, the first existing one first.
QStringList InstalledLanguageFolders();
