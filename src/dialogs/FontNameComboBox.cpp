#include "dialogs/FontNameComboBox.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QSignalBlocker>

namespace {
constexpr int kSampleSize = 11;

// The name drawn in its own face; a symbol font that has no letters for its own name is drawn in the
// list's face instead, so that it can still be read.
QVariant sampleFont(const QString& family)
{
    QFont f(family, kSampleSize);
    f.setStyleStrategy(QFont::NoFontMerging);
    const QFontMetrics metrics(f);
    for (const QChar c : family) {
        if (!c.isSpace() && !metrics.inFont(c))
            return {};
    }
    return f;
}
} // namespace

FontNameComboBox::FontNameComboBox(QWidget* parent) : QComboBox(parent)
{
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(16);
}

void FontNameComboBox::setFontName(const QString& name)
{
    const QSignalBlocker block(this);
    int i = findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (i < 0) {
        addItem(name);
        setItemData(count() - 1, sampleFont(name), Qt::FontRole);
        i = count() - 1;
    }
    setCurrentIndex(i);
}

void FontNameComboBox::fillFonts()
{
    const QString current = currentText();
    QStringList names;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family))
            names << family;
    }
    if (!current.isEmpty())
        names << current;
    names.removeDuplicates();
    names.sort(Qt::CaseInsensitive);

    const QSignalBlocker block(this);
    clear();
    for (const QString& name : names) {
        addItem(name);
        setItemData(count() - 1, sampleFont(name), Qt::FontRole);
    }
    setCurrentIndex(findText(current, Qt::MatchFixedString | Qt::MatchCaseSensitive));
}

void FontNameComboBox::showPopup()
{
    fillFonts();
    QComboBox::showPopup();
}
