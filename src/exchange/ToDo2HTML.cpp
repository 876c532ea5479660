#include "exchange/ToDo2HTML.h"

#include "config/Colors.h"
#include "config/Config.h"
#include "config/IniFile.h"
#include "config/IoMessage.h"
#include "config/Paths.h"
#include "config/StyleItem.h"
#include "exchange/ExportTarget.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/JobProgress.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {
// The page's own colour for a style section without one, in the order of TToDo2HTML's groups (the first
// ten style sections of the settings).
constexpr const char* kDefaultColors[TToDo2HTML::GroupCount] = {
    "00008B",
    "00008B",
    "00008B",
    "00008B",
    "FFFACD",
    "006400",
    "FF0000",
    "0000CD",
    "696969",
    // The list draws today's rows in red unless the user chose otherwise.
    "FF0000",
};

// Writes text with & < > and " as character references and its line breaks (CR LF, CR or LF) as <br>, at
// out, which has room for six bytes per byte of text. Control characters, which a page may not hold, are
// dropped: C0 but tab, DEL, and the C1 range (in UTF-8 C2 80..C2 9F, in Windows-1252 the bytes that stand
// for nothing). Returns the end of what was written.
char* writeEscaped(char* out, QByteArrayView text)
{
    const auto entity = [&out](const char* e, size_t n) {
        std::memcpy(out, e, n);
        out += n;
    };
    const bool utf8 = CodePage::current() == CodePage::Kind::Utf8;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '&':
            entity("&amp;", 5);
            break;
        case '<':
            entity("&lt;", 4);
            break;
        case '>':
            entity("&gt;", 4);
            break;
        case '"':
            entity("&quot;", 6);
            break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            entity("<br>", 4);
            break;
        case '\n':
            entity("<br>", 4);
            break;
        case '\t':
            *out++ = char(c);
            break;
        default:
            if (c < 0x20 || c == 0x7F)
                break;
            if (utf8 && c == 0xC2 && i + 1 < text.size() &&
                (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80) {
                ++i;
                break;
            }
            if (!utf8 && (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D))
                break;
            *out++ = char(c);
        }
    }
    return out;
}

void appendEscaped(QByteArray& out, QByteArrayView text)
{
    const qsizetype size = out.size();
    out.resize(size + 6 * text.size());
    out.truncate(writeEscaped(out.data() + size, text) - out.constData());
}

// A text of the program (settings, captions) in the code page, escaped; characters the code page cannot
// hold become numeric character references.
QByteArray htmlText(QStringView text)
{
    QByteArray out;
    qsizetype from = 0; // start of the run of characters that the code page holds
    for (qsizetype i = 0; i < text.size();) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype len = pair ? 2 : 1;
        if (!CodePage::encode(text.mid(i, len)).ok()) {
            appendEscaped(out, CodePage::encode(text.mid(from, i - from)).bytes);
            const char32_t cp = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
            out += "&#" + QByteArray::number(quint32(cp)) + ';';
            from = i + len;
        }
        i += len;
    }
    appendEscaped(out, CodePage::encode(text.mid(from)).bytes);
    return out;
}

// The CSS size of an HTML font size: 1 to 7, or relative to the normal 3 when signed ("+0", "-1"), as
// browsers size <font size>.
QByteArray cssFontSize(const QString& textSize)
{
    static const char* const kSizes[] = {"x-small", "small",    "medium", "large",
                                         "x-large", "xx-large", "48px"};
    const int n = textSize.toInt();
    // Stored sizes are signed: zero and up are written with "+", so they count from 3.
    return kSizes[std::clamp(3 + n, 1, 7) - 1];
}

// Collects the page in pieces of about a megabyte and hands each to the file and, when asked for, to the
// whole page; a large list then needs no buffer of the page's size.
struct PageWriter
{
    static constexpr qsizetype kPiece = qsizetype(1) << 20;

    AtomicFile* file = nullptr;
    QByteArray* page = nullptr;
    QByteArray buffer = QByteArray(kPiece, Qt::Uninitialized);
    char* end = buffer.data();
    bool ok = true;

    void room(qsizetype n)
    {
        if (end - buffer.constData() + n <= buffer.size())
            return;
        flush();
        if (n > buffer.size()) {
            buffer.resize(n);
            end = buffer.data();
        }
    }
    void put(QByteArrayView text)
    {
        room(text.size());
        if (!text.isEmpty())
            std::memcpy(end, text.data(), text.size());
        end += text.size();
    }
    void line(QByteArrayView text)
    {
        put(text);
        put("\r\n");
    }
    void putEscaped(QByteArrayView text)
    {
        // Bytes that are no UTF-8 would make the whole page unreadable as the charset it declares.
        QByteArray repaired;
        if (CodePage::current() == CodePage::Kind::Utf8 && CodePage::firstInvalidUtf8(text) >= 0) {
            repaired = QString::fromUtf8(text).toUtf8();
            text = repaired;
        }
        room(text.size() * 6);
        end = writeEscaped(end, text);
    }
    void flush()
    {
        const QByteArrayView piece(buffer.constData(), end - buffer.constData());
        if (file && ok)
            ok = file->write(piece);
        if (page)
            page->append(piece);
        end = buffer.data();
    }
};

} // namespace

