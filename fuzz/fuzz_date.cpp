// Dates and times as item columns hold them: any text reads without a crash under the usual formats, and a
// date or time that was read is written and read back to itself.
#include "platform/Regional.h"

#include "FuzzUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const dateFormats[] = {"dd.MM.yyyy", "M/d/yyyy",    "yyyy-MM-dd", "d.M.yy",
                                              "dd/MM/yyyy", "MMM d, yyyy", "yyyy/M/d",   "d MMMM yyyy"};
    static const char* const timeFormats[] = {"HH:mm:ss", "h:mm:ss AP", "H.mm", "hh:mm:ss ap"};
    const uint8_t pick = data[0];
    // As the program sets them: two-digit years widened, so that every written date names its year.
    Regional::setFormats(Regional::widenDateFormat(QString::fromLatin1(dateFormats[pick % 8])),
                         Regional::stripTimeZone(QString::fromLatin1(timeFormats[(pick / 8) % 4])));
    const QByteArrayView text = fuzzInput(data + 1, size - 1);

    if (const auto date = Regional::textToDate(text)) {
        FUZZ_CHECK(date->isValid());
        FUZZ_CHECK(Regional::textToDate(QStringView(Regional::dateToText(*date))) == date);
    }
    if (const auto time = Regional::textToTime(text)) {
        FUZZ_CHECK(time->isValid());
        const auto again = Regional::textToTime(QStringView(Regional::timeToText(*time)));
        FUZZ_CHECK(again.has_value());
        FUZZ_CHECK(again->hour() == time->hour() && again->minute() == time->minute());
    }
    (void)Regional::textToDate(QStringView(QString::fromLatin1(text)));
    (void)Regional::textToDateTime(text);
    return 0;
}
