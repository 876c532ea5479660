#pragma once

#include "config/LanguageTexts.h"

#include <QDir>
#include <QString>

// The words of the list commands' questions and messages, shared by the document and its file commands.
namespace listmessages {
// The list texts of the language in effect.
inline QString listText(const char* key)
{
    return LanguageTexts::shared().text("Lists", key);
}

// The fixed message, and below it what went wrong, so the user knows which file and why.
inline QString withDetail(const QString& message, const QString& detail)
{
    return detail.isEmpty() ? message : message + QStringLiteral("\n\n") + detail;
}

inline QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}
} // namespace listmessages
