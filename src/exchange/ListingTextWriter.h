#pragma once

#include "exchange/ListPrinter.h"
#include "platform/CodePage.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The UTF-8 form of each Windows-1252 byte from 0x80 on, as the code page decodes it (at most three bytes).
struct ListingHighBytes
{
    std::array<std::array<char, 3>, 128> bytes{};
    std::array<quint8, 128> length{};

    static const ListingHighBytes& windows1252();
};

// The bytes of a form that a text cannot carry as they are (the code page's bytes from 0x80 on aside).
template <ListPrinter::Format F> constexpr bool listingNeedsEscape(unsigned char c)
{
    if constexpr (F == ListPrinter::Format::Tsv)
        return c == '\\' || c == '\t' || c == '\r' || c == '\n';
    else if constexpr (F == ListPrinter::Format::Csv)
        return c == '"';
    else
        return c == '"' || c == '\\' || c < 0x20;
}

// Writes texts of the code page as UTF-8 with the escapes of form F; Utf8 says that the code page is
// UTF-8, whose bytes pass as they are once a text is known to be well-formed. Runs of bytes that need
// nothing are copied sixteen at a time, short texts in one or two words; only the bytes that need an
// escape or a conversion are looked at one by one.
template <ListPrinter::Format F, bool Utf8> class ListingTextWriter
{
public:
    ListingTextWriter() : m_high(ListingHighBytes::windows1252())
    {
        for (int c = 0; c < 256; ++c)
            m_special[size_t(c)] = c >= 0x80 ? !Utf8 : listingNeedsEscape<F>(static_cast<unsigned char>(c));
    }

    // The most a text of n bytes can become (a JSON \u00XX for each byte, and sixteen copied at a time).
    static constexpr qsizetype bound(qsizetype n) { return 6 * n + 16; }

    // Writes text at d, which has room for bound(text.size()) bytes; returns the end of what it wrote.
    char* write(char* d, QByteArrayView text) const
    {
        if constexpr (Utf8) {
            if (hasHighByte(text) && CodePage::firstInvalidUtf8(text) >= 0) {
                // Bytes that are no UTF-8 are shown as the code page decodes them (as windows-1252, three
                // bytes for each byte at most).
                const QByteArray shown = CodePage::decode(text).toUtf8();
                return writeBytes(d, shown);
            }
        }
        return writeBytes(d, text);
    }

    // A CSV field needs quotes when it holds a comma, a quote, a line break or a NUL (which readers take
    // only inside quotes).
    static bool needsQuotes(QByteArrayView text)
    {
        for (char c : text) {
            if (c == ',' || c == '"' || c == '\r' || c == '\n' || c == '\0')
                return true;
        }
        return false;
    }

private:
    static bool hasHighByte(QByteArrayView text)
    {
        for (char c : text) {
            if (static_cast<unsigned char>(c) >= 0x80)
                return true;
        }
        return false;
    }

    // True when the eight bytes of w may hold a byte that needs attention (never false when one does).
    static bool mayNeedAttention(quint64 w)
    {
        constexpr quint64 ones = 0x0101010101010101ull;
        constexpr quint64 highs = 0x8080808080808080ull;
        const auto hasByte = [w](unsigned char b) {
            const quint64 x = w ^ (ones * b);
            return ((x - ones) & ~x & highs) != 0;
        };
        // Some byte below 0x20 (bytes from 0x80 on never count here).
        const auto control = [w] { return ((w - ones * 0x20) & ~w & highs) != 0; };
        if (!Utf8 && (w & highs) != 0)
            return true;
        if constexpr (F == ListPrinter::Format::Tsv)
            return control() || hasByte('\\');
        else if constexpr (F == ListPrinter::Format::Csv)
            return hasByte('"');
        else
            return control() || hasByte('\\') || hasByte('"');
    }

#if defined(__SSE2__)
    // Bit i set when byte i of the sixteen at p may need attention (never clear when it does).
    static int attention(const unsigned char* p)
    {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hit = _mm_setzero_si128();
        if constexpr (F != ListPrinter::Format::Csv) {
            // Bytes below 0x20 (their unsigned minimum with 0x1F is themselves), and the backslash.
            hit = _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(0x1F)), v),
                               _mm_cmpeq_epi8(v, _mm_set1_epi8('\\')));
        }
        if constexpr (F != ListPrinter::Format::Tsv)
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8('"')));
        int mask = _mm_movemask_epi8(hit);
        if constexpr (!Utf8)
            mask |= _mm_movemask_epi8(v);
        return mask;
    }
