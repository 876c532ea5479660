#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QStringList>

class TAboutBox;
class QWidget;

// The about box's settings, and Execute, which builds the box, fills it and shows it modally. The box is
// made anew for every Execute and gone when it returns.
class TAboutBoxDlg : public QObject
{
    Q_OBJECT

public:
    explicit TAboutBoxDlg(QObject* parent = nullptr);

    // The main window's about box: "Quillmar", its credits scrolling in white on navy.
    void applyMainWindowDesign();
    // The copyright and scrolling texts in the language in effect.
    void applyLanguage();

    QString productName() const { return m_productName; }
    void setProductName(const QString& name) { m_productName = name; }
    QString copyright() const { return m_copyright; }
    void setCopyright(const QString& text) { m_copyright = text; }
    QStringList aboutText() const { return m_aboutText; }
    void setAboutText(const QStringList& lines) { m_aboutText = lines; }
    bool useBackBMP() const { return m_useBackBMP; }
    void setUseBackBMP(bool on) { m_useBackBMP = on; }
    bool useMovie() const { return m_useMovie; }
    void setUseMovie(bool on) { m_useMovie = on; }
    // Milliseconds per scroll step; a value outside 1 to 99 is taken as 50.
    int movieSpeed() const { return m_movieSpeed; }
    void setMovieSpeed(int milliseconds);
    QColor backCol() const { return m_backCol; }
    void setBackCol(const QColor& color) { m_backCol = color; }
    QFont aFont() const { return m_aFont; }
    void setAFont(const QFont& font) { m_aFont = font; }
    QColor aFontColor() const { return m_aFontColor; }
    void setAFontColor(const QColor& color) { m_aFontColor = color; }
    bool aShadow() const { return m_aShadow; }
    void setAShadow(bool on) { m_aShadow = on; }
    QPixmap backBMP() const { return m_backBMP; }
    void setBackBMP(const QPixmap& picture) { m_backBMP = picture; }
    QFont formFont() const { return m_formFont; }
    void setFormFont(const QFont& font) { m_formFont = font; }
    QColor formFontColor() const { return m_formFontColor; }
    void setFormFontColor(const QColor& color) { m_formFontColor = color; }
    QColor formColor() const { return m_formColor; }
    void setFormColor(const QColor& color) { m_formColor = color; }

    // Shows the box modally over parent; true only when it ended with OK, which it has no button for.
    bool Execute(QWidget* parent = nullptr);
    // The box while Execute shows it (tests look into it).
    TAboutBox* box() const;

private:
    QString m_productName;
    QString m_copyright;
    QStringList m_aboutText;
    bool m_useBackBMP = false;
    bool m_useMovie = false;
    int m_movieSpeed = 40;
    QColor m_backCol = Qt::black;
    QFont m_aFont;
    QColor m_aFontColor = Qt::white;
    bool m_aShadow = true;
    QPixmap m_backBMP;
    QFont m_formFont;
    QColor m_formFontColor = Qt::white;
    QColor m_formColor = Qt::black;
    QPointer<TAboutBox> m_box;
};
