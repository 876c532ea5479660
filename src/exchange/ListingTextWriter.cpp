#include "exchange/ListingTextWriter.h"

const ListingHighBytes& ListingHighBytes::windows1252()
{
    static const ListingHighBytes table = [] {
        ListingHighBytes t;
        for (int b = 0x80; b < 0x100; ++b) {
            const char c = static_cast<char>(b);
            const QByteArray utf8 = CodePage::decodeWindows1252(QByteArrayView(&c, 1)).toUtf8();
            std::memcpy(t.bytes[size_t(b - 0x80)].data(), utf8.constData(), size_t(utf8.size()));
            t.length[size_t(b - 0x80)] = static_cast<quint8>(utf8.size());
        }
        return t;
    }();
    return table;
}
