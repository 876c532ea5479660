#pragma once

#include <QCache>
#include <QFont>
#include <QList>
#include <QStaticText>
#include <QStyledItemDelegate>

// Draws the list's cells with optional grid lines, as a report-style list with grid lines shows them.
//
// A cell's text is laid out once and kept: the same rows are painted again and again (every scroll, every
// row added or taken away above them repaints all that is shown), and laying out text is most of what
// painting a cell costs. The rest of a cell (its background, check box and focus frame) the style draws.
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit GridDelegate(QObject* parent = nullptr);
    ~GridDelegate() override;

    void setShowGrid(bool show) { m_showGrid = show; }
    bool showGrid() const { return m_showGrid; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // A selected row's text stays readable on the selection colour (contrast 4.5:1 at least): where the
    // desktop's text colour does not, black or white, whichever reads better.
    static void makeSelectionReadable(QPalette& palette);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    struct TextKey
    {
        QString text;
        int font = 0;
        int width = 0;
        Qt::TextElideMode elide = Qt::ElideRight;
        Qt::LayoutDirection direction = Qt::LeftToRight;

        bool operator==(const TextKey& other) const = default;
        friend size_t qHash(const TextKey& key, size_t seed = 0)
        {
            return qHashMulti(seed, key.text, key.font, key.width, int(key.elide), int(key.direction));
        }
    };

    // A font the rows are drawn in, and the same without its lines (struck out, underlined), which are
    // drawn apart: laid out text draws them in the wrong place where the painter is moved.
    struct KnownFont
    {
        QFont font;
        QFont face;
    };

    void drawText(QPainter* painter, const QStyleOptionViewItem& option, const QString& text) const;
    const QStaticText& laidOut(const QString& text, const QStyleOptionViewItem& option, int font,
                               int width) const;
    int fontNumber(const QFont& font) const;

    bool m_showGrid = true;
    mutable QList<KnownFont> m_fonts;
    mutable QCache<TextKey, QStaticText> m_texts;
};
