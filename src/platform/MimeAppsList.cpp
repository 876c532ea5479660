#include "platform/MimeAppsList.h"

#include "platform/DesktopEntry.h"

namespace {
// The group a header line opens, or an empty text for any other line.
QString groupOf(const QByteArray& raw)
{
    const QByteArray line = raw.trimmed();
    if (line.size() >= 2 && line.startsWith('[') && line.endsWith(']'))
        return QString::fromUtf8(line.mid(1, line.size() - 2));
    return {};
}
} // namespace

MimeAppsList::MimeAppsList(const QByteArray& bytes) : m_lines(bytes.split('\n')) {}

template <typename Visit>
void MimeAppsList::forEachLine(const QString& group, const QString& type, Visit visit) const
{
    bool inGroup = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QString header = groupOf(m_lines[i]);
        if (!header.isEmpty()) {
            inGroup = header == group;
            continue;
        }
        const QString line = QString::fromUtf8(m_lines[i]).trimmed();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inGroup && eq > 0 && !line.startsWith(QLatin1Char('#')) && line.left(eq).trimmed() == type)
            visit(i, DesktopEntry::splitList(line.mid(eq + 1)));
    }
}

QStringList MimeAppsList::entries(const QString& group, const QString& type) const
{
    QStringList ids;
    forEachLine(group, type, [&](qsizetype, const QStringList& listed) { ids += listed; });
    return ids;
}

void MimeAppsList::setLine(qsizetype index, const QString& type, const QStringList& ids)
{
    if (ids.isEmpty()) {
        m_lines.removeAt(index);
        return;
    }
    QByteArray line = (type + QLatin1Char('=') + ids.join(QLatin1Char(';')) + QLatin1Char(';')).toUtf8();
    if (m_lines[index].endsWith('\r'))
        line += '\r';
    m_lines[index] = line;
}

void MimeAppsList::prepend(const QString& group, const QString& type, const QString& id)
{
    QList<qsizetype> lines;
    QStringList ids{id};
    forEachLine(group, type, [&](qsizetype index, const QStringList& listed) {
        lines += index;
        for (const QString& other : listed)
            if (!ids.contains(other))
                ids += other;
    });
    if (!lines.isEmpty()) {
        // Repeated lines of the type are merged into the first.
        for (qsizetype k = lines.size() - 1; k > 0; --k)
            m_lines.removeAt(lines[k]);
        setLine(lines.first(), type, ids);
        return;
    }
    const QByteArray entry = (type + QLatin1Char('=') + id + QLatin1Char(';')).toUtf8();
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (groupOf(m_lines[i]) == group) {
            m_lines.insert(i + 1, m_lines[i].endsWith('\r') ? entry + '\r' : entry);
            return;
        }
    }
    // A new group at the end, after a blank line when the file holds anything.
    const bool endsWithNewline = m_lines.last().isEmpty();
    if (endsWithNewline)
        m_lines.removeLast();
    if (!m_lines.isEmpty())
        m_lines += QByteArray();
    m_lines += QByteArray('[' + group.toUtf8() + ']');
    m_lines += entry;
    m_lines += QByteArray();
}

bool MimeAppsList::remove(const QString& group, const QString& type, const QString& id)
{
    QList<std::pair<qsizetype, QStringList>> changed;
    forEachLine(group, type, [&](qsizetype index, const QStringList& listed) {
        if (listed.contains(id)) {
            QStringList rest = listed;
            rest.removeAll(id);
            changed += {index, rest};
        }
    });
    // From the last, so that a removed line does not move the ones still to change.
    for (auto it = changed.crbegin(); it != changed.crend(); ++it)
        setLine(it->first, type, it->second);
    return !changed.isEmpty();
}

QByteArray MimeAppsList::bytes() const
{
    return m_lines.join('\n');
}
