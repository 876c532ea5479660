#include "dialogs/BinaryClock.h"
#include "dialogs/MovieMarkup.h"
#include "dialogs/SystemReport.h"
#include "platform/ProgramVersion.h"
#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

namespace {
std::string lit(const std::array<bool, BinaryClock::kBitCount>& bits)
{
    std::string s;
    for (size_t i = 0; i < bits.size(); ++i) {
        s += bits[i] ? '1' : '0';
        if (i == 4 || i == 10)
            s += ' ';
    }
    return s;
}
} // namespace

TEST(BinaryClockTest, Bits)
{
    // Hours 16 8 4 2 1, minutes and seconds 32 16 8 4 2 1.
    EXPECT_EQ(lit(BinaryClock::bits(QTime(0, 0, 0))), "00000 000000 000000");
    EXPECT_EQ(lit(BinaryClock::bits(QTime(23, 59, 59))), "10111 111011 111011");
    EXPECT_EQ(lit(BinaryClock::bits(QTime(16, 32, 32))), "10000 100000 100000");
}

TEST(MovieMarkupTest, Lines)
{
    using Line = MovieMarkup::Line;
    auto one = [](const char* text) { return MovieMarkup::parse({QString::fromLatin1(text)}).value(0); };
    auto line = [](const char* text, auto set) {
        Line l;
        l.text = QString::fromLatin1(text);
        set(l);
        return l;
    };
    const std::pair<const char*, Line> cases[] = {
        {"Hello[b]World", line("HelloWorld", [](Line& l) { l.bold = true; })},
        {"[center][size=14]Word", line("Word",
                                       [](Line& l) {
                                           l.centered = true;
                                           l.pointSize = 14;
                                       })},
        {"[i]a[u]b[b]", line("ab", [](Line& l) { l.italic = l.underline = l.bold = true; })},
        // Values: decimal or "$" hex; the last of a kind wins.
        {"[size=$10]", line("", [](Line& l) { l.pointSize = 16; })},
        {"[size=9][size=20]", line("", [](Line& l) { l.pointSize = 20; })},
        {"[color=$0000FF]", line("", [](Line& l) { l.color = 0xFFu; })},
        {"[color=255]", line("", [](Line& l) { l.color = 255u; })},
        {"[font=Arial Black]", line("", [](Line& l) { l.family = QStringLiteral("Arial Black"); })},
        // Stray brackets are dropped: "]" outside a tag, "[" inside one.
        {"x]y", line("xy", [](Line&) {})},
        {"[cen[ter]z", line("z", [](Line& l) { l.centered = true; })},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(one(text), expected) << text;
    // Anything else is ignored.
    for (const char* ignored : {"[size=abc]", "[size=]", "[size=0]", "[size=100000]", "[size= 9]",
                                "[color=-1]", "[color=$1000000]", "[color=$-1]", "[Center]", "[B]", "[bold]"})
        EXPECT_EQ(one(ignored), Line{}) << ignored;
}

TEST(MovieMarkupTest, OpenTagRunsIntoLaterLines)
{
    const QList<MovieMarkup::Line> lines =
        MovieMarkup::parse({QStringLiteral("one[si"), QStringLiteral("two"), QStringLiteral("center]three"),
                            QStringLiteral("[b"), QStringLiteral("]four"), QStringLiteral("five")});
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0].text, QStringLiteral("one"));
    EXPECT_EQ(lines[1], MovieMarkup::Line{});
    // The tag text starts anew on every line: only "center" reaches the "]".
    EXPECT_EQ(lines[2].text, QStringLiteral("three"));
    EXPECT_TRUE(lines[2].centered);
    EXPECT_EQ(lines[2].pointSize, std::nullopt);
    EXPECT_FALSE(lines[4].bold);
    EXPECT_EQ(lines[4].text, QStringLiteral("four"));
    EXPECT_EQ(lines[5].text, QStringLiteral("five"));
}

