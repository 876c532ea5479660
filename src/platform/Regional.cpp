#include "platform/Regional.h"

#include "platform/Clock.h"
#include "platform/CodePage.h"

#include <QRegularExpression>

#include <array>
#include <cstring>

namespace {
struct State
{
    QLocale locale = QLocale::c();
    QLocale itemLocale = QLocale::c();
    QString dateFormat = QStringLiteral("yyyy-MM-dd");
    QString timeFormat = QStringLiteral("HH:mm:ss");
    Regional::DateOrder order = Regional::DateOrder::YearMonthDay;
    quint32 generation = 1;
    bool initialised = false;
};

State& state()
{
    static State s;
    return s;
}

void ensureInitialised()
{
    if (!state().initialised)
        Regional::useSystemLocale();
}

Regional::DateOrder orderOf(const QString& format)
{
    const qsizetype d = format.indexOf(QLatin1Char('d'));
    const qsizetype m = format.indexOf(QLatin1Char('M'));
    const qsizetype y = format.indexOf(QLatin1Char('y'));
    if (y >= 0 && (d < 0 || y < d) && (m < 0 || y < m))
        return Regional::DateOrder::YearMonthDay;
    if (m >= 0 && d >= 0 && m < d)
        return Regional::DateOrder::MonthDayYear;
    return Regional::DateOrder::DayMonthYear;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Reads up to maxCount unsigned numbers separated by single non-digit, non-blank characters (blanks around
// separators are allowed). Stops at the first blank run not followed by a separator; returns the position
// after the last number read, or -1 when the text does not start with a number.
qsizetype readNumbers(QByteArrayView t, qsizetype pos, int maxCount, int* values, int* digits, int& count)
{
    count = 0;
    qsizetype end = -1;
    while (count < maxCount) {
        if (pos >= t.size() || !isDigit(t[pos]))
            break;
        int v = 0, nd = 0;
        while (pos < t.size() && isDigit(t[pos])) {
            if (nd < 9)
                v = v * 10 + (t[pos] - '0');
            ++nd;
            ++pos;
        }
        values[count] = v;
        digits[count] = nd;
        ++count;
        end = pos;
        // One separator (with blanks around it) before the next number.
        qsizetype p = pos;
        while (p < t.size() && isBlank(t[p]))
            ++p;
        if (p < t.size() && !isDigit(t[p]) && !isBlank(t[p])) {
            ++p;
            while (p < t.size() && isBlank(t[p]))
                ++p;
        } else if (p == pos) {
            break;
        }
        pos = p;
    }
    return end;
}

// A trailing separator (as in "6.12.2026.") and blanks may follow a date.
bool onlyTrailingSeparator(QByteArrayView t, qsizetype pos)
{
    while (pos < t.size() && isBlank(t[pos]))
        ++pos;
    if (pos < t.size() && (t[pos] == '.' || t[pos] == '/' || t[pos] == '-'))
        ++pos;
    while (pos < t.size() && isBlank(t[pos]))
        ++pos;
    return pos == t.size();
}

// usedYear, when given, is set to the current year a text without a year or with two digits was read
// against, and left alone otherwise.
std::optional<QDate> dateFromNumbers(const int* v, const int* nd, int count, int* usedYear = nullptr)
{
    int day = 0, month = 0, year = 0, yearDigits = 4;
    const auto order = Regional::dateOrder();
    if (count == 3) {
        switch (order) {
        case Regional::DateOrder::DayMonthYear:
            day = v[0], month = v[1], year = v[2], yearDigits = nd[2];
            break;
        case Regional::DateOrder::MonthDayYear:
            month = v[0], day = v[1], year = v[2], yearDigits = nd[2];
            break;
        case Regional::DateOrder::YearMonthDay:
            year = v[0], yearDigits = nd[0], month = v[1], day = v[2];
            break;
        }
    } else if (count == 2) {
        // Day and month alone stand for the current year.
        if (order == Regional::DateOrder::MonthDayYear || order == Regional::DateOrder::YearMonthDay)
            month = v[0], day = v[1];
        else
            day = v[0], month = v[1];
        year = Clock::today().year();
        if (usedYear)
            *usedYear = year;
    } else {
        return std::nullopt;
    }
    if (yearDigits > 4)
        return std::nullopt;
    if (yearDigits <= 2) {
        if (usedYear)
            *usedYear = Clock::today().year();
        year = Regional::expandTwoDigitYear(year);
    }
    const QDate date(year, month, day);
    if (year < 1 || !date.isValid())
        return std::nullopt;
    return date;
}

// Reads a time at pos: h[:m[:s]] with an optional AM/PM marker; returns the position after it.
qsizetype readTime(QByteArrayView t, qsizetype pos, QTime& out)
{
    int v[3] = {0, 0, 0}, nd[3];
    int count = 0;
    const qsizetype end = readNumbers(t, pos, 3, v, nd, count);
    if (end < 0)
        return -1;
    qsizetype p = end;
    while (p < t.size() && isBlank(t[p]))
        ++p;
    int hour = v[0];
    const QByteArrayView rest = t.sliced(p);
    auto marker = [&](const char* a, const char* b) {
        return rest.startsWith(QByteArrayView(a)) || rest.startsWith(QByteArrayView(b));
    };
    bool pm = false, am = false;
    if (marker("PM", "pm") || marker("Pm", "pM"))
        pm = true;
    else if (marker("AM", "am") || marker("Am", "aM"))
        am = true;
    if (am || pm) {
        if (hour < 1 || hour > 12)
            return -1;
        hour = (hour % 12) + (pm ? 12 : 0);
        p += 2;
    } else {
        p = end;
    }
    if (hour > 23 || v[1] > 59 || v[2] > 59)
        return -1;
    out = QTime(hour, v[1], v[2]);
    return p;
}

QByteArray latin1Of(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text)
        out.append(c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '\x7f');
    return out;
}

QByteArrayView trimmed(QByteArrayView t)
{
    qsizetype b = 0, e = t.size();
    while (b < e && (isBlank(t[b]) || t[b] == '\r' || t[b] == '\n'))
        ++b;
    while (e > b && (isBlank(t[e - 1]) || t[e - 1] == '\r' || t[e - 1] == '\n'))
        --e;
    return t.sliced(b, e - b);
}
} // namespace

void Regional::useSystemLocale()
{
    useLocale(QLocale::system());
}

void Regional::useLocale(const QLocale& locale)
{
    state().locale = locale;
    setItemFormats(locale, dateFormatOf(locale), timeFormatOf(locale));
}

void Regional::setItemFormats(const QLocale& itemLocale, const QString& shortDate, const QString& longTime)
{
    state().itemLocale = itemLocale;
    setFormats(shortDate, longTime);
}

QString Regional::dateFormatOf(const QLocale& locale)
{
    if (locale.language() == QLocale::C)
        return QStringLiteral("yyyy-MM-dd");
    return widenDateFormat(locale.dateFormat(QLocale::ShortFormat));
}

QString Regional::timeFormatOf(const QLocale& locale)
{
    if (locale.language() == QLocale::C)
        return QStringLiteral("HH:mm:ss");
    return stripTimeZone(locale.timeFormat(QLocale::LongFormat));
}

void Regional::setFormats(const QString& shortDate, const QString& longTime)
{
    State& s = state();
    s.initialised = true;
    s.dateFormat = shortDate;
    s.timeFormat = longTime;
    s.order = orderOf(shortDate);
    ++s.generation;
}

QString Regional::shortDateFormat()
{
    ensureInitialised();
    return state().dateFormat;
}

QString Regional::longTimeFormat()
{
    ensureInitialised();
    return state().timeFormat;
}

Regional::DateOrder Regional::dateOrder()
{
    ensureInitialised();
    return state().order;
}

QLocale Regional::locale()
{
    ensureInitialised();
    return state().locale;
}

QLocale Regional::itemLocale()
{
    ensureInitialised();
    return state().itemLocale;
}

quint32 Regional::generation()
{
    ensureInitialised();
    return state().generation;
}

QStringList Regional::shortDayNames()
{
    const QLocale l = locale();
    QStringList names;
    for (int d = 1; d <= 7; ++d)
        names << l.dayName(d, QLocale::ShortFormat);
    return names;
}

QString Regional::dateToText(const QDate& date)
{
    return itemLocale().toString(date, shortDateFormat());
}

QString Regional::timeToText(const QTime& time)
{
    return itemLocale().toString(time, longTimeFormat());
}

QString Regional::dateTimeToText(const QDateTime& dateTime)
{
    QString text = dateToText(dateTime.date());
    if (dateTime.time() != QTime(0, 0))
        text += QLatin1Char(' ') + timeToText(dateTime.time());
    return text;
}

namespace {
// A format with month names writes dates that the number reader cannot take back; those are read as the
// format says.
std::optional<QDate> namedMonthDate(const QString& text)
{
    const QString format = Regional::shortDateFormat();
    if (!format.contains(QLatin1String("MMM")))
        return std::nullopt;
    const QDate date = Regional::itemLocale().toDate(text.trimmed(), format);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

// "yyyy-MM-dd" (what the C locale and scripts write) reads the same in every locale.
std::optional<QDate> isoDate(QByteArrayView t)
{
    if (t.size() < 8 || t.size() > 10 || t[4] != '-')
        return std::nullopt;
    int parts[3] = {0, 0, 0};
    int part = 0;
    int digits = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '-') {
            if (digits == 0 || ++part > 2)
                return std::nullopt;
            digits = 0;
        } else if (c >= '0' && c <= '9' && digits < (part == 0 ? 4 : 2)) {
            parts[part] = parts[part] * 10 + (c - '0');
            ++digits;
        } else {
            return std::nullopt;
        }
    }
    const QDate d(parts[0], parts[1], parts[2]);
    if (part != 2 || digits == 0 || !d.isValid())
        return std::nullopt;
    return d;
}

std::optional<QDate> numericDate(QByteArrayView text, int* usedYear = nullptr)
{
    const QByteArrayView t = trimmed(text);
    if (auto iso = isoDate(t))
        return iso;
    int v[3], nd[3], count = 0;
    const qsizetype end = readNumbers(t, 0, 3, v, nd, count);
    if (end < 0 || !onlyTrailingSeparator(t, end))
        return std::nullopt;
    return dateFromNumbers(v, nd, count, usedYear);
}

// The dates of a list repeat (many items share a day): the last texts read are remembered with what they
// gave, for the formats they were read with, so a list of any length reads each distinct date about once.
struct RememberedDate
{
    char text[16];
    qsizetype size = -1;
    quint32 generation = 0;
    // The current year the text was read against (no year, or two digits), or 0 when it named its year.
    int year = 0;
    std::optional<QDate> date;
};

RememberedDate& rememberedDate(QByteArrayView text)
{
    static std::array<RememberedDate, 256> remembered;
    quint32 hash = 2166136261u;
    for (char c : text)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return remembered[(hash ^ (hash >> 8) ^ (hash >> 16)) & 0xFF];
}
} // namespace

