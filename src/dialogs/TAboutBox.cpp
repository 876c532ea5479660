#include "dialogs/TAboutBox.h"

#include "config/LanguageTexts.h"
#include "dialogs/AboutPictures.h"
#include "dialogs/MessageBox.h"
#include "dialogs/SystemReport.h"
#include "platform/Clock.h"
#include "platform/ProgramVersion.h"
#include "platform/Regional.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontInfo>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

namespace {
// The maker's addresses. A build may name its own home page (QUILLMAR_WEB_ADDRESS).
constexpr const char* kHomePage = "https://quillmar.example.org/";
constexpr const char* kMail = "quillmar@example.org";
// The clock labels' numbers in the clock's order (the minutes' and seconds' 1 bits came last).
constexpr int kClockLabelNumbers[BinaryClock::kBitCount] = {0, 1,  2,  3,  4,  5,  6,  7, 8,
                                                            9, 15, 10, 11, 12, 13, 14, 16};

TAboutBox::UrlOpener& urlOpener()
{
    static TAboutBox::UrlOpener opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return opener;
}
} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setFixedSize(292, 378);
    setAutoFillBackground(true);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("Image1"));
    m_picture->setGeometry(0, 0, 292, 153);
    m_picture->setPixmap(AboutPictures::topPicture(QSize(292, 153), devicePixelRatioF()));

    m_programIcon = new QLabel(this);
    m_programIcon->setObjectName(QStringLiteral("ProgramIcon2"));
    m_programIcon->setGeometry(19, 20, 32, 32);

    m_productName = label(QString(), QRect(60, 18, 170, 22), "ProductName");
    {
        QFont f = m_productName->font();
        f.setBold(true);
        m_productName->setFont(f);
    }
    m_versionCaption =
        label(LanguageTexts::shared().text("About", "Version"), QRect(60, 44, 70, 18), "LblVersion");
    m_version = label(QString(), QRect(135, 44, 95, 18), "VersNo");
    m_releaseCaption =
        label(LanguageTexts::shared().text("About", "Release"), QRect(60, 62, 70, 18), "ReleaseLbl");
    m_release = label(QString(), QRect(135, 62, 95, 18), "Release");
    m_buildCaption = label(LanguageTexts::shared().text("About", "Build"), QRect(60, 80, 70, 18), "BuildL");
    m_build = label(QString(), QRect(135, 80, 95, 18), "Build");
    LblCopyRight_Text = label(LanguageTexts::shared().text("About", "Copyright"), QRect(19, 108, 80, 18),
                              "LblCopyRight_Text");
    m_copyrightCaption = label(QString(), QRect(19, 128, 14, 18), "LblCopyright");
    m_copyright = label(QString(), QRect(35, 128, 250, 18), "Copyright");

    m_infoPanel = new QFrame(this);
    m_infoPanel->setObjectName(QStringLiteral("Panel2"));
    m_infoPanel->setFrameShape(QFrame::Panel);
    m_infoPanel->setFrameShadow(QFrame::Sunken);
    m_infoPanel->setGeometry(5, 159, 282, 131);
    m_mainPanel = new QWidget(m_infoPanel);
    m_mainPanel->setObjectName(QStringLiteral("Panel1"));
    m_mainPanel->setGeometry(2, 2, 278, 127);
    m_comments = new QLabel(m_mainPanel);
    m_comments->setObjectName(QStringLiteral("Comments"));
    m_comments->setGeometry(0, 0, 258, 350);
    m_comments->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_comments->setWordWrap(true);
    m_comments->setToolTip(LanguageTexts::shared().text("About", "DragToScroll"));
    m_comments->setAutoFillBackground(true);
    {
        QFont f(QStringLiteral("MS Sans Serif"));
        f.setPointSize(8);
        m_comments->setFont(f);
        QPalette p = m_comments->palette();
        p.setColor(QPalette::Window, Qt::white);
        p.setColor(QPalette::WindowText, Qt::black);
        m_comments->setPalette(p);
    }
    m_comments->installEventFilter(this);

    m_linkPanel = new QFrame(this);
    m_linkPanel->setObjectName(QStringLiteral("Panel3"));
    m_linkPanel->setGeometry(238, 26, 50, 111);
    m_linkPanel->setAutoFillBackground(true);
    QFont clockFont = font();
    clockFont.setPixelSize(9);
    const char* heads[] = {"H", "M", "S"};
    for (int col = 0; col < 3; ++col) {
        auto* head = new QLabel(QString::fromLatin1(heads[col]), m_linkPanel);
        head->setFont(clockFont);
        head->setAlignment(Qt::AlignCenter);
        head->setGeometry(1 + col * 16, 1, 15, 14);
    }
    for (int i = 0; i < BinaryClock::kBitCount; ++i) {
        auto* bit = new QLabel(BinaryClock::caption(i), m_linkPanel);
        bit->setObjectName(QStringLiteral("Label%1").arg(kClockLabelNumbers[i]));
        bit->setFont(clockFont);
        bit->setAlignment(Qt::AlignCenter);
        bit->setAutoFillBackground(true);
        // The weight 1 at the top, the highest weight at the bottom.
        int row = 0;
        for (int w = BinaryClock::weight(i); w > 1; w /= 2)
            ++row;
        bit->setGeometry(1 + BinaryClock::column(i) * 16, 16 + row * 15, 15, 14);
        m_clockLabels[size_t(i)] = bit;
    }

    m_dragHint =
        label(LanguageTexts::shared().text("About", "DragWindow"), QRect(6, 292, 282, 16), "Lblexplaindrag");
    m_linkCaption =
        label(LanguageTexts::shared().text("About", "Links").replace(QLatin1Char('|'), QLatin1Char('\n')),
              QRect(6, 308, 282, 32), "LblTextURL");
    m_homepageLink = label(QString(), QRect(6, 342, 200, 16), "LblHomepage");
    m_mailLink = label(LanguageTexts::shared().text("About", "Mail"), QRect(6, 358, 120, 16), "LblMail");
    for (QLabel* link : {m_homepageLink, m_mailLink}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setTextFormat(Qt::PlainText);
        QFont f = link->font();
        f.setUnderline(true);
        link->setFont(f);
        link->installEventFilter(this);
    }
    m_homepageLink->setText(QUrl(homePageAddress()).host());

    m_systemButton = new QToolButton(this);
    m_systemButton->setObjectName(QStringLiteral("SpeedButton2"));
    m_systemButton->setAutoRaise(true);
    m_systemButton->setIcon(style()->standardIcon(QStyle::SP_DriveHDIcon));
    m_systemButton->setToolTip(LanguageTexts::shared().text("About", "System"));
    m_systemButton->setGeometry(228, 346, 26, 26);
    connect(m_systemButton, &QToolButton::clicked, this, &TAboutBox::SpeedButton2Click);
    m_closeButton = new QToolButton(this);
    m_closeButton->setObjectName(QStringLiteral("SpeedButton1"));
    m_closeButton->setAutoRaise(true);
    m_closeButton->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    m_closeButton->setToolTip(LanguageTexts::shared().text("About", "Close"));
    m_closeButton->setGeometry(258, 346, 26, 26);
    connect(m_closeButton, &QToolButton::clicked, this, &TAboutBox::SpeedButton1Click);

    m_clockTimer = new QTimer(this);
    m_clockTimer->setObjectName(QStringLiteral("Timer1"));
    m_clockTimer->setInterval(1000);
    connect(m_clockTimer, &QTimer::timeout, this, &TAboutBox::Timer1Timer);
    m_clockTimer->start();

    FormCreate();
}