TEST(SystemReportTest, Layout)
{
    SystemFacts facts;
    facts.osName = QStringLiteral("TestOS 7");
    facts.majorVersion = 6;
    facts.minorVersion = 1;
    facts.buildNumber = 18;
    facts.totalMemory = 8ull << 30;
    facts.availableMemory = (1ull << 30) + 1023;
    const quint64 mb = 1 << 20;
    facts.volumes = {{QStringLiteral("/"), 1000 * mb + mb / 2},
                     {QStringLiteral("/home"), 0},
                     {QStringLiteral("/boot"), 300 * mb},
                     {QStringLiteral("/mnt/a"), 5 * mb},
                     {QStringLiteral("/mnt/b"), 7 * mb}};
    EXPECT_EQ(SystemReport::text(facts),
              QStringLiteral("You are probably Running TestOS 7\nVersion Info: 6.1   Build : 18\n"
                             "Free Memory: Tot: 8388608 KB     Avl: 1048576 KB\nFree Hard disk Space: \n"
                             "/: 1000 MB  /home: 0 MB  /boot: 300 MB  /mnt/a: 5 MB  \n/mnt/b: 7 MB  "));
    facts.availableMemory.reset();
    EXPECT_EQ(SystemReport::memoryText(facts), QStringLiteral("Tot: 8388608 KB     Avl: unknown KB"));
}

TEST(SystemInfoTest, VolumesOfInterest)
{
    const QList<SystemInfo::Mount> mounts = {
        {QStringLiteral("/work"), QStringLiteral("/dev/sda1"), QStringLiteral("ext4"), 10, true},
        {QStringLiteral("/"), QStringLiteral("overlay"), QStringLiteral("overlay"), 1, true},
        {QStringLiteral("/etc/hosts"), QStringLiteral("/dev/sda1"), QStringLiteral("ext4"), 10, false},
        {QStringLiteral("/proc"), QStringLiteral("proc"), QStringLiteral("proc"), 0, true},
        {QStringLiteral("/dev/shm"), QStringLiteral("shm"), QStringLiteral("tmpfs"), 64, true},
        {QStringLiteral("/home"), QStringLiteral("/dev/sda2"), QStringLiteral("ext4"), 2, true},
        {QStringLiteral("/mnt/data"), QStringLiteral("/dev/sda1"), QStringLiteral("ext4"), 10, true},
        {QStringLiteral("/boot"), QStringLiteral("/dev/sda3"), QStringLiteral("ext4"), 3, true},
        {QStringLiteral("/snap/core/1"), QStringLiteral("/dev/loop0"), QStringLiteral("squashfs"), 0, true},
    };
    QStringList names;
    for (const SystemFacts::Volume& v : SystemInfo::chooseVolumes(mounts, QStringLiteral("/home")))
        names << v.name;
    EXPECT_EQ(names.join(QLatin1Char(' ')).toStdString(), "/ /home /boot /mnt/data");

    // A home on the root volume is not listed twice.
    names.clear();
    for (const SystemFacts::Volume& v : SystemInfo::chooseVolumes(mounts.mid(0, 2), QStringLiteral("/")))
        names << v.name;
    EXPECT_EQ(names.join(QLatin1Char(' ')).toStdString(), "/ /work");
}

TEST(ProgramVersionTest, FourNumbers)
{
    using V = std::array<int, 4>;
    EXPECT_EQ(ProgramVersion::parse(QStringLiteral("1.16.11.21")), (V{1, 16, 11, 21}));
    EXPECT_EQ(ProgramVersion::parse(QStringLiteral("2.3")), (V{2, 3, 0, 0}));
    for (const char* bad : {"1.2.3.4.5", "1.x", "70000", "", "1..2", "+1", "-1.0"})
        EXPECT_EQ(ProgramVersion::parse(QString::fromLatin1(bad)), std::nullopt) << bad;
    EXPECT_EQ(ProgramVersion::parse(QStringLiteral(QUILLMAR_VERSION)), ProgramVersion::current());
}