std::optional<QDate> Regional::textToDate(QByteArrayView text)
{
    ensureInitialised();
    const bool rememberable = text.size() <= qsizetype(sizeof RememberedDate::text);
    if (rememberable) {
        const RememberedDate& r = rememberedDate(text);
        if (r.size == text.size() && r.generation == state().generation &&
            (text.isEmpty() || std::memcmp(r.text, text.data(), size_t(text.size())) == 0) &&
            (r.year == 0 || r.year == Clock::today().year()))
            return r.date;
    }
    int usedYear = 0;
    std::optional<QDate> date = numericDate(text, &usedYear);
    if (!date)
        date = namedMonthDate(CodePage::decode(text));
    if (rememberable) {
        RememberedDate& r = rememberedDate(text);
        if (!text.isEmpty())
            std::memcpy(r.text, text.data(), size_t(text.size()));
        r.size = text.size();
        r.generation = state().generation;
        r.year = usedYear;
        r.date = date;
    }
    return date;
}

std::optional<QDate> Regional::textToDate(QStringView text)
{
    ensureInitialised();
    if (auto date = numericDate(QByteArrayView(latin1Of(text))))
        return date;
    return namedMonthDate(text.toString());
}

std::optional<QTime> Regional::textToTime(QByteArrayView text)
{
    // Alarm times repeat like dates do; a time names no day, so what a text gave stays true.
    struct RememberedTime
    {
        char text[12];
        qsizetype size = -1;
        std::optional<QTime> time;
    };
    static std::array<RememberedTime, 64> remembered;
    const bool rememberable = text.size() <= qsizetype(sizeof RememberedTime::text);
    RememberedTime* r = nullptr;
    if (rememberable) {
        quint32 hash = 2166136261u;
        for (char c : text)
            hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        r = &remembered[(hash ^ (hash >> 8)) & 0x3F];
        if (r->size == text.size() &&
            (text.isEmpty() || std::memcmp(r->text, text.data(), size_t(text.size())) == 0))
            return r->time;
    }
    const QByteArrayView t = trimmed(text);
    QTime time;
    const qsizetype end = readTime(t, 0, time);
    std::optional<QTime> result;
    if (end >= 0 && trimmed(t.sliced(end)).size() == 0)
        result = time;
    if (r) {
        if (!text.isEmpty())
            std::memcpy(r->text, text.data(), size_t(text.size()));
        r->size = text.size();
        r->time = result;
    }
    return result;
}

