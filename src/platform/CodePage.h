#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit code page in which list files, CSV and HTML files hold their texts. Texts stay as bytes in
// the model; they are decoded only for display and encoded when the user types them. A data folder fixes
// its code page once (FolderChoices): UTF-8 for a new one, windows-1252 for one whose files were written
// before the choice existed.
class CodePage
{
public:
    enum class Kind
    {
        Windows1252,
        Utf8
    };

    struct Encoded
    {
        QByteArray bytes;
        QString unmappable; // the distinct characters the code page cannot hold, in order of appearance
        bool ok() const { return unmappable.isEmpty(); }
    };

    static Kind current();
    static void setCurrent(Kind kind);
    // Accepts the names of the settings key "General"/"CodePage"; false (and no change) for an unknown one.
    static bool setCurrentByName(const QString& name);
    static QString currentName();
    static QString defaultName() { return QStringLiteral("windows-1252"); }

    // Under UTF-8, a text that is not well-formed UTF-8 is read as windows-1252 (see decode's comment).
    static QString decode(QByteArrayView bytes);
    // Windows-1252 whatever the current code page is (settings files written by older tools).
    static QString decodeWindows1252(QByteArrayView bytes);
    static Encoded encode(QStringView text);
    // Encodes text that is known to fit (digits, dates); characters that do not fit become '?'.
    static QByteArray encodeLossy(QStringView text);
    // Offset of the first byte that does not belong to well-formed UTF-8, or -1 when all of text does.
    static qsizetype firstInvalidUtf8(QByteArrayView text);
    // The characters one by one, as a message names them: "\"€\" (U+20AC), …".
    static QString describeCharacters(const QString& characters);
};