TToDo2HTML::TToDo2HTML(const QString& settingsFile)
{
    // One snapshot of the file for all groups; a missing file gives the defaults and is not created.
    IoResult loaded;
    const IniFile ini = IniFile::load(settingsFile, &loaded);
    if (!loaded)
        m_error = IoMessage(loaded);
    for (int k = 0; k < GroupCount; ++k)
        readGroup(ini, k);
}

void TToDo2HTML::fail(const QString& section, const QString& key, const QString& value, const char* what)
{
    if (!m_error.isEmpty())
        return;
    m_error =
        QStringLiteral("The settings section \"%1\" holds an unreadable \"%2\": '%3' is not a valid %4.")
            .arg(section, key, value, QLatin1String(what));
}

void TToDo2HTML::readGroup(const IniFile& ini, int k)
{
    using Key = Config::Key;
    Group& g = Groups[k];
    g.Section = StyleItem::sections().at(k);
    const auto bad = [&](Key key, const char* what) {
        fail(g.Section, Config::name(key), Config::stored(ini, key, g.Section).value_or(QString()), what);
    };

    // Only a missing key gives the default colour; a stored value must be a colour.
    if (!Config::stored(ini, Key::StyleColor, g.Section))
        g.Color = QLatin1String(kDefaultColors[k]);
    else if (const auto value = Config::color(ini, Key::StyleColor, g.Section))
        g.Color = ColorToHTML(*value);
    else
        bad(Key::StyleColor, "colour name or integer value");
    // Of rows due today only the colour is used.
    if (k == TodayItem)
        return;

    g.Text = Config::text(ini, Key::StyleText, g.Section);
    const std::optional<int> size = Config::integer(ini, Key::StyleTextSize, g.Section);
    g.TextSize = QString::number(size.value_or(0));
    // Only the headings and the two table groups put their size on the page.
    if (k <= Table && !size)
        bad(Key::StyleTextSize, "integer value");

    const std::optional<int> align = Config::integer(ini, Key::StylePosition, g.Section);
    if (!align)
        bad(Key::StylePosition, "integer value");
    else if (*align == 0)
        g.Align = QStringLiteral("left");
    else if (*align == 1)
        g.Align = QStringLiteral("center");
    else if (*align == 2)
        g.Align = QStringLiteral("right");
}

QByteArray TToDo2HTML::fontStyle(int k) const
{
    return " style=\"font-size:" + cssFontSize(Groups[k].TextSize) + ";color:#" + htmlText(Groups[k].Color) +
           "\"";
}

QByteArray TToDo2HTML::alignStyle(int k) const
{
    return Groups[k].Align.isEmpty() ? QByteArray()
                                     : " style=\"text-align:" + htmlText(Groups[k].Align) + "\"";
}

QString TToDo2HTML::ListTitle(const QString& listFile)
{
    const QString path = listFile.isEmpty() ? QString() : QFileInfo(listFile).absoluteFilePath();
    if (path.isEmpty() || path == StandardListPath())
        return QStringLiteral("ToDo List");
    if (path == HistoryListPath())
        return QStringLiteral("ToDo History");
    return QFileInfo(listFile).completeBaseName();
}

