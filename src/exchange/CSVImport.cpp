#include "exchange/CSVImport.h"

#include "config/LanguageTexts.h"
#include "exchange/CSVConvert.h"
#include "exchange/CSVInput.h"
#include "exchange/CSVRecordReader.h"
#include "exchange/CSVRfcReader.h"
#include "exchange/CSVRowMaker.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/JobProgress.h"

#include <QDir>

#include <algorithm>
#include <cstring>
#include <string.h>

namespace {
QString shownName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

IoResult badData(const QString& message)
{
    return IoResult::failure(message, IoError::BadData);
}

// Why a file was not imported: %1 names it, %2 the line.
QString csvText(const char* key)
{
    return LanguageTexts::shared().text("CsvErrors", key);
}

// 1-based line of offset, counting line ends as the readers do.
qsizetype lineOf(QByteArrayView text, qsizetype offset)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < offset; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line;
    }
    return line;
}

} // namespace

namespace {
// Where buffer[0, have) may end without cutting a line: after its last line break, where a CR at the
// very end waits for a possible LF. -1 when no line ends in it.
qsizetype pieceEnd(const char* data, qsizetype have)
{
    if (const void* lf = ::memrchr(data, '\n', size_t(have)))
        return static_cast<const char*>(lf) - data + 1;
    for (qsizetype i = have - 2; i >= 0; --i) {
        if (data[i] == '\r')
            return i + 1;
    }
    return -1;
}

struct Used
{
    qsizetype bytes = 0;
    qsizetype lines = 0;
};

enum class Outcome
{
    Done,
    // The reading does not fit the file (rules 2 and 4); another is tried.
    NotThisReading,
    // The guess that the text is UTF-8 was wrong; start over with the code page's bytes.
    NotUtf8,
    Failed,
};

class Importer
{
public:
    Importer(CSVInput& input, const QString& name, JobProgress* progress)
        : m_input(input), m_name(name), m_progress(progress)
    {
    }

    IoResult run(std::vector<ToDoItem>& rows, CSVImportNotes& notes)
    {
        // With a byte-order mark, or the code page UTF-8, the text must be UTF-8; otherwise UTF-8 is a
        // guess that a byte which is no UTF-8 disproves.
        for (const bool utf8 : {true, false}) {
            if (IoResult r = m_input.restart(); !r)
                return r;
            m_mustUtf8 = m_input.bom() != CSVInput::Bom::None || CodePage::current() == CodePage::Kind::Utf8;
            if (!utf8 && m_mustUtf8)
                break;
            m_utf8 = utf8;
            notes = CSVImportNotes();
            const Outcome o = readAll(rows, notes);
            if (o == Outcome::NotUtf8)
                continue;
            return m_result;
        }
        return m_result;
    }

private:
    Outcome readAll(std::vector<ToDoItem>& rows, CSVImportNotes& notes)
    {
        QByteArray first;
        if (!firstLine(first))
            return Outcome::Failed;
        m_toCodePage = m_utf8 && CodePage::current() != CodePage::Kind::Utf8;
        m_rows.toCodePage = m_toCodePage;
        if (header(first, notes)) {
            const Outcome o = rfcPass(notes.separator, true);
            return finish(o, rows, notes);
        }
        m_rows.headerless();
        Outcome o = legacyPass(true);
        if (o == Outcome::Done) {
            notes.earlierForm = true;
            return finish(o, rows, notes);
        }
        if (o != Outcome::NotThisReading)
            return o;
        notes.separator = separatorOf(first);
        o = rfcPass(notes.separator, false);
        if (o != Outcome::NotThisReading)
            return finish(o, rows, notes);
        // The RFC 4180 reading failed; its failure stands unless the lines read cleanly.
        const IoResult rfcFailure = m_result;
        o = legacyPass(false);
        if (o == Outcome::NotThisReading) {
            m_result = rfcFailure;
            return Outcome::Failed;
        }
        notes.earlierForm = true;
        notes.separator = ',';
        return finish(o, rows, notes);
    }