TAboutBox::~TAboutBox()
{
    if (m_dragging)
        QGuiApplication::restoreOverrideCursor();
}

QLabel* TAboutBox::label(const QString& text, const QRect& geometry, const char* name)
{
    auto* l = new QLabel(text, this);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

QString TAboutBox::homePageAddress()
{
    const QString built = QStringLiteral(QUILLMAR_WEB_ADDRESS);
    if (built.isEmpty())
        return QString::fromLatin1(kHomePage);
    return built.contains(QLatin1String("://")) ? built : QStringLiteral("https://") + built;
}

QString TAboutBox::mailAddress()
{
    return QString::fromLatin1(kMail);
}

void TAboutBox::setUrlOpener(UrlOpener opener)
{
    urlOpener() = opener ? std::move(opener) : [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

QString TAboutBox::programFileName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

const QColor& TAboutBox::litColor()
{
    static const QColor silver(192, 192, 192);
    return silver;
}

const QColor& TAboutBox::unlitColor()
{
    static const QColor navy(0, 0, 128);
    return navy;
}

void TAboutBox::FormCreate()
{
    m_programPath = QCoreApplication::applicationFilePath();
    const std::array<int, 4> version = ProgramVersion::current();
    m_productName->setText(programFileName());
    m_version->setText(QStringLiteral("%1.%2").arg(version[0]).arg(version[1]));
    m_release->setText(QString::number(version[2]));
    m_build->setText(QString::number(version[3]));
    m_copyrightCaption->setText(QStringLiteral("\u00A9"));
}

void TAboutBox::setBackground(bool useBackBMP, const QPixmap& backBMP, const QColor& backCol)
{
    m_useBackBMP = useBackBMP;
    m_backBMP = backBMP;
    m_backCol = backCol;
}

void TAboutBox::setFormLook(const QFont& font, const QColor& fontColor, const QColor& formColor)
{
    setFont(font);
    QPalette p = palette();
    p.setColor(QPalette::Window, formColor);
    p.setColor(QPalette::WindowText, fontColor);
    setPalette(p);
    // The credits keep their own font and colours.
    QFont commentsFont(QStringLiteral("MS Sans Serif"));
    commentsFont.setPointSize(8);
    m_comments->setFont(commentsFont);
    QFont clockFont = font;
    clockFont.setPixelSize(9);
    for (QLabel* l : m_linkPanel->findChildren<QLabel*>())
        l->setFont(clockFont);
    // The hint is one line of the box's width.
    QFont hintFont = font;
    hintFont.setPixelSize(std::min(QFontInfo(font).pixelSize(), 11));
    m_dragHint->setFont(hintFont);
}

void TAboutBox::setProductName(const QString& name)
{
    m_productName->setText(name);
}

void TAboutBox::setCopyright(const QString& text)
{
    m_copyright->setText(text);
}

void TAboutBox::setComments(const QStringList& lines)
{
    m_comments->setText(lines.join(QLatin1Char('\n')));
}

void TAboutBox::setSystemFacts(const SystemFacts& facts)
{
    m_facts = facts;
}

void TAboutBox::setProgramIcon(const QIcon& icon)
{
    m_programIcon->setPixmap(icon.pixmap(32, 32));
}

QRect TAboutBox::creditsGeometry() const
{
    return m_infoPanel->geometry();
}

void TAboutBox::hideStaticCredits()
{
    m_infoPanel->resize(0, m_infoPanel->height());
    m_comments->resize(std::max(m_infoPanel->width() - 5, 0), m_comments->height());
    m_mainPanel->resize(m_infoPanel->width(), m_mainPanel->height());
}

QString TAboutBox::systemReport() const
{
    return SystemReport::text(m_facts);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TAboutBox::FormActivate()
{
    const int inner = std::max(m_infoPanel->width() - 18, 0);
    m_comments->resize(inner, m_comments->height());
    m_mainPanel->resize(inner, m_mainPanel->height());
    m_infoPanel->move(4, m_infoPanel->y());
    m_comments->move(0, m_comments->y());
    QPalette p = m_linkPanel->palette();
    p.setColor(QPalette::Window, m_backCol);
    m_linkPanel->setPalette(p);
    // The clock shows the time from the moment the box opens, not only from the first tick.
    showClock();
}

void TAboutBox::paintEvent(QPaintEvent* event)
{
    if (!m_useBackBMP) {
        m_picture->show();
        QDialog::paintEvent(event);
        return;
    }
    QPainter p(this);
    p.fillRect(rect(), m_backBMP.isNull() ? QBrush(AboutPictures::backgroundPattern()) : QBrush(m_backBMP));
    m_picture->hide();
}

void TAboutBox::Timer1Timer()
{
    setWindowTitle(LanguageTexts::shared()
                       .text("About", "BoxCaption")
                       .arg(programFileName(), Regional::timeToText(Clock::now().time())));
    showClock();
}

void TAboutBox::showClock()
{
    const std::array<bool, BinaryClock::kBitCount> lit = BinaryClock::bits(Clock::now().time());
    for (size_t i = 0; i < lit.size(); ++i) {
        QPalette p = m_clockLabels[i]->palette();
        p.setColor(QPalette::Window, lit[i] ? litColor() : unlitColor());
        m_clockLabels[i]->setPalette(p);
    }
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_comments) {
        // Only a mouse event may be taken as one: the label gets paint, resize and other events too.
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (const auto* mouse = static_cast<QMouseEvent*>(event); mouse->button() == Qt::LeftButton)
                CommentsMouseDown(int(mouse->position().y()));
            return true;
        case QEvent::MouseMove:
            if (const auto* mouse = static_cast<QMouseEvent*>(event); mouse->buttons() & Qt::LeftButton)
                CommentsMouseMove(int(mouse->position().y()));
            return true;
        case QEvent::MouseButtonRelease:
            CommentsMouseUp();
            return true;
        default:
            break;
        }
    } else if ((watched == m_homepageLink || watched == m_mailLink) &&
               event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == m_homepageLink)
            LblHomepageClick();
        else
            LblMailClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::CommentsMouseDown(int y)
{
    if (!m_dragging)
        QGuiApplication::setOverrideCursor(Qt::PointingHandCursor);
    m_dragging = true;
    m_dragStart = y;
}

void TAboutBox::CommentsMouseMove(int y)
{
    setobj(y);
}

void TAboutBox::CommentsMouseUp()
{
    if (m_dragging)
        QGuiApplication::restoreOverrideCursor();
    m_dragging = false;
}

void TAboutBox::setobj(int y)
{
    // The text neither leaves the top of its frame nor lets its bottom rise into the frame.
    const int top = m_comments->y() + y - m_dragStart;
    if (top < 0 && top > m_mainPanel->height() - m_comments->height())
        m_comments->move(m_comments->x(), top);
}

void TAboutBox::LblHomepageClick()
{
    urlOpener()(QUrl(homePageAddress()));
}

void TAboutBox::LblMailClick()
{
    const QUrl mail(QStringLiteral("mailto:") + mailAddress() + QStringLiteral("?subject=") +
                    programFileName());
    if (!urlOpener()(mail))
        MessageBox::ok(this, QStringLiteral("An Error occurred with Mail!"));
}

void TAboutBox::SpeedButton1Click()
{
    reject();
}

void TAboutBox::SpeedButton2Click()
{
    MessageBox::ok(this, systemReport());
}
