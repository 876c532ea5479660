// Settings and language files: any text reads without a crash, writing what was read and reading it again
// gives the same text, and a value that was set reads back.
#include "config/IniFile.h"

#include "FuzzUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(fuzzInput(data, size));
    IniFile ini = IniFile::fromText(text);
    const QString written = ini.toText();
    FUZZ_CHECK(IniFile::fromText(written).toText() == written);

    // A value set into whatever the file holds reads back, and survives writing and reading the file.
    QString value;
    for (const QChar c : text.left(60)) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            value += c;
    }
    const QString section = QStringLiteral("Fuzz Section");
    const QString key = QStringLiteral("Key");
    ini.setValue(section, key, value);
    FUZZ_CHECK(ini.value(section, key) == value);
    FUZZ_CHECK(IniFile::fromText(ini.toText()).value(section, key) == value);
    return 0;
}
