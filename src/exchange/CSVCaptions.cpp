#include "exchange/CSVCaptions.h"

#include "config/LanguageTexts.h"
#include "exchange/ListPrinter.h"

namespace {
QString folded(QStringView name)
{
    QString n;
    for (const QChar c : name.trimmed()) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('-') && c != QLatin1Char('_'))
            n += c.toLower();
    }
    return n;
}

// The column captions of the shipped language files ([Header] Item0..Item8) besides the built-in English
// ones; tests check this table against resources/languages.
constexpr const char* kShippedCaptions[][ToDoItem::ColumnCount + 1] = {
    {"Task Name", "Priority", "Date", "Target Date", "Remarks", "Owner", "Project", "Alarm",
     "Related Document"},
    {"Aufgabe", "Priorität", "Datum", "Zieldatum", "Bemerkungen", "Zuständig", "Projekt", "Alarm",
     "Zugehöriges Dokument"},
};
} // namespace

std::optional<int> CSVColumnOfCaption(QStringView caption)
{
    const QString n = folded(caption);
    if (n.isEmpty())
        return std::nullopt;
    if (const auto c = ListPrinter::columnByName(n))
        return *c;
    if (n == QLatin1String("status"))
        return kCSVStatusColumn;
    if (n == QLatin1String("completed") || n == QLatin1String("done"))
        return kCSVCompletedColumn;
    for (const auto& language : kShippedCaptions) {
        for (int c = 0; c <= ToDoItem::ColumnCount; ++c) {
            if (n == folded(QString::fromUtf8(language[c])))
                return c;
        }
    }
    // The language the user chose, which may be one of their own.
    const LanguageTexts& texts = LanguageTexts::shared();
    static const char* const keys[] = {"Item0", "Item1", "Item2", "Item3", "Item4",
                                       "Item5", "Item6", "Item7", "Item8"};
    for (int c = 0; c <= ToDoItem::ColumnCount; ++c) {
        if (n == folded(texts.text("Header", keys[c])))
            return c;
    }
    return std::nullopt;
}

namespace {
bool startsFormula(char c)
{
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

qsizetype apostrophes(QByteArrayView text)
{
    qsizetype k = 0;
    while (k < text.size() && text[k] == '\'')
        ++k;
    return k;
}
} // namespace

std::optional<int> ExactCSVCaptionColumn(const QString& caption)
{
    static const char* const keys[] = {"Item0", "Item1", "Item2", "Item3", "Item4",
                                       "Item5", "Item6", "Item7", "Item8"};
    for (int c = 0; c <= ToDoItem::ColumnCount; ++c) {
        if (caption == QLatin1String(CSVExportCaption(c)) ||
            caption == LanguageTexts::shared().text("Header", keys[c]))
            return c;
        for (const auto& language : kShippedCaptions) {
            if (caption == QString::fromUtf8(language[c]))
                return c;
        }
    }
    return std::nullopt;
}

QByteArrayView CSVExportCaption(int column)
{
    static constexpr const char* captions[ToDoItem::ColumnCount + 1] = {
        "Actions", "Priority",     "Date In",    "Target",       "Remarks",
        "Owner",   "Project Name", "Alarm Time", "File Location"};
    return column >= 0 && column <= ToDoItem::ColumnCount ? QByteArrayView(captions[column])
                                                          : QByteArrayView();
}

bool CSVTextNeedsGuard(QByteArrayView text)
{
    const qsizetype k = apostrophes(text);
    return k < text.size() && startsFormula(text[k]);
}

QByteArrayView UnguardCSVText(QByteArrayView text)
{
    const qsizetype k = apostrophes(text);
    return k > 0 && k < text.size() && startsFormula(text[k]) ? text.sliced(1) : text;
}