    Outcome finish(Outcome o, std::vector<ToDoItem>& rows, CSVImportNotes& notes)
    {
        if (o != Outcome::Done)
            return o;
        if (!m_rows.unmappable.isEmpty()) {
            m_result = badData(csvText("Unmappable").arg(shownName(m_name)).arg(m_rows.unmappableLine) +
                               QLatin1Char(' ') + UnmappableText(m_rows.unmappable));
            return Outcome::Failed;
        }
        notes.longRecords = m_rows.longRecords;
        rows = std::move(m_out);
        m_result = IoResult::success();
        return Outcome::Done;
    }

    // The first line that is not blank (at most the first piece).
    bool firstLine(QByteArray& line)
    {
        // A header line longer than this names no columns.
        QByteArray buffer(64 * 1024, Qt::Uninitialized);
        qint64 have = 0;
        for (;;) {
            const qint64 got = m_input.read(buffer.data() + have, buffer.size() - have);
            if (got < 0) {
                m_result = m_input.error();
                return false;
            }
            if (got == 0)
                break;
            have += got;
        }
        QByteArrayView text(buffer.constData(), have);
        qsizetype p = 0;
        while (p < text.size() && (text[p] == '\r' || text[p] == '\n'))
            ++p;
        qsizetype e = p;
        while (e < text.size() && text[e] != '\r' && text[e] != '\n')
            ++e;
        line = text.sliced(p, e - p).toByteArray();
        if (IoResult r = m_input.restart(); !r) {
            m_result = r;
            return false;
        }
        return true;
    }

    // Rule 1: the separator that splits the line into the most known captions, at least two.
    bool header(const QByteArray& line, CSVImportNotes& notes)
    {
        int best = 1;
        for (const char separator : {',', ';', '\t'}) {
            CSVRfcReader reader(line, separator, true);
            std::vector<QByteArrayView> fields;
            if (reader.next(fields) != CSVRfcReader::Step::Record)
                continue;
            std::vector<int> target;
            QStringList unknown;
            int known = 0;
            for (const QByteArrayView f : fields) {
                const QString caption = m_utf8 ? QString::fromUtf8(f) : CodePage::decode(f);
                const std::optional<int> c = CSVColumnOfCaption(caption);
                const bool taken = c && std::find(target.begin(), target.end(), *c) != target.end();
                if (c && !taken && *c != kCSVStatusColumn)
                    ++known;
                if (!c && !caption.trimmed().isEmpty())
                    unknown << caption.trimmed();
                else if (taken)
                    unknown << caption.trimmed();
                target.push_back(c && !taken && *c != kCSVStatusColumn ? *c : -1);
            }
            if (known > best) {
                best = known;
                notes.separator = separator;
                notes.unknownColumns = unknown;
                m_rows.target = target;
                // The export's own header: its texts carry the formula guard.
                m_rows.unguard = fields.size() == size_t(ToDoItem::ColumnCount + 1);
                for (int c = 0; c <= ToDoItem::ColumnCount && m_rows.unguard; ++c)
                    m_rows.unguard = fields[size_t(c)] == CSVExportCaption(c);
            }
        }
        notes.header = best > 1 || oneColumnHeader(line, notes);
        return notes.header;
    }

    // A file of one column has a header when its first line is exactly that column's caption, as the
    // export, a shipped language or the language in effect writes it; a caption spelt otherwise is an item.
    bool oneColumnHeader(const QByteArray& line, CSVImportNotes& notes)
    {
        CSVRfcReader reader(line, ',', true);
        std::vector<QByteArrayView> fields;
        if (reader.next(fields) != CSVRfcReader::Step::Record || fields.size() != 1)
            return false;
        const QString caption = m_utf8 ? QString::fromUtf8(fields[0]) : CodePage::decode(fields[0]);
        const std::optional<int> column = ExactCSVCaptionColumn(caption);
        if (!column)
            return false;
        notes.separator = ',';
        notes.unknownColumns.clear();
        m_rows.target = {*column};
        m_rows.unguard = false;
        return true;
    }

    // Rule 3: the separator the first record holds most of outside quotes.
    static char separatorOf(QByteArrayView line)
    {
        int counts[3] = {0, 0, 0};
        bool quoted = false;
        for (const char c : line) {
            if (c == '"')
                quoted = !quoted;
            else if (!quoted)
                counts[0] += c == ',', counts[1] += c == ';', counts[2] += c == '\t';
        }
        if (counts[1] > counts[0] && counts[1] >= counts[2])
            return ';';
        if (counts[2] > counts[0] && counts[2] > counts[1])
            return '\t';
        return ',';
    }