QString TToDo2HTML::ColorToHTML(quint32 color)
{
    return QStringLiteral("%1%2%3")
        .arg(color & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((color >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((color >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

void TToDo2HTML::SelectGroup(int k)
{
    const Group& g = Groups[k];
    const bool positive = g.TextSize.toInt() >= 0;
    SizeAttr = " SIZE=\"" + QByteArray(positive ? "+" : "") + htmlText(g.TextSize) + "\" ";
    ColorAttr = " COLOR=\"" + htmlText(g.Color) + "\" ";
    TextPart = ' ' + htmlText(g.Text) + ' ';
    AlignAttr = " ALIGN=\"" + htmlText(g.Align) + "\" ";
}

int TToDo2HTML::groupOf(ItemStatus status)
{
    switch (status) {
    case ItemStatus::Pending:
        return PendingItem;
    case ItemStatus::Overdue:
        return OverdueItem;
    case ItemStatus::Open:
        return OpenItem;
    case ItemStatus::Completed:
        return CompletedItem;
    case ItemStatus::Today:
        return TodayItem;
    }
    return OpenItem;
}

const char* TToDo2HTML::statusLabel(ItemStatus status)
{
    switch (status) {
    case ItemStatus::Pending:
        return "[ pending ]";
    case ItemStatus::Overdue:
        return "[ Overdue ]";
    case ItemStatus::Open:
        return "[open task]";
    case ItemStatus::Completed:
        return "[completed]";
    case ItemStatus::Today:
        return "[ today ]";
    }
    return "";
}

QByteArray TToDo2HTML::StatusText(const ToDoItem& row) const
{
    return statusLabel(ItemStatusOf(row));
}

QByteArray TToDo2HTML::StatusColor(const ToDoItem& row) const
{
    return htmlText(Groups[groupOf(ItemStatusOf(row))].Color);
}

QStringList TToDo2HTML::DefaultColumnCaptions()
{
    return {QStringLiteral("Actions"),      QStringLiteral("Priority"),   QStringLiteral("Date In"),
            QStringLiteral("Target"),       QStringLiteral("Remarks"),    QStringLiteral("Owner"),
            QStringLiteral("Project Name"), QStringLiteral("Alarm Time"), QStringLiteral("File Location")};
}

QByteArray TToDo2HTML::CharsetName()
{
    return CodePage::current() == CodePage::Kind::Utf8 ? QByteArrayLiteral("utf-8")
                                                       : QByteArrayLiteral("windows-1252");
}

IoResult TToDo2HTML::WriteHTML(const std::vector<ToDoItem>& rows, const QStringList& captions,
                               const QString& fileName, QByteArray* pageOut, JobProgress* progress)
{
    if (!m_error.isEmpty())
        return IoResult::failure(m_error);

    AtomicFile file(fileName);
    PageWriter w;
    if (!fileName.isEmpty()) {
        if (IoResult r = CheckExportTarget(fileName); !r)
            return r;
        if (IoResult r = file.open(); !r)
            return r;
        w.file = &file;
    }
    QByteArray page;
    if (pageOut)
        w.page = &page;

    // The declared charset lets a browser show every text of the code page as it is meant. The look is the
    // settings' as the groups give it, in style attributes: a page without them is a whole HTML page that
    // validators accept.
    w.line("<!DOCTYPE html>");
    w.line("<html>");
    w.line("<head><meta charset=\"" + CharsetName() + "\"><title>" + htmlText(Title) + "</title></head>");
    w.line("<body style=\"background-color:#" + htmlText(Groups[BackGround].Color) + "\">");
    SelectGroup(Header);
    // A heading of blanks only would be an empty element, which validators flag.
    if (!TextPart.trimmed().isEmpty())
        w.line("<h2" + alignStyle(Header) + "><span" + fontStyle(Header) + ">" + TextPart + "</span></h2>");
    w.line("<table border=\"1\" style=\"width:100%;margin:1em 0\">");
    SelectGroup(TableHeader);
    const QByteArray headCell = "<th><h3><span" + fontStyle(TableHeader) + ">";
    w.line("<tr>");
    w.line(headCell + "Status</span></h3></th>");
    for (const QString& caption : captions)
        w.line(headCell + htmlText(caption) + "</span></h3></th>");
    w.line("</tr>");

    SelectGroup(Table);
    // The opening of a cell's text depends only on the row's status: built once per status.
    QByteArray textStart[5];
    for (int s = 0; s < 5; ++s)
        textStart[s] = "<span style=\"color:#" + htmlText(Groups[groupOf(ItemStatus(s))].Color) +
                       ";font-size:" + cssFontSize(Groups[Table].TextSize) + "\">";
    const QByteArrayView centered = "<td style=\"text-align:center\">";
    const Clock::OperationDay operationDay;
    const QDate today = operationDay.day();
    qint64 done = 0;
    for (const ToDoItem& row : rows) {
        if ((done++ & 1023) == 0) {
            if (JobProgress::stopped(progress)) {
                file.cancel();
                return ExportCancelled(fileName);
            }
            JobProgress::step(progress, done - 1);
        }
        const ItemStatus status = ItemStatusOf(row, today);
        const QByteArray& text = textStart[static_cast<int>(status)];
        w.line("<tr>");
        w.put(centered);
        w.put(text);
        w.put(statusLabel(status));
        w.line("</span></td>");
        w.put("<td>");
        w.put(text);
        w.putEscaped(row.action());
        w.line("</span></td>");
        const int count = row.valueCount();
        for (int k = 0; k < count; ++k) {
            w.put(k == ToDoItem::Remarks ? QByteArrayView("<td>") : centered);
            w.put(text);
            const QByteArrayView value = row.value(k);
            if (value.isEmpty())
                w.put("  -  ");
            else
                w.putEscaped(value);
            w.line("</span></td>");
        }
        w.line("</tr>");
    }
    w.line("</table>");
    SelectGroup(Footer);
    if (!TextPart.trimmed().isEmpty())
        w.line("<h2" + alignStyle(Footer) + "><span" + fontStyle(Footer) + ">" + TextPart + "</span></h2>");
    w.line("<hr>");
    w.line("<p>ToDo List generated with Quillmar at " +
           QByteArray::number(today.day()).rightJustified(2, '0') + '.' +
           QByteArray::number(today.month()).rightJustified(2, '0') + '.' +
           QByteArray::number(today.year()).rightJustified(4, '0') + "</p>");
    w.line("</body>");
    w.line("</html>");
    w.flush();

    if (w.file) {
        if (IoResult r = file.commit(); !r)
            return r;
    }
    if (pageOut)
        *pageOut = std::move(page);
    return IoResult::success();
}
