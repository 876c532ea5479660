#pragma once

#include "model/ItemStatus.h"
#include "platform/CodePage.h"

#include <QByteArray>
#include <QDate>
#include <QLocale>
#include <QString>

class ToDoItem;

// Which rows the find bar lets through: those whose texts (any column) contain what the user typed, and
// whose status is one of those chosen. Matching ignores case and accents the way the user's language
// does: texts and the typed text are both folded (folded()) and then compared byte for byte.
//
// Folding a row's nine texts costs more than finding in them, so each row's folded texts are made once
// (searchKey()) and kept by the list model until the row changes; a keystroke is then one pass over them.
class ItemFilter
{
public:
    // How texts are folded: by the language (Turkish and Azerbaijani have a dotted and a dotless i) and
    // by the code page the row bytes are decoded from. Keys folded otherwise must be made again.
    struct Folding
    {
        bool turkic = false;
        CodePage::Kind codePage = CodePage::Kind::Windows1252;

        static Folding forLocale(const QLocale& locale);
        bool operator==(const Folding&) const = default;
    };

    // One bit per ItemStatus.
    using StatusSet = unsigned;
    static constexpr StatusSet AllStatuses = 0x1F;
    static constexpr StatusSet bit(ItemStatus status) { return 1u << static_cast<unsigned>(status); }

    ItemFilter() = default;
    explicit ItemFilter(const QLocale& locale) : m_folding(Folding::forLocale(locale)) {}

    void setText(const QString& text);
    QString text() const { return m_text; }
    void setStatuses(StatusSet statuses) { m_statuses = statuses & AllStatuses; }
    StatusSet statuses() const { return m_statuses; }
    const Folding& folding() const { return m_folding; }
    // False when every row passes.
    bool isActive() const { return !m_needle.isEmpty() || m_statuses != AllStatuses; }
    // Something typed: the rows' folded texts are needed.
    bool hasText() const { return !m_needle.isEmpty(); }

    // key is the row's searchKey() made with folding().
    bool accepts(const ToDoItem& item, const QByteArray& key, const QDate& today) const;
    // Every row passes the status test when all statuses are chosen: then the status is not worked out.
    bool acceptsStatus(const ToDoItem& item, const QDate& today) const;
    bool acceptsText(const QByteArray& key) const;
    // Every row this filter lets through (on the same day) also passes wider: the shown rows can be
    // narrowed instead of found anew, as when a key extends the typed text.
    bool narrows(const ItemFilter& wider) const
    {
        return m_folding == wider.m_folding && (m_statuses & ~wider.m_statuses) == 0 &&
               m_needle.contains(wider.m_needle);
    }

    // Lower case (the language's own), without accents and other marks, ß as "ss", line breaks, tabs and
    // runs of blanks as one blank; UTF-8.
    static QByteArray folded(QStringView text, const Folding& folding);
    // The Action and the eight column values, each folded, separated by line feeds (which folded texts
    // never hold, so that nothing matches across two columns).
    static QByteArray searchKey(const ToDoItem& item, const Folding& folding);

private:
    QString m_text;
    QByteArray m_needle;
    StatusSet m_statuses = AllStatuses;
    Folding m_folding;
};
