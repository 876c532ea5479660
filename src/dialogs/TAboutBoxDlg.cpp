#include "dialogs/TAboutBoxDlg.h"

#include "config/LanguageTexts.h"
#include "dialogs/TAboutBox.h"
#include "dialogs/TMovieScroll.h"
#include "platform/SystemInfo.h"

#include <QApplication>

namespace {
QFont courier(int pointSize, int pixelSize = 0)
{
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    if (pixelSize > 0)
        f.setPixelSize(pixelSize);
    else
        f.setPointSize(pointSize);
    return f;
}
} // namespace

TAboutBoxDlg::TAboutBoxDlg(QObject* parent) : QObject(parent), m_aFont(courier(9)), m_formFont(courier(9)) {}

void TAboutBoxDlg::applyMainWindowDesign()
{
    setObjectName(QStringLiteral("About"));
    setProductName(QStringLiteral("Quillmar"));
    applyLanguage();
    setUseBackBMP(false);
    setUseMovie(true);
    setMovieSpeed(40);
    setBackCol(QColor(0, 0, 128));
    setAFont(courier(0, 12));
    setFormFont(courier(0, 12));
    setAFontColor(Qt::white);
    setFormFontColor(Qt::white);
    setAShadow(true);
}

void TAboutBoxDlg::setMovieSpeed(int milliseconds)
{
    m_movieSpeed = milliseconds >= 1 && milliseconds <= 99 ? milliseconds : 50;
}

TAboutBox* TAboutBoxDlg::box() const
{
    return m_box;
}

void TAboutBoxDlg::applyLanguage()
{
    const LanguageTexts& texts = LanguageTexts::shared();
    setCopyright(texts.text("About", "Authors"));
    // The scrolling text's lines; "|" breaks them, and an empty part is a blank line.
    setAboutText(texts.text("About", "Text").split(QLatin1Char('|')));
}

bool TAboutBoxDlg::Execute(QWidget* parent)
{
    // The language may have changed since the box was set up.
    applyLanguage();
    auto* box = new TAboutBox(parent);
    m_box = box;
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->setBackground(m_useBackBMP, m_backBMP, m_backCol);
    box->setFormLook(m_formFont, m_formFontColor, m_formColor);

    if (m_useMovie) {
        auto* movie = new TMovieScroll(box);
        movie->setObjectName(QStringLiteral("MovieScroll"));
        movie->setGeometry(box->creditsGeometry());
        movie->setScrollText(m_aboutText);
        movie->setBackColor(m_backCol);
        movie->setLoop(true);
        movie->setTimerInterval(m_movieSpeed);
        movie->setShadow(m_aShadow);
        movie->setDefaultFont(m_aFont);
        movie->setDefaultFontColor(m_aFontColor);
        box->hideStaticCredits();
    }

    box->setSystemFacts(SystemInfo::gather());
    box->setProductName(m_productName);
    box->setCopyright(m_copyright);
    box->setComments(m_aboutText);
    const QIcon icon =
        parent && !parent->windowIcon().isNull() ? parent->windowIcon() : QApplication::windowIcon();
    box->setWindowIcon(icon);
    box->setProgramIcon(icon);
    box->setWindowTitle(LanguageTexts::shared().text("About", "Caption").arg(TAboutBox::programFileName()));

    const int result = box->exec();
    delete box;
    return result == QDialog::Accepted;
}