    // Runs consume over the input in pieces of whole lines: consume(piece, last) reads records from the
    // start of the piece and says how much of it it used. The pieces are checked for UTF-8 first.
    template <typename Consume> Outcome pieces(Consume consume)
    {
        if (IoResult r = m_input.restart(); !r) {
            m_result = r;
            return Outcome::Failed;
        }
        QByteArray buffer(kPiece, Qt::Uninitialized);
        qsizetype have = 0;
        qsizetype checked = 0;
        m_linesBefore = 0;
        m_read = 0;
        if (m_progress)
            m_progress->setTotal(m_input.size());
        bool atEnd = false;
        for (;;) {
            if (JobProgress::stopped(m_progress)) {
                m_result = IoResult::failure(csvText("Cancelled").arg(shownName(m_name)), IoError::Cancelled);
                return Outcome::Failed;
            }
            while (!atEnd && have < buffer.size()) {
                const qint64 got = m_input.read(buffer.data() + have, buffer.size() - have);
                if (got < 0) {
                    m_result = m_input.error();
                    return Outcome::Failed;
                }
                atEnd = got == 0;
                have += qsizetype(got);
            }
            const qsizetype safe = atEnd ? have : pieceEnd(buffer.constData(), have);
            if (safe < 0) {
                buffer.resize(buffer.size() * 2);
                continue;
            }
            // A piece of ASCII alone needs neither the check nor a conversion.
            m_rows.toCodePage = m_toCodePage && HasHighByte(QByteArrayView(buffer.constData(), safe));
            if (m_utf8 && checked < safe && (m_rows.toCodePage || m_mustUtf8)) {
                const QByteArrayView part(buffer.constData() + checked, safe - checked);
                if (const qsizetype bad = CodePage::firstInvalidUtf8(part); bad >= 0) {
                    if (!m_mustUtf8)
                        return Outcome::NotUtf8;
                    m_result = notUtf8(m_linesBefore +
                                       lineOf(QByteArrayView(buffer.constData(), have), checked + bad));
                    return Outcome::Failed;
                }
            }
            checked = std::max(checked, safe);
            Used used;
            const Outcome o = consume(QByteArrayView(buffer.constData(), atEnd ? have : safe), atEnd, used);
            if (o != Outcome::Done)
                return o;
            if (used.bytes == 0 && !atEnd && have == buffer.size())
                buffer.resize(buffer.size() * 2);
            m_linesBefore += used.lines;
            m_read += used.bytes;
            JobProgress::step(m_progress, m_read);
            have -= used.bytes;
            checked -= used.bytes;
            std::memmove(buffer.data(), buffer.constData() + used.bytes, size_t(have));
            if (atEnd && have == 0)
                return Outcome::Done;
            if (atEnd && used.bytes == 0)
                return Outcome::Done; // nothing more can be read
        }
    }

    // Rules 2 (shaped: every line as earlier versions wrote it) and 4.
    Outcome legacyPass(bool shaped)
    {
        m_out.clear();
        m_rows.longRecords = 0;
        m_rows.unmappable.clear();
        std::vector<QByteArrayView> fields;
        fields.reserve(16);
        QByteArray rewritten;
        return pieces([&](QByteArrayView piece, bool, Used& used) {
            CSVRecordReader reader(piece);
            while (reader.next(fields)) {
                if (shaped && !writtenByEarlierVersions(reader.recordLine(), fields, rewritten))
                    return Outcome::NotThisReading;
                m_out.push_back(m_rows.make(fields, m_linesBefore + reader.lineNumber()));
            }
            if (reader.textEnd() < piece.size()) {
                if (shaped)
                    return Outcome::NotThisReading;
                m_result = holdsNul(m_linesBefore + lineOf(piece, reader.textEnd()));
                return Outcome::Failed;
            }
            if (reader.unclosedLine() > 0)
                return Outcome::NotThisReading;
            reserveRows(m_read + piece.size());
            used.bytes = piece.size();
            used.lines = reader.linesRead();
            return Outcome::Done;
        });
    }