std::optional<QTime> Regional::textToTime(QStringView text)
{
    // Locale AM/PM markers other than the English ones are mapped before the byte-level reader runs.
    QString s = text.toString();
    const QLocale l = itemLocale();
    if (!l.amText().isEmpty() && l.amText() != QLatin1String("AM"))
        s.replace(l.amText(), QLatin1String("AM"), Qt::CaseInsensitive);
    if (!l.pmText().isEmpty() && l.pmText() != QLatin1String("PM"))
        s.replace(l.pmText(), QLatin1String("PM"), Qt::CaseInsensitive);
    return textToTime(QByteArrayView(latin1Of(s)));
}

std::optional<QDateTime> Regional::textToDateTime(QByteArrayView text)
{
    ensureInitialised();
    const QByteArrayView t = trimmed(text);
    if (t.isEmpty())
        return std::nullopt;
    // A date of two or three numbers, then optionally a time after blanks.
    int v[3], nd[3], count = 0;
    const qsizetype end = readNumbers(t, 0, 3, v, nd, count);
    if (end < 0)
        return std::nullopt;
    if (onlyTrailingSeparator(t, end)) {
        if (auto d = dateFromNumbers(v, nd, count))
            return QDateTime(*d, QTime(0, 0));
    }
    qsizetype p = end;
    if (p < t.size() && t[p] == '.')
        ++p;
    if (p < t.size() && isBlank(t[p])) {
        while (p < t.size() && isBlank(t[p]))
            ++p;
        QTime time;
        const qsizetype tend = readTime(t, p, time);
        if (tend >= 0 && trimmed(t.sliced(tend)).isEmpty()) {
            if (auto d = dateFromNumbers(v, nd, count))
                return QDateTime(*d, time);
        }
    }
    if (auto time = textToTime(t))
        return QDateTime(QDate(1899, 12, 30), *time);
    return std::nullopt;
}

QString Regional::widenDateFormat(const QString& format)
{
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    QString f = format;
    f.replace(twoDigitYear, QStringLiteral("yyyy"));
    return f;
}

QString Regional::stripTimeZone(const QString& format)
{
    // Qt writes the zone as one to four 't'; quoted literal text is left alone.
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        out += c;
    }
    return out.simplified();
}

int Regional::expandTwoDigitYear(int yy)
{
    const int thisYear = Clock::today().year();
    int year = thisYear - thisYear % 100 + yy;
    if (year > thisYear + 50)
        year -= 100;
    else if (year <= thisYear - 50)
        year += 100;
    return year;
}