#endif

    // Most texts of a row are short (a date, a name): looked at in one or two words read so that they
    // overlap, and written the same way when nothing in them needs attention. Null (nothing written)
    // otherwise.
    char* writeShort(char* d, const unsigned char* p, qsizetype n) const
    {
        if (n >= 8) {
            quint64 first, last;
            std::memcpy(&first, p, 8);
            std::memcpy(&last, p + n - 8, 8);
            if (mayNeedAttention(first) || mayNeedAttention(last))
                return nullptr;
            std::memcpy(d, &first, 8);
            std::memcpy(d + n - 8, &last, 8);
        } else if (n >= 4) {
            quint32 first, last;
            std::memcpy(&first, p, 4);
            std::memcpy(&last, p + n - 4, 4);
            if (mayNeedAttention(first | (quint64(last) << 32)))
                return nullptr;
            std::memcpy(d, &first, 4);
            std::memcpy(d + n - 4, &last, 4);
        } else {
            for (qsizetype i = 0; i < n; ++i) {
                if (m_special[p[i]])
                    return nullptr;
            }
            for (qsizetype i = 0; i < n; ++i)
                d[i] = static_cast<char>(p[i]);
        }
        return d + n;
    }

    char* writeBytes(char* d, QByteArrayView text) const
    {
        const auto* p = reinterpret_cast<const unsigned char*>(text.data());
        const auto* const end = p + text.size();
        if (text.size() < 16) {
            if (char* done = writeShort(d, p, text.size()))
                return done;
        }
        while (p < end) {
#if defined(__SSE2__)
            if (end - p >= 16) {
                const int mask = attention(p);
                std::memcpy(d, p, 16);
                const int plain = mask == 0 ? 16 : std::countr_zero(unsigned(mask));
                d += plain;
                p += plain;
                if (plain == 16)
                    continue;
            } else if (text.size() >= 16) {
                // The last bytes: one look at the sixteen that end the text.
                const int mask = attention(end - 16) >> (16 - int(end - p));
                const qsizetype plain = mask == 0 ? end - p : std::countr_zero(unsigned(mask));
                std::memcpy(d, p, size_t(plain));
                d += plain;
                p += plain;
                if (p == end)
                    break;
            }
#endif
            const unsigned char c = *p++;
            if (!m_special[c])
                *d++ = static_cast<char>(c);
            else
                d = special(d, c);
        }
        return d;
    }

    char* special(char* d, unsigned char c) const
    {
        if (c >= 0x80) {
            const size_t i = c - 0x80;
            std::memcpy(d, m_high.bytes[i].data(), m_high.length[i]);
            return d + m_high.length[i];
        }
        const auto two = [&d](char a, char b) {
            d[0] = a;
            d[1] = b;
            return d + 2;
        };
        if constexpr (F == ListPrinter::Format::Csv)
            return two('"', '"');
        switch (c) {
        case '\\':
            return two('\\', '\\');
        case '\t':
            return two('\\', 't');
        case '\r':
            return two('\\', 'r');
        case '\n':
            return two('\\', 'n');
        case '"':
            return two('\\', '"');
        default: {
            // Other control characters, in JSON only.
            static const char hex[] = "0123456789abcdef";
            std::memcpy(d, "\\u00", 4);
            d[4] = hex[c >> 4];
            d[5] = hex[c & 0xF];
            return d + 6;
        }
        }
    }

    const ListingHighBytes& m_high;
    std::array<bool, 256> m_special{};
};