    static bool writtenByEarlierVersions(QByteArrayView line, const std::vector<QByteArrayView>& fields,
                                         QByteArray& scratch)
    {
        qsizetype room = 0;
        for (const QByteArrayView f : fields)
            room += CSVFieldRoom(f.size());
        if (room < line.size())
            return false;
        scratch.resize(room);
        char* d = scratch.data();
        for (const QByteArrayView f : fields)
            d = WriteCSVField(d, f);
        return QByteArrayView(scratch.constData(), d - scratch.constData()) == line;
    }

    // Rules 1 and 3.
    Outcome rfcPass(char separator, bool skipHeader)
    {
        m_out.clear();
        m_rows.longRecords = 0;
        m_rows.unmappable.clear();
        std::vector<QByteArrayView> fields;
        fields.reserve(16);
        bool headerLeft = skipHeader;
        return pieces([&](QByteArrayView piece, bool last, Used& used) {
            CSVRfcReader reader(piece, separator, last);
            for (;;) {
                switch (reader.next(fields)) {
                case CSVRfcReader::Step::Record:
                    if (fields.empty())
                        continue;
                    if (headerLeft) {
                        headerLeft = false;
                        continue;
                    }
                    m_out.push_back(m_rows.make(fields, m_linesBefore + reader.recordLine()));
                    continue;
                case CSVRfcReader::Step::End:
                case CSVRfcReader::Step::Incomplete:
                    reserveRows(m_read + reader.position());
                    used.bytes = reader.position();
                    used.lines = reader.linesRead();
                    return Outcome::Done;
                case CSVRfcReader::Step::Nul:
                    m_result = holdsNul(m_linesBefore + reader.failureLine());
                    return Outcome::Failed;
                case CSVRfcReader::Step::Unterminated:
                    m_result = notClosed(m_linesBefore + reader.failureLine());
                    return skipHeader ? Outcome::Failed : Outcome::NotThisReading;
                case CSVRfcReader::Step::StrayQuote:
                    m_result = strayQuote(m_linesBefore + reader.failureLine());
                    return skipHeader ? Outcome::Failed : Outcome::NotThisReading;
                }
            }
        });
    }

    // Room for the rows, reckoned from the rows the bytes read so far (all pieces) gave.
    void reserveRows(qint64 bytesRead)
    {
        if (m_out.capacity() > m_out.size() * 2 || bytesRead <= 0 || m_out.empty())
            return;
        const qint64 total = std::max<qint64>(m_input.size(), bytesRead);
        m_out.reserve(size_t(qint64(m_out.size()) * total / bytesRead + 16));
    }

    IoResult notClosed(qsizetype line) const
    {
        // Taking the rest of the file, or cutting it short, would put texts into the wrong items.
        return badData(csvText("NotClosed").arg(shownName(m_name)).arg(line));
    }

    IoResult strayQuote(qsizetype line) const
    {
        return badData(csvText("StrayQuote").arg(shownName(m_name)).arg(line));
    }

    IoResult holdsNul(qsizetype line) const
    {
        // Outside quotes, a NUL is the sign of a file that is no text at all.
        return badData(csvText("NulByte").arg(shownName(m_name)).arg(line));
    }

    IoResult notUtf8(qsizetype line) const
    {
        if (m_input.bom() != CSVInput::Bom::None)
            return badData(csvText("Utf8Bom").arg(shownName(m_name)).arg(line));
        return badData(csvText("NotUtf8").arg(shownName(m_name)).arg(line));
    }

    static constexpr qsizetype kPiece = qsizetype(1) << 20;

    CSVInput& m_input;
    QString m_name;
    JobProgress* m_progress;
    qint64 m_read = 0;
    bool m_utf8 = true;
    bool m_mustUtf8 = false;
    // UTF-8 texts are to be stored in another code page.
    bool m_toCodePage = false;
    qsizetype m_linesBefore = 0;
    CSVRowMaker m_rows;
    std::vector<ToDoItem> m_out;
    IoResult m_result;
};
} // namespace

IoResult ReadCSV(const QString& path, QByteArrayView text, const QString& fileName,
                 std::vector<ToDoItem>& rows, CSVImportNotes* notes, JobProgress* progress)
{
    CSVInput input(path, text);
    Importer importer(input, path.isEmpty() ? fileName : path, progress);
    CSVImportNotes own;
    std::vector<ToDoItem> out;
    const IoResult r = importer.run(out, notes ? *notes : own);
    if (r)
        rows = std::move(out);
    return r;
}
