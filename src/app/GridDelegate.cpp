#include "app/GridDelegate.h"

#include "config/Colors.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QStyle>
#include <QTextOption>

#include <cmath>
#include <utility>

namespace {
// A few screens of cells, scrolled back and forth.
constexpr int kKeptTexts = 2000;
// The fonts a list's rows are drawn in: one per status, and the view's own. More means the user changed
// fonts, and what was laid out in the earlier ones is let go.
constexpr qsizetype kKeptFonts = 16;
} // namespace

GridDelegate::GridDelegate(QObject* parent) : QStyledItemDelegate(parent), m_texts(kKeptTexts) {}

GridDelegate::~GridDelegate() = default;

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    // The style draws the cell without its text, which is drawn from what was laid out before.
    const QString text = std::exchange(opt.text, QString());
    const QWidget* widget = opt.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    if (!text.isEmpty())
        drawText(painter, opt, text);
    if (!m_showGrid)
        return;
    painter->save();
    painter->setPen(option.palette.color(QPalette::Midlight));
    const QRect r = option.rect;
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->restore();
}

void GridDelegate::drawText(QPainter* painter, const QStyleOptionViewItem& option, const QString& text) const
{
    const QWidget* widget = option.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    // Where and in which colour the style puts a cell's text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect rect =
        style->subElementRect(QStyle::SE_ItemViewItemText, &option, widget).adjusted(margin, 0, -margin, 0);
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    QPalette::ColorGroup group = option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(option.state & QStyle::State_Active))
        group = QPalette::Inactive;
    const QPalette::ColorRole role =
        option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text;

    const int font = fontNumber(option.font);
    const QStaticText& shown = laidOut(text, option, font, rect.width());
    // Placed as the style places a line of text: across to the pixel's fraction, down to whole pixels.
    const QSizeF size = shown.size();
    const Qt::Alignment alignment = QStyle::visualAlignment(option.direction, option.displayAlignment);
    qreal x = rect.x();
    if (alignment & Qt::AlignRight)
        x += rect.width() - size.width();
    else if (alignment & Qt::AlignHCenter)
        x += (rect.width() - size.width()) / 2;
    const int y = QStyle::alignedRect(Qt::LeftToRight, alignment & Qt::AlignVertical_Mask,
                                      QSize(rect.width(), qCeil(size.height())), rect)
                      .y();
    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(m_fonts[font].face);
    painter->setPen(option.palette.color(group, role));
    painter->drawStaticText(QPointF(x, y), shown);
    const QFont& lined = option.font;
    if (lined.strikeOut() || lined.underline() || lined.overline()) {
        const QFontMetricsF metrics(lined, painter->device());
        const qreal baseline = y + metrics.ascent();
        QPen pen = painter->pen();
        pen.setWidthF(metrics.lineWidth());
        pen.setCapStyle(Qt::FlatCap);
        painter->setPen(pen);
        // From whole pixel to whole pixel, as the style's lines go.
        const qreal from = std::floor(x);
        const qreal to = std::floor(x + size.width());
        const auto line = [&](qreal at) { painter->drawLine(QPointF(from, at), QPointF(to, at)); };
        if (lined.strikeOut())
            line(baseline - metrics.strikeOutPos());
        if (lined.underline())
            line(baseline + metrics.underlinePos());
        if (lined.overline())
            line(baseline - metrics.overlinePos());
    }
    painter->restore();
}

const QStaticText& GridDelegate::laidOut(const QString& text, const QStyleOptionViewItem& option, int font,
                                         int width) const
{
    TextKey key{text, font, width, option.textElideMode, option.direction};
    if (const QStaticText* kept = m_texts.object(key))
        return *kept;
    const QFont& face = m_fonts[font].face;
    QTextOption layout;
    layout.setTextDirection(option.direction);
    layout.setWrapMode(QTextOption::NoWrap);
    auto* shown = new QStaticText(text);
    shown->setTextFormat(Qt::PlainText);
    shown->setTextOption(layout);
    shown->prepare(QTransform(), face);
    // Most texts fit; only those that do not are laid out again, shortened.
    if (shown->size().width() > width && option.textElideMode != Qt::ElideNone) {
        shown->setText(QFontMetrics(face).elidedText(text, option.textElideMode, width));
        shown->prepare(QTransform(), face);
    }
    m_texts.insert(std::move(key), shown);
    return *shown;
}

int GridDelegate::fontNumber(const QFont& font) const
{
    for (qsizetype i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts[i].font == font)
            return static_cast<int>(i);
    }
    if (m_fonts.size() == kKeptFonts) {
        m_fonts.clear();
        m_texts.clear();
    }
    QFont face = font;
    face.setStrikeOut(false);
    face.setUnderline(false);
    face.setOverline(false);
    m_fonts.append({font, face});
    return static_cast<int>(m_fonts.size() - 1);
}

namespace {
quint32 plain(const QColor& c)
{
    // Colours.h counts 0x00BBGGRR.
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}
} // namespace

void GridDelegate::makeSelectionReadable(QPalette& palette)
{
    // Black or white reaches 4.58:1 at least on any colour, so one of them always does.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor back = palette.color(group, QPalette::Highlight);
        if (ContrastRatio(plain(palette.color(group, QPalette::HighlightedText)), plain(back)) >= 4.5)
            continue;
        const bool black =
            ContrastRatio(plain(Qt::black), plain(back)) >= ContrastRatio(plain(Qt::white), plain(back));
        palette.setColor(group, QPalette::HighlightedText, black ? Qt::black : Qt::white);
    }
}

void GridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->state & QStyle::State_Selected)
        makeSelectionReadable(option->palette);
}
